#include "tests/plugin/IPlugTestPlugs.h"

#include <array>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

namespace {

void initialiseParams(TestPlug& plug) {
    plug.GetParam(0)->InitDouble("Cutoff", 25.0, 0.0, 100.0, 0.01, "Hz", "", 2.0);
    plug.GetParam(1)->InitInt("Voices", 5, 0, 10);
    plug.GetParam(2)->InitBool("Sync", false);
    plug.GetParam(3)->InitEnum("Mode", 1, 3);
    plug.log.clear();
}

} // namespace

TEST(IPlugBase, OverlongNamesAreCutAndIndicesOutsideTheListsFindNothing) {
    const std::string longName(300, 'n');
    TestPlug plug("0-2", 1, 1, longName.c_str());
    EXPECT_EQ(std::string(plug.GetEffectName()), longName.substr(0, IPlugBase::kNameSize - 1));
    EXPECT_EQ(plug.GetParam(-1), nullptr);
    EXPECT_EQ(plug.GetParam(1), nullptr);
    EXPECT_STREQ(plug.GetPresetName(1), "");
    EXPECT_STREQ(plug.GetPresetName(-1), "");
}

TEST(IPlugBase, ChannelTextGivesPairsAndChannelCounts) {
    TestPlug stereoOut("0-2");
    EXPECT_EQ(stereoOut.NInChannels(), 0);
    EXPECT_EQ(stereoOut.NOutChannels(), 2);
    EXPECT_FALSE(stereoOut.LegalIO(1, -1));
    EXPECT_TRUE(stereoOut.LegalIO(0, 2));
    EXPECT_TRUE(stereoOut.LegalIO(-1, 2));
    EXPECT_TRUE(stereoOut.LegalIO(-1, -1));
    EXPECT_FALSE(stereoOut.LegalIO(0, 1));

    TestPlug twoPairs("1-1 2-2");
    EXPECT_EQ(twoPairs.NInChannels(), 2);
    EXPECT_EQ(twoPairs.NOutChannels(), 2);
    EXPECT_TRUE(twoPairs.LegalIO(1, 1));
    EXPECT_TRUE(twoPairs.LegalIO(2, 2));
    EXPECT_TRUE(twoPairs.LegalIO(1, -1));
    EXPECT_FALSE(twoPairs.LegalIO(1, 2));

    TestPlug empty("");
    EXPECT_EQ(empty.NInChannels(), 0);
    EXPECT_EQ(empty.NOutChannels(), 0);
    EXPECT_TRUE(empty.LegalIO(0, 0));
}

TEST(IPlugBase, ConnectionIndicesAreClippedToTheChannelCount) {
    TestPlug plug("2-2");
    plug.SetInputChannelConnections(0, 100, true);
    plug.SetOutputChannelConnections(-3, 4, true);
    EXPECT_TRUE(plug.IsInChannelConnected(0));
    EXPECT_TRUE(plug.IsInChannelConnected(1));
    EXPECT_FALSE(plug.IsInChannelConnected(2));
    EXPECT_FALSE(plug.IsInChannelConnected(-1));
    EXPECT_TRUE(plug.IsOutChannelConnected(0));
    EXPECT_FALSE(plug.IsOutChannelConnected(1)); // -3 + 4 covers only index 0
    EXPECT_FALSE(plug.IsOutChannelConnected(2));
}

TEST(IPlugBase, LimitToStereoDisconnectsInputsAndConnectsOutputsFromTheThird) {
    TestPlug plug("4-4");
    plug.SetInputChannelConnections(0, 4, true);
    plug.LimitToStereoIO();
    const std::array<bool, 4> inputs{true, true, false, false};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(plug.IsInChannelConnected(c), inputs[c]) << c;
    const std::array<bool, 4> outputs{false, false, true, true};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(plug.IsOutChannelConnected(c), outputs[c]) << c;
}

TEST(IPlugBase, VersionsSplitFormatAndConvert) {
    int major = 0, minor = 0, patch = 0;
    IPlugBase::GetVersionParts(0x00010105, &major, &minor, &patch);
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 1);
    EXPECT_EQ(patch, 5);
    using Case = std::tuple<int, int, const char*>;
    for (const auto& [packed, decimal, expected] :
         {Case{0x00010105, 10105, "v1.1.5"}, Case{0x00003B28, 5940, "v0.59.40"},
          Case{0x000C0A01, 121001, "v12.10.1"}, Case{0, 0, "v0.0.0"}}) {
        EXPECT_EQ(IPlugBase::GetDecimalVersion(packed), decimal);
        char text[IPlugBase::kVersionStrSize];
        IPlugBase::GetVersionStr(packed, text);
        EXPECT_STREQ(text, expected);
    }
    TestPlug plug;
    EXPECT_EQ(plug.GetEffectVersion(false), 0x00010105);
    EXPECT_EQ(plug.GetEffectVersion(true), 10105);
    char text[IPlugBase::kVersionStrSize];
    plug.GetEffectVersionStr(text);
    EXPECT_STREQ(text, "v1.1.5");
}

