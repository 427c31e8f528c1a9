// boxview-shot: renders the viewer's own frame of a layout into a PNG file, without a screen.
#pragma once

#include "tools/common/outcome.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

struct ShotOptions {
    std::string layout;
    std::string output;
    int32_t select = 0;
    bool hasSelect = false;
    int32_t upto = 0;
    bool hasUpto = false;
    bool help = false;
    bool fit = false;       // the camera frames the container
    bool problems = false;  // the checker's findings drawn over the load
    bool hasRotX = false;
    bool hasRotZ = false;
    bool hasAngle = false;
    bool hasDistance = false;
    double rotX = 0;
    double rotZ = 0;
    double angle = 0;
    double distance = 0;
};

// A distance from the centre beyond this is refused: the picture would be blank.
constexpr double kMaxDistance = 1e7;

// Reads the command line: LAYOUT OUT.png and the options (--upto K, --select N, --rotx DEG,
// --rotz DEG, --angle RAD, --distance D, --fit, --problems), or --help. Angles come back within one turn. On a bad
// argument returns false with a one-line French message in error.
bool parseShotArgs(const std::vector<std::string>& args, ShotOptions& options, std::string& error);

// The whole program: kRefused for bad arguments, a refused layout or a refused output,
// kFailed when the fonts, the rendering or the writing fail. The help asked by --help goes
// to out; the picture goes to standard output for "-".
Error runShot(const std::vector<std::string>& args, std::ostream& out);
