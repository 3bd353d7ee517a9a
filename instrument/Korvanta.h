#pragma once

#include "engine/BuiltInTables.h"
#include "engine/Chorus.h"
#include "engine/Clock.h"
#include "engine/MG.h"
#include "engine/MipMap.h"
#include "engine/NoiseSource.h"
#include "engine/Voice.h"
#include "engine/VoiceGroup.h"
#include "instrument/TableDefs.h"
#include "instrument/Wave.h"
#include "instrument/WaveImport.h"
#include "plugin/IMidiMsg.h"
#include "synth/Synth.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace KorvantaExtension {
struct Request;
}

class IControl;

// The instrument: 64 voices of three wavetable oscillators, noise, filter and envelopes, three
// modulation generators, a host clock and a stereo chorus, driven by MIDI at the exact sample of every
// note event and by 153 parameters.
class Korvanta : public Synth, public NoiseSource {
public:
    static constexpr int kMaxVoices = 64;
    static constexpr int kNumOscillators = 3;
    static constexpr int kNumGenerators = 3; // MG 1, MG 2, vibrato
    static constexpr int kVibrato = 2;
    static constexpr std::array<int, 7> kVoiceCounts = {1, 2, 4, 8, 16, 32, 64};
    // Where the wave files, the init bank and the bitmaps lie, from the plug-in path.
    static constexpr char kResourceFolder[] = "Korvanta.vst/Contents/Resources/";

    explicit Korvanta(IPlugInstanceInfo instanceInfo);
    ~Korvanta() override = default;

    // The editor (KorvantaEditor.cpp): built once here, shown whenever the host opens its window.
    void createGraphics() override;
    IGraphics* GetGUI() override { return gui; }
    void OnGUIOpen() override;

    // Parameters (KorvantaParameters.cpp).
    void initParameters() override;

    // Notes and voice assignment (KorvantaNotes.cpp).
    void setNoteOn(int note, int velocity);
    void playNote(int note, int velocity);
    void setNoteOff(int note);
    void setSustain(bool on);
    // value 0..1
    void setPolyAfterTouch(int note, double value);
    void allNotesOff() override;
    void setSoundOff();
    void setTune();
    void setSpread();
    // Shows which oscillators sound through the editor's lamps (KorvantaEditor.cpp).
    void OnIdle() override;

    // Render loop (KorvantaRender.cpp).
    void ProcessMidiMsg(IMidiMsg* msg) override;
    void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
    void handleMidiEvents();
    void handleSync2Host();
    double getNoise() override;
    void fillNoise(double* out, int count) override;
    // The noise sequence is shared by every instance of the process; tests restart it.
    static void setNoiseSeed(int32_t seed) { noiseSeed.store(seed, std::memory_order_relaxed); }
    static int32_t getNoiseSeed() { return noiseSeed.load(std::memory_order_relaxed); }

    // Parameter dispatch (KorvantaDispatch.cpp).
    void OnParamChange(int idx) override;
    void Reset() override;
    void copyOsc(int from, int to);

    // Wave tables (KorvantaWaves.cpp).
    const char* getWaveTableName(int paramIdx);
    const char* getUserWaveName(int k) const;
    bool isWaveUsed(int k) const;
    void incrementWaveTable(int paramIdx, bool down);

    // State chunk and program reset (KorvantaState.cpp).
    bool SerializeState(ByteChunk* chunk) override;
    int UnserializeState(ByteChunk* chunk, int pos) override;
    int StateEnd(const ByteChunk* chunk, int pos) const override;
    // True when the state at pos carries the format marker of the current layout.
    bool isNewVersion_1_1_3(ByteChunk* chunk, int pos) const;
    // Every program of a bank passes through the live instrument; only the mip-maps of the program
    // restored at the end are built.
    int UnserializePresets(ByteChunk* chunk, int pos) override;
    void initPreset() override;

    // Where the built-in tables read their resource files; the module finds its own folder, test
    // programs point elsewhere. Switches to the process's set for that folder, built on first use.
    void setResourceFolder(const std::string& folder);

    // User wave tables from files into user wave k (0..2); a failed load changes nothing.
    bool loadWaveTable(int k, const std::string& path);
    bool readWAV(int k, const std::string& path);
    bool readBlofeldSYX(int k, const std::string& path);

    // The file commands of the host extension (instrument/KorvantaExtension.h).
    intptr_t HandleVendorCommand(int32_t command, void* request) override;

