// Tests of the frame and its passes: state, view, axes, grids, caption, legend, lists, palette.
#include "render/frame.h"

#include "gl_context.h"
#include "render/axes.h"
#include "render/labels.h"
#include "scene/scene.h"
#include "viewer/controls.h"
#include "viewer/picking.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <sstream>

namespace {

using namespace gltest;

const Rgb kBlack{0, 0, 0};
const Rgb kGrey{100, 100, 100};
const Rgb kTeal{51, 155, 155};

const FontCache& fonts() {
    static const FontCache cache = loadFontCache();
    return cache;
}

Palette testPalette() {
    Palette palette;
    for (int n = 0; n < kPaletteSize; ++n) {
        palette.colours[n][0] = GLubyte(10 + 3 * n);
        palette.colours[n][1] = GLubyte(20 + n);
        palette.colours[n][2] = GLubyte(200 - n);
    }
    return palette;
}

Rgb paletteColour(const Palette& palette, int n) {
    return {palette.colours[n - 1][0], palette.colours[n - 1][1], palette.colours[n - 1][2]};
}

Rgb inverse(const Rgb& c) {
    return {255 - c.r, 255 - c.g, 255 - c.b};
}

Scene sceneOf(int32_t dimX, int32_t dimY, int32_t dimZ) {
    Scene scene;
    scene.container = {dimX, dimY, dimZ};
    return scene;
}

class FrameTest : public GlTest {
protected:
    static Camera farCamera() {
        Camera camera;
        setHomeCamera(camera);
        camera.orbitDistance = 90;
        updateEye(camera);
        return camera;
    }
};

TEST_F(FrameTest, SetsItsStateAndLeavesTheProjection) {
    glShadeModel(GL_FLAT);
    glDepthFunc(GL_LESS);
    glEnable(GL_TEXTURE_2D);
    for (GLenum cap : {GL_DEPTH_TEST, GL_COLOR_MATERIAL, GL_LINE_SMOOTH, GL_POLYGON_SMOOTH,
                       GL_POINT_SMOOTH, GL_BLEND})
        glDisable(cap);
    glBlendFunc(GL_ONE, GL_ZERO);
    GLdouble before[16], after[16];
    glGetDoublev(GL_PROJECTION_MATRIX, before);

    drawFrame(testPalette(), sceneOf(25, 12, 8), 0, 0, 15, farCamera(), fonts());

    GLint value = 0;
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH) << "shade model";
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL) << "depth function";
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA) << "blend source";
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA) << "blend destination";
    for (GLenum cap : {GL_DEPTH_TEST, GL_COLOR_MATERIAL, GL_LINE_SMOOTH, GL_POLYGON_SMOOTH,
                       GL_POINT_SMOOTH, GL_BLEND})
        EXPECT_TRUE(glIsEnabled(cap)) << "capability 0x" << std::hex << cap;
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat clear[4] = {}, depth = 0;
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depth);
    EXPECT_EQ((std::array<GLfloat, 4>{clear[0], clear[1], clear[2], clear[3]}),
              (std::array<GLfloat, 4>{1, 1, 1, 0.5f}));
    EXPECT_EQ(depth, 1.0f);
    glGetDoublev(GL_PROJECTION_MATRIX, after);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(before[k], after[k]) << "projection entry " << k;
}

// Eye on -y looking at the origin with +z up, model turned 90 degrees about x, then
// about z: x ends up along the line of sight, y up the window and z to the right.
TEST_F(FrameTest, ModelIsTurnedAboutXThenZThenSeenFromTheEye) {
    Camera camera;
    camera.eyeY = -10;
    drawFrame(testPalette(), sceneOf(5, 5, 5), 0, 90, 90, camera, fonts());
    const Point origin = toWindow(0, 0, 0), x = toWindow(1, 0, 0), y = toWindow(0, 1, 0),
                z = toWindow(0, 0, 1);
    EXPECT_NEAR(origin.x, 512, 0.01);
    EXPECT_NEAR(origin.y, 384, 0.01);
    EXPECT_NEAR(x.x, 512, 0.01) << "x is seen end on: " << x;
    EXPECT_NEAR(x.y, 384, 0.01) << "x is seen end on: " << x;
    EXPECT_GT(x.z, origin.z) << "x points away from the eye";
    EXPECT_NEAR(y.x, 512, 0.01) << "y points up: " << y;
    EXPECT_GT(y.y, 400) << "y points up: " << y;
    EXPECT_NEAR(z.y, 384, 0.01) << "z points right: " << z;
    EXPECT_GT(z.x, 530) << "z points right: " << z;
}

