// Builds binary project files in memory, in either byte order, so that the
// reader's tests can make every structure (and every kind of damage) with a
// few lines.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mcp/binary_project.h"
#include "mcp/byte_view.h"
#include "mcp/container.h"

namespace tessaly::testing {

// Bytes appended in one order.
class Bytes {
  public:
    explicit Bytes(ByteOrder order) : order_(order) {}
    Bytes& u8(std::uint32_t value);
    Bytes& u16(std::uint32_t value);
    Bytes& u32(std::uint32_t value);
    Bytes& raw(std::string_view bytes);
    Bytes& zeros(std::size_t count);
    // A text in a field of `field` bytes, NUL-padded.
    Bytes& field(std::string_view text, std::size_t field);
    // A length byte and the text in a field of `field` bytes.
    Bytes& pascal(std::string_view text, std::size_t field);
    // Zero bytes up to `size`.
    Bytes& padTo(std::size_t size);
    const std::string& str() const { return data_; }
    std::size_t size() const { return data_.size(); }

  private:
    ByteOrder order_;
    std::string data_;
};

struct FileSpec {
    std::uint32_t reference;
    std::string name;
    std::uint8_t pathType = 2;
    std::uint8_t format = 1;
    std::uint8_t kind = 1;
    std::uint32_t flags = 1;
    std::uint32_t folder = 0;      // path type 1: the id of its access path
    std::uint32_t nameNumber = 0;  // the string the entry names, where not its own name's
};

// One record of an Access Paths panel.
struct PathSpec {
    std::uint16_t root;
    std::uint16_t format;
    std::string path;
    std::uint32_t id;
    bool recursive = false;
};

// A finished file and where its parts landed, for tests that damage it.
struct BuiltProject {
    std::string bytes;
    // The index entry of each chunk, by type and id.
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::size_t> entryAt;
};

class BinaryBuilder {
  public:
    explicit BinaryBuilder(ByteOrder order) : order_(order) {}

    Bytes bytes() const { return Bytes(order_); }
    // The number of a new string of table 0 or 1000.
    std::uint32_t string(std::uint32_t table, std::string text);
    void chunk(const char (&type)[5], std::uint32_t id, std::string data, std::uint32_t name = 0);
    // Replaces the data of a chunk added before.
    void replace(const char (&type)[5], std::uint32_t id, std::string data);

    // A target with its file list and link order (every file, in order).
    void target(std::string name, std::uint8_t number, const std::vector<FileSpec>& files);
    // A settings panel of a target: "<target>:<panel>" names the record. A
    // second record of the same name replaces the first.
    void panel(const std::string& target, const std::string& panel, std::string record);
    // The group tree ("Project File List"), its nodes as made by groupNode
    // and fileNode below the root, which has `topCount` children. A second
    // tree replaces the first.
    void groups(std::uint32_t topCount, std::string nodes);
    std::string groupNode(std::string_view name, std::uint32_t children) const;
    std::string fileNode(std::uint32_t reference) const;
    // An Access Paths record of version 16, each path followed by its id.
    std::string accessPaths(const std::vector<PathSpec>& user,
                            const std::vector<PathSpec>& system) const;

    BuiltProject build() const;

  private:
    struct ChunkSpec {
        std::uint32_t type;
        std::uint32_t id;
        std::uint32_t name;
        std::string data;
    };

    ByteOrder order_;
    std::vector<ChunkSpec> chunks_;
    std::map<std::uint32_t, std::vector<std::string>> strings_;
    std::vector<std::pair<std::uint32_t, std::uint8_t>> targets_;  // name string, number
    std::map<std::string, std::size_t> panels_;                    // name, chunk index
    std::optional<std::size_t> groupTree_;                         // its chunk index
};

// A two-target project in the given order with a group, a nested group and
// the Access Paths, C/C++ Compiler, C/C++ Preprocessor and Debugger Runtime
// panels: what most tests start from.
BinaryBuilder sampleProject(ByteOrder order);

// The export text of a built project, or the damage message.
std::string exportOrDamage(const std::string& bytes, const FileOnDisk& onDisk = {});

}  // namespace tessaly::testing
