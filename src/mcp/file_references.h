// File references pair the files of the target lists ("mtpl") with the
// link orders ("mtlo") and the group tree, which name a file by its
// reference alone. To the export a reference is only that pairing: a use
// shows the first file that holds its value (its name, path type and
// format), whatever the value. So the constraint against a line-end
// conversion is on the pairing: a use that no conversion changed pins the
// one file that may be its; a use is decided when every file that may hold
// one of its values shows the same, and as read it pairs with one of them
// (both are then kept as they read); when a single file may be its, the two
// are given the value they share.
// Two uses that a conversion made alike (a group listing the files of
// references 0x0A and 0x0D) are told apart by what the lists keep: a list
// names each file once (a link order its target's files, the group tree
// the project's), so a use whose other files are all named elsewhere in it
// takes the one left; and by the order of the list. A link order lists its
// files in their file list's order, a group by name (ASCII letters alike
// in either case): with at least four of the nearest decided uses, up to
// three on each side, in that order, a file that breaks it is not the
// use's. A group also keeps files added one after another in that order:
// between two uses whose references' serials (the low 24 bits, counted
// across the project) leave one between them, a use takes that one. A use
// takes the one file left that every order kept around it allows;
// otherwise it stays open.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "mcp/binary_project.h"
#include "mcp/byte_view.h"

namespace tessaly {

// Where a file stored by path lies: the id of the access path it lies on
// and the folders that its name begins with ("host_common\\").
struct FilePlace {
    std::uint32_t accessPath = 0;
    std::string_view folders;
    bool operator==(const FilePlace&) const = default;
};

class FileReferences {
  public:
    // What a list of uses is: the orders it may keep, and the files it
    // names once.
    enum class ListKind { LinkOrder, Group };

    // The reference of the file entry at `at` in `list`, the `position`-th
    // of its target's list; its place where the entry says it for certain.
    void holder(const ByteView& list, std::size_t at, const BinaryFile& file, std::size_t position,
                std::optional<FilePlace> place);
    // A new list of uses (a link order, a group's files), for use().
    std::size_t list(ListKind kind);
    // A reference at `at` in `view` that names a file, next in its list.
    void use(const ByteView& view, std::size_t at, std::size_t list);
    // Decides the uses, once every part that holds or uses one is read.
    void decide();
    // The place of the file that `reference` names, where every file that
    // may hold it says the same; none otherwise.
    std::optional<FilePlace> placeOf(std::uint32_t reference);

  private:
    struct Reference {
        Restoration* restoration;
        std::size_t at;  // in the file
        std::vector<std::uint32_t> values;
    };
    struct Holder {
        Reference reference;
        std::string_view name;
        std::uint8_t pathType;
        std::uint8_t pathFormat;
        std::size_t position;
        std::optional<FilePlace> place;
    };
    struct Use {
        Reference reference;
        std::size_t list;
        std::vector<Holder*> holders;  // that may be its file
        bool decided = false;
        bool certain = false;  // its value, not only what its file shows
    };
    enum class Order { FileList, Name, Added };
    struct List {
        ListKind kind;
        std::vector<std::size_t> uses;
    };
    // The values of the uses decided for certain in a list, or in the
    // group tree for a group's list.
    using Taken = std::unordered_set<std::uint32_t>;

    void index();
    bool pinHolders();
    void findHolders(Use& use) const;
    bool decideAlone(Use& use);
    bool decideInList(const List& list, Taken& taken);
    std::vector<std::pair<std::uint32_t, Holder*>> candidates(const Use& use,
                                                              const Taken& taken) const;
    bool keptAround(const List& list, std::size_t i, Order order, std::uint32_t value,
                    const Holder& holder) const;
    bool addedBetween(const List& list, std::size_t i, std::uint32_t value) const;
    static void pair(Use& use, Holder& holder);

    std::vector<Holder> holders_;
    std::vector<Use> uses_;
    std::vector<List> lists_;
    std::unordered_map<std::uint32_t, std::vector<Holder*>> byValue_;
};

}  // namespace tessaly
