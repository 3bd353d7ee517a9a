// Program management beyond the framework's list: initialise, copy, paste, switch, and the banks
// used at start-up.

#include "synth/Synth.h"

#include <cstring>

namespace {
// The fields of a bank file before its chunk: eight 32-bit fields, the reserved block and the size.
constexpr int kBankFieldsSize = 32;
constexpr int kBankReservedSize = 124;
} // namespace

void Synth::initPresets() {
    if (LoadBankFromFXB(startupFxb.c_str())) return;
    startupFxb.clear();
    // Without the shipped bank the programs keep what the framework gave them.
    LoadBankFromFXB(getInitBankPath().c_str());
}

void Synth::copyPreset() {
    IMutexLock lock(mutex);
    ModifyCurrentPreset(nullptr);
    copiedPresetIdx = GetCurrentPresetIdx();
    copiedPreset.Clear();
    SerializeState(&copiedPreset);
}

void Synth::pastePreset() {
    if (copiedPreset.Size() == 0) return;
    IMutexLock lock(mutex);
    UnserializeState(&copiedPreset, 0);
    // The name the source slot has now, which may differ from the one it had when copied.
    const std::string name = GetPresetName(copiedPresetIdx);
    ModifyCurrentPreset(name.c_str());
    RedrawParamControls();
    DirtyParameters();
}

void Synth::changePreset(int idx) {
    IMutexLock lock(mutex);
    ModifyCurrentPreset(nullptr);
    RestorePreset(idx);
    InformHostOfProgramChange();
    DirtyParameters();
}

void Synth::loadFXBfromBlob(const void* data, int size) {
    ByteChunk chunk;
    if (data && size > 0) chunk.PutBytes(data, size);
    int pos = 0;
    for (int field = 0; field < kBankFieldsSize / 4; ++field) {
        int32_t ignored = 0;
        pos = chunk.Get(&ignored, pos);
    }
    pos = chunk.Fits(pos, kBankReservedSize) ? pos + kBankReservedSize : -1;
    int32_t ignored = 0;
    pos = chunk.Get(&ignored, pos);
    if (pos < 0) return;
    GetIPlugVerFromChunk(&chunk, &pos);
    UnserializePresets(&chunk, pos);
    InformHostOfProgramChange();
}
