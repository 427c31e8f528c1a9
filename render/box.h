// Draws one axis-aligned box: filled faces with edges, or the heavier shifted outline.
#pragma once

#include <GL/gl.h>

// How far the outline is shifted along y and z.
constexpr double kOutlineOffset = 0.05;

// Faces in colour (or in the current colour when colour is null), then the
// twelve edges: black at width 1, or the inverse colour at width 4 when selected.
// Negative extents put the far side on the other side of the corner.
void drawBox(const GLubyte* colour, float x, float y, float z, float dx, float dy, float dz,
             bool selected);

// The twelve edges again, shifted by kOutlineOffset along y and z: black at
// width 2, or the inverse colour at width 4 when selected.
void drawBoxOutline(const GLubyte* colour, float x, float y, float z, float dx, float dy, float dz,
                    bool selected);
