// A bounded, named window on the bytes of a binary project file. Every read
// is checked against the window first: a value that lies past its end is
// damage, reported as one sentence that names what was read and where
// ("target list past the end of the chunk index"), never a read outside
// the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly {

// A binary project that fails a structural check. The reason is one short
// sentence without a final stop.
class DamagedProjectError {
  public:
    explicit DamagedProjectError(std::string reason) : reason_(std::move(reason)) {}
    const std::string& reason() const { return reason_; }

  private:
    std::string reason_;
};

// The Mac OS IDE writes big-endian files, the Windows IDE little-endian
// ones; every integer of a file, type codes included, is in its order.
enum class ByteOrder { Big, Little };

class ByteView {
  public:
    ByteView(std::string_view bytes, ByteOrder order, std::string name)
        : bytes_(bytes), order_(order), name_(std::move(name)) {}

    std::size_t size() const { return bytes_.size(); }
    ByteOrder order() const { return order_; }
    const std::string& name() const { return name_; }

    std::uint8_t u8(std::size_t at, std::string_view what) const;
    std::uint16_t u16(std::size_t at, std::string_view what) const;
    std::uint32_t u32(std::size_t at, std::string_view what) const;
    std::string_view bytes(std::size_t at, std::size_t count, std::string_view what) const;
    // The part [at, at + count) as a window of its own, named `name`.
    ByteView part(std::size_t at, std::size_t count, std::string_view what, std::string name) const;
    // A NUL-terminated text in a field of `field` bytes: the bytes up to the
    // first NUL, or the whole field when it holds none.
    std::string_view cText(std::size_t at, std::size_t field, std::string_view what) const;
    // A length byte followed by the text, in a field of `field` bytes.
    std::string_view pascalText(std::size_t at, std::size_t field, std::string_view what) const;

  private:
    void require(std::size_t at, std::size_t count, std::string_view what) const;

    std::string_view bytes_;
    ByteOrder order_;
    std::string name_;
};

[[noreturn]] void throwDamaged(std::string reason);

}  // namespace tessaly
