// Where a browse dialog opens: in the folder of its field's current value, or
// else at the last path chosen in any browse dialog.
#pragma once

#include <QString>

namespace tessaly::wizard {

// The start location of a browse dialog, with native separators. A value
// that names a folder starts there; a file, or a missing name in an existing
// folder, starts in that folder. Without a usable value the dialog starts at
// `lastChoice`, or, for a folder dialog, in the folder that holds it when it
// is not a folder itself: a folder dialog must never open with a file name
// filled in.
QString browseStart(bool folderDialog, const QString& fieldValue, const QString& lastChoice);

}  // namespace tessaly::wizard
