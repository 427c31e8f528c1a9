// The room a box takes along each axis and the rectangles of the plane, as the analysis's files share them.
#pragma once

#include <algorithm>
#include <cstdint>

#include "scene/scene.h"

namespace analysis {

// A half-open span [low, high) along one axis. 64 bits hold any coordinate
// of the form int32 + int32 and any difference of two such coordinates.
struct Span {
    int64_t low, high;
};

[[gnu::always_inline]] inline Span spanOf(int32_t corner, int32_t extent) {
    int64_t far = int64_t{corner} + int64_t{extent};
    return Span{std::min<int64_t>(corner, far), std::max<int64_t>(corner, far)};
}

struct Extent3 {
    Span axes[3];
};

[[gnu::always_inline]] inline Extent3 boxExtent(const Box& box) {
    return Extent3{
        {spanOf(box.posX, box.dimX), spanOf(box.posY, box.dimY), spanOf(box.posZ, box.dimZ)}};
}

// A rectangle of the plane, half-open, with positive sides.
struct Rect {
    int64_t x0, x1, y0, y1;
};

// The common part of the footprints of two extents, when its area is positive.
inline bool footprintOverlap(const Extent3& a, const Extent3& b, Rect& common) {
    common = Rect{std::max(a.axes[0].low, b.axes[0].low), std::min(a.axes[0].high, b.axes[0].high),
                  std::max(a.axes[1].low, b.axes[1].low), std::min(a.axes[1].high, b.axes[1].high)};
    return common.x0 < common.x1 && common.y0 < common.y1;
}

}  // namespace analysis
