// Tests of what the reference pictures cannot see: display lists, planes and framing, fonts, texts and problem marks.
#include "render/frame.h"

#include "gl_context.h"
#include "render/labels.h"
#include "render/problems.h"
#include "render/sketch.h"
#include "scene/scene.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace {

const FontCache kFonts = loadFontCache();

Scene sceneOf(Container container, std::initializer_list<Box> boxes) {
    Scene scene;
    scene.container = container;
    for (const Box& b : boxes) scene.boxes[++scene.boxCount] = b;
    return scene;
}

using FrameTest = GlTest;

// Box 1 at the far end of an 8000 x 500 x 500 container seen from 8000 away on the other side (the fixed far
// plane is 1000) shows its colour, the frame raises no GL error, and the lists of caption, legend, step line
// and problems' line are gone.
TEST_F(FrameTest, FarCornerShowsAndNoListsOutliveTheFrameWithOrWithoutGlyphs) {
    Camera camera;
    ViewState view;
    Palette palette;
    setHomeView(camera, view, palette);
    camera.orbitDistance = 8000;
    camera.orbitAngle = M_PI;
    updateEye(camera);
    view.selectedBox = view.shownBoxes = 1;
    view.showProblems = true;  // with the problems' line and its font
    const Scene scene = sceneOf({8000, 500, 500}, {{500, 500, 500, 7500, 0, 0}, {}});
    const ProblemMarks marks = findProblemMarks(scene);
    for (const FontCache& cache : {kFonts, FontCache{}}) {
        drawFrame(palette, scene, view, camera, cache, &marks);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "the frame left a GL error";
        GLdouble modelview[16], projection[16], x, y, z;
        const GLint viewport[4] = {0, 0, kWindowWidth, kWindowHeight};
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview),
            glGetDoublev(GL_PROJECTION_MATRIX, projection);
        gluProject(7500, 250, 250, modelview, projection, viewport, &x, &y, &z);
        GLubyte got[4] = {};
        glReadPixels(GLint(x), GLint(y), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, got);
        EXPECT_EQ(std::vector<int>(got, got + 3),
                  std::vector<int>(palette.colours[0], palette.colours[0] + 3))
            << "front face of the far box at " << x << ", " << y;
        for (GLuint name = 1; name <= 2000; ++name)
            ASSERT_FALSE(glIsList(name)) << "display list " << name << " alive after the frame";
    }
}

// Framed, turned or not, from a few units to 100000: the corners lie inside the picture and between the near and
// far planes, over at least a thousandth of the depth range, and the widest span takes 80 to 92 % of the picture.
TEST_F(FrameTest, FramedViewHoldsTheWholeContainerAtAnySize) {
    const Container sizes[] = {
        {2, 1, 1},      {20, 10, 8},    {1203, 235, 239}, {-40, 30, 20}, {100000, 100000, 100000},
        {100000, 5, 5}, {5, 100000, 5}, {3, 3, 100000}};
    for (const Container c : sizes)
        for (const auto& [rotX, rotZ] : {std::pair{0.0, 15.0}, {90.0, 40.0}}) {
            ViewState view;
            view.rotX = rotX, view.rotZ = rotZ;
            const Scene scene = sceneOf(c, {});
            Camera camera;
            frameContainer(scene, camera, view);
            setProjection(clipPlanesFor(scene, camera, view));
            loadViewTransform(camera, rotX, rotZ);
            GLdouble modelview[16], projection[16], lo[3] = {1e9, 1e9, 1e9},
                                                    hi[3] = {-1e9, -1e9, -1e9}, p[3];
            const GLint viewport[4] = {0, 0, kWindowWidth, kWindowHeight};
            glGetDoublev(GL_MODELVIEW_MATRIX, modelview),
                glGetDoublev(GL_PROJECTION_MATRIX, projection);
            for (int k = 0; k < 8; ++k) {
                gluProject(k & 1 ? c.dimX : 0, k & 2 ? c.dimY : 0, k & 4 ? c.dimZ : 0, modelview,
                           projection, viewport, &p[0], &p[1], &p[2]);
                for (int a = 0; a < 3; ++a)
                    lo[a] = std::min(lo[a], p[a]), hi[a] = std::max(hi[a], p[a]);
            }
            const double span =
                std::max((hi[0] - lo[0]) / kWindowWidth, (hi[1] - lo[1]) / kWindowHeight);
            EXPECT_TRUE(lo[0] >= 0 && hi[0] <= kWindowWidth && lo[1] >= 0 &&
                        hi[1] <= kWindowHeight && lo[2] > 0 && hi[2] < 1 && hi[2] - lo[2] > 1e-3 &&
                        span > 0.8 && span < 0.92)
                << c.dimX << " x " << c.dimY << " x " << c.dimZ << " turned " << rotX << ", "
                << rotZ << ": x " << lo[0] << ".." << hi[0] << ", y " << lo[1] << ".." << hi[1]
                << ", depth " << lo[2] << ".." << hi[2];
        }
}

// Without glyphs for every height the fonts are unusable, and a block of 96 lists still comes back.
TEST_F(FrameTest, FontBlockComesBackWithOrWithoutGlyphs) {
    const FontCache failed{{GlyphSet{kCaptionPixelHeight, false, {}}}};
    for (const FontCache& cache : {FontCache{}, failed, kFonts}) {
        EXPECT_EQ(fontsUsable(cache), cache.sets.size() == 3) << cache.sets.size() << " sets";
        FontLists base = 0;
        buildFontLists(cache, kCaptionPixelHeight, base);
        EXPECT_TRUE(base != 0 && glIsList(base) && glIsList(base + 95)) << "a block from " << base;
        drawText(base, "abc");
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        glDeleteLists(base, kGlyphCount);
    }
}

