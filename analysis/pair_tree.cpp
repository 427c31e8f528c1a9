// The search for the pairs of boxes that meet through a segment tree, which takes over from the sweep through the grid's cells when the boxes defeat it.
//
// Sections: the boxes as the tree sees them (Keyed); sorting them (sortAlong);
// choosing an axis (leastMet); scanning small sets (scanPairs); the tree
// (searchSegments, with goDown and the boxes that start together); searchKeyed
// and searchTree, which keep the boxes in 32 bits where they fit.
//
// The tree splits the boxes first along the axis where a sample of them meets
// least. The boxes that span a node go down with its points to another axis,
// chosen in the same way, and are scanned along it when they hold few of each
// other's low ends. Boxes that all start at the same place, as the boards of
// one layer or the cubes between two sheets do, meet each other whatever their
// order, and go down together once rather than being split by their index;
// the tree splits its points at the edge of such a group nearest their median,
// so that the group ends up whole in one node. Sorted along the next axis, the
// group serves as its own intervals.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/check.h"
#include "analysis/pair_batch.h"

namespace analysis {

namespace {

// A box as the segment-tree search sees it: along each axis, its low and high
// ends as offsets from the lowest end of all the boxes, in 32 bits when they
// fit (V), and the index of the box. In z the high end is one past the top, so
// that a box meets the one standing on it. The tree orders the low ends by
// lowKey, value * 2^20 + index, so that no two are equal, and compares them
// with highKey, value * 2^20. Two boxes meet along an axis when each starts
// before the other ends, as their spans do.
constexpr int kKeyShift = 20;
static_assert(kMaxCheckedBoxes < (int64_t{1} << kKeyShift),
              "a box index must fit below the key's value");

template <typename V>
struct Keyed {
    V lo[3], hi[3];
    uint32_t box;
};

template <typename K>
inline int64_t lowKey(const K& k, int axis) {
    return static_cast<int64_t>(uint64_t{k.lo[axis]} << kKeyShift | k.box);
}

template <typename K>
inline int64_t highKey(const K& k, int axis) {
    return static_cast<int64_t>(uint64_t{k.hi[axis]} << kKeyShift);
}

// The extent of the box, read back from its offsets, so that comparing two
// boxes reads nothing but the two records at hand: what comparePair measures
// does not depend on where the offsets start.
template <typename K>
inline Extent3 extentOf(const K& k) {
    Extent3 e;
    for (int axis = 0; axis < 3; ++axis)
        e.axes[axis] = Span{int64_t(k.lo[axis]), int64_t(k.hi[axis]) - (axis == 2)};
    return e;
}

template <typename K>
struct TreeSearch {
    Batch& batch;
    K* spare;         // room for all the boxes, for sortAlong
    uint64_t* order;  // room for twice as many keys, for sortAlong
};

constexpr std::ptrdiff_t kRadixFrom = 1 << 12;

// Sorts the many boxes from first to last by their low end along axis with a
// radix sort, in time that grows with their number, on a key that orders them
// as lowKey does in as few bits as the set needs: the low end and the index,
// each counted from the least in the set. The boxes are heavy to move: where
// the key leaves room for it, each key is sorted with the place of its box,
// and the boxes are then moved once, by way of also if given. True when the
// sorted boxes are left in also too.
template <typename K>
bool radixAlong(TreeSearch<K>& t, K* first, K* last, int axis, K* also) {
    uint64_t least = UINT64_MAX, most = 0;
    uint32_t firstBox = UINT32_MAX, lastBox = 0;
    for (const K* k = first; k != last; ++k) {
        least = std::min<uint64_t>(least, k->lo[axis]);
        most = std::max<uint64_t>(most, k->lo[axis]);
        firstBox = std::min(firstBox, k->box);
        lastBox = std::max(lastBox, k->box);
    }
    const uint64_t boxes = uint64_t{lastBox} - firstBox + 1;
    auto key = [least, boxes, firstBox, axis](const K& k) {
        return (k.lo[axis] - least) * boxes + (k.box - firstBox);
    };
    const std::ptrdiff_t count = last - first;
    const int bits = bitsOf((most - least) * boxes + boxes - 1);
    const int placeBits = bitsOf(uint64_t(count - 1));
    if (bits + placeBits > 64) {
        if (radixSort(first, count, t.spare, bits, key)) std::copy(t.spare, t.spare + count, first);
        return false;
    }
    uint64_t* order = t.order;
    for (std::ptrdiff_t j = 0; j < count; ++j) order[j] = key(first[j]) << placeBits | j;
    auto keyOf = [placeBits](uint64_t item) { return item >> placeBits; };
    if (radixSort(order, count, order + count, bits, keyOf)) order += count;
    const uint64_t place = (uint64_t{1} << placeBits) - 1;
    K* const into = also ? also : t.spare;
    for (std::ptrdiff_t j = 0; j < count; ++j) into[j] = first[order[j] & place];
    std::copy(into, into + count, first);
    return also != nullptr;
}

// Sorts the boxes by their low end along axis, and leaves a copy of them in
// also if given; many of them, as the largest sets are, with radixAlong.
template <typename K>
void sortAlong(TreeSearch<K>& t, K* first, K* last, int axis, K* also = nullptr) {
    auto lower = [axis](const K& a, const K& b) { return lowKey(a, axis) < lowKey(b, axis); };
    if (!std::is_sorted(first, last, lower)) {
        if (last - first < kRadixFrom)
            std::sort(first, last, lower);
        else if (radixAlong(t, first, last, axis, also))
            return;
    }
    if (also) std::copy(first, last, also);
}

// Of the axes in the mask axes, the one along which the fewest pairs of an
// interval box and a point box meet, counted on a sample of each set; z, then
// y, on a tie. Along oneWay, only the pairs where the point box starts inside
// the interval box count. Going down this axis, few interval boxes span a node
// of the tree, and a scan along it compares few pairs that do not meet.
template <typename K>
int leastMet(K* p0, K* p1, K* i0, K* i1, unsigned axes, int oneWay, std::ptrdiff_t samples) {
    const std::ptrdiff_t pStep = std::max<std::ptrdiff_t>(1, (p1 - p0) / samples);
    const std::ptrdiff_t iStep = std::max<std::ptrdiff_t>(1, (i1 - i0) / samples);
    int best = -1;
    std::ptrdiff_t bestCount = 0;
    for (int axis = 2; axis >= 0; --axis) {
        if (!(axes & (1u << axis))) continue;
        std::ptrdiff_t count = 0;
        for (std::ptrdiff_t i = 0; i < i1 - i0; i += iStep) {
            const K& a = i0[i];
            for (std::ptrdiff_t p = 0; p < p1 - p0; p += pStep) {
                const K& b = p0[p];
                count += (axis == oneWay ? lowKey(a, axis) < lowKey(b, axis)
                                         : highKey(b, axis) > lowKey(a, axis)) &&
                         lowKey(b, axis) < highKey(a, axis);
            }
        }
        if (best < 0 || count < bestCount) best = axis, bestCount = count;
    }
    return best;
}

template <typename K>
void sortBoth(TreeSearch<K>& t, K* p0, K* p1, K* i0, K* i1, int axis) {
    sortAlong(t, p0, p1, axis);
    sortAlong(t, i0, i1, axis);
}

// Reports the pairs of an interval box i and a point box p where p starts
// inside i along axis, so that each pair is met once: a sweep along another
// axis, along, over both sets sorted along it, which meets each pair where
// either starts inside the other; or along axis itself. comparePair tells
// whether the two meet along the others.
template <typename K>
void scanPairs(TreeSearch<K>& t, K* p0, K* p1, K* i0, K* i1, int axis, int along) {
    auto report = [&t, axis](const K& i, const K& p) {
        if (lowKey(i, axis) < lowKey(p, axis) && lowKey(p, axis) < highKey(i, axis))
            comparePair(t.batch, i.box, p.box, extentOf(i), extentOf(p));
    };
    while (p0 != p1 && i0 != i1 && !full(t.batch)) {
        if (lowKey(*i0, along) < lowKey(*p0, along)) {
            for (K* p = p0; p != p1 && lowKey(*p, along) < highKey(*i0, along); ++p)
                report(*i0, *p);
            ++i0;
        } else {
            for (K* i = i0; along != axis && i != i1 && lowKey(*i, along) < highKey(*p0, along);
                 ++i)
                report(*i, *p0);
            ++p0;
        }
    }
}

constexpr std::ptrdiff_t kScanBelow = 64;

// True when, along axis, each box of the two sets holds on average at most a
// few low ends of boxes of the other set, so that two scans along it compare
// fewer pairs than a tree would cost. Both sets are sorted along axis.
template <typename K>
bool fewHeld(K* p0, K* p1, K* i0, K* i1, int axis) {
    const std::ptrdiff_t all = 4 * ((p1 - p0) + (i1 - i0));
    std::ptrdiff_t room = all;
    auto held = [axis, &room](K* a0, K* a1, K* b0, K* b1) {
        for (K* a = a0; a != a1 && room >= 0; ++a) {
            while (b0 != b1 && lowKey(*b0, axis) <= lowKey(*a, axis)) ++b0;
            K* b = b0;
            while (b != b1 && lowKey(*b, axis) < highKey(*a, axis) && --room >= 0) ++b;
        }
    };
    held(i0, i1, p0, p1);
    // The same boxes in both roles hold as many of each other's either way.
    if (i0 == p0 && i1 == p1) return 2 * room - all >= 0;
    held(p0, p1, i0, i1);
    return room >= 0;
}

// In the mask of the axes still to go down to, a flag: the points and the
// intervals are the same boxes.
constexpr unsigned kAxes = 7, kSame = 8;

template <typename K>
void searchSegments(TreeSearch<K>& t, K* p0, K* p1, K* i0, K* i1, int64_t lo, int64_t hi, int axis,
                    unsigned below);

// The pairs of the point boxes and the interval boxes, which all meet along the
// axis before: down to one of the axes below, once with each role; by two scans
// when the boxes hold few low ends of each other along it.
template <typename K>
void goDown(TreeSearch<K>& t, K* p0, K* p1, K* i0, K* i1, unsigned below) {
    if (p0 == p1 || i0 == i1) return;
    const int next = leastMet(p0, p1, i0, i1, below, -1, 16);
    sortBoth(t, p0, p1, i0, i1, next);
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
template <typename K>
bool startTogether(K* p0, K* p1, int axis) {
    return std::all_of(p0, p1, [p0, axis](const K& p) { return p.lo[axis] == p0->lo[axis]; });
}

// Where the tree splits the point boxes along axis: at the median of their
// low ends; or, where the points and the intervals are the same boxes, at the
// nearest edge of the group of points that start at the same place as the
// median, so that such a group, as the boards of one layer are, ends up
// whole in one node and goes down together there, rather than along a path of
// nodes that each take the group's first boards down again. Leaves points on
// both sides, as long as the points do not all start together.
template <typename K>
int64_t splitPoints(K* p0, K* p1, int axis, unsigned same) {
    auto lower = [axis](const K& a, const K& b) { return lowKey(a, axis) < lowKey(b, axis); };
    K* const middle = p0 + (p1 - p0) / 2;
    std::nth_element(p0, middle, p1, lower);
    if (!same) return lowKey(*middle, axis);
    const int64_t first = lowKey(*middle, axis) - middle->box;
    const bool before =
        std::any_of(p0, middle, [first, axis](const K& p) { return lowKey(p, axis) < first; });
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
template <typename K>
void searchSegments(TreeSearch<K>& t, K* p0, K* p1, K* i0, K* i1, int64_t lo, int64_t hi, int axis,
                    unsigned below) {
    if (p0 == p1 || i0 == i1 || full(t.batch)) return;
    if ((below & kAxes) == 0 || p1 - p0 < kScanBelow || i1 - i0 < kScanBelow) {
        const int along = (p1 - p0) * (i1 - i0) < kScanBelow * kScanBelow
                              ? axis
                              : leastMet(p0, p1, i0, i1, (below & kAxes) | (1u << axis), axis, 16);
        sortBoth(t, p0, p1, i0, i1, along);
        scanPairs(t, p0, p1, i0, i1, axis, along);
        return;
    }
    if ((below & kSame) && startTogether(p0, p1, axis)) {
        const int64_t first = lowKey(*p0, axis) - p0->box;       // below the low end of every point
        const int64_t last = first + (int64_t{1} << kKeyShift);  // above it
        K* const same =
            std::partition(i0, i1, [first, axis](const K& i) { return lowKey(i, axis) < first; });
        K* const holding =
            std::partition(i0, same, [last, axis](const K& i) { return last <= highKey(i, axis); });
        goDown(t, p0, p1, i0, holding, below & kAxes);
        const int next = leastMet(p0, p1, same, i1, below & kAxes, -1, 16);
        // The intervals from same on are the points' boxes, since the tree
        // splits such sets only at the edges of these groups: sorted, they are
        // a copy of the points sorted, and the points stand for them in a scan.
        const bool mirrored = i1 - same == p1 - p0;
        sortAlong(t, p0, p1, next, mirrored ? same : nullptr);
        if (!mirrored) sortAlong(t, same, i1, next);
        K* const s0 = mirrored ? p0 : same;
        K* const s1 = mirrored ? p1 : i1;
        if (fewHeld(p0, p1, s0, s1, next)) {
            scanPairs(t, p0, p1, s0, s1, next, next);
        } else {
            searchSegments(t, p0, p1, same, i1, INT64_MIN, INT64_MAX, next,
                           (below & ~(1u << next)) | kSame);
        }
        return;
    }
    // On the first and last segments of each level none spans: no need to look.
    K* const spanning = lo == INT64_MIN || hi == INT64_MAX
                            ? i0
                            : std::partition(i0, i1, [lo, hi, axis](const K& i) {
                                  return lowKey(i, axis) < lo && hi <= highKey(i, axis);
                              });
    goDown(t, p0, p1, i0, spanning, below & kAxes);
    const int64_t split = splitPoints(p0, p1, axis, below & kSame);
    K* const middle =
        std::partition(p0, p1, [split, axis](const K& p) { return lowKey(p, axis) < split; });
    K* part =
        std::partition(spanning, i1, [split, axis](const K& i) { return lowKey(i, axis) < split; });
    searchSegments(t, p0, middle, spanning, part, lo, split, axis, below);
    part = std::partition(spanning, i1,
                          [split, axis](const K& i) { return split < highKey(i, axis); });
    searchSegments(t, middle, p1, spanning, part, split, hi, axis, below);
}

// The search on boxes whose offsets from the low ends of bounds fit in V.
template <typename V>
void searchKeyed(const std::vector<Box>& boxes, const std::vector<uint32_t>& members,
                 const Extent3& bounds, Batch& batch) {
    using K = Keyed<V>;
    const Span* const origin = bounds.axes;
    const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(members.size());
    // Not vectors: their values would all be written once for nothing. The
    // points, the intervals, and room for sortAlong.
    const std::unique_ptr<K[]> room(new K[3 * n]);
    K* const p = room.get();
    K* const i = p + n;
    for (std::ptrdiff_t j = 0; j < n; ++j) {
        const Extent3 e = boxExtent(boxes[members[j]]);
        const K k{{static_cast<V>(e.axes[0].low - origin[0].low),
                   static_cast<V>(e.axes[1].low - origin[1].low),
                   static_cast<V>(e.axes[2].low - origin[2].low)},
                  {static_cast<V>(e.axes[0].high - origin[0].low),
                   static_cast<V>(e.axes[1].high - origin[1].low),
                   static_cast<V>(e.axes[2].high + 1 - origin[2].low)},
                  members[j]};
        p[j] = k;
        i[j] = k;
    }
    const std::unique_ptr<uint64_t[]> order(new uint64_t[2 * n]);
    TreeSearch<K> t{batch, i + n, order.get()};
    const int first = leastMet(p, p + n, i, i + n, kAxes, -1, 256);
    searchSegments(t, p, p + n, i, i + n, INT64_MIN, INT64_MAX, first,
                   (kAxes & ~(1u << first)) | kSame);
}

}  // namespace

// The search without cells: each box, as an interval, against each box, as a
// point, in time that grows with the pairs that meet rather than with the
// pairs that share a cell. The boxes' ends are kept in 32 bits from the lowest
// of them when they all fit, as they do but in layouts spread over more than
// 2^32 units, so that the largest sets take less of the cache.
void searchTree(const std::vector<Box>& boxes, const std::vector<uint32_t>& members,
                const Extent3& bounds, Batch& batch) {
    // In z the high end is one past the top.
    auto width = [](const Span& s) { return uint64_t(s.high) - uint64_t(s.low); };
    const Span* axes = bounds.axes;
    if (std::max({width(axes[0]), width(axes[1]), width(axes[2]) + 1}) <= UINT32_MAX)
        searchKeyed<uint32_t>(boxes, members, bounds, batch);
    else
        searchKeyed<uint64_t>(boxes, members, bounds, batch);
}

}  // namespace analysis
