// Measures a layout (volumes, overlaps, boxes outside the container, support, stability and loading order) and writes the findings for boxview-check.
#include "tools/check/layout_check.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <iterator>
#include <ostream>
#include <sstream>
#include <utility>

namespace {

constexpr char kAxisNames[3] = {'x', 'y', 'z'};

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
    return Extent3{{spanOf(box.posX, box.dimX), spanOf(box.posY, box.dimY),
                    spanOf(box.posZ, box.dimZ)}};
}

Extent3 containerExtent(const Container& container) {
    return Extent3{{spanOf(0, container.dimX), spanOf(0, container.dimY),
                    spanOf(0, container.dimZ)}};
}

// Volume of a box with three non-negative lengths, each at most 2^31.
Volume product(int64_t a, int64_t b, int64_t c) {
    return Volume(static_cast<uint64_t>(a)) * static_cast<uint64_t>(b) * static_cast<uint64_t>(c);
}

Volume volumeOf(const Extent3& extent) {
    return product(extent.axes[0].high - extent.axes[0].low,
                   extent.axes[1].high - extent.axes[1].low,
                   extent.axes[2].high - extent.axes[2].low);
}

bool isDegenerate(const Box& box) {
    return box.dimX <= 0 || box.dimY <= 0 || box.dimZ <= 0;
}

