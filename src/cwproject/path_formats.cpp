#include "cwproject/path_formats.h"

#include <algorithm>

namespace tessaly {

namespace {

std::string relativeMacOsPath(std::string_view text, char separator) {
    std::string result;
    std::string_view rest = text.substr(1);  // the leading ':' marks the text as relative
    for (;;) {
        const std::size_t colon = rest.find(':');
        const std::string_view piece = rest.substr(0, colon);
        const bool last = colon == std::string_view::npos;
        if (last && piece.empty()) {
            break;  // the text ended in ':'
        }
        if (!result.empty()) {
            result += separator;
        }
        result += piece.empty() ? std::string_view("..") : piece;
        if (last) {
            break;
        }
        rest.remove_prefix(colon + 1);
    }
    return result;
}

std::string replaced(std::string_view text, char from, char to) {
    std::string result(text);
    std::replace(result.begin(), result.end(), from, to);
    return result;
}

}  // namespace

std::string inHostForm(std::string_view text, std::string_view format, PathStyle host) {
    if (format == "MacOS") {
        const bool relative = !text.empty() && text.front() == ':';
        return relative ? relativeMacOsPath(text, host == PathStyle::Windows ? '\\' : '/')
                        : std::string(text);
    }
    if (format == "Windows" && host == PathStyle::Posix) {
        return replaced(text, '\\', '/');
    }
    if (format == "Unix" && host == PathStyle::Windows) {
        return replaced(text, '/', '\\');
    }
    return std::string(text);
}

}  // namespace tessaly
