#include "plugin/IPlugBase.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Copies text into a fixed array, always terminated; null counts as "".
template <size_t N>
void copyName(char (&dest)[N], const char* text) {
    std::snprintf(dest, N, "%s", text ? text : "");
}

constexpr std::array<const char*, 6> kAPINames{"VST2", "VST3", "AU", "RTAS", "AAX", "Standalone"};

} // namespace

IPlugBase::IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectNameIn,
                     const char* productNameIn, const char* mfrNameIn, int vendorVersion, int uniqueIDIn,
                     int mfrIDIn, int latencyIn, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
                     EAPI plugAPI)
    : uniqueID(uniqueIDIn), mfrID(mfrIDIn), version(vendorVersion), api(plugAPI), stateChunks(plugDoesChunks),
      isInst(plugIsInst), doesMIDI(plugDoesMidi), latency(latencyIn) {
    params.resize(static_cast<size_t>(std::max(0, nParams)));
    presets.resize(static_cast<size_t>(std::max(0, nPresets)));

    copyName(effectName, effectNameIn);
    copyName(productName, productNameIn);
    copyName(mfrName, mfrNameIn);

    int maxIn = 0, maxOut = 0;
    parseChannelIO(channelIOStr, &maxIn, &maxOut);
    inData.assign(static_cast<size_t>(maxIn), nullptr);
    outData.assign(static_cast<size_t>(maxOut), nullptr);
    inChannels.resize(static_cast<size_t>(maxIn));
    outChannels.resize(static_cast<size_t>(maxOut));
    inChannelLabels.resize(static_cast<size_t>(maxIn));
    outChannelLabels.resize(static_cast<size_t>(maxOut));
}

IPlugBase::~IPlugBase() {
    // The editor holds pointers into the parameters, so it goes first.
    delete graphics;
    graphics = nullptr;
    params.clear();
    while (!presets.empty()) presets.pop_back();
}

void IPlugBase::parseChannelIO(const char* channelIOStr, int* maxIn, int* maxOut) {
    // Pairs "in-out" separated by single blanks, e.g. "1-1 2-2"; an absent number counts as 0.
    const char* pos = channelIOStr ? channelIOStr : "";
    for (;;) {
        int nIn = 0, nOut = 0;
        std::sscanf(pos, "%d-%d", &nIn, &nOut);
        nIn = std::max(0, nIn);
        nOut = std::max(0, nOut);
        channelIOs.push_back({nIn, nOut});
        *maxIn = std::max(*maxIn, nIn);
        *maxOut = std::max(*maxOut, nOut);
        pos = std::strchr(pos, ' ');
        if (!pos) break;
        ++pos;
    }
}

// Default virtual operations

void IPlugBase::Reset() {
    IMutexLock lock(mutex);
}

void IPlugBase::OnParamChange(int) {
    IMutexLock lock(mutex);
}

void IPlugBase::OnActivate(bool) {
    IMutexLock lock(mutex);
}

void IPlugBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
    const int nIn = NInChannels();
    const int nOut = NOutChannels();
    const size_t bytes = sizeof(double) * static_cast<size_t>(std::max(0, nFrames));
    for (int i = 0; i < nOut; ++i) {
        double* out = outputs[i];
        if (!out) continue;
        const double* in = i < nIn ? inputs[i] : nullptr;
        if (in == out) continue;
        if (in)
            std::memmove(out, in, bytes);
        else
            std::memset(out, 0, bytes);
    }
}

void IPlugBase::ProcessMidiMsg(IMidiMsg* msg) {
    SendMidiMsg(msg);
}

bool IPlugBase::MidiNoteName(int, char* name) {
    if (name) name[0] = '\0';
    return false;
}

bool IPlugBase::SerializeState(ByteChunk* chunk) {
    return SerializeParams(chunk);
}

int IPlugBase::UnserializeState(ByteChunk* chunk, int startPos) {
    return UnserializeParams(chunk, startPos);
}

int IPlugBase::StateEnd(const ByteChunk* chunk, int startPos) const {
    const int size = static_cast<int>(sizeof(double)) * NParams();
    return chunk && chunk->Fits(startPos, size) ? startPos + size : -1;
}

