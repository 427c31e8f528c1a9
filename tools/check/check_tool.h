// The program boxview-check: its command line and the check of each file named on it.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "analysis/check.h"
#include "tools/common/outcome.h"

struct CheckOptions {
    bool json = false;
    bool help = false;  // --help: runCheck writes the help and nothing else
    CheckSettings settings;
    std::vector<std::string> files;
    std::string error;  // one French line; empty when the command line is usable
};

// Reads the arguments that follow the program name.
CheckOptions parseArguments(const std::vector<std::string>& args);

// What checking every file found.
struct CheckRun {
    bool problemFound = false;
    bool fileRefused = false;
    Error error;  // kFailed when a report or the help could not be written: the run stopped there
};

// Checks every file in turn, or writes the help. Reports go to out; the reader's refusals go
// to out in text mode and to err in JSON mode, so that the JSON stream stays one object a line.
CheckRun runCheck(const CheckOptions& options, std::ostream& out, std::ostream& err);
