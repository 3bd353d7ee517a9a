#include "tuning/CTunFileReader.h"

#include "tuning/TunConversions.h"
#include "tuning/TunNumbers.h"

#include <algorithm>
#include <cmath>

namespace TUN {
namespace {

// Frequency of note 0 in the files' own equal temperament.
constexpr double kNoteZeroHz = 8.17579891564371;
constexpr const char* kFormatName = "AnaMark-TUN";
constexpr const char* kVersion1Specs = "http://www.mark-henning.de/eternity/tuningspecs.html";

constexpr const char* kNoDataset = "No scale dataset found";
constexpr const char* kNotCompliant = "Section not version compliant.";
constexpr const char* kSyntaxError = "Syntax error";
constexpr const char* kFormatNotSupported = "Format not supported.";
constexpr const char* kStringExpected = "Value type mismatch. String expected!";
constexpr const char* kIntegerExpected = "Value type mismatch. Integer expected!";
constexpr const char* kFloatExpected = "Value type mismatch. Float expected!";
constexpr const char* kBlockExpected = "Value type mismatch. Function parameter block expected!";
constexpr const char* kCommaMissing = "Coma after parameter 1 missing!";
constexpr const char* kNoMoreData = "No more data expected after parameter 2!";
constexpr const char* kFormulaError = "Formula syntax error or parameter refers to invalid note index!";
constexpr const char* kDateMismatch = "Date format mismatch. YYYY-MM-DD expected!";
constexpr const char* kCompositionMismatch =
    "Composition format mismatch. \"Musician or Band|Album|Title|Year|Misc\" expected!";
constexpr const char* kChannelError =
    "Error in MIDI channel range: syntax error or values exceed the range 1-65535!";
constexpr const char* kScaleEndMissing = "[Scale End] missing at file end or read error.";
constexpr const char* kNoTuningData = "No tuning data found!";

enum Key : int {
    eFormat = 1,
    eFormatVersion,
    eFormatSpecs,
    eName,
    eID,
    eFilename,
    eAuthor,
    eLocation,
    eContact,
    eDate,
    eEditor,
    eEditorSpecs,
    eDescription,
    eKeyword,
    eHistory,
    eGeography,
    eInstrument,
    eComposition,
    eComments,
    eNote,
    eBaseFreq,
    eInitEqual,
    eLoopSize,
    eKeyboard,
    eMIDIChannel,
    eAllData
};

struct InfoField {
    int key;
    std::string CSingleScale::Info::*field;
};

constexpr std::array<InfoField, 15> kInfoFields{{
    {eName, &CSingleScale::Info::name},
    {eID, &CSingleScale::Info::id},
    {eFilename, &CSingleScale::Info::filename},
    {eAuthor, &CSingleScale::Info::author},
    {eLocation, &CSingleScale::Info::location},
    {eContact, &CSingleScale::Info::contact},
    {eDate, &CSingleScale::Info::date},
    {eEditor, &CSingleScale::Info::editor},
    {eEditorSpecs, &CSingleScale::Info::editorSpecs},
    {eDescription, &CSingleScale::Info::description},
    {eKeyword, &CSingleScale::Info::keyword},
    {eHistory, &CSingleScale::Info::history},
    {eGeography, &CSingleScale::Info::geography},
    {eInstrument, &CSingleScale::Info::instrument},
    {eComments, &CSingleScale::Info::comments},
}};

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetterOrUnderscore(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isDate(std::string_view text) {
    if (text.size() != 10) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 4 || i == 7;
        if (dash ? text[i] != '-' : !isDigit(text[i])) return false;
    }
    return true;
}

int hexDigit(char c) {
    if (isDigit(c)) return c - '0';
    const char l = lowerAscii(c);
    return l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
}

char simpleEscape(char c) {
    switch (c) {
    case '"':
    case '\'':
    case '?':
    case '\\':
        return c;
    case '0':
        return '\0';
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'v':
        return '\v';
    default:
        return 1; // not an escape
    }
}

} // namespace

std::string UnescapeTunString(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            result.push_back(text[i]);
            continue;
        }
        const char next = text[i + 1];
        if (next == 'x' || next == 'X') {
            int value = 0;
            std::size_t j = i + 2;
            for (; j < text.size() && j < i + 4 && hexDigit(text[j]) >= 0; ++j)
                value = value * 16 + hexDigit(text[j]);
            if (j > i + 2) {
                result.push_back(static_cast<char>(value));
                i = j - 1;
                continue;
            }
        } else if (const char escaped = simpleEscape(next); escaped != 1) {
            result.push_back(escaped);
            ++i;
            continue;
        }
        // An unknown escape is kept as written.
        result.push_back(text[i]);
    }
    return result;
}