bool IPlugBase::CompareState(const unsigned char* incomingState, int startPos) {
    if (!incomingState || startPos < 0) return false;
    // Parameters were stored as doubles but hosts compare what they can show, so compare as floats.
    const unsigned char* data = incomingState + startPos;
    for (const IParam& param : params) {
        double stored = 0.0;
        std::memcpy(&stored, data, sizeof stored);
        data += sizeof stored;
        const double difference = static_cast<float>(param.Value()) - static_cast<float>(stored);
        if (!(std::fabs(difference) < 0.00001)) return false;
    }
    return true;
}

void IPlugBase::SetParameterFromGUI(int idx, double normalizedValue) {
    IMutexLock lock(mutex);
    IParam* param = GetParam(idx);
    if (!param) return;
    param->SetNormalized(normalizedValue);
    InformHostOfParamChange(idx, normalizedValue);
    OnParamChange(idx);
}

void IPlugBase::AttachGraphics(IPlugEditor* editor) {
    if (!editor) return;
    IMutexLock lock(mutex);
    for (int i = 0; i < NParams(); ++i) editor->SetParameterFromPlug(i, params[i].GetNormalized(), true);
    editor->PrepDraw();
    if (graphics != editor) delete graphics;
    graphics = editor;
}

void IPlugBase::RedrawParamControls() {
    if (!graphics) return;
    for (int i = 0; i < NParams(); ++i) graphics->SetParameterFromPlug(i, params[i].Value(), false);
}

void IPlugBase::SetBlockSize(int newBlockSize) {
    if (newBlockSize == blockSize) return;
    const size_t frames = static_cast<size_t>(std::max(0, newBlockSize));
    for (InChannel& channel : inChannels) channel.scratchBuf.assign(frames, 0.0);
    for (OutChannel& channel : outChannels) channel.scratchBuf.assign(frames, 0.0);
    pointUnconnectedAtScratch();
    blockSize = newBlockSize;
}

// Channels

bool IPlugBase::IsInChannelConnected(int chIdx) const {
    return chIdx >= 0 && chIdx < NInChannels() && inChannels[chIdx].connected;
}

bool IPlugBase::IsOutChannelConnected(int chIdx) const {
    return chIdx >= 0 && chIdx < NOutChannels() && outChannels[chIdx].connected;
}

double IPlugBase::GetSamplesPerBeat() {
    const double tempo = GetTempo();
    return tempo > 0.0 ? sampleRate * 60.0 / tempo : 0.0;
}

bool IPlugBase::LegalIO(int nIn, int nOut) const {
    return std::any_of(channelIOs.begin(), channelIOs.end(), [&](const ChannelIO& io) {
        return (nIn < 0 || io.nIn == nIn) && (nOut < 0 || io.nOut == nOut);
    });
}

void IPlugBase::LimitToStereoIO() {
    SetInputChannelConnections(2, NInChannels() - 2, false);
    SetOutputChannelConnections(2, NOutChannels() - 2, true);
}

void IPlugBase::SetInputChannelConnections(int idx, int n, bool connected) {
    const int end = static_cast<int>(std::min<long long>(static_cast<long long>(idx) + n, NInChannels()));
    for (int i = std::max(0, idx); i < end; ++i) {
        InChannel& channel = inChannels[i];
        channel.connected = connected;
        // The renderer always reads valid memory: an unconnected input reads silence.
        if (!connected) {
            std::fill(channel.scratchBuf.begin(), channel.scratchBuf.end(), 0.0);
            inData[i] = channel.scratchBuf.data();
        }
    }
}

void IPlugBase::SetOutputChannelConnections(int idx, int n, bool connected) {
    const int end = static_cast<int>(std::min<long long>(static_cast<long long>(idx) + n, NOutChannels()));
    for (int i = std::max(0, idx); i < end; ++i) {
        OutChannel& channel = outChannels[i];
        channel.connected = connected;
        if (!connected) {
            channel.floatDest = nullptr;
            outData[i] = channel.scratchBuf.data();
        }
    }
}

void IPlugBase::pointUnconnectedAtScratch() {
    for (int i = 0; i < NInChannels(); ++i)
        if (!inChannels[i].connected) inData[i] = inChannels[i].scratchBuf.data();
    for (int i = 0; i < NOutChannels(); ++i)
        if (!outChannels[i].connected) outData[i] = outChannels[i].scratchBuf.data();
}

void IPlugBase::EnsureScratchSize(int nFrames) {
    const size_t frames = static_cast<size_t>(std::max(0, nFrames));
    bool grown = false;
    for (InChannel& channel : inChannels)
        if (channel.scratchBuf.size() < frames) channel.scratchBuf.resize(frames, 0.0), grown = true;
    for (OutChannel& channel : outChannels)
        if (channel.scratchBuf.size() < frames) channel.scratchBuf.resize(frames, 0.0), grown = true;
    if (grown) pointUnconnectedAtScratch();
}

