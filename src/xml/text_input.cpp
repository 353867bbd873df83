#include "xml/text_input.h"

#include <cstring>

namespace tessaly {

TextInput::~TextInput() {
    close();
}

bool TextInput::open(const std::string& path) {
    close();
    // A NUL byte would cut the path short: such a path names no file.
    file_ = path.find('\0') == std::string::npos ? std::fopen(path.c_str(), "rb") : nullptr;
    if (!buffer_) {
        buffer_.reset(new char[kBlockSize]);
    }
    pos_ = end_ = 0;
    pendingCr_ = endSeen_ = failed_ = false;
    if (file_ == nullptr) {
        return false;
    }
    // Reading the first block is part of opening: a folder opens on some
    // systems but cannot be read, and counts as a file that cannot be opened.
    refill();
    if (failed_) {
        close();
        return false;
    }
    return true;
}

void TextInput::close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

bool TextInput::refill() {
    if (file_ == nullptr || endSeen_) {
        endSeen_ = true;
        return false;
    }
    char* const begin = buffer_.get();
    std::size_t count = 0;
    if (pendingCr_) {
        begin[0] = '\r';
        count = 1;
        pendingCr_ = false;
    }
    count += std::fread(begin + count, 1, kBlockSize - count, file_);
    if (count == 0) {
        failed_ = std::ferror(file_) != 0;
        endSeen_ = true;
        pos_ = end_ = 0;
        return false;
    }
    // Collapse CR LF to LF in place; a CR at the very end waits for the next
    // block, unless the file ends there.
    char* end = begin + count;
    if (end[-1] == '\r' && !std::feof(file_)) {
        --end;
        pendingCr_ = true;
    }
    // Each CR is found with memchr and the run of bytes up to it moved down
    // in one piece, so a block costs a few calls per line, not a test per byte.
    char* cr = static_cast<char*>(std::memchr(begin, '\r', end - begin));
    if (cr != nullptr) {
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
        end = out;
    }
    pos_ = 0;
    end_ = static_cast<std::size_t>(end - begin);
    if (end_ == 0) {
        return refill();  // a block that held only a pending CR
    }
    return true;
}

}  // namespace tessaly
