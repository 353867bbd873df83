#include "xml/text_input.h"

#include <cstring>

namespace tessaly {

void TextInput::open(std::unique_ptr<InputFile> file) {
    file_ = std::move(file);
    if (!buffer_) {
        buffer_.reset(new char[kBlockSize]);
    }
    pos_ = end_ = 0;
    pendingCr_ = failed_ = false;
    endSeen_ = file_ == nullptr;
}

bool TextInput::refill() {
    if (endSeen_) {
        return false;
    }
    pos_ = 0;
    end_ = fillBlock();
    if (end_ == 0) {
        endSeen_ = true;
        failed_ = file_->failed();
        file_.reset();
        return false;
    }
    return true;
}

std::size_t TextInput::fillBlock() {
    char* const begin = buffer_.get();
    for (;;) {
        std::size_t count = 0;
        if (pendingCr_) {
            begin[0] = '\r';
            count = 1;
            pendingCr_ = false;
        }
        const std::size_t got = file_->read(begin + count, kBlockSize - count);
        count += got;
        if (count == 0) {
            return 0;
        }
        // A CR at the end of a read may start a CR LF pair that the next read
        // completes: it waits, unless the file ended there.
        char* end = begin + count;
        if (got != 0 && end[-1] == '\r') {
            --end;
            pendingCr_ = true;
        }
        end = collapseCrLf(begin, end);
        if (end != begin) {  // else the read held only a pending CR
            return static_cast<std::size_t>(end - begin);
        }
    }
}

// Each CR is found with memchr and the run of bytes up to it moved down in
// one piece, so a block costs a few calls per line, not a test per byte.
char* TextInput::collapseCrLf(char* begin, char* end) {
    char* cr = static_cast<char*>(std::memchr(begin, '\r', end - begin));
    if (cr == nullptr) {
        return end;
    }
    char* out = cr;
    char* in = cr;
    while (in < end) {
        // `in` is at a CR: a CR LF pair drops the CR, a lone CR stays.
        if (in + 1 < end && in[1] == '\n') {
            ++in;
        } else {
            *out++ = *in++;
        }
        char* next = static_cast<char*>(std::memchr(in, '\r', end - in));
        char* stop = next != nullptr ? next : end;
        std::memmove(out, in, stop - in);
        out += stop - in;
        in = stop;
    }
    return out;
}

}  // namespace tessaly
