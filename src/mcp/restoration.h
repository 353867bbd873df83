// Undoing a line-end conversion of a binary project file. Version control
// that takes the file for text turns every CR byte (0x0D) into LF (0x0A) and
// keeps its length, so only a byte that reads LF can have changed. Each such
// byte in a field the reader uses is decided from the format's constraints,
// which each part states where it reads its fields: of the values the field
// may have held (every undecided LF byte as LF or as CR), those the part
// allows. A byte on which all of them agree is decided (and, when it was CR,
// restored in place); a byte on which they differ stays open. Work is
// bounded: a field of n undecided bytes has 2^n values, n at most 4, and a
// few fields are decided together at most.
//
// Whether the file was converted at all is known only once it is read: it
// was when a field breaks a constraint as it reads and keeps it with some
// LF bytes as CR, or when it holds LF bytes where the reader looks and no
// CR byte anywhere. An intact file keeps every
// byte as it reads; a converted one with a byte left open is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "mcp/byte_view.h"

namespace tessaly {

// A field of the file: where it starts and its size in bytes (1, 2 or 4).
struct FieldAt {
    std::size_t at = 0;
    std::size_t size = 0;
};

using Fits = std::function<bool(std::uint32_t)>;
using FitTogether = std::function<bool(std::span<const std::uint32_t>)>;

class Restoration {
  public:
    // `file` is restored in place; views into it stay valid.
    Restoration(std::string& file, ByteOrder order);

    std::string_view file() const { return file_; }
    ByteOrder order() const { return order_; }

    // Whether the field holds an LF byte that is not decided yet.
    bool undecided(FieldAt field) const;
    // The values the field may have held, the value as it reads first.
    std::vector<std::uint32_t> values(FieldAt field) const;
    // Decides the field from the values that `fits` allows.
    void decide(FieldAt field, const Fits& fits, Use use = Use::Needed);
    // Decides fields that the format constrains only together (a count and
    // the size it must match, say); `fits` gets one value per field.
    void decideTogether(std::span<const FieldAt> fields, const FitTogether& fits,
                        Use use = Use::Needed);
    // The field held `value`, one of its values: its undecided bytes become
    // what `value` holds there.
    void settle(FieldAt field, std::uint32_t value);
    // The field is used, but more than one of its values fits: its
    // undecided bytes stay open.
    void leaveOpen(FieldAt field, Use use = Use::Needed);
    // A text that the conversion writes: once the file is known to be
    // converted, its line breaks become what the IDE wrote.
    void text(std::size_t at, std::size_t size);

    // Whether a field or text looked at held an undecided LF byte: the
    // reading may then have followed a value that the file does not hold.
    bool sawLf() const { return sawLf_; }
    // A constraint that the field's value as read breaks and another value
    // keeps: a sign of a conversion even where the field stays open.
    void misfit() { misfit_ = true; }
    // Whether the file shows the signs of a line-end conversion.
    bool showsConversion() const;
    // The bytes that the conversion uses and that no constraint decides;
    // those that only the export shows.
    std::size_t undecidable() const { return open_.size(); }
    std::size_t undecidableForExport() const;
    // Gives the texts their line breaks.
    void finishTexts();
    // From now on nothing is decided, left open or restored: the file is
    // read as it now is.
    void freeze() { frozen_ = true; }
    // The bytes restored so far.
    std::size_t restored() const { return restored_; }

  private:
    std::vector<std::size_t> undecidedBytes(FieldAt field) const;
    std::uint32_t valueWith(FieldAt field, const std::vector<std::size_t>& bytes,
                            unsigned crMask) const;
    void decideBytes(const std::vector<std::size_t>& bytes, unsigned crInAll, unsigned crInAny,
                     Use use);
    void open(std::size_t at, Use use);
    void keep(std::size_t at);
    void restore(std::size_t at);
    bool kept(std::size_t at) const { return at < kept_.size() && kept_[at]; }
    void restoreText(std::size_t at, std::size_t size);

    std::string& file_;
    ByteOrder order_;
    std::vector<bool> kept_;      // LF bytes decided to have been LF
    std::set<std::size_t> open_;  // bytes that more than one value or none fits
    std::set<std::size_t> openForExport_;
    std::vector<FieldAt> texts_;
    std::unordered_set<std::size_t> textsAt_;
    std::size_t restored_ = 0;
    bool holdsCr_ = false;
    bool usesLf_ = false;  // a field or text that the reader uses holds an LF byte
    mutable bool sawLf_ = false;
    bool frozen_ = false;
    bool misfit_ = false;
};

}  // namespace tessaly