bool hasZeroDimension(const Box& box) {
    return box.dimX == 0 || box.dimY == 0 || box.dimZ == 0;
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

uint64_t areaOf(const Rect& r) {
    return static_cast<uint64_t>(r.x1 - r.x0) * static_cast<uint64_t>(r.y1 - r.y0);
}

bool disjoint(const Rect& a, const Rect& b) {
    return a.x1 <= b.x0 || b.x1 <= a.x0 || a.y1 <= b.y0 || b.y1 <= a.y0;
}

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
        int from = static_cast<int>(std::lower_bound(s.ys.begin(), s.ys.end(), edge.y0) - s.ys.begin());
        int to = static_cast<int>(std::lower_bound(s.ys.begin(), s.ys.end(), edge.y1) - s.ys.begin());
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
    std::sort(s.points.begin(), s.points.end(), [](const Scratch::Point& a, const Scratch::Point& b) {
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

// How well the contacts hold a box: their area, and whether the centre is held.
struct Judgement {
    uint64_t area = 0;
    bool centreHeld = false;
};

Judgement judge(const Extent3& box, const std::vector<Rect>& rects, Scratch& s) {
    Judgement judgement;
    if (rects.empty()) return judgement;
    judgement.area = unionArea(rects, s);
    judgement.centreHeld = centreSupported(box, rects, s);
    return judgement;
}

// area / footprint in %, rounded down to two decimals.
double percentOf(uint64_t area, uint64_t footprint) {
    if (area == footprint) return 100.0;  // the common case, without a 128-bit division
    const Volume hundredths = Volume(area) * 10000u / footprint;
    return static_cast<double>(static_cast<uint64_t>(hundredths)) / 100.0;
}

// Every pair of boxes that share some interior, and every box resting on
// another, found by one sweep along x inside the cells of a grid over y and z.
// The search stops once it finds more than kMaxListedOverlaps overlaps or
// kMaxContacts contacts: boxes left piled up in one place, or long planks laid
// across each other, would otherwise make it list every pair.
//
// Each box takes part in the cells its interior meets in y and, in z, the
// cells from its base up to and including its top face, so that a box and the
// one standing on it share the cell of their common plane. Within a cell the
// boxes come in order of their low x, and each is compared only with the boxes
// of the same cell still open at that x. A pair met in several cells is taken
// only in the cell that holds the low corner of what the two share (their
// common volume, or their common rectangle in the plane where they meet). The
// few boxes that would fill too many cells are compared with every box instead.
//
// Some layouts defeat the cells: long planks laid across each other with a
// gap between the layers, or walls standing against the ends of a stack of
// boards, share cells without touching, and the sweep would compare every
// pair of them. Past a budget of comparisons that found nothing, or when the boxes would fill
// more than a few cells each, the sweep gives up, and the search starts
// again without cells, through a segment tree.
struct Contact {
    uint32_t upper;  // index of the box on top
    uint32_t lower;
};

constexpr uint64_t kMaxCellsPerBox = 64;
constexpr std::size_t kMaxWideBoxes = 32;
constexpr uint64_t kMaxEntriesPerBox = 4;
constexpr uint64_t kComparisonsPerEntry = 64;
constexpr uint64_t kFreeComparisons = uint64_t{1} << 18;

// What the search records for a pair of boxes a, b (indices, a != b).
struct PairSink {
    std::vector<Overlap>& overlaps;
    std::vector<Contact>& contacts;
    std::size_t touches = 0;  // contacts of boxes turned inside out, which hold nothing up
};

// The contacts met so far, whether or not they hold anything up.
std::size_t contactsMet(const PairSink& sink) {
    return sink.contacts.size() + sink.touches;
}

// True once more overlaps are found than a report lists, or more contacts
// than a check keeps: the search stops there.
bool searchFull(const PairSink& sink) {
    return sink.overlaps.size() > kMaxListedOverlaps || contactsMet(sink) > kMaxContacts;
}

// Records what a and b share when their footprints share a rectangle of
// sides xLength and yLength; z0 and z1 are the common span in z, and aUnder
// tells that the top of a is the base of b.
inline void recordPair(PairSink& sink, uint32_t a, uint32_t b, bool solidA, bool solidB,
                       int64_t xLength, int64_t yLength, int64_t z0, int64_t z1, bool aUnder) {
    if (z0 < z1) {
        sink.overlaps.push_back(Overlap{static_cast<int>(std::min(a, b)) + 1,
                                        static_cast<int>(std::max(a, b)) + 1,
                                        product(xLength, yLength, z1 - z0)});
    } else if (z0 == z1 && !(solidA && solidB)) {
        ++sink.touches;
    } else if (z0 == z1) {
        Contact& contact = sink.contacts.emplace_back();
        contact.upper = aUnder ? b : a;
        contact.lower = aUnder ? a : b;
    }
}

// Compares box a with box b directly.
inline void comparePair(PairSink& sink, uint32_t a, uint32_t b, const Extent3& ea,
                        const Extent3& eb, bool solidA, bool solidB) {
    Rect common;
    if (!footprintOverlap(ea, eb, common)) return;
    recordPair(sink, a, b, solidA, solidB, common.x1 - common.x0, common.y1 - common.y0,
               std::max(ea.axes[2].low, eb.axes[2].low), std::min(ea.axes[2].high, eb.axes[2].high),
               ea.axes[2].high == eb.axes[2].low);
}

int bitsOf(uint64_t value) {
    int bits = 0;
    while (value >> bits) ++bits;
    return bits;
}

// A box and its index, as the sweep reads them.
struct Placed {
    Box box;
    uint32_t index;
};

// Sorts items stably by key(item), a number below 2^bits: a radix sort, least
// significant digit first, on digits of 12 bits.
template <typename T, typename Key>
void radixSort(std::vector<T>& items, int bits, Key key) {
    constexpr uint64_t kDigits = 1 << 12;
    std::vector<T> spare(items.size());
    std::vector<uint32_t> counts(kDigits + 1);
    for (int shift = 0; shift < bits; shift += 12) {
        std::fill(counts.begin(), counts.end(), 0);
        for (const T& item : items) ++counts[((key(item) >> shift) & (kDigits - 1)) + 1];
        for (std::size_t d = 1; d < counts.size(); ++d) counts[d] += counts[d - 1];
        for (const T& item : items) spare[counts[(key(item) >> shift) & (kDigits - 1)]++] = item;
        items.swap(spare);
    }
}

// The boxes of members that are not wide, ordered by low x, carried along so
// that the later passes read them in order.
std::vector<Placed> byLowX(const std::vector<Box>& boxes, const std::vector<uint32_t>& members,
                           const std::vector<char>& isWide, int64_t origin) {
    std::vector<Placed> sorted;
    sorted.reserve(members.size());
    uint64_t largest = 0;
    for (uint32_t i : members) {
        if (isWide[i]) continue;
        sorted.push_back(Placed{boxes[i], i});
        largest = std::max(largest, uint64_t(boxExtent(boxes[i]).axes[0].low - origin));
    }
    radixSort(sorted, bitsOf(largest), [origin](const Placed& p) {
        return uint64_t(boxExtent(p.box).axes[0].low - origin);
    });
    return sorted;
}

// The sides of the grid's cells in y and z, as powers of two: two to four times
// the median size of the boxes, grown until few boxes fill too many cells.
struct Grid {
    int64_t originY = 0, originZ = 0;
    int shiftY = 0, shiftZ = 0;
    uint32_t cellY(int64_t y) const { return static_cast<uint32_t>(uint64_t(y - originY) >> shiftY); }
    uint32_t cellZ(int64_t z) const { return static_cast<uint32_t>(uint64_t(z - originZ) >> shiftZ); }
};

struct CellRange {
    uint32_t y0, y1, z0, z1;  // inclusive
    uint64_t count() const { return uint64_t(y1 - y0 + 1) * uint64_t(z1 - z0 + 1); }
};

CellRange cellsOf(const Grid& grid, const Extent3& e) {
    return CellRange{grid.cellY(e.axes[1].low), grid.cellY(e.axes[1].high - 1),
                     grid.cellZ(e.axes[2].low), grid.cellZ(e.axes[2].high)};
}

// The side of a cell as a power of two: about twice the median size, but never
// so small that a cell number needs more than 31 bits.
int cellShift(int64_t span, int64_t median) {
    return std::max(bitsOf(uint64_t(span)) - 31, bitsOf(uint64_t(median)) + 1);
}

int64_t medianSize(const std::vector<Box>& boxes, const std::vector<uint32_t>& members, int axis) {
    std::vector<int64_t> sizes;
    const std::size_t step = std::max<std::size_t>(1, members.size() / 1024);
    for (std::size_t i = 0; i < members.size(); i += step) {
        const Span span = boxExtent(boxes[members[i]]).axes[axis];
        sizes.push_back(span.high - span.low);
    }
    std::nth_element(sizes.begin(), sizes.begin() + sizes.size() / 2, sizes.end());
    return sizes[sizes.size() / 2];
}

// An open box of the sweep.
struct Open {
    int64_t x1, y0, y1, z0, z1;
    uint32_t box;
    uint8_t starts;  // 1: starts in the cell's row, 2: in its layer
    bool solid;
};

// In a cell entry, where its box starts, above the index of the box: shifted
// down, the same 1 (the cell's row) and 2 (its layer) that Open::starts keeps.
constexpr int kStartsShift = 30;
constexpr uint32_t kStartsRow = 1u << kStartsShift;
constexpr uint32_t kStartsLayer = 2u << kStartsShift;
constexpr uint32_t kIndexMask = kStartsRow - 1;
static_assert(kMaxCheckedBoxes <= kIndexMask, "a box index must leave room for the flags");

// The search through the cells. False when it gave up, past its budget of
// comparisons, before the search was done or stopped.
// members: the boxes with no dimension of 0; solid[i]: box i has three positive dimensions.
bool sweepCells(const std::vector<Box>& boxes, const std::vector<uint32_t>& members,
                const std::vector<char>& solid, PairSink& sink) {
    if (members.size() < 2) return true;
    Grid grid;
    int64_t originX = INT64_MAX, topX = INT64_MIN, topY = INT64_MIN, topZ = INT64_MIN;
    grid.originY = grid.originZ = INT64_MAX;
    for (uint32_t i : members) {
        const Extent3 e = boxExtent(boxes[i]);
        originX = std::min(originX, e.axes[0].low);
        grid.originY = std::min(grid.originY, e.axes[1].low);
        grid.originZ = std::min(grid.originZ, e.axes[2].low);
        topX = std::max(topX, e.axes[0].high);
        topY = std::max(topY, e.axes[1].high);
        topZ = std::max(topZ, e.axes[2].high);
    }
    grid.shiftY = cellShift(topY - grid.originY, medianSize(boxes, members, 1));
    grid.shiftZ = cellShift(topZ - grid.originZ, medianSize(boxes, members, 2));
    std::vector<uint32_t> wide;
    uint64_t entries = 0, cellCount = 0;
    uint32_t rows = 0;
    for (;;) {
        wide.clear();
        entries = 0;
        rows = grid.cellY(topY - 1) + 1;
        cellCount = uint64_t(grid.cellZ(topZ) + 1) * rows;
        for (uint32_t i : members) {
            uint64_t count = cellsOf(grid, boxExtent(boxes[i])).count();
            if (count > kMaxCellsPerBox) {
                wide.push_back(i);
                if (wide.size() > kMaxWideBoxes) break;
            } else {
                entries += count;
            }
        }
        // Few wide boxes, and every cell number (z * rows + y) within 32 bits.
        if (wide.size() <= kMaxWideBoxes && cellCount <= (uint64_t{1} << 32)) break;
        ++grid.shiftY;
        ++grid.shiftZ;
    }

    // Boxes that fill many cells each would take much memory: the search goes without cells.
    if (entries > kMaxEntriesPerBox * members.size()) return false;

    // The wide boxes against every other box, each pair once.
    std::vector<char> isWide(boxes.size(), 0);
    for (uint32_t w : wide) isWide[w] = 1;
    for (uint32_t w : wide) {
        if (searchFull(sink)) return true;
        for (uint32_t i : members) {
            if (i == w || (isWide[i] && i < w)) continue;
            comparePair(sink, w, i, boxExtent(boxes[w]), boxExtent(boxes[i]), solid[w], solid[i]);
        }
    }

    // Every cell a box meets, listed in order of low x and then sorted by cell
    // with a stable radix sort, so that each cell's boxes stay in order of x.
    // Each entry also holds the span of its box in x, in units of 2^shiftX and
    // rounded outwards, so that a box which meets no other of the cell in x is
    // passed over without being read.
    const int shiftX = std::max(0, bitsOf(uint64_t(topX - originX)) - 31);
    struct Entry {
        uint32_t cell;  // z * rows + y
        uint32_t index;  // of the box, with kStartsRow and kStartsLayer
        uint32_t x0, x1;
    };
    std::vector<Entry> cells;
    cells.reserve(entries);
    for (const Placed& p : byLowX(boxes, members, isWide, originX)) {
        const Extent3 e = boxExtent(p.box);
        const CellRange r = cellsOf(grid, e);
        const auto x0 = static_cast<uint32_t>(uint64_t(e.axes[0].low - originX) >> shiftX);
        const auto x1 = static_cast<uint32_t>(
            (uint64_t(e.axes[0].high - originX) + (uint64_t{1} << shiftX) - 1) >> shiftX);
        for (uint32_t z = r.z0; z <= r.z1; ++z) {
            for (uint32_t y = r.y0; y <= r.y1; ++y) {
                const uint32_t starts = (y == r.y0 ? kStartsRow : 0u) | (z == r.z0 ? kStartsLayer : 0u);
                cells.push_back(Entry{z * rows + y, p.index | starts, x0, x1});
            }
        }
    }
    radixSort(cells, bitsOf(cellCount - 1), [](const Entry& e) { return e.cell; });

    // A pair is taken in the cell where its low corner lies, that is where one
    // of the two starts in y and one of the two starts in z. The open boxes of
    // a cell keep where they start, and two boxes are compared only when
    // together they make up such a pair. reach is the far end in x of the
    // cell's boxes met so far.
    std::vector<Open> open;
    uint32_t reach = 0;
    const uint64_t budget = kComparisonsPerEntry * cells.size() + kFreeComparisons;
    uint64_t comparisons = 0;
    for (std::size_t k = 0; k < cells.size(); ++k) {
        const Entry& entry = cells[k];
        if (k == 0 || entry.cell != cells[k - 1].cell) reach = 0;
        const bool metBefore = entry.x0 < reach;
        const bool metAfter = k + 1 < cells.size() && cells[k + 1].cell == entry.cell &&
                              cells[k + 1].x0 < entry.x1;
        reach = std::max(reach, entry.x1);
        if (!metBefore) open.clear();
        if (!metBefore && !metAfter) continue;
        if (searchFull(sink)) return true;
        comparisons += open.size();
        if (comparisons > budget + sink.overlaps.size() + contactsMet(sink)) return false;
        const uint32_t index = entry.index & kIndexMask;
        const Extent3 e = boxExtent(boxes[index]);
        const bool solidE = solid[index];
        const int starts = static_cast<int>(entry.index >> kStartsShift);
        std::size_t stillOpen = open.size();
        for (std::size_t j = 0; j < stillOpen;) {
            const Open& a = open[j];
            if (a.x1 <= e.axes[0].low) {
                open[j] = open[--stillOpen];
                continue;
            }
            ++j;
            if ((a.starts | starts) != 3) continue;
            const int64_t y0 = std::max(a.y0, e.axes[1].low);
            const int64_t y1 = std::min(a.y1, e.axes[1].high);
            if (y1 <= y0) continue;
            const int64_t z0 = std::max(a.z0, e.axes[2].low);
            const int64_t z1 = std::min(a.z1, e.axes[2].high);
            if (z1 < z0) continue;
            const int64_t xLength = std::min(a.x1, e.axes[0].high) - e.axes[0].low;
            recordPair(sink, a.box, index, a.solid, solidE, xLength, y1 - y0, z0, z1,
                       a.z1 == e.axes[2].low);
        }
        open.resize(stillOpen);
        if (metAfter) {
            open.push_back(Open{e.axes[0].high, e.axes[1].low, e.axes[1].high, e.axes[2].low,
                                e.axes[2].high, index, static_cast<uint8_t>(starts), solidE});
        }
    }
    return true;
}

// A box as the segment-tree search sees it: along each axis, its low end as
// value * 2^20 + index, so that no two low ends are equal, and its high end as
// value * 2^20. In z the high end is one past the top, so that a box meets
// the one standing on it. Two boxes meet along an axis when each starts
// before the other ends, as their spans do.
constexpr int kKeyShift = 20;
static_assert(kMaxCheckedBoxes < (int64_t{1} << kKeyShift), "a box index must fit below the key's value");

struct Keyed {
    int64_t lo[3], hi[3];
    uint32_t box;
};

Keyed keyedOf(const Box& box, uint32_t index) {
    const Extent3 e = boxExtent(box);
    Keyed k;
    for (int axis = 0; axis < 3; ++axis) {
        k.lo[axis] = e.axes[axis].low * (int64_t{1} << kKeyShift) + index;
        k.hi[axis] = (e.axes[axis].high + (axis == 2)) * (int64_t{1} << kKeyShift);
    }
    k.box = index;
    return k;
}

using KeyedIt = std::vector<Keyed>::iterator;

struct TreeSearch {
    const std::vector<Box>& boxes;
    const std::vector<char>& solid;
    PairSink& sink;
};

// Reports the pairs of an interval box i and a point box p, where p starts
// inside i along axis, so that each pair is met once: a sweep along x over both
// sets. Along x alone, only the pairs where p starts inside i. comparePair
// tells whether the two share anything along the other axes.
void scanPairs(TreeSearch& t, KeyedIt p0, KeyedIt p1, KeyedIt i0, KeyedIt i1, int axis) {
    auto lowerX = [](const Keyed& a, const Keyed& b) { return a.lo[0] < b.lo[0]; };
    std::sort(p0, p1, lowerX);
    std::sort(i0, i1, lowerX);
    auto report = [&t, axis](const Keyed& i, const Keyed& p) {
        if (axis > 0 && !(i.lo[axis] < p.lo[axis] && p.lo[axis] < i.hi[axis])) return;
        comparePair(t.sink, i.box, p.box, boxExtent(t.boxes[i.box]), boxExtent(t.boxes[p.box]),
                    t.solid[i.box], t.solid[p.box]);
    };
    while (p0 != p1 && i0 != i1 && !searchFull(t.sink)) {
        if (i0->lo[0] < p0->lo[0]) {
            for (KeyedIt p = p0; p != p1 && p->lo[0] < i0->hi[0]; ++p) report(*i0, *p);
            ++i0;
        } else {
            for (KeyedIt i = i0; axis > 0 && i != i1 && i->lo[0] < p0->hi[0]; ++i) report(*i, *p0);
            ++p0;
        }
    }
}

constexpr std::ptrdiff_t kScanBelow = 64;

// The pairs of an interval box and a point box whose low end along axis lies
// in [lo, hi) and inside the interval box, met along the axes below it: a
// segment tree over the points' low ends, built as it is walked. An interval
// box that covers the whole segment goes down to the next axis, once with each
// role, since along that axis either of the two may start inside the other.
void searchSegments(TreeSearch& t, KeyedIt p0, KeyedIt p1, KeyedIt i0, KeyedIt i1, int64_t lo,
                    int64_t hi, int axis) {
    if (p0 == p1 || i0 == i1 || searchFull(t.sink)) return;
    if (axis == 0 || p1 - p0 < kScanBelow || i1 - i0 < kScanBelow) {
        scanPairs(t, p0, p1, i0, i1, axis);
        return;
    }
    const KeyedIt spanning = std::partition(i0, i1, [lo, hi, axis](const Keyed& i) {
        return i.lo[axis] < lo && hi <= i.hi[axis];
    });
    searchSegments(t, p0, p1, i0, spanning, INT64_MIN, INT64_MAX, axis - 1);
    searchSegments(t, i0, spanning, p0, p1, INT64_MIN, INT64_MAX, axis - 1);
    const KeyedIt middle = p0 + (p1 - p0) / 2;
    std::nth_element(p0, middle, p1, [axis](const Keyed& a, const Keyed& b) { return a.lo[axis] < b.lo[axis]; });
    const int64_t split = middle->lo[axis];
    KeyedIt part = std::partition(spanning, i1, [split, axis](const Keyed& i) { return i.lo[axis] < split; });
    searchSegments(t, p0, middle, spanning, part, lo, split, axis);
    part = std::partition(spanning, i1, [split, axis](const Keyed& i) { return split < i.hi[axis]; });
    searchSegments(t, middle, p1, spanning, part, split, hi, axis);
}

// The search without cells: each box, as an interval, against each box, as a
// point, in time that grows with the pairs that meet rather than with the
// pairs that share a cell.
void searchTree(const std::vector<Box>& boxes, const std::vector<uint32_t>& members,
                const std::vector<char>& solid, PairSink& sink) {
    std::vector<Keyed> points;
    points.reserve(members.size());
    for (uint32_t i : members) points.push_back(keyedOf(boxes[i], i));
    std::vector<Keyed> intervals(points);
    TreeSearch t{boxes, solid, sink};
    searchSegments(t, points.begin(), points.end(), intervals.begin(), intervals.end(), INT64_MIN,
                   INT64_MAX, 2);
}

void findPairs(const std::vector<Box>& boxes, const std::vector<uint32_t>& members,
               const std::vector<char>& solid, PairSink& sink) {
    if (sweepCells(boxes, members, solid, sink)) return;
    sink.overlaps.clear();
    sink.contacts.clear();
    sink.touches = 0;
    searchTree(boxes, members, solid, sink);
}

std::string volumeText(Volume volume) {
    if (volume == 0) return "0";
    std::string digits;
    while (volume != 0) {
        digits.push_back(static_cast<char>('0' + static_cast<int>(volume % 10)));
        volume /= 10;
    }
    std::reverse(digits.begin(), digits.end());
    return digits;
}

// A percentage with at most two decimals and no trailing zeros: 40, 40.5, 74.99.
std::string percentText(double percent) {
    auto hundredths = static_cast<uint64_t>(percent * 100.0 + 0.5);
    std::string text = std::to_string(hundredths / 100);
    if (hundredths % 100 != 0) {
        text += '.';
        text += static_cast<char>('0' + hundredths % 100 / 10);
        if (hundredths % 10 != 0) text += static_cast<char>('0' + hundredths % 10);
    }
    return text;
}

const char* sideName(Side side) {
    return side == Side::kMin ? "min" : "max";
}

// The number of continuation bytes a UTF-8 sequence starting with lead needs,
// and the range its first continuation byte must fall in (no overlong forms,
// no surrogates, nothing above U+10FFFF); -1 for a byte that cannot start one.
int sequenceLength(unsigned char lead, unsigned char& low, unsigned char& high) {
    low = 0x80;
    high = 0xBF;
    if (lead < 0x80) return 0;
    if (lead >= 0xC2 && lead <= 0xDF) return 1;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
        return 2;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
        return 3;
    }
    return -1;
}

// The JSON text of a string. A file name may hold any bytes: each broken
// UTF-8 sequence becomes one U+FFFD, and the byte that broke it is read again
// as the start of what follows.
std::string jsonString(const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        unsigned char low, high;
        const int length = sequenceLength(byte, low, high);
        if (length == 0) {
            switch (byte) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (byte < 0x20) {
                    out += "\\u00";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 15];
                } else {
                    out += static_cast<char>(byte);
                }
            }
            ++i;
            continue;
        }
        // A byte that cannot start a sequence (length -1) never reads as whole.
        std::size_t end = i + 1;
        for (int k = 0; k < length && end < text.size(); ++k, ++end) {
            const auto next = static_cast<unsigned char>(text[end]);
            if (next < (k == 0 ? low : 0x80) || next > (k == 0 ? high : 0xBF)) break;
        }
        if (end == i + 1 + static_cast<std::size_t>(length)) {
            out.append(text, i, end - i);
        } else {
            out += "\xEF\xBF\xBD";
        }
        i = end;
    }
    out += '"';
    return out;
}

