#include "tools/render/InstrumentFiles.h"

#include "instrument/Korvanta.h"
#include "instrument/WaveImport.h"

#include <cstdio>

namespace InstrumentFiles {
namespace {

Korvanta* instrumentOf(const PluginHost& host) {
    return static_cast<Korvanta*>(static_cast<IPlugVST*>(host.Effect()->object));
}

// The parameter that selects oscillator n's wave table (1..3), and the table id of user wave n - 1.
constexpr int kWaveTableParam[3] = {11, 30, 50};
constexpr int kFirstUserTable = 65531;

bool loadWaveTable(PluginHost& host, const RenderOptions::WaveTableLoad& load, std::string* error) {
    const WaveImport::ImportVerdict verdict = WaveImport::checkSelectedFile(load.path);
    if (!verdict.message.empty()) std::fprintf(stderr, "korvanta-render: %s\n", verdict.message.c_str());
    const int k = load.oscillator - 1;
    if (!verdict.accepted || !instrumentOf(host)->loadWaveTable(k, load.path)) {
        *error = "--wavetable " + std::to_string(load.oscillator) + ": cannot load \"" + load.path + "\"";
        return false;
    }
    // Selecting the user table is what a host can do: set the Wave Table parameter to its id.
    AEffect* effect = host.Effect();
    effect->setParameter(effect, kWaveTableParam[k], static_cast<float>((kFirstUserTable + k) / 65535.0));
    return true;
}

} // namespace

bool load(PluginHost& host, const RenderOptions& options, std::string* error) {
    Korvanta* korvanta = instrumentOf(host);
    if (!options.fxbPath.empty() && !korvanta->LoadBankFromFXB(options.fxbPath.c_str())) {
        *error = "--fxb: \"" + options.fxbPath + "\" is not a bank file of this plug-in, or cannot be read";
        return false;
    }
    if (options.program >= 0) host.Dispatch(effSetProgram, 0, options.program);
    if (!options.fxpPath.empty() && !korvanta->LoadProgramFromFXP(options.fxpPath.c_str())) {
        *error =
            "--fxp: \"" + options.fxpPath + "\" is not a program file of this plug-in, or cannot be read";
        return false;
    }
    if (!options.tuningPath.empty()) {
        if (korvanta->loadTuning(options.tuningPath.c_str(), true) != 0) {
            *error = "--tuning: cannot load \"" + options.tuningPath + "\"";
            return false;
        }
        korvanta->setTuning(MicroTuning::eUserTuning);
    }
    for (const RenderOptions::WaveTableLoad& wave : options.waveTables)
        if (!loadWaveTable(host, wave, error)) return false;
    return true;
}

bool save(PluginHost& host, const RenderOptions& options, std::string* error) {
    Korvanta* korvanta = instrumentOf(host);
    if (!options.saveFxpPath.empty() && !korvanta->SaveProgramAsFXP(options.saveFxpPath.c_str())) {
        *error = "--save-fxp: cannot write \"" + options.saveFxpPath + "\"";
        return false;
    }
    if (!options.saveFxbPath.empty()) {
        // The bank holds the programs as stored; the current one takes its edits first, as a host's
        // program change would.
        korvanta->ModifyCurrentPreset();
        if (!korvanta->SaveBankAsFXB(options.saveFxbPath.c_str())) {
            *error = "--save-fxb: cannot write \"" + options.saveFxbPath + "\"";
            return false;
        }
    }
    return true;
}

} // namespace InstrumentFiles
