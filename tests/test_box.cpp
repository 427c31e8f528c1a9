// Tests of box drawing: faces and edges reaching the window, with their colours and widths.
#include "render/box.h"

#include "gl_context.h"

#include <algorithm>
#include <map>

namespace {

using namespace gltest;

struct Extents {
    double x, y, z, dx, dy, dz;
};

std::vector<Point> corners(const Extents& e) {
    std::vector<Point> result;
    for (double x : {e.x, e.x + e.dx})
        for (double y : {e.y, e.y + e.dy})
            for (double z : {e.z, e.z + e.dz})
                result.push_back({x, y, z});
    return result;
}

// Every pair of corners that differs along exactly one axis: the twelve edges.
std::vector<Segment> edges(const Extents& e) {
    const std::vector<Point> c = corners(e);
    std::vector<Segment> result;
    for (std::size_t i = 0; i < c.size(); ++i)
        for (std::size_t j = i + 1; j < c.size(); ++j)
            if ((c[i].x == c[j].x) + (c[i].y == c[j].y) + (c[i].z == c[j].z) == 2)
                result.push_back({c[i], c[j], {}});
    return result;
}

class BoxTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        useModelSpaceView();
    }

    // Checks that the drawn lines are exactly the edges of e, all in colour.
    static void expectEdges(const std::vector<Primitive>& drawn, const Extents& e,
                            const Rgb& colour) {
        auto lines = segments(drawn);
        const auto expected = edges(e);
        ASSERT_EQ(lines.size(), expected.size()) << "number of edge lines";
        for (const Segment& edge : expected) {
            auto match = std::find_if(lines.begin(), lines.end(), [&](const Segment& l) {
                return sameSegment(l, edge.a, edge.b);
            });
            ASSERT_NE(match, lines.end()) << "no line along edge " << edge.a << "-" << edge.b;
            EXPECT_EQ(match->colour, colour) << "colour of edge " << edge.a << "-" << edge.b;
            lines.erase(match);
        }
    }
};

// Every face vertex is a corner, and each of the six sides gets two triangles' worth of area.
TEST_F(BoxTest, FacesCoverTheSixSidesInTheBoxColour) {
    const GLubyte colour[3] = {10, 200, 30};
    const auto all = corners({1, 2, 3, 4, 5, 6});
    const auto drawn = capture([&] { drawBox(colour, 1, 2, 3, 4, 5, 6, false); });
    std::map<std::string, int> triangles; // by side, e.g. "x=5"
    for (const Primitive& p : only(drawn, Kind::kPolygon)) {
        std::vector<Point> model;
        for (const Vertex& v : p.vertices) {
            model.push_back(toModel(v.window));
            EXPECT_EQ(v.colour, (Rgb{10, 200, 30})) << "face vertex at " << model.back();
            EXPECT_TRUE(std::any_of(all.begin(), all.end(),
                                    [&](const Point& c) { return near(c, model.back()); }))
                << model.back() << " is not a corner of the box";
        }
        const double Point::*axes[] = {&Point::x, &Point::y, &Point::z};
        std::string side;
        for (int a = 0; a < 3 && side.empty(); ++a)
            if (std::all_of(model.begin(), model.end(), [&](const Point& m) {
                    return std::fabs(m.*axes[a] - model[0].*axes[a]) < kModelTolerance;
                }))
                side = std::string(1, char('x' + a)) + "=" +
                       std::to_string(std::lround(model[0].*axes[a]));
        triangles[side] += int(p.vertices.size()) - 2;
    }
    const std::map<std::string, int> expected{{"x=1", 2}, {"x=5", 2}, {"y=2", 2},
                                              {"y=7", 2}, {"z=3", 2}, {"z=9", 2}};
    EXPECT_EQ(triangles, expected) << "triangles per side";
}

TEST_F(BoxTest, PlainEdgesAreBlackAtWidthOne) {
    const GLubyte colour[3] = {10, 200, 30};
    const auto drawn = capture([&] { drawBox(colour, 1, 2, 3, 4, 5, 6, false); });
    expectEdges(drawn, {1, 2, 3, 4, 5, 6}, {0, 0, 0});
    EXPECT_EQ(lineWidth(), 1.0f);
    EXPECT_EQ(currentColour(), (Rgb{0, 0, 0}));
}

