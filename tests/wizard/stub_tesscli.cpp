// A stand-in for tesscli in the wizard's run tests. It appends its arguments
// to the file named by TESSALY_STUB_LOG (one per line, after a line with
// their count), prints a few lines (and TESSALY_STUB_LINES more, when set,
// then the line TESSALY_STUB_LAST, when set) in the way TESSALY_STUB_WRITES
// says ("lines": one write per line, the
// default; "bytes": one write per byte, a millisecond apart; "block": all in
// one write), then behaves as TESSALY_STUB_MODE says:
// "exit N" exits with status N, "late MS N" waits MS milliseconds first,
// "crash" kills itself, "hang" waits (after writing TESSALY_STUB_LOG +
// ".running") until it is killed, "interruptible" waits so too but ends as
// tesscli does when asked to (through tesscli's own handler: its last line,
// status 1), "stubborn" takes the request and goes on waiting.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "platform/interrupts.h"
#include "platform/platform.h"

namespace {

// Whether the run was asked to end and, in this mode, heeds it.
bool asked(const std::string& mode) {
    try {
        tessaly::throwIfInterrupted();
    } catch (const tessaly::Interrupted&) {
        return mode == "interruptible";
    }
    return false;
}

void pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Writes the output the way `how` says.
void write(const std::string& output, const std::string& how) {
    if (how == "bytes") {
        for (char c : output) {
            std::fputc(c, stdout);
            std::fflush(stdout);
            pause(1);
        }
    } else if (how == "block") {
        std::fwrite(output.data(), 1, output.size(), stdout);
    } else {
        for (std::size_t start = 0; start < output.size();) {
            const std::size_t end = output.find('\n', start) + 1;
            std::fwrite(output.data() + start, 1, end - start, stdout);
            std::fflush(stdout);
            start = end;
        }
    }
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    const char* log = std::getenv("TESSALY_STUB_LOG");
    if (log) {
        std::ofstream out(log, std::ios::binary | std::ios::app);
        out << (argc - 1) << '\n';
        for (int i = 1; i < argc; ++i) {
            out << argv[i] << '\n';
        }
    }
    // Markup at the start, which a rich-text view would take for HTML, a
    // non-ASCII character in UTF-8, the system's encoding here, and a line
    // in Latin-1, as a Latin-1 export's names come out.
    std::string output = "<b>not bold</b> caf\xc3\xa9\nSourc\xe9s Latin\nstub: converting\n";
    const int extraLines =
        std::getenv("TESSALY_STUB_LINES") ? std::atoi(std::getenv("TESSALY_STUB_LINES")) : 0;
    for (int i = 0; i < extraLines; ++i) {
        output += "stub: line " + std::to_string(i) + "\n";
    }
    if (const char* last = std::getenv("TESSALY_STUB_LAST")) {
        output += std::string(last) + "\n";
    }
    write(output, std::getenv("TESSALY_STUB_WRITES") ? std::getenv("TESSALY_STUB_WRITES") : "");

    const std::string mode =
        std::getenv("TESSALY_STUB_MODE") ? std::getenv("TESSALY_STUB_MODE") : "exit 0";
    if (mode == "crash") {
#ifdef SIGKILL
        std::raise(SIGKILL);
#endif
        // Where there are no signals (Windows): an illegal instruction, which
        // ends the process with an exception code, as a crash does.
        __builtin_trap();
    }
    if (mode == "hang" || mode == "interruptible" || mode == "stubborn") {
        if (mode != "hang") {
            tessaly::reportInterruptsAsFailures();
        }
        if (log) {
            std::ofstream(std::string(log) + ".running") << "running\n";
        }
        while (!asked(mode)) {
            pause(10);
        }
        write("Conversion failed: interrupted\n", "");
        return 1;
    }
    if (mode.rfind("late ", 0) == 0) {
        char* rest = nullptr;
        pause(int(std::strtol(mode.c_str() + 5, &rest, 10)));
        return std::atoi(rest);
    }
    if (mode.rfind("exit ", 0) == 0) {
        return std::atoi(mode.c_str() + 5);
    }
    return 0;
}
