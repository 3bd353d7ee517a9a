#pragma once

namespace TUN {

// MIDI channels first..last (1-based, inclusive) that a tuning applies to.
struct CMIDIChannelRange {
    long first = 1;
    long last = 1;
};

} // namespace TUN