// Runs of equal (kind, colour) primitives show the order of the passes. Polygons
// count as triangles so that quads count the same whether or not they are split.
TEST_F(FrameTest, PassesComeInOrder) {
    const Palette palette = testPalette();
    Scene scene = sceneOf(25, 12, 8);
    scene.boxCount = 2;
    scene.boxes[1] = {3, 2, 2, 1, 1, 0};
    scene.boxes[2] = {4, 3, 2, 10, 2, 0};
    const auto drawn = capture([&] { drawFrame(palette, scene, 2, 0, 15, farCamera(), fonts()); });

    std::vector<std::string> runs;
    std::string last;
    int count = 0;
    const auto flush = [&] {
        if (count > 0)
            runs.push_back(last + " x" + std::to_string(count));
    };
    for (const Primitive& p : drawn) {
        std::ostringstream key;
        key << kindName(p.kind) << " " << p.vertices.at(0).colour;
        if (key.str() != last) {
            flush();
            last = key.str();
            count = 0;
        }
        count += p.kind == Kind::kPolygon ? int(p.vertices.size()) - 2 : 1;
    }
    flush();

    const Rgb c1 = paletteColour(palette, 1), c2 = paletteColour(palette, 2);
    std::vector<std::string> expected;
    const auto run = [&](const char* kind, const Rgb& c, int n) {
        std::ostringstream out;
        out << kind << " " << c << " x" << n;
        expected.push_back(out.str());
    };
    const Rgb axisColours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    const int ticks[] = {25, 12, 8};
    for (int a = 0; a < 3; ++a) {
        run("line", axisColours[a], 1);
        run("polygon", axisColours[a], 1);
        run("line", axisColours[a], ticks[a]);
        run("bitmap", axisColours[a], 1);
    }
    run("line", kGrey, 13 + 26); // floor
    run("line", kTeal, 2 + 3);
    run("line", kGrey, 9 + 26); // wall
    run("line", kTeal, 1 + 3);
    run("polygon", c1, 12); // boxes
    run("line", kBlack, 12);
    run("polygon", c2, 12);
    run("line", inverse(c2), 12);
    run("line", kBlack, 12); // outlines
    run("line", inverse(c2), 12);
    run("bitmap", kBlack, int(drawableBytes(captionText(scene, 2)).size()));
    for (const Rgb& c : {c1, c2}) { // legend
        run("polygon", c, 12);
        run("line", kBlack, 12);
        run("bitmap", kBlack, 1);
    }
    EXPECT_EQ(runs, expected);

    // The caption starts at the container's far corner, 5 below the floor.
    const Point anchor = toWindow(25, 12, -5);
    const auto bitmaps = only(drawn, Kind::kBitmap);
    ASSERT_GT(bitmaps.size(), 4u);
    EXPECT_NEAR(bitmaps[3].vertices[0].window.x, anchor.x, 0.01);
    EXPECT_NEAR(bitmaps[3].vertices[0].window.y, anchor.y, 0.01);
}

TEST_F(FrameTest, NoListsLeftAliveWithOrWithoutGlyphs) {
    Scene scene = sceneOf(25, 12, 8);
    scene.boxCount = 1;
    scene.boxes[1] = {3, 2, 2, 1, 1, 0};
    for (const FontCache& cache : {fonts(), FontCache{}}) {
        testing::internal::CaptureStdout();
        drawFrame(testPalette(), scene, 1, 0, 15, farCamera(), cache);
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string line = "probleme pour creer bitmap a partir font window\n";
        EXPECT_EQ(out, cache.sets.empty() ? line + line + line : "") << "one line per font block";
        for (GLuint name = 1; name <= 2000; ++name)
            ASSERT_FALSE(glIsList(name)) << "display list " << name << " alive after the frame";
    }
}

