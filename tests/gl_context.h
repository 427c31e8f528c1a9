// Shared GL test helpers: the product's headless context with the viewer's projection, the glyph cache, pixels.
#pragma once

#include "render/font.h"
#include "render/headless.h"
#include "render/view.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>

namespace gltest {

// The frame's glyphs, loaded once: fontconfig's first scan is slow.
inline const FontCache& fonts() {
    static const FontCache cache = loadFontCache();
    return cache;
}

// Opens a 1024 x 768 headless context with the viewer's projection for every test.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(openHeadlessGl(gl, kWindowWidth, kWindowHeight, error)) << error;
        glViewport(0, 0, kWindowWidth, kWindowHeight);
        setProjection();
        glMatrixMode(GL_MODELVIEW);
    }
    void TearDown() override { closeHeadlessGl(gl); }

    // The colour of the window pixel where model point (x, y, z) lands through the matrices in place.
    static std::array<int, 3> pixelAt(double x, double y, double z) {
        GLdouble modelview[16], projection[16], wx = 0, wy = 0, wz = 0;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(x, y, z, modelview, projection, viewport, &wx, &wy, &wz);
        GLubyte rgba[4] = {};
        glReadPixels(GLint(wx), GLint(wy), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return {rgba[0], rgba[1], rgba[2]};
    }

    HeadlessGl gl;
};

} // namespace gltest