TEST(IPlugBase, HostIdentityComesFromTheProductString) {
    TestPlug plug;
    plug.SetHost("REAPER", 0x00003B28);
    EXPECT_EQ(plug.GetHost(), kHostReaper);
    EXPECT_EQ(plug.GetHostVersion(false), 0x00003B28);
    EXPECT_EQ(plug.GetHostVersion(true), 5940);
    char text[IPlugBase::kVersionStrSize];
    plug.GetHostVersionStr(text);
    EXPECT_STREQ(text, "v0.59.40");
}

TEST(IPlugBase, BlockSizeChangeResizesAndClearsScratchOnlyWhenItDiffers) {
    TestPlug plug("2-2");
    plug.SetInputChannelConnections(0, 2, true);
    plug.SetOutputChannelConnections(0, 2, true);
    plug.SetBlockSize(8);
    float inL[8], inR[8];
    std::fill_n(inL, 8, 0.5f);
    std::fill_n(inR, 8, -0.5f);
    float* inputs[] = {inL, inR};
    plug.AttachInputBuffers(0, 2, inputs, 8);
    EXPECT_DOUBLE_EQ(plug.InScratch(0)[7], 0.5);

    plug.SetBlockSize(8);
    EXPECT_DOUBLE_EQ(plug.InScratch(0)[7], 0.5);

    plug.SetBlockSize(16);
    EXPECT_EQ(plug.GetBlockSize(), 16);
    for (int c = 0; c < 2; ++c) {
        ASSERT_EQ(plug.InScratch(c).size(), 16u);
        ASSERT_EQ(plug.OutScratch(c).size(), 16u);
        for (double v : plug.InScratch(c)) EXPECT_EQ(v, 0.0);
    }
}

TEST(IPlugBase, FloatProcessingReplacesOrAccumulates) {
    TestPlug plug("0-2");
    plug.SetOutputChannelConnections(0, 2, true);
    plug.SetBlockSize(4);
    plug.renderRamp = true;
    float left[5] = {1, 1, 1, 1, 9}, right[5] = {1, 1, 1, 1, 9};
    float* outputs[] = {left, right};

    plug.AttachOutputBuffers(0, 2, outputs);
    plug.ProcessBuffersAccumulating(0.0f, 4);
    EXPECT_FLOAT_EQ(left[0], 1.25f);
    EXPECT_FLOAT_EQ(left[3], 1.253f);
    EXPECT_FLOAT_EQ(right[1], 1.501f);
    EXPECT_EQ(left[4], 9.0f);

    plug.AttachOutputBuffers(0, 2, outputs);
    plug.ProcessBuffers(0.0f, 4);
    EXPECT_FLOAT_EQ(left[0], 0.25f);
    EXPECT_FLOAT_EQ(right[3], 0.503f);
    EXPECT_EQ(right[4], 9.0f);
}

TEST(IPlugBase, DoubleProcessingWritesStraightIntoHostBuffers) {
    TestPlug plug("0-2");
    plug.SetOutputChannelConnections(0, 2, true);
    plug.SetBlockSize(4);
    plug.renderRamp = true;
    double left[4] = {}, right[4] = {};
    double* outputs[] = {left, right};
    plug.AttachOutputBuffers(0, 2, outputs);
    plug.ProcessBuffers(0.0, 4);
    EXPECT_DOUBLE_EQ(left[2], 0.252);
    EXPECT_DOUBLE_EQ(right[0], 0.5);
}

TEST(IPlugBase, UnconnectedOutputRendersIntoScratchAndLeavesTheHostBuffer) {
    TestPlug plug("0-2");
    plug.SetOutputChannelConnections(0, 1, true);
    plug.SetBlockSize(4);
    plug.renderRamp = true;
    float left[4] = {}, right[4] = {7, 7, 7, 7};
    float* outputs[] = {left, right};
    plug.AttachOutputBuffers(0, 2, outputs);
    plug.ProcessBuffers(0.0f, 4);
    EXPECT_FLOAT_EQ(left[1], 0.251f);
    for (float v : right) EXPECT_EQ(v, 7.0f);
    EXPECT_DOUBLE_EQ(plug.OutScratch(1)[1], 0.501);
}

