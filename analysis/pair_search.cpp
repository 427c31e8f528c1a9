// Finds every pair of boxes that share some interior and every box resting on another, and hands each pair to a sink.
//
// Sections: the batch (handing the pairs over); comparing two boxes; the sweep
// through the cells of a grid (sweepCells); the search through a segment tree
// (searchTree); findPairs, which runs the sweep and, if it gives up, the tree.
//
// Every pair is found by one sweep along x inside the cells of a grid over y
// and z. The search stops once its sink is full: the checker's is full past
// kMaxListedOverlaps overlaps or kMaxContacts contacts, since boxes left piled
// up in one place, or long planks laid across each other, would otherwise make
// it list every pair.
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
#include "analysis/pair_search.h"

#include <algorithm>
#include <cstdint>

#include "analysis/check.h"
#include "analysis/extent.h"

namespace analysis {

namespace {

// ---- The batch ----

constexpr std::size_t kBatchSize = 256;

// The pairs found and not yet handed to the sink. The sink is called only
// when the batch is full, or at a check when the pairs held back could have
// filled it, so that the search stops at the same check as if each pair had
// been handed over as soon as it was found.
struct Batch {
    const PairSink& sink;
    std::size_t room = 0;  // as the sink last said
    std::size_t held = 0;
    uint64_t found = 0;  // every pair found, handed over or not
    MetPair pairs[kBatchSize] = {};
};

void handOver(Batch& batch) {
    batch.room = batch.sink.take(batch.sink.context, batch.pairs, batch.held);
    batch.held = 0;
}

inline void add(Batch& batch, const MetPair& pair) {
    batch.pairs[batch.held++] = pair;
    ++batch.found;
    if (batch.held == kBatchSize) handOver(batch);
}

// True once the sink is full: the search stops there.
bool full(Batch& batch) {
    if (batch.held >= batch.room) handOver(batch);
    return batch.room == 0;
}

// ---- Comparing two boxes ----

// Compares box a with box b directly.
inline void comparePair(Batch& batch, uint32_t a, uint32_t b, const Extent3& ea,
                        const Extent3& eb) {
    Rect common;
    if (!footprintOverlap(ea, eb, common)) return;
    const int64_t z0 = std::max(ea.axes[2].low, eb.axes[2].low);
    const int64_t z1 = std::min(ea.axes[2].high, eb.axes[2].high);
    if (z1 < z0) return;
    add(batch, MetPair{common.x1 - common.x0, common.y1 - common.y0, z1 - z0, a, b,
                       ea.axes[2].high == eb.axes[2].low});
}

// ---- The sweep through the cells ----

constexpr uint64_t kMaxCellsPerBox = 64;
constexpr std::size_t kMaxWideBoxes = 32;
constexpr uint64_t kMaxEntriesPerBox = 4;
constexpr uint64_t kComparisonsPerEntry = 64;
constexpr uint64_t kFreeComparisons = uint64_t{1} << 18;

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
    uint32_t cellY(int64_t y) const {
        return static_cast<uint32_t>(uint64_t(y - originY) >> shiftY);
    }
    uint32_t cellZ(int64_t z) const {
        return static_cast<uint32_t>(uint64_t(z - originZ) >> shiftZ);
    }
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
// members: the boxes with no dimension of 0.
bool sweepCells(const std::vector<Box>& boxes, const std::vector<uint32_t>& members, Batch& batch) {
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
        if (full(batch)) return true;
        for (uint32_t i : members) {
            if (i == w || (isWide[i] && i < w)) continue;
            comparePair(batch, w, i, boxExtent(boxes[w]), boxExtent(boxes[i]));
        }
    }

