#include <exception>
#include <string>
#include <vector>

#include "cli/command_line.h"

int main(int argc, char** argv) {
    tessaly::Console& console = tessaly::standardOutput();
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        return tessaly::runCommandLine(arguments, tessaly::systemPlatform(), console);
    } catch (const std::exception& error) {
        console.line(std::string("Conversion failed: ") + error.what());
    } catch (...) {
        console.line("Conversion failed: unknown error");
    }
    return 1;
}
