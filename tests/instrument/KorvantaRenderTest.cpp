#include "tests/support/KorvantaTestHost.h"
#include "tests/support/SignalAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

using testhost::firstNonZero;
using testhost::makeInstrument;
using testhost::render;
using testhost::sendMidi;
using testhost::setParam;
using testsupport::measurePitch;

namespace {

constexpr int kOscOn[] = {kOsc1OffOn, kOsc2OffOn, kOsc3OffOn};

// Noise only, so that a note is heard from its very first sample.
void noisePatch(Korvanta& plug) {
    for (const int idx : kOscOn) setParam(plug, idx, 0);
    setParam(plug, kLevelNoise, 1.0);
}

// A MIDI message at an absolute sample of the song.
struct TimedMsg {
    int frame;
    uint8_t status, data1, data2;
};

// Delivers each message with the block of its frame, offsets counting from the block's start, as a
// host does.
testhost::Stereo renderSong(Korvanta& plug, const std::vector<TimedMsg>& song, int nFrames, int blockSize) {
    testhost::Stereo out{std::vector<double>(nFrames), std::vector<double>(nFrames)};
    for (int start = 0; start < nFrames; start += blockSize) {
        const int n = std::min(blockSize, nFrames - start);
        for (const TimedMsg& m : song) {
            if (m.frame >= start && m.frame < start + n)
                sendMidi(plug, m.frame - start, m.status, m.data1, m.data2);
        }
        double* outputs[2] = {out.left.data() + start, out.right.data() + start};
        plug.ProcessDoubleReplacing(nullptr, outputs, n);
    }
    return out;
}

} // namespace

TEST(KorvantaRenderLoop, SubBlocksOf44SamplesRunAcrossHostBlocks) {
    auto plug = makeInstrument(44100.0, 512);
    EXPECT_EQ(plug->getSubBlockLength(), 44);
    render(*plug, 512, 512);
    // 11 whole sub-blocks and 28 samples of the twelfth; its last 16 open the next block.
    EXPECT_EQ(plug->subBlockLeft, 16);
    render(*plug, 16, 16);
    EXPECT_EQ(plug->subBlockLeft, 0);
}

TEST(KorvantaRenderLoop, ANoteAtAnyFrameOfAnyBlockStartsAtThatFrame) {
    for (const int blockSize : {1, 100}) {
        for (const int frame : {0, 43, 44, 700}) {
            auto plug = makeInstrument(48000.0, blockSize);
            noisePatch(*plug);
            const auto out = renderSong(*plug, {{frame, 0x90, 60, 100}}, 1200, blockSize);
            EXPECT_EQ(std::pair(firstNonZero(out.left), firstNonZero(out.right)), std::pair(frame, frame))
                << "block " << blockSize;
        }
    }
}

TEST(KorvantaRenderLoop, OutputDoesNotDependOnTheHostBlockSize) {
    const std::vector<TimedMsg> song = {
        {3, 0x90, 48, 100},   {50, 0xB0, 1, 127}, {97, 0x90, 55, 90},    {130, 0xE0, 0, 90},
        {301, 0xB0, 64, 127}, {302, 0x80, 48, 0}, {333, 0xD0, 80, 0},    {410, 0x90, 60, 70},
        {555, 0xB0, 64, 0},   {700, 0x90, 55, 0}, {1001, 0x90, 67, 110}, {1500, 0x80, 67, 0},
    };
    const auto renderWith = [&](int blockSize) {
        auto plug = makeInstrument(44100.0, blockSize);
        setParam(*plug, kNumberOfVoices, 3); // 8 voices
        setParam(*plug, kLevelNoise, 0.3);
        setParam(*plug, kChorus, 1);
        return renderSong(*plug, song, 4410, blockSize);
    };
    const auto reference = renderWith(4096);
    ASSERT_GT(firstNonZero(reference.left), 0);
    for (const int blockSize : {1, 17, 64, 512}) {
        const auto out = renderWith(blockSize);
        EXPECT_TRUE(out.left == reference.left && out.right == reference.right) << blockSize;
    }
}

