#include "tools/midifile/MidiFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// A file larger than this is not a MIDI file anyone plays; refusing it keeps memory bounded.
constexpr size_t kMaxFileSize = 64u << 20;
// A delta time is at most four bytes (28 bits) by the file format.
constexpr int kMaxVarLenBytes = 4;

uint32_t bigEndian(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    return v;
}

std::string where(size_t offset, int track) {
    char text[64];
    if (track >= 0)
        std::snprintf(text, sizeof(text), "track %d, byte offset %zu", track + 1, offset);
    else
        std::snprintf(text, sizeof(text), "byte offset %zu", offset);
    return text;
}

bool fail(std::string* error, const std::string& what, size_t offset, int track) {
    if (error) *error = what + " (" + where(offset, track) + ")";
    return false;
}

// Reads a variable-length quantity; returns false when it is cut off or longer than four bytes.
bool readVarLen(const uint8_t* data, size_t size, size_t* pos, uint32_t* value) {
    uint32_t v = 0;
    for (int i = 0; i < kMaxVarLenBytes; ++i) {
        if (*pos >= size) return false;
        const uint8_t byte = data[(*pos)++];
        v = (v << 7) | (byte & 0x7F);
        if (!(byte & 0x80)) {
            *value = v;
            return true;
        }
    }
    return false;
}

int dataBytesOf(uint8_t status) {
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 1;
    default:
        return 2;
    }
}

} // namespace

void MidiFile::reset() {
    *this = MidiFile();
}

bool MidiFile::read(const std::string& path, std::string* error) {
    reset();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        if (error) *error = "\"" + path + "\" is a folder, not a MIDI file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = "cannot open \"" + path + "\"";
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff length = in.tellg();
    if (length < 0) {
        if (error) *error = "cannot read \"" + path + "\"";
        return false;
    }
    if (static_cast<uint64_t>(length) > kMaxFileSize) {
        if (error) *error = "\"" + path + "\" is too large to be a MIDI file";
        return false;
    }
    in.seekg(0, std::ios::beg);
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    if (length > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), length)) {
        if (error) *error = "cannot read \"" + path + "\"";
        return false;
    }
    return parse(bytes.data(), bytes.size(), error);
}

bool MidiFile::parse(const uint8_t* data, size_t size, std::string* error) {
    reset();
    if (size < 14 || bigEndian(data, 4) != 0x4D546864) // "MThd"
        return fail(error, "not a Standard MIDI File: no MThd header", 0, -1);
    const uint32_t headerLength = bigEndian(data + 4, 4);
    if (headerLength < 6 || headerLength > size - 8)
        return fail(error, "header length " + std::to_string(headerLength) + " is invalid", 4, -1);
    fileFormat = static_cast<int>(bigEndian(data + 8, 2));
    const int declaredTracks = static_cast<int>(bigEndian(data + 10, 2));
    const uint16_t rawDivision = static_cast<uint16_t>(bigEndian(data + 12, 2));
    if (fileFormat > 1)
        return fail(error, "MIDI file format " + std::to_string(fileFormat) + " is not supported", 8, -1);
    if (rawDivision & 0x8000) {
        const int framesPerSecond = -static_cast<int8_t>(rawDivision >> 8);
        const int ticksPerFrame = rawDivision & 0xFF;
        if (framesPerSecond <= 0 || ticksPerFrame == 0)
            return fail(error, "invalid SMPTE time division", 12, -1);
        division = -1;
        smpteTicksPerSecond = (framesPerSecond == 29 ? 29.97 : framesPerSecond) * ticksPerFrame;
    } else {
        if (rawDivision == 0) return fail(error, "time division of 0 ticks per quarter note", 12, -1);
        division = rawDivision;
    }

    size_t pos = 8 + headerLength;
    int track = 0;
    while (pos + 8 <= size && track < declaredTracks) {
        const uint32_t id = bigEndian(data + pos, 4);
        const uint32_t length = bigEndian(data + pos + 4, 4);
        const size_t bodyStart = pos + 8;
        if (length > size - bodyStart) {
            if (id != 0x4D54726B) break; // a cut-off unknown chunk at the end is simply ignored
            return fail(error,
                        "track chunk claims " + std::to_string(length) + " bytes but only " +
                            std::to_string(size - bodyStart) + " remain",
                        pos + 4, track);
        }
        if (id == 0x4D54726B) { // "MTrk"
            if (!parseTrack(data + bodyStart, length, bodyStart, track, error)) return false;
            ++track;
        }
        pos = bodyStart + length;
    }
    if (track == 0) return fail(error, "no track chunk found", pos, -1);
    if (track < declaredTracks)
        notes.push_back("the header announces " + std::to_string(declaredTracks) + " tracks but only " +
                        std::to_string(track) + " were found");
    tracks = track;

    std::stable_sort(channelEvents.begin(), channelEvents.end(),
                     [](const Event& a, const Event& b) { return a.tick < b.tick; });
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const Tempo& a, const Tempo& b) { return a.tick < b.tick; });
    std::stable_sort(signatures.begin(), signatures.end(),
                     [](const TimeSignature& a, const TimeSignature& b) { return a.tick < b.tick; });
    timeTempoChanges();
    return true;
}