int CTunFileReader::LookupSection(std::string_view name) {
    const std::string_view inside = TrimTuningText(name);
    for (std::size_t i = 1; i < CSingleScale::m_vstrSections.size(); ++i)
        if (equalsIgnoringCase(inside, CSingleScale::m_vstrSections[i])) return static_cast<int>(i);
    return eUnknown;
}

int CTunFileReader::LookupKey(std::string_view key, int& noteNumber) {
    noteNumber = -1;
    for (int numbered : {eNote, eKeyboard}) {
        const std::string_view name = CSingleScale::m_vstrKeys[numbered];
        if (!startsWithIgnoringCase(key, name)) continue;
        std::string_view number = key.substr(name.size());
        while (!number.empty() && (number.front() == ' ' || number.front() == '\t')) number.remove_prefix(1);
        // The number is read as strtol reads it: a sign belongs to it and whatever follows it is left.
        const std::size_t digits =
            !number.empty() && (number.front() == '+' || number.front() == '-') ? 1 : 0;
        if (number.size() <= digits || !isDigit(number[digits])) return 0;
        const int64_t n = LeadingInteger(number);
        if (n < 0 || n >= CSingleScale::kNotes) return 0;
        noteNumber = static_cast<int>(n);
        return numbered;
    }
    for (std::size_t i = 1; i < CSingleScale::m_vstrKeys.size(); ++i)
        if (equalsIgnoringCase(key, CSingleScale::m_vstrKeys[i])) return static_cast<int>(i);
    return 0;
}

bool CTunFileReader::fail(const char* text) {
    scale.errorText = text;
    return false;
}

int CTunFileReader::Read(std::istream& stream) {
    scale.Reset();
    for (int i = 0; i < CSingleScale::kNotes; ++i) {
        tuningCents[i] = 100 * i;
        exactCents[i] = 100.0 * i;
    }
    exactBaseFrequency = kNoteZeroHz;
    long lineNumber = 0;
    while (parser.GetLineAndTrim(stream, lineNumber)) {
        const std::string& line = parser.GetLine();
        if (line.empty() || line.front() == ';') continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const LineResult result = readSectionLine(std::string_view(line).substr(1, line.size() - 2));
            if (result == LineResult::eError) return -1;
            if (result == LineResult::eEnd) return finish();
            continue;
        }
        if (ignoreLines) continue;
        if (!readKeyLine(line)) return -1;
    }
    if (!datasetStarted) {
        fail(kNoDataset);
        return 0;
    }
    if (scale.info.formatVersion >= 200) {
        fail(kScaleEndMissing);
        return -1;
    }
    return finish();
}

bool CTunFileReader::sectionAllowed(int s) const {
    if (s == eUnknown) return true;
    const int64_t version = scale.info.formatVersion;
    if (version >= 200) return s >= eScaleBegin && s <= eAssignment;
    if (version >= 100) return s == eTuning || s == eExactTuning;
    return false;
}

