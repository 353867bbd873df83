// Path texts in the format the export states beside them, turned into the
// host's form before any join or look-up. The IDE writes most paths in Mac
// OS form (":::include:"), and Windows projects mix Windows and Mac OS forms;
// used as written, such a path names nothing on the host.
//   MacOS    a text that starts with ':' is relative: the ':' after it
//            separate the pieces, each empty piece but the last stands for
//            the parent folder, a final ':' ends the text ("::" is "..",
//            ":::include:" is "../../include"). A text without ':' is a plain
//            name, and one that holds ':' elsewhere starts with a volume name
//            no host folder stands for: both stay as written.
//   Windows  on POSIX every '\' becomes '/'.
//   Unix     on Windows every '/' becomes '\'.
// Any other format ("Generic", empty, unknown) leaves the text as it is.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tessaly {

std::string inHostForm(std::string_view text, std::string_view format, PathStyle host);

}  // namespace tessaly
