#include "plugin/IPlugVST.h"

#include <xmmintrin.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Bounds for texts written into host buffers. Hosts are built around the interface's small limits
// but hand larger buffers in practice; these sizes include the terminator.
constexpr size_t kHostNameBound = 64; // effect, vendor and product names
constexpr size_t kHostProgNameBound = kVstMaxProgNameLen;
constexpr size_t kHostParamTextBound = 32; // parameter names, labels and display texts
constexpr int kHostStringBufferSize = 256;

// Copies at most bound - 1 characters and always terminates.
void copyToHost(void* dest, const char* text, size_t bound) {
    const size_t length = text ? strnlen(text, bound - 1) : 0;
    char* out = static_cast<char*>(dest);
    if (length) std::memcpy(out, text, length);
    out[length] = '\0';
}

// Denormal arithmetic is slow on x86 and inaudible: flush it for the duration of one process call and
// give the host its own floating-point mode back afterwards.
class DenormalGuard {
public:
    DenormalGuard() : saved(_mm_getcsr()) { _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero); }
    ~DenormalGuard() { _mm_setcsr(saved); }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned saved;
};

IPlugVST* plugOf(AEffect* effect) {
    return effect ? static_cast<IPlugVST*>(effect->object) : nullptr;
}

std::string lowerCase(const char* text) {
    std::string lower(text ? text : "");
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

constexpr VstIntPtr kCockosAnswer = 0xBEEF0000;
constexpr VstIntPtr kVendorSpecificAnswer = 0xBEEF;
constexpr VstIntPtr kIdentifyAnswer = 0x4E764566; // "NvEf"
constexpr VstIntPtr kVstVersion = 2400;
constexpr VstInt32 kTimeMask =
    kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;

} // namespace

IPlugVST::IPlugVST(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
                   const char* effectNameIn, const char* productNameIn, const char* mfrNameIn,
                   int vendorVersion, int uniqueIDIn, int mfrIDIn, int latencyIn, bool plugDoesMidi,
                   bool plugDoesChunks, bool plugIsInst)
    : IPlugBase(nParams, channelIOStr, nPresets, effectNameIn, productNameIn, mfrNameIn, vendorVersion,
                uniqueIDIn, mfrIDIn, latencyIn, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIVST2),
      hostCallback(instanceInfo.VSTHostCallback) {
    aEffect.magic = kEffectMagic;
    aEffect.dispatcher = VSTDispatcher;
    aEffect.process = VSTProcess;
    aEffect.setParameter = VSTSetParameter;
    aEffect.getParameter = VSTGetParameter;
    aEffect.numPrograms = NPresets();
    aEffect.numParams = NParams();
    aEffect.numInputs = NInChannels();
    aEffect.numOutputs = NOutChannels();
    aEffect.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
    if (plugDoesChunks) aEffect.flags |= effFlagsProgramChunks;
    if (LegalIO(1, -1)) aEffect.flags |= effFlagsCanMono;
    if (plugIsInst) aEffect.flags |= effFlagsIsSynth;
    aEffect.initialDelay = latencyIn;
    aEffect.ioRatio = 1.0f;
    aEffect.object = this;
    aEffect.uniqueID = uniqueIDIn;
    aEffect.version = GetEffectVersion(true);
    aEffect.processReplacing = VSTProcessReplacing;
    aEffect.processDoubleReplacing = VSTProcessDoubleReplacing;

    inputSpkrArr.type = VSTSpkrArrType(NInChannels());
    inputSpkrArr.numChannels = NInChannels();
    outputSpkrArr.type = VSTSpkrArrType(NOutChannels());
    outputSpkrArr.numChannels = NOutChannels();

    SetInputChannelConnections(0, NInChannels(), true);
    SetOutputChannelConnections(0, NOutChannels(), true);
    SetBlockSize(1024);
}

VstIntPtr IPlugVST::HostCallback(VstInt32 opcode, VstInt32 idx, VstIntPtr value, void* ptr, float opt) {
    return hostCallback ? hostCallback(&aEffect, opcode, idx, value, ptr, opt) : 0;
}

