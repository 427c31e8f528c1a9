// Tests of the frame and its passes: view, axes, grids, caption, legend, display lists, palette.
#include "render/frame.h"

#include "gl_context.h"
#include "render/axes.h"
#include "render/labels.h"
#include "scene/scene.h"
#include "render/view.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <set>

namespace {

using namespace gltest;

const Rgb kBlack{0, 0, 0}, kGrey{100, 100, 100}, kTeal{51, 155, 155};

// Distinct colours, so that each box's primitives can be told apart.
Palette testPalette() {
    Palette palette;
    for (int n = 0; n < kPaletteSize; ++n)
        for (int c = 0; c < 3; ++c) palette.colours[n][c] = GLubyte(10 + 60 * c + 3 * n);
    return palette;
}

Rgb colourOf(const Palette& palette, int n) {
    return {palette.colours[n - 1][0], palette.colours[n - 1][1], palette.colours[n - 1][2]};
}

Scene sceneOf(int32_t dimX, int32_t dimY, int32_t dimZ, std::initializer_list<Box> boxes = {}) {
    Scene scene;
    scene.container = {dimX, dimY, dimZ};
    for (const Box& b : boxes) scene.boxes[++scene.boxCount] = b;
    return scene;
}

Camera homeCamera() {
    Camera camera;
    setHomeCamera(camera);
    return camera;
}

// A primitive as text: kind, colour, then its points rounded to hundredths, in sorted order.
std::string key(Kind kind, const Rgb& colour, std::vector<Point> points) {
    std::multiset<std::string> sorted;
    for (Point& p : points) {
        for (double* v : {&p.x, &p.y, &p.z}) *v = std::round(*v * 100) / 100 + 0.0;  // no -0
        sorted.insert(testing::PrintToString(p));
    }
    const char* const names[] = {"line ", "polygon ", "bitmap ", "other "};
    std::string text = names[int(kind)] + testing::PrintToString(colour);
    for (const std::string& p : sorted) text += " " + p;
    return text;
}

// Expects drawn to be exactly the primitives of want, naming those unexpected and missing.
void expectPrimitives(const std::vector<Primitive>& drawn, const std::multiset<std::string>& want) {
    std::multiset<std::string> got;
    for (const Primitive& p : drawn) got.insert(key(p.kind, p.colour, p.points));
    std::vector<std::string> extra, missing;
    std::set_difference(got.begin(), got.end(), want.begin(), want.end(), back_inserter(extra));
    std::set_difference(want.begin(), want.end(), got.begin(), got.end(), back_inserter(missing));
    EXPECT_TRUE(extra.empty() && missing.empty())
        << "drawn but not expected " << testing::PrintToString(extra) << "\nexpected but not drawn "
        << testing::PrintToString(missing);
}

using FrameTest = GlTest;

TEST_F(FrameTest, NoListsLeftAliveWithOrWithoutGlyphs) {
    for (const FontCache& cache : {fonts(), FontCache{}}) {
        testing::internal::CaptureStdout();  // the failure lines without glyphs
        ViewState view;
        view.selectedBox = 1;
        drawFrame(testPalette(), sceneOf(25, 12, 8, {{1, 1, 0, 3, 2, 2}}), view, homeCamera(), cache);
        testing::internal::GetCapturedStdout();
        for (GLuint name = 1; name <= 2000; ++name)
            ASSERT_FALSE(glIsList(name)) << "display list " << name << " alive after the frame";
    }
}

// The frame clears to white and shows box 1's front face where the home view, turned by
// 10 about x and 15 about z, puts it.
TEST_F(FrameTest, FrameAfterABlackClearIsWhiteWithBoxesInTheirColours) {
    glClearColor(0, 0, 0, 0.5f);  // as the pick pass leaves it
    glClear(GL_COLOR_BUFFER_BIT);
    loadViewTransform(homeCamera(), 10, 15);
    const Point face = toWindow(6, 8, 3);
    ViewState view;
    view.rotX = 10;
    drawFrame(testPalette(), sceneOf(25, 12, 8, {{8, 4, 6, 2, 4, 0}}), view, homeCamera(), fonts());
    const Point seen = toWindow(6, 8, 3);
    EXPECT_TRUE(near(seen, face)) << "the frame shows (6, 8, 3) at " << seen << ", not " << face;
    const auto pixels = readPixels();
    EXPECT_EQ(pixels.back(), (Rgb{255, 255, 255})) << "top right corner";
    EXPECT_EQ(pixels[std::size_t(face.y) * kWindowWidth + std::size_t(face.x)],
              colourOf(testPalette(), 1)) << "front face of box 1 at " << face;
}

// Far beyond the fixed far plane of 1000: a box in the far corner of a 5000 x 3000 x 2000
// container, seen from 8000 away, still shows its colour.
TEST_F(FrameTest, LargeContainerZoomedOutShowsItsFarCorner) {
    Camera camera = homeCamera();
    camera.orbitDistance = 8000;
    updateEye(camera);
    const ViewState view;
    drawFrame(testPalette(), sceneOf(5000, 3000, 2000, {{500, 500, 500, 4500, 0, 1500}}), view,
              camera, fonts());
    const Point face = toWindow(4750, 500, 1750);
    ASSERT_TRUE(face.x >= 0 && face.x < kWindowWidth && face.y >= 0 && face.y < kWindowHeight)
        << "the far corner's box at " << face;
    EXPECT_EQ(readPixels()[std::size_t(face.y) * kWindowWidth + std::size_t(face.x)],
              colourOf(testPalette(), 1)) << "front face of the far box at " << face;
}

// Per axis: a shaft 7 past the container, the arrowhead beyond it, a tick at every unit below
// the container's size, all across z (x for the z axis), and the label.
TEST_F(FrameTest, AxesReachTheirEndsWithTicksAndLabels) {
    useOrtho(-64, 64, -48, 48);
    const auto drawn = capture([&] { drawAxes(sceneOf(25, 12, 8), fonts()); });
    EXPECT_EQ(lineWidth(), 3.0f);
    std::multiset<std::string> want;
    const int dims[] = {25, 12, 8};
    const Point labels[] = {{34, 0, 0}, {-1, 19, 0}, {-1, 0, 15}};
    for (int a = 0; a < 3; ++a) {
        const Rgb c{a == 0 ? 255 : 0, a == 1 ? 255 : 0, a == 2 ? 255 : 0};
        const auto at = [&](double t, double s) {  // t along the axis, s across it
            return Point{a == 0 ? t : a == 2 ? s : 0, a == 1 ? t : 0, a == 2 ? t : s};
        };
        const double end = dims[a] + 7;
        want.insert(key(Kind::kLine, c, {at(0, 0), at(end, 0)}));
        want.insert(key(Kind::kPolygon, c, {at(end + 0.5, 0), at(end, -0.5), at(end, 0.5)}));
        for (int t = 0; t < dims[a]; ++t)
            want.insert(key(Kind::kLine, c, {at(t, -0.2), at(t, 0.2)}));
        want.insert(key(Kind::kBitmap, c, {labels[a]}));
    }
    expectPrimitives(drawn, want);
    EXPECT_EQ(only(capture([&] { drawAxes(sceneOf(0, -4, 0), fonts()); }), Kind::kLine).size(), 3u)
        << "zero and negative sizes draw the shafts only";
}

TEST_F(FrameTest, GridsCoverFloorAndWallWithTealEveryTenth) {
    useOrtho(-64, 64, -48, 48);
    const auto lines = capture([&] { drawGrids(sceneOf(25, 12, 8)); });
    EXPECT_EQ(lineWidth(), 1.0f);
    EXPECT_EQ(lines.size(), 13u + 26 + 2 + 3 + 9 + 26 + 1 + 3) << "floor and wall, grey and teal";
    std::multiset<std::string> want;
    for (double step : {1, 10}) {
        const auto line = [&](const Point& a, const Point& b) {
            want.insert(key(Kind::kLine, step == 1 ? kGrey : kTeal, {a, b}));
        };
        for (double t = 0; t <= 12; t += step) line({0, t, 0}, {25, t, 0});
        for (double t = 0; t <= 8; t += step) line({0, 0, t}, {25, 0, t});
        for (double x = 0; x <= 25; x += step) {
            line({x, 0, 0}, {x, 12, 0});
            line({x, 0, 0}, {x, 0, 8});
        }
    }
    expectPrimitives(lines, want);
    for (int dim : {9, 10, 11}) {
        int farTeal = 0;
        for (const Primitive& l : capture([&] { drawGrids(sceneOf(dim, 3, 3)); }))
            farTeal += l.colour == kTeal && std::fabs(l.points[0].x - dim) < 1e-3 &&
                       std::fabs(l.points[1].x - dim) < 1e-3;
        EXPECT_EQ(farTeal, dim == 10 ? 2 : 0) << "teal lines on the far edge x = " << dim;
    }
}

TEST_F(FrameTest, CaptionTextAndAnchor) {
    const Scene scene = sceneOf(20, 10, 8, {{}, {-5, 4, -3, -1, 0, -20}});
    EXPECT_EQ(captionText(scene, 2),
              "boite 2 selectionnee  --- position : -1 0 -20\n --- dimensions -5 4 -3");
    for (int32_t none : {0, -1, 3}) EXPECT_EQ(captionText(scene, none), "") << "box " << none;
    useOrtho(-64, 64, -48, 48);
    FontLists base = 0;
    buildFontLists(fonts(), kCaptionPixelHeight, base);
    glColor3ub(200, 0, 0);
    const auto drawn = capture([&] {
        drawSelectionCaption(scene, 2, base);
        drawSelectionCaption(scene, 0, base);
    });
    glDeleteLists(base, kGlyphCount);
    ASSERT_EQ(drawn.size(), drawableBytes(captionText(scene, 2)).size())
        << "one bitmap per drawable byte of box 2's caption, none without a selection";
    EXPECT_EQ(key(drawn[0].kind, drawn[0].colour, {drawn[0].points[0]}),
              key(Kind::kBitmap, kBlack, {{20, 10, -5}})) << "the caption's first glyph";
}

// Container 20 x 10: swatch n reaches back 1.5 from (22 - 2n, 16, -2), its number 0.5 behind.
TEST_F(FrameTest, LegendSwatchesAndNumbersStepBackFromTheFarCorner) {
    useOrtho(-64, 64, -48, 48);
    const Palette palette = testPalette();
    const auto drawn = capture([&] { drawLegend(3, palette, sceneOf(20, 10, 8), fonts()); });
    std::multiset<std::string> want;
    for (int n = 1; n <= 3; ++n) {
        const double corner = 22 - 2 * n;
        Point lo{1e9, 1e9, 1e9}, hi{-1e9, -1e9, -1e9};
        for (const Primitive& p : only(drawn, Kind::kPolygon))
            for (const Point& v : p.points)
                if (p.colour == colourOf(palette, n)) {
                    lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
                    hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
                }
        EXPECT_TRUE(near(lo, {corner - 1.5, 16, -2}) && near(hi, {corner, 16.8, -0.5}))
            << "swatch " << n << " spans " << lo << "-" << hi;
        want.insert(key(Kind::kBitmap, kBlack, {{corner - 0.5, 16, -4.5}}));
    }
    expectPrimitives(only(drawn, Kind::kBitmap), want);
}

TEST(PaletteTest, SeededChannelsStayWithin3To252AndRepeat) {
    Camera camera;
    ViewState view;
    Palette first, second;
    setHomeView(camera, view, first);
    const GLubyte* channels = &first.colours[0][0];
    const auto [low, high] = std::minmax_element(channels, channels + 3 * kPaletteSize);
    EXPECT_TRUE(*low >= 3 && *high <= 252) << "channels span " << +*low << ".." << +*high;
    std::rand();
    setHomeView(camera, view, second);
    EXPECT_TRUE(std::equal(channels, channels + 3 * kPaletteSize, &second.colours[0][0]))
        << "the palette should be the same every time";
}

} // namespace

TEST(LegendEntryTest, StepsBackFromTheFarCornerBeyondTheContainer) {
    Scene scene;
    scene.container = {20, 10, 5};
    const float expected[3][6] = {{20, 16, -2, 19.5f, 16, -4.5f},
                                  {18, 16, -2, 17.5f, 16, -4.5f},
                                  {16, 16, -2, 15.5f, 16, -4.5f}};
    for (int n = 1; n <= 3; ++n) {
        const LegendEntry e = legendEntry(scene, n);
        const float got[6] = {e.swatchX, e.swatchY, e.swatchZ, e.textX, e.textY, e.textZ};
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(expected[n - 1][i], got[i]) << "entry " << n << ", value " << i;
        }
    }
    scene.container.dimX = 0;
    EXPECT_EQ(-118.0f, legendEntry(scene, 60).swatchX) << "the row runs on past x = 0";
}