CTunFileReader::LineResult CTunFileReader::readSectionLine(std::string_view inside) {
    const int s = LookupSection(inside);
    if (s == eScaleBegin) {
        datasetStarted = true;
        section = s;
        ignoreLines = false;
        return LineResult::eNext;
    }
    if (!datasetStarted) {
        // Version 1 files have no [Scale Begin].
        datasetStarted = true;
        scale.info.format = kFormatName;
        scale.info.formatVersion = 100;
        scale.info.formatSpecs = kVersion1Specs;
    }
    if (!sectionAllowed(s)) {
        fail(kNotCompliant);
        return LineResult::eError;
    }
    if (s == eScaleEnd) return LineResult::eEnd;
    section = s;
    ignoreLines = s == eUnknown || s == eEditorSpecifics;
    if (s == eTuning || s == eExactTuning || s == eFunctionalTuning) {
        if (s < highestTuningSection) {
            ignoreLines = true;
        } else if (!(s == eFunctionalTuning && scale.exactTuningPreference)) {
            // With the preference, formulas are still applied but never decide the result.
            highestTuningSection = s;
        }
    }
    return LineResult::eNext;
}

bool CTunFileReader::readKeyLine(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (!isLetterOrUnderscore(line.front()) || equals == std::string_view::npos) return fail(kSyntaxError);
    const std::string_view keyText = TrimTuningText(line.substr(0, equals));
    const std::string_view value = TrimTuningText(line.substr(equals + 1));
    int note = -1;
    const int key = LookupKey(keyText, note);
    switch (section) {
    case eScaleBegin:
        return readScaleBeginKey(key, value);
    case eInfo:
        return readInfoKey(key, value);
    case eTuning:
        return readTuningKey(key, note, value);
    case eExactTuning:
        return readExactTuningKey(key, note, value);
    case eFunctionalTuning:
        return readFunctionalTuningKey(key, note, value);
    case eMapping:
        return readMappingKey(key, note, value);
    case eAssignment:
        return readAssignmentKey(key, value);
    default:
        return true;
    }
}

bool CTunFileReader::readString(std::string_view value, std::string& text) {
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return fail(kStringExpected);
    text = UnescapeTunString(value.substr(1, value.size() - 2));
    return true;
}

bool CTunFileReader::readInteger(std::string_view value, int64_t& number) {
    if (!ParseInteger(value, number)) return fail(kIntegerExpected);
    return true;
}

bool CTunFileReader::readFloat(std::string_view value, double& number) {
    if (!ParseDecimal(value, number)) return fail(kFloatExpected);
    return true;
}

bool CTunFileReader::readScaleBeginKey(int key, std::string_view value) {
    CSingleScale::Info& info = scale.info;
    switch (key) {
    case eFormat:
        if (!readString(value, info.format)) return false;
        if (info.format != kFormatName) return fail(kFormatNotSupported);
        return true;
    case eFormatVersion:
        return readInteger(value, info.formatVersion);
    case eFormatSpecs:
        return readString(value, info.formatSpecs);
    default:
        return true;
    }
}

bool CTunFileReader::readInfoKey(int key, std::string_view value) {
    CSingleScale::Info& info = scale.info;
    if (key == eComposition) {
        std::string entry;
        if (!readString(value, entry)) return false;
        if (entry.empty()) return true;
        if (std::count(entry.begin(), entry.end(), '|') != 4) return fail(kCompositionMismatch);
        info.composition.push_back(std::move(entry));
        return true;
    }
    const auto field = std::find_if(kInfoFields.begin(), kInfoFields.end(),
                                    [key](const InfoField& f) { return f.key == key; });
    if (field == kInfoFields.end()) return true;
    std::string text;
    if (!readString(value, text)) return false;
    if (key == eDate && !isDate(text)) return fail(kDateMismatch);
    info.*(field->field) = std::move(text);
    return true;
}

bool CTunFileReader::readTuningKey(int key, int note, std::string_view value) {
    if (key != eNote) return true;
    return readInteger(value, tuningCents[note]);
}

bool CTunFileReader::readExactTuningKey(int key, int note, std::string_view value) {
    if (key == eBaseFreq) return readFloat(value, exactBaseFrequency);
    if (key != eNote) return true;
    if (!readFloat(value, exactCents[note])) return false;
    highestExactNote = std::max(highestExactNote, note);
    return true;
}

