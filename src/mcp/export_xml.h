// Writes what was read of a binary project as the IDE's XML export writes
// it: the same elements, panel comments, setting names and texts, so that
// the export's reader, fed this text, converts the project exactly as it
// converts the IDE's export of the same state. Parts that are not read are
// left out, not guessed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "mcp/binary_project.h"

namespace tessaly {

// The export given part by part (a target at a time), so that a reader
// never needs the whole text of a large project at once.
class ExportWriter {
  public:
    explicit ExportWriter(const BinaryProject& project);
    ~ExportWriter();
    ExportWriter(const ExportWriter&) = delete;
    ExportWriter& operator=(const ExportWriter&) = delete;

    // Replaces `out` with the next part; false once every part was given.
    // Throws DamagedProjectError when the export would pass a small
    // multiple of the file's size.
    bool next(std::string& out);

  private:
    class Text;

    void writeTarget(const BinaryTarget& target);
    void writeSettings(const BinaryTarget& target);
    void writeList(std::string_view name, const std::vector<std::string_view>& values);
    void writeAccessPaths(const BinaryAccessPaths& paths);
    void writePathList(std::string_view name, const std::vector<BinaryAccessPath>& paths);
    void writeFileList(const BinaryTarget& target);
    void writeCommandLines(const BinaryTarget& target);
    // `owner`: the target whose file list holds the file.
    void writeLocation(const BinaryFile& file, const BinaryTarget& owner);
    void writeGroups();
    // A file reference's file and the target that holds it.
    struct HeldFile {
        const BinaryFile* file;
        const BinaryTarget* owner;
    };
    const HeldFile* fileOf(std::uint32_t reference) const;

    const BinaryProject& project_;
    std::unique_ptr<Text> xml_;
    std::unordered_map<std::uint32_t, HeldFile> files_;
    std::unordered_map<std::string_view, const std::string_view*> firstTargetWith_;
    std::size_t step_ = 0;
};

// Where the export locates a file that lies below `folder` (null: a file
// looked for by name), in the texts the export's reader reads (a byte
// outside ASCII as its character reference).
FileLocation exportedLocation(const BinaryFile& file, const BinaryAccessPath* folder);

// The whole export at once.
std::string exportXml(const BinaryProject& project);

// A text as the exporter writes it between tags: "&", "<" and ">" escaped,
// and every byte outside ASCII as a character reference holding the byte's
// own value ("&#170;" for Mac OS Roman's trade mark sign).
std::string exportText(std::string_view value);

}  // namespace tessaly
