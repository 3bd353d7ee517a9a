#include "tools/render/InstrumentFiles.h"

#include "instrument/KorvantaExtension.h"

#include <cstdio>

namespace InstrumentFiles {
namespace {

using namespace KorvantaExtension;

// One command of the extension on one file; option names the command line's option for messages.
Result run(PluginHost& host, Command command, KorvantaExtension::Request request, const std::string& option,
           std::string* error) {
    const auto answer = static_cast<int32_t>(host.Dispatch(effVendorSpecific, kTag, command, &request));
    const std::string file = "\"" + std::string(request.path) + "\"";
    if (answer == kDone) {
        if (request.message[0] != '\0')
            std::fprintf(stderr, "korvanta-render: %s %s: %s\n", option.c_str(), file.c_str(),
                         request.message);
        return Result::done;
    }
    if (answer == kLoadFailed || answer == kSaveFailed) {
        *error = option + ": cannot " + (answer == kLoadFailed ? "load " : "write ") + file + ": " +
                 request.message;
        return answer == kLoadFailed ? Result::refused : Result::notWritten;
    }
    *error = option + ": the plug-in does not take " + file +
             (answer == kUnknownCommand ? " (it has no Korvanta file extension)" : " (request refused)");
    return Result::unsupported;
}

Result runOnFile(PluginHost& host, Command command, const std::string& path, const std::string& option,
                 std::string* error) {
    Request request;
    request.path = path.c_str();
    return run(host, command, request, option, error);
}

} // namespace

Result load(PluginHost& host, const RenderOptions& options, std::string* error) {
    Result result = Result::done;
    if (!options.fxbPath.empty()) result = runOnFile(host, kLoadBank, options.fxbPath, "--fxb", error);
    if (result != Result::done) return result;
    if (options.program >= 0) host.Dispatch(effSetProgram, 0, options.program);
    if (!options.fxpPath.empty()) result = runOnFile(host, kLoadProgram, options.fxpPath, "--fxp", error);
    for (const std::string& path : options.tuningPaths) {
        if (result != Result::done) return result;
        Request request;
        request.path = path.c_str();
        request.exactTuning = options.exactTuning ? 1 : 0;
        result = run(host, kLoadTuning, request, "--tuning", error);
    }
    for (const RenderOptions::WaveTableLoad& wave : options.waveTables) {
        if (result != Result::done) return result;
        Request request;
        request.path = wave.path.c_str();
        request.slot = wave.oscillator;
        result = run(host, kLoadWaveTable, request, "--wavetable " + std::to_string(wave.oscillator), error);
    }
    return result;
}

Result save(PluginHost& host, const RenderOptions& options, std::string* error) {
    Result result = Result::done;
    if (!options.saveFxpPath.empty())
        result = runOnFile(host, kSaveProgram, options.saveFxpPath, "--save-fxp", error);
    if (result == Result::done && !options.saveFxbPath.empty())
        result = runOnFile(host, kSaveBank, options.saveFxbPath, "--save-fxb", error);
    return result;
}

} // namespace InstrumentFiles
