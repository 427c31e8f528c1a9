// Tests of what the reference pictures cannot see: display lists, the far plane, glyph-less fonts, the frame's texts.
#include "render/frame.h"

#include "gl_context.h"
#include "render/labels.h"
#include "scene/scene.h"

namespace {

using namespace gltest;

Scene sceneOf(Container container, std::initializer_list<Box> boxes) {
    Scene scene;
    scene.container = container;
    for (const Box& b : boxes) scene.boxes[++scene.boxCount] = b;
    return scene;
}

using FrameTest = GlTest;

// Caption, legend and step line each build a block of lists; none may outlive the frame.
TEST_F(FrameTest, NoListsLeftAliveWithOrWithoutGlyphs) {
    Camera camera;
    ViewState view;
    Palette palette;
    setHomeView(camera, view, palette);
    view.selectedBox = 1;
    view.shownBoxes = 0;
    for (const FontCache& cache : {fonts(), FontCache{}}) {
        drawFrame(palette, sceneOf({25, 12, 8}, {{1, 1, 0, 3, 2, 2}}), view, camera, cache);
        for (GLuint name = 1; name <= 2000; ++name)
            ASSERT_FALSE(glIsList(name)) << "display list " << name << " alive after the frame";
    }
}

// Far beyond the fixed far plane of 1000: a box in the far corner of a 5000 x 3000 x 2000
// container, seen from 8000 away, still shows its colour.
TEST_F(FrameTest, LargeContainerZoomedOutShowsItsFarCorner) {
    Camera camera;
    ViewState view;
    Palette palette;
    setHomeView(camera, view, palette);
    camera.orbitDistance = 8000;
    updateEye(camera);
    drawFrame(palette, sceneOf({5000, 3000, 2000}, {{500, 500, 500, 4500, 0, 1500}}), view, camera,
              fonts());
    const auto want = std::array<int, 3>{palette.colours[0][0], palette.colours[0][1], palette.colours[0][2]};
    EXPECT_EQ(pixelAt(4750, 500, 1750), want) << "front face of the far box";
}

// Without glyphs for every height the fonts are unusable, and a block of 96 lists still comes back.
TEST_F(FrameTest, FontBlockComesBackWithOrWithoutGlyphs) {
    FontCache partial = fonts();
    partial.sets.pop_back();
    const FontCache failed{{GlyphSet{kCaptionPixelHeight, false, {}}}};
    for (const FontCache& cache : {FontCache{}, failed, partial, fonts()}) {
        EXPECT_EQ(fontsUsable(cache), cache.sets.size() == 3) << cache.sets.size() << " sets";
        FontLists base = 0;
        buildFontLists(cache, kCaptionPixelHeight, base);
        EXPECT_TRUE(base != 0 && glIsList(base) && glIsList(base + 95)) << "a block from " << base;
        drawText(base, "abc");
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        glDeleteLists(base, kGlyphCount);
    }
}

TEST(FrameTextTest, CaptionStepLineAndDrawableBytes) {
    Scene scene = sceneOf({20, 10, 8}, {{}, {-5, 4, -3, -1, 0, -20}});
    EXPECT_EQ(drawableBytes(std::string("a\n b\x7f\x80\xff\x1f~\t", 10)), "a b\x7f~");
    EXPECT_EQ(captionText(scene, 2), "boite 2 selectionnee  --- position : -1 0 -20\n --- dimensions -5 4 -3");
    for (int32_t none : {0, -1, 3}) EXPECT_EQ(captionText(scene, none), "") << "box " << none;
    const std::pair<int32_t, std::string> steps[] = {
        {0, "etape 0 / 2"}, {1, "etape 1 / 2"}, {2, ""}, {kWholeLoad, ""}, {-4, "etape 0 / 2"}};
    ViewState view;
    for (const auto& [shown, text] : steps) {
        view.shownBoxes = shown;
        EXPECT_EQ(stepText(scene, view), text) << shown << " boxes shown";
    }
    scene.boxCount = 0;
    EXPECT_EQ(stepText(scene, view), "") << "an empty load has no steps";
}

} // namespace
