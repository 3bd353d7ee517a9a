#include "tuning/CSCL_Import.h"

#include "tuning/TunConversions.h"
#include "tuning/TunNumbers.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string_view>

namespace TUN {
namespace {

constexpr const char* kOpenError = "Error opening the file.";
constexpr const char* kNoData = "No data in file.";
constexpr const char* kSizeNotAllowed = "Scale size not allowed. Must be within [1;127].";
constexpr const char* kSlashExpected = "Unknown operator. '/' expected.";
constexpr const char* kDivisionByZero = "Division by zero.";
constexpr const char* kFurtherData = "End of file expected, but further data found.";
constexpr const char* kLessEntries = "Less tuning entries found than expected.";
constexpr const char* kPrematureEnd = "Premature end of file.";
constexpr const char* kOutOfRange = "Setting out of range.";
constexpr const char* kAdditionalData = "End of file expected, but additional data found.";

// Degrees are kept finite: a ratio of zero or below has no cents, and a huge cents value would only
// overflow later. Far beyond any audible range either way, since pitches are clamped to the MIDI range.
constexpr double kDegreeLimit = 1.0e6;

double finiteDegree(double cents) {
    if (std::isnan(cents)) return -kDegreeLimit;
    return std::clamp(cents, -kDegreeLimit, kDegreeLimit);
}

std::string fileName(const char* path) {
    const std::string_view text = path;
    const std::size_t slash = text.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? text : text.substr(slash + 1));
}

bool isDigitsOnly(const std::string& line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Next line that is neither empty nor a comment; false at the end of the input.
bool nextDataLine(std::istream& stream, CStringParser& parser, long& lineNumber) {
    while (parser.GetLineAndTrim(stream, lineNumber)) {
        const std::string& line = parser.GetLine();
        if (!line.empty() && line.front() != '!') return true;
    }
    return false;
}

int64_t clampedInteger(const std::string& line, int64_t low, int64_t high) {
    return std::clamp(LeadingInteger(line), low, high);
}

int64_t floorDivide(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

CSCL_Import::CSCL_Import() {
    ResetTuning();
    ResetMapping();
}

void CSCL_Import::ResetTuning() {
    errorText.clear();
    scaleDescription = "Equal tempered (Default)";
    scaleSize = kNotes;
    for (int k = 0; k < kNotes; ++k) {
        degrees[k] = 100.0 * k;
        noteCents[k] = 100.0 * k;
    }
}

void CSCL_Import::ResetMapping() {
    errorText.clear();
    mappingName = "MIDI (Default)";
    mapSize = 12;
    firstNote = 0;
    lastNote = 127;
    middleNote = 0;
    referenceNote = 69;
    referenceFrequency = 440.0;
    formalOctave = 12;
    for (int i = 0; i < kNotes; ++i) mapping[i] = i;
}

bool CSCL_Import::fail(const char* text) {
    errorText = text;
    return false;
}

double CSCL_Import::GetDegree(long degree) const {
    return degrees[std::clamp(degree, 0L, long{kNotes - 1})];
}

double CSCL_Import::GetNoteCents(long note) const {
    return noteCents[std::clamp(note, 0L, long{kNotes - 1})];
}

long CSCL_Import::GetMapping(long entry) const {
    return static_cast<long>(mapping[std::clamp(entry, 0L, long{kNotes - 1})]);
}

bool CSCL_Import::ReadSCL(const char* path) {
    ResetTuning();
    if (path == nullptr) return fail(kOpenError);
    scaleDescription = fileName(path);
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file.is_open()) return fail(kOpenError);
    CStringParser parser;
    return ReadSCL(file, parser);
}

bool CSCL_Import::ReadSCL(std::istream& stream, CStringParser& parser) {
    errorText.clear();
    long lineNumber = 0;
    bool firstLine = true;
    bool sizeRead = false;
    int64_t degreesRead = 0;
    while (nextDataLine(stream, parser, lineNumber)) {
        const std::string& line = parser.GetLine();
        if (firstLine) {
            firstLine = false;
            if (!isDigitsOnly(line)) {
                scaleDescription = line;
                continue;
            }
        }
        if (!sizeRead) {
            const int64_t size = LeadingInteger(line);
            if (size < 1 || size > kNotes - 1) return fail(kSizeNotAllowed);
            scaleSize = size;
            degrees[0] = 0.0;
            sizeRead = true;
            continue;
        }
        if (degreesRead >= scaleSize) return fail(kFurtherData);
        double cents = 0.0;
        if (!readDegree(line, cents)) return false;
        degrees[++degreesRead] = cents;
    }
    if (!sizeRead) return fail(kNoData);
    if (degreesRead < scaleSize) return fail(kLessEntries);
    return true;
}

bool CSCL_Import::readDegree(const std::string& line, double& cents) {
    const std::size_t firstOther = line.find_first_not_of("+-0123456789");
    if (firstOther != std::string::npos && line[firstOther] == '.') {
        cents = finiteDegree(LeadingDecimal(line));
        return true;
    }
    const std::string_view text = line;
    std::size_t pos = 0;
    double numerator = 0.0;
    ScanDecimal(text, pos, numerator);
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos >= text.size() || text[pos] != '/') return fail(kSlashExpected);
    const double denominator = LeadingDecimal(text.substr(pos + 1));
    if (denominator == 0.0) return fail(kDivisionByZero);
    cents = finiteDegree(Factor2Cents(numerator / denominator));
    return true;
}

bool CSCL_Import::ReadKBM(const char* path) {
    ResetMapping();
    if (path == nullptr) return fail(kOpenError);
    mappingName = fileName(path);
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file.is_open()) return fail(kOpenError);
    CStringParser parser;
    return ReadKBM(file, parser);
}

