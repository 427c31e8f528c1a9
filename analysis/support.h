// What a box's contacts hold up: the exact area of their union, and whether the centre of its base lies within them.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/extent.h"

namespace analysis {

// Buffers reused from box to box by the area and hull computations.
struct Scratch {
    std::vector<int64_t> ys;
    std::vector<int> cover;
    std::vector<uint64_t> covered;
    struct Edge {
        int64_t x;
        int64_t y0, y1;
        int delta;
    };
    std::vector<Edge> edges;
    struct Point {
        int64_t x, y;
    };
    std::vector<Point> points;
    std::vector<Point> hull;
};

// How well the contacts hold a box: their area, and whether the centre is held.
struct Judgement {
    uint64_t area = 0;
    bool centreHeld = false;
};

// Judges a box on rects, the common rectangles of its base and of what it stands on.
Judgement judge(const Extent3& box, const std::vector<Rect>& rects, Scratch& s);

// area / footprint in %, rounded down to two decimals.
double percentOf(uint64_t area, uint64_t footprint);

}  // namespace analysis