// Telling the host

void IPlugVST::BeginInformHostOfParamChange(int idx) {
    HostCallback(audioMasterBeginEdit, idx);
}

void IPlugVST::InformHostOfParamChange(int idx, double normalizedValue) {
    HostCallback(audioMasterAutomate, idx, 0, nullptr, static_cast<float>(normalizedValue));
}

void IPlugVST::EndInformHostOfParamChange(int idx) {
    HostCallback(audioMasterEndEdit, idx);
}

void IPlugVST::InformHostOfProgramChange() {
    HostCallback(audioMasterUpdateDisplay);
}

bool IPlugVST::IsRenderingOffline() {
    return HostCallback(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline;
}

// Transport

VstTimeInfo* IPlugVST::getHostTime(VstInt32 mask) {
    return reinterpret_cast<VstTimeInfo*>(HostCallback(audioMasterGetTime, 0, mask));
}

int IPlugVST::GetSamplePos() {
    const VstTimeInfo* timeInfo = getHostTime(0);
    if (!timeInfo || !(timeInfo->samplePos >= 0.0)) return 0;
    // Beyond INT_MAX the position cannot be represented; saturate rather than overflow.
    return static_cast<int>(std::min(timeInfo->samplePos + 0.5, static_cast<double>(INT_MAX)));
}

double IPlugVST::GetTempo() {
    const VstTimeInfo* timeInfo = getHostTime(kVstTempoValid);
    if (timeInfo && (timeInfo->flags & kVstTempoValid) && timeInfo->tempo >= 0.0 &&
        std::isfinite(timeInfo->tempo))
        return timeInfo->tempo;
    return 0.0;
}

void IPlugVST::GetTimeSig(int* numerator, int* denominator) {
    int num = 0, den = 0;
    const VstTimeInfo* timeInfo = getHostTime(kVstTimeSigValid);
    if (timeInfo && (timeInfo->flags & kVstTimeSigValid) && timeInfo->timeSigNumerator >= 0 &&
        timeInfo->timeSigDenominator >= 0) {
        num = timeInfo->timeSigNumerator;
        den = timeInfo->timeSigDenominator;
    }
    if (numerator) *numerator = num;
    if (denominator) *denominator = den;
}

void IPlugVST::GetTime(ITimeInfo* info) {
    if (!info) return;
    const VstTimeInfo* timeInfo = getHostTime(kTimeMask);
    if (!timeInfo || !(timeInfo->flags & kTimeMask)) return;
    const VstInt32 flags = timeInfo->flags;
    auto usable = [](double v) { return std::isfinite(v) && v >= 0.0; };
    if (std::isfinite(timeInfo->samplePos)) info->samplePos = timeInfo->samplePos;
    if ((flags & kVstPpqPosValid) && usable(timeInfo->ppqPos)) info->ppqPos = timeInfo->ppqPos;
    if ((flags & kVstTempoValid) && usable(timeInfo->tempo) && timeInfo->tempo > 0.0)
        info->tempo = timeInfo->tempo;
    if ((flags & kVstBarsValid) && usable(timeInfo->barStartPos)) info->lastBar = timeInfo->barStartPos;
    if ((flags & kVstCyclePosValid) && usable(timeInfo->cycleStartPos) && usable(timeInfo->cycleEndPos)) {
        info->cycleStart = timeInfo->cycleStartPos;
        info->cycleEnd = timeInfo->cycleEndPos;
    }
    if ((flags & kVstTimeSigValid) && timeInfo->timeSigNumerator > 0 && timeInfo->timeSigDenominator > 0) {
        info->numerator = timeInfo->timeSigNumerator;
        info->denominator = timeInfo->timeSigDenominator;
    }
    info->transportIsRunning = (flags & kVstTransportPlaying) != 0;
    info->transportLoopEnabled = (flags & kVstTransportCycleActive) != 0;
}

// Host identity

EHost IPlugVST::GetHost() {
    if (host == kHostUninit) {
        char product[kHostStringBufferSize];
        product[0] = '\0';
        HostCallback(audioMasterGetProductString, 0, 0, product);
        product[kHostStringBufferSize - 1] = '\0';
        int packed = 0;
        if (product[0]) {
            const VstIntPtr decimal = HostCallback(audioMasterGetVendorVersion);
            const auto major = static_cast<int>(decimal / 10000);
            const auto minor = static_cast<int>((decimal % 10000) / 100);
            const auto patch = static_cast<int>(decimal % 100);
            packed = (major << 16) | ((minor & 0xFF) << 8) | (patch & 0xFF);
        }
        SetHost(product, packed);
    }
    return host;
}

bool IPlugVST::isBankRequestingHost() {
    if (!bankRequestingHostKnown) {
        char vendor[kHostStringBufferSize];
        vendor[0] = '\0';
        HostCallback(audioMasterGetVendorString, 0, 0, vendor);
        vendor[kHostStringBufferSize - 1] = '\0';
        const std::string lower = lowerCase(vendor);
        bankRequestingHost = lower == "native instruments" || lower == "juce vst host";
        bankRequestingHostKnown = true;
    }
    return bankRequestingHost;
}

void IPlugVST::HostSpecificInit() {
    if (hostSpecificInitDone) return;
    hostSpecificInitDone = true;
    switch (GetHost()) {
    case kHostForte:
    case kHostAudition:
    case kHostOrion:
    case kHostSAWStudio:
        // These hosts offer only stereo busses.
        LimitToStereoIO();
        break;
    default:
        break;
    }
    aEffect.numInputs = inputSpkrArr.numChannels = NInChannels();
    aEffect.numOutputs = outputSpkrArr.numChannels = NOutChannels();
    OnHostIdentified();
}

// Editor

void IPlugVST::updateEditorRect() {
    editRect.top = 0;
    editRect.left = 0;
    editRect.right = static_cast<int16_t>(graphics->Width());
    editRect.bottom = static_cast<int16_t>(graphics->Height());
}

void IPlugVST::AttachGraphics(IPlugEditor* editor) {
    IPlugBase::AttachGraphics(editor);
    if (!editor || graphics != editor) return;
    aEffect.flags |= effFlagsHasEditor;
    updateEditorRect();
}

void IPlugVST::ResizeGraphics(int, int) {
    if (!graphics) return;
    updateEditorRect();
    OnWindowResize();
}

void IPlugVST::SetLatency(int samples) {
    aEffect.initialDelay = samples;
    IPlugBase::SetLatency(samples);
}

// MIDI output

bool IPlugVST::SendVSTEvent(VstEvent* event) {
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = event;
    return HostCallback(audioMasterProcessEvents, 0, 0, &events) == 1;
}

bool IPlugVST::SendMidiMsg(IMidiMsg* msg) {
    if (!msg) return false;
    VstMidiEvent event{};
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = msg->offset;
    event.midiData[0] = static_cast<char>(msg->status);
    event.midiData[1] = static_cast<char>(msg->data1);
    event.midiData[2] = static_cast<char>(msg->data2);
    return SendVSTEvent(reinterpret_cast<VstEvent*>(&event));
}

bool IPlugVST::SendSysEx(ISysEx* sysex) {
    if (!sysex) return false;
    VstMidiSysexEvent event{};
    event.type = kVstSysExType;
    event.byteSize = sizeof(VstMidiSysexEvent);
    event.deltaFrames = sysex->offset;
    event.dumpBytes = sysex->size;
    event.sysexDump = reinterpret_cast<char*>(const_cast<uint8_t*>(sysex->data));
    return SendVSTEvent(reinterpret_cast<VstEvent*>(&event));
}

// Parameter and process entries

float IPlugVST::VSTGetParameter(AEffect* effect, VstInt32 idx) {
    IPlugVST* plug = plugOf(effect);
    if (!plug) return 0.0f;
    IMutexLock lock(plug->mutex);
    const IParam* param = plug->GetParam(idx);
    return param ? static_cast<float>(param->GetNormalized()) : 0.0f;
}

void IPlugVST::VSTSetParameter(AEffect* effect, VstInt32 idx, float value) {
    IPlugVST* plug = plugOf(effect);
    if (!plug) return;
    IMutexLock lock(plug->mutex);
    plug->setParameterFromHost(idx, value);
}

void IPlugVST::setParameterFromHost(int idx, float value) {
    IParam* param = GetParam(idx);
    if (!param) return;
    // A host value outside 0..1 (or not a number) must not reach the editor or the engine.
    const double normalized = std::isnan(value) ? 0.0 : std::clamp(static_cast<double>(value), 0.0, 1.0);
    if (graphics) graphics->SetParameterFromPlug(idx, normalized, true);
    param->SetNormalized(normalized);
    OnParamChange(idx);
}

template <typename Sample>
bool IPlugVST::attachProcessBuffers(Sample** inputs, Sample** outputs, VstInt32 nFrames) {
    if (DoesMIDI()) HostCallback(audioMasterWantMidi);
    if (nFrames <= 0) return false;
    if ((!inputs && NInChannels() > 0) || (!outputs && NOutChannels() > 0)) return false;
    AttachInputBuffers(0, NInChannels(), inputs, nFrames);
    AttachOutputBuffers(0, NOutChannels(), outputs);
    return true;
}

void IPlugVST::VSTProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 nFrames) {
    IPlugVST* plug = plugOf(effect);
    if (!plug) return;
    IMutexLock lock(plug->mutex);
    DenormalGuard denormals;
    if (!plug->attachProcessBuffers(inputs, outputs, nFrames)) return;
    plug->ProcessBuffersAccumulating(0.0f, nFrames);
}

