#pragma once

#include "plugin/ByteChunk.h"
#include "plugin/Hosts.h"
#include "plugin/IMidiMsg.h"
#include "plugin/IParam.h"
#include "plugin/IPlugEditor.h"
#include "plugin/IPreset.h"
#include "plugin/ISysEx.h"
#include "plugin/ITimeInfo.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// The plug-in APIs a framework build can target; this plug-in is built for VST2 only.
enum EAPI { kAPIVST2 = 0, kAPIVST3 = 1, kAPIAU = 2, kAPIRTAS = 3, kAPIAAX = 4, kAPISA = 5 };

using IMutexLock = std::lock_guard<std::recursive_mutex>;

// The host-independent core of the plug-in: parameters, programs, the audio channel model, host
// identity and the one recursive mutex that serialises everything host and editor do to the plug-in.
// A host adapter derives from it and supplies the operations that talk to the host.
class IPlugBase {
public:
    // Names are stored with at most this many bytes, terminator included.
    static constexpr int kNameSize = 128;
    static constexpr int kVersionStrSize = 16;

    IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
              const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
              int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI);
    virtual ~IPlugBase();

    IPlugBase(const IPlugBase&) = delete;
    IPlugBase& operator=(const IPlugBase&) = delete;

    // Overridden by the instrument.
    virtual void Reset();
    virtual void OnParamChange(int paramIdx);
    virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
    virtual void OnGUIOpen() {}
    virtual void OnGUIClose() {}
    virtual void OnIdle() {}
    virtual void OnActivate(bool active);
    virtual void ProcessMidiMsg(IMidiMsg* msg);
    virtual void ProcessSysEx(ISysEx*) {}
    virtual bool MidiNoteName(int noteNumber, char* name);
    virtual bool SerializeState(ByteChunk* chunk);
    virtual int UnserializeState(ByteChunk* chunk, int startPos);
    virtual bool CompareState(const unsigned char* incomingState, int startPos);
    virtual void OnWindowResize() {}
    virtual bool HostRequestingAboutBox() { return false; }
    virtual void OnHostIdentified() {}
    virtual void PopupHostContextMenuForParam(int, int, int) {}
    virtual void SetParameterFromGUI(int idx, double normalizedValue);

    // Supplied by the host adapter.
    virtual void BeginInformHostOfParamChange(int idx) = 0;
    virtual void InformHostOfParamChange(int idx, double normalizedValue) = 0;
    virtual void EndInformHostOfParamChange(int idx) = 0;
    virtual void InformHostOfProgramChange() = 0;
    virtual bool IsRenderingOffline() { return false; }
    virtual int GetSamplePos() = 0;
    virtual double GetTempo() = 0;
    virtual void GetTimeSig(int* numerator, int* denominator) = 0;
    virtual void GetTime(ITimeInfo* timeInfo) = 0;
    virtual EHost GetHost() { return host; }
    virtual EAPI GetAPI() { return api; }
    virtual void ResizeGraphics(int w, int h) = 0;
    virtual void HostSpecificInit() {}
    virtual void AttachGraphics(IPlugEditor* editor);
    virtual void SetLatency(int samples) { latency = samples; }
    virtual bool SendMidiMsg(IMidiMsg* msg) = 0;
    virtual bool SendSysEx(ISysEx*) { return false; }
    virtual void RedrawParamControls();
    virtual int UnserializePresets(ByteChunk* chunk, int startPos);
    virtual void ModifyCurrentPreset(const char* name = nullptr);
    virtual void DirtyPTCompareState() {}
    // A command of the plug-in's own host extension (the adapter routes it here when the host tags it
    // with the plug-in's unique id). 0 means not understood.
    virtual intptr_t HandleVendorCommand(int32_t /*command*/, void* /*request*/) { return 0; }
    virtual void PresetsChangedByHost() {}
    virtual void SetSampleRate(double rate) { sampleRate = rate; }
    virtual void SetBlockSize(int blockSize);
    // The position after a well-formed state at startPos, or -1 when UnserializeState would fail there.
    // Changes nothing: a chunk is checked whole before any of it is applied.
    virtual int StateEnd(const ByteChunk* chunk, int startPos) const;

    // Parameters, programs, audio settings.
    IParam* GetParam(int idx) { return idx >= 0 && idx < NParams() ? &params[idx] : nullptr; }
    const IParam* GetParam(int idx) const { return idx >= 0 && idx < NParams() ? &params[idx] : nullptr; }
    int NParams() const { return static_cast<int>(params.size()); }
    int NPresets() const { return static_cast<int>(presets.size()); }
    int GetCurrentPresetIdx() const { return currentPresetIdx; }
    double GetSampleRate() const { return sampleRate; }
    int GetBlockSize() const { return blockSize; }
    int GetLatency() const { return latency; }
    int GetTailSize() const { return tailSize; }
    int NInChannels() const { return static_cast<int>(inChannels.size()); }
    int NOutChannels() const { return static_cast<int>(outChannels.size()); }
    bool IsInChannelConnected(int chIdx) const;
    bool IsOutChannelConnected(int chIdx) const;
    double GetSamplesPerBeat();

    const char* GetEffectName() const { return effectName; }
    const char* GetProductName() const { return productName; }
    const char* GetMfrName() const { return mfrName; }
    int GetUniqueID() const { return uniqueID; }
    int GetMfrID() const { return mfrID; }
    bool DoesStateChunks() const { return stateChunks; }
    bool IsInst() const { return isInst; }
    bool DoesMIDI() const { return doesMIDI; }
    IPlugEditor* GetGraphics() const { return graphics; }
    std::recursive_mutex& GetMutex() { return mutex; }

    // Channel model.
    bool LegalIO(int nIn, int nOut) const;
    void LimitToStereoIO();
    void SetInputChannelConnections(int idx, int n, bool connected);
    void SetOutputChannelConnections(int idx, int n, bool connected);
    void AttachInputBuffers(int idx, int n, double** data, int nFrames);
    void AttachInputBuffers(int idx, int n, float** data, int nFrames);
    void AttachOutputBuffers(int idx, int n, double** data);
    void AttachOutputBuffers(int idx, int n, float** data);
    void ProcessBuffers(double, int nFrames);
    void ProcessBuffers(float, int nFrames);
    void ProcessBuffersAccumulating(float, int nFrames);
    void PassThroughBuffers(double, int nFrames);
    void PassThroughBuffers(float, int nFrames);
    void ZeroScratchBuffers();
    void SetInputLabel(int idx, const char* label);
    void SetOutputLabel(int idx, const char* label);
    void SetInputBusLabel(int idx, const char* label);
    void SetOutputBusLabel(int idx, const char* label);
    const char* GetInputLabel(int idx) const;
    const char* GetOutputLabel(int idx) const;

    // Versions and host.
    static void GetVersionParts(int version, int* major, int* minor, int* patch);
    static int GetDecimalVersion(int version);
    static void GetVersionStr(int version, char* text);
    int GetEffectVersion(bool decimal) const;
    void GetEffectVersionStr(char* text) const;
    void SetHost(const char* productString, int version);
    int GetHostVersion(bool decimal);
    void GetHostVersionStr(char* text);
    const char* GetAPIString() const;
    static const char* GetArchString() { return "x64"; }

    // Parameter flows.
    void OnParamReset();
    void DirtyParameters();
    bool SendMidiMsgs(std::vector<IMidiMsg>& msgs);

    // Programs and state chunks.
    bool RestorePreset(int idx);
    bool RestorePreset(const char* name);
    const char* GetPresetName(int idx) const;
    void EnsureDefaultPreset();
    bool SerializePresets(ByteChunk* chunk);
    bool SerializePreset(int idx, ByteChunk* chunk);
    int UnserializePreset(int idx, ByteChunk* chunk, int startPos);
    // The position after a well-formed bank chunk (or program record) at startPos, or -1.
    int PresetsEnd(const ByteChunk* chunk, int startPos, int records) const;
    bool SerializeParams(ByteChunk* chunk);
    int UnserializeParams(ByteChunk* chunk, int startPos);
    static void InitChunkWithIPlugVer(ByteChunk* chunk) { ::InitChunkWithIPlugVer(chunk); }
    static int GetIPlugVerFromChunk(ByteChunk* chunk, int* pos) { return ::GetIPlugVerFromChunk(chunk, pos); }

    // Program (FXP) and bank (FXB) files (IPlugFxFiles.cpp). Saving never leaves a half-written file in
    // place of an older one; a load that fails changes no program.
    bool SaveProgramAsFXP(const char* fileName);
    bool LoadProgramFromFXP(const char* fileName);
    bool SaveBankAsFXB(const char* fileName);
    bool LoadBankFromFXB(const char* fileName);
    // The same from and into memory: the whole file's bytes.
    bool MakeFXP(std::vector<unsigned char>* file);
    bool ReadFXP(const std::vector<unsigned char>& file);
    bool MakeFXB(std::vector<unsigned char>* file);
    bool ReadFXB(const std::vector<unsigned char>& file);

