#pragma once

// What the voice engine asks at every note-on: the pitch (in 1/128 semitone) of a MIDI note under
// the current tuning. The tuning engine implements it; the engine knows nothing more of it.
class PitchSource {
public:
    virtual int getFrequency(int note) = 0;

protected:
    ~PitchSource() = default;
};
