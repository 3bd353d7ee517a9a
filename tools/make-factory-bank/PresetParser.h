#pragma once

#include "tools/make-factory-bank/ProgramDefinition.h"

#include <map>
#include <string>
#include <vector>

// Reads program definitions: sections headed "[Name]", each followed by "Parameter = value" lines and
// an optional "Tuning = label". Parameter names and values are resolved against the instrument's own
// parameter table, wave-table catalogue and tuning labels. The first fault stops the reading and
// leaves a message "file:line: text" in getError().
class PresetParser {
public:
    // The factory programs' names go into 28-byte file fields with their terminator.
    static constexpr size_t kMaxNameLength = 27;

    PresetParser();

    // Appends the programs of one definition text; names must be unique across everything appended.
    bool parse(const std::string& text, const std::string& fileName,
               std::vector<ProgramDefinition>* programs);
    bool parseFile(const std::string& path, std::vector<ProgramDefinition>* programs);

    const std::string& getError() const { return error; }

private:
    bool parseLine(const std::string& line, std::vector<ProgramDefinition>* programs);
    bool startProgram(const std::string& line, std::vector<ProgramDefinition>* programs);
    bool setTuning(const std::string& value, ProgramDefinition* program);
    bool addSetting(int index, double value, ProgramDefinition* program);
    bool resolveByName(const std::string& name, const std::string& value, ProgramSetting* setting);
    bool resolveByIndex(const std::string& indexText, const std::string& value, ProgramSetting* setting);
    bool resolveValue(int index, const std::string& value, bool byIndex, double* result);
    bool fail(const std::string& message);

    // Parameter indices by name; amount/source pairs and the reserved rows share a name.
    std::map<std::string, std::vector<int>> indicesByName;
    std::map<std::string, int> tableIdsByName;
    std::string fileName;
    int lineNumber = 0;
    std::string error;
};
