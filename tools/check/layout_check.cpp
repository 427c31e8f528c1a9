// Measures a layout (volumes, overlaps, boxes outside the container, support, stability and loading order) and writes the findings for boxview-check.
#include "tools/check/layout_check.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <iterator>
#include <ostream>
#include <sstream>
#include <utility>

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <nlohmann/json.hpp>

namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

constexpr char kAxisNames[3] = {'x', 'y', 'z'};

// A half-open span [low, high) along one axis. 64 bits hold any coordinate
// of the form int32 + int32 and any difference of two such coordinates.
struct Span {
    int64_t low = 0;
    int64_t high = 0;
};

Span spanOf(int32_t corner, int32_t extent) {
    int64_t far = int64_t{corner} + int64_t{extent};
    return Span{std::min<int64_t>(corner, far), std::max<int64_t>(corner, far)};
}

struct Extent3 {
    Span axes[3];
};

Extent3 boxExtent(const Box& box) {
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

// Volume shared by two extents; 0 when they only touch or are apart.
Volume intersection(const Extent3& a, const Extent3& b) {
    int64_t lengths[3];
    for (int axis = 0; axis < 3; ++axis) {
        int64_t low = std::max(a.axes[axis].low, b.axes[axis].low);
        int64_t high = std::min(a.axes[axis].high, b.axes[axis].high);
        if (high <= low) return 0;
        lengths[axis] = high - low;
    }
    return product(lengths[0], lengths[1], lengths[2]);
}

bool isDegenerate(const Box& box) {
    return box.dimX <= 0 || box.dimY <= 0 || box.dimZ <= 0;
}

bool hasZeroDimension(const Box& box) {
    return box.dimX == 0 || box.dimY == 0 || box.dimZ == 0;
}

// A rectangle of the plane, half-open, with positive sides.
struct Rect {
    int64_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
};

// The common part of the footprints of two extents, when its area is positive.
bool footprintOverlap(const Extent3& a, const Extent3& b, Rect& common) {
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
    Volume hundredths = Volume(area) * 10000u / footprint;
    return static_cast<double>(static_cast<uint64_t>(hundredths)) / 100.0;
}

// The tree holds single-precision bounds rounded outward, half the size of
// exact ones: it only finds candidates, which are then judged exactly.
using Point3 = bg::model::point<float, 3, bg::cs::cartesian>;
using Bounds = bg::model::box<Point3>;
using Entry = std::pair<Bounds, uint32_t>;  // the bounds of boxes[index]
using Tree = bgi::rtree<Entry, bgi::rstar<16>>;

float below(int64_t value) {
    float rounded = static_cast<float>(value);
    return static_cast<int64_t>(rounded) > value ? std::nextafter(rounded, -INFINITY) : rounded;
}

float above(int64_t value) {
    float rounded = static_cast<float>(value);
    return static_cast<int64_t>(rounded) < value ? std::nextafter(rounded, INFINITY) : rounded;
}

Bounds boundsOf(const Extent3& e) {
    return Bounds(Point3(below(e.axes[0].low), below(e.axes[1].low), below(e.axes[2].low)),
                  Point3(above(e.axes[0].high), above(e.axes[1].high), above(e.axes[2].high)));
}

// What a box's query must find: boxes sharing some of its interior, and boxes
// whose top meets its base over a positive area. Coordinates are whole, so
// the box less half a unit on each side, and at the top, finds exactly those
// and leaves out the boxes that only touch a side or stand on it.
Bounds queryBoundsOf(const Extent3& e) {
    auto down = [](double value) {
        float rounded = static_cast<float>(value);
        return rounded > value ? std::nextafter(rounded, -INFINITY) : rounded;
    };
    auto up = [](double value) {
        float rounded = static_cast<float>(value);
        return rounded < value ? std::nextafter(rounded, INFINITY) : rounded;
    };
    return Bounds(Point3(down(e.axes[0].low + 0.5), down(e.axes[1].low + 0.5), down(e.axes[2].low)),
                  Point3(up(e.axes[0].high - 0.5), up(e.axes[1].high - 0.5), up(e.axes[2].high - 0.5)));
}

// Every box with an interior, packed into an R-tree at once.
Tree buildTree(const std::vector<Box>& boxes) {
    std::vector<Entry> entries;
    entries.reserve(boxes.size());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (!hasZeroDimension(boxes[i])) {
            entries.emplace_back(boundsOf(boxExtent(boxes[i])), static_cast<uint32_t>(i));
        }
    }
    return Tree(entries.begin(), entries.end());
}

// An output iterator that hands each entry to a function, so that query
// results are judged as they are found.
template <typename Visit>
struct VisitOutput {
    using iterator_category = std::output_iterator_tag;
    using value_type = void;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = void;
    Visit* visit;
    VisitOutput& operator*() { return *this; }
    VisitOutput& operator++() { return *this; }
    VisitOutput& operator++(int) { return *this; }
    VisitOutput& operator=(const Entry& entry) {
        (*visit)(entry.second);
        return *this;
    }
};

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

