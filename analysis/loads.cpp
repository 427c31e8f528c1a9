// Judges what the boxes are: a box set on a fragile one, the total weight, the centre of gravity, and the load each box bears.
#include "analysis/loads.h"

#include <algorithm>
#include <cmath>

#include "analysis/extent.h"

namespace analysis {
namespace {

// A box may carry this much over its maxLoad, and the container over its maxWeight: a gram,
// so that sums of decimal weights do not make problems of their rounding.
constexpr double kTolerance = 0.001;

double middle(const Span& span) { return (double(span.low) + double(span.high)) / 2; }

double area(const Rect& r) { return double(r.x1 - r.x0) * double(r.y1 - r.y0); }

void judgeFragility(const Layout& layout, LayoutReport& report) {
    const std::vector<char>& fragile = layout.cargo.fragile;
    for (int n = 1; n <= static_cast<int>(report.supports.size()); ++n) {
        if (fragile[n - 1]) continue;
        const BoxSupport& s = report.supports[n - 1];
        for (uint32_t k = s.firstRest; k < s.firstRest + s.restCount; ++k) {
            if (fragile[report.restsOn[k] - 1]) report.fragility.push_back({n, report.restsOn[k]});
        }
    }
}

// Works from the top down: every box that rests on a box has its base at that box's top, so
// taking the boxes by descending base leaves each one's load complete when it is passed on.
// Boxes listed bottom up, as loads usually are, need no sort.
void judgeLoads(const Layout& layout, LayoutReport& report) {
    WeightReport& w = report.weight;
    const std::vector<Box>& boxes = layout.boxes;
    w.loads.assign(boxes.size(), 0.0);
    std::vector<std::pair<int64_t, uint32_t>> order;  // base, box: the boxes that pass a load on
    for (uint32_t i = 0; i < boxes.size(); ++i) {
        if (report.supports[i].onFloor || report.supports[i].restCount != 0) {
            order.push_back({boxExtent(boxes[i]).axes[2].low, i});
        }
    }
    if (!std::is_sorted(order.begin(), order.end())) std::sort(order.begin(), order.end());
    const Extent3 floor{{spanOf(0, layout.container.dimX), spanOf(0, layout.container.dimY), {}}};
    std::vector<double> shares;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const uint32_t i = it->second;
        const Extent3 extent = boxExtent(boxes[i]);
        const BoxSupport& s = report.supports[i];
        Rect common;
        double total = s.onFloor && footprintOverlap(extent, floor, common) ? area(common) : 0;
        shares.clear();
        for (uint32_t k = s.firstRest; k < s.firstRest + s.restCount; ++k) {
            footprintOverlap(extent, boxExtent(boxes[report.restsOn[k] - 1]), common);
            shares.push_back(area(common));
            total += shares.back();
        }
        const double passed = (layout.cargo.weight[i] + w.loads[i]) / total;
        for (uint32_t k = 0; k < s.restCount; ++k) {
            w.loads[report.restsOn[s.firstRest + k] - 1] += passed * shares[k];
        }
    }
    const std::vector<double>& maxLoad = layout.cargo.maxLoad;
    for (std::size_t i = 0; i < maxLoad.size() && maxLoad.size() == boxes.size(); ++i) {
        if (maxLoad[i] != kNoLimit && w.loads[i] > maxLoad[i] + kTolerance) {
            w.overloaded.push_back({static_cast<int>(i) + 1, w.loads[i], maxLoad[i]});
        }
    }
}

void judgeWeights(const Layout& layout, LayoutReport& report) {
    WeightReport& w = report.weight;
    w.weighed = true;
    w.maxWeight = layout.cargo.maxWeight;
    double moment[3] = {};
    for (std::size_t i = 0; i < layout.boxes.size(); ++i) {
        const double kg = layout.cargo.weight[i];
        const Extent3 extent = boxExtent(layout.boxes[i]);
        w.total += kg;
        for (int axis = 0; axis < 3; ++axis) moment[axis] += kg * middle(extent.axes[axis]);
    }
    w.overweight = w.maxWeight != kNoLimit && w.total > w.maxWeight + kTolerance;
    w.hasCentre = w.total > 0 && !report.containerDegenerate;
    if (w.hasCentre) {
        const int32_t sides[2] = {layout.container.dimX, layout.container.dimY};
        for (int axis = 0; axis < 3; ++axis) w.centre[axis] = moment[axis] / w.total;
        for (int axis = 0; axis < 2; ++axis) {
            w.offset[axis] = (w.centre[axis] - sides[axis] / 2.0) / sides[axis] * 100;
        }
        const int limit = report.settings.cogLimit;
        w.offCentre =
            limit >= 0 && (std::fabs(w.offset[0]) > limit || std::fabs(w.offset[1]) > limit);
    }
    if (!report.overlapsCut && !report.contactsCut) judgeLoads(layout, report);
}

}  // namespace

void judgeCargo(const Layout& layout, LayoutReport& report) {
    const bool contactsKnown = !report.overlapsCut && !report.contactsCut;
    const std::size_t count = layout.boxes.size();
    const Cargo& cargo = layout.cargo;
    // A table with no entry a box is taken as not given.
    report.fragilityKnown = count != 0 && cargo.fragile.size() == count;
    if (report.fragilityKnown && contactsKnown) judgeFragility(layout, report);
    if (count != 0 && cargo.weight.size() == count) judgeWeights(layout, report);
}

}  // namespace analysis
