#pragma once

// Transport state as the host reports it; fields the host gives no valid data for keep these values.
struct ITimeInfo {
    double tempo = 120.0;     // beats per minute
    double samplePos = -1.0;  // samples since the song start
    double ppqPos = -1.0;     // quarter notes since the song start
    double lastBar = -1.0;    // quarter notes at the start of the current bar
    double cycleStart = -1.0; // quarter notes
    double cycleEnd = -1.0;   // quarter notes
    int numerator = 4;
    int denominator = 4;
    bool transportIsRunning = false;
    bool transportLoopEnabled = false;
};
