#pragma once

#include "tuning/CSingleScale.h"
#include "tuning/CStringParser.h"

#include <array>
#include <cstdint>
#include <istream>
#include <string>

namespace TUN {

// Reads Scala scale (SCL) and keyboard mapping (KBM) files and turns the pair into the 128 frequencies
// of a CSingleScale. The scale part and the mapping part are reset independently, so an SCL file and a
// KBM file combine in either order.
class CSCL_Import {
public:
    static constexpr int kNotes = 128;
    static constexpr int kUnmapped = -1;

    CSCL_Import();

    // Resets the scale part and names it after the file, then reads the file. False on failure, with
    // the reason in GetErrorText(); what was read before the error stays.
    bool ReadSCL(const char* path);
    bool ReadSCL(std::istream& stream, CStringParser& parser);
    // The same for the mapping part.
    bool ReadKBM(const char* path);
    bool ReadKBM(std::istream& stream, CStringParser& parser);

    void SetSingleScale(CSingleScale& scale);
    void ResetTuning();
    void ResetMapping();

    const std::string& GetErrorText() const { return errorText; }
    const std::string& GetScaleDescription() const { return scaleDescription; }
    long GetScaleSize() const { return static_cast<long>(scaleSize); }
    // Cents of degree 0..127 (degree 0 is 0).
    double GetDegree(long degree) const;
    // Cents of each MIDI note as the last SetSingleScale computed them.
    double GetNoteCents(long note) const;
    const std::string& GetMappingName() const { return mappingName; }
    long GetMapSize() const { return static_cast<long>(mapSize); }
    long GetFirstNote() const { return static_cast<long>(firstNote); }
    long GetLastNote() const { return static_cast<long>(lastNote); }
    long GetMiddleNote() const { return static_cast<long>(middleNote); }
    long GetReferenceNote() const { return static_cast<long>(referenceNote); }
    double GetReferenceFrequency() const { return referenceFrequency; }
    long GetFormalOctave() const { return static_cast<long>(formalOctave); }
    // Scale degree of mapping entry 0..127, or kUnmapped.
    long GetMapping(long entry) const;

private:
    bool fail(const char* text);
    bool readDegree(const std::string& line, double& cents);
    bool readKBMHeader(std::istream& stream, CStringParser& parser, long& lineNumber);
    void computeNoteCents();

    std::string errorText;
    std::string scaleDescription;
    int64_t scaleSize = 0;
    std::array<double, kNotes> degrees{};
    std::array<double, kNotes> noteCents{};
    std::string mappingName;
    int64_t mapSize = 0;
    int64_t firstNote = 0;
    int64_t lastNote = 0;
    int64_t middleNote = 0;
    int64_t referenceNote = 0;
    double referenceFrequency = 0.0;
    int64_t formalOctave = 0;
    std::array<int64_t, kNotes> mapping{};
};

} // namespace TUN
