#include "output/safe_names.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "output/ascii_case.h"

namespace tessaly {

namespace {

bool isRefusedOnWindows(char c) {
    return std::string_view(":*?\"<>|").find(c) != std::string_view::npos;
}

// Separators would leave the folder; control characters (a tab, a line
// break) have no place in a folder name on any system.
bool isReplacedEverywhere(char c) {
    return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
}

// CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9, in any case, with or without
// an extension.
bool isReservedDeviceName(std::string_view name) {
    static constexpr std::array<std::string_view, 4> kDevices{"CON", "PRN", "AUX", "NUL"};
    const std::string base = inAsciiUpperCase(name.substr(0, name.find('.')));
    if (std::find(kDevices.begin(), kDevices.end(), base) != kDevices.end()) {
        return true;
    }
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
           base[3] >= '1' && base[3] <= '9';
}

}  // namespace

std::string safeFolderName(const std::string& name, PathStyle style) {
    const bool windows = style == PathStyle::Windows;
    std::string safe = name;
    for (char& c : safe) {
        if (isReplacedEverywhere(c) || (windows && isRefusedOnWindows(c))) {
            c = '_';
        }
    }
    if (!safe.empty() && safe.find_first_not_of('.') == std::string::npos) {
        std::replace(safe.begin(), safe.end(), '.', '_');
    }
    if (windows && !safe.empty() && (safe.back() == ' ' || safe.back() == '.')) {
        safe.back() = '_';
    }
    if (windows && isReservedDeviceName(safe)) {
        // The device name is the part before the first dot, so the mark goes
        // there: "CON.txt" becomes "CON_.txt".
        safe.insert(std::min(safe.find('.'), safe.size()), 1, '_');
    }
    return safe;
}

}  // namespace tessaly
