// The token reader over an exported project. It reads the subset of XML that
// the exporter writes: elements without attributes, text between tags, and
// declarations, comments and processing instructions ("special" tokens),
// which the tag helpers pass over. One token of look-ahead is kept: a helper
// that refuses the pending token leaves it untouched for the next helper, so
// element readers can try alternatives and treat sections as optional.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

#include "platform/messages.h"
#include "xml/text_input.h"

namespace tessaly {

// Thrown by value; the code is the whole message: ErrorCode::UnexpectedEnd
// or ErrorCode::CannotOpen.
class XMLReaderError {
  public:
    explicit XMLReaderError(ErrorCode code) : code_(code) {}
    ErrorCode code() const { return code_; }

  private:
    ErrorCode code_;
};

enum class TokenKind { None = 0, OpenTag = 1, CloseTag = 2, Text = 3, Special = 4 };

class XmlReader {
  public:
    XmlReader() = default;

    // Reads from the file; throws XMLReaderError(CannotOpen) when there is
    // none (it could not be opened).
    void open(std::unique_ptr<InputFile> file);
    // Neither at the end of the input nor failed.
    bool good() const { return !input_.atEnd() && !input_.failed(); }
    // The pending (or last refused) token as written in the file.
    std::string currentText() const { return std::string(token_); }
    TokenKind currentKind() const { return kind_; }

    bool expectOpenTag(std::string_view name) { return expectTag(TokenKind::OpenTag, name); }
    bool expectCloseTag(std::string_view name) { return expectTag(TokenKind::CloseTag, name); }
    // The text of the current element, with the predefined entities decoded;
    // an element with nothing but whitespace reads as the empty text.
    bool readText(std::string& out);
    bool readSpecial(std::string& out);
    // After an accepted open tag: passes over everything up to the matching
    // close tag `name` and consumes it. Nested elements are counted, not
    // recursed into; tags may carry attributes. False, with the token
    // pending, when the close tag at the element's own level has another name.
    bool skipElementContent(std::string_view name);

  private:
    // Inline, so that comparing with a literal name compiles to a few word
    // compares: the grammar tries many optional elements per token. A
    // pending tag token always has text storage, empty or not.
    bool expectTag(TokenKind kind, std::string_view name) {
        if (kind_ == TokenKind::None || kind_ == TokenKind::Special) {
            nextElementToken();
        }
        if (kind_ != kind || token_.size() != name.size() ||
            std::memcmp(token_.data(), name.data(), name.size()) != 0) {
            return false;
        }
        kind_ = TokenKind::None;
        return true;
    }
    void nextElementToken();
    void ensureToken();
    void nextToken();
    bool scanBufferedToken();
    void readTokenAcrossBlocks();
    void skipWhitespace();
    int getOrThrow();
    void readUntil(char delimiter);
    void readSpecialBody();

    // The pending token's text. It points into the input's block while the
    // token lies wholly in it (no block is read while a token is pending),
    // and into tokenText_ when the token had to be gathered across blocks.
    std::string_view token_;
    std::string tokenText_;
    TokenKind kind_ = TokenKind::None;
    TextInput input_;
};

}  // namespace tessaly
