// The search for the pairs of boxes that meet through a segment tree, which takes over from the sweep through the grid's cells when the boxes defeat it.
//
// Sections: the boxes as the tree sees them (Keyed); sorting them (sortAlong);
// choosing an axis (leastMet); scanning small sets (scanPairs); the tree
// (searchSegments, with goDown and the boxes that start together); searchTree.
//
// The tree splits the boxes first along the axis where a sample of them meets
// least. The boxes that span a node go down with its points to another axis,
// chosen in the same way, and are scanned along it when they hold few of each
// other's low ends. Boxes that all start at the same place, as the boards of
// one layer or the cubes between two sheets do, meet each other whatever their
// order, and go down together once rather than being split by their index;
// the tree splits its points at the edge of such a group nearest their median,
// so that the group ends up whole in one node.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/check.h"
#include "analysis/pair_batch.h"

namespace analysis {

namespace {

// A box as the segment-tree search sees it: along each axis, its low end as
// value * 2^20 + index, so that no two low ends are equal, and its high end as
// value * 2^20. In z the high end is one past the top, so that a box meets
// the one standing on it. Two boxes meet along an axis when each starts
// before the other ends, as their spans do. The index of the box is the low
// bits of any of its low ends.
constexpr int kKeyShift = 20;
static_assert(kMaxCheckedBoxes < (int64_t{1} << kKeyShift),
              "a box index must fit below the key's value");

struct Keyed {
    int64_t lo[3], hi[3];
};

inline uint32_t boxOf(const Keyed& k) {
    return static_cast<uint32_t>(k.lo[0] & ((int64_t{1} << kKeyShift) - 1));
}

// The extent of the box, read back from its keys, so that comparing two boxes
// reads nothing but the two records at hand.
inline Extent3 extentOf(const Keyed& k) {
    Extent3 e;
    for (int axis = 0; axis < 3; ++axis)
        e.axes[axis] = Span{k.lo[axis] >> kKeyShift, (k.hi[axis] >> kKeyShift) - (axis == 2)};
    return e;
}

Keyed keyedOf(const Box& box, uint32_t index) {
    const Extent3 e = boxExtent(box);
    Keyed k;
    for (int axis = 0; axis < 3; ++axis) {
        k.lo[axis] = e.axes[axis].low * (int64_t{1} << kKeyShift) + index;
        k.hi[axis] = (e.axes[axis].high + (axis == 2)) * (int64_t{1} << kKeyShift);
    }
    return k;
}

using KeyedIt = std::vector<Keyed>::iterator;

struct TreeSearch {
    Batch& batch;
    Keyed* spare;  // room for all the boxes, for sortAlong
};

constexpr std::ptrdiff_t kRadixFrom = 1 << 12;

// Sorts the boxes by their low end along axis; many of them, as the largest
// sets are, with a radix sort, in time that grows with their number.
void sortAlong(TreeSearch& t, KeyedIt first, KeyedIt last, int axis) {
    auto lower = [axis](const Keyed& a, const Keyed& b) { return a.lo[axis] < b.lo[axis]; };
    if (std::is_sorted(first, last, lower)) return;
    if (last - first < kRadixFrom) return std::sort(first, last, lower);
    auto [least, most] = std::minmax_element(first, last, lower);
    const int64_t origin = least->lo[axis];
    const int bits = bitsOf(uint64_t(most->lo[axis] - origin));
    Keyed* items = &*first;
    auto key = [origin, axis](const Keyed& k) { return uint64_t(k.lo[axis] - origin); };
    if (radixSort(items, last - first, t.spare, bits, key))
        std::copy(t.spare, t.spare + (last - first), items);
}

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
    sortAlong(t, p0, p1, along);
    sortAlong(t, i0, i1, along);
    auto report = [&t, axis](const Keyed& i, const Keyed& p) {
        if (i.lo[axis] < p.lo[axis] && p.lo[axis] < i.hi[axis])
            comparePair(t.batch, boxOf(i), boxOf(p), extentOf(i), extentOf(p));
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
bool fewHeld(TreeSearch& t, KeyedIt p0, KeyedIt p1, KeyedIt i0, KeyedIt i1, int axis) {
    sortAlong(t, p0, p1, axis);
    sortAlong(t, i0, i1, axis);
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
    if (fewHeld(t, p0, p1, i0, i1, next)) {
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
        if (p->lo[axis] - boxOf(*p) != p0->lo[axis] - boxOf(*p0)) return false;
    }
    return true;
}

// Where the tree splits the point boxes along axis: at the median of their
// low ends; or, where the points and the intervals are the same boxes, at the
// nearest edge of the group of points that start at the same place as the
// median, so that such a group, as the boards of one layer are, ends up
// whole in one node and goes down together there, rather than along a path of
// nodes that each take the group's first boards down again. Leaves points on
// both sides, as long as the points do not all start together.
int64_t splitPoints(KeyedIt p0, KeyedIt p1, int axis, unsigned same) {
    auto lower = [axis](const Keyed& a, const Keyed& b) { return a.lo[axis] < b.lo[axis]; };
    const KeyedIt middle = p0 + (p1 - p0) / 2;
    std::nth_element(p0, middle, p1, lower);
    if (!same) return middle->lo[axis];
    const int64_t first = middle->lo[axis] - boxOf(*middle);
    const bool before =
        std::any_of(p0, middle, [first, axis](const Keyed& p) { return p.lo[axis] < first; });
    return before ? first : first + (int64_t{1} << kKeyShift);
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
        const int64_t first = p0->lo[axis] - boxOf(*p0);         // below the low end of every point
        const int64_t last = first + (int64_t{1} << kKeyShift);  // above it
        const KeyedIt same =
            std::partition(i0, i1, [first, axis](const Keyed& i) { return i.lo[axis] < first; });
        const KeyedIt holding =
            std::partition(i0, same, [last, axis](const Keyed& i) { return last <= i.hi[axis]; });
        goDown(t, p0, p1, i0, holding, below & kAxes);
        const int next = leastMet(p0, p1, same, i1, below & kAxes, -1, 16);
        if (fewHeld(t, p0, p1, same, i1, next)) {
            scanPairs(t, p0, p1, same, i1, next, next);
        } else {
            searchSegments(t, p0, p1, same, i1, INT64_MIN, INT64_MAX, next,
                           (below & ~(1u << next)) | kSame);
        }
        return;
    }
    // On the first and last segments of each level none spans: no need to look.
    const KeyedIt spanning = lo == INT64_MIN || hi == INT64_MAX
                                 ? i0
                                 : std::partition(i0, i1, [lo, hi, axis](const Keyed& i) {
                                       return i.lo[axis] < lo && hi <= i.hi[axis];
                                   });
    goDown(t, p0, p1, i0, spanning, below & kAxes);
    const int64_t split = splitPoints(p0, p1, axis, below & kSame);
    const KeyedIt middle =
        std::partition(p0, p1, [split, axis](const Keyed& p) { return p.lo[axis] < split; });
    KeyedIt part =
        std::partition(spanning, i1, [split, axis](const Keyed& i) { return i.lo[axis] < split; });
    searchSegments(t, p0, middle, spanning, part, lo, split, axis, below);
    part =
        std::partition(spanning, i1, [split, axis](const Keyed& i) { return split < i.hi[axis]; });
    searchSegments(t, middle, p1, spanning, part, split, hi, axis, below);
}

}  // namespace

// The search without cells: each box, as an interval, against each box, as a
// point, in time that grows with the pairs that meet rather than with the
// pairs that share a cell.
void searchTree(const std::vector<Box>& boxes, const std::vector<uint32_t>& members, Batch& batch) {
    std::vector<Keyed> points;
    points.reserve(members.size());
    for (uint32_t i : members) points.push_back(keyedOf(boxes[i], i));
    std::vector<Keyed> intervals(points);
    // Not a vector: its values would all be written once for nothing.
    const std::unique_ptr<Keyed[]> spare(new Keyed[members.size()]);
    TreeSearch t{batch, spare.get()};
    const int first =
        leastMet(points.begin(), points.end(), intervals.begin(), intervals.end(), kAxes, -1, 256);
    searchSegments(t, points.begin(), points.end(), intervals.begin(), intervals.end(), INT64_MIN,
                   INT64_MAX, first, (kAxes & ~(1u << first)) | kSame);
}

}  // namespace analysis
