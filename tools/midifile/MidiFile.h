#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A Standard MIDI File (formats 0 and 1) read into one time-ordered list of channel events with the
// file's tempo map. Nothing in it trusts the file: every length is checked against what is there.
class MidiFile {
public:
    struct Event {
        int64_t tick = 0;
        int track = 0;
        uint8_t status = 0;
        uint8_t data1 = 0;
        uint8_t data2 = 0;
    };

    struct Tempo {
        int64_t tick = 0;
        uint32_t microsPerQuarter = 500000;
        double seconds = 0.0; // where the change falls, filled in once the whole file is read
    };

    struct TimeSignature {
        int64_t tick = 0;
        int numerator = 4;
        int denominator = 4;
    };

    // Reads a file; on failure returns false and sets error to what is wrong and where.
    bool read(const std::string& path, std::string* error);
    bool parse(const uint8_t* data, size_t size, std::string* error);

    int format() const { return fileFormat; }
    int trackCount() const { return tracks; }
    // Ticks per quarter note (for SMPTE time the ticks per second are given by ticksPerSecond()).
    int ticksPerQuarter() const { return division > 0 ? division : 0; }
    const std::vector<Event>& events() const { return channelEvents; }
    const std::vector<Tempo>& tempoMap() const { return tempos; }
    const std::vector<TimeSignature>& timeSignatures() const { return signatures; }
    // Warnings that did not stop reading (a track without an end marker, for instance).
    const std::vector<std::string>& warnings() const { return notes; }
    int64_t lastTick() const { return endTick; }

    // Both take logarithmic time in the number of tempo changes, so timing every event of a file with
    // many of them stays fast.
    double tickToSeconds(int64_t tick) const;
    double tempoAt(int64_t tick) const; // beats per minute
    double tickToQuarters(int64_t tick) const;

private:
    bool parseTrack(const uint8_t* data, size_t size, size_t fileOffset, int track, std::string* error);
    void reset();
    void timeTempoChanges();
    // The last tempo change at or before the tick, or nullptr before the first.
    const Tempo* tempoBefore(int64_t tick) const;

    int fileFormat = 0;
    int tracks = 0;
    int division = 480;
    double smpteTicksPerSecond = 0.0;
    int64_t endTick = 0;
    std::vector<Event> channelEvents;
    std::vector<Tempo> tempos;
    std::vector<TimeSignature> signatures;
    std::vector<std::string> notes;
};