bool CSCL_Import::readKBMHeader(std::istream& stream, CStringParser& parser, long& lineNumber) {
    constexpr int kHeaderValues = 7;
    for (int value = 0; value < kHeaderValues; ++value) {
        if (!nextDataLine(stream, parser, lineNumber)) return fail(kPrematureEnd);
        const std::string& line = parser.GetLine();
        switch (value) {
        case 0:
            mapSize = clampedInteger(line, 1, kNotes - 1);
            break;
        case 1:
            firstNote = clampedInteger(line, 0, kNotes - 1);
            break;
        case 2:
            lastNote = clampedInteger(line, 0, kNotes - 1);
            if (firstNote >= lastNote) return fail(kOutOfRange);
            break;
        case 3:
            middleNote = clampedInteger(line, 0, kNotes - 1);
            if (middleNote + mapSize >= kNotes) return fail(kOutOfRange);
            break;
        case 4:
            referenceNote = clampedInteger(line, 0, kNotes - 1);
            break;
        case 5:
            referenceFrequency = std::clamp(LeadingDecimal(line), 0.001, 100000.0);
            break;
        default:
            formalOctave = clampedInteger(line, 0, kNotes - 1);
            break;
        }
    }
    return true;
}

bool CSCL_Import::ReadKBM(std::istream& stream, CStringParser& parser) {
    errorText.clear();
    long lineNumber = 0;
    if (!readKBMHeader(stream, parser, lineNumber)) return false;
    int64_t entry = 0;
    for (; entry < mapSize && nextDataLine(stream, parser, lineNumber); ++entry) {
        const std::string& line = parser.GetLine();
        mapping[entry] =
            (line.front() == 'x' || line.front() == 'X') ? kUnmapped : clampedInteger(line, 0, kNotes - 1);
    }
    // Keys the file leaves out at the end of its list are unmapped.
    for (; entry < mapSize; ++entry) mapping[entry] = kUnmapped;
    if (nextDataLine(stream, parser, lineNumber)) return fail(kAdditionalData);
    return true;
}

void CSCL_Import::computeNoteCents() {
    for (int64_t k = 0; k < kNotes; ++k) {
        double cents = 100.0 * static_cast<double>(k);
        if (k >= firstNote && k <= lastNote) {
            const int64_t distance = k - middleNote;
            const int64_t period = floorDivide(distance, mapSize);
            const int64_t entry = mapping[distance - period * mapSize];
            if (entry >= 0 && entry < scaleSize)
                cents = static_cast<double>((period * formalOctave + middleNote) * 100) + degrees[entry];
        }
        noteCents[k] = cents;
    }
}

void CSCL_Import::SetSingleScale(CSingleScale& scale) {
    computeNoteCents();
    scale.Reset();
    scale.InitEqual(static_cast<long>(referenceNote), referenceFrequency);
    const double referenceCents = noteCents[referenceNote];
    for (int64_t k = 0; k < kNotes; ++k) {
        if (k == referenceNote) continue;
        CFormula formula(k);
        formula.parameter1 = SRVParam::AbsoluteNote(referenceNote);
        formula.cents = noteCents[k] - referenceCents;
        scale.AddFormula(formula);
    }
}

} // namespace TUN
