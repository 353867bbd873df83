#include <string>
#include <vector>

#include "cli/command_line.h"

int main(int argc, char** argv) {
    tessaly::reportFailedWritesAsErrors();
    tessaly::reportInterruptsAsFailures();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return tessaly::runCommandLine(arguments, tessaly::systemPlatform(), tessaly::standardOutput());
}
