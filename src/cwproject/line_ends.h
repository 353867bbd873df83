// Line ends as an export's text reads them: the IDEs wrote CR (Mac OS) or
// CR LF (Windows), and every reader here takes LF.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// CR LF and a lone CR each become one LF.
inline std::string withLfLineEnds(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            result += text[i];
        } else if (i + 1 == text.size() || text[i + 1] != '\n') {
            result += '\n';
        }
    }
    return result;
}

}  // namespace tessaly
