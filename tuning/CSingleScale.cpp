#include "tuning/CSingleScale.h"

#include "tuning/CTunFileReader.h"
#include "tuning/TunNumbers.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace TUN {
namespace {

constexpr long kMaxChannel = 65535;

bool parseChannelItem(std::string_view item, CMIDIChannelRange& range) {
    const std::size_t dash = item.find('-');
    int64_t first = 0;
    int64_t last = 0;
    if (dash == std::string_view::npos) {
        if (!ParseInteger(item, first)) return false;
        last = first;
    } else if (!ParseInteger(item.substr(0, dash), first) || !ParseInteger(item.substr(dash + 1), last)) {
        return false;
    }
    if (first < 1 || first > last || last > kMaxChannel) return false;
    range = {static_cast<long>(first), static_cast<long>(last)};
    return true;
}

} // namespace

CSingleScale::CSingleScale() {
    Reset();
}

void CSingleScale::Reset() {
    errorText.clear();
    info = Info{};
    channelRanges.clear();
    InitEqual(69, 440.0);
    ResetKeyboardMapping();
}

int CSingleScale::Read(const char* path) {
    std::ifstream file;
    if (path != nullptr) file.open(path, std::ios::in | std::ios::binary);
    if (!file.is_open()) {
        Reset();
        errorText = "Error opening the file.";
        return 0;
    }
    CStringParser parser;
    return Read(file, parser);
}

int CSingleScale::Read(std::istream& stream, CStringParser& parser) {
    CTunFileReader reader(*this, parser);
    return reader.Read(stream);
}

void CSingleScale::InitEqual(long note, double frequency) {
    baseNote = note;
    baseFrequency = frequency;
    frequencies.assign(kNotes, 0.0);
    for (int i = 0; i < kNotes; ++i)
        frequencies[i] = frequency * std::pow(2.0, (i - static_cast<double>(note)) / 12.0);
    formulas.clear();
}

void CSingleScale::ResetKeyboardMapping() {
    for (int i = 0; i < kNotes; ++i) keyboardMapping[i] = i;
    mappingLoopSize = 0;
}

void CSingleScale::SetMappingLoopSize(long size) {
    mappingLoopSize = std::max(size, 0L);
}

long CSingleScale::MapMIDI2Scale(long note) const {
    const long key = std::clamp(note, 0L, static_cast<long>(kNotes - 1));
    if (mappingLoopSize <= 0) return static_cast<long>(keyboardMapping[key]);
    const int64_t r = key % mappingLoopSize; // never above key, so always a valid index
    const int64_t entry = keyboardMapping[r];
    const int64_t octaveStart = key - r;
    // Entries are stored as read; stay clear of overflow before clamping.
    if (entry >= kNotes) return kNotes - 1;
    if (entry <= -kNotes) return 0;
    return static_cast<long>(std::clamp<int64_t>(octaveStart + entry, 0, kNotes - 1));
}

void CSingleScale::AddFormula(const CFormula& formula) {
    formula.Apply(frequencies);
    formulas.push_back(formula);
}

bool CSingleScale::SetMIDIChannelsAssignment(std::string_view text) {
    std::string compact;
    for (char c : text)
        if (c != ' ' && c != '\t') compact.push_back(c);
    std::vector<CMIDIChannelRange> ranges;
    std::string_view rest = compact;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        CMIDIChannelRange range;
        if (!parseChannelItem(rest.substr(0, comma), range)) return false;
        ranges.push_back(range);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
        if (rest.empty()) return false; // a trailing comma leaves an empty item
    }
    channelRanges = std::move(ranges);
    return true;
}

bool CSingleScale::AppliesToChannel(long channel) const {
    if (channelRanges.empty()) return true;
    return std::any_of(channelRanges.begin(), channelRanges.end(), [channel](const CMIDIChannelRange& r) {
        return channel >= r.first && channel <= r.last;
    });
}

double CSingleScale::GetFrequency(long note) const {
    return frequencies[static_cast<std::size_t>(std::clamp(note, 0L, static_cast<long>(kNotes - 1)))];
}

int64_t CSingleScale::GetKeyboardMapping(long note) const {
    return keyboardMapping[static_cast<std::size_t>(std::clamp(note, 0L, static_cast<long>(kNotes - 1)))];
}

} // namespace TUN