void IPlugVST::VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs, VstInt32 nFrames) {
    IPlugVST* plug = plugOf(effect);
    if (!plug) return;
    IMutexLock lock(plug->mutex);
    DenormalGuard denormals;
    if (!plug->attachProcessBuffers(inputs, outputs, nFrames)) return;
    plug->ProcessBuffers(0.0f, nFrames);
}

void IPlugVST::VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                         VstInt32 nFrames) {
    IPlugVST* plug = plugOf(effect);
    if (!plug) return;
    IMutexLock lock(plug->mutex);
    DenormalGuard denormals;
    if (!plug->attachProcessBuffers(inputs, outputs, nFrames)) return;
    plug->ProcessBuffers(0.0, nFrames);
}

// Dispatcher

VstIntPtr IPlugVST::VSTDispatcher(AEffect* effect, VstInt32 opCode, VstInt32 idx, VstIntPtr value, void* ptr,
                                  float opt) {
    IPlugVST* plug = plugOf(effect);
    if (!plug) return 0;
    if (opCode == effClose) {
        // Wait for any call in flight on another thread, then let go before the object disappears.
        { IMutexLock lock(plug->mutex); }
        delete plug;
        return 0;
    }
    // The editor's window events and redraws run before the lock is taken: the lock is held only for
    // the edits they make, so the audio thread never waits for a redraw.
    if ((opCode == effEditIdle || opCode == effIdle) && plug->graphics) plug->graphics->HostIdle();
    IMutexLock lock(plug->mutex);
    return plug->dispatch(opCode, idx, value, ptr, opt);
}

