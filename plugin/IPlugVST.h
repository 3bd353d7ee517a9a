#pragma once

#include "plugin/IPlugBase.h"
#include "plugin/vst2/Vst2.h"

// What the entry point hands to the plug-in's constructor.
struct IPlugInstanceInfo {
    audioMasterCallback VSTHostCallback = nullptr;
};

// Connects IPlugBase to a host speaking the VST 2.4 interface: fills the AEffect record, answers the
// dispatcher, exposes parameter access and the three process entries, and reaches the host through
// its callback.
class IPlugVST : public IPlugBase {
public:
    // Bit flags of cockosExtensions.
    static constexpr int kCockosExtensions = 1;
    static constexpr int kCockosViewAsConfig = 2;

    IPlugVST(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
             const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
             int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst);

    AEffect* GetAEffect() { return &aEffect; }
    int GetCockosExtensions() const { return cockosExtensions; }

    void BeginInformHostOfParamChange(int idx) override;
    void InformHostOfParamChange(int idx, double normalizedValue) override;
    void EndInformHostOfParamChange(int idx) override;
    void InformHostOfProgramChange() override;
    bool IsRenderingOffline() override;
    int GetSamplePos() override;
    double GetTempo() override;
    void GetTimeSig(int* numerator, int* denominator) override;
    void GetTime(ITimeInfo* timeInfo) override;
    EHost GetHost() override;
    void ResizeGraphics(int w, int h) override;
    void HostSpecificInit() override;
    void AttachGraphics(IPlugEditor* editor) override;
    void SetLatency(int samples) override;
    bool SendMidiMsg(IMidiMsg* msg) override;
    bool SendSysEx(ISysEx* sysex) override;
    bool SendVSTEvent(VstEvent* event);

    // Hosts that ask for bank chunks but cannot take them back: they get program chunks only.
    bool isBankRequestingHost();

    // The entries the host calls through the AEffect record.
    static VstIntPtr VSTDispatcher(AEffect* effect, VstInt32 opCode, VstInt32 idx, VstIntPtr value, void* ptr,
                                   float opt);
    static void VSTProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 nFrames);
    static void VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 nFrames);
    static void VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                          VstInt32 nFrames);
    static float VSTGetParameter(AEffect* effect, VstInt32 idx);
    static void VSTSetParameter(AEffect* effect, VstInt32 idx, float value);

    // The AEffect speaker arrangement type for n channels.
    static VstInt32 VSTSpkrArrType(int nChannels) {
        return nChannels > 2 ? kSpeakerArrUserDefined : nChannels - 1;
    }

    // Largest chunk a host may hand over; anything bigger is not a state of this plug-in.
    static constexpr VstIntPtr kMaxChunkSize = VstIntPtr{1} << 30;
    // Block sizes a host may announce.
    static constexpr VstIntPtr kMaxBlockSize = VstIntPtr{1} << 20;

protected:
    VstIntPtr HostCallback(VstInt32 opcode, VstInt32 idx = 0, VstIntPtr value = 0, void* ptr = nullptr,
                           float opt = 0.0f);

private:
    VstIntPtr dispatch(VstInt32 opCode, VstInt32 idx, VstIntPtr value, void* ptr, float opt);
    VstIntPtr getChunk(bool isBank, void** data);
    VstIntPtr setChunk(bool isBank, const void* data, VstIntPtr size);
    // Applies a checked program chunk and stores it into the current program under its name, if any.
    void applyProgramChunk(bool isBank, const ByteChunk& incoming, int stateStart, const char* name);
    VstIntPtr string2Parameter(int idx, const char* text);
    VstIntPtr pinProperties(int idx, bool input, VstPinProperties* properties);
    VstIntPtr canDo(const char* text);
    VstIntPtr vendorSpecific(VstInt32 idx, VstIntPtr value, void* ptr, float opt);
    void processEvents(const VstEvents* events);
    void setSpeakerConnections(const VstSpeakerArrangement* inArr, const VstSpeakerArrangement* outArr);
    void setParameterFromHost(int idx, float value);
    // Tells the host we want MIDI, checks the host's buffers and attaches them; false means render nothing.
    template <typename Sample>
    bool attachProcessBuffers(Sample** inputs, Sample** outputs, VstInt32 nFrames);
    VstTimeInfo* getHostTime(VstInt32 mask);
    void updateEditorRect();

    audioMasterCallback hostCallback = nullptr;
    bool hostSpecificInitDone = false;
    int cockosExtensions = 0;
    ByteChunk state;
    ByteChunk bankState;
    bool bankRequestingHost = false;
    bool bankRequestingHostKnown = false;
    AEffect aEffect{};
    ERect editRect{};
    VstSpeakerArrangement inputSpkrArr{};
    VstSpeakerArrangement outputSpkrArr{};
};
