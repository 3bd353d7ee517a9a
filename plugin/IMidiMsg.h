#pragma once

#include <cstdint>

// One channel message with its sample offset inside the current block.
struct IMidiMsg {
    enum EStatusMsg {
        kNone = 0,
        kNoteOff = 8,
        kNoteOn = 9,
        kPolyAftertouch = 10,
        kControlChange = 11,
        kProgramChange = 12,
        kChannelAftertouch = 13,
        kPitchWheel = 14
    };

    int32_t offset = 0;
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;

    IMidiMsg() = default;
    IMidiMsg(int32_t offsetIn, uint8_t statusIn, uint8_t data1In, uint8_t data2In)
        : offset(offsetIn), status(statusIn), data1(data1In), data2(data2In) {}

    void MakeNoteOnMsg(int note, int velocity, int offsetIn, int channel = 0);
    void MakeNoteOffMsg(int note, int offsetIn, int channel = 0);
    // value -1..1 is spread over 0..16383 with 0.0 at 8192.
    void MakePitchWheelMsg(double value, int channel = 0);
    // value 0..1 becomes 0..127.
    void MakeControlChangeMsg(int controller, double value, int channel = 0);
    void Clear();

    int Channel() const { return status & 0x0F; }
    EStatusMsg StatusMsg() const;
    int NoteNumber() const;
    int Velocity() const;
    int PolyAfterTouch() const;
    int ChannelAfterTouch() const;
    int Program() const;
    double PitchWheel() const;
    int ControlChangeIdx() const { return data1; }
    double ControlChange(int controller) const;

    static const char* StatusMsgStr(int statusMsg);
};
