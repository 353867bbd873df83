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

// Where the longest tail of `pieces` no longer than `limit`, joined with one
// separator between pieces, starts; pieces.size() when none fits. Tails only
// grow towards the front, so the first that is too long ends the search.
std::size_t firstPieceThatFits(const std::vector<std::string>& pieces, std::size_t limit) {
    std::size_t first = pieces.size();
    for (std::size_t length = 0; first > 0; --first) {
        const std::size_t separator = first < pieces.size() ? 1 : 0;
        if (pieces[first - 1].size() + separator > limit - length) {
            break;
        }
        length += pieces[first - 1].size() + separator;
    }
    return first;
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

// The longest tail that fits is joined once; each shorter one is its end,
// so a candidate costs its own length and the search no more than the
// limit allows, however many pieces the text has.
std::string findMovedFolder(Platform& platform, const std::string& joined,
                            const std::vector<std::string>& pieces, const std::string& projectRoot,
                            LetterCaseMatcher* letterCase) {
    if (isFolder(platform, joined)) {
        return joined;
    }
    const std::size_t first = firstPieceThatFits(pieces, platform.maxPathLength());
    std::string tail;
    for (std::size_t i = first; i < pieces.size(); ++i) {
        tail += pieces[i];
        if (i + 1 < pieces.size()) {
            tail += platform.separator();
        }
    }
    std::string_view rest = tail;
    for (std::size_t i = first; i < pieces.size(); ++i) {
        std::string candidate = projectRoot;
        candidate += rest;
        if (isFolder(platform, candidate)) {
            return candidate;
        }
        if (letterCase != nullptr) {
            const auto found = letterCase->inAnyCase(projectRoot, rest);
            if (found && isFolder(platform, *found)) {
                return *found;
            }
        }
        rest.remove_prefix(std::min(pieces[i].size() + 1, rest.size()));
    }
    return joined;
}

}  // namespace tessaly