TEST(IPlugBase, PassThroughCopiesInputsAndSilencesTheRest) {
    TestPlug plug("1-2");
    plug.SetInputChannelConnections(0, 1, true);
    plug.SetOutputChannelConnections(0, 2, true);
    plug.SetBlockSize(3);
    float in[3] = {0.1f, 0.2f, 0.3f};
    float outL[3] = {5, 5, 5}, outR[3] = {5, 5, 5};
    float* inputs[] = {in};
    float* outputs[] = {outL, outR};
    plug.AttachInputBuffers(0, 1, inputs, 3);
    plug.AttachOutputBuffers(0, 2, outputs);
    plug.ProcessBuffers(0.0f, 3);
    EXPECT_FLOAT_EQ(outL[2], 0.3f);
    for (float v : outR) EXPECT_EQ(v, 0.0f);
}

TEST(IPlugBase, UnconnectedInputReadsSilence) {
    TestPlug plug("2-2");
    plug.SetInputChannelConnections(0, 2, true);
    plug.SetBlockSize(4);
    float a[4] = {1, 1, 1, 1}, b[4] = {1, 1, 1, 1};
    float* inputs[] = {a, b};
    plug.AttachInputBuffers(0, 2, inputs, 4);
    plug.SetInputChannelConnections(1, 1, false);
    ASSERT_EQ(plug.InSlot(1), plug.InScratch(1).data());
    for (double v : plug.InScratch(1)) EXPECT_EQ(v, 0.0);
}

TEST(IPlugBase, MoreFramesThanTheBlockSizeStayInsideTheScratchBuffers) {
    TestPlug plug("2-2");
    plug.SetInputChannelConnections(0, 2, true);
    plug.SetOutputChannelConnections(0, 2, true);
    plug.SetBlockSize(4);
    std::vector<float> a(64, 0.5f), b(64, 0.5f), l(64), r(64);
    float* inputs[] = {a.data(), b.data()};
    float* outputs[] = {l.data(), r.data()};
    plug.AttachInputBuffers(0, 2, inputs, 64);
    plug.AttachOutputBuffers(0, 2, outputs);
    plug.ProcessBuffers(0.0f, 64);
    EXPECT_FLOAT_EQ(l[63], 0.5f);
    EXPECT_EQ(plug.GetBlockSize(), 4);
}

TEST(IPlugBase, EditorChangeInformsHostThenInstrument) {
    TestPlug plug;
    initialiseParams(plug);
    plug.SetParameterFromGUI(1, 0.45);
    EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 5.0);
    EXPECT_EQ(plug.log, (std::vector<std::string>{"inform 1 0.45", "change 1"}));
    plug.log.clear();
    plug.SetParameterFromGUI(4, 0.5);
    EXPECT_TRUE(plug.log.empty());
}

TEST(IPlugBase, ResetAndDirtyWalkParametersInOrder) {
    TestPlug plug;
    initialiseParams(plug);
    plug.OnParamReset();
    EXPECT_EQ(plug.log, (std::vector<std::string>{"change 0", "change 1", "change 2", "change 3"}));
    plug.log.clear();
    plug.DirtyParameters();
    EXPECT_EQ(plug.log,
              (std::vector<std::string>{"inform 0 0.5", "inform 1 0.5", "inform 2 0", "inform 3 0.5"}));
}

TEST(IPlugBase, SendMidiMsgsSendsEveryMessageAndReportsAnyRefusal) {
    TestPlug plug;
    std::vector<IMidiMsg> none;
    EXPECT_TRUE(plug.SendMidiMsgs(none));
    std::vector<IMidiMsg> three(3);
    three[1].offset = 7;
    EXPECT_TRUE(plug.SendMidiMsgs(three));
    plug.sent.clear();
    plug.failOnMessage = 2;
    EXPECT_FALSE(plug.SendMidiMsgs(three));
    ASSERT_EQ(plug.sent.size(), 3u);
    EXPECT_EQ(plug.sent[1].offset, 7);
}

TEST(IPlugBase, DefaultMidiInputIsEchoedAndNoteNamesAreEmpty) {
    TestPlug plug;
    IMidiMsg msg(3, 0x90, 60, 100);
    plug.ProcessMidiMsg(&msg);
    ASSERT_EQ(plug.sent.size(), 1u);
    EXPECT_EQ(plug.sent[0].data1, 60);
    char name[8] = "xxxxxxx";
    EXPECT_FALSE(plug.MidiNoteName(60, name));
    EXPECT_STREQ(name, "");
}

