// A stand-in for tesscli in the wizard's run tests. It appends its arguments
// to the file named by TESSALY_STUB_LOG (one per line, after a line with
// their count), prints a few lines (and TESSALY_STUB_LINES more, when set),
// then behaves as TESSALY_STUB_MODE says:
// "exit N" exits with status N, "late MS N" waits MS milliseconds first,
// "crash" kills itself, "hang" waits (after writing TESSALY_STUB_LOG +
// ".running") until it is killed.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

int main(int argc, char* argv[]) {
    const char* log = std::getenv("TESSALY_STUB_LOG");
    if (log) {
        std::ofstream out(log, std::ios::binary | std::ios::app);
        out << (argc - 1) << '\n';
        for (int i = 1; i < argc; ++i) {
            out << argv[i] << '\n';
        }
    }
    // Markup at the start, which a rich-text view would take for HTML, and
    // a Latin-1 byte.
    std::printf("<b>not bold</b> caf\xe9\n");
    std::printf("stub: converting\n");
    const int extraLines =
        std::getenv("TESSALY_STUB_LINES") ? std::atoi(std::getenv("TESSALY_STUB_LINES")) : 0;
    for (int i = 0; i < extraLines; ++i) {
        std::printf("stub: line %d\n", i);
    }
    std::fflush(stdout);

    const std::string mode =
        std::getenv("TESSALY_STUB_MODE") ? std::getenv("TESSALY_STUB_MODE") : "exit 0";
    if (mode == "crash") {
#ifdef SIGKILL
        std::raise(SIGKILL);
#endif
        std::abort();
    }
    if (mode == "hang") {
        if (log) {
            std::ofstream(std::string(log) + ".running") << "running\n";
        }
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    if (mode.rfind("late ", 0) == 0) {
        char* rest = nullptr;
        const long ms = std::strtol(mode.c_str() + 5, &rest, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return std::atoi(rest);
    }
    if (mode.rfind("exit ", 0) == 0) {
        return std::atoi(mode.c_str() + 5);
    }
    return 0;
}
