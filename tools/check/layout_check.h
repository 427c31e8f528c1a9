// Checks a loaded layout for overlapping, stray and degenerate boxes and writes the findings as text or JSON.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "scene/scene.h"

// An exact volume. One extent is at most 2^31 units (the size of a 32-bit
// dimension), so one volume needs up to 93 bits and the sum of kMaxBoxes
// volumes stays below 2^99.
__extension__ typedef unsigned __int128 Volume;

enum class Side { kMin, kMax };

// Two boxes, first < second, whose interiors share a positive volume.
struct Overlap {
    int first = 0;
    int second = 0;
    Volume volume = 0;
};

// A box reaching past one face of the container.
struct Crossing {
    int box = 0;
    char axis = 'x';  // 'x', 'y' or 'z'
    Side side = Side::kMin;
};

struct LayoutReport {
    Container container;
    int boxCount = 0;  // boxes actually checked: 0 when the scene says 0 or less
    Volume containerVolume = 0;
    Volume boxVolume = 0;  // only boxes whose three dimensions are positive
    bool hasUtilisation = false;  // false when the container volume is 0
    double utilisation = 0.0;  // box volume / container volume x 100
    std::vector<Overlap> overlaps;
    std::vector<Crossing> outside;
    std::vector<int> degenerate;
};

// Measures the scene. A box spans from its corner to corner + dimension on
// each axis, whichever way round, so a negative dimension occupies the other
// side of the corner, as the viewer draws it; the container spans 0..dim the
// same way. Degenerate boxes (a dimension of 0 or less) are listed as such,
// are still checked against the container and, when no dimension is 0, for
// overlaps; their volume is left out of boxVolume.
LayoutReport checkLayout(const Scene& scene);

// True when the report lists an overlap, a crossing or a degenerate box.
bool hasProblems(const LayoutReport& report);

// The French report for one file, one finding a line, each line ended by '\n'.
std::string formatText(const std::string& fileName, const LayoutReport& report);

// The report for one file as a single JSON object, without the line end.
std::string formatJson(const std::string& fileName, const LayoutReport& report);

struct CheckOptions {
    bool json = false;
    std::vector<std::string> files;
    std::string error;  // empty when the command line is usable
};

// Reads the arguments that follow the program name. "--" ends the options.
CheckOptions parseArguments(const std::vector<std::string>& args);

// The one-line usage reminder, without the line end.
std::string usageText();

// Checks every file in turn and returns the exit status: 0 when all are
// clean, 1 when a problem was found, 2 when a file was refused. Reports go to
// out; the loader's refusals go to out in text mode and to err in JSON mode so
// that the JSON stream stays one object a line.
int runCheck(const CheckOptions& options, std::ostream& out, std::ostream& err);
