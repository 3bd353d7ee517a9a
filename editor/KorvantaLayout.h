#pragma once

#include "editor/IRECT.h"
#include "engine/ParameterIds.h"

#include <array>

// Where every control of the instrument's editor sits, with the caption printed beside it. The artwork
// generator draws the panel from this table and the editor places its controls from it, so a control
// and its caption can never drift apart.
namespace KorvantaLayout {

inline constexpr int kWidth = 1127;
inline constexpr int kHeight = 776;
inline constexpr int kFPS = 25;

// Tags of the controls that are bound to no parameter.
enum ETag : int {
    kTagOptionMenu = -154,
    kTagMidiLearn = -155,
    kTagPreviousProgram = -159,
    kTagNextProgram = -160,
    kTagWaveDown1 = -162,
    kTagWaveUp1 = -163,
    kTagWaveDown2 = -165,
    kTagWaveUp2 = -166,
    kTagWaveDown3 = -168,
    kTagWaveUp3 = -169,
    kTagUnisonOff = -170,
    kTagUnisonOn = -171,
    kTagTuning = -172,
    kTagLamp1 = -173,
    kTagLamp2 = -174,
    kTagLamp3 = -175,
    kTagCopy = -176,
    kTagPaste = -177,
    kTagInit = -178,
};

// The bitmaps by resource number, and their file names and frame counts.
enum EBitmap : int {
    kBackground = 101,
    kKnob,
    kKnobWhite,
    kButtonOff,
    kButtonOn,
    kButtonWhiteOff,
    kButtonWhiteOn,
    kButtonOrangeOff,
    kButtonOrangeOn,
    kSwitch2,
    kSwitch3,
    kSwitch4White,
    kSwitch6,
    kVoices,
    kUp,
    kDown,
    kLearn,
    kUnlearn,
    kLed,
};

struct BitmapInfo {
    int id;
    const char* file;
    int frames;
    int frameW; // points
    int frameH;
};

inline constexpr std::array<BitmapInfo, 19> kBitmaps = {{
    {kBackground, "korvanta.png", 1, kWidth, kHeight},
    {kKnob, "knob.png", 65, 40, 40},
    {kKnobWhite, "knob_white.png", 65, 40, 40},
    {kButtonOff, "button_off.png", 2, 32, 20},
    {kButtonOn, "button_on.png", 2, 32, 20},
    {kButtonWhiteOff, "button_white_off.png", 2, 32, 20},
    {kButtonWhiteOn, "button_white_on.png", 2, 32, 20},
    {kButtonOrangeOff, "button_orange_off.png", 2, 32, 20},
    {kButtonOrangeOn, "button_orange_on.png", 2, 32, 20},
    {kSwitch2, "switch2.png", 2, 20, 28},
    {kSwitch3, "switch3.png", 3, 20, 28},
    {kSwitch4White, "switch4white.png", 4, 40, 40},
    {kSwitch6, "switch6.png", 6, 40, 40},
    {kVoices, "voices.png", 7, 44, 22},
    {kUp, "up.png", 2, 16, 16},
    {kDown, "down.png", 2, 16, 16},
    {kLearn, "learn.png", 2, 48, 24},
    {kUnlearn, "unlearn.png", 2, 48, 24},
    {kLed, "led.png", 1, 12, 12},
}};

constexpr const BitmapInfo& bitmapInfo(int id) {
    return kBitmaps[static_cast<size_t>(id - kBackground)];
}

enum class LayoutKind {
    Knob,         // standard knob
    WhiteKnob,    // main-parameter knob
    OctaveKnob,   // four-position selector
    WaveformKnob, // six-position selector
    Source,       // modulation source selector
    Switch2,
    Switch3,
    OrangeButton,
    PlainButton,
    WhiteButton,
    UnisonOff,
    UnisonOn,
    Voices,
    WaveDisplay,
    ArrowUp,
    ArrowDown,
    NextProgram,
    PreviousProgram,
    Copy,
    Paste,
    Init,
    Lamp,
    LearnSwitch,
};

struct LayoutItem {
    LayoutKind kind;
    int id; // parameter index, or a negative tag
    int x;  // in double-resolution pixels for the kinds that halve it (see doubled()), else in points
    int y;
    const char* caption;
};

// Switches, lamps and the learn switch are placed in points; all other kinds in double resolution.
constexpr bool doubled(LayoutKind kind) {
    return kind != LayoutKind::Switch2 && kind != LayoutKind::Switch3 && kind != LayoutKind::Lamp &&
           kind != LayoutKind::LearnSwitch;
}

// The bitmap a kind is drawn with, or 0 for controls that draw themselves.
constexpr int bitmapOf(LayoutKind kind) {
    switch (kind) {
    case LayoutKind::Knob:
        return kKnob;
    case LayoutKind::WhiteKnob:
        return kKnobWhite;
    case LayoutKind::OctaveKnob:
        return kSwitch4White;
    case LayoutKind::WaveformKnob:
        return kSwitch6;
    case LayoutKind::Switch2:
        return kSwitch2;
    case LayoutKind::Switch3:
        return kSwitch3;
    case LayoutKind::OrangeButton:
        return kButtonOrangeOff;
    case LayoutKind::PlainButton:
        return kButtonOff;
    case LayoutKind::WhiteButton:
        return kButtonWhiteOff;
    case LayoutKind::UnisonOff:
        return kButtonOff;
    case LayoutKind::UnisonOn:
        return kButtonOff;
    case LayoutKind::Voices:
        return kVoices;
    case LayoutKind::ArrowUp:
        return kUp;
    case LayoutKind::ArrowDown:
        return kDown;
    case LayoutKind::NextProgram:
        return kUp;
    case LayoutKind::PreviousProgram:
        return kDown;
    case LayoutKind::Copy:
        return kButtonWhiteOff;
    case LayoutKind::Paste:
        return kButtonWhiteOff;
    case LayoutKind::Init:
        return kButtonOrangeOff;
    case LayoutKind::Lamp:
        return kLed;
    case LayoutKind::LearnSwitch:
        return kLearn;
    default:
        return 0;
    }
}

inline constexpr int kSourceW = 32;
inline constexpr int kSourceH = 12;
inline constexpr int kWaveDisplayW = 100;
inline constexpr int kWaveDisplayH = 64;

// The area a control covers on the window, in points.
constexpr IRECT areaOf(const LayoutItem& item) {
    const int x = doubled(item.kind) ? item.x / 2 : item.x;
    const int y = doubled(item.kind) ? item.y / 2 : item.y;
    if (item.kind == LayoutKind::Source) return IRECT(x, y, x + kSourceW, y + kSourceH);
    if (item.kind == LayoutKind::WaveDisplay) return IRECT(x, y, x + kWaveDisplayW, y + kWaveDisplayH);
    const BitmapInfo& info = bitmapInfo(bitmapOf(item.kind));
    return IRECT(x, y, x + info.frameW, y + info.frameH);
}

// clang-format off
inline constexpr LayoutItem kItems[] = {
    {LayoutKind::Knob, kMasterTune, 82, 210, "Master Tune"},
    {LayoutKind::Knob, kPortamento, 82, 370, "Portamento"},
    {LayoutKind::Knob, kPitchBend, 82, 530, "Bend Range"},
    {LayoutKind::OrangeButton, kOsc1OffOn, 220, 208, "On"},
    {LayoutKind::WaveDisplay, kWaveTable1, 292, 184, ""},
    {LayoutKind::ArrowUp, kTagWaveUp1, 504, 214, ""},
    {LayoutKind::ArrowDown, kTagWaveDown1, 504, 250, ""},
    {LayoutKind::WhiteKnob, kWaveShape1, 578, 210, "Shape"},
    {LayoutKind::Switch2, kWaveMode1, 344, 115, "Interp"},
    {LayoutKind::Knob, kWaveShapeMod1, 746, 210, "Shape Mod"},
    {LayoutKind::Source, kWaveShapeMod1Source, 754, 296, ""},
    {LayoutKind::WhiteKnob, kStartPhase1, 226, 370, "Phase"},
    {LayoutKind::Switch2, kRestartMode1, 168, 195, "Restart"},
    {LayoutKind::Knob, kAMByOsc2, 442, 370, "AM by 2"},
    {LayoutKind::Knob, kAMOsc3, 594, 370, "AM by 3"},
    {LayoutKind::Knob, kAMMod, 746, 370, "AM Mod"},
    {LayoutKind::Source, kAMModSource, 754, 456, ""},
    {LayoutKind::OctaveKnob, kOctave1, 226, 530, "Octave"},
    {LayoutKind::WhiteKnob, kPitch1, 354, 530, "Pitch"},
    {LayoutKind::WhiteKnob, kTune1, 482, 530, "Fine"},
    {LayoutKind::Knob, kFrequencyMod1, 618, 530, "Freq Mod"},
    {LayoutKind::Source, kFrequencyMod1Source, 626, 616, ""},
    {LayoutKind::Knob, kAmplitudeMod1, 746, 530, "Amp Mod"},
    {LayoutKind::Source, kAmplitudeMod1Source, 754, 616, ""},
    {LayoutKind::OrangeButton, kOsc2OffOn, 892, 208, "On"},
    {LayoutKind::WaveDisplay, kWaveTable2, 964, 184, ""},
    {LayoutKind::ArrowUp, kTagWaveUp2, 1176, 214, ""},
    {LayoutKind::ArrowDown, kTagWaveDown2, 1176, 250, ""},
    {LayoutKind::WhiteKnob, kWaveShape2, 1250, 210, "Shape"},
    {LayoutKind::Switch2, kWaveMode2, 680, 115, "Interp"},
    {LayoutKind::Knob, kWaveShapeMod2, 1418, 210, "Shape Mod"},
    {LayoutKind::Source, kWaveShapeMod2Source, 1426, 296, ""},
    {LayoutKind::WhiteKnob, kStartPhase2, 898, 370, "Phase"},
    {LayoutKind::Switch2, kRestartMode2, 504, 195, "Restart"},
    {LayoutKind::Switch3, kHardSync2, 548, 195, "Sync"},
    {LayoutKind::Switch2, kLinearFM2Source, 592, 195, "FM by"},
    {LayoutKind::WhiteKnob, kLinearFM2, 1250, 370, "Lin FM"},
    {LayoutKind::Knob, kLinearFMMod2, 1418, 370, "FM Mod"},
    {LayoutKind::Source, kLinearFMMod2Source, 1426, 456, ""},
    {LayoutKind::OctaveKnob, kOctave2, 898, 530, "Octave"},
    {LayoutKind::WhiteKnob, kPitch2, 1026, 530, "Pitch"},
    {LayoutKind::WhiteKnob, kTune2, 1154, 530, "Fine"},
    {LayoutKind::Knob, kFrequencyMod2, 1290, 530, "Freq Mod"},
    {LayoutKind::Source, kFrequencyMod2Source, 1298, 616, ""},
    {LayoutKind::Knob, kAmplitudeMod2, 1418, 530, "Amp Mod"},
    {LayoutKind::Source, kAmplitudeMod2Source, 1426, 616, ""},
    {LayoutKind::OrangeButton, kOsc3OffOn, 1564, 208, "On"},
    {LayoutKind::WaveDisplay, kWaveTable3, 1636, 184, ""},
    {LayoutKind::ArrowUp, kTagWaveUp3, 1848, 214, ""},
    {LayoutKind::ArrowDown, kTagWaveDown3, 1848, 250, ""},
    {LayoutKind::WhiteKnob, kWaveShape3, 1930, 210, "Shape"},
    {LayoutKind::Switch2, kWaveMode3, 1020, 115, "Interp"},
    {LayoutKind::Knob, kWaveShapeMod3, 2098, 210, "Shape Mod"},
    {LayoutKind::Source, kWaveShapeMod3Source, 2106, 296, ""},
    {LayoutKind::WhiteKnob, kStartPhase3, 1578, 370, "Phase"},
    {LayoutKind::Switch2, kRestartMode3, 844, 195, "Restart"},
    {LayoutKind::Switch3, kHardSync3, 888, 195, "Sync"},
    {LayoutKind::Switch2, kLinearFM3Source, 932, 195, "FM by"},
    {LayoutKind::WhiteKnob, kLinearFM3, 1930, 370, "Lin FM"},
    {LayoutKind::Knob, kLinearFMMod3, 2098, 370, "FM Mod"},
    {LayoutKind::Source, kLinearFMMod3Source, 2106, 456, ""},
    {LayoutKind::OctaveKnob, kOctave3, 1578, 530, "Octave"},
    {LayoutKind::WhiteKnob, kPitch3, 1706, 530, "Pitch"},
    {LayoutKind::WhiteKnob, kTune3, 1834, 530, "Fine"},
    {LayoutKind::Knob, kFrequencyMod3, 1970, 530, "Freq Mod"},
    {LayoutKind::Source, kFrequencyMod3Source, 1978, 616, ""},
    {LayoutKind::Knob, kAmplitudeMod3, 2098, 530, "Amp Mod"},
    {LayoutKind::Source, kAmplitudeMod3Source, 2106, 616, ""},
    {LayoutKind::WhiteKnob, kLevelOsc1, 82, 754, "Osc 1"},
    {LayoutKind::WhiteKnob, kLevelOsc2, 210, 754, "Osc 2"},
    {LayoutKind::WhiteKnob, kLevelOsc3, 338, 754, "Osc 3"},
    {LayoutKind::WhiteKnob, kLevelNoise, 466, 754, "Noise"},
    {LayoutKind::Knob, kPanOsc1, 82, 914, "Pan 1"},
    {LayoutKind::Knob, kPanOsc2, 210, 914, "Pan 2"},
    {LayoutKind::Knob, kPanOsc3, 338, 914, "Pan 3"},
    {LayoutKind::Knob, kPanNoise, 466, 914, "Pan Noise"},
    {LayoutKind::Switch3, kFilterType, 299, 382, "Type"},
    {LayoutKind::WhiteKnob, kFilterCutoff, 706, 754, "Cutoff"},
    {LayoutKind::WhiteKnob, kFilterResonance, 826, 754, "Resonance"},
    {LayoutKind::Knob, kFilterKeyboardTrack, 946, 754, "Key Track"},
    {LayoutKind::Knob, kFilterEGIntensity, 1066, 754, "EG Depth"},
    {LayoutKind::Knob, kFilterCFM, 1186, 754, "Cross FM"},
    {LayoutKind::Source, kFilterCFMSource, 1194, 840, ""},
    {LayoutKind::Switch2, kFilterEGTrigger, 307, 467, "Trigger"},
    {LayoutKind::Knob, kFilterEGMod, 706, 914, "EG Mod"},
    {LayoutKind::Source, kFilterEGModSource, 714, 1000, ""},
    {LayoutKind::Knob, kFilterEGAttack, 826, 914, "Attack"},
    {LayoutKind::Knob, kFilterEGDecay, 946, 914, "Decay"},
    {LayoutKind::Knob, kFilterEGSustain, 1066, 914, "Sustain"},
    {LayoutKind::Knob, kFilterEGRelease, 1186, 914, "Release"},
    {LayoutKind::WhiteKnob, kVolume, 1346, 754, "Volume"},
    {LayoutKind::Knob, kAmpVelocity, 1474, 754, "Velocity"},
    {LayoutKind::Knob, kAmpAM, 1594, 754, "AM"},
    {LayoutKind::Source, kAmpAMSource, 1602, 840, ""},
    {LayoutKind::Switch2, kAmpEGTrigger, 667, 467, "Trigger"},
    {LayoutKind::Knob, kAmpEGMod, 1402, 914, "EG Mod"},
    {LayoutKind::Source, kAmpEGModSource, 1410, 1000, ""},
    {LayoutKind::Knob, kAmpEGAttack, 1522, 914, "Attack"},
    {LayoutKind::Knob, kAmpEGDecay, 1642, 914, "Decay"},
    {LayoutKind::Knob, kAmpEGSustain, 1762, 914, "Sustain"},
    {LayoutKind::Knob, kAmpEGRelease, 1882, 914, "Release"},
    {LayoutKind::Knob, kChorusDelay, 1738, 754, "Delay"},
    {LayoutKind::Knob, kChorusSpeed, 1858, 754, "Speed"},
    {LayoutKind::Knob, kChorusDepth, 1978, 754, "Depth"},
    {LayoutKind::Knob, kChorusFeedback, 2098, 754, "Feedback"},
    {LayoutKind::OrangeButton, kChorus, 2024, 912, "On"},
    {LayoutKind::Knob, kChorusMix, 2098, 914, "Mix"},
    {LayoutKind::Switch2, kLinEG1Trigger, 421, 595, "Trigger"},
    {LayoutKind::Knob, kLinEG1Mod, 922, 1170, "EG Mod"},
    {LayoutKind::Source, kLinEG1ModSource, 930, 1256, ""},
    {LayoutKind::Knob, kLinEG1Attack, 1042, 1170, "Attack"},
    {LayoutKind::Knob, kLinEG1Decay, 1162, 1170, "Decay"},
    {LayoutKind::Knob, kLinEG1Sustain, 1282, 1170, "Sustain"},
    {LayoutKind::Knob, kLinEG1Release, 1402, 1170, "Release"},
    {LayoutKind::Switch2, kLinEG2Trigger, 769, 595, "Trigger"},
    {LayoutKind::Knob, kLinEG2Mod, 1618, 1170, "EG Mod"},
    {LayoutKind::Source, kLinEG2ModSource, 1626, 1256, ""},
    {LayoutKind::Knob, kLinEG2Attack, 1738, 1170, "Attack"},
    {LayoutKind::Knob, kLinEG2Decay, 1858, 1170, "Decay"},
    {LayoutKind::Knob, kLinEG2Sustain, 1978, 1170, "Sustain"},
    {LayoutKind::Knob, kLinEG2Release, 2098, 1170, "Release"},
    {LayoutKind::Knob, kMG1Frequency, 82, 1170, "Rate"},
    {LayoutKind::Knob, kMG1SyncRate, 82, 1170, ""},
    {LayoutKind::WaveformKnob, kMG1Waveform, 202, 1170, "Wave"},
    {LayoutKind::Knob, kMG1Mod, 322, 1170, "Mod"},
    {LayoutKind::Source, kMG1ModSource, 330, 1256, ""},
    {LayoutKind::Knob, kMG2Frequency, 466, 1170, "Rate"},
    {LayoutKind::Knob, kMG2SyncRate, 466, 1170, ""},
    {LayoutKind::WaveformKnob, kMG2Waveform, 586, 1170, "Wave"},
    {LayoutKind::Knob, kMG2Mod, 706, 1170, "Mod"},
    {LayoutKind::Source, kMG2ModSource, 714, 1256, ""},
    {LayoutKind::Knob, kVibratoFrequency, 82, 1394, "Rate"},
    {LayoutKind::Knob, kVibratoSyncRate, 82, 1394, ""},
    {LayoutKind::Knob, kVibratoMod, 202, 1394, "Mod"},
    {LayoutKind::Source, kVibratoModSource, 210, 1480, ""},
    {LayoutKind::PlainButton, kMG1SyncToHost, 342, 1392, "MG 1"},
    {LayoutKind::PlainButton, kMG2SyncToHost, 422, 1392, "MG 2"},
    {LayoutKind::PlainButton, kVibratoSyncToHost, 502, 1392, "Vib"},
    {LayoutKind::UnisonOff, kTagUnisonOff, 608, 1392, "OFF"},
    {LayoutKind::UnisonOn, kTagUnisonOn, 688, 1392, "ON"},
    {LayoutKind::Knob, kUnisonDetune, 760, 1394, "Detune"},
    {LayoutKind::Knob, kUnisonSpread, 868, 1394, "Spread"},
    {LayoutKind::Voices, kNumberOfVoices, 979, 1409, "Voices"},
    {LayoutKind::OrangeButton, kXMode, 1084, 1392, "X-Mode"},
    {LayoutKind::WhiteButton, kPortamentoLegato, 1164, 1392, "Legato"},
    {LayoutKind::NextProgram, kTagNextProgram, 1276, 1380, ""},
    {LayoutKind::PreviousProgram, kTagPreviousProgram, 1276, 1458, ""},
    {LayoutKind::Copy, kTagCopy, 1752, 1392, "Copy"},
    {LayoutKind::Paste, kTagPaste, 1832, 1392, "Paste"},
    {LayoutKind::Init, kTagInit, 1912, 1392, "Init"},
    {LayoutKind::Lamp, kTagLamp1, 177, 60, ""},
    {LayoutKind::Lamp, kTagLamp2, 512, 60, ""},
    {LayoutKind::Lamp, kTagLamp3, 848, 60, ""},
    {LayoutKind::LearnSwitch, kTagMidiLearn, 810, 732, ""},
};
// clang-format on

// Controls placed by rectangle in points.
inline constexpr IRECT kProgramNumber(638, 710, 662, 728);
inline constexpr IRECT kProgramName(666, 710, 858, 728);
inline constexpr IRECT kOptionMenu(760, 732, 808, 756);
inline constexpr IRECT kTuning(1000, 710, 1090, 728);
inline constexpr IRECT kVersion(914, 18, 1042, 30);

// The panels that group the controls; a section may take a second rectangle to form an L.
struct Section {
    const char* title;
    IRECT area;
    IRECT extra;
    int titleX; // where the title starts, in points from the panel's left edge
};

inline constexpr Section kSections[] = {
    {"GLOBAL", IRECT(8, 50, 98, 326), IRECT(), 10},
    {"OSCILLATOR 1", IRECT(102, 50, 434, 326), IRECT(), 93},
    {"OSCILLATOR 2", IRECT(438, 50, 770, 326), IRECT(), 92},
    {"OSCILLATOR 3", IRECT(774, 50, 1119, 326), IRECT(), 92},
    {"MIXER", IRECT(8, 332, 284, 516), IRECT(), 10},
    {"FILTER", IRECT(288, 332, 642, 516), IRECT(), 10},
    {"AMPLIFIER", IRECT(646, 332, 848, 516), IRECT(646, 426, 998, 516), 10},
    {"CHORUS", IRECT(852, 332, 1119, 422), IRECT(1002, 420, 1119, 516), 10},
    {"MG 1", IRECT(8, 522, 206, 646), IRECT(), 10},
    {"MG 2", IRECT(210, 522, 400, 646), IRECT(), 10},
    {"LINEAR EG 1", IRECT(404, 522, 748, 646), IRECT(), 10},
    {"LINEAR EG 2", IRECT(752, 522, 1119, 646), IRECT(), 10},
    {"VIBRATO", IRECT(8, 652, 290, 768), IRECT(), 10},
    {"VOICE", IRECT(294, 652, 626, 768), IRECT(), 10},
    {"PROGRAM", IRECT(630, 652, 1119, 768), IRECT(), 10},
};
inline constexpr int kSectionTitleH = 24;

// Captions over groups of controls, centred in their rectangle.
struct Caption {
    const char* text;
    IRECT area;
};

inline constexpr Caption kCaptions[] = {
    {"SYNC TO HOST", IRECT(168, 682, 286, 694)},    {"UNISON", IRECT(300, 682, 380, 694)},
    {"FILTER ENVELOPE", IRECT(350, 428, 580, 440)}, {"AMP ENVELOPE", IRECT(846, 428, 998, 440)},
    {"TUNING", IRECT(1000, 696, 1090, 708)},
};

} // namespace KorvantaLayout
