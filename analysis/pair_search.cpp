// Finds every pair of boxes that share some interior and every box resting on another, and hands each pair to a sink.
//
// Sections: the sweep through the cells of a grid (sweepCells); findPairs,
// which runs the sweep and, if it gives up, the search through a segment tree
// (searchTree, in pair_tree.cpp). The batch in which the pairs are handed over
// and the comparison of two boxes are in pair_batch.h.
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
// pair of them. Past a budget of comparisons that found nothing, or when the
// boxes would fill more than a few cells each, the sweep gives up, and the
// search starts again without cells, through a segment tree.
#include "analysis/pair_search.h"

#include <algorithm>
#include <cstdint>

#include "analysis/check.h"
#include "analysis/pair_batch.h"

namespace analysis {

namespace {

// ---- The sweep through the cells ----

constexpr uint64_t kMaxCellsPerBox = 64;
constexpr std::size_t kMaxWideBoxes = 32;
constexpr uint64_t kMaxEntriesPerBox = 4;
constexpr uint64_t kComparisonsPerEntry = 64;
constexpr uint64_t kFreeComparisons = uint64_t{1} << 18;

// A box and its index, as the sweep reads them.
struct Placed {
    Box box;
    uint32_t index;
};

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
// members: the boxes with no dimension of 0, within bounds.
bool sweepCells(const std::vector<Box>& boxes, const std::vector<uint32_t>& members,
                const Extent3& bounds, Batch& batch) {
    if (members.size() < 2) return true;
    Grid grid;
    const int64_t originX = bounds.axes[0].low, topX = bounds.axes[0].high;
    const int64_t topY = bounds.axes[1].high, topZ = bounds.axes[2].high;
    grid.originY = bounds.axes[1].low;
    grid.originZ = bounds.axes[2].low;
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

}  // namespace

void findPairs(const std::vector<Box>& boxes, const std::vector<uint32_t>& members,
               const PairSink& sink) {
    Batch batch{sink};
    batch.room = sink.take(sink.context, nullptr, 0);
    // The lowest and the highest ends of the boxes along each axis.
    Extent3 bounds{{{INT64_MAX, INT64_MIN}, {INT64_MAX, INT64_MIN}, {INT64_MAX, INT64_MIN}}};
    auto widen = [](Span& bound, const Span& span) {
        bound.low = std::min(bound.low, span.low);
        bound.high = std::max(bound.high, span.high);
    };
    for (uint32_t i : members) {
        const Extent3 e = boxExtent(boxes[i]);
        widen(bounds.axes[0], e.axes[0]);
        widen(bounds.axes[1], e.axes[1]);
        widen(bounds.axes[2], e.axes[2]);
    }
    if (!sweepCells(boxes, members, bounds, batch)) {
        // The sweep gave up: what it holds back is dropped, and the sink forgets the rest.
        batch.held = 0;
        batch.found = 0;
        batch.room = sink.restart(sink.context);
        searchTree(boxes, members, bounds, batch);
    }
    handOver(batch);
}

}  // namespace analysis