// A finite, non-negative double in the shortest form that reads back as the same value,
// with a decimal point or an exponent so that it reads as a floating-point
// number: 25.0, 3.2, 1e-05, 1.9807040600895969e+30.
std::string jsonNumber(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string text(buffer, result.ptr);
    const std::size_t e = text.find('e');
    std::string digits;
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] >= '0' && text[i] <= '9') digits += text[i];
    }
    const int exponent = std::stoi(text.substr(e + 1));
    const int length = static_cast<int>(digits.size());
    const int point = exponent + 1;  // digits before the decimal point
    std::string out;
    if (digits == "0") {
        out += "0.0";
    } else if (length <= point && point <= 15) {
        out += digits + std::string(static_cast<std::size_t>(point - length), '0') + ".0";
    } else if (0 < point && point <= 15) {
        out += digits.substr(0, static_cast<std::size_t>(point)) + "." +
               digits.substr(static_cast<std::size_t>(point));
    } else if (-4 < point && point <= 0) {
        out += "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
    } else {
        out += digits.substr(0, 1);
        if (length > 1) out += "." + digits.substr(1);
        const int shown = point - 1;
        out += shown < 0 ? "e-" : "e+";
        const std::string magnitude = std::to_string(std::abs(shown));
        if (magnitude.size() < 2) out += '0';
        out += magnitude;
    }
    return out;
}