    // Every cell a box meets, listed in order of low x and then sorted by cell
    // with a stable radix sort, so that each cell's boxes stay in order of x.
    // Each entry also holds the span of its box in x, in units of 2^shiftX and
    // rounded outwards, so that a box which meets no other of the cell in x is
    // passed over without being read.
    const int shiftX = std::max(0, bitsOf(uint64_t(topX - originX)) - 31);
    struct Entry {
        uint32_t cell;   // z * rows + y
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
                const uint32_t starts =
                    (y == r.y0 ? kStartsRow : 0u) | (z == r.z0 ? kStartsLayer : 0u);
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
        const bool metAfter =
            k + 1 < cells.size() && cells[k + 1].cell == entry.cell && cells[k + 1].x0 < entry.x1;
        reach = std::max(reach, entry.x1);
        if (!metBefore) open.clear();
        if (!metBefore && !metAfter) continue;
        if (full(batch)) return true;
        comparisons += open.size();
        if (comparisons > budget + batch.found) return false;
        const uint32_t index = entry.index & kIndexMask;
        const Extent3 e = boxExtent(boxes[index]);
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
            add(batch, MetPair{xLength, y1 - y0, z1 - z0, a.box, index, a.z1 == e.axes[2].low});
        }
        open.resize(stillOpen);
        if (metAfter) {
            open.push_back(Open{e.axes[0].high, e.axes[1].low, e.axes[1].high, e.axes[2].low,
                                e.axes[2].high, index, static_cast<uint8_t>(starts)});
        }
    }
    return true;
}

// ---- The search through a segment tree ----

// A box as the segment-tree search sees it: along each axis, its low end as
// value * 2^20 + index, so that no two low ends are equal, and its high end as
// value * 2^20. In z the high end is one past the top, so that a box meets
// the one standing on it. Two boxes meet along an axis when each starts
// before the other ends, as their spans do.
constexpr int kKeyShift = 20;
static_assert(kMaxCheckedBoxes < (int64_t{1} << kKeyShift),
              "a box index must fit below the key's value");

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
    Batch& batch;
};

// Of the axes in the mask axes, the one along which the fewest pairs of an
// interval box and a point box meet, counted on a sample of each set; z, then
// y, on a tie. Along oneWay, only the pairs where the point box starts inside
// the interval box count. Going down this axis, few interval boxes span a node
// of the tree, and a scan along it compares few pairs that do not meet.
int leastMet(KeyedIt p0, KeyedIt p1, KeyedIt i0, KeyedIt i1, unsigned axes, int oneWay,
             std::ptrdiff_t samples) {
    const std::ptrdiff_t pStep = std::max<std::ptrdiff_t>(1, (p1 - p0) / samples);
    const std::ptrdiff_t iStep = std::max<std::ptrdiff_t>(1, (i1 - i0) / samples);
    int best = -1;
    std::ptrdiff_t bestCount = 0;
    for (int axis = 2; axis >= 0; --axis) {
        if (!(axes & (1u << axis))) continue;
        std::ptrdiff_t count = 0;
        for (std::ptrdiff_t i = 0; i < i1 - i0; i += iStep) {
            const Keyed& a = i0[i];
            for (std::ptrdiff_t p = 0; p < p1 - p0; p += pStep) {
                const Keyed& b = p0[p];
                count += (axis == oneWay ? a.lo[axis] < b.lo[axis] : b.hi[axis] > a.lo[axis]) &&
                         b.lo[axis] < a.hi[axis];
            }
        }
        if (best < 0 || count < bestCount) best = axis, bestCount = count;
    }
    return best;
}

// Reports the pairs of an interval box i and a point box p where p starts
// inside i along axis, so that each pair is met once: a sweep along another
// axis, along, over both sets, which meets each pair where either starts
// inside the other; or along axis itself. comparePair tells whether the two
// meet along the others.
void scanPairs(TreeSearch& t, KeyedIt p0, KeyedIt p1, KeyedIt i0, KeyedIt i1, int axis, int along) {
    auto lower = [along](const Keyed& a, const Keyed& b) { return a.lo[along] < b.lo[along]; };
    std::sort(p0, p1, lower);
    std::sort(i0, i1, lower);
    auto report = [&t, axis](const Keyed& i, const Keyed& p) {
        if (i.lo[axis] < p.lo[axis] && p.lo[axis] < i.hi[axis])
            comparePair(t.batch, i.box, p.box, boxExtent(t.boxes[i.box]),
                        boxExtent(t.boxes[p.box]));
    };
    while (p0 != p1 && i0 != i1 && !full(t.batch)) {
        if (i0->lo[along] < p0->lo[along]) {
            for (KeyedIt p = p0; p != p1 && p->lo[along] < i0->hi[along]; ++p) report(*i0, *p);
            ++i0;
        } else {
            for (KeyedIt i = i0; along != axis && i != i1 && i->lo[along] < p0->hi[along]; ++i)
                report(*i, *p0);
            ++p0;
        }
    }
}

