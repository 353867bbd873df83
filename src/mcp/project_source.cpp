#include "mcp/project_source.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "mcp/added_cr.h"
#include "mcp/apple_single.h"
#include "mcp/binary_project.h"
#include "mcp/container.h"
#include "mcp/export_opening.h"
#include "mcp/export_xml.h"
#include "platform/messages.h"

namespace tessaly {

namespace {

constexpr std::size_t kMagicSize = 4;
// Offsets in a binary project are 32-bit: nothing past this can be part
// of one.
constexpr std::size_t kMaxBinarySize = std::numeric_limits<std::uint32_t>::max();

// How much of a file's start is looked at to find its first element; a
// file whose prolog is longer is left for the export's reader to judge.
constexpr std::size_t kMaxOpening = 1 << 20;

// Room set aside for a whole binary project, so that reading one moves no
// bytes (only what is read is ever touched); larger files grow as needed.
constexpr std::size_t kExpectedBinarySize = 16 << 20;

// Reads until `size` bytes are had or the file ends.
std::string readUpTo(InputFile& file, std::size_t size) {
    std::string bytes;
    bytes.reserve(std::min(size, kExpectedBinarySize));
    char buffer[64 * 1024];
    while (bytes.size() < size) {
        const std::size_t got = file.read(buffer, std::min(sizeof buffer, size - bytes.size()));
        if (got == 0) {
            break;
        }
        bytes.append(buffer, got);
    }
    return bytes;
}

// Copies what `buffer` takes of `text` from `pos` on, and moves `pos` past it.
std::size_t copyOut(std::string_view text, std::size_t& pos, char* buffer, std::size_t size) {
    const std::size_t count = std::min(size, text.size() - pos);
    std::memcpy(buffer, text.data() + pos, count);
    pos += count;
    return count;
}

class MemoryInput final : public InputFile {
  public:
    explicit MemoryInput(std::string text) : text_(std::move(text)) {}
    std::size_t read(char* buffer, std::size_t size) override {
        return copyOut(text_, pos_, buffer, size);
    }
    bool failed() const override { return false; }

  private:
    std::string text_;
    std::size_t pos_ = 0;
};

// The file with the bytes already taken from its start given back first.
class ReplayedInput final : public InputFile {
  public:
    ReplayedInput(std::string start, std::unique_ptr<InputFile> rest)
        : start_(std::move(start)), rest_(std::move(rest)) {}
    std::size_t read(char* buffer, std::size_t size) override {
        return pos_ < start_.size() ? copyOut(start_, pos_, buffer, size)
                                    : rest_->read(buffer, size);
    }
    bool failed() const override { return rest_->failed(); }

  private:
    std::string start_;
    std::size_t pos_ = 0;
    std::unique_ptr<InputFile> rest_;
};

// A binary project's bytes as unwrapped from its file.
struct Unwrapped {
    std::string bytes;
    // CR bytes that a conversion had put before each LF of the container,
    // removed to find its data fork.
    std::size_t removedCr = 0;
};

// Reads the unwrapped project from `bytes`, which it refers to.
BinaryProject readUnwrapped(std::string& bytes, std::size_t removedCr, const FileOnDisk& onDisk) {
    BinaryProject project = readBinaryProject(bytes, onDisk);
    project.removedCrBytes += removedCr;
    return project;
}

// A restored file is told first, then what is not read.
void tellUnread(const BinaryProject& project, Console& console) {
    if (project.removedCrBytes != 0) {
        console.line(message::addedCrRemoved(project.removedCrBytes));
    }
    if (project.restoredBytes != 0) {
        console.line(message::repairedProject(project.restoredBytes));
    }
    for (const UnreadPart& part : project.unread) {
        console.line(message::partNotRead(exportText(part.what), exportText(part.target)));
    }
}

// The export of a binary project, made a part at a time as it is read.
class ExportInput final : public InputFile {
  public:
    ExportInput(Unwrapped file, Console& console, const FileOnDisk& onDisk)
        : bytes_(std::move(file.bytes)),
          project_(readUnwrapped(bytes_, file.removedCr, onDisk)),
          writer_(project_) {
        tellUnread(project_, console);
    }
    std::size_t read(char* buffer, std::size_t size) override {
        if (pos_ == part_.size()) {
            pos_ = 0;
            if (!writer_.next(part_)) {
                part_.clear();
                return 0;
            }
        }
        return copyOut(part_, pos_, buffer, size);
    }
    bool failed() const override { return false; }