TEST(KorvantaRenderLoop, LateControllersWaitForTheNearestSubBlockButThePedalDoesNot) {
    auto plug = makeInstrument(44100.0, 512);
    sendMidi(*plug, 50, 0xE0, 0, 0x7F); // offset 50 > 44: delayed by 22
    sendMidi(*plug, 30, 0xE0, 0, 0);    // offset 30: unchanged
    EXPECT_EQ(plug->midiQueue.Peek()->offset, 30);
    plug->midiQueue.Remove();
    EXPECT_EQ(plug->midiQueue.Peek()->offset, 72);
    plug->midiQueue.Clear();

    sendMidi(*plug, 0, 0xD0, 127, 0);
    sendMidi(*plug, 0, 0xB0, 1, 127);
    sendMidi(*plug, 50, 0xE0, 0, 0x7F);
    sendMidi(*plug, 50, 0xB0, 64, 1);
    render(*plug, 44, 44); // the first sub-block leaves the wheel alone
    EXPECT_EQ(std::tuple(plug->pitchBend, plug->channelAfterTouch, plug->modWheel),
              std::tuple(0.0, 1.0, 1.0));
    render(*plug, 1, 1); // the wheel moves at the start of the second sub-block (sample 44)
    EXPECT_DOUBLE_EQ(plug->pitchBend, -1.0 + 127 * 128.0 / 8192.0);
    EXPECT_FALSE(plug->sustain);
    render(*plug, 6, 6); // the pedal lands on sample 50 exactly
    EXPECT_TRUE(plug->sustain);
}

TEST(KorvantaRenderLoop, VelocityZeroReleasesAndControllersAboveTheLearnableRangeActAtOnce) {
    auto plug = makeInstrument(44100.0, 512);
    noisePatch(*plug);
    sendMidi(*plug, 0, 0x90, 60, 100);
    sendMidi(*plug, 10, 0x93, 60, 0);
    render(*plug, 20, 20);
    EXPECT_FALSE(plug->getVoice(0).isGateOn());
    EXPECT_EQ(plug->getNumPressedKeys(), 0);

    plug->setNoteOn(60, 100);
    sendMidi(*plug, 0, 0xB0, 121, 0); // no effect
    EXPECT_TRUE(plug->getVoice(0).isGateOn());
    sendMidi(*plug, 0, 0xB0, 120, 0); // releases, does not cut
    EXPECT_FALSE(plug->getVoice(0).isGateOn());
    EXPECT_TRUE(plug->getVoice(0).isActive());
    plug->setNoteOn(60, 100);
    sendMidi(*plug, 0, 0xB0, 123, 0);
    EXPECT_FALSE(plug->getVoice(0).isGateOn());
    EXPECT_EQ(plug->midiQueue.ToBeProcessed(), 0);
}

TEST(KorvantaRenderLoop, NotesBeyondWhatASubBlockHoldsWaitForTheNextOne) {
    auto plug = makeInstrument(44100.0, 512);
    // Two blocks of 10 samples inside one sub-block of 44, each with a full inbox of notes for sample
    // 40 of the sub-block: its list of note events is full.
    for (const int offset : {40, 30}) {
        for (int n = 0; n < 512; ++n) sendMidi(*plug, offset, 0x80, 30, 0);
        render(*plug, 10, 10);
    }
    sendMidi(*plug, 0, 0x90, 69, 100);
    render(*plug, 100, 100);
    EXPECT_EQ(plug->getNumPressedKeys(), 1);
    EXPECT_EQ(plug->getVoice(0).getNote(), 69);
}

TEST(KorvantaRenderLoop, ProgramChangesFollowTheMidiSwitches) {
    auto plug = makeInstrument(44100.0, 512);
    setParam(*plug, 0, 0.25);
    plug->ModifyCurrentPreset("quiet");
    plug->RestorePreset(1);
    setParam(*plug, 0, 0.75);
    ASSERT_EQ(plug->GetCurrentPresetIdx(), 1);

    plug->ignoreProgramChange = true;
    sendMidi(*plug, 0, 0xC0, 0, 0);
    EXPECT_EQ(plug->GetCurrentPresetIdx(), 1);
    EXPECT_TRUE(testhost::host().sentMidi.empty());

    plug->midiThru = true;
    sendMidi(*plug, 0, 0xC0, 0, 0);
    EXPECT_EQ(plug->GetCurrentPresetIdx(), 1);
    ASSERT_EQ(testhost::host().sentMidi.size(), 1u);

    plug->ignoreProgramChange = false;
    sendMidi(*plug, 5, 0xC2, 0, 0);
    ASSERT_EQ(testhost::host().sentMidi.size(), 2u);
    EXPECT_EQ(std::pair(int{testhost::host().sentMidi[1].status}, testhost::host().sentMidi[1].offset),
              std::pair(0xC2, 5));
    EXPECT_EQ(std::tuple(plug->GetCurrentPresetIdx(), plug->GetParam(0)->Value(), plug->volume),
              std::tuple(0, 0.25, 0.25));
    // Program changes never wait in the inbox.
    EXPECT_EQ(plug->midiQueue.ToBeProcessed(), 0);
    // Thru echoes even what MIDI learning and the clock consume.
    plug->doMidiLearn(true);
    sendMidi(*plug, 0, 0xB0, 20, 64);
    sendMidi(*plug, 0, 0xF8, 0, 0);
    EXPECT_EQ(testhost::host().sentMidi.size(), 4u);
}

