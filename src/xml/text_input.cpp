#include "xml/text_input.h"

#include <cstring>
#include <filesystem>
#include <system_error>

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
    // A file larger than a block is read ahead. Only a regular file: a read
    // from a pipe can wait for ever, and the input may be closed before its end.
    std::error_code error;
    if (!endSeen_ && !std::feof(file_) && std::filesystem::is_regular_file(path, error)) {
        try {
            readAhead_ = std::make_unique<ReadAhead>(
                kBlockSize, [this](char* buffer) { return fillBlock(buffer); });
        } catch (const std::system_error&) {
            // No thread to be had: the blocks are read as they are needed.
        }
    }
    return true;
}

void TextInput::close() {
    readAhead_.reset();  // the worker stops before the file goes
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
    const FilledBlock block = readAhead_ ? readAhead_->next(buffer_) : fillBlock(buffer_.get());
    pos_ = 0;
    end_ = block.length;
    if (block.last) {
        endSeen_ = true;
        failed_ = block.failed;
        return false;
    }
    return true;
}

FilledBlock TextInput::fillBlock(char* begin) {
    for (;;) {
        std::size_t count = 0;
        if (pendingCr_) {
            begin[0] = '\r';
            count = 1;
            pendingCr_ = false;
        }
        count += std::fread(begin + count, 1, kBlockSize - count, file_);
        if (count == 0) {
            return FilledBlock{0, true, std::ferror(file_) != 0};
        }
        // A CR at the very end waits for the next block, unless the file
        // ends there.
        char* end = begin + count;
        if (end[-1] == '\r' && !std::feof(file_)) {
            --end;
            pendingCr_ = true;
        }
        end = collapseCrLf(begin, end);
        if (end != begin) {  // else the block held only a pending CR
            return FilledBlock{static_cast<std::size_t>(end - begin), false, false};
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
