// Flat drawings of a layout for print: a step of the load in the framed view, and the container seen from above.
//
// Sections: colours and boxes' extents; the framed view's projection; the order in which the
// boxes hide one another; the step in the framed view; the step seen from above.
#include "render/sketch.h"

#include "render/vec.h"
#include "scene/scene.h"

#include <algorithm>
#include <cmath>

namespace {

// ---- Colours and boxes' extents ----

constexpr uint8_t kBlackInk[3] = {0, 0, 0};
constexpr uint8_t kQuietInk[3] = {150, 150, 150};
constexpr uint8_t kWallInk[3] = {120, 120, 120};
constexpr uint8_t kFloorFill[3] = {232, 232, 232};
constexpr uint8_t kWallFill[3] = {245, 245, 245};
constexpr uint8_t kDimensionInk[3] = {30, 30, 30};

constexpr double kWallEdgeWidth = 0.5;

// The sides across x and y are darkened a little, so that the faces of a box read apart; the
// top keeps the box's own colour.
constexpr double kFaceShade[3] = {0.76, 0.88, 1.0};

void copyColour(uint8_t to[3], const uint8_t from[3]) { std::copy(from, from + 3, to); }

// A box's lowest and highest corners, whatever the signs of its sizes.
struct Extent {
    Vec lo, hi;
};

Extent extentOf(int32_t posX, int32_t posY, int32_t posZ, int32_t dimX, int32_t dimY,
                int32_t dimZ) {
    const Vec a{double(posX), double(posY), double(posZ)};
    const Vec b = a + Vec{double(dimX), double(dimY), double(dimZ)};
    return {{std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)},
            {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)}};
}

Extent boxExtent(const Box& b) { return extentOf(b.posX, b.posY, b.posZ, b.dimX, b.dimY, b.dimZ); }

