#include "platform/stdio_files.h"

#include "platform/interrupts.h"

namespace tessaly {
namespace {

class StdioInputFile final : public InputFile {
  public:
    explicit StdioInputFile(std::FILE* file) : file_(file) {}
    ~StdioInputFile() override { std::fclose(file_); }

    std::size_t read(char* buffer, std::size_t size) override {
        throwIfInterrupted();
        return std::fread(buffer, 1, size, file_);
    }
    bool failed() const override { return std::ferror(file_) != 0; }

  private:
    std::FILE* file_;
};

// Buffered, so that writing a file line by line costs few system calls.
class StdioOutputFile final : public OutputFile {
  public:
    StdioOutputFile(std::FILE* file, bool (*syncToDisk)(std::FILE*))
        : file_(file), syncToDisk_(syncToDisk) {
        std::setvbuf(file_, nullptr, _IOFBF, 64 * 1024);
    }
    ~StdioOutputFile() override { close(); }

    bool write(std::string_view bytes) override {
        throwIfInterrupted();
        ok_ = ok_ && file_ != nullptr &&
              std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
        return ok_;
    }
    bool flush() override {
        ok_ = ok_ && file_ != nullptr && std::fflush(file_) == 0;
        return ok_;
    }
    bool sync() override {
        ok_ = flush() && syncToDisk_(file_);
        return ok_;
    }
    // Flushed first: a C runtime may close without reporting that the last
    // block could not be written (the one under Wine does).
    bool close() override {
        if (file_ != nullptr) {
            ok_ = std::fflush(file_) == 0 && ok_;
            ok_ = std::fclose(file_) == 0 && ok_;
            file_ = nullptr;
        }
        return ok_;
    }

  private:
    std::FILE* file_;
    bool (*syncToDisk_)(std::FILE*);
    bool ok_ = true;
};

}  // namespace

std::unique_ptr<InputFile> stdioInputFile(std::FILE* file) {
    return std::make_unique<StdioInputFile>(file);
}

std::unique_ptr<OutputFile> stdioOutputFile(std::FILE* file, bool (*syncToDisk)(std::FILE*)) {
    return std::make_unique<StdioOutputFile>(file, syncToDisk);
}

}  // namespace tessaly
