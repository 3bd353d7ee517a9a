// The instrument's state chunk: everything that makes its sound, self-delimiting so that a bank can
// place one state after another without lengths.

#include "instrument/Korvanta.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr char kFormatMarker[] = "Korvanta_1.1.3";
constexpr int kMarkerSize = sizeof kFormatMarker - 1;
constexpr unsigned char kUserWaveSlots = kNumUserTables;
constexpr int32_t kExtensionLength = 4;
constexpr int32_t kExtensionValue = 1105;

int readByte(const ByteChunk* chunk, int pos, unsigned char* value) {
    return chunk->GetBytes(value, 1, pos);
}

bool hasMarker(const ByteChunk* chunk, int pos) {
    return chunk && chunk->Fits(pos, kMarkerSize) &&
           std::memcmp(chunk->GetData() + pos, kFormatMarker, kMarkerSize) == 0;
}

// The position after the marker, program index and name of the current layout, or -1; an older layout
// starts with the values at pos itself.
int valuesStart(const ByteChunk* chunk, int pos) {
    if (!hasMarker(chunk, pos)) return pos;
    // The program index and name are there for readers of the chunk; the program list has its own.
    int32_t nameLength = -1;
    pos = chunk->Get(&nameLength, pos + kMarkerSize + 4);
    if (pos < 0 || nameLength < 0 || !chunk->Fits(pos, nameLength)) return -1;
    return pos + nameLength;
}

// The extension closes every state: its length, then (when the length is positive) four bytes.
int extensionEnd(const ByteChunk* chunk, int pos) {
    int32_t extensionLength = 0;
    pos = chunk->Get(&extensionLength, pos);
    if (pos < 0) return -1;
    if (extensionLength < 1) return pos;
    return chunk->Fits(pos, 4) ? pos + 4 : -1;
}

} // namespace

bool Korvanta::isNewVersion_1_1_3(ByteChunk* chunk, int pos) const {
    return hasMarker(chunk, pos);
}

int Korvanta::StateEnd(const ByteChunk* chunk, int pos) const {
    if (!chunk) return -1;
    pos = valuesStart(chunk, pos);
    const int values = static_cast<int>(sizeof(double)) * NParams();
    pos = chunk->Fits(pos, values) ? pos + values : -1;
    if (pos >= 0) pos = tuningEnd(chunk, pos);
    unsigned char slots = 0;
    pos = pos >= 0 && pos < chunk->Size() ? readByte(chunk, pos, &slots) : -1;
    if (slots > kUserWaveSlots) return -1;
    for (int k = 0; k < slots && pos >= 0; ++k) {
        unsigned char stored = 0;
        pos = readByte(chunk, pos, &stored);
        if (pos >= 0 && stored) pos = Wave::recordEnd(chunk, pos);
    }
    return pos < 0 ? -1 : extensionEnd(chunk, pos);
}

bool Korvanta::SerializeState(ByteChunk* chunk) {
    if (!chunk) return false;
    IMutexLock lock(mutex);
    chunk->PutBytes(kFormatMarker, kMarkerSize);
    chunk->Put(static_cast<int32_t>(GetCurrentPresetIdx()));
    chunk->PutStr(GetPresetName(GetCurrentPresetIdx()));
    // Reserved parameters carry nothing yet; whatever they hold is not passed on.
    for (int i = kFirstReserved; i < NParams(); ++i) params[i].Set(0.0);
    for (const IParam& param : params) chunk->Put(param.Value());
    serializeTuning(chunk);
    chunk->PutBytes(&kUserWaveSlots, 1);
    for (int k = 0; k < kNumOscillators; ++k) {
        // A table no oscillator plays would only make every program that passes by it heavier.
        const unsigned char stored = userWaves[k].isValid() && isWaveUsed(k) ? 1 : 0;
        chunk->PutBytes(&stored, 1);
        if (!stored) continue;
        userWaves[k].serialize(chunk);
        // A program that carries the record must find it again when it is chosen, from any thread.
        keepInPool(userWaves[k]);
    }
    chunk->Put(kExtensionLength);
    chunk->Put(kExtensionValue);
    return chunk->Size() > 0;
}

int Korvanta::UnserializeState(ByteChunk* chunk, int pos) {
    if (!chunk) return -1;
    IMutexLock lock(mutex);
    // Nothing of a state that breaks off or holds a malformed field is applied.
    const int end = StateEnd(chunk, pos);
    if (end < 0) return -1;
    pos = valuesStart(chunk, pos);
    for (int i = 0; i < NParams() && pos >= 0; ++i) {
        double x = 0.0;
        pos = chunk->Get(&x, pos);
        if (pos < 0) x = 0.0;
        // Set clamps to the bounds and reads NaN as the lower bound.
        params[i].Set(x);
    }
    OnParamReset();
    pos = unserializeTuning(chunk, pos);

    unsigned char slots = 0;
    pos = pos >= 0 && pos < chunk->Size() ? readByte(chunk, pos, &slots) : -1;
    if (pos < 0) return -1;
    bool waveRead = false;
    for (int k = 0; k < std::min<int>(slots, kNumOscillators) && pos >= 0; ++k) {
        userWaves[k].clear();
        unsigned char stored = 0;
        pos = readByte(chunk, pos, &stored);
        if (pos >= 0 && stored) {
            pos = restoreUserWave(k, chunk, pos);
            waveRead = true;
        }
    }
    if (waveRead) {
        for (const int idx : kWaveTableParams) OnParamChange(idx);
    }
    return end;
}

int Korvanta::UnserializePresets(ByteChunk* chunk, int pos) {
    IMutexLock lock(mutex);
    const bool wasLoading = loading;
    loading = true;
    // The records of the programs the bank replaces: kept while the bank is read, so that records the new
    // programs share with the old ones are not built again, and let go afterwards unless still in use.
    retiredPool.swap(wavePool);
    pos = Synth::UnserializePresets(chunk, pos);
    loading = wasLoading;
    // A bank read only in part leaves programs of the old bank in place, and their records with them.
    if (pos < 0) wavePool.insert(wavePool.end(), retiredPool.begin(), retiredPool.end());
    for (int k = 0; k < kNumOscillators; ++k) {
        keepInPool(userWaves[k]);
        keepInPool(oscUserWaves[k]);
    }
    retiredPool.clear();
    if (!loading) {
        for (int k = 0; k < kNumOscillators; ++k) buildWaveTable(k);
    }
    return pos;
}

void Korvanta::initPreset() {
    IMutexLock lock(mutex);
    for (int i = 0; i < NParams(); ++i) {
        const IParam& param = params[i];
        SetParameterFromGUI(i, param.GetNormalized(param.GetDefault()));
        updateUI(i, false);
    }
    setTuning(eEqual);
    // The catalogue takes the user tables' names from the records, so clearing them empties those too.
    for (Wave& wave : userWaves) wave.clear();
    ModifyCurrentPreset("Init");
    RedrawParamControls();
    DirtyParameters();
}
