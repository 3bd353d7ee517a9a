#include "tests/plugin/IPlugTestPlugs.h"

#include <array>
#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre, testing::FloatEq, testing::Pointwise;

namespace {

using Log = std::vector<std::string>;

void initialiseParams(TestPlug& plug) {
    plug.GetParam(0)->InitDouble("Cutoff", 25.0, 0.0, 100.0, 0.01, "Hz", "", 2.0);
    plug.GetParam(1)->InitInt("Voices", 5, 0, 10);
    plug.GetParam(2)->InitBool("Sync", false);
    plug.GetParam(3)->InitEnum("Mode", 1, 3);
    plug.EnsureDefaultPreset();
    plug.log.clear();
}

double value(TestPlug& plug, int idx) {
    return plug.GetParam(idx)->Value();
}

void connectAll(TestPlug& plug, int blockSize) {
    plug.SetInputChannelConnections(0, plug.NInChannels(), true);
    plug.SetOutputChannelConnections(0, plug.NOutChannels(), true);
    plug.SetBlockSize(blockSize);
}

} // namespace

TEST(IPlugBase, ConnectionsAreClippedToTheChannels) {
    TestPlug plug("2-2");
    plug.SetInputChannelConnections(0, 100, true);
    plug.SetOutputChannelConnections(-3, 4, true); // covers only index 0
    for (int c = -1; c <= 2; ++c) {
        EXPECT_EQ(plug.IsInChannelConnected(c), c == 0 || c == 1) << c;
        EXPECT_EQ(plug.IsOutChannelConnected(c), c == 0) << c;
    }
}

TEST(IPlugBase, FloatProcessingReplacesOrAccumulates) {
    TestPlug plug("0-2");
    connectAll(plug, 4);
    plug.renderRamp = true;
    float left[5] = {1, 1, 1, 1, 9}, right[5] = {1, 1, 1, 1, 9};
    float* outputs[] = {left, right};
    plug.AttachOutputBuffers(0, 2, outputs);
    plug.ProcessBuffersAccumulating(0.0f, 4);
    EXPECT_THAT(left, Pointwise(FloatEq(), std::vector{1.25f, 1.251f, 1.252f, 1.253f, 9.0f}));
    EXPECT_FLOAT_EQ(right[1], 1.501f);

    plug.AttachOutputBuffers(0, 2, outputs);
    plug.ProcessBuffers(0.0f, 4);
    EXPECT_THAT(right, Pointwise(FloatEq(), std::vector{0.5f, 0.501f, 0.502f, 0.503f, 9.0f}));
    EXPECT_FLOAT_EQ(left[0], 0.25f);

    // An unconnected output renders into its scratch buffer and leaves the host's alone.
    plug.SetOutputChannelConnections(1, 1, false);
    std::fill_n(right, 4, 7.0f);
    plug.AttachOutputBuffers(0, 2, outputs);
    plug.ProcessBuffers(0.0f, 4);
    EXPECT_FLOAT_EQ(left[1], 0.251f);
    EXPECT_THAT(right, ElementsAre(7.0f, 7.0f, 7.0f, 7.0f, 9.0f));
    EXPECT_DOUBLE_EQ(plug.OutScratch(1)[1], 0.501);
}

TEST(IPlugBase, EditorChangeResetAndDirtyReachHostAndInstrumentInOrder) {
    TestPlug plug;
    initialiseParams(plug);
    plug.SetParameterFromGUI(1, 0.45);
    EXPECT_DOUBLE_EQ(value(plug, 1), 5.0);
    plug.SetParameterFromGUI(4, 0.5);
    EXPECT_EQ(plug.log, (Log{"inform 1 0.45", "change 1"}));
    plug.OnParamReset();
    plug.DirtyParameters();
    EXPECT_EQ(plug.log, (Log{"inform 1 0.45", "change 1", "change 0", "change 1", "change 2", "change 3",
                             "inform 0 0.5", "inform 1 0.5", "inform 2 0", "inform 3 0.5"}));
}

TEST(IPlugBase, MidiOutSendsEveryMessageAndReportsAnyRefusal) {
    TestPlug plug;
    std::vector<IMidiMsg> none, three(3);
    EXPECT_TRUE(plug.SendMidiMsgs(none));
    three[1].offset = 7;
    plug.failOnMessage = 2;
    EXPECT_FALSE(plug.SendMidiMsgs(three));
    ASSERT_EQ(plug.sent.size(), 3u);
    EXPECT_EQ(plug.sent[1].offset, 7);
}

