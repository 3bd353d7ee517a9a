#include "tools/midifile/MidiFile.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void putBig(Bytes& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

Bytes header(int format, int tracks, int division) {
    Bytes out = {'M', 'T', 'h', 'd'};
    putBig(out, 6, 4);
    putBig(out, format, 2);
    putBig(out, tracks, 2);
    putBig(out, division, 2);
    return out;
}

Bytes track(const Bytes& body) {
    Bytes out = {'M', 'T', 'r', 'k'};
    putBig(out, static_cast<uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes file(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

Bytes withEnd(Bytes body) {
    body.insert(body.end(), kEnd.begin(), kEnd.end());
    return body;
}

bool parse(MidiFile& midi, const Bytes& bytes, std::string* error = nullptr) {
    std::string ignored;
    return midi.parse(bytes.data(), bytes.size(), error ? error : &ignored);
}

} // namespace

TEST(MidiFile, ReadsFormatZeroWithRunningStatus) {
    // Tempo changes between a note with running status, program change, pitch wheel.
    const Bytes body =
        withEnd({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,    // 500000 us
                 0x00, 0x90, 60,   100,  0x83, 0x60, 60,   0, // delta 480, running note-on vel 0
                 0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,    // 1000000 us at 480
                 0x00, 0xC1, 5,    0x81, 0x70, 0xE0, 0x00, 0x40});
    MidiFile midi;
    ASSERT_TRUE(parse(midi, file({header(0, 1, 480), track(body)})));
    std::vector<std::tuple<int64_t, int, int, int>> events;
    for (const auto& e : midi.events()) events.emplace_back(e.tick, e.status, e.data1, e.data2);
    EXPECT_EQ(events, (decltype(events){
                          {0, 0x90, 60, 100}, {480, 0x90, 60, 0}, {480, 0xC1, 5, 0}, {720, 0xE0, 0, 0x40}}));
    EXPECT_DOUBLE_EQ(midi.tickToQuarters(720), 1.5);
    EXPECT_TRUE(midi.warnings().empty());
}

TEST(MidiFile, MergesFormatOneTracksInTimeOrder) {
    const Bytes conductor = withEnd({0x00, 0xFF, 0x58, 0x04, 3, 2, 24, 8});
    const Bytes bass = withEnd({0x10, 0x91, 40, 90, 0x10, 0x81, 40, 0});
    const Bytes lead = withEnd({0x08, 0x92, 72, 90, 0x10, 0x82, 72, 0});
    MidiFile midi;
    ASSERT_TRUE(parse(midi, file({header(1, 3, 96), track(conductor), track(bass), track(lead)})));
    EXPECT_EQ(midi.trackCount(), 3);
    std::vector<int64_t> ticks;
    for (const auto& e : midi.events()) ticks.push_back(e.tick);
    EXPECT_EQ(ticks, (std::vector<int64_t>{8, 16, 24, 32}));
    ASSERT_EQ(midi.timeSignatures().size(), 1u);
    EXPECT_EQ(std::pair(int{midi.timeSignatures()[0].numerator}, int{midi.timeSignatures()[0].denominator}),
              std::pair(3, 4));
}

TEST(MidiFile, RejectsBrokenFilesSayingWhatAndWhere) {
    const struct {
        const char* what;
        Bytes bytes;
        const char* message;
    } cases[] = {
        {"empty", {}, "no MThd header"},
        {"format 2", file({header(2, 1, 96), track(kEnd)}), "format 2"},
        {"track longer than file", file({header(0, 1, 96), Bytes{'M', 'T', 'r', 'k', 0, 0, 0x10, 0, 0}}),
         "claims 4096 bytes"},
        {"running status first", file({header(0, 1, 96), track(withEnd({0x00, 60, 100}))}), "running status"},
        {"five-byte delta", file({header(0, 1, 96), track({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 1, 1})}),
         "longer than four bytes"},
        {"cut note", file({header(0, 1, 96), track({0x00, 0x90, 60})}), "cut off"},
        {"meta past end", file({header(0, 1, 96), track({0x00, 0xFF, 0x01, 0x7F, 'a'})}), "runs past"},
        {"status as data", file({header(0, 1, 96), track({0x00, 0x90, 60, 0x90})}), "status byte where"},
    };
    for (const auto& c : cases) {
        MidiFile midi;
        std::string error;
        EXPECT_FALSE(parse(midi, c.bytes, &error)) << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
        EXPECT_NE(error.find("offset"), std::string::npos) << c.what << ": " << error;
    }
}

TEST(MidiFile, TempoMapTimesEveryTick) {
    // 96 ticks a quarter: 120 BPM, 60 BPM from tick 96, then 240 BPM at tick 192 where a second change
    // at the same tick (the later one wins) replaces a first.
    const Bytes body = withEnd({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,   // 500000 us
                                0x60, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,   // 1000000 us at 96
                                0x60, 0xFF, 0x51, 0x03, 0x01, 0x00, 0x00,   // 65536 us at 192, replaced
                                0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90}); // 250000 us at 192
    MidiFile midi;
    ASSERT_TRUE(parse(midi, file({header(0, 1, 96), track(body)})));
    struct Case {
        int64_t tick;
        double seconds;
        double bpm;
    };
    for (const Case& c : {Case{48, 0.25, 120.0}, Case{144, 1.0, 60.0}, Case{192, 1.5, 240.0},
                          Case{96 * 1000, 1.5 + 998 * 0.25, 240.0}}) {
        EXPECT_DOUBLE_EQ(midi.tickToSeconds(c.tick), c.seconds) << c.tick;
        EXPECT_DOUBLE_EQ(midi.tempoAt(c.tick), c.bpm) << c.tick;
    }
}
