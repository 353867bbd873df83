#include "mcp/byte_view.h"

#include <algorithm>

#include "mcp/restoration.h"

namespace tessaly {

ByteOrder orderOf(std::string_view file) {
    return file.starts_with("cool") ? ByteOrder::Big : ByteOrder::Little;
}

void throwDamaged(Damage damage, std::string detail) {
    throw DamagedProjectError(damage, std::move(detail));
}

void ByteView::require(std::size_t at, std::size_t count, std::string_view what) const {
    if (at > bytes_.size() || count > bytes_.size() - at) {
        throwDamaged(name_ == "file" ? Damage::CutShort : Damage::PartShort,
                     std::string(what) + " past the end of the " + name_);
    }
}

std::size_t ByteView::start() const {
    return static_cast<std::size_t>(bytes_.data() - restoration_->file().data());
}

std::string_view ByteView::bytes(std::size_t at, std::size_t count, std::string_view what) const {
    require(at, count, what);
    return bytes_.substr(at, count);
}

std::uint32_t ByteView::value(std::size_t at, std::size_t size) const {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t index = order_ == ByteOrder::Big ? i : size - 1 - i;
        value = value << 8 | std::uint8_t(bytes_[at + index]);
    }
    return value;
}

bool ByteView::undecided(std::size_t at, std::size_t size, std::string_view what) const {
    require(at, size, what);
    return restoration() != nullptr && restoration_->undecided({start() + at, size});
}

// A field read without constraint: an LF byte in it stays open.
std::uint32_t ByteView::read(std::size_t at, std::size_t size, std::string_view what,
                             Use use) const {
    if (undecided(at, size, what)) {
        restoration_->leaveOpen({start() + at, size}, use);
    }
    return value(at, size);
}

std::uint32_t ByteView::decided(std::size_t at, std::size_t size, std::string_view what,
                                const std::function<bool(std::uint32_t)>& fits, Use use) const {
    require(at, size, what);
    if (restoration() != nullptr) {
        restoration_->decide({start() + at, size}, fits, use);
    }
    return value(at, size);
}

void ByteView::decideTogether(std::initializer_list<std::pair<std::size_t, std::size_t>> fields,
                              std::string_view what,
                              const std::function<bool(std::span<const std::uint32_t>)>& fits,
                              Use use) const {
    std::vector<FieldAt> inFile;
    for (const auto& [at, size] : fields) {
        require(at, size, what);
        if (restoration() != nullptr) {
            inFile.push_back({start() + at, size});
        }
    }
    if (!inFile.empty()) {
        restoration_->decideTogether(inFile, fits, use);
    }
}

std::vector<std::uint32_t> ByteView::values(std::size_t at, std::size_t size) const {
    if (at > bytes_.size() || size > bytes_.size() - at) {
        return {};
    }
    if (restoration_ == nullptr) {
        return {value(at, size)};
    }
    return restoration_->values({start() + at, size});
}

void ByteView::tellBroken(std::size_t at, std::size_t size,
                          const std::function<bool(std::uint32_t)>& keeps) const {
    if (restoration() == nullptr) {
        return;
    }
    const std::vector<std::uint32_t> all = values(at, size);
    if (all.size() > 1 && !keeps(all.front()) && std::any_of(all.begin() + 1, all.end(), keeps)) {
        restoration_->misfit();
    }
}

bool ByteView::allows(std::size_t at, std::size_t size,
                      const std::function<bool(std::uint32_t)>& fits) const {
    const std::vector<std::uint32_t> all = values(at, size);
    return std::any_of(all.begin(), all.end(), fits);
}

std::uint8_t ByteView::u8(std::size_t at, std::string_view what) const {
    return static_cast<std::uint8_t>(read(at, 1, what));
}

std::uint16_t ByteView::u16(std::size_t at, std::string_view what) const {
    return static_cast<std::uint16_t>(read(at, 2, what));
}

std::uint32_t ByteView::u32(std::size_t at, std::string_view what, Use use) const {
    return read(at, 4, what, use);
}

ByteView ByteView::part(std::size_t at, std::size_t count, std::string_view what,
                        std::string name) const {
    ByteView window(bytes(at, count, what), order_, std::move(name), restoration_);
    window.probing_ = probing_;
    return window;
}

ByteView ByteView::probe() const {
    ByteView window = *this;
    window.probing_ = true;
    return window;
}

void ByteView::useText(std::string_view text) const {
    if (restoration() != nullptr) {
        restoration_->text(static_cast<std::size_t>(text.data() - restoration_->file().data()),
                           text.size());
    }
}

std::string_view ByteView::cText(std::size_t at, std::size_t field, std::string_view what) const {
    std::string_view text = bytes(at, field, what);
    text = text.substr(0, std::min(text.find('\0'), text.size()));
    useText(text);
    return text;
}

// The length is one that leaves the text inside its field and holds no
// NUL. Bytes after the text may be leftovers of a longer name, but seldom
// are (8 of the 119 prefix names of the shared projects), so of two
// lengths that fit, the one that leaves only NUL bytes after the text is
// taken (right in each of 43 such pairs there, wrong in none).
std::string_view ByteView::pascalText(std::size_t at, std::size_t field,
                                      std::string_view what) const {
    const std::string_view room = bytes(at, field, what);
    const auto fits = [&](std::uint32_t length) {
        return length < field && room.substr(1, length).find('\0') == std::string_view::npos;
    };
    u8(at, what, fits, Use::IfUsed);
    const std::size_t length = u8(at, what, [&](std::uint32_t length) {
        return fits(length) && room.find_first_not_of('\0', 1 + length) == std::string_view::npos;
    });
    if (length >= field) {
        throwDamaged(Damage::PartShort,
                     std::string(what) + " longer than its field in the " + name_);
    }
    const std::string_view text = bytes(at + 1, length, what);
    useText(text);
    return text;
}

}  // namespace tessaly