TEST(IPlugBase, AttachedEditorIsSyncedAndOwned) {
    Log editorLog;
    bool deleted = false;
    {
        TestPlug plug("0-2", 2, 1);
        plug.GetParam(0)->InitDouble("A", 25.0, 0.0, 100.0, 1.0, "", "", 2.0);
        plug.GetParam(1)->InitInt("B", 3, 0, 10);
        plug.AttachGraphics(new RecordingEditor(&editorLog, &deleted));
        EXPECT_EQ(editorLog, (Log{"editor 0 0.5 norm", "editor 1 0.3 norm", "prepdraw"}));
        editorLog.clear();
        plug.RedrawParamControls();
        EXPECT_EQ(editorLog, (Log{"editor 0 25 plain", "editor 1 3 plain"}));
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
    EXPECT_DOUBLE_EQ(value(other, 0), 75.0);
    EXPECT_DOUBLE_EQ(value(other, 1), 9.0);
    EXPECT_EQ(other.log, (Log{"change 0", "change 1", "change 2", "change 3"}));

    // A cut state sets the value it cuts to zero, leaves the ones beyond, and fails.
    chunk.Resize(8 + 4);
    other.GetParam(0)->Set(10.0);
    EXPECT_EQ(other.UnserializeParams(&chunk, 0), -1);
    EXPECT_EQ((std::array{value(other, 0), value(other, 1), value(other, 3)}), (std::array{75.0, 0.0, 1.0}));
}

TEST(IPlugBase, PresetsRestoreByIndexOrExactName) {
    TestPlug plug;
    initialiseParams(plug);
    plug.GetParam(0)->Set(80.0);
    EXPECT_TRUE(plug.RestorePreset(2));
    EXPECT_DOUBLE_EQ(value(plug, 0), 25.0);
    for (int outside : {3, -1}) EXPECT_FALSE(plug.RestorePreset(outside));
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 2);

    plug.RestorePreset(1);
    plug.ModifyCurrentPreset("Bass");
    plug.RestorePreset(0);
    for (const char* name : {"bass", "", static_cast<const char*>(nullptr)})
        EXPECT_FALSE(plug.RestorePreset(name));
    EXPECT_TRUE(plug.RestorePreset("Bass"));
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);

    // Storing without a name keeps the old one.
    plug.GetParam(0)->Set(40.0);
    plug.ModifyCurrentPreset();
    plug.ModifyCurrentPreset("");
    EXPECT_STREQ(plug.GetPresetName(1), "Bass");
    plug.GetParam(0)->Set(10.0);
    plug.RestorePreset(1);
    EXPECT_DOUBLE_EQ(value(plug, 0), 40.0);
}

TEST(IPlugBase, BankAndSinglePresetRecordsRoundTripNamesAndStates) {
    TestPlug source;
    initialiseParams(source);
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
    EXPECT_EQ(std::string(target.GetPresetName(1)) + "|" + target.GetPresetName(2), "Pad|Empty");
    target.RestorePreset(1);
    EXPECT_DOUBLE_EQ(value(target, 0), 90.0);

    ByteChunk record;
    ASSERT_TRUE(source.SerializePreset(1, &record));
    EXPECT_FALSE(source.SerializePreset(3, &record));
    EXPECT_EQ(target.UnserializePreset(2, nullptr, 0), -1);
    EXPECT_EQ(target.UnserializePreset(2, &record, 0), record.Size());
    EXPECT_STREQ(target.GetPresetName(2), "Pad");
    EXPECT_EQ(target.GetCurrentPresetIdx(), 2);
    EXPECT_DOUBLE_EQ(value(target, 0), 90.0);
}

TEST(IPlugBase, BankRecordWithEmptyNameRepeatsThePreviousNameAndACutBankAppliesNothing) {
    TestPlug plug("0-2", 1, 2);
    plug.GetParam(0)->Set(0.75);
    plug.EnsureDefaultPreset();
    ByteChunk bank;
    bank.PutStr("Lead");
    bank.Put(true);
    bank.Put(0.5);
    bank.Put(int32_t{9}); // a name length with nothing behind it
    EXPECT_EQ(plug.UnserializePresets(&bank, 0), -1);
    EXPECT_STREQ(plug.GetPresetName(0), "Empty");
    plug.RestorePreset(1);
    EXPECT_DOUBLE_EQ(value(plug, 0), 0.75);

    bank.Resize(bank.Size() - 4);
    bank.PutStr("");
    bank.Put(true);
    bank.Put(0.25);
    EXPECT_EQ(plug.UnserializePresets(&bank, 0), bank.Size());
    EXPECT_STREQ(plug.GetPresetName(1), "Lead");
}
