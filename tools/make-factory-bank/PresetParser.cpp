#include "tools/make-factory-bank/PresetParser.h"

#include "instrument/ParameterTable.h"
#include "instrument/TableDefs.h"
#include "synth/TuningEngine.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

constexpr int kNumBuiltInTunings = TuningEngine::kNumTunings - 1; // the user tuning has no place in a bank

std::string trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool parseNumber(const std::string& text, double* value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

bool parseInteger(const std::string& text, long* value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return false;
    *value = parsed;
    return true;
}

int labelIndex(const ParameterTable::Row& row, const std::string& text) {
    for (int i = 0; i < row.labelCount; ++i) {
        if (text == row.labels[i]) return i;
    }
    return -1;
}

bool isWaveTableParam(int index) {
    for (int param : kWaveTableParams) {
        if (param == index) return true;
    }
    return false;
}

bool isTableId(long id) {
    return (id >= 0 && id < TableDefs::kNumBuiltIn) ||
           (id >= kFirstUserTable && id < kFirstUserTable + TableDefs::kNumUserTables);
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

PresetParser::PresetParser() {
    for (int i = 0; i < ParameterTable::kNumParams; ++i)
        indicesByName[ParameterTable::row(i).name].push_back(i);
    TableDefs catalogue;
    catalogue.setUserWaves(nullptr);
    for (uint16_t s = 0; s < TableDefs::kNumBuiltIn; ++s)
        tableIdsByName[catalogue.getTableNameBySortId(s)] = catalogue.getIdBySortId(s);
}

bool PresetParser::parseFile(const std::string& path, std::vector<ProgramDefinition>* programs) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fileName = path;
        lineNumber = 0;
        return fail("cannot be read");
    }
    std::stringstream text;
    text << in.rdbuf();
    return parse(text.str(), path, programs);
}

bool PresetParser::parse(const std::string& text, const std::string& name,
                         std::vector<ProgramDefinition>* programs) {
    fileName = name;
    lineNumber = 0;
    error.clear();
    const size_t firstOfFile = programs->size();
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (!parseLine(line, programs)) return false;
    }
    // Earlier files' programs were checked when those files were read.
    for (size_t i = firstOfFile; i < programs->size(); ++i) {
        if ((*programs)[i].settings.empty() && (*programs)[i].tuningLine == 0) {
            lineNumber = (*programs)[i].line;
            return fail("program " + quoted((*programs)[i].name) + " sets nothing");
        }
    }
    return true;
}

bool PresetParser::parseLine(const std::string& rawLine, std::vector<ProgramDefinition>* programs) {
    const std::string line = trim(rawLine);
    if (line.empty() || line[0] == ';') return true;
    if (line[0] == '[') return startProgram(line, programs);

    const size_t equals = line.find('=');
    if (equals == std::string::npos) return fail("expected \"name = value\" or \"[program name]\"");
    const std::string name = trim(line.substr(0, equals));
    const std::string value = trim(line.substr(equals + 1));
    if (name.empty() || value.empty()) return fail("expected \"name = value\"");
    if (programs->empty() || programs->back().file != fileName)
        return fail("a setting before the first \"[program name]\"");

    ProgramDefinition* program = &programs->back();
    if (name == "Tuning") return setTuning(value, program);
    ProgramSetting setting;
    const bool resolved = name[0] == '#' ? resolveByIndex(name.substr(1), value, &setting)
                                         : resolveByName(name, value, &setting);
    return resolved && addSetting(setting.index, setting.value, program);
}

bool PresetParser::startProgram(const std::string& line, std::vector<ProgramDefinition>* programs) {
    if (line.back() != ']') return fail("a program heading must end with \"]\"");
    const std::string name = trim(line.substr(1, line.size() - 2));
    if (name.empty()) return fail("a program needs a name");
    if (name.size() > kMaxNameLength)
        return fail("program name " + quoted(name) + " is longer than " + std::to_string(kMaxNameLength) +
                    " characters");
    for (const ProgramDefinition& other : *programs) {
        if (other.name == name)
            return fail("program name " + quoted(name) + " is already used at " + other.file + ":" +
                        std::to_string(other.line));
    }
    ProgramDefinition program;
    program.name = name;
    program.file = fileName;
    program.line = lineNumber;
    programs->push_back(program);
    return true;
}

