// The writer on the Windows-convention double, into C:\out: shared by the
// tests of the writer and of its plan.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "output/project_writer.h"
#include "platform/fake_platform.h"
#include "support/recording_console.h"

namespace tessaly::testing {

using Strings = std::vector<std::string>;

// Lines joined with CR LF, with "@" standing for the destination folder.
inline std::string crlfLines(const Strings& lines, const std::string& dest) {
    std::string text;
    for (std::string line : lines) {
        for (std::size_t at; (at = line.find('@')) != std::string::npos;) {
            line.replace(at, 1, dest);
        }
        text += line + "\r\n";
    }
    return text;
}

class ProjectWriterTest : public ::testing::Test {
  protected:
    ProjectWriterTest() { platform.addFolder(dest); }

    int write(const GroupNode& root, OutputSettings settings = {}) {
        settings.destFolder = dest;
        if (settings.projectName.empty()) {
            settings.projectName = "Engine";
        }
        ProjectWriter writer(settings, platform, console);
        return writer.writeProject(root);
    }

    // A path below the destination folder, given with "/".
    std::string at(const std::string& relative) const {
        std::string path = dest + "/" + relative;
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }
    std::string readFile(const std::string& relative) const {
        return platform.fileContent(at(relative)).value_or("<missing>");
    }
    bool isFolder(const std::string& relative) {
        return platform.directoryFacts(at(relative)).has_value();
    }
    bool exists(const std::string& relative) { return platform.exists(at(relative)); }

    FakePlatform platform;
    std::string dest = "C:\\out";
    RecordingConsole console;
};

}  // namespace tessaly::testing
