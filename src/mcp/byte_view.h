// A bounded, named window on the bytes of a binary project file. Every read
// is checked against the window first: a value that lies past its end is
// damage, reported as one sentence that names what was read and where
// ("target list past the end of the chunk index"), never a read outside
// the file.
//
// A window may restore what a line-end conversion changed (see
// restoration.h): a read given the values the format allows for a field
// decides its LF bytes from them; a read without them leaves an LF byte of
// the field open, so that a field the reader uses is never taken as it
// reads from a converted file unless a constraint says so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/messages.h"

namespace tessaly {

class Restoration;

// A binary project that fails a structural check: what happened (see
// platform/messages.h), the technical detail ("chunk index past the end of
// the file", without a final stop) and, for bytes that a line-end
// conversion changed, how many cannot be restored.
class DamagedProjectError {
  public:
    DamagedProjectError(Damage damage, std::string detail, std::size_t count = 0)
        : damage_(damage), detail_(std::move(detail)), count_(count) {}
    Damage damage() const { return damage_; }
    const std::string& detail() const { return detail_; }
    // What happened, then the detail in parentheses.
    std::string reason() const { return message::damageReason(damage_, detail_, count_); }

  private:
    Damage damage_;
    std::string detail_;
    std::size_t count_;
};

[[noreturn]] void throwDamaged(Damage damage, std::string detail);

// What a field that more than one value fits is to the reader (see
// restoration.h): used by the conversion (its bytes stay open, and a
// converted file is refused), shown by the export only (open, and only the
// export is refused: the link order, subtargets, target order, file kinds
// and flags, which the conversion does not use), or not yet known to be
// used (its bytes stay undecided until a use decides them).
enum class Use { Needed, ExportOnly, IfUsed };

// The Mac OS IDE writes big-endian files, the Windows IDE little-endian
// ones; every integer of a file, type codes included, is in its order.
enum class ByteOrder { Big, Little };

// The order of a binary project file, told by its first bytes ("cool" or "looc").
ByteOrder orderOf(std::string_view file);

class ByteView {
  public:
    ByteView(std::string_view bytes, ByteOrder order, std::string name,
             Restoration* restoration = nullptr)
        : bytes_(bytes), order_(order), name_(std::move(name)), restoration_(restoration) {}

    std::size_t size() const { return bytes_.size(); }
    ByteOrder order() const { return order_; }
    const std::string& name() const { return name_; }

    std::uint8_t u8(std::size_t at, std::string_view what) const;
    std::uint16_t u16(std::size_t at, std::string_view what) const;
    std::uint32_t u32(std::size_t at, std::string_view what, Use use = Use::Needed) const;
    // The same, of the values the field may have held the one `fits` allows.
    template <class Fits>
    std::uint8_t u8(std::size_t at, std::string_view what, const Fits& fits,
                    Use use = Use::Needed) const {
        return std::uint8_t(fitted(at, 1, what, fits, use));
    }
    template <class Fits>
    std::uint16_t u16(std::size_t at, std::string_view what, const Fits& fits,
                      Use use = Use::Needed) const {
        return std::uint16_t(fitted(at, 2, what, fits, use));
    }
    template <class Fits>
    std::uint32_t u32(std::size_t at, std::string_view what, const Fits& fits,
                      Use use = Use::Needed) const {
        return fitted(at, 4, what, fits, use);
    }
    // Decides fields of the window that the format constrains only
    // together (two counts and the size they fill, say): `fits` gets the
    // values of the fields, given as offset and size, in their order.
    void decideTogether(std::initializer_list<std::pair<std::size_t, std::size_t>> fields,
                        std::string_view what,
                        const std::function<bool(std::span<const std::uint32_t>)>& fits,
                        Use use = Use::Needed) const;
    // The values that the field of `size` bytes may have held, as it reads
    // first; none for a field outside the window. Decides nothing.
    std::vector<std::uint32_t> values(std::size_t at, std::size_t size) const;
    // Whether one of them is one that `fits` allows.
    bool allows(std::size_t at, std::size_t size,
                const std::function<bool(std::uint32_t)>& fits) const;
    // A sign only, deciding nothing: where the field as it reads breaks a
    // regularity that another of its values keeps, the file shows a
    // line-end conversion.
    void tellBroken(std::size_t at, std::size_t size,
                    const std::function<bool(std::uint32_t)>& keeps) const;

    std::string_view bytes(std::size_t at, std::size_t count, std::string_view what) const;
    // The part [at, at + count) as a window of its own, named `name`.
    ByteView part(std::size_t at, std::size_t count, std::string_view what, std::string name) const;
    // The same window, whose reads decide nothing and leave nothing open:
    // for testing what a part may hold.
    ByteView probe() const;
    // A NUL-terminated text in a field of `field` bytes: the bytes up to the
    // first NUL, or the whole field when it holds none.
    std::string_view cText(std::size_t at, std::size_t field, std::string_view what) const;
    // A length byte followed by the text, in a field of `field` bytes.
    std::string_view pascalText(std::size_t at, std::size_t field, std::string_view what) const;

    // Tells the restoration that the reader uses this text of the window.
    void useText(std::string_view text) const;

    // Where the window starts in the file, with a restoration.
    std::size_t start() const;
    Restoration* restoration() const { return probing_ ? nullptr : restoration_; }

  private:
    void require(std::size_t at, std::size_t count, std::string_view what) const;
    std::uint32_t value(std::size_t at, std::size_t size) const;
    std::uint32_t read(std::size_t at, std::size_t size, std::string_view what,
                       Use use = Use::Needed) const;
    bool undecided(std::size_t at, std::size_t size, std::string_view what) const;
    // A field of an intact part is read as it is, without building `fits`
    // into a std::function: most reads are of such fields.
    template <class Fits>
    std::uint32_t fitted(std::size_t at, std::size_t size, std::string_view what, const Fits& fits,
                         Use use) const {
        return undecided(at, size, what) ? decided(at, size, what, fits, use)
                                         : read(at, size, what, use);
    }
    std::uint32_t decided(std::size_t at, std::size_t size, std::string_view what,
                          const std::function<bool(std::uint32_t)>& fits, Use use) const;

    std::string_view bytes_;
    ByteOrder order_;
    std::string name_;
    Restoration* restoration_;
    bool probing_ = false;
};

}  // namespace tessaly
