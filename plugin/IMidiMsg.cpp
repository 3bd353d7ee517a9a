#include "plugin/IMidiMsg.h"

#include <algorithm>

namespace {

uint8_t byteOf(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}

// Clamps to [lower, upper]; NaN counts as 0 so that it never reaches an integer conversion.
double bounded(double value, double lower, double upper) {
    return value == value ? std::clamp(value, lower, upper) : 0.0;
}

} // namespace

void IMidiMsg::MakeNoteOnMsg(int note, int velocity, int offsetIn, int channel) {
    *this = IMidiMsg(offsetIn, byteOf(0x90 | (channel & 0x0F)), byteOf(note), byteOf(velocity));
}

void IMidiMsg::MakeNoteOffMsg(int note, int offsetIn, int channel) {
    *this = IMidiMsg(offsetIn, byteOf(0x80 | (channel & 0x0F)), byteOf(note), 0);
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel) {
    const double scaled = bounded(value, -2.0, 2.0) * 8192.0;
    const int v = std::clamp(static_cast<int>(scaled) + 8192, 0, 16383);
    *this = IMidiMsg(0, byteOf(0xE0 | (channel & 0x0F)), byteOf(v & 0x7F), byteOf(v >> 7));
}

void IMidiMsg::MakeControlChangeMsg(int controller, double value, int channel) {
    const int v = static_cast<int>(bounded(value, 0.0, 1.0) * 127.0);
    *this = IMidiMsg(0, byteOf(0xB0 | (channel & 0x0F)), byteOf(controller), byteOf(v));
}

void IMidiMsg::Clear() {
    *this = IMidiMsg();
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const {
    const int kind = status >> 4;
    if (kind < kNoteOff || kind > kPitchWheel) return kNone;
    return static_cast<EStatusMsg>(kind);
}

int IMidiMsg::NoteNumber() const {
    const EStatusMsg kind = StatusMsg();
    return (kind == kNoteOff || kind == kNoteOn || kind == kPolyAftertouch) ? data1 : -1;
}

int IMidiMsg::Velocity() const {
    const EStatusMsg kind = StatusMsg();
    return (kind == kNoteOff || kind == kNoteOn) ? data2 : -1;
}

int IMidiMsg::PolyAfterTouch() const {
    return StatusMsg() == kPolyAftertouch ? data2 : -1;
}
int IMidiMsg::ChannelAfterTouch() const {
    return StatusMsg() == kChannelAftertouch ? data1 : -1;
}
int IMidiMsg::Program() const {
    return StatusMsg() == kProgramChange ? data1 : -1;
}

double IMidiMsg::PitchWheel() const {
    if (StatusMsg() != kPitchWheel) return 0.0;
    return ((data2 << 7) + data1 - 8192) / 8192.0;
}

double IMidiMsg::ControlChange(int controller) const {
    if (StatusMsg() != kControlChange || data1 != controller) return -1.0;
    return data2 / 127.0;
}

const char* IMidiMsg::StatusMsgStr(int statusMsg) {
    switch (statusMsg) {
    case kNone:
        return "none";
    case kNoteOff:
        return "noteoff";
    case kNoteOn:
        return "noteon";
    case kPolyAftertouch:
        return "aftertouch";
    case kControlChange:
        return "controlchange";
    case kProgramChange:
        return "programchange";
    case kChannelAftertouch:
        return "channelaftertouch";
    case kPitchWheel:
        return "pitchwheel";
    default:
        return "unknown";
    }
}