double on(Vec v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// The four corners, in order round it, of the face of e across axis on its high or low side.
std::vector<Vec> faceCorners(const Extent& e, int axis, bool high) {
    constexpr int kRound[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const int u = (axis + 1) % 3, v = (axis + 2) % 3;
    std::vector<Vec> corners;
    for (const auto& step : kRound) {
        double c[3];
        c[axis] = on(high ? e.hi : e.lo, axis);
        c[u] = on(step[0] ? e.hi : e.lo, u);
        c[v] = on(step[1] ? e.hi : e.lo, v);
        corners.push_back({c[0], c[1], c[2]});
    }
    return corners;
}

// Whether the eye sees the outside of that face.
bool facesEye(const Extent& e, int axis, bool high, Vec eye) {
    return high ? on(eye, axis) > on(e.hi, axis) : on(eye, axis) < on(e.lo, axis);
}

SketchShape polygon(std::vector<SketchPoint> points, const uint8_t* fill, const uint8_t* edge,
                    double edgeWidth) {
    SketchShape shape;
    shape.points = std::move(points);
    shape.filled = fill != nullptr;
    if (fill != nullptr) copyColour(shape.fill, fill);
    if (edge != nullptr) copyColour(shape.edge, edge);
    shape.edgeWidth = edge != nullptr ? edgeWidth : 0;
    return shape;
}

SketchShape openLine(std::vector<SketchPoint> points, const uint8_t* edge, double edgeWidth) {
    SketchShape shape = polygon(std::move(points), nullptr, edge, edgeWidth);
    shape.closed = false;
    return shape;
}

// ---- The framed view's projection ----

// The framed camera's perspective, scaled to the drawing: model points to drawing points.
struct Projection {
    Vec eye{}, right{}, up{}, ahead{};
    Vec modelEye{};  // the eye in the model's own axes, before the view's turn
    double rotX = 0, rotZ = 0;
    double nearDepth = 0;
    double scale = 1;  // drawing units across per unit of x / depth
    double width = 0, height = 0;
};

// The model point that the view's turn takes to p.
Vec unturned(Vec p, double rotX, double rotZ) {
    const double a = -rotX * M_PI / 180, b = -rotZ * M_PI / 180;
    const Vec q{p.x * std::cos(b) - p.y * std::sin(b), p.x * std::sin(b) + p.y * std::cos(b), p.z};
    return {q.x, q.y * std::cos(a) - q.z * std::sin(a), q.y * std::sin(a) + q.z * std::cos(a)};
}

Projection framedProjection(const Scene& scene, double width, double height) {
    ViewState view;
    view.rotX = 0;
    view.rotZ = kHomeRotZ;
    view.framed = true;
    const Camera camera = framedCamera(scene.container, view.rotX, view.rotZ);
    Projection p;
    p.eye = {camera.eyeX, camera.eyeY, camera.eyeZ};
    p.ahead = unit(Vec{camera.centerX, camera.centerY, camera.centerZ} - p.eye);
    p.right = unit(cross(p.ahead, {0, 0, 1}));
    p.up = cross(p.right, p.ahead);
    p.rotX = view.rotX;
    p.rotZ = view.rotZ;
    p.modelEye = unturned(p.eye, p.rotX, p.rotZ);
    p.nearDepth = clipPlanesFor(scene, camera, view).nearPlane;
    // The window's field of view, fitted into the drawing without stretching it.
    const double tanY = std::tan(kFieldOfView / 2 * M_PI / 180);
    p.scale = std::min(width / (2 * tanY * kAspectRatio), height / (2 * tanY));
    p.width = width;
    p.height = height;
    return p;
}

// A model point in the eye's axes: across, up and depth.
Vec viewed(const Projection& p, Vec model) {
    const Vec r = turned(model, p.rotX, p.rotZ) - p.eye;
    return {dot(r, p.right), dot(r, p.up), dot(r, p.ahead)};
}

SketchPoint onDrawing(const Projection& p, Vec v) {
    return {p.width / 2 + v.x / v.z * p.scale, p.height / 2 - v.y / v.z * p.scale};
}

// A polygon of model points on the drawing, cut where it passes behind the near plane.
std::vector<SketchPoint> projected(const Projection& p, const std::vector<Vec>& model) {
    std::vector<Vec> v;
    for (const Vec& m : model) v.push_back(viewed(p, m));
    std::vector<SketchPoint> points;
    for (std::size_t i = 0; i < v.size(); ++i) {
        const Vec a = v[i], b = v[(i + 1) % v.size()];
        if (a.z >= p.nearDepth) points.push_back(onDrawing(p, a));
        if ((a.z >= p.nearDepth) != (b.z >= p.nearDepth)) {
            points.push_back(onDrawing(p, a + (b - a) * ((p.nearDepth - a.z) / (b.z - a.z))));
        }
    }
    return points;
}

// The box's eight corners on the drawing, cut at the near plane.
std::vector<SketchPoint> projectedCorners(const Projection& p, const Extent& e) {
    std::vector<SketchPoint> points;
    for (int axis = 0; axis < 3; ++axis) {
        for (const SketchPoint& point : projected(p, faceCorners(e, axis, true))) {
            points.push_back(point);
        }
        for (const SketchPoint& point : projected(p, faceCorners(e, axis, false))) {
            points.push_back(point);
        }
    }
    return points;
}

// The convex hull of the points, counter-clockwise on the drawing (monotone chain).
std::vector<SketchPoint> hull(std::vector<SketchPoint> points) {
    std::sort(points.begin(), points.end(),
              [](SketchPoint a, SketchPoint b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    if (points.size() < 3) return points;
    const auto turn = [](SketchPoint o, SketchPoint a, SketchPoint b) {
        return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
    };
    std::vector<SketchPoint> out(2 * points.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && turn(out[k - 2], out[k - 1], points[i]) <= 0) --k;
        out[k++] = points[i];
    }
    for (std::size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && turn(out[k - 2], out[k - 1], points[i]) <= 0) --k;
        out[k++] = points[i];
    }
    out.resize(k - 1);
    return out;
}

// Where a number sits on a shape: the centre of its area, or of its points when it has none.
SketchPoint centreOf(const std::vector<SketchPoint>& points) {
    double area = 0, x = 0, y = 0, sumX = 0, sumY = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const SketchPoint a = points[i], b = points[(i + 1) % points.size()];
        const double cross = a.x * b.y - b.x * a.y;
        area += cross;
        x += (a.x + b.x) * cross;
        y += (a.y + b.y) * cross;
        sumX += a.x;
        sumY += a.y;
    }
    if (std::abs(area) < 1e-9) {
        const double n = std::max<double>(1, points.size());
        return {sumX / n, sumY / n};
    }
    return {x / (3 * area), y / (3 * area)};
}

// ---- The order in which the boxes hide one another ----

// +1 when a may hide part of b from the eye, -1 when b may hide part of a, 0 when neither
// can. Two boxes apart along an axis have a plane between them, and only the one on the
// eye's side can hide the other; with the eye between the two planes, neither can. Boxes that
// share space are told apart by the distances of their centres.
int hides(const Extent& a, const Extent& b, Vec eye) {
    int found = 0;
    for (int axis = 0; axis < 3; ++axis) {
        for (int side = 0; side < 2; ++side) {
            const Extent& low = side == 0 ? a : b;
            const Extent& high = side == 0 ? b : a;
            const double gapFrom = on(low.hi, axis), gapTo = on(high.lo, axis);
            if (gapFrom > gapTo) continue;
            const double e = on(eye, axis);
            if (e > gapFrom && e < gapTo) return 0;
            if (found == 0) found = (e <= gapFrom) == (side == 0) ? 1 : -1;
        }
    }
    if (found != 0) return found;
    const auto distance = [&](const Extent& x) {
        const Vec d = (x.lo + x.hi) * 0.5 - eye;
        return dot(d, d);
    };
    return distance(a) < distance(b) ? 1 : -1;
}

struct Bounds {
    double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
};

Bounds boundsOf(const std::vector<SketchPoint>& points) {
    Bounds b;
    for (const SketchPoint& p : points) {
        b.x0 = std::min(b.x0, p.x), b.x1 = std::max(b.x1, p.x);
        b.y0 = std::min(b.y0, p.y), b.y1 = std::max(b.y1, p.y);
    }
    return b;
}

bool meet(const Bounds& a, const Bounds& b) {
    return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
}

// Boxes 0..n-1 in the order they are drawn, each before every box that may hide it. Only boxes
// whose drawings meet are compared; where the boxes hide one another in a ring, the farthest
// left goes first.
std::vector<int> drawingOrder(const std::vector<Extent>& boxes, const std::vector<Bounds>& drawn,
                              Vec eye) {
    const std::size_t n = boxes.size();
    std::vector<std::vector<int>> behind(n);  // behind[i]: the boxes that i may hide
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (!meet(drawn[i], drawn[j])) continue;
            const int h = hides(boxes[i], boxes[j], eye);
            if (h > 0) behind[i].push_back(int(j));
            if (h < 0) behind[j].push_back(int(i));
        }
    }
    std::vector<double> distance(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Vec d = (boxes[i].lo + boxes[i].hi) * 0.5 - eye;
        distance[i] = dot(d, d);
    }
    std::vector<bool> done(n, false);
    std::vector<int> order;
    while (order.size() < n) {
        int ready = -1, farthest = -1;
        for (std::size_t i = 0; i < n; ++i) {
            if (done[i]) continue;
            if (farthest < 0 || distance[i] > distance[farthest]) farthest = int(i);
            const bool free = std::all_of(behind[i].begin(), behind[i].end(),
                                          [&](int j) { return bool(done[j]); });
            if (free && (ready < 0 || distance[i] > distance[ready])) ready = int(i);
        }
        const int next = ready >= 0 ? ready : farthest;
        done[next] = true;
        order.push_back(next);
    }
    return order;
}

