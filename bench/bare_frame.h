// The same geometry as the viewer's frame drawn as plainly as possible, as the yardstick of the frame's cost.
#pragma once

struct Palette;
struct Scene;

// Faces, edges and outlines of every box, the legend swatches, the grids and the axes
// with their ticks, under the frame's GL state, with no text. The caller sets the
// view transform; nothing is flushed.
void drawBareFrame(const Palette& palette, const Scene& scene);
