// Draws one complete picture of a layout: background, axes, grids, boxes, caption and legend.
#pragma once

#include "render/font.h"
#include "render/view.h"

#include <GL/gl.h>

#include <cstdint>

struct Scene;
struct ProblemMarks;

// Keeps freed memory in the process: the software rasteriser allocates and frees large
// buffers for every batch of smooth lines, and handing them back to the system each
// time made up most of a frame's cost. Call once, before the first frame.
void keepFreedMemoryForFrames();

// Draws the whole frame into the current GL context and flushes; the caller presents
// it (buffer swap). Loads the projection, with the planes the view needs, and leaves
// the matrix mode GL_MODELVIEW. Only boxes 1..shownCount are drawn; the legend lists all.
// With view.showProblems, the problems' marks are drawn over the picture, last.
void drawFrame(const Palette& palette, const Scene& scene, const ViewState& view,
               const Camera& camera, const FontCache& fonts,
               const ProblemMarks* problems = nullptr);