    // What the rest of the program (editor, state, import, tests) reads of the engine.
    const Voice& getVoice(int i) const { return voices[i]; }
    const MG& getGenerator(int i) const { return generators[i]; }
    const Chorus& getChorus() const { return chorus; }
    const Clock& getClock() const { return clock; }
    // The table oscillator osc plays.
    const MipMap& getMipMap(int osc) const;
    Wave& getUserWave(int k) { return userWaves[k]; }
    TableDefs& getTableDefs() { return tableDefs; }
    int getNumVoices() const { return numVoices; }
    int getSubBlockLength() const { return subBlockLength; }
    int getPendingNoteEvents() const { return noteEventCount - noteEventFirst; }

    int numVoices = kMaxVoices;
    bool unison = false;
    bool xMode = false;
    std::array<bool, kNumOscillators> oscOn{};
    int xModeOsc = -1;
    int noteCounter = 0;
    bool sustain = false;
    double tune = 0.0;   // 1/128 semitone
    double detune = 0.0; // 1/128 semitone
    double spread = 0.0; // 0..1
    double unisonGain = 1.0;

    double pitchBend = 0.0;
    double modWheel = 0.0;
    double channelAfterTouch = 0.0;
    bool transportRunning = false;
    double volume = 0.0;
    bool chorusOn = false;

    std::array<int, kNumOscillators> waveTableId{};
    bool loading = true;
    // False while the startup bank is read: its programs reach the parameters but not the voices.
    bool voicesFollowParameters = true;
    double sampleRate = -1.0;
    std::array<bool, kNumGenerators> mgSync{};

protected:
    // Hands one parameter to all 64 voices, in use or not, so a later change of the voice count finds
    // them prepared.
    virtual void setVoiceParam(int idx, double value, double normalized);
    // Keeps the editor's view of a parameter's neighbours in step while its window is open.
    virtual void updateUI(int paramIdx, bool flag);
    // The editor's side of MIDI learn and of the online check (KorvantaEditor.cpp).
    void showMidiLearnFinished() override;
    int showMessageBox(const char* text, const char* caption, int yesNo) override;
    bool openURL(const char* url) override;

private:
    intptr_t loadWaveTableFile(KorvantaExtension::Request* request);
    // Points every voice's oscillator osc at the table its "Wave Table" parameter names: a pointer swap.
    void buildWaveTable(int osc);
    // Makes user wave k the record a state chunk holds at pos and returns the position after it, or -1.
    // A record that a bank, a program or an import already brought is taken as it is; only a record never
    // seen before is read and its table built.
    int restoreUserWave(int k, const ByteChunk* chunk, int pos);
    // Keeps a record in the pool of records that state chunks may bring back.
    void keepInPool(const Wave& wave);
    void setGeneratorPeriod(int generator, double hz);
    void applyNoteEvent(const IMidiMsg& msg);
    void addNoteEvent(const IMidiMsg& msg);
    void applyLeftoverNoteEvents();
    void carryOverIntoOpenSubBlock();
    void startSubBlock();
    void renderChunk(double* left, double* right, int nFrames, double gain);
    void handleController(const IMidiMsg& msg);
    // Replaces user wave k by a table read completely, and rebuilds the oscillators that play it.
    bool storeImportedWave(int k, const WaveImport::ImportedWaveTable& table);

    // Instances rendering on different threads draw from it at once: each draw reads and writes it
    // whole, and a draw two instances happen to share harms nothing.
    static std::atomic<int32_t> noiseSeed;

    // Owned by the plug-in base once attached.
    IGraphics* gui = nullptr;
    std::array<IControl*, kNumOscillators> lamps{};
    IControl* pasteKick = nullptr;
    IControl* learnSwitch = nullptr;
    bool pasteLit = false;
    std::atomic<bool> learnFinished{false};

    std::array<Voice, kMaxVoices> voices;
    VoiceGroup voiceGroup;
    const BuiltInTables* builtInTables = nullptr;
    // Per oscillator: the table its voices play and the record that owns it when it is a user table.
    std::array<const MipMap*, kNumOscillators> oscTables{};
    std::array<Wave, kNumOscillators> oscUserWaves;
    std::array<Wave, kNumOscillators> userWaves;
    // Every user wave record this instance's programs and imports have brought, tables built. A program
    // change finds its records here instead of building them on the audio thread; records only the pool
    // holds are let go after the next bank load.
    std::vector<Wave> wavePool;
    // The pool of the bank being replaced, while a new one is read.
    std::vector<Wave> retiredPool;
    std::array<MG, kNumGenerators> generators;
    Chorus chorus;
    Clock clock;
    ClockTime clockTime;
    TableDefs tableDefs;

    // Note-on, note-off and pedal messages of the current sub-block in position order, positions
    // counted from the sub-block's first sample. Its capacity is fixed outside the audio thread.
    std::vector<IMidiMsg> noteEvents;
    int noteEventFirst = 0;
    int noteEventCount = 0;
    // Position of the next sample inside the current sub-block.
    int subBlockPosition = 0;
};
