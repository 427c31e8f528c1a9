// Draws one complete picture of a layout: background, axes, grids, boxes, caption and legend.
#pragma once

#include "render/font.h"

#include <GL/gl.h>

#include <cstdint>

struct Scene;

constexpr int kPaletteSize = 60;

// Box n is drawn with colours[n - 1].
struct Palette {
    GLubyte colours[kPaletteSize][3] = {};
};

// The eye looks at the centre with +z up; eyeX and eyeY follow from the centre,
// orbitAngle (radians) and orbitDistance.
struct Camera {
    double eyeX = 0;
    double eyeY = 0;
    double eyeZ = 0;
    double centerX = 0;
    double centerY = 0;
    double centerZ = 0;
    double orbitAngle = 0;
    double orbitDistance = 0;
};

// Keeps freed memory in the process: the software rasteriser allocates and frees large
// buffers for every batch of smooth lines, and handing them back to the system each
// time made up most of a frame's cost. Call once, before the first frame.
void keepFreedMemoryForFrames();

// Loads identity, the camera's look-at with +z up, then the model turn about z and x (degrees).
void loadViewTransform(const Camera& camera, double rotX, double rotZ);

// Draws the whole frame into the current GL context and flushes; the caller
// presents it (buffer swap). The projection is left as the caller set it.
void drawFrame(const Palette& palette, const Scene& scene, int32_t selectedBox, double rotX,
               double rotZ, const Camera& camera, const FontCache& fonts);