bool PresetParser::setTuning(const std::string& value, ProgramDefinition* program) {
    if (program->tuningLine != 0)
        return fail("the tuning is already set at line " + std::to_string(program->tuningLine));
    for (int t = 0; t < kNumBuiltInTunings; ++t) {
        if (value == TuningEngine::labelMicroTuning[t]) {
            program->tuning = t;
            program->tuningLine = lineNumber;
            return true;
        }
    }
    return fail("unknown tuning " + quoted(value));
}

bool PresetParser::addSetting(int index, double value, ProgramDefinition* program) {
    for (const ProgramSetting& earlier : program->settings) {
        if (earlier.index == index)
            return fail("parameter #" + std::to_string(index) + " " +
                        quoted(ParameterTable::row(index).name) + " is already set at line " +
                        std::to_string(earlier.line));
    }
    program->settings.push_back(ProgramSetting{index, value, lineNumber});
    return true;
}

bool PresetParser::resolveByName(const std::string& name, const std::string& value, ProgramSetting* setting) {
    const auto found = indicesByName.find(name);
    if (found == indicesByName.end()) return fail("unknown parameter " + quoted(name));
    const std::vector<int>& indices = found->second;
    if (indices.size() > 2) return fail(quoted(name) + " names several parameters; give its index as \"#n\"");
    if (indices.size() == 1) {
        setting->index = indices[0];
        return resolveValue(indices[0], value, false, &setting->value);
    }
    // An amount/source pair: the source takes the label texts, the amount takes numbers.
    const int amount = indices[0];
    const int source = indices[1];
    const int label = labelIndex(ParameterTable::row(source), value);
    if (label >= 0) {
        setting->index = source;
        setting->value = label;
        return true;
    }
    setting->index = amount;
    return resolveValue(amount, value, false, &setting->value);
}

bool PresetParser::resolveByIndex(const std::string& indexText, const std::string& value,
                                  ProgramSetting* setting) {
    long index = 0;
    if (!parseInteger(indexText, &index) || index < 0 || index >= ParameterTable::kNumParams)
        return fail("no parameter has the index " + quoted(indexText));
    setting->index = static_cast<int>(index);
    return resolveValue(setting->index, value, true, &setting->value);
}

bool PresetParser::resolveValue(int index, const std::string& value, bool byIndex, double* result) {
    const ParameterTable::Row& row = ParameterTable::row(index);
    const std::string what = quoted(value) + " for " + quoted(row.name);
    long whole = 0;
    switch (row.kind) {
    case ParameterTable::Kind::Enum: {
        const int label = labelIndex(row, value);
        if (label >= 0) {
            *result = label;
            return true;
        }
        // Numbers stand for positions only where the index form makes that plain.
        if (byIndex && parseInteger(value, &whole) && whole >= 0 && whole < row.labelCount) {
            *result = static_cast<double>(whole);
            return true;
        }
        return fail(what + " is none of its labels");
    }
    case ParameterTable::Kind::Int:
        if (isWaveTableParam(index)) {
            const auto table = tableIdsByName.find(value);
            if (table != tableIdsByName.end()) {
                *result = table->second;
                return true;
            }
            if (parseInteger(value, &whole) && isTableId(whole)) {
                *result = static_cast<double>(whole);
                return true;
            }
            return fail(what + " is neither a wave-table name nor a table id");
        }
        if (!parseInteger(value, &whole)) return fail(what + " is not a whole number");
        if (whole < row.min || whole > row.max) return fail(what + " is out of range");
        *result = static_cast<double>(whole);
        return true;
    case ParameterTable::Kind::Double:
        if (!parseNumber(value, result)) return fail(what + " is not a number");
        if (*result < row.min || *result > row.max) return fail(what + " is out of range");
        return true;
    }
    return fail(what + " cannot be resolved");
}

bool PresetParser::fail(const std::string& message) {
    error = fileName + ":" + std::to_string(lineNumber) + ": " + message;
    return false;
}
