// Letter case as the converter ignores it: only the ASCII letters a to z
// and A to Z are matched; every other byte is compared as it is.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

constexpr char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string inAsciiUpperCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = upperAscii(c);
    }
    return result;
}

inline std::string inAsciiLowerCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = lowerAscii(c);
    }
    return result;
}

constexpr bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upperAscii(a[i]) != upperAscii(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace tessaly
