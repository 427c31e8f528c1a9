// Where the headless tools write what they make: checks the target first, then writes it whole or not at all.
#pragma once

#include "tools/common/outcome.h"

#include <cstdio>
#include <functional>
#include <string>
#include <sys/types.h>

// A checked output. "-" means standard output; otherwise path is the file that will be
// replaced or created, reached through any symbolic links of the name given.
struct OutputTarget {
    std::string name;  // as given, for messages
    bool toStandardOutput = false;
    std::string path;  // the final file, links followed
    bool exists = false;
    mode_t mode = 0;  // permission bits kept when an existing file is replaced
    uid_t owner = 0;
    gid_t group = 0;
    // An unnamed temporary file (O_TMPFILE) when the file system has them; tests turn
    // this off to try the named temporary file and its signal clean-up.
    bool allowUnnamed = true;
};

// Checks an output name against the layout it is made from. Returns no error when it may
// be written, kRefused when it is refused (the layout itself, not a regular file, a file the
// user may not write or, in a sticky folder, may not replace, a loop of links) and kFailed when its folder cannot take a file; the
// message is one French line starting with the tool's name.
Error prepareOutput(const std::string& tool, const std::string& name, const std::string& layout,
                    OutputTarget& target);

// Runs fill on a temporary file beside the target, then puts it in place in one step, so
// that a failed run leaves the target as it was and no temporary file (see the README for
// a kill). fill returns false when it could not write everything, and may then set error to
// its reason, which is kept. For standard output, fill writes there directly. Returns false
// with one French line in error.
bool writeOutput(const std::string& tool, const OutputTarget& target,
                 const std::function<bool(FILE*)>& fill, std::string& error);
