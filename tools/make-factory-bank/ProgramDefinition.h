#pragma once

#include <string>
#include <vector>

// One parameter of a program: its index and its plain value (in the parameter's own range).
struct ProgramSetting {
    int index = 0;
    double value = 0.0;
    int line = 0;
};

// A factory program as written in a definition file: what differs from the parameter defaults, the
// tuning it plays in, and where it was written, so that later checks can point at it.
struct ProgramDefinition {
    std::string name;
    int tuning = 0;     // 0..13, the built-in tunings; 0 is equal temperament
    int tuningLine = 0; // where the tuning was chosen; 0 when the definition leaves it alone
    std::vector<ProgramSetting> settings;
    std::string file;
    int line = 0;
};
