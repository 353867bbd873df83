#include "mcp/added_cr.h"

#include <cstdint>
#include <optional>

#include "mcp/container.h"

namespace tessaly {

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
    const std::optional<std::uint64_t> end = indexEnd(file);
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
