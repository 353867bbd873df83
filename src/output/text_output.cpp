#include "output/text_output.h"

#include "platform/one_line.h"

namespace tessaly {

bool TextOutput::close() {
    if (!closed_) {
        ok_ = file_->close() && ok_;
        closed_ = true;
    }
    return ok_;
}

void TextOutput::write(std::string_view text) {
    std::size_t start = 0;
    for (std::size_t lf; (lf = text.find('\n', start)) != std::string_view::npos; start = lf + 1) {
        ok_ = file_->write(text.substr(start, lf - start)) && file_->write("\r\n") && ok_;
    }
    ok_ = file_->write(text.substr(start)) && ok_;
}

void TextOutput::line(std::string_view text) {
    ok_ = file_->write(asOneLine(text)) && file_->write("\r\n") && ok_;
}

void TextOutput::flush() {
    ok_ = file_->flush() && ok_;
}

// A file that has lost a write is never used: it is not synced.
void TextOutput::sync() {
    ok_ = ok_ && file_->sync();
}

}  // namespace tessaly
