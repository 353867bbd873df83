#include "mcp/restoration.h"

#include <algorithm>

namespace tessaly {

namespace {

constexpr char kLf = '\n';
constexpr char kCr = '\r';
// The undecided bytes that fields decided together may hold: three 32-bit
// fields, 4,096 readings. A call with more leaves them open untried.
constexpr std::size_t kMaxJointBytes = 12;

}  // namespace

Restoration::Restoration(std::string& file, ByteOrder order)
    : file_(file), order_(order), holdsCr_(file.find(kCr) != std::string::npos) {}

std::vector<std::size_t> Restoration::undecidedBytes(FieldAt field) const {
    std::vector<std::size_t> bytes;
    const std::size_t end = std::min(field.at + field.size, file_.size());
    for (std::size_t at = field.at; at < end; ++at) {
        if (file_[at] == kLf && !kept(at)) {
            bytes.push_back(at);
        }
    }
    return bytes;
}

bool Restoration::undecided(FieldAt field) const {
    const std::size_t end = std::min(field.at + field.size, file_.size());
    for (std::size_t at = field.at; at < end; ++at) {
        if (file_[at] == kLf && !kept(at)) {
            sawLf_ = true;
            return true;
        }
    }
    return false;
}

std::uint32_t Restoration::valueWith(FieldAt field, const std::vector<std::size_t>& bytes,
                                     unsigned crMask) const {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < field.size; ++i) {
        const std::size_t at = field.at + (order_ == ByteOrder::Big ? i : field.size - 1 - i);
        std::uint8_t byte = static_cast<std::uint8_t>(file_[at]);
        const auto it = std::find(bytes.begin(), bytes.end(), at);
        if (it != bytes.end() && (crMask >> (it - bytes.begin()) & 1) != 0) {
            byte = kCr;
        }
        value = value << 8 | byte;
    }
    return value;
}

std::vector<std::uint32_t> Restoration::values(FieldAt field) const {
    const std::vector<std::size_t> bytes = undecidedBytes(field);
    sawLf_ = sawLf_ || !bytes.empty();
    std::vector<std::uint32_t> result;
    for (unsigned mask = 0; mask < 1u << bytes.size(); ++mask) {
        result.push_back(valueWith(field, bytes, mask));
    }
    return result;
}

void Restoration::decide(FieldAt field, const Fits& fits, Use use) {
    const FitTogether one = [&fits](std::span<const std::uint32_t> values) {
        return fits(values[0]);
    };
    decideTogether(std::span<const FieldAt>(&field, 1), one, use);
}

// Every combination of the fields' undecided bytes is tried.
void Restoration::decideTogether(std::span<const FieldAt> fields, const FitTogether& fits,
                                 Use use) {
    if (frozen_) {
        return;
    }
    std::vector<std::vector<std::size_t>> bytes;
    std::size_t total = 0;
    for (const FieldAt& field : fields) {
        bytes.push_back(undecidedBytes(field));
        total += bytes.back().size();
    }
    if (total == 0) {
        return;
    }
    usesLf_ = usesLf_ || use != Use::IfUsed;
    if (total > kMaxJointBytes) {
        for (const std::vector<std::size_t>& own : bytes) {
            for (const std::size_t at : own) {
                open(at, use);
            }
        }
        return;
    }
    std::vector<std::uint32_t> values(fields.size());
    unsigned crInAll = ~0u;
    unsigned crInAny = 0;
    bool anyFits = false;
    bool asReadFits = false;
    for (unsigned mask = 0; mask < 1u << total; ++mask) {
        unsigned shift = 0;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const unsigned own = mask >> shift & ((1u << bytes[i].size()) - 1);
            values[i] = valueWith(fields[i], bytes[i], own);
            shift += static_cast<unsigned>(bytes[i].size());
        }
        if (fits(values)) {
            anyFits = true;
            asReadFits = asReadFits || mask == 0;
            crInAll &= mask;
            crInAny |= mask;
        }
    }
    misfit_ = misfit_ || (anyFits && !asReadFits);
    std::vector<std::size_t> all;
    for (const std::vector<std::size_t>& own : bytes) {
        all.insert(all.end(), own.begin(), own.end());
    }
    if (!anyFits) {
        for (const std::size_t at : all) {
            open(at, use);
        }
        return;
    }
    decideBytes(all, crInAll, crInAny, use);
}

