#pragma once

#include "tools/midifile/MidiFile.h"
#include "tools/render/PluginHost.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/SongClock.h"
#include "tools/render/WavWriter.h"

#include <cstdint>
#include <string>
#include <vector>

// Plays a song into the plug-in block by block, each MIDI event at its exact frame, with the song's
// tempo and position as transport, and writes what comes out.
class Renderer {
public:
    struct Summary {
        int64_t frames = 0;
        double peak = 0.0; // largest absolute sample written, after the gain
        double wallSeconds = 0.0;
    };

    Renderer(PluginHost& host, const MidiFile& song, const RenderOptions& options);

    // The song's length in seconds: up to its last event or end-of-track marker.
    double songSeconds() const { return static_cast<double>(songEndFrame) / sampleRate; }
    bool render(WavWriter& writer, Summary* summary, std::string* error);

    // Output below this level (-90 dBFS) counts as silence for the release tail.
    static constexpr double kSilence = 3.1622776601683795e-05;
    static constexpr double kSilenceHoldSeconds = 0.1;

private:
    struct Scheduled {
        int64_t frame;
        uint8_t bytes[3];
    };

    void schedule(const MidiFile& song);
    void sendEvents(int64_t blockStart, int frames);
    void setTransport(int64_t blockStart);
    void reportProgress(int64_t frames, bool last);

    PluginHost& host;
    SongClock clock;
    const RenderOptions& options;
    double sampleRate;
    int64_t songEndFrame = 0;
    std::vector<Scheduled> events;
    size_t nextEvent = 0;
    std::vector<VstMidiEvent> blockEvents;
    std::vector<unsigned char> eventList; // a VstEvents record with room for the block's pointers
    double startTime = 0.0;
    double lastProgress = 0.0;
    bool progressShown = false;
};
