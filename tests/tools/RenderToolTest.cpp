// korvanta-render as a user runs it: songs in, WAV files out, and clear refusals with the documented
// exit codes for bad songs, bad options and outputs that cannot be written.

#include <sys/wait.h>

#include "tests/support/ScratchFolder.h"
#include "tests/support/SignalAnalysis.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// The command examples/README.md gives for the demo song, backslash line continuations included.
std::string documentedDemoCommand() {
    std::ifstream in(KORVANTA_SOURCE_DIR "/examples/README.md");
    std::string line, command;
    while (std::getline(in, line)) {
        if (command.empty() && line.find("korvanta-render examples/demo.mid") == std::string::npos) continue;
        command += line + "\n";
        if (line.empty() || line.back() != '\\') break;
    }
    return command;
}

void putBig(Bytes& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A format 1 file of one track at 480 ticks a quarter.
Bytes song(const Bytes& events) {
    Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
    putBig(out, static_cast<uint32_t>(events.size() + 4), 4);
    out.insert(out.end(), events.begin(), events.end());
    out.insert(out.end(), {0x00, 0xFF, 0x2F, 0x00});
    return out;
}

// A quarter note A4 at 120 beats per minute: half a second.
const Bytes kSong = song({0x00, 0x90, 69, 100, 0x83, 0x60, 0x80, 69, 0});

struct ToolRun {
    int exitCode = -1;
    std::string errors;
};

struct Wav {
    int channels = 0;
    int rate = 0;
    std::vector<float> samples; // interleaved
    double seconds() const { return channels ? samples.size() / channels / double(rate) : 0.0; }
    double peak() const {
        float top = 0.0f;
        for (float s : samples) top = std::max(top, std::fabs(s));
        return top;
    }
};

class KorvantaRenderTool : public ::testing::Test {
protected:
    fs::path write(const std::string& name, const Bytes& bytes) {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    // Arguments as a shell reads them.
    ToolRun render(const std::string& args) {
        const fs::path errors = folder / "stderr.txt";
        const int status = std::system(
            ("'" KORVANTA_RENDER "' " + args + " > /dev/null 2> '" + errors.string() + "'").c_str());
        ToolRun run;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::ifstream in(errors);
        run.errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return run;
    }
    ToolRun renderSong(const Bytes& midi, const std::string& more = "") {
        return render("'" + write("song.mid", midi).string() + "' -o '" + output().string() +
                      "' --format f32 -q " + more);
    }
    Wav played(const Bytes& midi, const std::string& more) {
        const ToolRun run = renderSong(midi, more);
        EXPECT_EQ(run.exitCode, 0) << more << ": " << run.errors;
        return readOutput();
    }
    Wav readOutput() const {
        SF_INFO info{};
        SNDFILE* file = sf_open(output().c_str(), SFM_READ, &info);
        Wav wav;
        if (file == nullptr) return wav;
        wav.channels = info.channels;
        wav.rate = info.samplerate;
        wav.samples.resize(static_cast<size_t>(info.frames * info.channels));
        sf_readf_float(file, wav.samples.data(), info.frames);
        sf_close(file);
        return wav;
    }
    fs::path output() const { return folder / "out.wav"; }
    // Only what the test put there and the finished output: no temporary file survives a run.
    bool onlyOwnFilesLeft() const {
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name != "song.mid" && name != "stderr.txt" && name != "out.wav") return false;
        }
        return true;
    }

    ScratchFolder scratch;
    fs::path folder = scratch.path;
};

} // namespace

TEST_F(KorvantaRenderTool, RendersTheDocumentedDemoCommandInFullWithoutClipping) {
    std::string command = documentedDemoCommand();
    const size_t start = command.find("examples/demo.mid -o demo.wav ");
    ASSERT_NE(start, std::string::npos) << command;
    command = "'" KORVANTA_SOURCE_DIR "/examples/demo.mid' -o '" + output().string() + "' " +
              command.substr(start + 30);
    const ToolRun run = render(command.substr(0, command.find_last_not_of("\n") + 1) +
                               " --format f32 --sample-rate 44100 -q");
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    const Wav wav = readOutput();
    EXPECT_EQ(std::pair(wav.channels, wav.rate), std::pair(2, 44100));
    // Sixteen bars of 4/4 at 112 beats per minute, then the release tail, cut once it is silent.
    const double length = 16 * 4 * 60.0 / 112;
    EXPECT_GE(wav.seconds(), length);
    EXPECT_LT(wav.seconds(), length + 2.0);
    std::vector<double> all(wav.samples.begin(), wav.samples.end());
    EXPECT_GT(testsupport::rms(all), 0.03);
    EXPECT_LT(wav.peak(), 1.0);
    EXPECT_GT(wav.peak(), 0.25);
}

