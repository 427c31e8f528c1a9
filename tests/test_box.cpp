// Tests of box drawing: faces and edges reaching the window, with their colours, widths and places.
#include "render/box.h"

#include "gl_context.h"

#include <set>
#include <utility>

namespace {

using namespace gltest;

class BoxTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        useOrtho(-64, 64, -48, 48);  // 8 pixels per unit
    }

    // Which corner of lo..hi p is, as bits 4, 2, 1 set for x, y, z on the hi side; -1 for none.
    static int corner(const Point& p, const Point& lo, const Point& hi) {
        const double Point::*axes[] = {&Point::x, &Point::y, &Point::z};
        int bits = 0;
        for (int a = 0; a < 3; ++a) {
            if (std::fabs(p.*axes[a] - hi.*axes[a]) < 1e-3) bits |= 4 >> a;
            else if (std::fabs(p.*axes[a] - lo.*axes[a]) >= 1e-3) return -1;
        }
        return bits;
    }

    // The lines are the twelve edges of lo..hi in edge colour; the polygons, with faces set,
    // lie on its six sides in that colour, twelve triangles in all.
    static void expectBox(const std::vector<Primitive>& drawn, const Point& lo, const Point& hi,
                          const Rgb& edge, const Rgb* faces) {
        std::set<std::pair<int, int>> edges, sides;  // by the corner bits shared on hi, on lo
        int lines = 0, triangles = 0;
        for (const Primitive& p : drawn) {
            const bool line = p.kind == Kind::kLine;
            int hiBits = 7, loBits = 7;
            for (const Point& v : p.points) {
                const int c = corner(v, lo, hi);
                ASSERT_GE(c, 0) << v << " is no corner of " << lo << "-" << hi;
                hiBits &= c;
                loBits &= ~c;
            }
            EXPECT_EQ(p.colour, line || !faces ? edge : *faces) << (line ? "edge" : "face");
            EXPECT_EQ(__builtin_popcount(hiBits | loBits), line ? 2 : 1)
                << (line ? "a line off the edges" : "a polygon off the sides");
            (line ? edges : sides).insert({hiBits, loBits});
            (line ? lines : triangles) += line ? 1 : int(p.points.size()) - 2;
        }
        EXPECT_TRUE(lines == 12 && edges.size() == 12)
            << lines << " lines on " << edges.size() << " edges, 12 on 12 expected";
        EXPECT_TRUE(triangles == (faces ? 12 : 0) && sides.size() == (faces ? 6u : 0u))
            << triangles << " triangles on " << sides.size() << " sides";
    }
};

// Edges black at width 1 (the outline 2) or in the inverse colour at width 4 when selected;
// the outline moves 0.05 along y and z only; negative extents reach back from the corner.
TEST_F(BoxTest, FacesAndEdgesHaveTheirColoursWidthsAndPlaces) {
    const GLubyte colour[3] = {10, 200, 30};
    const Rgb face{10, 200, 30}, inverse{245, 55, 225}, black{0, 0, 0};
    struct Case {
        bool outline, selected;
        float x, dx;
        Rgb edge;
        float width;
        Point lo, hi;
    };
    for (const Case& c : {Case{false, false, 1, 4, black, 1, {1, 2, 3}, {5, 7, 9}},
                          Case{false, true, 1, 4, inverse, 4, {1, 2, 3}, {5, 7, 9}},
                          Case{true, false, 1, 4, black, 2, {1, 2.05, 3.05}, {5, 7.05, 9.05}},
                          Case{true, true, 1, 4, inverse, 4, {1, 2.05, 3.05}, {5, 7.05, 9.05}},
                          Case{false, false, 10, -1.5, black, 1, {8.5, 2, 3}, {10, 7, 9}}}) {
        SCOPED_TRACE(testing::Message() << (c.outline ? "outline" : "box") << ", selected "
                                        << c.selected << ", x " << c.x << ", dx " << c.dx);
        const auto drawn = capture([&] {
            (c.outline ? drawBoxOutline : drawBox)(colour, c.x, 2, 3, c.dx, 5, 6, c.selected);
        });
        expectBox(drawn, c.lo, c.hi, c.edge, c.outline ? nullptr : &face);
        EXPECT_EQ(lineWidth(), c.width) << "edge width";
    }
}

} // namespace