  private:
    std::string bytes_;  // what project_ refers to
    BinaryProject project_;
    ExportWriter writer_;
    std::string part_;
    std::size_t pos_ = 0;
};

// Whether the file, whose first bytes are `start`, opens like an export;
// what is read to tell is appended to `start`.
bool opensLikeExport(std::string& start, InputFile& rest) {
    for (;;) {
        const Opening opening = exportOpening(start);
        if (opening != Opening::Undecided) {
            return opening == Opening::Export;
        }
        if (start.size() >= kMaxOpening) {
            return true;
        }
        const std::string more = readUpTo(rest, std::max(start.size(), kMagicSize));
        if (more.empty()) {
            return true;  // it ends before its first element: a cut export
        }
        start += more;
    }
}

bool isWrapped(std::string_view start) {
    return isBinaryProject(start) || isAppleSingle(start);
}

// The whole file, its data fork when it is an AppleSingle container (once
// the CR that a conversion put before each LF of the container is removed:
// its entries would miss the fork).
Unwrapped unwrapped(std::string start, InputFile& rest) {
    std::string bytes = std::move(start) + readUpTo(rest, kMaxBinarySize);
    if (!isAppleSingle(bytes)) {
        return {std::move(bytes)};
    }
    if (appleSingleEndsWithItsEntries(bytes) || !everyLfFollowsCr(bytes)) {
        return {std::string(appleSingleDataFork(bytes))};
    }
    const std::size_t removed = removeCrBeforeLf(bytes);
    if (!appleSingleEndsWithItsEntries(bytes)) {
        throwDamaged(Damage::AddedCr, "the AppleSingle entries do not end the file");
    }
    return {std::string(appleSingleDataFork(bytes)), removed};
}

}  // namespace

std::unique_ptr<InputFile> openProjectSource(Platform& platform, const std::string& path,
                                             Console& console, const FileOnDisk& onDisk) {
    std::unique_ptr<InputFile> file = platform.openForReading(path);
    if (!file) {
        return nullptr;
    }
    std::string start = readUpTo(*file, kMagicSize);
    if (!isWrapped(start)) {
        if (!opensLikeExport(start, *file)) {
            throw NotAProjectError();
        }
        return std::make_unique<ReplayedInput>(std::move(start), std::move(file));
    }
    Unwrapped unwrappedFile = unwrapped(std::move(start), *file);
    if (isBinaryProject(unwrappedFile.bytes)) {
        return std::make_unique<ExportInput>(std::move(unwrappedFile), console, onDisk);
    }
    return std::make_unique<MemoryInput>(std::move(unwrappedFile.bytes));
}

std::optional<std::string> binaryProjectExport(InputFile& file, Console& console,
                                               const FileOnDisk& onDisk) {
    std::string start = readUpTo(file, kMagicSize);
    if (!isWrapped(start)) {
        return std::nullopt;
    }
    Unwrapped unwrappedFile = unwrapped(std::move(start), file);
    if (!isBinaryProject(unwrappedFile.bytes)) {
        return std::nullopt;
    }
    const BinaryProject project =
        readUnwrapped(unwrappedFile.bytes, unwrappedFile.removedCr, onDisk);
    if (project.unrestoredForExport != 0) {
        throw DamagedProjectError(Damage::LineEnds, "", project.unrestoredForExport);
    }
    tellUnread(project, console);
    return exportXml(project);
}

}  // namespace tessaly
