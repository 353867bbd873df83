// What version control does to a binary file that it takes for text, for
// the tests to do the same to files they hold or build.
#pragma once

#include <algorithm>
#include <string>

namespace tessaly::testing {

// A Mac OS check-in: every CR byte made LF.
inline std::string withCrAsLf(std::string bytes) {
    std::replace(bytes.begin(), bytes.end(), '\r', '\n');
    return bytes;
}

// A checkout on Windows: a CR before each LF that has none.
inline std::string withCrBeforeLf(const std::string& bytes) {
    std::string grown;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        if (bytes[at] == '\n' && (at == 0 || bytes[at - 1] != '\r')) {
            grown += '\r';
        }
        grown += bytes[at];
    }
    return grown;
}

}  // namespace tessaly::testing
