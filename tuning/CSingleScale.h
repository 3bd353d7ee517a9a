#pragma once

#include "tuning/CFormula.h"
#include "tuning/CMIDIChannelRange.h"
#include "tuning/CStringParser.h"

#include <array>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace TUN {

class CTunFileReader;

// One tuning: 128 note frequencies, the keyboard mapping from MIDI notes to scale notes, the
// functional-tuning formulas that produced the frequencies, and the descriptive texts of the file.
class CSingleScale {
public:
    static constexpr int kNotes = 128;

    // Index 0 stands for a name not in the table.
    static constexpr std::array<std::string_view, 11> m_vstrSections{
        "",         "Scale Begin",  "Scale End",         "Info",    "Editor Specifics",
        "Tuning",   "Exact Tuning", "Functional Tuning", "Mapping", "Assignment",
        "_DataSet_"};
    static constexpr std::array<std::string_view, 27> m_vstrKeys{
        "",         "Format",    "FormatVersion", "FormatSpecs", "Name",        "ID",          "Filename",
        "Author",   "Location",  "Contact",       "Date",        "Editor",      "EditorSpecs", "Description",
        "Keyword",  "History",   "Geography",     "Instrument",  "Composition", "Comments",    "Note",
        "BaseFreq", "InitEqual", "LoopSize",      "Keyboard",    "MIDIChannel", "AllData"};

    // The descriptive texts of [Scale Begin] and [Info].
    struct Info {
        std::string name, id, filename, author, location, contact, editor, editorSpecs, description;
        std::string keyword, history, geography, instrument, comments, date;
        std::vector<std::string> composition;
        std::string format, formatSpecs;
        int64_t formatVersion = 0;
    };

    CSingleScale();

    void Reset();
    // 1 on success, 0 when the file cannot be opened or holds no scale dataset, -1 on any other error
    // (the text is in GetErrorText()). What was read before an error stays.
    int Read(const char* path);
    int Read(std::istream& stream, CStringParser& parser);

    void InitEqual(long note, double frequency);
    void ResetKeyboardMapping();
    void SetMappingLoopSize(long size);
    // Scale note of a MIDI note. Mapping values are stored as the file gives them: callers clamp.
    long MapMIDI2Scale(long note) const;
    void AddFormula(const CFormula& formula);
    bool SetMIDIChannelsAssignment(std::string_view text);
    bool AppliesToChannel(long channel) const;

    void SetExactTuningPreference(bool preferExact) { exactTuningPreference = preferExact; }
    bool GetExactTuningPreference() const { return exactTuningPreference; }
    const std::string& GetErrorText() const { return errorText; }
    const Info& GetInfo() const { return info; }
    const std::vector<double>& GetFrequencies() const { return frequencies; }
    double GetFrequency(long note) const;
    long GetBaseNote() const { return static_cast<long>(baseNote); }
    double GetBaseFreq() const { return baseFrequency; }
    const std::vector<CFormula>& GetFormulas() const { return formulas; }
    int64_t GetKeyboardMapping(long note) const;
    long GetMappingLoopSize() const { return static_cast<long>(mappingLoopSize); }
    const std::vector<CMIDIChannelRange>& GetMIDIChannelRanges() const { return channelRanges; }

private:
    friend class CTunFileReader;

    bool exactTuningPreference = false;
    std::string errorText;
    Info info;
    std::vector<CMIDIChannelRange> channelRanges;
    int64_t baseNote = 69;
    double baseFrequency = 440.0;
    std::vector<double> frequencies;
    std::vector<CFormula> formulas;
    std::array<int64_t, kNotes> keyboardMapping{};
    int64_t mappingLoopSize = 0;
};

} // namespace TUN
