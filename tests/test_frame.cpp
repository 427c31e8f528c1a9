// Tests of what the reference pictures cannot see: display lists, the far plane, glyph-less fonts, the frame's texts.
#include "render/frame.h"

#include "gl_context.h"
#include "render/labels.h"
#include "scene/scene.h"

#include <GL/glu.h>

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
// plane is 1000) shows its colour, the frame raises no GL error, and the lists of caption, legend and step line
// are gone.
TEST_F(FrameTest, FarCornerShowsAndNoListsOutliveTheFrameWithOrWithoutGlyphs) {
    Camera camera;
    ViewState view;
    Palette palette;
    setHomeView(camera, view, palette);
    camera.orbitDistance = 8000;
    camera.orbitAngle = M_PI;
    updateEye(camera);
    view.selectedBox = view.shownBoxes = 1;
    for (const FontCache& cache : {kFonts, FontCache{}}) {
        drawFrame(palette, sceneOf({8000, 500, 500}, {{500, 500, 500, 7500, 0, 0}, {}}), view,
                  camera, cache);
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

TEST(FrameTextTest, CaptionStepLineAndDrawableBytes) {
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
}

}  // namespace
