// Projects that moved. An export records folders as they were on the machine
// that wrote it: a Mac OS project names its folders from the volume down
// ("Back40:Desktop Folder:web:browser:libcss:include:") or reaches out of the
// project folder ("::web:browser:"), a Windows project names drives
// ("C:\Dev\web\src"). Once the project sits in a repository, such a folder
// exists only below the project folder, under the last of the names the
// export gives it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cwproject/letter_case.h"
#include "platform/platform.h"

namespace tessaly {

// The named pieces of an access path text that may name a folder of the
// machine that wrote the export: a MacOS text that is absolute or starts
// with "::", a Windows text that starts with a drive or "\" or with "..\".
// The volume or drive, empty pieces, "." and ".." are left out. Nullopt for
// every other text.
std::optional<std::vector<std::string>> movedFolderPieces(std::string_view text,
                                                          std::string_view format);

// The access path `joined` when it names an existing folder; otherwise the
// longest tail of `pieces` that names an existing folder below
// `projectRoot` (which ends in a separator); otherwise `joined`. One folder
// probe per path tried; a tail longer than the platform's longest path is
// no folder and is not tried. With `letterCase`, a tail that names no
// folder as written is also matched without regard to letter case.
std::string findMovedFolder(Platform& platform, const std::string& joined,
                            const std::vector<std::string>& pieces, const std::string& projectRoot,
                            LetterCaseMatcher* letterCase = nullptr);

}  // namespace tessaly