void IPlugBase::AttachInputBuffers(int idx, int n, double** data, int nFrames) {
    EnsureScratchSize(nFrames);
    const int end = std::min(idx + n, NInChannels());
    for (int i = std::max(0, idx); i < end; ++i) {
        InChannel& channel = inChannels[i];
        if (!channel.connected) continue;
        double* hostBuffer = data ? *data++ : nullptr;
        inData[i] = hostBuffer ? hostBuffer : channel.scratchBuf.data();
    }
}

void IPlugBase::AttachInputBuffers(int idx, int n, float** data, int nFrames) {
    EnsureScratchSize(nFrames);
    const int end = std::min(idx + n, NInChannels());
    for (int i = std::max(0, idx); i < end; ++i) {
        InChannel& channel = inChannels[i];
        if (!channel.connected) continue;
        const float* hostBuffer = data ? *data++ : nullptr;
        for (int s = 0; s < nFrames; ++s) channel.scratchBuf[s] = hostBuffer ? hostBuffer[s] : 0.0;
        inData[i] = channel.scratchBuf.data();
    }
}

void IPlugBase::AttachOutputBuffers(int idx, int n, double** data) {
    const int end = std::min(idx + n, NOutChannels());
    for (int i = std::max(0, idx); i < end; ++i) {
        OutChannel& channel = outChannels[i];
        if (!channel.connected) continue;
        double* hostBuffer = data ? *data++ : nullptr;
        outData[i] = hostBuffer ? hostBuffer : channel.scratchBuf.data();
        channel.floatDest = nullptr;
    }
}

void IPlugBase::AttachOutputBuffers(int idx, int n, float** data) {
    const int end = std::min(idx + n, NOutChannels());
    for (int i = std::max(0, idx); i < end; ++i) {
        OutChannel& channel = outChannels[i];
        if (!channel.connected) continue;
        outData[i] = channel.scratchBuf.data();
        channel.floatDest = data ? *data++ : nullptr;
    }
}

void IPlugBase::ProcessBuffers(double, int nFrames) {
    ProcessDoubleReplacing(inData.data(), outData.data(), nFrames);
}

void IPlugBase::ProcessBuffers(float, int nFrames) {
    ProcessDoubleReplacing(inData.data(), outData.data(), nFrames);
    convertOutputs(nFrames, false);
}

void IPlugBase::ProcessBuffersAccumulating(float, int nFrames) {
    ProcessDoubleReplacing(inData.data(), outData.data(), nFrames);
    convertOutputs(nFrames, true);
}

void IPlugBase::PassThroughBuffers(double, int nFrames) {
    // No delay line: this plug-in has no latency to compensate.
    IPlugBase::ProcessDoubleReplacing(inData.data(), outData.data(), nFrames);
}

void IPlugBase::PassThroughBuffers(float, int nFrames) {
    IPlugBase::ProcessDoubleReplacing(inData.data(), outData.data(), nFrames);
    convertOutputs(nFrames, false);
}

void IPlugBase::convertOutputs(int nFrames, bool accumulate) {
    for (int i = 0; i < NOutChannels(); ++i) {
        const OutChannel& channel = outChannels[i];
        float* dest = channel.floatDest;
        const double* rendered = outData[i];
        if (!channel.connected || !dest || !rendered) continue;
        if (accumulate)
            for (int s = 0; s < nFrames; ++s) dest[s] += static_cast<float>(rendered[s]);
        else
            for (int s = 0; s < nFrames; ++s) dest[s] = static_cast<float>(rendered[s]);
    }
}

void IPlugBase::ZeroScratchBuffers() {
    const size_t frames = static_cast<size_t>(std::max(0, blockSize));
    auto zero = [frames](std::vector<double>& buffer) {
        std::fill_n(buffer.begin(), std::min(frames, buffer.size()), 0.0);
    };
    for (InChannel& channel : inChannels) zero(channel.scratchBuf);
    for (OutChannel& channel : outChannels) zero(channel.scratchBuf);
}

namespace {
void storeLabel(std::vector<std::string>& labels, int idx, int limit, const char* label) {
    if (idx < 0 || idx >= limit) return;
    if (labels.size() <= static_cast<size_t>(idx)) labels.resize(static_cast<size_t>(idx) + 1);
    labels[idx] = label ? label : "";
}
} // namespace

