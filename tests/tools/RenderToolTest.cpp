// korvanta-render as a user runs it: songs in, WAV files out, and clear refusals with the documented
// exit codes for bad songs, bad options and outputs that cannot be written.

#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/ScratchFolder.h"
#include "tests/support/SignalAnalysis.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr int kExitUsage = 2;
constexpr int kExitMidi = 4;
constexpr int kExitOutput = 5;
constexpr int kExitRefusedFile = 6;

// The command examples/README.md gives for the demo song, split into arguments as a shell would (double
// quotes and backslash line continuations are all it uses), without the program name.
std::vector<std::string> documentedDemoCommand() {
    std::ifstream in(KORVANTA_SOURCE_DIR "/examples/README.md");
    std::string line, command;
    bool inCommand = false;
    while (std::getline(in, line)) {
        if (!inCommand && line.find("korvanta-render examples/demo.mid") == std::string::npos) continue;
        inCommand = true;
        const bool continues = !line.empty() && line.back() == '\\';
        command += line.substr(0, line.size() - (continues ? 1 : 0)) + " ";
        if (!continues) break;
    }
    std::vector<std::string> args;
    std::string word;
    bool quoted = false, inWord = false;
    for (char c : command) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (c == ' ' && !quoted) {
            if (inWord) args.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (!args.empty()) args.erase(args.begin());
    return args;
}

void putBig(Bytes& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

Bytes header(int tracks, int division = 480) {
    Bytes out = {'M', 'T', 'h', 'd'};
    putBig(out, 6, 4);
    putBig(out, 1, 2);
    putBig(out, static_cast<uint32_t>(tracks), 2);
    putBig(out, static_cast<uint32_t>(division), 2);
    return out;
}

Bytes track(const Bytes& body, int64_t lengthError = 0) {
    Bytes out = {'M', 'T', 'r', 'k'};
    putBig(out, static_cast<uint32_t>(static_cast<int64_t>(body.size()) + lengthError), 4);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};
// A quarter note A4 at 120 beats per minute: half a second.
const Bytes kNote = {0x00, 0x90, 69, 100, 0x83, 0x60, 0x80, 69, 0};
const Bytes kSong = join({header(1), track(join({kNote, kEnd}))});

struct ToolRun {
    int exitCode = -1;
    std::string errors;
};

struct Wav {
    int channels = 0;
    int rate = 0;
    std::vector<float> samples; // interleaved
    double Seconds() const { return channels ? samples.size() / channels / double(rate) : 0.0; }
    double Peak() const {
        double peak = 0.0;
        for (float s : samples) peak = std::max(peak, double(std::fabs(s)));
        return peak;
    }
    double Rms() const {
        double sum = 0.0;
        for (float s : samples) sum += double(s) * s;
        return samples.empty() ? 0.0 : std::sqrt(sum / samples.size());
    }
};

uint32_t little(const std::vector<char>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return v;
}

// Reads the 32-bit float WAV files the tool writes with --format f32.
Wav readFloatWav(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Wav wav;
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return wav;
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t size = little(b, at + 4, 4);
        if (size > b.size() - at - 8) break;
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && size >= 16) {
            if (little(b, at + 8, 2) != 3 || little(b, at + 22, 2) != 32) return wav; // not float
            wav.channels = static_cast<int>(little(b, at + 10, 2));
            wav.rate = static_cast<int>(little(b, at + 12, 4));
        } else if (std::memcmp(b.data() + at, "data", 4) == 0) {
            wav.samples.resize(size / 4);
            std::memcpy(wav.samples.data(), b.data() + at + 8, wav.samples.size() * 4);
        }
        at += 8 + size + (size & 1);
    }
    return wav;
}

class KorvantaRenderTool : public ::testing::Test {
protected:
    fs::path Write(const std::string& name, const Bytes& bytes) {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    ToolRun Render(const std::vector<std::string>& args) {
        std::string command = "'" KORVANTA_RENDER "'";
        for (const std::string& a : args) command += " '" + a + "'";
        const fs::path errors = folder / "stderr.txt";
        command += " > /dev/null 2> '" + errors.string() + "'";
        const int status = std::system(command.c_str());
        ToolRun run;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::ifstream in(errors);
        run.errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return run;
    }
    ToolRun RenderSong(const Bytes& song, std::vector<std::string> more = {}) {
        const fs::path midi = Write("song.mid", song);
        std::vector<std::string> args = {midi.string(), "-o", Output().string(), "--format", "f32", "-q"};
        args.insert(args.end(), more.begin(), more.end());
        return Render(args);
    }
    fs::path Output() const { return folder / "out.wav"; }
    // Only what the test put there and the finished output: no temporary file survives a run.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name != "song.mid" && name != "stderr.txt" && name != "out.wav") names.push_back(name);
        }
        return names;
    }

    ScratchFolder scratch;
    fs::path folder = scratch.path;
};

} // namespace

