// Where no thread can be started (a limit on processes, say), tesscli reads
// and works on its own thread and converts exactly as it does otherwise. A
// preloaded library makes every thread creation fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/test_files.h"

namespace tessaly::testing {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the programs this test starts.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(NoThreads, TheConversionIsTheSameOnOneThread) {
    TempFolder work;
    // Larger than a read block, so that the input would be read ahead; a
    // recursive access path and a file given by name, so that the parse
    // would hand work to its worker.
    std::string source = readFile(fs::path(TESSALY_TEST_DATA) / "truncation/sample.mcp.xml");
    source.insert(source.find("<PROJECT>"), "<!-- " + std::string(600 * 1024, '-') + " -->\n");
    writeFile(work.path() / "big.mcp.xml", source);
    for (const char* folder : {"lib/include/a/b", "lib/include/c"}) {
        fs::create_directories(work.path() / folder);
    }
    writeFile(work.path() / "lib/include/c/main.c", "int main(void) { return 0; }\n");
    const fs::path dest = work.path() / "out";
    const auto convert = [&] {
        fs::remove_all(dest);
        fs::create_directory(dest);
        return runProgram(TESSCLI_PATH, {"big.mcp.xml", "out", ""}, work.path());
    };

    const ProgramResult threaded = convert();
    ASSERT_EQ(threaded.exitStatus, 0) << threaded.output;
    ASSERT_NE(threaded.output.find("lib/include/c/main.c"), std::string::npos) << threaded.output;
    const auto threadedTree = snapshotTree(dest);

    const fs::path mark = work.path() / "thread refused";
    ProgramResult alone;
    {
        ScopedEnvironment preload("LD_PRELOAD", TESSALY_NO_THREADS_LIBRARY);
        ScopedEnvironment marker("TESSALY_NO_THREADS_MARK", mark.string());
        // A sanitizer runtime would otherwise insist on being loaded first.
        const char* asan = std::getenv("ASAN_OPTIONS");
        ScopedEnvironment sanitizer("ASAN_OPTIONS",
                                    std::string(asan ? asan : "") + ":verify_asan_link_order=0");
        alone = convert();
    }
    EXPECT_TRUE(fs::exists(mark)) << "no thread was asked for";
    EXPECT_EQ(alone.exitStatus, threaded.exitStatus);
    EXPECT_EQ(alone.output, threaded.output);
    EXPECT_EQ(snapshotTree(dest), threadedTree);
}

}  // namespace
}  // namespace tessaly::testing
