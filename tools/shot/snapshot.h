// boxview-shot: renders the viewer's own frame of a layout into a PNG file, without a screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ShotOptions {
    std::string layout;
    std::string output;
    int32_t select = 0;
    bool hasSelect = false;
    bool hasRotX = false;
    bool hasRotZ = false;
    bool hasAngle = false;
    bool hasDistance = false;
    double rotX = 0;
    double rotZ = 0;
    double angle = 0;
    double distance = 0;
};

// Reads "LAYOUT OUT.png [--select N] [--rotx DEG] [--rotz DEG] [--angle RAD] [--distance D]".
// On a bad argument returns false with a one-line French message in error.
bool parseShotArgs(const std::vector<std::string>& args, ShotOptions& options, std::string& error);

// Writes width x height RGB pixels (top row first) as a PNG: first to a temporary
// file beside path, then renamed over it, so no partial image is ever left.
bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
              std::string& error);

// The whole program: 0 on success, 2 for bad arguments or a refused layout, 1 when
// rendering or writing fails. Messages go to err.
int runShot(const std::vector<std::string>& args, std::ostream& err);
