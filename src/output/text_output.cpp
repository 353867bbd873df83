#include "output/text_output.h"

namespace tessaly {

bool TextOutput::open(const std::string& path) {
    close();
    // A NUL byte would cut the path short: such a path names no file.
    file_ = path.find('\0') == std::string::npos ? std::fopen(path.c_str(), "wb") : nullptr;
    if (file_ != nullptr) {
        std::setvbuf(file_, nullptr, _IOFBF, 64 * 1024);
    }
    return file_ != nullptr;
}

void TextOutput::close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void TextOutput::write(std::string_view text) {
    std::size_t start = 0;
    for (std::size_t lf; (lf = text.find('\n', start)) != std::string_view::npos; start = lf + 1) {
        std::fwrite(text.data() + start, 1, lf - start, file_);
        std::fwrite("\r\n", 1, 2, file_);
    }
    std::fwrite(text.data() + start, 1, text.size() - start, file_);
}

bool createEmptyFile(const std::string& path) {
    TextOutput file;
    return file.open(path);
}

}  // namespace tessaly