void IPlugBase::SetInputLabel(int idx, const char* label) {
    storeLabel(inChannelLabels, idx, NInChannels(), label);
}
void IPlugBase::SetOutputLabel(int idx, const char* label) {
    storeLabel(outChannelLabels, idx, NOutChannels(), label);
}
void IPlugBase::SetInputBusLabel(int idx, const char* label) {
    storeLabel(inBusLabels, idx, NInChannels(), label);
}
void IPlugBase::SetOutputBusLabel(int idx, const char* label) {
    storeLabel(outBusLabels, idx, NOutChannels(), label);
}

const char* IPlugBase::GetInputLabel(int idx) const {
    return idx >= 0 && idx < static_cast<int>(inChannelLabels.size()) ? inChannelLabels[idx].c_str() : "";
}

const char* IPlugBase::GetOutputLabel(int idx) const {
    return idx >= 0 && idx < static_cast<int>(outChannelLabels.size()) ? outChannelLabels[idx].c_str() : "";
}

// Versions and host

void IPlugBase::GetVersionParts(int packed, int* major, int* minor, int* patch) {
    const auto bits = static_cast<uint32_t>(packed);
    if (major) *major = static_cast<int>(bits >> 16);
    if (minor) *minor = static_cast<int>((bits >> 8) & 0xFF);
    if (patch) *patch = static_cast<int>(bits & 0xFF);
}

int IPlugBase::GetDecimalVersion(int packed) {
    int major = 0, minor = 0, patch = 0;
    GetVersionParts(packed, &major, &minor, &patch);
    return major * 10000 + minor * 100 + patch;
}

void IPlugBase::GetVersionStr(int packed, char* text) {
    int major = 0, minor = 0, patch = 0;
    GetVersionParts(packed, &major, &minor, &patch);
    std::snprintf(text, kVersionStrSize, "v%d.%d.%d", major, minor, patch);
}

int IPlugBase::GetEffectVersion(bool decimal) const {
    return decimal ? GetDecimalVersion(version) : version;
}

void IPlugBase::GetEffectVersionStr(char* text) const {
    GetVersionStr(version, text);
}

void IPlugBase::SetHost(const char* productString, int packedVersion) {
    host = LookUpHost(productString);
    hostVersion = packedVersion;
}

int IPlugBase::GetHostVersion(bool decimal) {
    GetHost();
    return decimal ? GetDecimalVersion(hostVersion) : hostVersion;
}

void IPlugBase::GetHostVersionStr(char* text) {
    GetHost();
    GetVersionStr(hostVersion, text);
}

const char* IPlugBase::GetAPIString() const {
    return api >= 0 && api < static_cast<int>(kAPINames.size()) ? kAPINames[api] : "";
}

// Parameter flows

void IPlugBase::OnParamReset() {
    for (int i = 0; i < NParams(); ++i) OnParamChange(i);
}

void IPlugBase::DirtyParameters() {
    IMutexLock lock(mutex);
    for (int i = 0; i < NParams(); ++i) InformHostOfParamChange(i, params[i].GetNormalized());
}

bool IPlugBase::SendMidiMsgs(std::vector<IMidiMsg>& msgs) {
    bool allSent = true;
    for (IMidiMsg& msg : msgs) allSent = SendMidiMsg(&msg) && allSent;
    return allSent;
}

// Programs and state chunks

bool IPlugBase::RestorePreset(int idx) {
    IMutexLock lock(mutex);
    IPreset* preset = GetPreset(idx);
    if (!preset) return false;
    if (preset->initialized) {
        if (UnserializeState(&preset->chunk, 0) < 1) return false;
    } else {
        // A program that never held a sound takes the current one under a fresh user name.
        const long taken = std::count_if(presets.begin(), presets.end(), [](const IPreset& p) {
            return std::strstr(p.name, "user preset") != nullptr;
        });
        preset->initialized = true;
        std::snprintf(preset->name, IPreset::kNameSize, "%s %d", "user preset", static_cast<int>(taken + 1));
        preset->chunk.Clear();
        if (!SerializeState(&preset->chunk)) return false;
    }
    currentPresetIdx = idx;
    PresetsChangedByHost();
    RedrawParamControls();
    return true;
}

bool IPlugBase::RestorePreset(const char* name) {
    if (!name || !name[0]) return false;
    for (int i = 0; i < NPresets(); ++i)
        if (std::strcmp(presets[i].name, name) == 0) return RestorePreset(i);
    return false;
}

