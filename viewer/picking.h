// Picks the box under the mouse pointer by drawing the boxes again in GL selection mode.
#pragma once

#include "render/view.h"

#include <GL/gl.h>

#include <cstdint>

struct Scene;

// One hit record per box fits, so a click through a deep stack still finds the front box.
constexpr int kPickBufferSize = 4 * 60;

// Among hit records of four words (name count, min depth, max depth, name),
// the name of the record with the smallest minimum depth, so the face that is seen
// wins over a box hidden inside another; the earlier record wins a tie. 0 when hits is 0 or less.
int32_t chooseHit(const GLuint* buffer, GLint hits);

// The number of the box under GL window point (x, y), origin at the bottom left, or 0.
int32_t pickBox(const Camera& camera, const Scene& scene, const ViewState& view, double x,
                double y);

// Runs the click the controls recorded, if any: the picked box (or 0) becomes the selection.
void runPendingPick(const Scene& scene, const Camera& camera, ViewState& view);
