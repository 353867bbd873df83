// Every line the program generates, in the project file, the personalities
// and on the console, stays one line. A text from the export may hold a CR or
// an LF; written as it is, it would add lines of its own, which the analyser
// reads as settings of their own (a second output path, an include folder).
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The text with each CR and each LF replaced by one blank.
inline std::string asOneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return line;
}

}  // namespace tessaly