TEST(FrameTextTest, CaptionStepLineDrawableBytesAndProblemMarks) {
    Scene scene = sceneOf({20, 10, 8}, {{-5, 4, -3, -1, 0, -20}, {}});
    EXPECT_EQ(drawableBytes(std::string("a\n b\x7f\x80\xff\x1f~\t", 10)), "a b\x7f~");
    EXPECT_EQ(captionText(scene, 1),
              "boite 1 selectionnee  --- position : -1 0 -20\n --- dimensions -5 4 -3");
    for (int32_t none : {0, 3}) EXPECT_EQ(captionText(scene, none), "") << "box " << none;
    scene.cargo = {{1.25, 400}, {}, {0, 1}, {"", "Vaisselle"}};
    EXPECT_EQ(captionText(scene, 2),
              "boite 2 selectionnee  --- position : 0 0 0\n"
              " --- dimensions 0 0 0\n --- Vaisselle\n --- poids : 400 kg\n"
              " --- fragile");
    ViewState view;
    for (const auto& [shown, text] : {std::pair<int32_t, std::string>{0, "etape 0 / 2"},
                                      {1, "etape 1 / 2"},
                                      {2, ""},
                                      {kWholeLoad, ""},
                                      {-4, "etape 0 / 2"}}) {
        view.shownBoxes = shown;
        EXPECT_EQ(stepText(scene, view), text) << shown << " boxes shown";
    }
    // Boxes 1 and 2 (reaching back from x = 14) overlap over x 6..8; box 3 floats and sticks out; box 4 is fine.
    const ProblemMarks marks = findProblemMarks(sceneOf(
        {20, 10, 8},
        {{8, 6, 6, 0, 0, 0}, {-8, 6, 6, 14, 0, 0}, {4, 4, 2, 14, 2, 7}, {2, 2, 2, 16, 7, 0}}));
    std::vector<int32_t> boxes;
    for (const ProblemBox& b : marks.boxes) boxes.push_back(b.box);
    ASSERT_EQ(boxes, (std::vector<int32_t>{1, 2, 3}));
    ASSERT_EQ(marks.overlaps.size(), 1u);
    const Span& o = marks.overlaps[0].span;
    EXPECT_EQ((std::vector<double>{o.lo[0], o.lo[1], o.lo[2], o.hi[0], o.hi[1], o.hi[2]}),
              (std::vector<double>{6, 0, 0, 8, 6, 6}));
    for (const auto& [shown, text] :
         {std::pair<int32_t, std::string>{4, "problemes : 3 boites, 1 chevauchement"},
          {1, "problemes : 1 boite, 0 chevauchement"},
          {0, "aucun probleme"}})
        EXPECT_EQ(problemLine(marks, shown), text) << shown << " boxes shown";
}

// The index of the first shape filled with the colour or a shade of it (a box's side), or -1.
int firstShapeIn(const Sketch& sketch, const GLubyte* colour) {
    for (std::size_t i = 0; i < sketch.shapes.size(); ++i) {
        const uint8_t* f = sketch.shapes[i].fill;
        const double k = double(f[0]) / colour[0];
        if (sketch.shapes[i].filled && k >= 0.7 && k <= 1 && std::abs(f[1] - k * colour[1]) < 2 &&
            std::abs(f[2] - k * colour[2]) < 2) {
            return int(i);
        }
    }
    return -1;
}

// A plank in front of a post whose centre is nearer the eye than the plank's: the post is drawn
// first, the plank over it. From above, the post's corner is measured from the container's corner.
TEST(SketchTest, BoxesBehindFirstAndDistancesFromTheCorner) {
    // The plank in front along y; then a wall in front along x, reaching far back.
    const Scene scene =
        sceneOf({2000, 400, 100}, {{10, 5, 20, 1500, 0, 0}, {1510, 10, 10, 0, 10, 0}});
    Camera camera;
    ViewState view;
    Palette palette;
    setHomeView(camera, view, palette);
    for (const Scene& s : {scene, sceneOf({2000, 400, 100}, {{10, 5, 50, 1600, 0, 0},
                                                             {100, 2400, 10, 1500, -2000, 0}})}) {
        const Sketch framed = stepSketch(s, palette, 0, 440, 330);
        const int post = firstShapeIn(framed, palette.colours[0]);
        const int plank = firstShapeIn(framed, palette.colours[1]);
        EXPECT_TRUE(post >= 0 && post < plank)
            << "post's first face " << post << ", plank's " << plank;
    }

    const Sketch above = topSketch(scene, palette, 1, 300, 330,
                                   [](double v) { return std::to_string(std::lround(v)); });
    std::string texts;
    for (const SketchText& t : above.texts) texts += t.text + (t.badge ? "*" : "") + ";";
    EXPECT_EQ("x = 1500;y = 0;1*;", texts);
    EXPECT_TRUE(std::any_of(above.shapes.begin(), above.shapes.end(), [](const SketchShape& s) {
        return s.edgeWidth == kHeavyEdgeWidth;
    })) << "the box to place, outlined";
    // The x dimension runs three quarters of the container's width, its first shape.
    const double width = std::abs(above.shapes[0].points[1].x - above.shapes[0].points[0].x);
    const bool found =
        std::any_of(above.shapes.begin(), above.shapes.end(), [&](const SketchShape& s) {
            return !s.closed && s.points.size() == 2 && s.points[0].y == s.points[1].y &&
                   std::abs(std::abs(s.points[1].x - s.points[0].x) - width * 0.75) < 1e-6;
        });
    EXPECT_TRUE(found) << "a dimension line " << width * 0.75 << " long";
}

}  // namespace
