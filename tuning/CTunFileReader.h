#pragma once

#include "tuning/CSingleScale.h"
#include "tuning/CStringParser.h"

#include <array>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

namespace TUN {

// Reads one AnaMark TUN dataset (versions 1 and 2) into a CSingleScale. Holds what only matters while
// reading: the section being read, the cents gathered for [Tuning] and [Exact Tuning], and which
// tuning section has the final say.
class CTunFileReader {
public:
    CTunFileReader(CSingleScale& scale, CStringParser& parser) : scale(scale), parser(parser) {}

    // 1, 0 or -1 as CSingleScale::Read.
    int Read(std::istream& stream);

    // Section index in CSingleScale::m_vstrSections for the text inside [ ], 0 when unknown.
    static int LookupSection(std::string_view name);
    // Key index in CSingleScale::m_vstrKeys, 0 when unknown; "Note N" and "Keyboard N" also give N.
    static int LookupKey(std::string_view key, int& noteNumber);

private:
    enum Section : int {
        eUnknown = 0,
        eScaleBegin,
        eScaleEnd,
        eInfo,
        eEditorSpecifics,
        eTuning,
        eExactTuning,
        eFunctionalTuning,
        eMapping,
        eAssignment,
        eDataSet
    };
    enum class LineResult { eNext, eEnd, eError };

    LineResult readSectionLine(std::string_view inside);
    bool sectionAllowed(int section) const;
    bool readKeyLine(std::string_view line);
    bool readScaleBeginKey(int key, std::string_view value);
    bool readInfoKey(int key, std::string_view value);
    bool readTuningKey(int key, int note, std::string_view value);
    bool readExactTuningKey(int key, int note, std::string_view value);
    bool readFunctionalTuningKey(int key, int note, std::string_view value);
    bool readInitEqual(std::string_view value);
    bool readMappingKey(int key, int note, std::string_view value);
    bool readAssignmentKey(int key, std::string_view value);
    bool readString(std::string_view value, std::string& text);
    bool readInteger(std::string_view value, int64_t& number);
    bool readFloat(std::string_view value, double& number);
    int finish();
    void setFromCents(double baseFrequency, const std::array<double, CSingleScale::kNotes>& cents);
    bool fail(const char* text);

    CSingleScale& scale;
    CStringParser& parser;
    std::array<int64_t, CSingleScale::kNotes> tuningCents{};
    std::array<double, CSingleScale::kNotes> exactCents{};
    double exactBaseFrequency = 0.0;
    int highestExactNote = -1;
    int highestTuningSection = 0;
    int section = eUnknown;
    bool ignoreLines = true;
    bool datasetStarted = false;
};

// Undoes the escapes of a TUN string value (the text between the quotes).
std::string UnescapeTunString(std::string_view text);

} // namespace TUN
