// The reference geometry around a layout: coloured axes with ticks and labels, floor and back-wall grids.
#pragma once

#include "render/font.h"

#include <cstdint>

struct Scene;

// An axis runs 7 units past the container; computed wide so that no 32-bit dimension overflows.
inline double axisLength(int32_t dim) {
    return static_cast<double>(int64_t{dim} + 7);
}

// Red x, green y and blue z axes from the origin, each with arrowhead, unit ticks and a label.
void drawAxes(const Scene& scene, const FontCache& fonts);

// Unit grids on the floor (z = 0) and the back wall (y = 0), every tenth line teal.
void drawGrids(const Scene& scene);
