#pragma once

#include <istream>
#include <string>

namespace TUN {

// Reads the text lines of one tuning file. Files come with LF, CR or CR LF line ends, and some carry
// NUL bytes; whichever of NUL, LF and CR appears first decides what counts as a new line for the
// line counter (its later occurrences count), and CR LF simply yields an empty line after every line
// (readers skip empty lines).
class CStringParser {
public:
    // Reads the next line into GetLine(), trimmed of tab, LF, VT, FF, CR and blank at both ends.
    // False only when the stream holds no more characters.
    bool GetLineAndTrim(std::istream& stream, long& lineNumber);
    const std::string& GetLine() const { return line; }

private:
    std::string line;
    char lineEnd = 0;
    bool lineEndKnown = false;
};

// Removes the six white-space characters of tuning files from both ends.
std::string_view TrimTuningText(std::string_view text);

} // namespace TUN
