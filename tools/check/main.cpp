// Entry point of boxview-check: reads the command line and checks each layout file named on it.
#include <iostream>
#include <string>
#include <vector>

#include "tools/check/check_tool.h"

// 0 when every file is clean, 1 when a problem was found, 2 when the command line or a file
// was refused, or when a report could not be written.
int main(int argc, char** argv) {
    const CheckOptions options = parseArguments({argv + (argc > 0 ? 1 : 0), argv + argc});
    if (!options.error.empty()) {
        std::cerr << options.error << std::endl;
        return 2;
    }
    const CheckRun run = runCheck(options, std::cout, std::cerr);
    if (run.error.kind != ErrorKind::kNone) {
        std::cerr << run.error.message << std::endl;
        return 2;
    }
    return run.fileRefused ? 2 : run.problemFound ? 1 : 0;
}
