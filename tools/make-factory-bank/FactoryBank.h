#pragma once

#include "tools/make-factory-bank/ProgramDefinition.h"

#include <string>
#include <vector>

class Korvanta;

// The factory bank: its definitions read from a folder in bank order, and turned into the programs of a
// live instrument through the instrument's own parameters, so that the stored states are exactly what
// the instrument itself would save.
class FactoryBank {
public:
    static constexpr int kNumPrograms = 64;
    static constexpr const char* kDefinitionExtension = ".txt";

    // The definition files of a folder in name order, which is the bank order.
    static std::vector<std::string> definitionFiles(const std::string& folder);
    // All programs of a folder; false with a "file:line: text" message on the first fault, or when the
    // folder does not hold exactly one bank's worth of programs.
    static bool read(const std::string& folder, std::vector<ProgramDefinition>* programs, std::string* error);

    // Sets the live instrument to a definition: every parameter to its default, then the definition's
    // values, then its tuning.
    static void apply(Korvanta& plug, const ProgramDefinition& program);
    // Stores the definitions as programs 0, 1, ... under their names and leaves program 0 current.
    static void fill(Korvanta& plug, const std::vector<ProgramDefinition>& programs);
};
