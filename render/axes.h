// The reference geometry around a layout: coloured axes with ticks and labels, floor and back-wall grids.
#pragma once

#include "render/font.h"

struct Scene;

// Red x, green y and blue z axes from the origin, each with arrowhead, unit ticks and a label.
void drawAxes(const Scene& scene, const FontCache& fonts);

// Unit grids on the floor (z = 0) and the back wall (y = 0), every tenth line teal.
void drawGrids(const Scene& scene);