TEST(IPlugBase, AttachedEditorIsSyncedAndOwned) {
    std::vector<std::string> editorLog;
    bool deleted = false;
    {
        TestPlug plug("0-2", 2, 1);
        plug.GetParam(0)->InitDouble("A", 25.0, 0.0, 100.0, 1.0, "", "", 2.0);
        plug.GetParam(1)->InitInt("B", 3, 0, 10);
        plug.AttachGraphics(nullptr);
        EXPECT_EQ(plug.GetGraphics(), nullptr);
        auto* editor = new RecordingEditor(&editorLog, &deleted);
        plug.AttachGraphics(editor);
        EXPECT_EQ(plug.GetGraphics(), editor);
        EXPECT_EQ(editorLog,
                  (std::vector<std::string>{"editor 0 0.5 norm", "editor 1 0.3 norm", "prepdraw"}));
        editorLog.clear();
        plug.RedrawParamControls();
        EXPECT_EQ(editorLog, (std::vector<std::string>{"editor 0 25 plain", "editor 1 3 plain"}));
        EXPECT_FALSE(deleted);
    }
    EXPECT_TRUE(deleted);
}

TEST(IPlugBase, ParamStateRoundTripsAsPlainDoubles) {
    TestPlug plug;
    initialiseParams(plug);
    plug.GetParam(0)->Set(75.0);
    plug.GetParam(1)->Set(9.0);
    ByteChunk chunk;
    ASSERT_TRUE(plug.SerializeParams(&chunk));
    ASSERT_EQ(chunk.Size(), 4 * 8);
    double first = 0.0;
    chunk.Get(&first, 0);
    EXPECT_DOUBLE_EQ(first, 75.0);

    TestPlug other;
    initialiseParams(other);
    EXPECT_EQ(other.UnserializeParams(&chunk, 0), 32);
    EXPECT_DOUBLE_EQ(other.GetParam(0)->Value(), 75.0);
    EXPECT_DOUBLE_EQ(other.GetParam(1)->Value(), 9.0);
    EXPECT_EQ(other.log, (std::vector<std::string>{"change 0", "change 1", "change 2", "change 3"}));
}

TEST(IPlugBase, TruncatedParamStateSetsTheMissingValueToZeroAndFails) {
    TestPlug plug;
    initialiseParams(plug);
    ByteChunk chunk;
    chunk.Put(60.0);
    chunk.Put(int32_t{7}); // half a double
    EXPECT_EQ(plug.UnserializeParams(&chunk, 0), -1);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 60.0);
    EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 0.0);
    EXPECT_DOUBLE_EQ(plug.GetParam(3)->Value(), 1.0); // not reached: keeps its value
}

TEST(IPlugBase, NonFiniteStoredValuesBecomeBounds) {
    TestPlug plug;
    initialiseParams(plug);
    ByteChunk chunk;
    chunk.Put(std::numeric_limits<double>::quiet_NaN());
    chunk.Put(std::numeric_limits<double>::infinity());
    chunk.Put(-std::numeric_limits<double>::infinity());
    chunk.Put(1e300);
    EXPECT_EQ(plug.UnserializeParams(&chunk, 0), 32);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.0);
    EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 10.0);
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 0.0);
    EXPECT_DOUBLE_EQ(plug.GetParam(3)->Value(), 2.0);
}

TEST(IPlugBase, CompareStateMatchesWithinFloatPrecision) {
    TestPlug plug;
    initialiseParams(plug);
    ByteChunk chunk;
    plug.SerializeParams(&chunk);
    EXPECT_TRUE(plug.CompareState(chunk.GetData(), 0));
    plug.GetParam(0)->Set(25.001);
    EXPECT_FALSE(plug.CompareState(chunk.GetData(), 0));
}

TEST(IPlugBase, DefaultPresetsTakeTheCurrentStateUnderTheNameEmpty) {
    TestPlug plug;
    initialiseParams(plug);
    plug.EnsureDefaultPreset();
    for (int i = 0; i < plug.NPresets(); ++i) EXPECT_STREQ(plug.GetPresetName(i), "Empty");
    plug.GetParam(0)->Set(80.0);
    EXPECT_TRUE(plug.RestorePreset(2));
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 25.0);
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 2);
    EXPECT_FALSE(plug.RestorePreset(3));
    EXPECT_FALSE(plug.RestorePreset(-1));
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 2);
}

TEST(IPlugBase, RestoringAnUninitialisedPresetNamesItAUserPreset) {
    TestPlug plug;
    initialiseParams(plug);
    ASSERT_TRUE(plug.RestorePreset(1));
    EXPECT_STREQ(plug.GetPresetName(1), "user preset 1");
    ASSERT_TRUE(plug.RestorePreset(2));
    EXPECT_STREQ(plug.GetPresetName(2), "user preset 2");
    EXPECT_EQ(plug.log.back(), "presets changed");
}

