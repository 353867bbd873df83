#include "mcp/export_opening.h"

namespace tessaly {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kRootElement = "PROJECT";

bool isXmlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool endsName(char c) {
    return isXmlBlank(c) || c == '>' || c == '/';
}

// Where the markup that starts at `at` ("<?", "<!--" or another "<!") ends,
// just past it; npos when the text ends first. A declaration's internal
// subset ("[...]") holds declarations of its own.
std::size_t pastMarkup(std::string_view text, std::size_t at) {
    if (text.substr(at, 2) == "<?") {
        const std::size_t end = text.find("?>", at + 2);
        return end == std::string_view::npos ? end : end + 2;
    }
    if (text.substr(at, 4) == "<!--") {
        const std::size_t end = text.find("-->", at + 4);
        return end == std::string_view::npos ? end : end + 3;
    }
    std::size_t depth = 0;
    for (std::size_t i = at + 2; i < text.size(); ++i) {
        if (text[i] == '[') {
            ++depth;
        } else if (text[i] == ']' && depth > 0) {
            --depth;
        } else if (text[i] == '>' && depth == 0) {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

// The first element's name at `at` (just past its "<").
Opening openingElement(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && !endsName(text[end])) {
        ++end;
    }
    const std::string_view name = text.substr(at, end - at);
    if (end == text.size()) {
        return kRootElement.starts_with(name) ? Opening::Undecided : Opening::NotExport;
    }
    return name == kRootElement ? Opening::Export : Opening::NotExport;
}

}  // namespace

Opening exportOpening(std::string_view text) {
    std::size_t at = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    for (;;) {
        while (at < text.size() && isXmlBlank(text[at])) {
            ++at;
        }
        if (at + 1 >= text.size()) {
            return at == text.size() || text[at] == '<' ? Opening::Undecided : Opening::NotExport;
        }
        if (text[at] != '<') {
            return Opening::NotExport;
        }
        if (text[at + 1] != '?' && text[at + 1] != '!') {
            return openingElement(text, at + 1);
        }
        at = pastMarkup(text, at);
        if (at == std::string_view::npos) {
            return Opening::Undecided;
        }
    }
}

}  // namespace tessaly
