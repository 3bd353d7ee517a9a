#include "tools/render/Renderer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdio>

namespace {

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A host stops its transport with the pedal up and every note released; the song's end does the same,
// so a file that never lets go of a note still ends.
constexpr uint8_t kEndOfSong[][3] = {{0xB0, 64, 0}, {0xB0, 123, 0}};

} // namespace

Renderer::Renderer(PluginHost& pluginHost, const MidiFile& song, const RenderOptions& renderOptions)
    : host(pluginHost), clock(song), options(renderOptions), sampleRate(renderOptions.sampleRate) {
    schedule(song);
}

void Renderer::schedule(const MidiFile& song) {
    songEndFrame = std::llround(song.tickToSeconds(song.lastTick()) * sampleRate);
    events.reserve(song.events().size() + std::size(kEndOfSong));
    for (const MidiFile::Event& e : song.events()) {
        const int64_t frame = std::llround(song.tickToSeconds(e.tick) * sampleRate);
        events.push_back({frame, {e.status, e.data1, e.data2}});
        songEndFrame = std::max(songEndFrame, frame);
    }
    for (const auto& bytes : kEndOfSong) events.push_back({songEndFrame, {bytes[0], bytes[1], bytes[2]}});
}

void Renderer::sendEvents(int64_t blockStart, int frames) {
    blockEvents.clear();
    while (nextEvent < events.size() && events[nextEvent].frame < blockStart + frames) {
        const Scheduled& s = events[nextEvent++];
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof event;
        event.deltaFrames = static_cast<VstInt32>(std::max<int64_t>(0, s.frame - blockStart));
        for (int i = 0; i < 3; ++i) event.midiData[i] = static_cast<char>(s.bytes[i]);
        blockEvents.push_back(event);
    }
    if (blockEvents.empty()) return;
    eventList.assign(offsetof(VstEvents, events) + blockEvents.size() * sizeof(VstEvent*), 0);
    auto* list = reinterpret_cast<VstEvents*>(eventList.data());
    list->numEvents = static_cast<VstInt32>(blockEvents.size());
    for (size_t i = 0; i < blockEvents.size(); ++i)
        list->events[i] = reinterpret_cast<VstEvent*>(&blockEvents[i]);
    host.Dispatch(effProcessEvents, 0, 0, list);
}

void Renderer::setTransport(int64_t blockStart) {
    const SongClock::Position position = clock.at(static_cast<double>(blockStart) / sampleRate);
    VstTimeInfo info{};
    info.samplePos = static_cast<double>(blockStart);
    info.sampleRate = sampleRate;
    info.ppqPos = position.quarters;
    info.tempo = position.tempo;
    info.barStartPos = position.barStart;
    info.timeSigNumerator = position.numerator;
    info.timeSigDenominator = position.denominator;
    info.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    if (blockStart == 0) info.flags |= kVstTransportChanged;
    host.SetTime(info);
}

void Renderer::reportProgress(int64_t frames, bool last) {
    if (options.quiet) return;
    const double t = now();
    // Short renders stay quiet; longer ones show where they are a few times a second.
    if (!last && (t - startTime < 1.0 || t - lastProgress < 0.25)) return;
    if (last && !progressShown) return;
    lastProgress = t;
    progressShown = true;
    const double done = static_cast<double>(frames) / sampleRate;
    std::fprintf(stderr, "\rkorvanta-render: %.1f s of %.1f s rendered (%.0f%%)%s", done, songSeconds(),
                 std::min(100.0, 100.0 * done / std::max(songSeconds(), 1e-9)), last ? "\n" : "");
    std::fflush(stderr);
}

bool Renderer::render(WavWriter& writer, Summary* summary, std::string* error) {
    AEffect* effect = host.Effect();
    const int blockSize = options.blockSize;
    const double gain = std::pow(10.0, options.gainDb / 20.0);
    const int64_t lastFrame =
        songEndFrame + static_cast<int64_t>(std::ceil(options.tailSeconds * sampleRate));
    const int64_t silenceHold = static_cast<int64_t>(std::ceil(kSilenceHoldSeconds * sampleRate));
    std::vector<double> left(blockSize), right(blockSize), interleaved(2 * blockSize);
    double* outputs[] = {left.data(), right.data()};

    startTime = now();
    lastProgress = startTime;
    int64_t position = 0;
    int64_t quietRun = 0;
    bool ended = false;
    *summary = Summary{};
    while (!ended && position < lastFrame) {
        const int frames = static_cast<int>(std::min<int64_t>(blockSize, lastFrame - position));
        setTransport(position);
        sendEvents(position, frames);
        effect->processDoubleReplacing(effect, nullptr, outputs, frames);
        int kept = frames;
        for (int i = 0; i < frames; ++i) {
            // A broken sample must not turn into full-scale noise in an integer file.
            const double l = std::isfinite(left[i]) ? left[i] * gain : 0.0;
            const double r = std::isfinite(right[i]) ? right[i] * gain : 0.0;
            interleaved[2 * i] = l;
            interleaved[2 * i + 1] = r;
            const double level = std::max(std::fabs(l), std::fabs(r));
            summary->peak = std::max(summary->peak, level);
            quietRun = level < kSilence ? quietRun + 1 : 0;
            if (position + i >= songEndFrame && quietRun >= silenceHold) {
                kept = i + 1;
                ended = true;
                break;
            }
        }
        if (!writer.write(interleaved.data(), kept, error)) return false;
        position += kept;
        reportProgress(position, false);
    }
    reportProgress(position, true);
    summary->frames = position;
    summary->wallSeconds = now() - startTime;
    return true;
}