constexpr std::ptrdiff_t kScanBelow = 64;

// True when, along axis, each box of the two sets holds on average at most a
// few low ends of boxes of the other set, so that two scans along it compare
// fewer pairs than a tree would cost. Leaves both sets sorted along axis.
bool fewHeld(KeyedIt p0, KeyedIt p1, KeyedIt i0, KeyedIt i1, int axis) {
    auto lower = [axis](const Keyed& a, const Keyed& b) { return a.lo[axis] < b.lo[axis]; };
    std::sort(p0, p1, lower);
    std::sort(i0, i1, lower);
    std::ptrdiff_t room = 4 * ((p1 - p0) + (i1 - i0));
    auto held = [axis, &room](KeyedIt a0, KeyedIt a1, KeyedIt b0, KeyedIt b1) {
        for (KeyedIt a = a0; a != a1 && room >= 0; ++a) {
            while (b0 != b1 && b0->lo[axis] <= a->lo[axis]) ++b0;
            KeyedIt b = b0;
            while (b != b1 && b->lo[axis] < a->hi[axis] && --room >= 0) ++b;
        }
    };
    held(i0, i1, p0, p1);
    held(p0, p1, i0, i1);
    return room >= 0;
}

// In the mask of the axes still to go down to, a flag: the points and the
// intervals are the same boxes.
constexpr unsigned kAxes = 7, kSame = 8;

void searchSegments(TreeSearch& t, KeyedIt p0, KeyedIt p1, KeyedIt i0, KeyedIt i1, int64_t lo,
                    int64_t hi, int axis, unsigned below);

// The pairs of the point boxes and the interval boxes, which all meet along the
// axis before: down to one of the axes below, once with each role; by two scans
// when the boxes hold few low ends of each other along it.
void goDown(TreeSearch& t, KeyedIt p0, KeyedIt p1, KeyedIt i0, KeyedIt i1, unsigned below) {
    if (p0 == p1 || i0 == i1) return;
    const int next = leastMet(p0, p1, i0, i1, below, -1, 16);
    if (fewHeld(p0, p1, i0, i1, next)) {
        scanPairs(t, p0, p1, i0, i1, next, next);
        scanPairs(t, i0, i1, p0, p1, next, next);
    } else {
        const unsigned rest = below & ~(1u << next);
        searchSegments(t, p0, p1, i0, i1, INT64_MIN, INT64_MAX, next, rest);
        searchSegments(t, i0, i1, p0, p1, INT64_MIN, INT64_MAX, next, rest);
    }
}

// True when the point boxes all start at the same place along axis.
bool startTogether(KeyedIt p0, KeyedIt p1, int axis) {
    for (KeyedIt p = p0 + 1; p < p1; ++p) {
        if (p->lo[axis] - p->box != p0->lo[axis] - p0->box) return false;
    }
    return true;
}