bool CTunFileReader::readFunctionalTuningKey(int key, int note, std::string_view value) {
    if (key == eInitEqual) return readInitEqual(value);
    if (key != eNote) return true;
    std::string text;
    if (!readString(value, text)) return false;
    CFormula formula(note);
    if (!formula.SetFromStr(text) || !formula.RefersToValidNotes()) return fail(kFormulaError);
    scale.AddFormula(formula);
    return true;
}

bool CTunFileReader::readInitEqual(std::string_view value) {
    if (value.size() < 2 || value.front() != '(' || value.back() != ')') return fail(kBlockExpected);
    const std::string_view inside = value.substr(1, value.size() - 2);
    const auto skipBlanks = [inside](std::size_t pos) {
        while (pos < inside.size() && (inside[pos] == ' ' || inside[pos] == '\t')) ++pos;
        return pos;
    };
    std::size_t pos = skipBlanks(0);
    int64_t note = 0;
    if (!ScanInteger(inside, pos, note)) return fail(kBlockExpected);
    pos = skipBlanks(pos);
    if (pos >= inside.size() || inside[pos] != ',') return fail(kCommaMissing);
    pos = skipBlanks(pos + 1);
    double frequency = 0.0;
    if (!ScanDecimal(inside, pos, frequency)) return fail(kBlockExpected);
    if (skipBlanks(pos) != inside.size()) return fail(kNoMoreData);
    scale.InitEqual(static_cast<long>(note), frequency);
    return true;
}

bool CTunFileReader::readMappingKey(int key, int note, std::string_view value) {
    if (key == eKeyboard) return readInteger(value, scale.keyboardMapping[note]);
    if (key != eLoopSize) return true;
    int64_t size = 0;
    if (!readInteger(value, size)) return false;
    scale.SetMappingLoopSize(static_cast<long>(size));
    return true;
}

bool CTunFileReader::readAssignmentKey(int key, std::string_view value) {
    if (key != eMIDIChannel) return true;
    std::string text;
    if (!readString(value, text)) return false;
    if (!scale.SetMIDIChannelsAssignment(text)) return fail(kChannelError);
    return true;
}

void CTunFileReader::setFromCents(double baseFrequency,
                                  const std::array<double, CSingleScale::kNotes>& cents) {
    scale.ResetKeyboardMapping();
    scale.baseNote = 0;
    scale.baseFrequency = baseFrequency;
    for (int i = 0; i < CSingleScale::kNotes; ++i) scale.frequencies[i] = Cents2Hz(cents[i], baseFrequency);
    // The formulas document the tuning; the frequencies above are already final.
    scale.formulas.clear();
    for (int i = CSingleScale::kNotes - 1; i >= 0; --i) {
        CFormula formula(i);
        formula.parameter1 = SRVParam::AbsoluteNote(0);
        formula.cents = cents[i];
        scale.formulas.push_back(formula);
    }
}

int CTunFileReader::finish() {
    std::array<double, CSingleScale::kNotes> cents{};
    switch (highestTuningSection) {
    case eFunctionalTuning:
        return 1;
    case eTuning:
        for (int i = 0; i < CSingleScale::kNotes; ++i) cents[i] = static_cast<double>(tuningCents[i]);
        setFromCents(kNoteZeroHz, cents);
        return 1;
    case eExactTuning:
        cents = exactCents;
        if (highestExactNote >= 0 && highestExactNote < CSingleScale::kNotes - 1) {
            // Notes above the highest one given repeat the given pattern, one period higher each time.
            const int h = highestExactNote;
            const double period = cents[h];
            for (int i = h; i < CSingleScale::kNotes; ++i) cents[i] = cents[i - h] + period;
        }
        setFromCents(exactBaseFrequency, cents);
        return 1;
    default:
        fail(kNoTuningData);
        return -1;
    }
}

} // namespace TUN
