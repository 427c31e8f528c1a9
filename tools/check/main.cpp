// Entry point of boxview-check: reads the command line and checks each layout file named on it.
#include <iostream>
#include <string>
#include <vector>

#include "tools/check/check_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    CheckOptions options = parseArguments(args);
    if (options.help) {
        std::cout << helpText() << std::flush;
        if (!std::cout) {
            std::cerr << "boxview-check : impossible d'ecrire l'aide" << std::endl;
            return 2;
        }
        return 0;
    }
    if (!options.error.empty()) {
        std::cerr << options.error << std::endl;
        return 2;
    }
    return runCheck(options, std::cout, std::cerr);
}