VstIntPtr IPlugVST::dispatch(VstInt32 opCode, VstInt32 idx, VstIntPtr value, void* ptr, float opt) {
    switch (opCode) {
    case effEditIdle:
    case effIdle:
        OnIdle();
        return 0;
    case effOpen:
        HostSpecificInit();
        OnParamReset();
        return 0;
    case effSetProgram:
        ModifyCurrentPreset();
        RestorePreset(value >= 0 && value < NPresets() ? static_cast<int>(value) : -1);
        return 0;
    case effGetProgram:
        return GetCurrentPresetIdx();
    case effSetProgramName:
        if (ptr) {
            ModifyCurrentPreset(static_cast<const char*>(ptr));
            PresetsChangedByHost();
        }
        return 0;
    case effGetProgramName:
        if (ptr) copyToHost(ptr, GetPresetName(GetCurrentPresetIdx()), kHostProgNameBound);
        return 0;
    case effGetParamLabel:
        if (ptr && GetParam(idx)) copyToHost(ptr, GetParam(idx)->GetLabelForHost(), kHostParamTextBound);
        return 0;
    case effGetParamDisplay:
        if (ptr && GetParam(idx)) {
            char text[IParam::kTextSize] = "";
            GetParam(idx)->GetDisplayForHost(GetParam(idx)->Value(), false, text, true);
            copyToHost(ptr, text, kHostParamTextBound);
        }
        return 0;
    case effGetParamName:
        if (ptr && GetParam(idx)) copyToHost(ptr, GetParam(idx)->GetNameForHost(), kHostParamTextBound);
        return 0;
    case effSetSampleRate:
        // A rate that is not a positive number would poison every rate-dependent table.
        if (std::isfinite(opt) && opt > 0.0f) SetSampleRate(opt);
        Reset();
        return 0;
    case effSetBlockSize:
        if (value > 0 && value <= kMaxBlockSize) SetBlockSize(static_cast<int>(value));
        Reset();
        return 0;
    case effMainsChanged:
        if (value == 0) {
            OnActivate(false);
            Reset();
        } else {
            OnActivate(true);
        }
        return 0;
    case effEditGetRect:
        if (!ptr || !graphics) return 0;
        *static_cast<ERect**>(ptr) = &editRect;
        return 1;
    case effEditOpen:
        if (!graphics || !graphics->OpenWindow(ptr)) return 0;
        OnGUIOpen();
        return 1;
    case effEditClose:
        if (!graphics) return 0;
        OnGUIClose();
        graphics->CloseWindow();
        return 1;
    case effIdentify:
        return kIdentifyAnswer;
    case effGetChunk:
        return getChunk(idx == 0 && !isBankRequestingHost(), static_cast<void**>(ptr));
    case effSetChunk:
        return setChunk(idx == 0 && !isBankRequestingHost(), ptr, value);
    case effProcessEvents:
        if (!ptr) return 0;
        processEvents(static_cast<const VstEvents*>(ptr));
        return 1;
    case effCanBeAutomated:
        return 1;
    case effString2Parameter:
        return string2Parameter(idx, static_cast<const char*>(ptr));
    case effGetProgramNameIndexed: {
        if (!ptr) return 0;
        const char* name = GetPresetName(idx);
        copyToHost(ptr, name, kHostProgNameBound);
        return name[0] ? 1 : 0;
    }
    case effGetInputProperties:
        return pinProperties(idx, true, static_cast<VstPinProperties*>(ptr));
    case effGetOutputProperties:
        return pinProperties(idx, false, static_cast<VstPinProperties*>(ptr));
    case effGetPlugCategory:
        return IsInst() ? kPlugCategSynth : kPlugCategEffect;
    case effSetSpeakerArrangement:
        setSpeakerConnections(reinterpret_cast<const VstSpeakerArrangement*>(value),
                              static_cast<const VstSpeakerArrangement*>(ptr));
        return 1;
    case effGetEffectName:
    case effGetVendorString:
    case effGetProductString: {
        if (!ptr) return 0;
        const char* name = opCode == effGetEffectName     ? GetEffectName()
                           : opCode == effGetVendorString ? GetMfrName()
                                                          : GetProductName();
        copyToHost(ptr, name, kHostNameBound);
        return 1;
    }
    case effGetVendorVersion:
        return GetEffectVersion(true);
    case effVendorSpecific:
        return vendorSpecific(idx, value, ptr, opt);
    case effCanDo:
        return canDo(static_cast<const char*>(ptr));
    case effGetTailSize:
        return GetTailSize();
    case effGetVstVersion:
        return kVstVersion;
    case effGetMidiKeyName: {
        if (!ptr) return 0;
        auto* keyName = static_cast<MidiKeyName*>(ptr);
        keyName->keyName[0] = '\0';
        char name[kHostStringBufferSize] = "";
        const bool named = MidiNoteName(keyName->thisKeyNumber, name);
        copyToHost(keyName->keyName, name, sizeof keyName->keyName);
        return named ? 1 : 0;
    }
    case effGetSpeakerArrangement:
        if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &inputSpkrArr;
        if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &outputSpkrArr;
        return 1;
    default:
        return 0;
    }
}

