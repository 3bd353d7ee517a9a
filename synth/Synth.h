#pragma once

#include "engine/ParameterIds.h"
#include "plugin/ByteChunk.h"
#include "plugin/IMidiQueue.h"
#include "plugin/IPlugVST.h"
#include "synth/TuningEngine.h"
#include "synth/VersionCheck.h"

#include <array>
#include <string>

class IGraphics;

// Four-character codes as hosts and files store them: the first character in the highest byte.
constexpr int FourCC(const char (&code)[5]) {
    return (code[0] << 24) | (code[1] << 16) | (code[2] << 8) | code[3];
}

// The services between the VST adapter and the instrument: identity and location on disk, the tuning
// (as a second base, so Synth::getFrequency is the tuning engine's), the held keys, the MIDI inbox,
// the global MIDI switches and MIDI learn.
class Synth : public IPlugVST, public TuningEngine {
public:
    static constexpr int kNumPrograms = 64;
    static constexpr int kNumLearnableCCs = 120;
    static constexpr int kNumKeys = 128;
    static constexpr int kVendorVersion = 0x00010105;
    static constexpr int kUniqueID = FourCC("korv");
    static constexpr int kMfrID = FourCC("MaLa");

    explicit Synth(IPlugInstanceInfo instanceInfo);
    ~Synth() override = default;

    void Reset() override;
    void OnParamChange(int paramIdx) override;
    void OnActivate(bool active) override;
    // The instrument decides what MIDI does; the framework's pass-through would echo everything.
    void ProcessMidiMsg(IMidiMsg*) override {}

    virtual void createGraphics() {}
    virtual IGraphics* GetGUI() { return nullptr; }
    virtual void allNotesOff() {}
    // Fills the programs from the startup bank, else from the bank shipped in the bundle.
    virtual void initPresets();
    virtual void initParameters() {}
    virtual void initPreset();

    // Program management (SynthPrograms.cpp).
    void copyPreset();
    void pastePreset();
    void changePreset(int idx);
    // A whole bank file in memory; its header is skipped without looking at it.
    void loadFXBfromBlob(const void* data, int size);

    // The configuration file (SynthConfig.cpp). Results: 0 done, 11 the file does not exist.
    static constexpr int kConfigDone = 0;
    static constexpr int kConfigMissing = 11;
    // Items of saveConfig: everything, or one of the two MIDI switches.
    static constexpr int kSaveAll = -1;
    static constexpr int kSaveMidiThru = 19;
    static constexpr int kSaveIgnoreProgramChange = 20;
    int loadConfig();
    void saveConfig(int which);
    void storeProgramPath(const std::string* path);
    int setStartupFxb(const char* path);
    void saveStartupFxb();
    void unsetStartupFxb();
    static bool fileExists(const std::string& path);
    // The bank shipped in the bundle.
    std::string getInitBankPath() const;
    // "Check Online for Update": asks the configured server and tells the user through the editor.
    void checkVersionAgainstWeb();

    // Defines parameter idx as an enumeration showing labels[0..nItems-1]; an unknown idx sets nothing.
    void initListParameter(int idx, const char* name, int defaultIdx, int nItems, const char* const* labels);

    // Held keys, ordered by note number. Touched on the audio thread, so it is a fixed table.
    void clearKeyBuffer();
    // A velocity below 1 releases the key.
    void addPressedKey(int note, int velocity);
    void removePressedKey(int note);
    int getNumPressedKeys() const { return numPressedKeys; }
    // The velocity a held key was pressed with, 0 when it is not held.
    int getPressedKeyVelocity(int note) const;
    // The highest held note, or -1 when no key is held.
    int getHighestPressedKey() const;

    // MIDI learn: a request pends until both a controller and a parameter have been named.
    void doMidiLearn(bool on);
    void doMidiUnlearn(bool on);
    void setMidiLearnCC(int cc);
    void setMidiLearnParam(int idx);
    void applyMidiLearn();

    // The folder that holds the plug-in bundle, with a trailing slash.
    const std::string& GetPluginPath() const { return pluginPath; }
    // Works out that folder from where the loaded code lies: <dir>/Korvanta.vst/Contents/x86_64-linux/
    // gives <dir>/, a loose module its own folder.
    static std::string FindPluginPath();
    static std::string PluginPathFromModule(const std::string& modulePath);

    int copiedPresetIdx = -1;
    ByteChunk copiedPreset;
    bool midiThru = false;
    bool ignoreProgramChange = false;
    std::array<int, kNumLearnableCCs> midiCC{};
    bool midiLearnOn = false;
    bool midiUnlearn = false;
    int midiLearnCC = -1;
    int midiLearnParam = -1;
    std::string homePath;
    std::string iniFile;
    std::string programPath;
    VersionCheck::Settings versionCheck; // addresses from the configuration file
    std::string startupFxb;

protected:
    // Works out the paths, creates the folder and the file (moving an older file over) and reads it.
    void setupConfig();

    // Hook for the editor's MIDI-learn switch to fall back to off once a request is done.
    virtual void showMidiLearnFinished() {}
    // The editor's message box and browser, for the services here; without an editor a question is
    // answered "no" (7) and nothing opens.
    virtual int showMessageBox(const char*, const char*, int yesNo) { return yesNo ? 7 : 1; }
    virtual bool openURL(const char*) { return false; }

    std::string pluginPath;
    // The block's MIDI, in offset order, drained once per control sub-block.
    IMidiQueue midiQueue{1024};
    // Samples per control sub-block (about a millisecond) and what is left of the current one.
    int subBlockLength = 0;
    int subBlockLeft = 0;

private:
    std::array<int, kNumKeys> keyVelocity{};
    int numPressedKeys = 0;
};