TEST_F(KorvantaRenderTool, RendersTheDemoSongInFullWithoutClipping) {
    std::vector<std::string> args = documentedDemoCommand();
    ASSERT_GT(args.size(), 4u);
    ASSERT_EQ(args[0], "examples/demo.mid");
    ASSERT_EQ(args[1], "-o");
    args[0] = KORVANTA_SOURCE_DIR "/examples/demo.mid";
    args[2] = Output().string();
    args.insert(args.end(), {"--format", "f32", "--sample-rate", "44100", "-q"});
    const ToolRun run = Render(args);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    const Wav wav = readFloatWav(Output());
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.rate, 44100);
    // Sixteen bars of 4/4 at 112 beats per minute, then the release tail, cut once it is silent.
    const double song = 16 * 4 * 60.0 / 112;
    EXPECT_GE(wav.Seconds(), song);
    EXPECT_LT(wav.Seconds(), song + 2.0);
    EXPECT_GT(wav.Rms(), 0.03);
    EXPECT_LT(wav.Peak(), 1.0);
    EXPECT_GT(wav.Peak(), 0.25);
}

TEST_F(KorvantaRenderTool, TailStopsAtSilenceOrAtItsLimit) {
    // Note on, pedal down, and never a note off or pedal up: the song's end lets go of both.
    const Bytes held = join(
        {header(1), track(join({{0x00, 0x90, 69, 100, 0x00, 0xB0, 64, 127, 0x83, 0x60, 0xFF, 0x2F, 0x00}}))});
    struct Case {
        const Bytes& song;
        const char* tail;
        double shortest;
        double longest;
    };
    // The song's end releases what still sounds, and the tail runs until the release has died away for
    // 100 ms, or stops at the limit.
    for (const Case& c : {Case{kSong, "10", 0.55, 1.5}, Case{kSong, "0", 0.5, 0.5001},
                          Case{kSong, "0.05", 0.55, 0.5501}, Case{held, "10", 0.55, 1.5}}) {
        const ToolRun run = RenderSong(c.song, {"--tail", c.tail});
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        const Wav wav = readFloatWav(Output());
        EXPECT_GE(wav.Seconds(), c.shortest) << c.tail;
        EXPECT_LE(wav.Seconds(), c.longest) << c.tail;
    }
}

TEST_F(KorvantaRenderTool, OutputFormatsAndGain) {
    struct Case {
        const char* format;
        int bytesPerSample;
    };
    for (const Case& c : {Case{"s16", 2}, Case{"s24", 3}, Case{"f32", 4}}) {
        const ToolRun run = RenderSong(kSong, {"--format", c.format, "--tail", "0", "-r", "44100"});
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        // Half a second of stereo frames plus a header of at most a few hundred bytes.
        const auto size = fs::file_size(Output());
        EXPECT_GE(size, 22050u * 2 * c.bytesPerSample) << c.format;
        EXPECT_LT(size, 22050u * 2 * c.bytesPerSample + 200) << c.format;
    }
    ASSERT_EQ(RenderSong(kSong, {"--tail", "0"}).exitCode, 0);
    const double plain = readFloatWav(Output()).Peak();
    ASSERT_EQ(RenderSong(kSong, {"--tail", "0", "--gain", "-6.0206"}).exitCode, 0);
    EXPECT_NEAR(readFloatWav(Output()).Peak(), plain / 2, plain * 1e-4);
}