void Restoration::decideBytes(const std::vector<std::size_t>& bytes, unsigned crInAll,
                              unsigned crInAny, Use use) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if ((crInAll >> i & 1) != 0) {
            restore(bytes[i]);
        } else if ((crInAny >> i & 1) == 0) {
            keep(bytes[i]);
        } else {
            open(bytes[i], use);
        }
    }
}

void Restoration::settle(FieldAt field, std::uint32_t value) {
    if (frozen_) {
        return;
    }
    const std::vector<std::size_t> bytes = undecidedBytes(field);
    for (std::size_t at : bytes) {
        const std::size_t shift =
            8 * (order_ == ByteOrder::Big ? field.at + field.size - 1 - at : at - field.at);
        if ((value >> shift & 0xFF) == std::uint8_t(kCr)) {
            restore(at);
        } else {
            keep(at);
        }
    }
    usesLf_ = usesLf_ || !bytes.empty();
}

void Restoration::leaveOpen(FieldAt field, Use use) {
    if (frozen_) {
        return;
    }
    for (const std::size_t at : undecidedBytes(field)) {
        open(at, use);
        usesLf_ = true;
    }
}

void Restoration::open(std::size_t at, Use use) {
    if (use == Use::Needed) {
        open_.insert(at);
    } else if (use == Use::ExportOnly) {
        openForExport_.insert(at);
    }
}

std::size_t Restoration::undecidableForExport() const {
    std::size_t count = open_.size();
    for (const std::size_t at : openForExport_) {
        count += !open_.contains(at);
    }
    return count;
}

void Restoration::keep(std::size_t at) {
    if (kept_.size() <= at) {
        kept_.resize(file_.size());
    }
    kept_[at] = true;
    open_.erase(at);
    openForExport_.erase(at);
}

void Restoration::restore(std::size_t at) {
    file_[at] = kCr;
    ++restored_;
    open_.erase(at);
    openForExport_.erase(at);
}

// Each text once, however often it is used.
void Restoration::text(std::size_t at, std::size_t size) {
    if (frozen_) {
        return;
    }
    if (size != 0 && std::string_view(file_).substr(at, size).find(kLf) != std::string::npos &&
        textsAt_.insert(at).second) {
        texts_.push_back({at, size});
        usesLf_ = true;
        sawLf_ = true;
    }
}

bool Restoration::showsConversion() const {
    return restored_ != 0 || misfit_ || (!holdsCr_ && usesLf_);
}

void Restoration::finishTexts() {
    for (const FieldAt& text : texts_) {
        restoreText(text.at, text.size);
    }
}

// The Mac OS IDE ends a text's lines with CR, the Windows IDE with CR LF,
// but for texts imported from a Mac OS project, which keep their CR. So in a
// file written on Windows a text is CR LF unless it still holds a CR that
// no LF follows: an LF right after a CR is then that pair's, and a run of
// other LF bytes is pairs. A text that holds no CR any more is CR LF when
// every run of LF bytes in it is even. Otherwise, and in every text of a
// file written on Mac OS, each LF was a CR.
void Restoration::restoreText(std::size_t at, std::size_t size) {
    const std::string_view text = std::string_view(file_).substr(at, size);
    bool loneCr = false;
    bool anyCr = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == kCr) {
            anyCr = true;
            loneCr = loneCr || i + 1 == text.size() || text[i + 1] != kLf;
        }
    }
    std::vector<std::pair<std::size_t, std::size_t>> runs;  // start, length
    for (std::size_t i = at; i < at + size; ++i) {
        const bool pairedWithCr =
            order_ == ByteOrder::Little && anyCr && !loneCr && i > at && file_[i - 1] == kCr;
        if (file_[i] != kLf || kept(i) || pairedWithCr) {
            continue;
        }
        if (!runs.empty() && runs.back().first + runs.back().second == i) {
            ++runs.back().second;
        } else {
            runs.emplace_back(i, 1);
        }
    }
    const bool pairs = order_ == ByteOrder::Little && !loneCr &&
                       (anyCr || std::all_of(runs.begin(), runs.end(),
                                             [](const auto& run) { return run.second % 2 == 0; }));
    for (const auto& [start, length] : runs) {
        for (std::size_t i = 0; i < length; ++i) {
            if (pairs && i % 2 == 1) {
                keep(start + i);
            } else {
                restore(start + i);
            }
        }
    }
}

}  // namespace tessaly