protected:
    struct ChannelIO {
        int nIn;
        int nOut;
    };
    struct InChannel {
        bool connected = false;
        std::vector<double> scratchBuf;
    };
    struct OutChannel {
        bool connected = false;
        float* floatDest = nullptr;
        std::vector<double> scratchBuf;
    };

    IPreset* GetPreset(int idx) { return idx >= 0 && idx < NPresets() ? &presets[idx] : nullptr; }
    // Grows the scratch buffers when a host processes more frames than it announced.
    void EnsureScratchSize(int nFrames);

    std::vector<ChannelIO> channelIOs;
    std::recursive_mutex mutex;
    char effectName[kNameSize] = "";
    char productName[kNameSize] = "";
    char mfrName[kNameSize] = "";
    int uniqueID = 0;
    int mfrID = 0;
    int version = 0;
    EAPI api = kAPIVST2;
    EHost host = kHostUninit;
    int hostVersion = 0;
    bool stateChunks = false;
    bool isInst = false;
    bool doesMIDI = false;
    bool isBypassed = false;
    int currentPresetIdx = 0;
    double sampleRate = 44100.0;
    int blockSize = 0;
    int latency = 0;
    int tailSize = 0;
    std::vector<IParam> params;
    std::vector<IPreset> presets;
    IPlugEditor* graphics = nullptr;
    // The slots the renderer reads and writes; each points at a host buffer or a scratch buffer.
    std::vector<double*> inData;
    std::vector<double*> outData;
    std::vector<InChannel> inChannels;
    std::vector<OutChannel> outChannels;
    std::vector<std::string> inChannelLabels, outChannelLabels, inBusLabels, outBusLabels;

private:
    void parseChannelIO(const char* channelIOStr, int* maxIn, int* maxOut);
    void pointUnconnectedAtScratch();
    void convertOutputs(int nFrames, bool accumulate);
};