template <typename T, typename Write>
void jsonList(std::ostream& json, const char* key, const std::vector<T>& items, Write write) {
    json << ",\"" << key << "\":[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) json << ',';
        write(items[i]);
    }
    json << ']';
}

} // namespace

LayoutReport checkLayout(const Layout& layout, const CheckSettings& settings) {
    LayoutReport report;
    report.container = layout.container;
    report.settings = settings;
    const std::vector<Box>& boxes = layout.boxes;
    report.boxCount = static_cast<int>(boxes.size());

    Extent3 container = containerExtent(layout.container);
    report.containerDegenerate = layout.container.dimX <= 0 || layout.container.dimY <= 0 ||
                                 layout.container.dimZ <= 0;
    report.containerVolume = report.containerDegenerate ? 0 : volumeOf(container);

    std::vector<char> solid;
    std::vector<uint32_t> members;  // boxes with an interior, even if turned inside out
    solid.resize(boxes.size());
    members.reserve(boxes.size());
    for (int n = 1; n <= report.boxCount; ++n) {
        const Box& box = boxes[n - 1];
        const Extent3 extent = boxExtent(box);
        if (isDegenerate(box)) {
            report.degenerate.push_back(n);
        } else {
            report.boxVolume += volumeOf(extent);
            solid[n - 1] = 1;
        }
        if (!hasZeroDimension(box)) members.push_back(static_cast<uint32_t>(n - 1));
        for (int axis = 0; axis < 3; ++axis) {
            if (extent.axes[axis].low < container.axes[axis].low) {
                report.outside.push_back(Crossing{n, kAxisNames[axis], Side::kMin});
            }
            if (extent.axes[axis].high > container.axes[axis].high) {
                report.outside.push_back(Crossing{n, kAxisNames[axis], Side::kMax});
            }
        }
    }

    // The boxes under each box, grouped by the box on top.
    std::vector<uint32_t> underStarts(boxes.size() + 1);
    bool stopped = false;
    {
        std::vector<Contact> contacts;
        PairSink sink{report.overlaps, contacts};
        findPairs(boxes, members, solid, sink);
        std::vector<uint32_t>().swap(members);
        // A search that stopped found only some contacts: none is kept.
        stopped = searchFull(sink);
        report.overlapsCut = report.overlaps.size() > kMaxListedOverlaps;
        report.contactsCut = contactsMet(sink) > kMaxContacts;
        if (stopped) contacts.clear();
        for (const Contact& c : contacts) ++underStarts[c.upper + 1];
        for (std::size_t i = 1; i <= boxes.size(); ++i) underStarts[i] += underStarts[i - 1];
        report.restsOn.resize(contacts.size());
        std::vector<uint32_t> next(underStarts.begin(), underStarts.end() - 1);
        for (const Contact& c : contacts) report.restsOn[next[c.upper]++] = static_cast<int>(c.lower) + 1;
    }

    report.supports.resize(boxes.size());
    std::vector<Rect> rects;
    Scratch scratch;
    for (int n = 1; n <= report.boxCount && !stopped; ++n) {
        if (!solid[n - 1]) continue;
        const Extent3 extent = boxExtent(boxes[n - 1]);
        BoxSupport& support = report.supports[n - 1];
        support.firstRest = underStarts[n - 1];
        support.restCount = underStarts[n] - underStarts[n - 1];
        const auto first = report.restsOn.begin() + underStarts[n - 1];
        const auto last = report.restsOn.begin() + underStarts[n];
        std::sort(first, last);
        rects.clear();
        Rect common;
        if (extent.axes[2].low == 0 && footprintOverlap(extent, container, common)) {
            support.onFloor = true;
            rects.push_back(common);
        }
        for (auto it = first; it != last; ++it) {
            footprintOverlap(extent, boxExtent(boxes[*it - 1]), rects.emplace_back());
            if (*it > n) ++support.laterCount;
        }
        const uint64_t footprint = static_cast<uint64_t>(extent.axes[0].high - extent.axes[0].low) *
                                   static_cast<uint64_t>(extent.axes[1].high - extent.axes[1].low);
        const bool raised = extent.axes[2].low > 0;
        Judgement whole = judge(extent, rects, scratch);
        support.percent = percentOf(whole.area, footprint);
        support.floating = raised && whole.area == 0;
        support.unstable = whole.area != 0 && !whole.centreHeld;

        // With the order checked, the box is judged with only the earlier boxes
        // under it; the contacts are in the order of their supporters, floor first.
        Judgement judged = whole;
        if (settings.order && support.laterCount != 0) {
            rects.resize(rects.size() - support.laterCount);
            judged = judge(extent, rects, scratch);
            for (auto it = last - support.laterCount; it != last; ++it) {
                report.order.push_back(OrderIssue{n, *it});
            }
        }
        if (raised && judged.area == 0) report.floating.push_back(n);
        if (judged.area != 0 && !judged.centreHeld) report.unstable.push_back(n);
        if (settings.supportThreshold >= 0 &&
            Volume(judged.area) * 100u <
                Volume(footprint) * static_cast<unsigned>(settings.supportThreshold)) {
            report.support.push_back(SupportShortfall{n, percentOf(judged.area, footprint)});
        }
    }

    std::sort(report.overlaps.begin(), report.overlaps.end(), [](const Overlap& a, const Overlap& b) {
        return a.first != b.first ? a.first < b.first : a.second < b.second;
    });
    if (report.overlapsCut) report.overlaps.resize(kMaxListedOverlaps);

    if (report.containerVolume != 0) {
        report.hasUtilisation = true;
        long double ratio = static_cast<long double>(report.boxVolume) /
                            static_cast<long double>(report.containerVolume);
        report.utilisation = static_cast<double>(ratio * 100.0L);
    }
    return report;
}

