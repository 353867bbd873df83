// What the fields of the first three pages must hold, and why one does not:
// a path names an existing file or folder, as its field asks; the project's
// name is a name, not a path; the custom extensions are extensions. The
// reasons are data; the wizard words them.
#pragma once

#include <QString>

#include "platform/platform.h"

namespace tessaly::wizard {

enum class PathKind { File, Folder };

enum class FieldProblem {
    None,
    NoPath,         // empty or blanks only
    NoSuchFile,     // nothing of that name
    NoSuchFolder,   // nothing of that name
    FolderNotFile,  // a folder where a file is asked for
    FileNotFolder,  // a file where a folder is asked for
    NotAFile,       // a device, a pipe or a socket
    NotAFolder,     // the same, where a folder is asked for
    NoName,         // empty or blanks only
    NameWithSeparator,
    NameOnlyDots,      // ".", "..": no file of its own
    NameWithBlankEnd,  // starts or ends with a blank
    NameTooLong,       // <name>.prj is longer than a file name can be
    NotAnExtension,    // a custom extension that matches no file
};

// The longest file name the file systems in use take (ext4, XFS, Btrfs,
// APFS: 255 bytes; NTFS, FAT: 255 UTF-16 units).
inline constexpr int kLongestFileName = 255;

// A field of blanks counts as empty: its text, or an empty text.
QString fieldValue(const QString& text);

// Relative paths count from the current directory.
FieldProblem pathProblem(const QString& path, PathKind kind);

// The CodeWarrior installation folder: an existing folder, or, on POSIX,
// where most users have none, nothing at all (tesscli then knows no
// CodeWarrior folder; on Windows it would look in the registry instead).
FieldProblem installationProblem(const QString& path, PathStyle style);

// The name the project file takes: the typed name without a ".prj" ending
// of its own (in any letter case), since tesscli appends one.
QString projectName(const QString& typed);

// The project's name becomes the file <destination>/<name>.prj: a separator
// of the platform's style (`/`, and `\` on Windows) would put it elsewhere, a
// name of dots names a folder, a blank at either end is easily typed and
// hard to see (Windows drops a trailing one), and the file system takes
// names of a limited length.
FieldProblem nameProblem(const QString& name, PathStyle style);

// The custom extensions field: every piece an extension.
FieldProblem customExtensionsProblem(const QString& typed);

}  // namespace tessaly::wizard