TEST_F(KorvantaRenderTool, LongSongsAreRefusedByTheLengthLimit) {
    // Ten seconds of silence before the note: refused under a limit of five, rendered under one of twenty.
    const Bytes late = join({header(1), track(join({{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}, // 120 bpm
                                                    {0xCB, 0x00, 0x90, 60, 100, 0x81, 0x70, 0x80, 60, 0},
                                                    kEnd}))});
    EXPECT_EQ(RenderSong(late, {"--max-length", "5"}).exitCode, kExitMidi);
    EXPECT_FALSE(fs::exists(Output()));
    const ToolRun run = RenderSong(late, {"--max-length", "20", "--tail", "0"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NEAR(readFloatWav(Output()).Seconds(), 10.25, 0.001);
}

TEST_F(KorvantaRenderTool, MissingSongFailsWithItsName) {
    const ToolRun run = Render({(folder / "absent.mid").string(), "-o", Output().string()});
    EXPECT_EQ(run.exitCode, kExitMidi);
    EXPECT_NE(run.errors.find("absent.mid"), std::string::npos) << run.errors;
}

TEST_F(KorvantaRenderTool, UnwritableOutputFailsAndLeavesNoFile) {
    const fs::path midi = Write("song.mid", kSong);
    const std::vector<fs::path> targets = {folder / "no" / "such" / "folder" / "out.wav", folder};
    for (const fs::path& target : targets) {
        const ToolRun run = Render({midi.string(), "-o", target.string(), "-q"});
        EXPECT_EQ(run.exitCode, kExitOutput) << target << ": " << run.errors;
        EXPECT_NE(run.errors.find(target.string()), std::string::npos) << run.errors;
    }
    EXPECT_FALSE(fs::exists(folder / "no"));
    EXPECT_TRUE(Leftovers().empty());

    // A song that fails leaves an earlier result where it was.
    Write("out.wav", {'o', 'l', 'd'});
    EXPECT_EQ(RenderSong(Bytes(kSong.begin(), kSong.end() - 6)).exitCode, kExitMidi);
    EXPECT_EQ(fs::file_size(Output()), 3u);
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(KorvantaRenderTool, BadOptionsExitWithTheUsageCode) {
    const fs::path midi = Write("song.mid", kSong);
    const std::string out = Output().string();
    const std::vector<std::vector<std::string>> cases = {
        {midi, "--bogus"},
        {},
        {midi, midi},
        {midi, "--sample-rate", "fast"},
        {midi, "--sample-rate", "100"},
        {midi, "--sample-rate", "44100.5"},
        {midi, "--sample-rate"},
        {midi, "--block-size", "0"},
        {midi, "--block-size", "12.5"},
        {midi, "--format", "mp3"},
        {midi, "--program", "-1"},
        {midi, "--program", "64"},
        {midi, "--param", "Volume"},
        {midi, "--param", "0=1.5"},
        {midi, "--param", "0=nan"},
        {midi, "--param", "153=0.5"},
        {midi, "--param", "No Such Knob=0.5"},
        {midi, "--tail", "-1"},
        {midi, "--gain", "loud"},
        {midi, "--max-length", "0"},
        {midi, "--quiet=yes"},
    };
    for (std::vector<std::string> args : cases) {
        std::string shown;
        for (const std::string& a : args) shown += a + " ";
        args.insert(args.end(), {"-o", out});
        const ToolRun run = Render(args);
        EXPECT_EQ(run.exitCode, kExitUsage) << shown << ": " << run.errors;
        EXPECT_NE(run.errors.find("korvanta-render: "), std::string::npos) << shown;
        EXPECT_FALSE(fs::exists(Output())) << shown;
    }
}

TEST_F(KorvantaRenderTool, ParametersByNameAndByIndexAgree) {
    ASSERT_EQ(RenderSong(kSong, {"--tail", "0", "--param", "Filter Cutoff=0.3"}).exitCode, 0);
    const Wav byName = readFloatWav(Output());
    ASSERT_EQ(RenderSong(kSong, {"--tail", "0", "--param", "78=0.3"}).exitCode, 0);
    const Wav byIndex = readFloatWav(Output());
    ASSERT_EQ(RenderSong(kSong, {"--tail", "0"}).exitCode, 0);
    const Wav open = readFloatWav(Output());
    EXPECT_EQ(byName.samples, byIndex.samples);
    EXPECT_NE(byName.samples, open.samples);
}

TEST_F(KorvantaRenderTool, TempoSyncedGeneratorsFollowTheSongsTempo) {
    // MG 1 synced to quarter notes, with its sine as the amplitude: the level swells twice per beat.
    const std::vector<std::string> swell = {
        "--tail",  "0",        "-r",      "48000",  "--param", "MG 1 Sync to Host=1",
        "--param", "Amp AM=1", "--param", "86=0.25"};
    for (int bpm : {60, 150}) {
        const uint32_t micros = 60000000 / bpm;
        const uint32_t ticks = 480 * bpm / 15; // four seconds
        Bytes body = {0x00, 0xFF, 0x51, 0x03};
        putBig(body, micros, 3);
        body.insert(body.end(), {0x00, 0x90, 69, 100});
        body.insert(body.end(),
                    {static_cast<uint8_t>(0x80 | (ticks >> 7)), static_cast<uint8_t>(ticks & 0x7F)});
        body.insert(body.end(), {0x80, 69, 0});
        const ToolRun run = RenderSong(join({header(1), track(join({body, kEnd}))}), swell);
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        const Wav wav = readFloatWav(Output());
        // Level in 10 ms steps, after the first half second.
        std::vector<double> level;
        for (size_t at = 48000; at + 960 <= wav.samples.size(); at += 960) {
            double sum = 0.0;
            for (size_t i = at; i < at + 960; i += 2) sum += double(wav.samples[i]) * wav.samples[i];
            level.push_back(std::sqrt(sum / 480));
        }
        double mean = 0.0;
        for (double v : level) mean += v / level.size();
        for (double& v : level) v -= mean;
        EXPECT_NEAR(testsupport::measurePitch(level, 100.0), 2.0 * bpm / 60.0, 0.05 * bpm / 60.0) << bpm;
    }
}

TEST_F(KorvantaRenderTool, NotesStartAtTheirExactFrameWhateverTheBlockSize) {
    // A rest of one quarter (half a second at 120 BPM), then the note: it sounds from frame 24000 at 48 kHz.
    const Bytes late =
        join({header(1), track(join({{0x83, 0x60, 0x90, 69, 100, 0x83, 0x60, 0x80, 69, 0}, kEnd}))});
    std::vector<float> first;
    for (const char* blockSize : {"4096", "512", "100", "17"}) {
        const ToolRun run = RenderSong(late, {"--tail", "0", "-r", "48000", "-b", blockSize});
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        const Wav wav = readFloatWav(Output());
        ASSERT_EQ(wav.samples.size(), 2u * 48000);
        size_t onset = 0;
        while (onset < wav.samples.size() && wav.samples[onset] == 0.0f) ++onset;
        EXPECT_EQ(onset / 2, 24000u) << blockSize;
        if (first.empty())
            first = wav.samples;
        else
            EXPECT_EQ(wav.samples, first) << blockSize;
    }
}

TEST_F(KorvantaRenderTool, ProgramAndBankFilesCarryTheSoundAcross) {
    const std::string fxp = (folder / "edited.fxp").string();
    const std::string fxb = (folder / "bank.fxb").string();
    ASSERT_EQ(RenderSong(kSong, {"--tail", "0", "--program", "5", "--param", "Filter Cutoff=0.3",
                                 "--save-fxp", fxp, "--save-fxb", fxb})
                  .exitCode,
              0);
    const Wav edited = readFloatWav(Output());
    ASSERT_EQ(RenderSong(kSong, {"--tail", "0", "--fxp", fxp}).exitCode, 0);
    EXPECT_EQ(readFloatWav(Output()).samples, edited.samples);
    ASSERT_EQ(RenderSong(kSong, {"--tail", "0", "--fxb", fxb, "--program", "5"}).exitCode, 0);
    EXPECT_EQ(readFloatWav(Output()).samples, edited.samples);

    const ToolRun wrongFile = RenderSong(kSong, {"--fxb", (folder / "song.mid").string()});
    EXPECT_EQ(wrongFile.exitCode, kExitRefusedFile);
    EXPECT_NE(wrongFile.errors.find("--fxb"), std::string::npos) << wrongFile.errors;
    EXPECT_EQ(Render({"--list-programs", "--fxb", fxb}).exitCode, 0);

    // The tool is a host like any other: a copy of the bundle elsewhere serves it just as well.
    const fs::path elsewhere = folder / "elsewhere";
    fs::create_directories(elsewhere);
    fs::copy(KORVANTA_BUNDLE_DIR, elsewhere / "Korvanta.vst", fs::copy_options::recursive);
    const std::string copy = (elsewhere / "Korvanta.vst/Contents/x86_64-linux/Korvanta.so").string();
    ASSERT_EQ(RenderSong(kSong, {"--tail", "0", "--plugin", copy, "--fxp", fxp}).exitCode, 0);
    EXPECT_EQ(readFloatWav(Output()).samples, edited.samples);
    fs::remove_all(elsewhere);
}

TEST_F(KorvantaRenderTool, TuningFilesRetuneTheNotesInTheOrderGiven) {
    const auto file = [this](const char* name, const std::string& text) {
        const fs::path path = Write(name, Bytes{});
        std::ofstream(path) << text;
        return path.string();
    };
    // A4 a quarter tone sharp: 6950 cents above MIDI note 0.
    const std::string sharp = file("sharp.tun", "[Tuning]\nnote 69=6950\n");
    const std::string equal = file("equal.scl", "equal\n12\n100.\n200.\n300.\n400.\n500.\n600.\n700.\n"
                                                "800.\n900.\n1000.\n1100.\n2/1\n");
    const std::string a450 = file("a450.kbm", "0\n0\n127\n60\n69\n450.0\n12\n");
    const std::string functional = file("functional.tun", "[Scale Begin]\nFormat = \"AnaMark-TUN\"\n"
                                                          "FormatVersion = 200\n[Functional Tuning]\n"
                                                          "InitEqual = (69, 430)\n[Scale End]\n");
    struct Case {
        std::vector<std::string> tunings;
        double hz; // 0: the last file is refused
    };
    const Case cases[] = {
        {{"--tuning", sharp}, 440.0 * std::pow(2.0, 50.0 / 1200.0)},
        {{"--tuning", equal}, 440.0},
        {{"--tuning", equal, "--tuning", a450}, 450.0}, // the mapping applies to the scale read before
        {{"--tuning-preference", "functional", "--tuning", functional}, 430.0},
        {{"--tuning", functional}, 0.0}, // exact by default: a file with only a functional tuning
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--tail", "0", "--program", "0"};
        args.insert(args.end(), c.tunings.begin(), c.tunings.end());
        const ToolRun run = RenderSong(kSong, args);
        if (c.hz == 0.0) {
            EXPECT_EQ(run.exitCode, kExitRefusedFile) << c.tunings.back();
            EXPECT_NE(run.errors.find("No tuning data found!"), std::string::npos) << run.errors;
            continue;
        }
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        const Wav wav = readFloatWav(Output());
        ASSERT_EQ(wav.channels, 2);
        std::vector<double> left;
        for (size_t i = 2 * 4800; i + 1 < wav.samples.size() && left.size() < 16384; i += 2)
            left.push_back(wav.samples[i]);
        EXPECT_NEAR(testsupport::measurePitch(left, wav.rate), c.hz, 1.0) << c.tunings.back();
    }

    const ToolRun missing = RenderSong(kSong, {"--tuning", (folder / "none.scl").string()});
    EXPECT_EQ(missing.exitCode, kExitRefusedFile);
    EXPECT_NE(missing.errors.find("none.scl"), std::string::npos);
}

TEST_F(KorvantaRenderTool, WaveTablesLoadIntoAUserTableAndPlay) {
    // One cycle of a square wave, 2048 frames of mono 16-bit PCM.
    Bytes wav = {'R', 'I', 'F', 'F', 0,  0, 0,   0,   'W', 'A',  'V',  'E',  'f', 'm',  't',
                 ' ', 16,  0,   0,   0,  1, 0,   1,   0,   0x44, 0xAC, 0,    0,   0x88, 0x58,
                 1,   0,   2,   0,   16, 0, 'd', 'a', 't', 'a',  0,    0x10, 0,   0};
    for (int i = 0; i < 2048; ++i) {
        const int16_t s = i < 1024 ? 20000 : -20000;
        wav.push_back(static_cast<uint8_t>(s & 0xFF));
        wav.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
    }
    const fs::path table = Write("square.wav", wav);
    ASSERT_EQ(RenderSong(kSong, {"--tail", "0", "--program", "0"}).exitCode, 0);
    const Wav plain = readFloatWav(Output());
    const ToolRun loaded =
        RenderSong(kSong, {"--tail", "0", "--program", "0", "--wavetable", "1=" + table.string()});
    ASSERT_EQ(loaded.exitCode, 0);
    EXPECT_NE(loaded.errors.find("single cycle waveform file\nwith 2048 samples."), std::string::npos)
        << loaded.errors;
    EXPECT_NE(readFloatWav(Output()).samples, plain.samples);

    const ToolRun refused = RenderSong(kSong, {"--wavetable", "2=" + (folder / "song.mid").string()});
    EXPECT_EQ(refused.exitCode, kExitRefusedFile);
}
