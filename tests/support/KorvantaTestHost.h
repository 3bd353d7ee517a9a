#pragma once

#include "instrument/Korvanta.h"

#include <array>
#include <cstring>
#include <memory>
#include <vector>

// An in-process host for the instrument: a host callback that answers the time query and records the
// MIDI the plug-in sends, and an instrument whose voice-parameter hand-over can be watched.
namespace testhost {

struct HostState {
    VstTimeInfo timeInfo{};
    bool reportTime = false;
    std::vector<IMidiMsg> sentMidi;
    int automations = 0;
};

inline HostState& host() {
    static HostState state;
    return state;
}

inline VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float) {
    switch (opcode) {
    case audioMasterVersion:
        return 2400;
    case audioMasterAutomate:
        ++host().automations;
        return 0;
    case audioMasterGetTime:
        return host().reportTime ? reinterpret_cast<VstIntPtr>(&host().timeInfo) : 0;
    case audioMasterProcessEvents: {
        const auto* events = static_cast<const VstEvents*>(ptr);
        for (VstInt32 i = 0; i < events->numEvents; ++i) {
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(events->events[i]);
            host().sentMidi.emplace_back(midi->deltaFrames, static_cast<uint8_t>(midi->midiData[0]),
                                         static_cast<uint8_t>(midi->midiData[1]),
                                         static_cast<uint8_t>(midi->midiData[2]));
        }
        return 1;
    }
    default:
        return 0;
    }
}

// Records the last value and normalised value each parameter handed to the voices.
class ProbedKorvanta : public Korvanta {
public:
    using Korvanta::Korvanta;
    using Korvanta::midiQueue;
    using Korvanta::subBlockLeft;
    using Korvanta::subBlockLength;

    std::array<double, kNumParams> voiceValue{};
    std::array<double, kNumParams> voiceNormalized{};
    std::array<int, kNumParams> voiceCalls{};

protected:
    void setVoiceParam(int idx, double value, double normalized) override {
        voiceValue[idx] = value;
        voiceNormalized[idx] = normalized;
        ++voiceCalls[idx];
        Korvanta::setVoiceParam(idx, value, normalized);
    }
};

// Created, rated and switched on the way a host does it.
inline std::unique_ptr<ProbedKorvanta> makeInstrument(double rate = 44100.0, int blockSize = 512) {
    host() = HostState{};
    Korvanta::setNoiseSeed(1);
    IPlugInstanceInfo info;
    info.VSTHostCallback = callback;
    auto plug = std::make_unique<ProbedKorvanta>(info);
    plug->SetSampleRate(rate);
    plug->SetBlockSize(blockSize);
    plug->Reset();
    plug->OnActivate(true);
    return plug;
}

inline void setParam(Korvanta& plug, int idx, double value) {
    plug.SetParameterFromGUI(idx, plug.GetParam(idx)->GetNormalized(value));
}

inline void sendMidi(Korvanta& plug, int offset, uint8_t status, uint8_t data1, uint8_t data2) {
    IMidiMsg msg(offset, status, data1, data2);
    plug.ProcessMidiMsg(&msg);
}

struct Stereo {
    std::vector<double> left;
    std::vector<double> right;
};

// Renders nFrames in blocks of blockSize into one buffer.
inline Stereo render(Korvanta& plug, int nFrames, int blockSize) {
    Stereo out{std::vector<double>(nFrames), std::vector<double>(nFrames)};
    for (int done = 0; done < nFrames; done += blockSize) {
        const int n = std::min(blockSize, nFrames - done);
        double* outputs[2] = {out.left.data() + done, out.right.data() + done};
        plug.ProcessDoubleReplacing(nullptr, outputs, n);
    }
    return out;
}

inline int firstNonZero(const std::vector<double>& x) {
    for (size_t i = 0; i < x.size(); ++i) {
        if (x[i] != 0.0) return static_cast<int>(i);
    }
    return -1;
}

} // namespace testhost
