// boxview-shot: renders the viewer's own frame of a layout into a PNG file, without a screen.
#pragma once

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

// Reads "LAYOUT OUT.png [--upto K] [--select N] [--rotx DEG] [--rotz DEG] [--angle RAD]
// [--distance D]" or "--help". Angles come back within one turn. On a bad argument
// returns false with a one-line French message in error.
bool parseShotArgs(const std::vector<std::string>& args, ShotOptions& options, std::string& error);

// The whole program: 0 on success, 2 for bad arguments, a refused layout or a refused
// output, 1 when the fonts, the rendering or the writing fail. The usage asked by --help
// goes to out, messages to err; the picture goes to standard output for "-".
int runShot(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
