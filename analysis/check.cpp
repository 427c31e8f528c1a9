// Measures a layout: its volumes, the boxes outside the container, the overlaps, what each box stands on, and whether it stands as it was loaded.
#include "analysis/check.h"

#include <algorithm>

#include "analysis/extent.h"
#include "analysis/loads.h"
#include "analysis/pair_search.h"
#include "analysis/support.h"

using namespace analysis;

namespace {

constexpr char kAxisNames[3] = {'x', 'y', 'z'};

Extent3 containerExtent(const Container& container) {
    return Extent3{
        {spanOf(0, container.dimX), spanOf(0, container.dimY), spanOf(0, container.dimZ)}};
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

bool isDegenerate(const Box& box) { return box.dimX <= 0 || box.dimY <= 0 || box.dimZ <= 0; }

bool hasZeroDimension(const Box& box) { return box.dimX == 0 || box.dimY == 0 || box.dimZ == 0; }

// A box resting on another.
struct Contact {
    uint32_t upper;  // index of the box on top
    uint32_t lower;
};

// What the check keeps of the pairs that the search finds: every overlap, and
// the contacts of the boxes that can hold something up.
struct Found {
    const std::vector<char>& solid;  // solid[i]: box i has three positive dimensions
    std::vector<Overlap>& overlaps;
    std::vector<Contact> contacts = {};
    std::size_t touches = 0;  // contacts of boxes turned inside out, which hold nothing up
};

// The contacts met so far, whether or not they hold anything up.
std::size_t contactsMet(const Found& found) { return found.contacts.size() + found.touches; }

// How many more pairs may come before more overlaps are found than a report
// lists, or more contacts than a check keeps; 0 once that happened, and the
// search stops there.
std::size_t roomLeft(const Found& found) {
    if (found.overlaps.size() > kMaxListedOverlaps || contactsMet(found) > kMaxContacts) return 0;
    return std::min(kMaxListedOverlaps + 1 - found.overlaps.size(),
                    kMaxContacts + 1 - contactsMet(found));
}

// The check's side of the search: each pair kept as an overlap, a contact or a touch.
std::size_t takePairs(void* context, const MetPair* pairs, std::size_t count) {
    Found& found = *static_cast<Found*>(context);
    for (const MetPair* p = pairs; p != pairs + count; ++p) {
        if (p->height > 0) {
            found.overlaps.push_back(Overlap{static_cast<int>(std::min(p->a, p->b)) + 1,
                                             static_cast<int>(std::max(p->a, p->b)) + 1,
                                             product(p->xLength, p->yLength, p->height)});
        } else if (!(found.solid[p->a] && found.solid[p->b])) {
            ++found.touches;
        } else {
            found.contacts.push_back(p->aUnder ? Contact{p->b, p->a} : Contact{p->a, p->b});
        }
    }
    return roomLeft(found);
}

// What the search found before it started again is forgotten.
std::size_t forgetPairs(void* context) {
    Found& found = *static_cast<Found*>(context);
    found.overlaps.clear();
    found.contacts.clear();
    found.touches = 0;
    return roomLeft(found);
}

}  // namespace

LayoutReport checkLayout(const Layout& layout, const CheckSettings& settings) {
    LayoutReport report;
    report.container = layout.container;
    report.settings = settings;
    const std::vector<Box>& boxes = layout.boxes;
    report.boxCount = static_cast<int>(boxes.size());

    Extent3 container = containerExtent(layout.container);
    report.containerDegenerate =
        layout.container.dimX <= 0 || layout.container.dimY <= 0 || layout.container.dimZ <= 0;
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
        Found found{solid, report.overlaps};
        findPairs(boxes, members, PairSink{&found, takePairs, forgetPairs});
        std::vector<uint32_t>().swap(members);
        // A search that stopped found only some contacts: none is kept.
        stopped = roomLeft(found) == 0;
        report.overlapsCut = report.overlaps.size() > kMaxListedOverlaps;
        report.contactsCut = contactsMet(found) > kMaxContacts;
        std::vector<Contact>& contacts = found.contacts;
        if (stopped) contacts.clear();
        for (const Contact& c : contacts) ++underStarts[c.upper + 1];
        for (std::size_t i = 1; i <= boxes.size(); ++i) underStarts[i] += underStarts[i - 1];
        report.restsOn.resize(contacts.size());
        std::vector<uint32_t> next(underStarts.begin(), underStarts.end() - 1);
        for (const Contact& c : contacts)
            report.restsOn[next[c.upper]++] = static_cast<int>(c.lower) + 1;
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

    std::sort(report.overlaps.begin(), report.overlaps.end(),
              [](const Overlap& a, const Overlap& b) {
                  return a.first != b.first ? a.first < b.first : a.second < b.second;
              });
    if (report.overlapsCut) report.overlaps.resize(kMaxListedOverlaps);

    if (report.containerVolume != 0) {
        report.hasUtilisation = true;
        long double ratio = static_cast<long double>(report.boxVolume) /
                            static_cast<long double>(report.containerVolume);
        report.utilisation = static_cast<double>(ratio * 100.0L);
    }
    judgeCargo(layout, report);
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
           !report.support.empty() || !report.order.empty() || report.contactsCut ||
           !report.fragility.empty() || report.weight.overweight || report.weight.offCentre ||
           !report.weight.overloaded.empty();
}
