// Picks the box under the mouse pointer by drawing the boxes again in GL selection mode.
#pragma once

#include "render/frame.h"

#include <GL/gl.h>

#include <cstdint>

struct Scene;

// One hit record per box fits, so a click through a deep stack still finds the front box.
constexpr int kPickBufferSize = 4 * 60;

// Among hit records of four words (name count, min depth, max depth, name),
// the name of the record with the smallest maximum depth; the earlier record
// wins a tie. 0 when hits is 0 or less.
int32_t chooseHit(const GLuint* buffer, GLint hits);

// The number of the box under GL window point (x, y), origin at the bottom left, or 0.
int32_t pickBox(const Camera& camera, const Scene& scene, double rotX, double rotZ, double x,
                double y);

// Draws every box under its own number as GL name, with the frame's view transform.
void drawPickScene(const Camera& camera, const Scene& scene, double rotX, double rotZ);
