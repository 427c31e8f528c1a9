// Puts a print sketch of a layout on a page of the plan.
#pragma once

#include "render/sketch.h"

#include <cairo.h>

// Draws the sketch with its top-left corner at (x, y), one unit to the point, clipped to
// its size and framed by a thin grey line.
void drawSketch(cairo_t* cr, const Sketch& sketch, double x, double y);