// ---- The step in the framed view ----

int32_t shownBoxes(const Scene& scene, int32_t step) {
    const int32_t count = boxesInTable(scene.boxCount);
    return step <= 0 ? count : std::min(step, count);
}

// The box's faces that the eye sees, in its own or its quiet colour.
void addBoxFaces(Sketch& sketch, const Projection& p, const Extent& e, const GLubyte colour[3],
                 bool quiet) {
    uint8_t base[3];
    if (quiet) {
        quietColour(colour, base);
    } else {
        copyColour(base, colour);
    }
    for (int axis = 0; axis < 3; ++axis) {
        for (bool high : {false, true}) {
            if (!facesEye(e, axis, high, p.modelEye)) continue;
            uint8_t fill[3];
            for (int c = 0; c < 3; ++c) fill[c] = uint8_t(std::lround(base[c] * kFaceShade[axis]));
            sketch.shapes.push_back(polygon(projected(p, faceCorners(e, axis, high)), fill,
                                            quiet ? kQuietInk : kBlackInk,
                                            quiet ? kQuietEdgeWidth : kPlainEdgeWidth));
        }
    }
}

// The container's sides seen from inside (floor and far walls) before the boxes, or the
// edges between two sides seen from outside after them, so that they never hide a box.
void addContainer(Sketch& sketch, const Projection& p, const Extent& room, bool front) {
    for (int axis = 0; axis < 3; ++axis) {
        for (bool high : {false, true}) {
            if (front || facesEye(room, axis, high, p.modelEye)) continue;
            // The ceiling seen from below would hide the load's top: only its edges.
            const bool ceiling = axis == 2 && high;
            sketch.shapes.push_back(polygon(projected(p, faceCorners(room, axis, high)),
                                            ceiling     ? nullptr
                                            : axis == 2 ? kFloorFill
                                                        : kWallFill,
                                            kWallInk, kWallEdgeWidth));
        }
    }
    if (!front) return;
    // Edge along axis a at the sides (u, su) and (v, sv): shared by those two faces.
    for (int a = 0; a < 3; ++a) {
        const int u = (a + 1) % 3, v = (a + 2) % 3;
        for (int k = 0; k < 4; ++k) {
            const bool su = k & 1, sv = k & 2;
            if (!facesEye(room, u, su, p.modelEye) || !facesEye(room, v, sv, p.modelEye)) continue;
            std::vector<Vec> ends = faceCorners(room, u, su);
            ends.erase(
                std::remove_if(ends.begin(), ends.end(),
                               [&](Vec c) { return on(c, v) != on(sv ? room.hi : room.lo, v); }),
                ends.end());
            sketch.shapes.push_back(openLine(projected(p, ends), kWallInk, kWallEdgeWidth));
        }
    }
}

