#pragma once

#include "engine/ParameterIds.h"

#include <array>

// The 153 host-visible parameters in their fixed order: hosts store automation and presets by index
// and the state chunk stores values in this order, so nothing here may move.
namespace ParameterTable {

using ::kFirstReserved;
using ::kNumParams;

enum class Kind { Double, Int, Enum };

using DisplayFunc = void (*)(double value, char* text);

struct Row {
    int id; // the EParam this row defines
    const char* name;
    Kind kind;
    double min;
    double max;
    double defaultValue;
    double step;
    double shape;
    const char* const* labels; // enum texts, null-terminated or counted by labelCount
    int labelCount;
    DisplayFunc display;
};

// The row of parameter index (0..152).
const Row& row(int index);

// Display functions: each writes at most the number of bytes its comment gives, terminator included.
void setDisplayTextForDB(double value, char* text);        // "-oo" or dB, 8 bytes
void setDisplayTextForCent(double value, char* text);      // cents, 12 bytes
void setDisplayTextForPitch(double value, char* text);     // signed semitones, 12 bytes
void setDisplayTextForFM(double value, char* text);        // FM depth in semitones, 8 bytes
void setDisplayTextForFrequency(double value, char* text); // Hz of a 0..1 cutoff, 12 bytes
void setDisplayTextForPan(double value, char* text);       // "L:R" percentages, 8 bytes
void setDisplayTextForOctave(double value, char* text);    // writes nothing

} // namespace ParameterTable

// Label arrays for the enumerations; those marked so end with a null entry after the texts. The
// modulation sources and filter types are the engine's own lists (Properties).
extern const char* const labelOffOn[2];
extern const char* const labelPolyphonyModes[8]; // null-terminated
extern const char* const labelWaveMode[2];
extern const char* const labelRestartMode[2];
extern const char* const labelOctave[4];
extern const char* const labelHardSync2[4]; // null-terminated
extern const char* const labelHardSync3[4]; // null-terminated
extern const char* const labelLinFM2[2];
extern const char* const labelLinFM3[2];
extern const char* const labelEGTrigger[2];
extern const char* const labelMGWaveform[6];
extern const char* const labelSyncRates[20];
