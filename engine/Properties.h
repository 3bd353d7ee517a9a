#pragma once

#include <array>

// Enumerations and their texts shared by the parameter table, the voice and the editor's controls.
class Properties {
public:
    // What the source half of an amount/source pair selects. The voice binds each to a pointer.
    enum ModSources {
        eModOff = 0,
        eModOn,
        eModWheel,
        eModPitchBend,
        eModNote,
        eModMG1,
        eModMG2,
        eModVibrato,
        eModWheelPositive,
        eModPitchBendPositive,
        eModNotePositive,
        eModVelocity,
        eModPolyAfterTouch,
        eModChannelAfterTouch,
        eModMG1Positive,
        eModMG2Positive,
        eModVibratoPositive,
        eModFilterEG,
        eModAmpEG,
        eModLinearEG1,
        eModLinearEG2,
        eNumModSources
    };

    enum DCFType { eLowpass24 = 0, eLowpass12, eHighpass24, eNumDCFTypes };

    // Each list ends with a null entry, as the parameter and menu code expects.
    static constexpr std::array<const char*, eNumModSources + 1> labelModSources = {
        "OFF",  "ON",   "MW",   "PB",   "Note", "MG1",  "MG2",  "Vib",  "MW+",  "PB+",  "Note+",
        "Velo", "P-AT", "C-AT", "MG1+", "MG2+", "Vib+", "F-EG", "A-EG", "EG 1", "EG 2", nullptr};

    static constexpr std::array<const char*, eNumModSources + 1> labelModSrcDesc = {
        "Off",
        "On",
        "Modulation Wheel",
        "Pitch Bend",
        "Note",
        "MG 1",
        "MG 2",
        "Vibrato",
        "Modulation Wheel (positive)",
        "Pitch Bend (positive)",
        "Note (positive)",
        "Velocity",
        "Poly After Touch",
        "Channel After Touch",
        "MG 1 (positive)",
        "MG 2 (positive)",
        "Vibrato (positive)",
        "Filter EG",
        "Amp EG",
        "Linear EG 1",
        "Linear EG 2",
        nullptr};

    static constexpr std::array<const char*, eNumDCFTypes + 1> labelDCFType = {"Lowpass 24", "Lowpass 12",
                                                                               "Highpass 24", nullptr};
};
