#pragma once

#include "plugin/vst2/Vst2.h"

#include <string>

// Loads a VST 2.4 module and holds one instance of its plug-in, answering its host callback the way a
// plain offline host does: the transport it reports is whatever the caller last set.
class PluginHost {
public:
    PluginHost() = default;
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // Loads the module and creates the plug-in through VSTPluginMain. On failure returns false and
    // Error() tells why.
    bool Load(const std::string& modulePath);
    void Close();

    // Opens the plug-in for processing at this rate and maximum block size, and switches it on.
    void Start(double sampleRate, int blockSize);

    AEffect* Effect() const { return effect; }
    const std::string& Error() const { return error; }
    VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) const;
    // Texts the plug-in writes into a buffer of ours.
    std::string DispatchText(VstInt32 opcode, VstInt32 index = 0) const;
    // The parameter that the plug-in names exactly so (the first, when two share a name), or -1.
    int FindParameter(const std::string& name) const;

    // What audioMasterGetTime answers from now on.
    void SetTime(const VstTimeInfo& info) { timeInfo = info; }

    static constexpr const char* kProductString = "korvanta-render";
    static constexpr const char* kVendorString = "Marrow Lane Audio";
    static constexpr VstIntPtr kVendorVersion = 10105;

private:
    static VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                  void* ptr, float opt);
    VstIntPtr answer(VstInt32 opcode, void* ptr);

    void* module = nullptr;
    AEffect* effect = nullptr;
    std::string error;
    VstTimeInfo timeInfo{};
    double sampleRate = 44100.0;
    int blockSize = 512;
};
