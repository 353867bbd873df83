// What the fields of the first two pages must hold, and why one does not:
// a path names an existing file or folder, as its field asks; the project's
// name is a name, not a path. The reasons are data; the wizard words them.
#pragma once

#include <QString>

#include "platform/platform.h"

namespace tessaly::wizard {

enum class PathKind { File, Folder };

enum class FieldProblem {
    None,
    NoPath,         // empty
    NoSuchFile,     // nothing of that name
    NoSuchFolder,   // nothing of that name
    FolderNotFile,  // a folder where a file is asked for
    FileNotFolder,  // a file where a folder is asked for
    NotAFile,       // a device, a pipe or a socket
    NotAFolder,     // the same, where a folder is asked for
    NoName,         // empty or blanks only
    NameWithSeparator,
    NameWithDots,  // holds ".."
};

// Relative paths count from the current directory.
FieldProblem pathProblem(const QString& path, PathKind kind);

// The project's name becomes the file <destination>/<name>.prj: a separator
// of the platform's style (`/`, and `\` on Windows) or ".." in it would put
// the project elsewhere.
FieldProblem nameProblem(const QString& name, PathStyle style);

}  // namespace tessaly::wizard