// The JSON text of a string; bytes that are not UTF-8 become U+FFFD rather
// than making the dump fail, since a file name may hold any bytes.
std::string jsonString(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
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

    for (int n = 1; n <= report.boxCount; ++n) {
        const Box& box = boxes[n - 1];
        Extent3 extent = boxExtent(box);
        if (isDegenerate(box)) {
            report.degenerate.push_back(n);
        } else {
            report.boxVolume += volumeOf(extent);
        }
        for (int axis = 0; axis < 3; ++axis) {
            if (extent.axes[axis].low < container.axes[axis].low) {
                report.outside.push_back(Crossing{n, kAxisNames[axis], Side::kMin});
            }
            if (extent.axes[axis].high > container.axes[axis].high) {
                report.outside.push_back(Crossing{n, kAxisNames[axis], Side::kMax});
            }
        }
    }

    // One query per box finds the boxes that overlap it and those under it
    // whose top meets its base.
    const Tree tree = buildTree(boxes);
    report.supports.resize(boxes.size());
    std::vector<Overlap> overlapsHere;
    std::vector<std::pair<int, Rect>> contacts;  // supporter (0: the floor), common rectangle
    std::vector<Rect> rects;
    Scratch scratch;
    // The boxes are visited in the tree's own order, neighbours one after the
    // other, which keeps the nodes a query reads in the cache; the findings are
    // put back in box order at the end. A box with a zero dimension is not in
    // the tree and has nothing to find.
    for (const Entry& entry : tree) {
        const int n = static_cast<int>(entry.second) + 1;
        const Box& box = boxes[n - 1];
        const Extent3 extent = boxExtent(box);
        const bool solid = !isDegenerate(box);
        overlapsHere.clear();
        contacts.clear();
        auto visit = [&](uint32_t index) {
            const int other = static_cast<int>(index) + 1;
            if (other == n) return;
            const Extent3 otherExtent = boxExtent(boxes[index]);
            if (other > n) {
                Volume shared = intersection(extent, otherExtent);
                if (shared != 0) overlapsHere.push_back(Overlap{n, other, shared});
            }
            Rect common;
            if (solid && otherExtent.axes[2].high == extent.axes[2].low &&
                !isDegenerate(boxes[index]) && footprintOverlap(extent, otherExtent, common)) {
                contacts.emplace_back(other, common);
            }
        };
        tree.query(bgi::intersects(queryBoundsOf(extent)), VisitOutput<decltype(visit)>{&visit});
        report.overlaps.insert(report.overlaps.end(), overlapsHere.begin(), overlapsHere.end());
        if (!solid) continue;

        BoxSupport& support = report.supports[n - 1];
        Rect floorPart;
        if (extent.axes[2].low == 0 && footprintOverlap(extent, container, floorPart)) {
            support.onFloor = true;
            contacts.emplace_back(0, floorPart);
        }
        std::sort(contacts.begin(), contacts.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        rects.clear();
        for (const auto& [supporter, rect] : contacts) {
            rects.push_back(rect);
            if (supporter == 0) continue;
            support.restsOn.push_back(supporter);
            if (supporter > n) support.restsOnLater.push_back(supporter);
        }
        const uint64_t footprint = static_cast<uint64_t>(extent.axes[0].high - extent.axes[0].low) *
                                   static_cast<uint64_t>(extent.axes[1].high - extent.axes[1].low);
        const bool raised = extent.axes[2].low > 0;
        Judgement whole = judge(extent, rects, scratch);
        support.percent = percentOf(whole.area, footprint);
        support.floating = raised && whole.area == 0;
        support.unstable = whole.area != 0 && !whole.centreHeld;

        // With the order checked, the box is judged with only the earlier boxes
        // under it; the contacts are sorted by supporter, floor first.
        Judgement judged = whole;
        if (settings.order && !support.restsOnLater.empty()) {
            rects.resize(contacts.size() - support.restsOnLater.size());
            judged = judge(extent, rects, scratch);
            for (int later : support.restsOnLater) report.order.push_back(OrderIssue{n, later});
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
    std::sort(report.floating.begin(), report.floating.end());
    std::sort(report.unstable.begin(), report.unstable.end());
    std::sort(report.support.begin(), report.support.end(),
              [](const SupportShortfall& a, const SupportShortfall& b) { return a.box < b.box; });
    std::sort(report.order.begin(), report.order.end(), [](const OrderIssue& a, const OrderIssue& b) {
        return a.box != b.box ? a.box < b.box : a.restsOn < b.restsOn;
    });

    if (report.containerVolume != 0) {
        report.hasUtilisation = true;
        long double ratio = static_cast<long double>(report.boxVolume) /
                            static_cast<long double>(report.containerVolume);
        report.utilisation = static_cast<double>(ratio * 100.0L);
    }
    return report;
}

bool hasProblems(const LayoutReport& report) {
    return report.containerDegenerate || !report.overlaps.empty() || !report.outside.empty() ||
           !report.degenerate.empty() || !report.floating.empty() || !report.unstable.empty() ||
           !report.support.empty() || !report.order.empty();
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

// The object is written by hand, with nlohmann only escaping the file name
// and writing the utilisation: a volume may need up to 113 bits, which no
// nlohmann number holds, while JSON itself puts no limit on an integer's
// digits. Writing every volume as its exact decimal digits keeps one format
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
         << (report.hasUtilisation ? nlohmann::json(report.utilisation).dump() : "null");
    json << ",\"containerDegenerate\":" << (report.containerDegenerate ? "true" : "false");
    jsonList(json, "overlaps", report.overlaps, [&](const Overlap& overlap) {
        json << "{\"a\":" << overlap.first << ",\"b\":" << overlap.second
             << ",\"volume\":" << volumeText(overlap.volume) << '}';
    });
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
             << ",\"percent\":" << nlohmann::json(shortfall.percent).dump() << '}';
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
