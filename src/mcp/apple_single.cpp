#include "mcp/apple_single.h"

#include <algorithm>
#include <cstdint>

#include "mcp/byte_view.h"

namespace tessaly {

namespace {

constexpr std::string_view kMagic("\x00\x05\x16\x00", 4);
constexpr std::size_t kEntriesAt = 26;
constexpr std::size_t kEntrySize = 12;
constexpr std::uint32_t kDataFork = 1;

}  // namespace

bool isAppleSingle(std::string_view bytes) {
    return bytes.starts_with(kMagic);
}

bool appleSingleEndsWithItsEntries(std::string_view file) {
    const ByteView container(file, ByteOrder::Big, "AppleSingle container");
    const std::size_t count = container.u16(24, "AppleSingle header");
    std::uint64_t end = kEntriesAt + count * kEntrySize;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kEntriesAt + i * kEntrySize;
        end = std::max(end, std::uint64_t(container.u32(at + 4, "AppleSingle entry")) +
                                container.u32(at + 8, "AppleSingle entry"));
    }
    return end == file.size();
}

std::string_view appleSingleDataFork(std::string_view file) {
    const ByteView container(file, ByteOrder::Big, "AppleSingle container");
    const std::size_t count = container.u16(24, "AppleSingle header");
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kEntriesAt + i * kEntrySize;
        if (container.u32(at, "AppleSingle entry") == kDataFork) {
            return container.bytes(container.u32(at + 4, "AppleSingle entry"),
                                   container.u32(at + 8, "AppleSingle entry"), "data fork");
        }
    }
    throwDamaged(Damage::Container, "the AppleSingle container holds no data fork");
}

}  // namespace tessaly