TEST_F(BoxTest, SelectedEdgesAreInverseColourAtWidthFour) {
    const GLubyte colour[3] = {10, 200, 30};
    const auto drawn = capture([&] { drawBox(colour, 1, 2, 3, 4, 5, 6, true); });
    expectEdges(drawn, {1, 2, 3, 4, 5, 6}, {245, 55, 225});
    EXPECT_EQ(lineWidth(), 4.0f);
    for (const Primitive& p : only(drawn, Kind::kPolygon))
        EXPECT_EQ(p.vertices[0].colour, (Rgb{10, 200, 30})) << "faces keep the box colour";
}

TEST_F(BoxTest, NullColourKeepsTheCurrentColourForTheFaces) {
    glColor3ub(7, 8, 9);
    const auto drawn = capture([&] { drawBox(nullptr, 0, 0, 0, 2, 2, 2, false); });
    const auto faces = only(drawn, Kind::kPolygon);
    ASSERT_FALSE(faces.empty());
    for (const Primitive& p : faces)
        EXPECT_EQ(p.vertices[0].colour, (Rgb{7, 8, 9}));
    expectEdges(drawn, {0, 0, 0, 2, 2, 2}, {0, 0, 0});
}

TEST_F(BoxTest, NegativeAndZeroExtentsReachBackFromTheCorner) {
    const GLubyte colour[3] = {1, 2, 3};
    const auto negative = capture([&] { drawBox(colour, 10, 0, 0, -1.5f, 2, -3, false); });
    expectEdges(negative, {10, 0, 0, -1.5, 2, -3}, {0, 0, 0});
    for (const Primitive& p : only(negative, Kind::kPolygon))
        for (const Vertex& v : p.vertices) {
            const Point m = toModel(v.window);
            EXPECT_TRUE(std::fabs(m.x - 8.5) < kModelTolerance ||
                        std::fabs(m.x - 10) < kModelTolerance)
                << "face vertex " << m << " outside x 8.5..10";
        }

    const auto flat = capture([&] { drawBox(colour, 3, 4, 5, 0, 2, 2, false); });
    const auto flatLines = only(flat, Kind::kLine);
    EXPECT_EQ(flatLines.size(), 12u);
    for (const Primitive& p : flatLines)
        for (const Vertex& v : p.vertices)
            EXPECT_NEAR(toModel(v.window).x, 3, kModelTolerance) << "a zero-width box stays at x 3";
}

TEST_F(BoxTest, OutlineIsShiftedAlongYAndZOnly) {
    const GLubyte colour[3] = {100, 0, 250};
    const auto plain = capture([&] { drawBoxOutline(colour, 1, 2, 3, 4, 5, 6, false); });
    EXPECT_TRUE(only(plain, Kind::kPolygon).empty()) << "the outline fills nothing";
    expectEdges(plain, {1, 2 + kOutlineOffset, 3 + kOutlineOffset, 4, 5, 6}, {0, 0, 0});
    EXPECT_EQ(lineWidth(), 2.0f);

    const auto selected = capture([&] { drawBoxOutline(colour, 1, 2, 3, 4, 5, 6, true); });
    expectEdges(selected, {1, 2 + kOutlineOffset, 3 + kOutlineOffset, 4, 5, 6}, {155, 255, 5});
    EXPECT_EQ(lineWidth(), 4.0f);
    EXPECT_EQ(currentColour(), (Rgb{155, 255, 5}));
}

// Seen from above, the top face fills with the box colour and the edge along x = -10
// is one pixel wide when plain and four wide in the inverse colour when selected.
TEST_F(BoxTest, PixelsShowFaceColourAndEdgeThickness) {
    const GLubyte colour[3] = {200, 40, 90};
    // The left edge sits on the centre of pixel column 432 (8 pixels per unit from x = -64).
    const float left = -10 + 1.0f / 16;
    const int column = 432;
    const int row = 384;
    for (bool selected : {false, true}) {
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        drawBox(colour, left, -10, 0, 20, 20, 5, selected);
        glFinish();
        const Rgb face{200, 40, 90};
        const Rgb edge = selected ? Rgb{55, 215, 165} : Rgb{0, 0, 0};
        EXPECT_EQ(readPixel(column + 40, row), face)
            << "inside the top face, selected " << selected;
        EXPECT_EQ(readPixel(column, row), edge) << "on the edge, selected " << selected;
        EXPECT_EQ(readPixel(column + 1, row), selected ? edge : face)
            << "one pixel right of the edge, selected " << selected;
        EXPECT_EQ(readPixel(column - 1, row), (selected ? edge : Rgb{255, 255, 255}))
            << "one pixel left of the edge, selected " << selected;
        EXPECT_EQ(readPixel(column - 4, row), (Rgb{255, 255, 255}))
            << "four pixels left of the edge, selected " << selected;
    }
}

} // namespace
