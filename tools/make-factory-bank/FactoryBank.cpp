#include "tools/make-factory-bank/FactoryBank.h"

#include "instrument/Korvanta.h"
#include "tools/make-factory-bank/PresetParser.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

std::vector<std::string> FactoryBank::definitionFiles(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code failure;
    std::filesystem::directory_iterator entries(folder, failure);
    if (failure) return files;
    for (const auto& entry : entries) {
        if (entry.is_regular_file(failure) && entry.path().extension() == kDefinitionExtension)
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool FactoryBank::read(const std::string& folder, std::vector<ProgramDefinition>* programs,
                       std::string* error) {
    const std::vector<std::string> files = definitionFiles(folder);
    if (files.empty()) {
        *error = folder + ": no definition files";
        return false;
    }
    PresetParser parser;
    for (const std::string& file : files) {
        if (!parser.parseFile(file, programs)) {
            *error = parser.getError();
            return false;
        }
    }
    if (programs->size() != kNumPrograms) {
        *error = folder + ": " + std::to_string(programs->size()) + " programs instead of " +
                 std::to_string(kNumPrograms);
        return false;
    }
    return true;
}

void FactoryBank::apply(Korvanta& plug, const ProgramDefinition& program) {
    for (int i = 0; i < plug.NParams(); ++i) {
        IParam* param = plug.GetParam(i);
        param->Set(param->GetDefault());
        plug.OnParamChange(i);
    }
    for (const ProgramSetting& setting : program.settings) {
        plug.GetParam(setting.index)->Set(setting.value);
        plug.OnParamChange(setting.index);
    }
    plug.setTuning(static_cast<MicroTuning>(program.tuning));
}

void FactoryBank::fill(Korvanta& plug, const std::vector<ProgramDefinition>& programs) {
    // Only the parameter values go into the programs; building wave tables for each would be wasted.
    const bool wasLoading = plug.loading;
    plug.loading = true;
    plug.EnsureDefaultPreset();
    const int count = std::min(plug.NPresets(), static_cast<int>(programs.size()));
    for (int i = 0; i < count; ++i) {
        plug.RestorePreset(i);
        apply(plug, programs[static_cast<size_t>(i)]);
        plug.ModifyCurrentPreset(programs[static_cast<size_t>(i)].name.c_str());
    }
    plug.loading = wasLoading;
    plug.RestorePreset(0);
}
