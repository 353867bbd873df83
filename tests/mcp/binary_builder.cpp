#include "mcp/binary_builder.h"

#include "mcp/binary_project.h"
#include "mcp/export_xml.h"

namespace tessaly::testing {

namespace {

constexpr std::size_t kHeaderSize = 0x128;

}  // namespace

Bytes& Bytes::u8(std::uint32_t value) {
    data_ += static_cast<char>(value & 0xFF);
    return *this;
}

Bytes& Bytes::u16(std::uint32_t value) {
    return order_ == ByteOrder::Big ? u8(value >> 8).u8(value) : u8(value).u8(value >> 8);
}

Bytes& Bytes::u32(std::uint32_t value) {
    return order_ == ByteOrder::Big ? u16(value >> 16).u16(value) : u16(value).u16(value >> 16);
}

Bytes& Bytes::raw(std::string_view bytes) {
    data_ += bytes;
    return *this;
}

Bytes& Bytes::zeros(std::size_t count) {
    data_.append(count, '\0');
    return *this;
}

Bytes& Bytes::field(std::string_view text, std::size_t field) {
    return raw(text).zeros(field - text.size());
}

Bytes& Bytes::pascal(std::string_view text, std::size_t field) {
    return u8(static_cast<std::uint32_t>(text.size())).raw(text).zeros(field - 1 - text.size());
}

Bytes& Bytes::padTo(std::size_t size) {
    return zeros(size - data_.size());
}

std::uint32_t BinaryBuilder::string(std::uint32_t table, std::string text) {
    std::vector<std::string>& texts = strings_[table];
    texts.push_back(std::move(text));
    return static_cast<std::uint32_t>(texts.size());  // numbered from 1, as the IDE does
}

void BinaryBuilder::chunk(const char (&type)[5], std::uint32_t id, std::string data,
                          std::uint32_t name) {
    chunks_.push_back({fourCc(type), id, name, std::move(data)});
}

void BinaryBuilder::replace(const char (&type)[5], std::uint32_t id, std::string data) {
    for (ChunkSpec& chunk : chunks_) {
        if (chunk.type == fourCc(type) && chunk.id == id) {
            chunk.data = std::move(data);
        }
    }
}

void BinaryBuilder::target(std::string name, std::uint8_t number,
                           const std::vector<FileSpec>& files) {
    targets_.emplace_back(string(1000, std::move(name)), number);
    Bytes info = bytes();
    info.u32(static_cast<std::uint32_t>(files.size())).u32(32).zeros(8);
    Bytes list = bytes();
    Bytes order = bytes();
    for (const FileSpec& file : files) {
        const std::uint32_t name = string(1000, file.name);
        list.u32(file.reference).u32(file.nameNumber != 0 ? file.nameNumber : name);
        list.u8(file.pathType).u8(file.format);
        list.zeros(2).u32(file.folder).zeros(2).u8(file.kind).zeros(9).u32(file.flags).zeros(8);
        order.u32(file.reference);
    }
    chunk("mtpi", number, info.str());
    chunk("mtpl", number, list.str());
    chunk("mtlo", number, order.str());
}

void BinaryBuilder::panel(const std::string& target, const std::string& panel, std::string record) {
    const std::string name = target + ":" + panel;
    if (const auto it = panels_.find(name); it != panels_.end()) {
        chunks_[it->second].data = std::move(record);
        return;
    }
    panels_.emplace(name, chunks_.size());
    chunk("pref", 0, std::move(record), string(0, name));
}

std::string BinaryBuilder::groupNode(std::string_view name, std::uint32_t children) const {
    return bytes()
        .u32(fourCc("GRUP"))
        .u32(0)
        .u32(1)
        .u8(static_cast<std::uint32_t>(name.size()))
        .raw(name)
        .u32(children)
        .str();
}

std::string BinaryBuilder::fileNode(std::uint32_t reference) const {
    return bytes().u32(fourCc("FILE")).u32(reference).str();
}

std::string BinaryBuilder::accessPaths(const std::vector<PathSpec>& user,
                                       const std::vector<PathSpec>& system) const {
    Bytes panel = bytes();
    panel.u16(16).u8(0).u8(1).u32(0).u16(static_cast<std::uint32_t>(user.size()));
    panel.u16(static_cast<std::uint32_t>(system.size())).zeros(8);
    for (const auto* list : {&user, &system}) {
        for (const PathSpec& path : *list) {
            panel.u16(path.root).u16(path.format).field(path.path, 512).zeros(8);
            panel.u8(path.recursive ? 1 : 0).zeros(3).u32(0xFFFFFFFF).u32(path.id);
        }
    }
    return panel.str();
}

void BinaryBuilder::groups(std::uint32_t topCount, std::string nodes) {
    Bytes tree = bytes();
    tree.u16(1).u32(0).u32(fourCc("ROOT")).u32(0).u32(0).u8(0).u32(topCount).raw(nodes);
    if (groupTree_) {  // one tree: a second replaces the first
        chunks_[*groupTree_].data = tree.str();
        return;
    }
    groupTree_ = chunks_.size();
    chunk("PLst", 7, tree.str(), string(0, "Project File List"));
}

BuiltProject BinaryBuilder::build() const {
    std::vector<ChunkSpec> all = chunks_;
    Bytes targets = bytes();
    targets.u32(static_cast<std::uint32_t>(targets_.size()));
    for (const auto& [name, number] : targets_) {
        const std::size_t start = targets.size();
        targets.u32(name).u8(number);
        targets.padTo(start + 0x218);
    }
    all.push_back({fourCc("mtgl"), 1000, 0, targets.str()});
    for (const auto& [table, texts] : strings_) {
        Bytes text = bytes();
        Bytes offsets = bytes();
        for (std::size_t i = 0; i < texts.size(); ++i) {
            offsets.u32(static_cast<std::uint32_t>(text.size()))
                .u32(static_cast<std::uint32_t>(i + 1))
                .u32(0);
            text.raw(texts[i]).u8(0);
        }
        all.push_back({fourCc("mstr"), table, 0, text.str()});
        all.push_back({fourCc("mstl"), table, 0, offsets.str()});
    }
    Bytes data = bytes();
    Bytes index = bytes();
    BuiltProject built;
    for (const ChunkSpec& chunk : all) {
        index.u32(static_cast<std::uint32_t>(kHeaderSize + data.size()))
            .u32(static_cast<std::uint32_t>(chunk.data.size()))
            .u32(chunk.type)
            .u32(chunk.id)
            .u32(chunk.name)
            .u32(0);
        data.raw(chunk.data);
    }
    Bytes file = bytes();
    file.raw(order_ == ByteOrder::Big ? "cool" : "looc")
        .u32(3)
        .u32(kHeaderSize)
        .u32(static_cast<std::uint32_t>(data.size()))
        .u32(static_cast<std::uint32_t>(kHeaderSize + data.size()))
        .u32(static_cast<std::uint32_t>(index.size()))
        .u32(static_cast<std::uint32_t>(all.size()))
        .u32(0)
        .field("CodeWarrior Project", 256)
        .padTo(kHeaderSize)
        .raw(data.str())
        .raw(index.str());
    built.bytes = file.str();
    std::size_t entry = kHeaderSize + data.size();
    for (const ChunkSpec& chunk : all) {
        built.entryAt[{chunk.type, chunk.id}] = entry;
        entry += 24;
    }
    return built;
}

BinaryBuilder sampleProject(ByteOrder order) {
    BinaryBuilder project(order);
    project.target("Debug", 1, {{0x01000001, "main.c"}, {0x01000002, "util.c"}});
    project.target("Release", 2, {{0x02000001, "main.c"}, {0x02000003, "lib.a", 2, 1, 3, 0}});
    Bytes paths = project.bytes();
    paths.u16(16).u8(0).u8(1).u32(0).u16(1).u16(1);
    paths.zeros(8).u16(1).u16(1).field(":src:", 512).u32(0).zeros(4).u8(1).zeros(3);
    paths.zeros(8).u16(2).u16(1).field(":MSL:", 512).u32(0).zeros(4).u8(0).zeros(3);
    project.panel("Debug", "Access Paths", paths.zeros(8).str());
    Bytes compiler = project.bytes();
    compiler.u16(14).u8(1).u8(1).zeros(5).pascal("prefix.h", 32).padTo(57);
    project.panel("Debug", "C/C++ Compiler", compiler.u8(8).padTo(62).str());
    Bytes preprocessor = project.bytes();
    preprocessor.u16(3).padTo(0x16).raw("#define A 1\r#define B 2\r").u8(0);
    project.panel("Debug", "C/C++ Preprocessor", preprocessor.str());
    Bytes runtime = project.bytes();
    runtime.u16(3).u16(1).padTo(0x410).raw("DEBUG=1").u8(0);
    project.panel("Debug", "Debugger Runtime", runtime.padTo(1296).str());
    project.groups(2, project.groupNode("Sources", 2) + project.fileNode(0x01000001) +
                          project.groupNode("Utilities", 1) + project.fileNode(0x01000002) +
                          project.fileNode(0x02000003));
    return project;
}

std::string exportOrDamage(const std::string& bytes, const FileOnDisk& onDisk) {
    std::string file = bytes;  // restored in place when a line-end conversion changed it
    try {
        return exportXml(readBinaryProject(file, onDisk));
    } catch (const DamagedProjectError& error) {
        return "damaged: " + error.reason();
    }
}

}  // namespace tessaly::testing
