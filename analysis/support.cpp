// What a box's contacts hold up: the union of their areas by a sweep over a segment tree, and the convex hull that must hold the centre of the base.
#include "analysis/support.h"

#include <algorithm>

#include "analysis/check.h"

namespace analysis {

namespace {

uint64_t areaOf(const Rect& r) {
    return static_cast<uint64_t>(r.x1 - r.x0) * static_cast<uint64_t>(r.y1 - r.y0);
}

bool disjoint(const Rect& a, const Rect& b) {
    return a.x1 <= b.x0 || b.x1 <= a.x0 || a.y1 <= b.y0 || b.y1 <= a.y0;
}

// Adds delta over the slots [from, to) of the y segment tree and keeps each
// node's covered length.
void coverRange(Scratch& s, int node, int low, int high, int from, int to, int delta) {
    if (to <= low || high <= from) return;
    if (from <= low && high <= to) {
        s.cover[node] += delta;
    } else {
        int middle = (low + high) / 2;
        coverRange(s, 2 * node, low, middle, from, to, delta);
        coverRange(s, 2 * node + 1, middle, high, from, to, delta);
    }
    if (s.cover[node] > 0) {
        s.covered[node] = static_cast<uint64_t>(s.ys[high] - s.ys[low]);
    } else if (high - low == 1) {
        s.covered[node] = 0;
    } else {
        s.covered[node] = s.covered[2 * node] + s.covered[2 * node + 1];
    }
}

// The exact area of the union of the rectangles, each place counted once: a
// sweep along x over a segment tree of the y coordinates, O(k log k).
uint64_t unionArea(const std::vector<Rect>& rects, Scratch& s) {
    bool apart = rects.size() <= 8;
    for (std::size_t i = 0; apart && i < rects.size(); ++i) {
        for (std::size_t j = i + 1; apart && j < rects.size(); ++j) {
            apart = disjoint(rects[i], rects[j]);
        }
    }
    uint64_t area = 0;
    if (apart) {
        for (const Rect& r : rects) area += areaOf(r);
        return area;
    }
    s.ys.clear();
    s.edges.clear();
    for (const Rect& r : rects) {
        s.ys.push_back(r.y0);
        s.ys.push_back(r.y1);
        s.edges.push_back({r.x0, r.y0, r.y1, 1});
        s.edges.push_back({r.x1, r.y0, r.y1, -1});
    }
    std::sort(s.ys.begin(), s.ys.end());
    s.ys.erase(std::unique(s.ys.begin(), s.ys.end()), s.ys.end());
    std::sort(s.edges.begin(), s.edges.end(),
              [](const Scratch::Edge& a, const Scratch::Edge& b) { return a.x < b.x; });
    const int slots = static_cast<int>(s.ys.size()) - 1;
    s.cover.assign(4 * s.ys.size(), 0);
    s.covered.assign(4 * s.ys.size(), 0);
    int64_t previousX = s.edges.front().x;
    for (const Scratch::Edge& edge : s.edges) {
        area += s.covered[1] * static_cast<uint64_t>(edge.x - previousX);
        previousX = edge.x;
        int from =
            static_cast<int>(std::lower_bound(s.ys.begin(), s.ys.end(), edge.y0) - s.ys.begin());
        int to =
            static_cast<int>(std::lower_bound(s.ys.begin(), s.ys.end(), edge.y1) - s.ys.begin());
        coverRange(s, 1, 0, slots, from, to, edge.delta);
    }
    return area;
}

// Twice the signed area of the triangle o, a, b; the coordinates are doubled
// values of up to 2^34 in magnitude, so the products need 128 bits.
__extension__ typedef __int128 Wide;
Wide cross(const Scratch::Point& o, const Scratch::Point& a, const Scratch::Point& b) {
    return Wide(a.x - o.x) * Wide(b.y - o.y) - Wide(a.y - o.y) * Wide(b.x - o.x);
}

// True when the centre of the footprint lies in the convex hull of the
// contacts, its edge included. Everything is in doubled coordinates so that a
// centre at half a unit is exact.
bool centreSupported(const Extent3& box, const std::vector<Rect>& rects, Scratch& s) {
    const Scratch::Point centre{box.axes[0].low + box.axes[0].high,
                                box.axes[1].low + box.axes[1].high};
    for (const Rect& r : rects) {
        if (2 * r.x0 <= centre.x && centre.x <= 2 * r.x1 && 2 * r.y0 <= centre.y &&
            centre.y <= 2 * r.y1) {
            return true;
        }
    }
    s.points.clear();
    for (const Rect& r : rects) {
        for (int64_t x : {r.x0, r.x1}) {
            for (int64_t y : {r.y0, r.y1}) s.points.push_back({2 * x, 2 * y});
        }
    }
    std::sort(s.points.begin(), s.points.end(),
              [](const Scratch::Point& a, const Scratch::Point& b) {
                  return a.x != b.x ? a.x < b.x : a.y < b.y;
              });
    // Andrew's monotone chain, counter-clockwise, collinear points dropped.
    s.hull.assign(2 * s.points.size(), {});
    std::size_t k = 0;
    for (std::size_t i = 0; i < s.points.size(); ++i) {
        while (k >= 2 && cross(s.hull[k - 2], s.hull[k - 1], s.points[i]) <= 0) --k;
        s.hull[k++] = s.points[i];
    }
    for (std::size_t i = s.points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross(s.hull[k - 2], s.hull[k - 1], s.points[i]) <= 0) --k;
        s.hull[k++] = s.points[i];
    }
    for (std::size_t i = 0; i + 1 < k; ++i) {
        if (cross(s.hull[i], s.hull[i + 1], centre) < 0) return false;
    }
    return true;
}

}  // namespace

Judgement judge(const Extent3& box, const std::vector<Rect>& rects, Scratch& s) {
    Judgement judgement;
    if (rects.empty()) return judgement;
    judgement.area = unionArea(rects, s);
    judgement.centreHeld = centreSupported(box, rects, s);
    return judgement;
}

double percentOf(uint64_t area, uint64_t footprint) {
    if (area == footprint) return 100.0;  // the common case, without a 128-bit division
    const Volume hundredths = Volume(area) * 10000u / footprint;
    return static_cast<double>(static_cast<uint64_t>(hundredths)) / 100.0;
}

}  // namespace analysis