VstIntPtr IPlugVST::string2Parameter(int idx, const char* text) {
    IParam* param = GetParam(idx);
    if (!param) return 0;
    if (!text) return 1;
    double v = 0.0;
    if (param->GetNDisplayTexts()) {
        int mapped = 0;
        if (!param->MapDisplayText(text, &mapped)) return 0;
        v = mapped;
    } else {
        v = std::atof(text);
        if (param->NegateDisplay()) v = -v;
    }
    // "nan" and "inf" parse; neither may become a value.
    v = std::isnan(v) ? param->GetMin() : std::clamp(v, param->GetMin(), param->GetMax());
    if (graphics) graphics->SetParameterFromPlug(idx, v, false);
    param->Set(v);
    OnParamChange(idx);
    return 1;
}

VstIntPtr IPlugVST::pinProperties(int idx, bool input, VstPinProperties* properties) {
    const int nChannels = input ? NInChannels() : NOutChannels();
    if (idx < 0 || idx >= nChannels) return 0;
    if (!properties) return 1;
    properties->flags = kVstPinIsActive;
    // Channels pair up into stereo pins from the first one on.
    if (idx % 2 == 0 && idx < nChannels - 1) properties->flags |= kVstPinIsStereo;
    const char* label = input ? GetInputLabel(idx) : GetOutputLabel(idx);
    if (label[0])
        copyToHost(properties->label, label, sizeof properties->label);
    else
        std::snprintf(properties->label, sizeof properties->label, input ? "Input %d" : "Output %d", idx + 1);
    return 1;
}