// ---- The step seen from above ----

constexpr double kDimensionGap = 14;  // from the container's side to its dimension line
constexpr double kArrowLength = 5;
constexpr double kThinWidth = 0.5;

// A dimension line from a to b with arrowheads at both ends, and its text beside it.
void addDimension(Sketch& sketch, SketchPoint a, SketchPoint b, SketchPoint label, std::string text,
                  double angle) {
    sketch.shapes.push_back(openLine({a, b}, kDimensionInk, kThinWidth));
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    if (length > 3 * kArrowLength) {
        const double ux = (b.x - a.x) / length, uy = (b.y - a.y) / length;
        for (int end = 0; end < 2; ++end) {
            const SketchPoint tip = end == 0 ? a : b;
            const double s = end == 0 ? 1 : -1;  // the arrowhead points out, to its end
            const SketchPoint base{tip.x + s * ux * kArrowLength, tip.y + s * uy * kArrowLength};
            sketch.shapes.push_back(polygon(
                {tip, {base.x - uy * 2, base.y + ux * 2}, {base.x + uy * 2, base.y - ux * 2}},
                kDimensionInk, nullptr, 0));
        }
    }
    SketchText t;
    t.at = label;
    t.text = std::move(text);
    t.angle = angle;
    sketch.texts.push_back(t);
}

}  // namespace

void quietColour(const GLubyte colour[3], uint8_t quiet[3]) {
    const double grey = 0.3 * colour[0] + 0.59 * colour[1] + 0.11 * colour[2];
    for (int c = 0; c < 3; ++c) {
        const double desaturated = 0.35 * colour[c] + 0.65 * grey;
        quiet[c] = uint8_t(std::lround(0.4 * desaturated + 0.6 * 255));
    }
}

Sketch stepSketch(const Scene& scene, const Palette& palette, int32_t step, double width,
                  double height) {
    Sketch sketch;
    sketch.width = width;
    sketch.height = height;
    const Projection p = framedProjection(scene, width, height);
    const Container& c = scene.container;
    const Extent room = extentOf(0, 0, 0, c.dimX, c.dimY, c.dimZ);
    addContainer(sketch, p, room, false);

    const int32_t count = shownBoxes(scene, step);
    std::vector<Extent> boxes;
    std::vector<Bounds> drawn;
    for (int32_t n = 1; n <= count; ++n) {
        boxes.push_back(boxExtent(scene.boxes[n]));
        drawn.push_back(boundsOf(projectedCorners(p, boxes.back())));
    }
    for (int i : drawingOrder(boxes, drawn, p.modelEye)) {
        addBoxFaces(sketch, p, boxes[i], palette.colours[i], step > 0 && i + 1 < step);
    }
    addContainer(sketch, p, room, true);

    if (step > 0 && step <= count) {
        const std::vector<SketchPoint> outline = hull(projectedCorners(p, boxes[step - 1]));
        sketch.shapes.push_back(polygon(outline, nullptr, kBlackInk, kHeavyEdgeWidth));
        sketch.texts.push_back({centreOf(outline), std::to_string(step), true, 0});
    }
    return sketch;
}

