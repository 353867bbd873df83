#include "cwproject/moved_folders.h"

#include <algorithm>

namespace tessaly {

namespace {

// The pieces between any of `separators`, without the empty ones, "." and "..".
std::vector<std::string> namedPieces(std::string_view text, std::string_view separators) {
    std::vector<std::string> pieces;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of(separators), text.size());
        const std::string_view piece = text.substr(0, end);
        if (!piece.empty() && piece != "." && piece != "..") {
            pieces.emplace_back(piece);
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return pieces;
}

bool startsWithDrive(std::string_view text) {
    return text.size() >= 2 && text[1] == ':' &&
           ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
}

bool isFolder(Platform& platform, const std::string& path) {
    return platform.directoryFacts(path).has_value();
}

}  // namespace

std::optional<std::vector<std::string>> movedFolderPieces(std::string_view text,
                                                          std::string_view format) {
    if (format == "MacOS") {
        const std::size_t colon = text.find(':');
        if (colon != std::string_view::npos && colon != 0) {
            return namedPieces(text.substr(colon + 1), ":");  // after the volume
        }
        if (text.starts_with("::")) {
            return namedPieces(text, ":");
        }
    } else if (format == "Windows") {
        if (startsWithDrive(text)) {
            return namedPieces(text.substr(2), "\\/");
        }
        if (text.starts_with('\\') || text.starts_with("..\\")) {
            return namedPieces(text, "\\/");
        }
    }
    return std::nullopt;
}

std::string findMovedFolder(Platform& platform, const std::string& joined,
                            const std::vector<std::string>& pieces,
                            const std::string& projectRoot) {
    if (isFolder(platform, joined)) {
        return joined;
    }
    const char separator = platform.separator();
    for (std::size_t first = 0; first < pieces.size(); ++first) {
        std::string candidate = projectRoot;
        for (std::size_t i = first; i < pieces.size(); ++i) {
            candidate += pieces[i];
            if (i + 1 < pieces.size()) {
                candidate += separator;
            }
        }
        if (isFolder(platform, candidate)) {
            return candidate;
        }
    }
    return joined;
}

}  // namespace tessaly