std::vector<int> restsOnOf(const LayoutReport& report, int n, bool laterOnly) {
    const BoxSupport& support = report.supports[n - 1];
    const auto last = report.restsOn.begin() + support.firstRest + support.restCount;
    return std::vector<int>(last - (laterOnly ? support.laterCount : support.restCount), last);
}

bool hasProblems(const LayoutReport& report) {
    return report.containerDegenerate || !report.overlaps.empty() || !report.outside.empty() ||
           !report.degenerate.empty() || !report.floating.empty() || !report.unstable.empty() ||
           !report.support.empty() || !report.order.empty() || report.contactsCut;
}

namespace {

void writeText(std::ostream& text, const std::string& fileName, const LayoutReport& report) {
    text << "fichier : " << fileName << '\n';
    text << "nombre de boites : " << report.boxCount << '\n';
    text << "volume du conteneur : " << volumeText(report.containerVolume) << '\n';
    text << "volume des boites : " << volumeText(report.boxVolume) << '\n';
    if (report.hasUtilisation) {
        text << "taux de remplissage : " << std::fixed << std::setprecision(2)
             << report.utilisation << " %\n";
    } else {
        text << "taux de remplissage : non calculable, le conteneur a un volume nul\n";
    }
    if (report.containerDegenerate) text << "conteneur degenere (dimension nulle ou negative)\n";
    for (const Overlap& overlap : report.overlaps) {
        text << "chevauchement des boites " << overlap.first << " et " << overlap.second
             << " : volume " << volumeText(overlap.volume) << '\n';
    }
    if (report.overlapsCut) {
        text << "chevauchements : liste arretee a " << kMaxListedOverlaps
             << ", appuis non verifies\n";
    }
    if (report.contactsCut) {
        text << "contacts : recherche arretee a " << kMaxContacts
             << ", chevauchements et appuis non verifies\n";
    }
    for (const Crossing& crossing : report.outside) {
        text << "boite " << crossing.box << " hors du conteneur : axe " << crossing.axis
             << ", cote " << sideName(crossing.side) << '\n';
    }
    for (int box : report.degenerate) {
        text << "boite " << box << " degeneree (dimension nulle ou negative)\n";
    }
    for (int box : report.floating) text << "boite " << box << " en l'air : aucun appui\n";
    for (int box : report.unstable) {
        text << "boite " << box << " instable : son centre est hors de l'appui\n";
    }
    for (const SupportShortfall& shortfall : report.support) {
        text << "boite " << shortfall.box << " appuyee a " << percentText(shortfall.percent)
             << " % (minimum " << report.settings.supportThreshold << " %)\n";
    }
    for (const OrderIssue& issue : report.order) {
        text << "boite " << issue.box << " posee sur la boite " << issue.restsOn
             << ", chargee apres elle\n";
    }
    if (!hasProblems(report)) text << "aucun probleme\n";
}

} // namespace

