#include "mcp/added_cr.h"

#include <cstdint>
#include <optional>

#include "mcp/byte_view.h"

namespace tessaly {

namespace {

constexpr std::size_t kHeaderFieldsEnd = 0x18;

// Where the header says the file ends: its chunk index's offset and size.
std::optional<std::uint64_t> claimedEnd(std::string_view file) {
    if (file.size() < kHeaderFieldsEnd) {
        return std::nullopt;
    }
    const ByteView header(file.substr(0, kHeaderFieldsEnd), orderOf(file), "file");
    return std::uint64_t(header.u32(0x10, "header")) + header.u32(0x14, "header");
}

}  // namespace

bool endsWithItsIndex(std::string_view file) {
    return claimedEnd(file) == file.size();
}

bool everyLfFollowsCr(std::string_view bytes) {
    bool crLf = false;
    for (std::size_t at = bytes.find('\n'); at != std::string_view::npos;
         at = bytes.find('\n', at + 1)) {
        if (at == 0 || bytes[at - 1] != '\r') {
            return false;
        }
        crLf = true;
    }
    return crLf;
}

bool showsCrAddedBeforeLf(std::string_view file) {
    const std::optional<std::uint64_t> end = claimedEnd(file);
    return end && *end != file.size() && everyLfFollowsCr(file);
}

std::size_t removeCrBeforeLf(std::string& bytes) {
    std::size_t kept = 0;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        if (!(bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n')) {
            bytes[kept++] = bytes[at];
        }
    }
    const std::size_t removed = bytes.size() - kept;
    bytes.resize(kept);
    return removed;
}

}  // namespace tessaly