TEST_F(FrameTest, PixelsShowBoxesOnWhiteEvenAfterABlackClear) {
    const Palette palette = testPalette();
    Scene scene = sceneOf(25, 12, 8);
    scene.boxCount = 2;
    scene.boxes[1] = {8, 4, 6, 2, 4, 0};
    scene.boxes[2] = {6, 4, 6, 14, 4, 0};
    Camera camera;
    setHomeCamera(camera);
    // The pick pass leaves a black clear colour behind; the window starts black too.
    EXPECT_EQ(pickBox(camera, scene, 0, 15, 5, 5), 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    EXPECT_EQ(readPixel(5, 760), kBlack) << "cleared to the pick pass's colour";

    drawFrame(palette, scene, 2, 0, 15, camera, fonts());
    glFinish();
    for (int x = 0; x < kWindowWidth; x += 64)
        EXPECT_EQ(readPixel(x, kWindowHeight - 1), (Rgb{255, 255, 255})) << "top row at x " << x;
    const Point face1 = toWindow(6, 8, 3);
    EXPECT_EQ(readPixel(int(face1.x), int(face1.y)), paletteColour(palette, 1))
        << "front face of box 1 at " << face1;
    const Point face2 = toWindow(17, 8, 3);
    EXPECT_EQ(readPixel(int(face2.x), int(face2.y)), paletteColour(palette, 2))
        << "front face of box 2 at " << face2;
    // Smoothed lines blend at their borders, so count the pixels of exactly the edge colour
    // across the edge: the selected edge is wide, the plain one thin.
    const auto across = [&](const Point& p, const Rgb& colour) {
        int count = 0;
        for (int dx = -3; dx <= 3; ++dx)
            count += readPixel(int(p.x) + dx, int(p.y)) == colour;
        return count;
    };
    const Point edge2 = toWindow(14, 8, 3);
    EXPECT_GE(across(edge2, inverse(paletteColour(palette, 2))), 3)
        << "selected edge of box 2 at " << edge2 << " shows "
        << readPixel(int(edge2.x), int(edge2.y));
    const Point edge1 = toWindow(2, 8, 3);
    const int black = across(edge1, kBlack);
    EXPECT_TRUE(black >= 1 && black <= 2)
        << black << " black pixels across the edge of box 1 at " << edge1;
}

// Each axis: shaft, arrowhead, ticks at every unit below the container's size, label.
// The y axis's ticks and arrowhead may lie across either x or z.
TEST_F(FrameTest, AxesReachTheirEndsWithTicksAndLabels) {
    useModelSpaceView();
    const auto drawn = capture([&] { drawAxes(sceneOf(25, 12, 8), fonts()); });
    EXPECT_EQ(lineWidth(), 3.0f);
    struct Axis {
        Rgb colour;
        Point along, across; // unit vectors; across zero when either side is fine
        double length;
        int ticks;
        Point label;
    };
    const Axis axes[] = {{{255, 0, 0}, {1, 0, 0}, {0, 0, 1}, 32, 25, {34, 0, 0}},
                         {{0, 255, 0}, {0, 1, 0}, {0, 0, 0}, 19, 12, {-1, 19, 0}},
                         {{0, 0, 255}, {0, 0, 1}, {1, 0, 0}, 15, 8, {-1, 0, 15}}};
    const auto at = [](const Axis& axis, double t, double s) {
        return Point{axis.along.x * t + axis.across.x * s, axis.along.y * t + axis.across.y * s,
                     axis.along.z * t + axis.across.z * s};
    };
    const auto mid = [](const Point& a, const Point& b) {
        return Point{(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2};
    };
    const auto lines = segments(drawn);
    const auto heads = only(drawn, Kind::kPolygon);
    const auto labels = only(drawn, Kind::kBitmap);
    ASSERT_EQ(lines.size(), 3u + 25 + 12 + 8);
    ASSERT_EQ(heads.size(), 3u);
    ASSERT_EQ(labels.size(), 3u);
    std::size_t next = 0;
    for (int a = 0; a < 3; ++a) {
        const Axis& axis = axes[a];
        EXPECT_TRUE(sameSegment(lines[next], {0, 0, 0}, at(axis, axis.length, 0)))
            << "shaft of axis " << a << " runs " << lines[next].a << "-" << lines[next].b;
        for (int i = 0; i <= axis.ticks; ++i) {
            const Segment& line = lines[next + std::size_t(i)];
            EXPECT_EQ(line.colour, axis.colour) << "axis " << a << " line " << i;
            if (i == 0)
                continue;
            const double t = i - 1;
            const double dx = line.a.x - line.b.x, dy = line.a.y - line.b.y,
                         dz = line.a.z - line.b.z;
            EXPECT_TRUE(near(mid(line.a, line.b), at(axis, t, 0)) &&
                        std::fabs(std::sqrt(dx * dx + dy * dy + dz * dz) - 0.4) < kModelTolerance &&
                        (axis.across.x + axis.across.z == 0 ||
                         sameSegment(line, at(axis, t, -0.2), at(axis, t, 0.2))))
                << "axis " << a << " tick " << t << " runs " << line.a << "-" << line.b;
        }
        next += 1 + std::size_t(axis.ticks);
        ASSERT_EQ(heads[std::size_t(a)].vertices.size(), 3u);
        EXPECT_EQ(heads[std::size_t(a)].vertices[0].colour, axis.colour);
        Point head[3];
        for (int k = 0; k < 3; ++k)
            head[k] = toModel(heads[std::size_t(a)].vertices[std::size_t(k)].window);
        EXPECT_TRUE(
            near(head[0], at(axis, axis.length + 0.5, 0)) &&
            near(mid(head[1], head[2]), at(axis, axis.length, 0)) &&
            (axis.across.x + axis.across.z == 0 || (near(head[1], at(axis, axis.length, -0.5)) &&
                                                    near(head[2], at(axis, axis.length, 0.5)))))
            << "arrowhead of axis " << a << ": " << head[0] << " " << head[1] << " " << head[2];
        EXPECT_EQ(labels[std::size_t(a)].vertices[0].colour, axis.colour) << "label of axis " << a;
        const Point label = toModel(labels[std::size_t(a)].vertices[0].window);
        EXPECT_TRUE(near(label, axis.label)) << "label of axis " << a << " at " << label;
    }
}

TEST_F(FrameTest, EmptyOrNegativeDimensionsDrawNoTicks) {
    useModelSpaceView();
    const auto zero = segments(capture([&] { drawAxes(sceneOf(0, -4, 0), fonts()); }));
    ASSERT_EQ(zero.size(), 3u) << "only the three shafts";
    EXPECT_TRUE(sameSegment(zero[0], {0, 0, 0}, {7, 0, 0}));
    EXPECT_TRUE(sameSegment(zero[1], {0, 0, 0}, {0, 3, 0}));
    EXPECT_TRUE(sameSegment(zero[2], {0, 0, 0}, {0, 0, 7}));
    EXPECT_TRUE(segments(capture([&] { drawGrids(sceneOf(-3, -2, -1)); })).empty())
        << "grids of a wholly negative container";
    // Only the loop counting up to the negative depth is empty.
    const auto mixed = segments(capture([&] { drawGrids(sceneOf(5, -2, 3)); }));
    for (const Segment& s : mixed)
        EXPECT_FALSE(s.a.y < -kModelTolerance && s.b.y < -kModelTolerance)
            << "a line along x at negative y " << s.a << "-" << s.b;
    EXPECT_EQ(mixed.size(), 6u + 1 + 4 + 6 + 1 + 1) << "floor 6 + teal 1, wall 4 + 6, teal 1 + 1";
}

TEST_F(FrameTest, GridsCoverFloorAndWallWithTealEveryTenth) {
    useModelSpaceView();
    const auto lines = segments(capture([&] { drawGrids(sceneOf(25, 12, 8)); }));
    EXPECT_EQ(lineWidth(), 1.0f);
    ASSERT_EQ(lines.size(), 13u + 26 + 5 + 9 + 26 + 4);
    std::vector<Segment> expected;
    const auto batch = [&](const Rgb& c, int step, int dimX, int dimB, bool wall) {
        for (int t = 0; t <= dimB; t += step)
            expected.push_back(
                {wall ? Point{0, 0, double(t)} : Point{0, double(t), 0},
                 wall ? Point{double(dimX), 0, double(t)} : Point{double(dimX), double(t), 0}, c});
        for (int x = 0; x <= dimX; x += step)
            expected.push_back(
                {{double(x), 0, 0},
                 wall ? Point{double(x), 0, double(dimB)} : Point{double(x), double(dimB), 0},
                 c});
    };
    batch(kGrey, 1, 25, 12, false);
    batch(kTeal, 10, 25, 12, false);
    batch(kGrey, 1, 25, 8, true);
    batch(kTeal, 10, 25, 8, true);
    ASSERT_EQ(expected.size(), lines.size());
    for (std::size_t k = 0; k < lines.size(); ++k) {
        EXPECT_TRUE(sameSegment(lines[k], expected[k].a, expected[k].b))
            << "line " << k << " runs " << lines[k].a << "-" << lines[k].b << ", expected "
            << expected[k].a << "-" << expected[k].b;
        EXPECT_EQ(lines[k].colour, expected[k].colour) << "line " << k;
    }

    // A dimension of exactly ten puts a teal line on the far edge.
    for (int dim : {9, 10, 11}) {
        const auto grid = segments(capture([&] { drawGrids(sceneOf(dim, 3, 3)); }));
        int farTeal = 0;
        for (const Segment& s : grid)
            farTeal += s.colour == kTeal && std::fabs(s.a.x - 10) < kModelTolerance &&
                       std::fabs(s.b.x - 10) < kModelTolerance;
        EXPECT_EQ(farTeal, dim >= 10 ? 2 : 0) << "teal lines at x 10 with width " << dim;
    }
}

TEST_F(FrameTest, CaptionTextAndPlacement) {
    Scene scene = sceneOf(20, 10, 8);
    scene.boxCount = 3;
    scene.boxes[3] = {5, 4, 3, 0, 10, 0};
    EXPECT_EQ(captionText(scene, 3),
              "boite 3 selectionnee  --- position : 0 10 0\n --- dimensions 5 4 3");
    scene.boxes[2] = {-5, 4, -3, -1, 0, -20};
    EXPECT_EQ(captionText(scene, 2),
              "boite 2 selectionnee  --- position : -1 0 -20\n --- dimensions -5 4 -3");
    for (int32_t none : {0, -1, 4})
        EXPECT_EQ(captionText(scene, none), "") << "box " << none;

    useModelSpaceView();
    FontLists base = 0;
    buildFontLists(fonts(), kCaptionPixelHeight, base);
    glColor3ub(200, 0, 0);
    const auto drawn = capture([&] { drawSelectionCaption(scene, 3, base); });
    ASSERT_EQ(drawn.size(), drawableBytes(captionText(scene, 3)).size());
    for (const Primitive& p : drawn)
        EXPECT_EQ(p.vertices[0].colour, kBlack) << "caption colour";
    const Point anchor = toModel(drawn[0].vertices[0].window);
    EXPECT_TRUE(near(anchor, {20, 10, -5})) << "caption starts at " << anchor;
    EXPECT_TRUE(capture([&] { drawSelectionCaption(scene, 0, base); }).empty());
    glDeleteLists(base, kGlyphCount);
}

TEST_F(FrameTest, LegendSwatchesAndNumbersStepBackFromTheFarCorner) {
    useModelSpaceView();
    const Palette palette = testPalette();
    const Scene scene = sceneOf(20, 10, 8);
    const auto drawn = capture([&] { drawLegend(3, palette, scene, fonts()); });
    const auto numbers = only(drawn, Kind::kBitmap);
    ASSERT_EQ(numbers.size(), 3u);
    const auto lines = segments(drawn);
    ASSERT_EQ(lines.size(), 36u);
    for (const Segment& s : lines)
        EXPECT_EQ(s.colour, kBlack) << "swatch edges are never selected";
    std::size_t polygonAt = 0;
    const auto polygons = only(drawn, Kind::kPolygon);
    for (int n = 1; n <= 3; ++n) {
        const double corner = 20 - 2 * (n - 1);
        Point lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
        int triangles = 0;
        for (; polygonAt < polygons.size() && triangles < 12; ++polygonAt) {
            const Primitive& p = polygons[polygonAt];
            triangles += int(p.vertices.size()) - 2;
            for (const Vertex& v : p.vertices) {
                EXPECT_EQ(v.colour, paletteColour(palette, n)) << "swatch " << n;
                const Point m = toModel(v.window);
                lo = {std::min(lo.x, m.x), std::min(lo.y, m.y), std::min(lo.z, m.z)};
                hi = {std::max(hi.x, m.x), std::max(hi.y, m.y), std::max(hi.z, m.z)};
            }
        }
        EXPECT_TRUE(near(lo, {corner - 1.5, 16, -2}) && near(hi, {corner, 16.8, -0.5}))
            << "swatch " << n << " spans " << lo << "-" << hi;
        EXPECT_EQ(numbers[std::size_t(n - 1)].vertices[0].colour, kBlack);
        const Point number = toModel(numbers[std::size_t(n - 1)].vertices[0].window);
        EXPECT_TRUE(near(number, {corner - 0.5, 16, -4.5})) << "number " << n << " at " << number;
    }
    EXPECT_EQ(polygonAt, polygons.size()) << "three swatches only";
    for (int32_t count : {0, -2})
        EXPECT_TRUE(capture([&] { drawLegend(count, palette, scene, fonts()); }).empty())
            << "legend of " << count << " boxes";
}

TEST(PaletteTest, SeededChannelsStayWithin3To252AndRepeat) {
    const auto channels = [](const Palette& p) {
        return std::vector<int>(&p.colours[0][0], &p.colours[0][0] + 3 * kPaletteSize);
    };
    Camera camera;
    ViewState view;
    Palette first, second;
    setHomeView(camera, view, first);
    const std::vector<int> seeded = channels(first);
    const auto [low, high] = std::minmax_element(seeded.begin(), seeded.end());
    EXPECT_GE(*low, 3) << "darkest channel";
    EXPECT_LE(*high, 252) << "brightest channel";
    std::rand();
    view.selectedBox = 4;
    setHomeView(camera, view, second);
    EXPECT_EQ(seeded, channels(second)) << "the palette is the same every time";
    EXPECT_EQ(view.selectedBox, 0);
}

} // namespace