void MidiFile::timeTempoChanges() {
    if (division <= 0) return; // SMPTE time does not depend on the tempo
    double seconds = 0.0;
    int64_t lastTick = 0;
    uint32_t micros = 500000;
    for (Tempo& t : tempos) {
        seconds += static_cast<double>(t.tick - lastTick) * micros / (1e6 * division);
        t.seconds = seconds;
        lastTick = t.tick;
        micros = t.microsPerQuarter;
    }
}

const MidiFile::Tempo* MidiFile::tempoBefore(int64_t tick) const {
    const auto after = std::upper_bound(tempos.begin(), tempos.end(), tick,
                                        [](int64_t t, const Tempo& tempo) { return t < tempo.tick; });
    return after == tempos.begin() ? nullptr : &*(after - 1);
}

bool MidiFile::parseTrack(const uint8_t* data, size_t size, size_t fileOffset, int track,
                          std::string* error) {
    size_t pos = 0;
    int64_t tick = 0;
    uint8_t runningStatus = 0;
    bool ended = false;
    while (pos < size && !ended) {
        const size_t eventStart = pos;
        uint32_t delta = 0;
        if (!readVarLen(data, size, &pos, &delta))
            return fail(error, "delta time is cut off or longer than four bytes", fileOffset + eventStart,
                        track);
        tick += delta;
        if (pos >= size) return fail(error, "event is cut off after its delta time", fileOffset + pos, track);
        uint8_t status = data[pos];
        if (status < 0x80) {
            if (!runningStatus)
                return fail(error, "data byte without a status byte (running status with no previous status)",
                            fileOffset + pos, track);
            status = runningStatus;
        } else {
            ++pos;
        }

        if (status == 0xFF) {
            if (pos >= size) return fail(error, "meta event is cut off", fileOffset + pos, track);
            const uint8_t type = data[pos++];
            uint32_t length = 0;
            if (!readVarLen(data, size, &pos, &length) || length > size - pos)
                return fail(error, "meta event length runs past the end of the track", fileOffset + pos,
                            track);
            const uint8_t* body = data + pos;
            if (type == 0x2F) ended = true;
            if (type == 0x51 && length >= 3) {
                const uint32_t micros = bigEndian(body, 3);
                if (micros > 0) tempos.push_back({tick, micros});
            }
            if (type == 0x58 && length >= 2 && body[1] < 16)
                signatures.push_back({tick, body[0] ? body[0] : 4, 1 << body[1]});
            pos += length;
            runningStatus = 0; // meta events cancel running status
        } else if (status == 0xF0 || status == 0xF7) {
            uint32_t length = 0;
            if (!readVarLen(data, size, &pos, &length) || length > size - pos)
                return fail(error, "system exclusive length runs past the end of the track", fileOffset + pos,
                            track);
            pos += length;
            runningStatus = 0;
        } else if (status >= 0xF0) {
            return fail(error, "unexpected system message in a track", fileOffset + pos - 1, track);
        } else {
            const int needed = dataBytesOf(status);
            if (pos + needed > size)
                return fail(error, "channel message is cut off", fileOffset + pos, track);
            Event event;
            event.tick = tick;
            event.track = track;
            event.status = status;
            event.data1 = data[pos] & 0x7F;
            event.data2 = needed == 2 ? data[pos + 1] & 0x7F : 0;
            if ((data[pos] & 0x80) || (needed == 2 && (data[pos + 1] & 0x80)))
                return fail(error, "status byte where a data byte belongs", fileOffset + pos, track);
            pos += needed;
            runningStatus = status;
            channelEvents.push_back(event);
        }
    }
    if (!ended) notes.push_back("track " + std::to_string(track + 1) + " has no end-of-track marker");
    endTick = std::max(endTick, tick);
    return true;
}

double MidiFile::tickToQuarters(int64_t tick) const {
    if (division > 0) return static_cast<double>(tick) / division;
    // SMPTE files have no quarter notes of their own; count them at the file's tempo.
    return tickToSeconds(tick) * tempoAt(tick) / 60.0;
}

double MidiFile::tickToSeconds(int64_t tick) const {
    if (division <= 0) return smpteTicksPerSecond > 0.0 ? tick / smpteTicksPerSecond : 0.0;
    const Tempo* tempo = tempoBefore(tick);
    if (!tempo) return static_cast<double>(tick) * 500000 / (1e6 * division);
    return tempo->seconds +
           static_cast<double>(tick - tempo->tick) * tempo->microsPerQuarter / (1e6 * division);
}

double MidiFile::tempoAt(int64_t tick) const {
    const Tempo* tempo = tempoBefore(tick);
    return 60e6 / (tempo ? tempo->microsPerQuarter : 500000);
}
