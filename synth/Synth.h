#pragma once

#include "IPlugVST.h"

#include <string>

class IGraphics;

// Four-character codes as hosts and files store them: the first character in the highest byte.
constexpr int FourCC(const char (&code)[5]) {
    return (code[0] << 24) | (code[1] << 16) | (code[2] << 8) | code[3];
}

// The services between the VST adapter and the instrument. For now it carries the plug-in's identity
// and where it lives on disk; programs, MIDI learn and the tuning state join it as they are built.
class Synth : public IPlugVST {
public:
    static constexpr int kNumParams = 153;
    static constexpr int kNumPrograms = 64;
    static constexpr int kVendorVersion = 0x00010105;
    static constexpr int kUniqueID = FourCC("korv");
    static constexpr int kMfrID = FourCC("MaLa");

    explicit Synth(IPlugInstanceInfo instanceInfo);
    ~Synth() override = default;

    // The instrument decides what MIDI does; the framework's pass-through would echo everything.
    void ProcessMidiMsg(IMidiMsg*) override {}

    virtual void createGraphics() {}
    virtual IGraphics* GetGUI() { return nullptr; }
    virtual void allNotesOff() {}
    virtual void initPresets() {}
    virtual void initParameters() {}
    virtual void initPreset();

    // The folder that holds the plug-in bundle, with a trailing slash.
    const std::string& GetPluginPath() const { return pluginPath; }
    // Works out that folder from where the loaded code lies: <dir>/Korvanta.vst/Contents/x86_64-linux/
    // gives <dir>/, a loose module its own folder.
    static std::string FindPluginPath();
    static std::string PluginPathFromModule(const std::string& modulePath);

protected:
    std::string pluginPath;
};
