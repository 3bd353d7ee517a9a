#include "synth/TuningEngine.h"

#include "synth/TuningBuiltinScales.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>

namespace {

constexpr double kLowestHz = 8.176;
constexpr double kHighestHz = 19912.127;

// NaN counts as the lowest frequency, so nothing a file or a master sends becomes a wild pitch.
double clampedFrequency(double hz) {
    if (std::isnan(hz)) return kLowestHz;
    return std::clamp(hz, kLowestHz, kHighestHz);
}

// convert2Hz never decreases with the pitch and is constant beyond these bounds, so the step-by-step
// walks below reduce to bisection with exactly the same results.
constexpr int kLowestPitch = -Pitch::kMaxPitch;
constexpr int kHighestPitch = Pitch::kMaxPitch;

// Largest p <= start with convert2Hz(p) <= f, for f >= the lowest frequency.
int walkDown(int start, double f) {
    if (TuningEngine::convert2Hz(start) <= f) return start;
    int low = kLowestPitch; // convert2Hz(low) <= f
    int high = start;       // convert2Hz(high) > f
    while (high - low > 1) {
        const int mid = low + (high - low) / 2;
        (TuningEngine::convert2Hz(mid) <= f ? low : high) = mid;
    }
    return low;
}

// Smallest p >= start with convert2Hz(p) >= f, for f <= the highest frequency.
int walkUp(int start, double f) {
    if (TuningEngine::convert2Hz(start) >= f) return start;
    int low = start;          // convert2Hz(low) < f
    int high = kHighestPitch; // convert2Hz(high) >= f
    while (high - low > 1) {
        const int mid = low + (high - low) / 2;
        (TuningEngine::convert2Hz(mid) >= f ? high : low) = mid;
    }
    return high;
}

// The nearest pitch step to frequency f, searched from note n's equal-tempered pitch. The second
// distance is always taken to the note's own equal-tempered frequency: kept so that stored user tunings
// and built-in scales keep exactly the pitches they always had.
int nearestStep(int note, double f) {
    const double equal = Pitch::MIDI2Hz()[note];
    if (equal > f) {
        const int p = walkDown(Pitch::kStepsPerSemitone * note - 1, f);
        return (f - TuningEngine::convert2Hz(p) > equal - f) ? p + 1 : p;
    }
    const int p = walkUp(Pitch::kStepsPerSemitone * note + 1, f);
    return (TuningEngine::convert2Hz(p) - f > f - equal) ? p - 1 : p;
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    const std::string_view tail = text.substr(text.size() - suffix.size());
    return std::equal(tail.begin(), tail.end(), suffix.begin(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

} // namespace

TuningEngine::TuningEngine() : TuningEngine(MTSLibrary::process()) {}

TuningEngine::TuningEngine(const MTSLibrary& library) {
    setTuning(eEqual);
    customTuningTable = tuningTable;
    mtsClient = MTS_RegisterClient(library);
}

TuningEngine::~TuningEngine() {
    MTS_DeregisterClient(mtsClient);
}

int TuningEngine::pitchOfFrequency(double hz) {
    // Successive approximation over the pitch range: 14 comparisons, steps 4320 down to 1.
    int p = 8640;
    int s = 8640;
    for (;;) {
        const double candidate = convert2Hz(p);
        if (candidate > hz)
            p -= s / 2;
        else if (candidate < hz)
            p += s / 2;
        else
            break;
        if (s <= 1) break;
        s /= 2;
    }
    return p;
}

int TuningEngine::getFrequency(int note) {
    if (hasMTSMaster()) return pitchOfFrequency(MTS_NoteToFrequency(mtsClient, static_cast<char>(note), -1));
    if (note < 0 || note >= kNumNotes) return 0;
    return tuningTable[note];
}

bool TuningEngine::noteShouldBeSkipped(int note) {
    return hasMTSMaster() && MTS_ShouldFilterNote(mtsClient, static_cast<char>(note), -1);
}

bool TuningEngine::hasMTSMaster() const {
    return MTS_HasMaster(mtsClient);
}

void TuningEngine::setTuning(MicroTuning tuning) {
    // Compared without sign: a negative value from a chunk must not index the label table.
    const auto t = static_cast<uint32_t>(tuning) < kNumTunings ? tuning : eEqual;
    microTuning = t;
    if (t == eUserTuning) {
        tuningTable = customTuningTable;
        return;
    }
    sclImport.ResetMapping();
    sclImport.ResetTuning();
    if (t == eEqual) {
        for (int n = 0; n < kNumNotes; ++n) tuningTable[n] = Pitch::kStepsPerSemitone * n;
        return;
    }
    TUN::CSingleScale scale;
    std::istringstream text(TuningBuiltinScales::sclText(t));
    TUN::CStringParser parser;
    sclImport.ReadSCL(text, parser);
    sclImport.SetSingleScale(scale);
    importTuning(scale, tuningTable.data());
}

void TuningEngine::importTuning(const TUN::CSingleScale& scale, int* table) {
    for (int n = 0; n < kNumNotes; ++n)
        table[n] = nearestStep(n, clampedFrequency(scale.GetFrequency(scale.MapMIDI2Scale(n))));
}

const char* TuningEngine::getTuningName(int index) {
    if (hasMTSMaster()) return MTS_GetScaleName(mtsClient);
    const uint32_t k = static_cast<uint32_t>(index) < kNumTunings ? static_cast<uint32_t>(index)
                                                                  : static_cast<uint32_t>(microTuning);
    if (k == eUserTuning) return customTuningName;
    return k < kNumTunings ? labelMicroTuning[k] : labelMicroTuning[eEqual];
}

void TuningEngine::setCustomTuningName(const char* name) {
    // Longer names are cut to fit the fixed field with its terminator.
    const std::size_t length = name != nullptr ? strnlen(name, kNameSize - 1) : 0;
    if (length > 0) std::memmove(customTuningName, name, length);
    customTuningName[length] = '\0';
}

int TuningEngine::loadTuning(const char* path, bool exactTuning, std::string* errorText) {
    if (path == nullptr) return kLoadFailed;
    TUN::CSingleScale scale;
    scale.SetExactTuningPreference(exactTuning);
    const std::string_view file = path;
    bool ok = false;
    std::string name;
    bool renames = true;
    std::string reason;
    if (endsWithIgnoringCase(file, "scl")) {
        ok = sclImport.ReadSCL(path);
        sclImport.SetSingleScale(scale);
        name = sclImport.GetScaleDescription();
        reason = sclImport.GetErrorText();
    } else if (endsWithIgnoringCase(file, "kbm")) {
        ok = sclImport.ReadKBM(path);
        sclImport.SetSingleScale(scale);
        renames = false;
        reason = sclImport.GetErrorText();
    } else {
        ok = scale.Read(path) > 0;
        name = scale.GetInfo().description;
        reason = scale.GetErrorText();
    }
    // A file that fails to load leaves the user tuning as it was: it may be the one a saved song plays.
    if (!ok) {
        if (errorText) *errorText = reason.empty() ? "the file cannot be read or holds no tuning" : reason;
        return kLoadFailed;
    }
    importTuning(scale, customTuningTable.data());
    if (renames) setCustomTuningName(name.c_str());
    return kLoadDone;
}

bool TuningEngine::serializeTuning(ByteChunk* chunk) const {
    chunk->Put(static_cast<int32_t>(microTuning));
    chunk->PutBytes(customTuningName, kNameSize);
    std::array<unsigned char, 2 * kNumNotes> table{};
    for (int n = 0; n < kNumNotes; ++n) {
        const auto value = static_cast<uint16_t>(customTuningTable[n]);
        table[2 * n] = static_cast<unsigned char>(value >> 8);
        table[2 * n + 1] = static_cast<unsigned char>(value & 0xFF);
    }
    chunk->PutBytes(table.data(), static_cast<int>(table.size()));
    return chunk->Size() > 0;
}

int TuningEngine::unserializeTuning(ByteChunk* chunk, int startPos) {
    int pos = -1;
    int32_t stored = 0;
    if (startPos >= 0 && chunk->Get(&stored, startPos) >= 0) {
        microTuning = static_cast<MicroTuning>(stored);
        pos = chunk->GetBytes(customTuningName, kNameSize, startPos + 4);
        // A stored name may lack its terminator.
        customTuningName[kNameSize - 1] = '\0';
    }
    // Entries beyond the end of the data keep their previous values.
    for (int n = 0; n < kNumNotes && pos >= 0; ++n) {
        unsigned char bytes[2] = {};
        pos = chunk->GetBytes(bytes, 2, pos);
        if (pos >= 0) customTuningTable[n] = (bytes[0] << 8) | bytes[1];
    }
    setTuning(microTuning);
    return pos;
}
