// The program boxview-check: its options, its help, and the check of each file named on its command line.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "analysis/check.h"

struct CheckOptions {
    bool json = false;
    bool help = false;  // --help: print helpText() and stop
    CheckSettings settings;
    std::vector<std::string> files;
    std::string error;  // empty when the command line is usable
};

// Reads the arguments that follow the program name. "--" ends the options.
CheckOptions parseArguments(const std::vector<std::string>& args);

// The one-line usage reminder, without the line end.
std::string usageText();

// The usage and every option, in French, each line ended by '\n'.
std::string helpText();

// Checks every file in turn and returns the exit status: 0 when all are
// clean, 1 when a problem was found, 2 when a file was refused or a report
// could not be written (then one line goes to err). Reports go to out; the
// reader's refusals go to out in text mode and to err in JSON mode so that the
// JSON stream stays one object a line.
int runCheck(const CheckOptions& options, std::ostream& out, std::ostream& err);
