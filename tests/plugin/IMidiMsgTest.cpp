#include "plugin/IMidiMsg.h"
#include "plugin/ISysEx.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>

TEST(IMidiMsg, BuildersSetStatusAndData) {
    IMidiMsg msg;
    msg.MakeNoteOnMsg(60, 100, 17, 3);
    EXPECT_EQ(msg.status, 0x93);
    EXPECT_EQ(msg.NoteNumber(), 60);
    EXPECT_EQ(msg.Velocity(), 100);
    EXPECT_EQ(msg.offset, 17);
    EXPECT_EQ(msg.Channel(), 3);

    msg.MakeNoteOffMsg(61, 5, 15);
    EXPECT_EQ(msg.status, 0x8F);
    EXPECT_EQ(msg.Velocity(), 0);

    msg.MakeControlChangeMsg(7, 0.5, 1);
    EXPECT_EQ(msg.status, 0xB1);
    EXPECT_EQ(msg.data2, 63);
    EXPECT_DOUBLE_EQ(msg.ControlChange(7), 63.0 / 127.0);
    EXPECT_DOUBLE_EQ(msg.ControlChange(8), -1.0);

    msg.Clear();
    EXPECT_EQ(msg.offset, 0);
    EXPECT_EQ(msg.status, 0);
}

TEST(IMidiMsg, PitchWheelEncodingAndDecoding) {
    const struct {
        double value;
        int data1, data2;
    } cases[] = {{-1.0, 0, 0},      {0.0, 0, 0x40}, {1.0, 0x7F, 0x7F},
                 {2.0, 0x7F, 0x7F}, {-5.0, 0, 0},   {std::numeric_limits<double>::quiet_NaN(), 0, 0x40}};
    for (const auto& c : cases) {
        IMidiMsg msg;
        msg.MakePitchWheelMsg(c.value, 2);
        EXPECT_EQ(msg.status, 0xE2);
        EXPECT_EQ(msg.data1, c.data1) << c.value;
        EXPECT_EQ(msg.data2, c.data2) << c.value;
    }
    EXPECT_DOUBLE_EQ(IMidiMsg(0, 0xE0, 0, 0x40).PitchWheel(), 0.0);
    EXPECT_DOUBLE_EQ(IMidiMsg(0, 0xE0, 0x7F, 0x7F).PitchWheel(), 8191.0 / 8192.0);
    EXPECT_DOUBLE_EQ(IMidiMsg(0, 0xE0, 0, 0).PitchWheel(), -1.0);
    EXPECT_DOUBLE_EQ(IMidiMsg(0, 0xB0, 0x7F, 0x7F).PitchWheel(), 0.0);
}

TEST(IMidiMsg, QueriesAnswerMinusOneForOtherKinds) {
    const IMidiMsg cc(0, 0xB0, 1, 64);
    EXPECT_EQ(cc.Velocity(), -1);
    EXPECT_EQ(cc.NoteNumber(), -1);
    EXPECT_EQ(cc.Program(), -1);
    EXPECT_EQ(cc.ControlChangeIdx(), 1);

    const IMidiMsg poly(0, 0xA4, 62, 33);
    EXPECT_EQ(poly.NoteNumber(), 62);
    EXPECT_EQ(poly.PolyAfterTouch(), 33);
    EXPECT_EQ(poly.Velocity(), -1);

    EXPECT_EQ(IMidiMsg(0, 0xD0, 90, 0).ChannelAfterTouch(), 90);
    EXPECT_EQ(IMidiMsg(0, 0xC0, 12, 0).Program(), 12);
    EXPECT_EQ(IMidiMsg(0, 0x90, 12, 0).ChannelAfterTouch(), -1);
}

TEST(IMidiMsg, StatusKindsAndTheirTexts) {
    EXPECT_EQ(IMidiMsg(0, 0xF8, 0, 0).StatusMsg(), IMidiMsg::kNone);
    EXPECT_EQ(IMidiMsg(0, 0x7F, 0, 0).StatusMsg(), IMidiMsg::kNone);
    EXPECT_EQ(IMidiMsg(0, 0x85, 0, 0).StatusMsg(), IMidiMsg::kNoteOff);
    EXPECT_EQ(IMidiMsg(0, 0xEF, 0, 0).StatusMsg(), IMidiMsg::kPitchWheel);
    const char* texts[] = {"none",       "unknown",       "unknown",       "unknown",           "unknown",
                           "unknown",    "unknown",       "unknown",       "noteoff",           "noteon",
                           "aftertouch", "controlchange", "programchange", "channelaftertouch", "pitchwheel",
                           "unknown"};
    for (int i = 0; i < 16; ++i) EXPECT_STREQ(IMidiMsg::StatusMsgStr(i), texts[i]) << i;
}

TEST(ISysEx, HexTextIsBoundedByTheBufferLength) {
    const uint8_t bytes[] = {0xF0, 0x3E, 0x13, 0xF7};
    char text[32];
    EXPECT_STREQ(ISysEx::SysExStr(text, sizeof(text), bytes, 4), "F0 3E 13 F7");
    EXPECT_STREQ(ISysEx::SysExStr(text, 9, bytes, 4), "F0 3E 13");
    EXPECT_STREQ(ISysEx::SysExStr(text, 2, bytes, 4), "");
    EXPECT_STREQ(ISysEx::SysExStr(text, sizeof(text), nullptr, 4), "");

    ISysEx sysex(12, bytes, 4);
    sysex.Clear();
    EXPECT_EQ(sysex.size, 0);
    EXPECT_EQ(sysex.data, nullptr);
}
