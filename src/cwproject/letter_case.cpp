#include "cwproject/letter_case.h"

#include <algorithm>

#include "output/ascii_case.h"

namespace tessaly {

namespace {

// "." and ".." name the folder and its parent in every letter case, and an
// empty piece (a doubled separator) names nothing of its own.
bool namesItself(std::string_view piece) {
    return piece.empty() || piece == "." || piece == "..";
}

}  // namespace

bool ignoresLetterCase(std::string_view format) {
    return format == "MacOS" || format == "Windows";
}

LetterCaseMatcher::LetterCaseMatcher(Platform& platform) : platform_(platform) {}

std::optional<std::string> LetterCaseMatcher::inAnyCase(const std::string& base,
                                                        std::string_view relative) {
    if (!platform_.tellsLetterCaseApart()) {
        return std::nullopt;
    }
    const char separator = platform_.separator();
    std::string path = base;
    for (;;) {
        const std::size_t end = std::min(relative.find(separator), relative.size());
        const std::string_view piece = relative.substr(0, end);
        if (namesItself(piece)) {
            path += piece;
        } else if (path.empty()) {
            return std::nullopt;  // a relative text with no folder to look in
        } else {
            const Entries& entries = entriesOf(path);
            if (entries.names.contains(std::string(piece))) {
                path += piece;
            } else if (const auto it = entries.byUpperCase.find(inAsciiUpperCase(piece));
                       it != entries.byUpperCase.end()) {
                path += it->second;
            } else {
                return std::nullopt;
            }
        }
        if (end == relative.size()) {
            return path;
        }
        path += separator;
        relative.remove_prefix(end + 1);
    }
}

// A folder is known by its path without its final separators, so that the
// project folder, reached as "dir/" by a reference and as "dir//" by an
// access path, is listed once.
const LetterCaseMatcher::Entries& LetterCaseMatcher::entriesOf(const std::string& folder) {
    std::string listed = folder;  // a root keeps its own separator
    while (listed.size() > 1 && listed.back() == platform_.separator() &&
           listed[listed.size() - 2] != ':') {
        listed.pop_back();
    }
    const auto known = folders_.find(listed);
    if (known != folders_.end()) {
        return known->second;
    }
    Entries& entries = folders_[listed];
    std::vector<std::string> names;
    platform_.listDirectory(listed, names);
    std::sort(names.begin(), names.end());
    for (std::string& name : names) {
        entries.byUpperCase.emplace(inAsciiUpperCase(name), name);  // the first in byte order stays
        entries.names.insert(std::move(name));
    }
    return entries;
}

}  // namespace tessaly