void IPlugVST::setSpeakerConnections(const VstSpeakerArrangement* inArr,
                                     const VstSpeakerArrangement* outArr) {
    if (inArr) {
        const int n = std::clamp(inArr->numChannels, 0, NInChannels());
        SetInputChannelConnections(0, n, true);
        SetInputChannelConnections(n, NInChannels() - n, false);
    }
    if (outArr) {
        const int n = std::clamp(outArr->numChannels, 0, NOutChannels());
        SetOutputChannelConnections(0, n, true);
        SetOutputChannelConnections(n, NOutChannels() - n, false);
    }
}

VstIntPtr IPlugVST::canDo(const char* text) {
    if (!text) return 0;
    static constexpr std::array<const char*, 4> kMidiCanDos{"sendVstEvents", "sendVstMidiEvent",
                                                            "receiveVstEvents", "receiveVstMidiEvent"};
    if (std::strcmp(text, "receiveVstTimeInfo") == 0) return 1;
    for (const char* midiCanDo : kMidiCanDos)
        if (std::strcmp(text, midiCanDo) == 0) return DoesMIDI() ? 1 : 0;
    if (std::strcmp(text, "hasCockosExtensions") == 0) {
        cockosExtensions |= kCockosExtensions;
        return kCockosAnswer;
    }
    if (std::strcmp(text, "hasCockosViewAsConfig") == 0) {
        cockosExtensions |= kCockosViewAsConfig;
        return kCockosAnswer;
    }
    return 0;
}

VstIntPtr IPlugVST::vendorSpecific(VstInt32 idx, VstIntPtr value, void* ptr, float opt) {
    // The plug-in's own extension is tagged with its unique id, which no host's vendor call uses.
    if (idx == GetUniqueID())
        return value >= INT32_MIN && value <= INT32_MAX
                   ? HandleVendorCommand(static_cast<int32_t>(value), ptr)
                   : 0;
    const bool validParam = value >= 0 && value < NParams();
    if (idx == effGetParamDisplay && ptr) {
        if (validParam) {
            const double normalized = std::isnan(opt) ? 0.0 : std::clamp(static_cast<double>(opt), 0.0, 1.0);
            char text[IParam::kTextSize] = "";
            GetParam(static_cast<int>(value))->GetDisplayForHost(normalized, true, text, true);
            copyToHost(ptr, text, kHostParamTextBound);
        }
        return kVendorSpecificAnswer;
    }
    if (idx == kVstParameterUsesIntStep)
        return validParam && GetParam(static_cast<int>(value))->Type() != IParam::kTypeDouble
                   ? kVendorSpecificAnswer
                   : 0;
    return 0;
}

