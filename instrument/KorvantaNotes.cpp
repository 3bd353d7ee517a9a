#include "instrument/Korvanta.h"

void Korvanta::setNoteOn(int note, int velocity) {
    if (noteShouldBeSkipped(note)) return;
    addPressedKey(note, velocity);
    playNote(note, velocity);
}

void Korvanta::playNote(int note, int velocity) {
    if (xMode) {
        // Three tries for a switched-on oscillator; with none on, the fourth step is taken anyway so
        // that the rotation still advances.
        int tries = 0;
        do {
            xModeOsc = (xModeOsc + 1) % kNumOscillators;
        } while (!oscOn[xModeOsc] && ++tries < kNumOscillators);
        if (tries == kNumOscillators) xModeOsc = (xModeOsc + 1) % kNumOscillators;
    }

    if (unison) {
        for (int i = 0; i < numVoices; ++i) voices[i].setNoteOn(note, velocity, ++noteCounter, xModeOsc);
        return;
    }

    int chosen = -1;
    for (int i = 0; i < numVoices && chosen < 0; ++i) {
        if (voices[i].getNote() == note) chosen = i;
    }
    for (int i = 0; i < numVoices && chosen < 0; ++i) {
        if (!voices[i].isActive()) chosen = i;
    }
    if (chosen < 0) {
        chosen = 0;
        for (int i = 1; i < numVoices; ++i) {
            if (voices[i].getSerial() < voices[chosen].getSerial()) chosen = i;
        }
    }
    voices[chosen].setNoteOn(note, velocity, ++noteCounter, xModeOsc);
}

void Korvanta::setNoteOff(int note) {
    removePressedKey(note);

    if (unison || numVoices == 1) {
        if (voices[0].isActive() && getNumPressedKeys() > 0) {
            const int highest = getHighestPressedKey();
            // A released key that was not sounding leaves the sounding one alone.
            if (voices[0].getNote() != highest) playNote(highest, getPressedKeyVelocity(highest));
            return;
        }
        if (unison) {
            for (int i = 0; i < numVoices; ++i) voices[i].setNoteOff(false);
            return;
        }
    }

    for (int i = 0; i < numVoices; ++i) {
        if (voices[i].getNote() == note) {
            voices[i].setNoteOff(false);
            return;
        }
    }
}

void Korvanta::setSustain(bool on) {
    sustain = on;
    for (int i = 0; i < numVoices; ++i) voices[i].setSustain(on);
}

void Korvanta::setPolyAfterTouch(int note, double value) {
    for (int i = 0; i < numVoices; ++i) {
        if (voices[i].isActive() && voices[i].getNote() == note) voices[i].polyAfterTouch = value;
    }
}

void Korvanta::allNotesOff() {
    clearKeyBuffer();
    noteEventFirst = noteEventCount = 0;
    sustain = false;
    for (int i = 0; i < numVoices; ++i) voices[i].setSustain(false);
    for (Voice& voice : voices) voice.setNoteOff(true);
}

void Korvanta::setSoundOff() {
    allNotesOff();
    for (Voice& voice : voices) voice.setSoundOff();
}

void Korvanta::setTune() {
    const int n = numVoices;
    for (int i = 0; i < n; ++i) {
        voices[i].detune = unison && n > 1 ? tune - detune + i * (2.0 * detune / (n - 1)) : tune;
    }
}

void Korvanta::setSpread() {
    const int n = numVoices;
    for (int i = 0; i < n; ++i)
        voices[i].setPan(unison && n > 1 ? -spread + i * (2.0 * spread / (n - 1)) : 0.0);
}
