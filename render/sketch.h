// Flat drawings of a layout for print, worked out without GL: a step of the load in the framed view and the container seen from above, as shapes and texts in the order they are drawn.
#pragma once

#include "render/view.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Scene;

// A point of the drawing: origin at the top left, y down, in the drawing's own units.
struct SketchPoint {
    double x = 0, y = 0;
};

// A polygon (or an open line), filled and edged or either alone.
struct SketchShape {
    std::vector<SketchPoint> points;
    bool closed = true;
    bool filled = false;
    uint8_t fill[3] = {};
    uint8_t edge[3] = {};
    double edgeWidth = 0;  // 0: no edge
};

// A text centred on a point, turned by angle degrees (counter-clockwise); a badge stands
// in a white disc with a dark ring, as a box's number does.
struct SketchText {
    SketchPoint at;
    std::string text;
    bool badge = false;
    double angle = 0;
};

struct Sketch {
    double width = 0, height = 0;
    std::vector<SketchShape> shapes;  // drawn in order, each over the ones before
    std::vector<SketchText> texts;    // drawn over every shape
};

// Edge widths, in the drawing's units: the boxes already in place, the boxes of the whole
// load, and the outline of the box to place.
constexpr double kQuietEdgeWidth = 0.4;
constexpr double kPlainEdgeWidth = 0.6;
constexpr double kHeavyEdgeWidth = 2.5;

// The colour of a box already in place: lighter and nearer grey than its own.
void quietColour(const GLubyte colour[3], uint8_t quiet[3]);

// The container framed from the home view's direction (a 4:3 drawing frames it best), with
// boxes 1..step: the earlier ones quiet, box step in its own colour (its top exactly, its
// sides a little darker), outlined heavily over everything and numbered. Step 0 draws
// every box in its own colour and none stands out.
Sketch stepSketch(const Scene& scene, const Palette& palette, int32_t step, double width,
                  double height);

// The same step seen from above as from the framed view's side (x to the left, y toward the
// reader), the box to place over the others, and the distances of its lowest corner from the
// container's corner along x and y as dimension lines, labelled "x = " and "y = " with
// numberText's numbers.
Sketch topSketch(const Scene& scene, const Palette& palette, int32_t step, double width,
                 double height, const std::function<std::string(double)>& numberText);