void IPlugVST::processEvents(const VstEvents* events) {
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = events->events[i];
        if (!event) continue;
        if (event->type == kVstMidiType) {
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
            IMidiMsg msg(midi->deltaFrames, static_cast<uint8_t>(midi->midiData[0]),
                         static_cast<uint8_t>(midi->midiData[1]), static_cast<uint8_t>(midi->midiData[2]));
            ProcessMidiMsg(&msg);
        } else if (event->type == kVstSysExType) {
            const auto* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
            const bool hasBytes = sysex->sysexDump && sysex->dumpBytes > 0;
            ISysEx msg(sysex->deltaFrames,
                       hasBytes ? reinterpret_cast<const uint8_t*>(sysex->sysexDump) : nullptr,
                       hasBytes ? sysex->dumpBytes : 0);
            ProcessSysEx(&msg);
        }
    }
}

// State chunks

VstIntPtr IPlugVST::getChunk(bool isBank, void** data) {
    if (!data) return 0;
    ByteChunk& chunk = isBank ? bankState : state;
    InitChunkWithIPlugVer(&chunk);
    if (isBank) {
        ModifyCurrentPreset();
        if (!SerializePresets(&chunk)) return 0;
    } else {
        SerializeState(&chunk);
        chunk.PutStr(GetPresetName(GetCurrentPresetIdx()));
    }
    if (chunk.Size() <= 0) return 0;
    *data = chunk.GetData();
    return chunk.Size();
}

VstIntPtr IPlugVST::setChunk(bool isBank, const void* data, VstIntPtr size) {
    // An empty chunk holds no state; a negative or huge size is not one this plug-in wrote.
    if (!data || size <= 0 || size > kMaxChunkSize) return 0;
    const int chunkSize = static_cast<int>(size);
    // Hosts often hand back the very pointer effGetChunk gave them, which points into our own buffers.
    ByteChunk incoming;
    incoming.Resize(chunkSize);
    std::memcpy(incoming.GetData(), data, static_cast<size_t>(chunkSize));
    // Every chunk is checked whole before any of it is applied: a refused chunk changes nothing.
    int pos = 0;
    const int version = GetIPlugVerFromChunk(&incoming, &pos);
    if (isBank && version >= kIPlugChunkVersion) {
        bankState = incoming;
        if (UnserializePresets(&bankState, pos) < 0) return 0;
        RedrawParamControls();
        return 1;
    }
    // A program chunk: the state, then (as this plug-in writes it) the program's name.
    const int stateStart = pos;
    const int stateEnd = StateEnd(&incoming, stateStart);
    std::string name;
    const int programEnd =
        stateEnd >= 0 && stateEnd < chunkSize ? incoming.GetStr(&name, stateEnd) : stateEnd;
    const bool program = programEnd >= 0;
    if (!isBankRequestingHost() || (program && programEnd == chunkSize)) {
        if (!program) return 0;
        applyProgramChunk(isBank, incoming, stateStart, stateEnd < chunkSize ? name.c_str() : nullptr);
        RedrawParamControls();
        return 1;
    }
    // These hosts hand back whatever they were given, which may have been a bank.
    int bankPos = 0;
    const bool bank = GetIPlugVerFromChunk(&incoming, &bankPos) >= kIPlugChunkVersion;
    if (bank ? PresetsEnd(&incoming, bankPos, NPresets()) < 0 : !program) return 0;
    if (program) applyProgramChunk(isBank, incoming, stateStart, name.c_str());
    if (bank) {
        bankState = incoming;
        UnserializePresets(&bankState, bankPos);
    }
    RedrawParamControls();
    return 1;
}

void IPlugVST::applyProgramChunk(bool isBank, const ByteChunk& incoming, int stateStart, const char* name) {
    ByteChunk& chunk = isBank ? bankState : state;
    chunk = incoming;
    UnserializeState(&chunk, stateStart);
    ModifyCurrentPreset(name);
}