// The pairs of an interval box and a point box whose low end along axis lies
// in [lo, hi) and inside the interval box, met along the axes of the mask
// below: a segment tree over the points' low ends, built as it is walked. An
// interval box that covers the whole segment goes down to one of those axes,
// once with each role, since along that axis either of the two may start
// inside the other. Where the points and the intervals are the same boxes and
// the points all start at the same place, as boards of one layer do, the
// points meet each other along axis whatever their order: they go down
// together, each pair met once, with the intervals that start before them.
void searchSegments(TreeSearch& t, KeyedIt p0, KeyedIt p1, KeyedIt i0, KeyedIt i1, int64_t lo,
                    int64_t hi, int axis, unsigned below) {
    if (p0 == p1 || i0 == i1 || full(t.batch)) return;
    if ((below & kAxes) == 0 || p1 - p0 < kScanBelow || i1 - i0 < kScanBelow) {
        const int along = (p1 - p0) * (i1 - i0) < kScanBelow * kScanBelow
                              ? axis
                              : leastMet(p0, p1, i0, i1, (below & kAxes) | (1u << axis), axis, 16);
        scanPairs(t, p0, p1, i0, i1, axis, along);
        return;
    }
    if ((below & kSame) && startTogether(p0, p1, axis)) {
        const int64_t first = p0->lo[axis] - p0->box;            // below the low end of every point
        const int64_t last = first + (int64_t{1} << kKeyShift);  // above it
        const KeyedIt same =
            std::partition(i0, i1, [first, axis](const Keyed& i) { return i.lo[axis] < first; });
        const KeyedIt holding =
            std::partition(i0, same, [last, axis](const Keyed& i) { return last <= i.hi[axis]; });
        goDown(t, p0, p1, i0, holding, below & kAxes);
        const int next = leastMet(p0, p1, same, i1, below & kAxes, -1, 16);
        if (fewHeld(p0, p1, same, i1, next)) {
            scanPairs(t, p0, p1, same, i1, next, next);
        } else {
            searchSegments(t, p0, p1, same, i1, INT64_MIN, INT64_MAX, next,
                           (below & ~(1u << next)) | kSame);
        }
        return;
    }
    const KeyedIt spanning = std::partition(
        i0, i1, [lo, hi, axis](const Keyed& i) { return i.lo[axis] < lo && hi <= i.hi[axis]; });
    goDown(t, p0, p1, i0, spanning, below & kAxes);
    const KeyedIt middle = p0 + (p1 - p0) / 2;
    std::nth_element(p0, middle, p1,
                     [axis](const Keyed& a, const Keyed& b) { return a.lo[axis] < b.lo[axis]; });
    const int64_t split = middle->lo[axis];
    KeyedIt part =
        std::partition(spanning, i1, [split, axis](const Keyed& i) { return i.lo[axis] < split; });
    searchSegments(t, p0, middle, spanning, part, lo, split, axis, below);
    part =
        std::partition(spanning, i1, [split, axis](const Keyed& i) { return split < i.hi[axis]; });
    searchSegments(t, middle, p1, spanning, part, split, hi, axis, below);
}

// The search without cells: each box, as an interval, against each box, as a
// point, in time that grows with the pairs that meet rather than with the
// pairs that share a cell.
void searchTree(const std::vector<Box>& boxes, const std::vector<uint32_t>& members, Batch& batch) {
    std::vector<Keyed> points;
    points.reserve(members.size());
    for (uint32_t i : members) points.push_back(keyedOf(boxes[i], i));
    std::vector<Keyed> intervals(points);
    TreeSearch t{boxes, batch};
    const int first =
        leastMet(points.begin(), points.end(), intervals.begin(), intervals.end(), kAxes, -1, 256);
    searchSegments(t, points.begin(), points.end(), intervals.begin(), intervals.end(), INT64_MIN,
                   INT64_MAX, first, (kAxes & ~(1u << first)) | kSame);
}

}  // namespace

void findPairs(const std::vector<Box>& boxes, const std::vector<uint32_t>& members,
               const PairSink& sink) {
    Batch batch{sink};
    batch.room = sink.take(sink.context, nullptr, 0);
    if (!sweepCells(boxes, members, batch)) {
        // The sweep gave up: what it holds back is dropped, and the sink forgets the rest.
        batch.held = 0;
        batch.found = 0;
        batch.room = sink.restart(sink.context);
        searchTree(boxes, members, batch);
    }
    handOver(batch);
}

}  // namespace analysis
