// Checks a layout for overlapping, stray, degenerate, floating and toppling boxes, for its loading order, and for what the boxes weigh and bear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene/scene.h"

// The checker's own box limit; the viewer keeps its 60-box table.
constexpr int64_t kMaxCheckedBoxes = 1000000;

// The most overlaps a report lists. A layout with more stops the search there,
// and its support, stability and order are not judged.
constexpr std::size_t kMaxListedOverlaps = 1000000;

// The most contacts between boxes a check keeps, eight a box at the largest
// load. A layout with more (long planks laid across each other make one for
// every pair that crosses) stops the search there: the overlaps found so far
// are listed, and support, stability and order are not judged. The contacts of
// boxes turned inside out count, though they hold nothing up.
constexpr std::size_t kMaxContacts = 8000000;

// An exact volume. One extent is at most 2^31 units (the size of a 32-bit
// dimension), so one volume needs up to 93 bits and the sum of
// kMaxCheckedBoxes volumes stays below 2^113.
__extension__ typedef unsigned __int128 Volume;

enum class Side { kMin, kMax };

// Two boxes, first < second, whose interiors share a positive volume.
struct Overlap {
    int first = 0;
    int second = 0;
    Volume volume = 0;
};

// A box reaching past one face of the container.
struct Crossing {
    int box = 0;
    char axis = 'x';  // 'x', 'y' or 'z'
    Side side = Side::kMin;
};

struct CheckSettings {
    int supportThreshold = -1;  // -1: no --support; else report boxes supported below it (%)
    bool order = false;         // judge each box with only the lower-numbered boxes present
    int cogLimit = -1;          // -1: no --cog; else report a centre of gravity off by more (%)
};

// What one box stands on. Only boxes with three positive dimensions get a filled entry.
// The numbers of the boxes it rests on are LayoutReport::restsOn[firstRest] and the
// restCount - 1 that follow, ascending; the last laterCount of them are loaded after it.
struct BoxSupport {
    bool onFloor = false;   // part of its base rests on the container floor
    bool floating = false;  // base above the floor and nothing under it
    bool unstable = false;  // centre of the base outside the convex hull of its contacts
    uint32_t firstRest = 0;
    uint32_t restCount = 0;
    uint32_t laterCount = 0;
    double percent = 0;  // supported share of the base in %, rounded down to two decimals
};

struct SupportShortfall {
    int box = 0;
    double percent = 0;  // rounded down to two decimals
};

struct OrderIssue {
    int box = 0;
    int restsOn = 0;  // a higher-numbered box that it rests on
};

// A box carrying more than it may, in kilograms.
struct Overload {
    int box = 0;
    double load = 0;
    double maxLoad = 0;
};

// What the weights of the boxes say, judged on the whole load; only when the boxes have weights.
// Each box passes its own weight and its load down to what it rests on (the floor and boxes),
// shared in proportion to the area of each contact.
struct WeightReport {
    bool weighed = false;  // false: the file gives no weights, and the rest is empty
    double total = 0;      // kilograms
    double maxWeight = kNoLimit;
    bool overweight = false;    // the total exceeds maxWeight by more than a gram
    bool hasCentre = false;     // false when the total is 0 or the container degenerate
    double centre[3] = {};      // the centre of gravity, in the file's units
    double offset[2] = {};      // from the centre of the floor, in % of dimX and dimY
    bool offCentre = false;     // only with settings.cogLimit: an offset beyond it
    std::vector<double> loads;  // loads[n - 1]: what box n carries; empty when contacts are cut
    std::vector<Overload> overloaded;  // more than its maxLoad, by more than a gram
};

struct LayoutReport {
    Container container;
    int boxCount = 0;  // boxes actually checked: 0 when the file says 0 or less
    CheckSettings settings;
    Volume containerVolume = 0;
    Volume boxVolume = 0;              // only boxes whose three dimensions are positive
    bool hasUtilisation = false;       // false when the container volume is 0
    double utilisation = 0.0;          // box volume / container volume x 100
    bool containerDegenerate = false;  // a container dimension of 0 or less
    std::vector<Overlap> overlaps;
    bool overlapsCut =
        false;  // more than kMaxListedOverlaps: supports, restsOn and the lists below are left empty
    bool contactsCut =
        false;  // more than kMaxContacts: the same, and the overlaps are those found before the stop
    std::vector<Crossing> outside;
    std::vector<int> degenerate;
    std::vector<BoxSupport> supports;  // supports[n - 1] for box n, judged on the whole load
    std::vector<int> restsOn;          // what each box rests on, box after box (see BoxSupport)
    // Judged on the whole load, or with settings.order as each box was when it was loaded.
    std::vector<int> floating;
    std::vector<int> unstable;
    std::vector<SupportShortfall> support;  // only with a threshold
    std::vector<OrderIssue> order;          // only with settings.order
    // A box that is not fragile resting on a fragile one; judged when the file gives fragility.
    bool fragilityKnown = false;
    std::vector<OrderIssue> fragility;
    WeightReport weight;
};

// Measures the layout. A box spans from its corner to corner + dimension on
// each axis, whichever way round, so a negative dimension occupies the other
// side of the corner, as the viewer draws it; the container spans 0..dim the
// same way. Degenerate boxes (a dimension of 0 or less) are listed as such,
// are still checked against the container and, when no dimension is 0, for
// overlaps; their volume is left out of boxVolume and they neither stand on
// anything nor carry anything. Boxes are taken as rigid and uniform: support and
// stability ignore the load of the boxes above, which only the weights judge.
LayoutReport checkLayout(const Layout& layout, const CheckSettings& settings);

// The numbers of the boxes that box n rests on, ascending: all of them, or
// with laterOnly those loaded after it.
std::vector<int> restsOnOf(const LayoutReport& report, int n, bool laterOnly = false);

// True when the report lists any problem.
bool hasProblems(const LayoutReport& report);
