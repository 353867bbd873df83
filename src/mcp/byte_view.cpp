#include "mcp/byte_view.h"

#include <algorithm>

namespace tessaly {

void throwDamaged(std::string reason) {
    throw DamagedProjectError(std::move(reason));
}

void ByteView::require(std::size_t at, std::size_t count, std::string_view what) const {
    if (at > bytes_.size() || count > bytes_.size() - at) {
        throwDamaged(std::string(what) + " past the end of the " + name_);
    }
}

std::string_view ByteView::bytes(std::size_t at, std::size_t count, std::string_view what) const {
    require(at, count, what);
    return bytes_.substr(at, count);
}

std::uint8_t ByteView::u8(std::size_t at, std::string_view what) const {
    return static_cast<std::uint8_t>(bytes(at, 1, what)[0]);
}

std::uint16_t ByteView::u16(std::size_t at, std::string_view what) const {
    const std::string_view b = bytes(at, 2, what);
    const auto byte = [&](std::size_t i) { return static_cast<std::uint16_t>(std::uint8_t(b[i])); };
    return order_ == ByteOrder::Big ? std::uint16_t(byte(0) << 8 | byte(1))
                                    : std::uint16_t(byte(1) << 8 | byte(0));
}

std::uint32_t ByteView::u32(std::size_t at, std::string_view what) const {
    const std::string_view b = bytes(at, 4, what);
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t index = order_ == ByteOrder::Big ? i : 3 - i;
        value = value << 8 | std::uint8_t(b[index]);
    }
    return value;
}

ByteView ByteView::part(std::size_t at, std::size_t count, std::string_view what,
                        std::string name) const {
    return ByteView(bytes(at, count, what), order_, std::move(name));
}

std::string_view ByteView::cText(std::size_t at, std::size_t field, std::string_view what) const {
    const std::string_view text = bytes(at, field, what);
    return text.substr(0, std::min(text.find('\0'), text.size()));
}

std::string_view ByteView::pascalText(std::size_t at, std::size_t field,
                                      std::string_view what) const {
    const std::size_t length = u8(at, what);
    if (length >= field) {
        throwDamaged(std::string(what) + " longer than its field in the " + name_);
    }
    return bytes(at + 1, length, what);
}

}  // namespace tessaly
