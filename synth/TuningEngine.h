#pragma once

#include "plugin/ByteChunk.h"
#include "synth/MTSClient.h"
#include "tuning/CSCL_Import.h"
#include "tuning/CSingleScale.h"
#include "tuning/Pitch.h"
#include "tuning/PitchSource.h"

#include <array>
#include <cstdint>
#include <string>

// The tuning selector: equal temperament, the thirteen built-in temperaments, or the user tuning.
enum MicroTuning : int32_t {
    eEqual = 0,
    eJust,
    eKirnberger,
    ePythagorean,
    eValottiYoung,
    eWerckmeisterIII,
    eMeantoneQuarterComma,
    eMeantoneFifthComma,
    eBagpipe,
    eChineseLu,
    eCarlosSuperJust,
    eCarlosHarmonic,
    ePentatonic,
    eHeptatonic,
    eUserTuning
};

// Gives every MIDI note a pitch in 1/128 semitone: from the selected tuning's table, or from an MTS-ESP
// master while one is running. Synth derives from it, so these are Synth's tuning operations.
class TuningEngine : public PitchSource {
public:
    static constexpr int kNumTunings = 15;
    static constexpr int kNumNotes = 128;
    static constexpr int kNameSize = 256;
    static constexpr int kTuningBlockSize = 4 + kNameSize + 2 * kNumNotes;
    // loadTuning results.
    static constexpr int kLoadDone = 0;
    static constexpr int kLoadFailed = 8;

    static constexpr std::array<const char*, kNumTunings> labelMicroTuning{"Equal",
                                                                           "Just",
                                                                           "Kirnberger",
                                                                           "Pythagorean",
                                                                           "Valotti + Young",
                                                                           "Werckmeister III",
                                                                           "Meantone 1/4 comma",
                                                                           "Meantone 1/5 comma",
                                                                           "Bagpipe",
                                                                           "Chinese Lu",
                                                                           "W. Carlos Super Just",
                                                                           "W. Carlos Harmonic",
                                                                           "Pentatonic",
                                                                           "Heptatonic",
                                                                           "[User]"};

    // Selects equal temperament, makes it the user tuning too, and registers with MTS-ESP.
    TuningEngine();
    // The same with another MTS-ESP library record (tests load a stand-in library).
    explicit TuningEngine(const MTSLibrary& library);
    virtual ~TuningEngine();
    TuningEngine(const TuningEngine&) = delete;
    TuningEngine& operator=(const TuningEngine&) = delete;

    static double convert2Hz(int pitch) { return Pitch::convert2Hz(pitch); }

    // Pitch of a MIDI note; 0 for a note outside 0..127 when no master is running.
    int getFrequency(int note) override;
    bool noteShouldBeSkipped(int note);
    bool hasMTSMaster() const;
    // A value outside 0..14 selects equal temperament.
    void setTuning(MicroTuning tuning);
    void importTuning(const TUN::CSingleScale& scale, int* table);
    const char* getTuningName(int index);
    void setCustomTuningName(const char* name);
    // Reads an SCL, KBM or TUN file (by the path's last three letters) into the user tuning. Does not
    // select it. kLoadDone or kLoadFailed; on failure errorText (when given) says why.
    int loadTuning(const char* path, bool exactTuning, std::string* errorText = nullptr);
    bool serializeTuning(ByteChunk* chunk) const;
    int unserializeTuning(ByteChunk* chunk, int startPos);
    // The position after a whole tuning block at startPos, or -1.
    static int tuningEnd(const ByteChunk* chunk, int startPos) {
        return chunk->Fits(startPos, kTuningBlockSize) ? startPos + kTuningBlockSize : -1;
    }

    MicroTuning microTuning = eEqual;
    TUN::CSCL_Import sclImport;
    char customTuningName[kNameSize] = {};
    std::array<int, kNumNotes> tuningTable{};
    std::array<int, kNumNotes> customTuningTable{};
    MTSClient* mtsClient = nullptr;

private:
    static int pitchOfFrequency(double hz);
};