Sketch topSketch(const Scene& scene, const Palette& palette, int32_t step, double width,
                 double height, const std::function<std::string(double)>& numberText) {
    Sketch sketch;
    sketch.width = width;
    sketch.height = height;
    const Container& c = scene.container;
    const int32_t count = shownBoxes(scene, step);
    // What is drawn: the container and every box shown, the highest last.
    std::vector<Extent> boxes;
    Extent all = extentOf(0, 0, 0, c.dimX, c.dimY, c.dimZ);
    const Extent inside = all;
    std::vector<int> order;
    for (int32_t n = 1; n <= count; ++n) {
        boxes.push_back(boxExtent(scene.boxes[n]));
        all.lo = {std::min(all.lo.x, boxes.back().lo.x), std::min(all.lo.y, boxes.back().lo.y), 0};
        all.hi = {std::max(all.hi.x, boxes.back().hi.x), std::max(all.hi.y, boxes.back().hi.y), 0};
        if (n != step) order.push_back(n - 1);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return boxes[a].hi.z < boxes[b].hi.z; });
    if (step > 0 && step <= count) order.push_back(step - 1);

    // Seen as from the framed view's side: x to the left and y toward the reader, with room
    // on the right and above for the dimension lines and their texts.
    const double room = 2.5 * kDimensionGap, edge = 4;
    const double spanX = std::max(all.hi.x - all.lo.x, 1e-9);
    const double spanY = std::max(all.hi.y - all.lo.y, 1e-9);
    const double scale =
        std::max(0.0, std::min((width - room - edge) / spanX, (height - room - edge) / spanY));
    const double x0 = edge + (width - room - edge - spanX * scale) / 2;
    const double y0 = room + (height - room - edge - spanY * scale) / 2;
    const auto at = [&](double x, double y) {
        return SketchPoint{x0 + (all.hi.x - x) * scale, y0 + (y - all.lo.y) * scale};
    };
    const auto rectangle = [&](const Extent& e) {
        return std::vector<SketchPoint>{at(e.lo.x, e.lo.y), at(e.hi.x, e.lo.y), at(e.hi.x, e.hi.y),
                                        at(e.lo.x, e.hi.y)};
    };
    sketch.shapes.push_back(polygon(rectangle(inside), kFloorFill, kWallInk, 2 * kWallEdgeWidth));
    for (int i : order) {
        const bool placing = i + 1 == step;
        uint8_t fill[3];
        if (step > 0 && !placing) {
            quietColour(palette.colours[i], fill);
        } else {
            copyColour(fill, palette.colours[i]);
        }
        sketch.shapes.push_back(polygon(rectangle(boxes[i]), fill,
                                        step > 0 && !placing ? kQuietInk : kBlackInk,
                                        placing    ? kHeavyEdgeWidth
                                        : step > 0 ? kQuietEdgeWidth
                                                   : kPlainEdgeWidth));
    }
    if (step <= 0 || step > count) return sketch;

    // The box's corner measured from the container's corner: along x above, along y right.
    const Extent& b = boxes[step - 1];
    const SketchPoint corner = at(b.lo.x, b.lo.y), origin = at(0, 0);
    const double lineY = at(0, all.lo.y).y - kDimensionGap;
    const double lineX = at(all.lo.x, 0).x + kDimensionGap;
    sketch.shapes.push_back(openLine({corner, {corner.x, lineY - 3}}, kDimensionInk, kThinWidth));
    sketch.shapes.push_back(openLine({origin, {origin.x, lineY - 3}}, kDimensionInk, kThinWidth));
    sketch.shapes.push_back(openLine({corner, {lineX + 3, corner.y}}, kDimensionInk, kThinWidth));
    sketch.shapes.push_back(openLine({origin, {lineX + 3, origin.y}}, kDimensionInk, kThinWidth));
    addDimension(sketch, {origin.x, lineY}, {corner.x, lineY},
                 {(origin.x + corner.x) / 2, lineY - 0.7 * kDimensionGap},
                 "x = " + numberText(b.lo.x), 0);
    addDimension(sketch, {lineX, origin.y}, {lineX, corner.y},
                 {lineX + 0.7 * kDimensionGap, (origin.y + corner.y) / 2},
                 "y = " + numberText(b.lo.y), -90);
    sketch.texts.push_back({centreOf(rectangle(b)), std::to_string(step), true, 0});
    return sketch;
}