TEST(KorvantaRenderLoop, UnisonScalesTheOutputByTheVoiceCount) {
    const auto renderNote = [](bool unison) {
        auto plug = makeInstrument(44100.0, 512);
        setParam(*plug, kNumberOfVoices, 4); // 16 voices
        setParam(*plug, kUnisonMode, unison ? 1 : 0);
        setParam(*plug, 4, 0.0); // no detune and no spread: all sixteen play the same wave
        setParam(*plug, 5, 0.0);
        EXPECT_DOUBLE_EQ(plug->unisonGain, 0.25);
        sendMidi(*plug, 0, 0x90, 60, 100);
        return render(*plug, 256, 256);
    };
    const auto single = renderNote(false);
    const auto unison = renderNote(true);
    // Sixteen equal voices at a gain of 0.25 sound four times as loud as one.
    for (int i = 0; i < 256; ++i) EXPECT_NEAR(unison.left[i], 4.0 * single.left[i], 1e-12) << i;
    EXPECT_NE(firstNonZero(single.left), -1);
}

TEST(KorvantaRenderLoop, NoiseFollowsTheMultiplicativeSequenceFromSeedOne) {
    auto plug = makeInstrument();
    Korvanta::setNoiseSeed(1);
    EXPECT_DOUBLE_EQ(plug->getNoise(), 16807 * 4.6566129e-10);
    // The 32-bit wrap of 282475249 · 16807.
    for (const int32_t seed : {16807, 282475249, 1622647863}) {
        EXPECT_EQ(Korvanta::getNoiseSeed(), seed);
        plug->getNoise();
    }
}

TEST(KorvantaRenderLoop, TheHostTransportRestartsTheClock) {
    auto plug = makeInstrument(48000.0, 480);
    auto& time = testhost::host().timeInfo;
    testhost::host().reportTime = true;
    time.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid;
    time.tempo = 100.0;
    time.samplePos = 0.0;
    time.ppqPos = 0.0;
    render(*plug, 480, 480);
    EXPECT_TRUE(plug->transportRunning);
    EXPECT_DOUBLE_EQ(plug->getClock().getSamplesPerBeat(), 0.6 * 48000.0);
    time.flags = kVstPpqPosValid | kVstTempoValid;
    render(*plug, 480, 480);
    EXPECT_FALSE(plug->transportRunning);
}

// The default program at concert pitch (within about a cent), and an octave lower with the wheel fully down
// over a range of twelve semitones.
TEST(KorvantaRenderLoop, TheDefaultProgramPlaysConcertPitchAndFollowsTheBendRange) {
    struct Case {
        double rate;
        bool bent;
        double hz;
    };
    for (const Case& c : {Case{44100.0, false, 440.0}, Case{48000.0, true, 220.0}}) {
        auto plug = makeInstrument(c.rate, 512);
        if (c.bent) {
            setParam(*plug, kPitchBend, 12);
            sendMidi(*plug, 0, 0xE0, 0, 0);
        }
        sendMidi(*plug, 0, 0x90, 69, 100);
        const auto out = render(*plug, static_cast<int>(c.rate), 512);
        const std::vector<double> tail(out.left.begin() + static_cast<int>(c.rate) / 4, out.left.end());
        EXPECT_NEAR(measurePitch(tail, c.rate), c.hz, 0.26) << c.rate;
        EXPECT_EQ(out.left, out.right) << c.rate; // one voice in the centre
    }
}