TEST(IPlugBase, PresetsAreFoundByExactName) {
    TestPlug plug;
    initialiseParams(plug);
    plug.EnsureDefaultPreset();
    plug.RestorePreset(1);
    plug.ModifyCurrentPreset("Bass");
    plug.RestorePreset(0);
    EXPECT_FALSE(plug.RestorePreset("bass"));
    EXPECT_FALSE(plug.RestorePreset(""));
    EXPECT_FALSE(plug.RestorePreset(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(plug.RestorePreset("Bass"));
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
}

TEST(IPlugBase, ModifyCurrentPresetStoresStateAndKeepsNameWithoutOne) {
    TestPlug plug;
    initialiseParams(plug);
    plug.EnsureDefaultPreset();
    plug.GetParam(0)->Set(40.0);
    plug.ModifyCurrentPreset();
    EXPECT_STREQ(plug.GetPresetName(0), "Empty");
    plug.ModifyCurrentPreset("");
    EXPECT_STREQ(plug.GetPresetName(0), "Empty");
    const std::string longName(400, 'x');
    plug.ModifyCurrentPreset(longName.c_str());
    EXPECT_EQ(std::strlen(plug.GetPresetName(0)), static_cast<size_t>(IPreset::kNameSize - 1));
    plug.GetParam(0)->Set(10.0);
    plug.RestorePreset(0);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 40.0);
}

TEST(IPlugBase, BankRoundTripsNamesAndStates) {
    TestPlug source;
    initialiseParams(source);
    source.EnsureDefaultPreset();
    source.RestorePreset(1);
    source.GetParam(0)->Set(90.0);
    source.ModifyCurrentPreset("Pad");
    source.RestorePreset(0);
    ByteChunk bank;
    ASSERT_TRUE(source.SerializePresets(&bank));
    // Per program: name (4 + length), initialised (1), state (4 doubles).
    EXPECT_EQ(bank.Size(), (4 + 5 + 1 + 32) * 2 + (4 + 3 + 1 + 32));

    TestPlug target;
    initialiseParams(target);
    EXPECT_EQ(target.UnserializePresets(&bank, 0), bank.Size());
    EXPECT_STREQ(target.GetPresetName(1), "Pad");
    EXPECT_STREQ(target.GetPresetName(2), "Empty");
    target.RestorePreset(1);
    EXPECT_DOUBLE_EQ(target.GetParam(0)->Value(), 90.0);
}

TEST(IPlugBase, BankRecordWithEmptyNameRepeatsThePreviousName) {
    TestPlug plug("0-2", 1, 2);
    ByteChunk bank;
    bank.PutStr("Lead");
    bank.Put(true);
    bank.Put(0.5);
    bank.PutStr("");
    bank.Put(true);
    bank.Put(0.25);
    EXPECT_EQ(plug.UnserializePresets(&bank, 0), bank.Size());
    EXPECT_STREQ(plug.GetPresetName(1), "Lead");
}

TEST(IPlugBase, TruncatedBankAppliesNothingOfTheCutRecord) {
    TestPlug plug("0-2", 1, 2);
    plug.GetParam(0)->Set(0.75);
    plug.EnsureDefaultPreset();
    ByteChunk bank;
    bank.PutStr("Lead");
    bank.Put(true);
    bank.Put(0.5);
    bank.Put(int32_t{9}); // a name length with nothing behind it
    EXPECT_LT(plug.UnserializePresets(&bank, 0), 0);
    EXPECT_STREQ(plug.GetPresetName(1), "Empty");
    plug.RestorePreset(1);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.75);
}

TEST(IPlugBase, SinglePresetRecordRoundTrips) {
    TestPlug plug;
    initialiseParams(plug);
    plug.EnsureDefaultPreset();
    plug.GetParam(1)->Set(7.0);
    plug.ModifyCurrentPreset("Keys");
    ByteChunk record;
    ASSERT_TRUE(plug.SerializePreset(0, &record));
    EXPECT_FALSE(plug.SerializePreset(3, &record));
    TestPlug other;
    initialiseParams(other);
    other.EnsureDefaultPreset();
    EXPECT_EQ(other.UnserializePreset(2, nullptr, 0), -1);
    EXPECT_GT(other.UnserializePreset(2, &record, 0), 0);
    EXPECT_STREQ(other.GetPresetName(2), "Keys");
    EXPECT_EQ(other.GetCurrentPresetIdx(), 2);
    EXPECT_DOUBLE_EQ(other.GetParam(1)->Value(), 7.0);
}
