// The window's picture of a layout made without a screen: a headless context, the frame, the read-back.
#pragma once

#include "render/font.h"
#include "render/headless.h"
#include "render/view.h"

#include <cstdint>
#include <string>
#include <vector>

struct Scene;
struct ProblemMarks;

// A headless context of the window's size with the frame's fonts and palette; the context
// goes with it.
struct PictureMaker {
    HeadlessGl gl;
    FontCache fonts;
    Palette palette;
};

// Loads the fonts, then makes the context (with Mesa's quick shader compilation, unless
// GALLIVM_PERF is already set: a single picture gains more from it than it loses).
// False with one French line in error when the fonts or the context fail.
bool openPictureMaker(PictureMaker& maker, std::string& error);

// The home view of the window (camera, model turn, whole load, no selection).
void homeView(Camera& camera, ViewState& view);

// The view that shows step k of the load: boxes 1..k, box k selected (none for 0).
ViewState stepView(int32_t step);

// Draws one frame (with the problems' marks, when given and the view shows them) and reads
// it back: kWindowWidth x kWindowHeight RGB, top row first.
std::vector<uint8_t> drawPicture(const PictureMaker& maker, const Scene& scene,
                                 const ViewState& view, const Camera& camera,
                                 const ProblemMarks* problems = nullptr);