TEST_F(KorvantaRenderTool, OutputFormatsAndGain) {
    for (const auto& [format, bytesPerSample] : {std::pair{"s16", 2u}, {"s24", 3u}, {"f32", 4u}}) {
        const ToolRun run = renderSong(kSong, std::string("--format ") + format + " --tail 0 -r 44100");
        ASSERT_EQ(run.exitCode, 0) << run.errors;
        // Half a second of stereo frames plus a header of at most a few hundred bytes.
        EXPECT_GE(fs::file_size(output()), 22050u * 2 * bytesPerSample) << format;
        EXPECT_LT(fs::file_size(output()), 22050u * 2 * bytesPerSample + 200) << format;
    }
    const double plain = played(kSong, "--tail 0").peak();
    EXPECT_NEAR(played(kSong, "--tail 0 --gain -6.0206").peak(), plain / 2, plain * 1e-4);
}

TEST_F(KorvantaRenderTool, LongSongsAreRefusedByTheLengthLimitAndNotesStartOnTheirFrame) {
    // Ten seconds of silence at 120 BPM before the note: refused under a limit of five.
    const Bytes late =
        song({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0xCB, 0x00, 0x90, 60, 100, 0x81, 0x70, 0x80, 60, 0});
    EXPECT_EQ(renderSong(late, "--max-length 5").exitCode, kExitMidi);
    EXPECT_FALSE(fs::exists(output()));
    // Under a limit of twenty it sounds from frame 480000 at 48 kHz, whatever the block size.
    const Wav wav = played(late, "--max-length 20 --tail 0 -r 48000 -b 100");
    EXPECT_NEAR(wav.seconds(), 10.25, 0.001);
    const auto onset =
        std::find_if(wav.samples.begin(), wav.samples.end(), [](float s) { return s != 0.0f; });
    EXPECT_EQ((onset - wav.samples.begin()) / 2, 480000);
}

TEST_F(KorvantaRenderTool, UnwritableOutputFailsAndLeavesNoFile) {
    const fs::path midi = write("song.mid", kSong);
    for (const fs::path& target : {folder / "no" / "such" / "folder" / "out.wav", folder}) {
        const ToolRun run = render("'" + midi.string() + "' -o '" + target.string() + "' -q");
        EXPECT_EQ(run.exitCode, kExitOutput) << target << ": " << run.errors;
        EXPECT_NE(run.errors.find(target.string()), std::string::npos) << run.errors;
    }
    EXPECT_FALSE(fs::exists(folder / "no"));
    EXPECT_TRUE(onlyOwnFilesLeft());

    // A song that fails leaves an earlier result where it was.
    write("out.wav", {'o', 'l', 'd'});
    EXPECT_EQ(renderSong(Bytes(kSong.begin(), kSong.end() - 6)).exitCode, kExitMidi);
    EXPECT_EQ(fs::file_size(output()), 3u);
    EXPECT_TRUE(onlyOwnFilesLeft());
    const ToolRun missing =
        render("'" + (folder / "absent.mid").string() + "' -o '" + output().string() + "'");
    EXPECT_EQ(missing.exitCode, kExitMidi);
    EXPECT_NE(missing.errors.find("absent.mid"), std::string::npos) << missing.errors;
}

TEST_F(KorvantaRenderTool, BadOptionsExitWithTheUsageCode) {
    const std::string midi = "'" + write("song.mid", kSong).string() + "' ";
    std::vector<std::string> cases = {"", midi + midi}; // no song, two songs
    for (const char* option : {"--bogus", "--sample-rate 100", "--program 64", "--param 'No Such Knob=0.5'"})
        cases.push_back(midi + option);
    for (const std::string& args : cases) {
        const ToolRun run = render(args + " -o '" + output().string() + "'");
        EXPECT_EQ(run.exitCode, kExitUsage) << args << ": " << run.errors;
        EXPECT_NE(run.errors.find("korvanta-render: "), std::string::npos) << args;
        EXPECT_FALSE(fs::exists(output())) << args;
    }
}

TEST_F(KorvantaRenderTool, ProgramAndBankFilesCarryTheSoundAcross) {
    const std::string fxp = "'" + (folder / "edited.fxp").string() + "'";
    const std::string fxb = "'" + (folder / "bank.fxb").string() + "'";
    const Wav edited = played(kSong, "--tail 0 --program 5 --param 'Filter Cutoff=0.3' --save-fxp " + fxp +
                                         " --save-fxb " + fxb);
    EXPECT_NE(played(kSong, "--tail 0 --program 5").samples, edited.samples);
    EXPECT_EQ(played(kSong, "--tail 0 --program 5 --param 78=0.3").samples, edited.samples);
    EXPECT_EQ(played(kSong, "--tail 0 --fxp " + fxp).samples, edited.samples);
    EXPECT_EQ(played(kSong, "--tail 0 --program 5 --fxb " + fxb).samples, edited.samples);

    const ToolRun wrongFile = renderSong(kSong, "--fxb '" + (folder / "song.mid").string() + "'");
    EXPECT_EQ(wrongFile.exitCode, kExitRefusedFile);
    EXPECT_NE(wrongFile.errors.find("--fxb"), std::string::npos) << wrongFile.errors;
    EXPECT_EQ(render("--list-programs --fxb " + fxb).exitCode, 0);
}