const char* IPlugBase::GetPresetName(int idx) const {
    return idx >= 0 && idx < NPresets() ? presets[idx].name : "";
}

void IPlugBase::ModifyCurrentPreset(const char* name) {
    IMutexLock lock(mutex);
    IPreset* preset = GetPreset(currentPresetIdx);
    if (!preset) return;
    preset->chunk.Clear();
    SerializeState(&preset->chunk);
    if (name && name[0]) copyName(preset->name, name);
}

void IPlugBase::EnsureDefaultPreset() {
    IMutexLock lock(mutex);
    for (IPreset& preset : presets) {
        if (preset.initialized) continue;
        preset.initialized = true;
        copyName(preset.name, "Empty");
        preset.chunk.Clear();
        SerializeState(&preset.chunk);
    }
}

bool IPlugBase::SerializePreset(int idx, ByteChunk* chunk) {
    IPreset* preset = GetPreset(idx);
    if (!preset || !chunk) return false;
    chunk->PutStr(preset->name);
    chunk->Put(preset->initialized);
    if (preset->initialized) chunk->PutChunk(preset->chunk);
    return chunk->Size() > 0;
}

bool IPlugBase::SerializePresets(ByteChunk* chunk) {
    IMutexLock lock(mutex);
    for (int i = 0; i < NPresets(); ++i)
        if (!SerializePreset(i, chunk)) return false;
    return true;
}

int IPlugBase::PresetsEnd(const ByteChunk* chunk, int pos, int records) const {
    std::string name;
    for (int i = 0; i < records && pos >= 0; ++i) {
        bool initialized = false;
        pos = chunk->GetStr(&name, pos);
        pos = chunk->Get(&initialized, pos);
        if (pos >= 0 && initialized) pos = StateEnd(chunk, pos);
    }
    return pos;
}

int IPlugBase::UnserializePresets(ByteChunk* chunk, int pos) {
    if (!chunk) return -1;
    IMutexLock lock(mutex);
    // A bank that breaks off anywhere changes no program and no sound.
    if (PresetsEnd(chunk, pos, NPresets()) < 0) return -1;
    // One name buffer for the whole bank: a record with an empty name repeats the previous name.
    std::string name;
    for (int i = 0; i < NPresets() && pos >= 0; ++i) {
        IPreset& preset = presets[i];
        bool initialized = preset.initialized;
        pos = chunk->GetStr(&name, pos);
        pos = chunk->Get(&initialized, pos);
        if (pos < 0) break; // a record cut short applies nothing of itself
        copyName(preset.name, name.c_str());
        preset.initialized = initialized;
        if (!initialized) continue;
        pos = UnserializeState(chunk, pos);
        // Store the state in the instrument's current format.
        if (pos > 0) {
            preset.chunk.Clear();
            SerializeState(&preset.chunk);
        }
    }
    RestorePreset(currentPresetIdx);
    return pos;
}

int IPlugBase::UnserializePreset(int idx, ByteChunk* chunk, int pos) {
    IPreset* preset = GetPreset(idx);
    if (!preset || !chunk) return -1;
    IMutexLock lock(mutex);
    if (PresetsEnd(chunk, pos, 1) < 0) return -1;
    std::string name;
    pos = chunk->GetStr(&name, pos);
    if (pos < 0) return pos;
    copyName(preset->name, name.c_str());
    pos = chunk->Get(&preset->initialized, pos);
    if (pos >= 0 && preset->initialized) {
        pos = UnserializeState(chunk, pos);
        if (pos > 0) {
            preset->chunk.Clear();
            SerializeState(&preset->chunk);
        }
    }
    RestorePreset(idx);
    return pos;
}

bool IPlugBase::SerializeParams(ByteChunk* chunk) {
    if (!chunk) return false;
    IMutexLock lock(mutex);
    for (const IParam& param : params) chunk->Put(param.Value());
    return true;
}

int IPlugBase::UnserializeParams(ByteChunk* chunk, int pos) {
    if (!chunk) return -1;
    IMutexLock lock(mutex);
    for (IParam& param : params) {
        double value = 0.0;
        pos = chunk->Get(&value, pos);
        if (pos < 0) {
            param.Set(0.0);
            break;
        }
        // Set clamps to the bounds and reads NaN as the lower bound.
        param.Set(value);
    }
    OnParamReset();
    return pos;
}
