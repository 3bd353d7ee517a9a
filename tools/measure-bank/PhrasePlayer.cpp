#include "tools/measure-bank/PhrasePlayer.h"

#include "tools/render/PluginHost.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

VstTimeInfo transportAt(int64_t frame, bool first) {
    VstTimeInfo info{};
    info.samplePos = static_cast<double>(frame);
    info.sampleRate = PhrasePlayer::kSampleRate;
    info.tempo = PhrasePlayer::kTempo;
    info.ppqPos = static_cast<double>(frame) / PhrasePlayer::kSampleRate * PhrasePlayer::kTempo / 60.0;
    info.barStartPos = std::floor(info.ppqPos / 4.0) * 4.0;
    info.timeSigNumerator = 4;
    info.timeSigDenominator = 4;
    info.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    if (first) info.flags |= kVstTransportChanged;
    return info;
}

} // namespace

bool PhrasePlayer::programNames(std::vector<std::string>* names, std::string* error) const {
    PluginHost host;
    if (!host.Load(modulePath)) {
        *error = host.Error();
        return false;
    }
    host.Start(kSampleRate, kBlockSize);
    names->clear();
    for (int i = 0; i < host.Effect()->numPrograms; ++i)
        names->push_back(host.DispatchText(effGetProgramNameIndexed, i));
    return true;
}

bool PhrasePlayer::play(int program, const std::vector<PhraseEvent>& events, double seconds,
                        StereoSignal* out, std::string* error) const {
    PluginHost host;
    if (!host.Load(modulePath)) {
        *error = host.Error();
        return false;
    }
    host.Start(kSampleRate, kBlockSize);
    host.Dispatch(effSetProgram, 0, program);

    const auto frames = static_cast<int64_t>(std::llround(seconds * kSampleRate));
    out->left.assign(frames, 0.0);
    out->right.assign(frames, 0.0);
    // A VstEvents record with room for every event a block of these phrases holds.
    struct EventRecord {
        VstInt32 numEvents;
        VstIntPtr reserved;
        std::array<VstEvent*, 64> events;
    } record{};
    std::array<VstMidiEvent, 64> midi{};
    size_t next = 0;
    for (int64_t start = 0; start < frames; start += kBlockSize) {
        const int n = static_cast<int>(std::min<int64_t>(kBlockSize, frames - start));
        host.SetTime(transportAt(start, start == 0));
        record.numEvents = 0;
        for (; next < events.size() && record.numEvents < static_cast<VstInt32>(midi.size()); ++next) {
            const auto frame = static_cast<int64_t>(std::llround(events[next].seconds * kSampleRate));
            if (frame >= start + n) break;
            VstMidiEvent& event = midi[record.numEvents];
            event = VstMidiEvent{};
            event.type = kVstMidiType;
            event.byteSize = sizeof event;
            event.deltaFrames = static_cast<VstInt32>(std::max<int64_t>(0, frame - start));
            event.midiData[0] = static_cast<char>(events[next].status);
            event.midiData[1] = static_cast<char>(events[next].data1);
            event.midiData[2] = static_cast<char>(events[next].data2);
            record.events[record.numEvents++] = reinterpret_cast<VstEvent*>(&event);
        }
        if (record.numEvents > 0) host.Dispatch(effProcessEvents, 0, 0, &record);
        double* outputs[] = {out->left.data() + start, out->right.data() + start};
        host.Effect()->processDoubleReplacing(host.Effect(), nullptr, outputs, n);
    }
    return true;
}
