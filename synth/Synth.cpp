#include "synth/Synth.h"

#include <dlfcn.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {
constexpr char kBundleBinaryFolder[] = "Korvanta.vst/Contents/x86_64-linux/";
// Any object of this module serves to ask the loader which file it came from.
const char moduleAnchor = 0;
} // namespace

Synth::Synth(IPlugInstanceInfo instanceInfo)
    : IPlugVST(instanceInfo, kNumParams, "0-2", kNumPrograms, "Korvanta", "", "Marrow Lane Audio",
               kVendorVersion, kUniqueID, kMfrID, 0, true, true, true),
      pluginPath(FindPluginPath()) {
    midiCC.fill(-1);
    setupConfig();
}

void Synth::Reset() {
    IMutexLock lock(mutex);
    midiQueue.Resize(GetBlockSize());
    clearKeyBuffer();
    // Below 1000 Hz a sub-block would have no length and rendering could never advance.
    subBlockLength = std::max(1, static_cast<int>(GetSampleRate()) / 1000);
    subBlockLeft = 0;
    midiLearnOn = false;
}

void Synth::OnParamChange(int paramIdx) {
    IMutexLock lock(mutex);
    if (midiLearnOn && paramIdx >= 0 && paramIdx < kNumParams) {
        midiLearnParam = paramIdx;
        applyMidiLearn();
    }
}

void Synth::OnActivate(bool active) {
    IMutexLock lock(mutex);
    if (active) OnParamReset();
}

void Synth::initListParameter(int idx, const char* name, int defaultIdx, int nItems,
                              const char* const* labels) {
    IParam* param = GetParam(idx);
    if (!param) return;
    param->InitEnum(name, defaultIdx, nItems, "", "");
    for (int i = 0; i < nItems; ++i) param->SetDisplayText(i, labels[i]);
}

void Synth::clearKeyBuffer() {
    keyVelocity.fill(0);
    numPressedKeys = 0;
}

void Synth::addPressedKey(int note, int velocity) {
    if (velocity < 1) {
        removePressedKey(note);
        return;
    }
    if (note < 0 || note >= kNumKeys) return;
    if (keyVelocity[note] == 0) ++numPressedKeys;
    keyVelocity[note] = velocity;
}

void Synth::removePressedKey(int note) {
    if (note < 0 || note >= kNumKeys || keyVelocity[note] == 0) return;
    keyVelocity[note] = 0;
    --numPressedKeys;
}

int Synth::getPressedKeyVelocity(int note) const {
    return note >= 0 && note < kNumKeys ? keyVelocity[note] : 0;
}

int Synth::getHighestPressedKey() const {
    if (numPressedKeys == 0) return -1;
    for (int note = kNumKeys - 1; note >= 0; --note) {
        if (keyVelocity[note] != 0) return note;
    }
    return -1;
}

void Synth::doMidiLearn(bool on) {
    midiUnlearn = false;
    midiLearnOn = on;
    midiLearnCC = -1;
}

void Synth::doMidiUnlearn(bool on) {
    midiUnlearn = true;
    midiLearnOn = on;
    midiLearnCC = -1;
}

void Synth::setMidiLearnCC(int cc) {
    midiLearnCC = cc;
    applyMidiLearn();
}

void Synth::setMidiLearnParam(int idx) {
    midiLearnParam = idx;
    applyMidiLearn();
}

void Synth::applyMidiLearn() {
    if (midiLearnOn) {
        const bool ccKnown = midiLearnCC >= 0 && midiLearnCC < kNumLearnableCCs;
        if (midiUnlearn) {
            if (ccKnown) {
                midiCC[midiLearnCC] = -1;
            } else if (midiLearnParam != -1) {
                std::replace(midiCC.begin(), midiCC.end(), midiLearnParam, -1);
            } else {
                return;
            }
        } else {
            if (!ccKnown || midiLearnParam == -1) return;
            std::replace(midiCC.begin(), midiCC.end(), midiLearnParam, -1);
            midiCC[midiLearnCC] = midiLearnParam;
        }
        midiLearnOn = false;
        midiUnlearn = false;
    }
    showMidiLearnFinished();
}

void Synth::initPreset() {
    IMutexLock lock(mutex);
    for (int i = 0; i < NParams(); ++i) {
        const IParam* param = GetParam(i);
        SetParameterFromGUI(i, param->GetNormalized(param->GetDefault()));
    }
    ModifyCurrentPreset("Init");
    RedrawParamControls();
    DirtyParameters();
}

std::string Synth::PluginPathFromModule(const std::string& modulePath) {
    const size_t slash = modulePath.rfind('/');
    std::string folder = slash == std::string::npos ? "./" : modulePath.substr(0, slash + 1);
    const std::string bundleTail = kBundleBinaryFolder;
    if (folder.size() >= bundleTail.size() &&
        folder.compare(folder.size() - bundleTail.size(), bundleTail.size(), bundleTail) == 0)
        folder.resize(folder.size() - bundleTail.size());
    return folder;
}

std::string Synth::FindPluginPath() {
    Dl_info info{};
    if (!dladdr(&moduleAnchor, &info) || !info.dli_fname) return "";
    char resolved[PATH_MAX];
    const char* file = realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
    return PluginPathFromModule(file);
}
