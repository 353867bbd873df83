#include "xml/xml_reader.h"

#include <cstring>

#include "xml/entities.h"

namespace tessaly {

namespace {

bool isWhitespace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

void XmlReader::open(std::unique_ptr<InputFile> file) {
    if (!file) {
        throw XMLReaderError(ErrorCode::CannotOpen);
    }
    input_.open(std::move(file));
    kind_ = TokenKind::None;
}

int XmlReader::getOrThrow() {
    const int c = input_.get();
    if (c == TextInput::kEnd) {
        throw XMLReaderError(ErrorCode::UnexpectedEnd);
    }
    return c;
}

// Scans the buffered block directly; the end of the input inside the
// whitespace is an unexpected end.
void XmlReader::skipWhitespace() {
    for (;;) {
        if (!input_.fill()) {
            throw XMLReaderError(ErrorCode::UnexpectedEnd);
        }
        const char* begin = input_.data();
        const std::size_t count = input_.available();
        std::size_t skipped = 0;
        while (skipped < count && isWhitespace(static_cast<unsigned char>(begin[skipped]))) {
            ++skipped;
        }
        input_.skip(skipped);
        if (skipped < count) {
            return;
        }
    }
}

// Appends everything up to the delimiter to the token text, scanning whole
// buffer blocks at a time. The delimiter is left unread.
void XmlReader::readUntil(char delimiter) {
    for (;;) {
        if (!input_.fill()) {
            throw XMLReaderError(ErrorCode::UnexpectedEnd);
        }
        const char* begin = input_.data();
        const std::size_t count = input_.available();
        const void* found = std::memchr(begin, delimiter, count);
        const std::size_t length =
            found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - begin)
                             : count;
        tokenText_.append(begin, length);
        input_.skip(length);
        if (found != nullptr) {
            return;
        }
    }
}

// The body of a declaration, comment or processing instruction: inner angle
// brackets nest, so a document type declaration with an internal subset is
// one token.
void XmlReader::readSpecialBody() {
    int depth = 0;
    for (;;) {
        const int c = getOrThrow();
        if (c == '<') {
            ++depth;
        } else if (c == '>') {
            if (depth == 0) {
                return;
            }
            --depth;
        }
        tokenText_.push_back(static_cast<char>(c));
    }
}

void XmlReader::nextToken() {
    kind_ = TokenKind::None;
    token_ = {};
    skipWhitespace();
    if (!good()) {
        throw XMLReaderError(ErrorCode::UnexpectedEnd);
    }
    if (!scanBufferedToken()) {
        readTokenAcrossBlocks();
    }
}

// The common case: the whole token lies in the buffered block, so it is
// found by scanning the block in place and kept as a view into it. False,
// with nothing consumed, when the token reaches past the block or is a
// special token (rare, and read with its nesting by the general path).
bool XmlReader::scanBufferedToken() {
    const char* const start = input_.data();
    const char* const end = start + input_.available();
    if (*start != '<') {
        const auto* lt = static_cast<const char*>(std::memchr(start, '<', end - start));
        if (lt == nullptr) {
            return false;
        }
        kind_ = TokenKind::Text;
        token_ = std::string_view(start, lt - start);
        input_.skip(lt - start);
        return true;
    }
    if (end - start < 2 || start[1] == '!' || start[1] == '&' || start[1] == '?') {
        return false;
    }
    const char* const name = start + (start[1] == '/' ? 2 : 1);
    const char* gt = name;
    while (gt < end && *gt != '>') {  // tag names are short: a plain loop beats memchr
        ++gt;
    }
    if (gt == end) {
        return false;
    }
    kind_ = start[1] == '/' ? TokenKind::CloseTag : TokenKind::OpenTag;
    token_ = std::string_view(name, gt - name);
    input_.skip(gt + 1 - start);
    return true;
}

// A token that spans blocks, or a special one: gathered into tokenText_.
void XmlReader::readTokenAcrossBlocks() {
    tokenText_.clear();
    const int c = getOrThrow();
    if (c != '<') {
        tokenText_.push_back(static_cast<char>(c));
        readUntil('<');
        kind_ = TokenKind::Text;
    } else {
        const int d = getOrThrow();
        switch (d) {
            case '/':
                readUntil('>');
                input_.get();
                kind_ = TokenKind::CloseTag;
                break;
            case '!':
            case '&':
            case '?':
                readSpecialBody();
                kind_ = TokenKind::Special;
                break;
            case '>':
                kind_ = TokenKind::OpenTag;
                break;
            default:
                tokenText_.push_back(static_cast<char>(d));
                readUntil('>');
                input_.get();
                kind_ = TokenKind::OpenTag;
                break;
        }
    }
    token_ = tokenText_;
}

void XmlReader::ensureToken() {
    if (kind_ == TokenKind::None) {
        nextToken();
    }
}

// Tag helpers pass over declarations, comments and processing instructions.
void XmlReader::nextElementToken() {
    ensureToken();
    while (kind_ == TokenKind::Special) {
        nextToken();
    }
}

bool XmlReader::readText(std::string& out) {
    ensureToken();
    if (kind_ == TokenKind::Text) {
        // Most texts hold no entity: copied into the caller's string, whose
        // storage is reused from one element to the next.
        if (token_.find('&') == std::string_view::npos) {
            out.assign(token_);
        } else {
            out = decodePredefinedEntities(token_);
        }
        kind_ = TokenKind::None;
        return true;
    }
    if (kind_ == TokenKind::CloseTag) {
        out.clear();
        return true;
    }
    return false;
}

bool XmlReader::readSpecial(std::string& out) {
    ensureToken();
    if (kind_ == TokenKind::Special) {
        out.assign(token_);
        kind_ = TokenKind::None;
        return true;
    }
    return false;
}

bool XmlReader::skipElementContent(std::string_view name) {
    std::size_t depth = 0;
    for (;; kind_ = TokenKind::None) {
        ensureToken();
        if (kind_ == TokenKind::OpenTag) {
            const bool selfClosing = !token_.empty() && token_.back() == '/';
            depth += selfClosing ? 0 : 1;
        } else if (kind_ == TokenKind::CloseTag) {
            if (depth == 0) {
                break;
            }
            --depth;
        }
    }
    if (token_ != name) {
        return false;
    }
    kind_ = TokenKind::None;
    return true;
}

}  // namespace tessaly