std::string formatText(const std::string& fileName, const LayoutReport& report) {
    std::ostringstream text;
    writeText(text, fileName, report);
    return text.str();
}

// The object is written by hand: a volume may need up to 113 bits, which
// few JSON libraries hold in a number, while JSON itself puts no limit on an
// integer's digits. Writing every volume as its exact decimal digits keeps one format
// for small and huge values, and the keys keep the documented order.
namespace {

void writeJson(std::ostream& json, const std::string& fileName, const LayoutReport& report) {
    json << "{\"file\":" << jsonString(fileName);
    json << ",\"container\":{\"dimX\":" << report.container.dimX
         << ",\"dimY\":" << report.container.dimY << ",\"dimZ\":" << report.container.dimZ
         << '}';
    json << ",\"boxCount\":" << report.boxCount;
    json << ",\"containerVolume\":" << volumeText(report.containerVolume);
    json << ",\"boxVolume\":" << volumeText(report.boxVolume);
    json << ",\"utilisation\":"
         << (report.hasUtilisation ? jsonNumber(report.utilisation) : "null");
    json << ",\"containerDegenerate\":" << (report.containerDegenerate ? "true" : "false");
    jsonList(json, "overlaps", report.overlaps, [&](const Overlap& overlap) {
        json << "{\"a\":" << overlap.first << ",\"b\":" << overlap.second
             << ",\"volume\":" << volumeText(overlap.volume) << '}';
    });
    if (report.overlapsCut) json << ",\"overlapsCut\":true";
    if (report.contactsCut) json << ",\"contactsCut\":true";
    jsonList(json, "outside", report.outside, [&](const Crossing& crossing) {
        json << "{\"box\":" << crossing.box << ",\"axis\":\"" << crossing.axis
             << "\",\"side\":\"" << sideName(crossing.side) << "\"}";
    });
    auto number = [&](int box) { json << box; };
    jsonList(json, "degenerate", report.degenerate, number);
    jsonList(json, "floating", report.floating, number);
    jsonList(json, "unstable", report.unstable, number);
    jsonList(json, "support", report.support, [&](const SupportShortfall& shortfall) {
        json << "{\"box\":" << shortfall.box
             << ",\"percent\":" << jsonNumber(shortfall.percent) << '}';
    });
    if (report.settings.order) {
        jsonList(json, "order", report.order, [&](const OrderIssue& issue) {
            json << "{\"box\":" << issue.box << ",\"restsOn\":" << issue.restsOn << '}';
        });
    }
    json << '}';
}

} // namespace

std::string formatJson(const std::string& fileName, const LayoutReport& report) {
    std::ostringstream json;
    writeJson(json, fileName, report);
    return json.str();
}

std::string usageText() {
    return "usage : boxview-check [--json] [--support P] [--order] FICHIER...";
}

std::string helpText() {
    return usageText() + "\n"
           "Verifie chaque plan de chargement : volumes, chevauchements, boites hors du\n"
           "conteneur, boites degenerees, en l'air ou instables.\n"
           "  --json         un objet JSON par fichier, un par ligne\n"
           "  --support P    signale aussi les boites appuyees a moins de P % (0 a 100)\n"
           "  --order        juge chaque boite avec les seules boites chargees avant elle\n"
           "  --help         affiche cette aide\n"
           "Statut : 0 sans probleme, 1 si un probleme est trouve, 2 si un fichier est\n"
           "refuse ou si le rapport ne peut pas etre ecrit.\n";
}

namespace {

// A whole number from 0 to 100, or -1.
int percentArgument(const std::string& text) {
    if (text.empty() || text.size() > 3) return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value <= 100 ? value : -1;
}

} // namespace

CheckOptions parseArguments(const std::vector<std::string>& args) {
    CheckOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded) {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help") {
            options.help = true;
            return options;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--order") {
            options.settings.order = true;
        } else if (arg == "--support" || arg.rfind("--support=", 0) == 0) {
            const bool joined = arg.size() > 9;
            if (!joined && i + 1 == args.size()) {
                options.error = "--support attend un pourcentage entier de 0 a 100 ; " + usageText();
                return options;
            }
            const std::string value = joined ? arg.substr(10) : args[++i];
            options.settings.supportThreshold = percentArgument(value);
            if (options.settings.supportThreshold < 0) {
                options.error = "valeur de --support invalide : " + value +
                                " (un entier de 0 a 100) ; " + usageText();
                return options;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            options.error = "option inconnue : " + arg + " ; " + usageText();
            return options;
        } else {
            options.files.push_back(arg);
        }
    }
    if (options.files.empty()) options.error = "aucun fichier a verifier ; " + usageText();
    return options;
}

int runCheck(const CheckOptions& options, std::ostream& out, std::ostream& err) {
    int status = 0;
    for (const std::string& fileName : options.files) {
        Layout layout;
        if (readLayout(fileName, kMaxCheckedBoxes, layout, options.json ? err : out) != 0) {
            status = 2;
        } else {
            LayoutReport report = checkLayout(layout, options.settings);
            // Written straight to the stream: the report of a million boxes can
            // be as large as the layout.
            std::ios::fmtflags flags = out.flags();
            std::streamsize precision = out.precision();
            if (options.json) {
                writeJson(out, fileName, report);
                out << '\n';
            } else {
                writeText(out, fileName, report);
            }
            out.flags(flags);
            out.precision(precision);
            if (hasProblems(report) && status == 0) status = 1;
        }
        out.flush();
        if (!out) {
            err << "boxview-check : impossible d'ecrire le rapport de " << fileName << std::endl;
            return 2;
        }
    }
    return status;
}
