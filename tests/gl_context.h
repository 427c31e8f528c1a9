// Shared GL test helpers: a headless context per test, feedback mapped to model space, pixels.
#pragma once

#include "render/font.h"
#include "render/headless.h"
#include "render/view.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace gltest {

using Rgb = std::array<int, 3>;

struct Point {
    double x = 0, y = 0, z = 0;
};

inline std::ostream& operator<<(std::ostream& out, const Point& p) {
    return out << "(" << p.x << ", " << p.y << ", " << p.z << ")";
}

inline bool near(const Point& a, const Point& b, double tolerance = 1e-3) {
    return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
           std::fabs(a.z - b.z) <= tolerance;
}

enum class Kind { kLine, kPolygon, kBitmap, kOther };

// A primitive that reached the window: its vertices in model space, its first vertex's colour.
struct Primitive {
    Kind kind = Kind::kOther;
    std::vector<Point> points;
    Rgb colour{};
};

inline std::vector<Primitive> only(const std::vector<Primitive>& all, Kind kind) {
    std::vector<Primitive> kept;
    for (const Primitive& p : all)
        if (p.kind == kind) kept.push_back(p);
    return kept;
}

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
        glLoadIdentity();
    }
    void TearDown() override { closeHeadlessGl(gl); }

    // An orthographic view of the window onto left..right x bottom..top, identity modelview.
    static void useOrtho(double left, double right, double bottom, double top) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(left, right, bottom, top, -100, 100);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    // Runs draw in feedback mode and maps what reached the window back through the matrices in
    // place afterwards. Polygons may have any vertex count: Mesa hands quads back as triangles.
    static std::vector<Primitive> capture(const std::function<void()>& draw) {
        std::vector<GLfloat> buf(1 << 20);
        glFeedbackBuffer(static_cast<GLsizei>(buf.size()), GL_3D_COLOR, buf.data());
        glRenderMode(GL_FEEDBACK);
        draw();
        const GLint used = glRenderMode(GL_RENDER);
        EXPECT_GE(used, 0) << "feedback buffer overflowed";
        std::vector<Primitive> result;
        for (GLint at = 0; at < used;) {
            const GLint token = static_cast<GLint>(buf[at++]);
            Primitive p;
            int count = 1;
            switch (token) {
            case GL_LINE_TOKEN: case GL_LINE_RESET_TOKEN: p.kind = Kind::kLine, count = 2; break;
            case GL_POLYGON_TOKEN: p.kind = Kind::kPolygon, count = int(buf[at++]); break;
            case GL_BITMAP_TOKEN: p.kind = Kind::kBitmap; break;
            case GL_PASS_THROUGH_TOKEN: ++at, count = 0; break;
            case GL_POINT_TOKEN: case GL_DRAW_PIXEL_TOKEN: case GL_COPY_PIXEL_TOKEN: break;
            default: ADD_FAILURE() << "unknown feedback token " << token; return result;
            }
            const auto channel = [&](int i) { return int(std::lround(buf[at + i] * 255)); };
            for (int k = 0; k < count; ++k, at += 7) {
                p.points.push_back(map({buf[at], buf[at + 1], buf[at + 2]}, false));
                if (k == 0) p.colour = {channel(3), channel(4), channel(5)};
            }
            result.push_back(p);
        }
        return result;
    }

    // Maps a model point to the window, or back, through the matrices now in place.
    static Point map(const Point& from, bool toWindow) {
        GLdouble modelview[16], projection[16];
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        Point to;
        (toWindow ? gluProject : gluUnProject)(from.x, from.y, from.z, modelview, projection,
                                               viewport, &to.x, &to.y, &to.z);
        return to;
    }
    static Point toWindow(double x, double y, double z) { return map({x, y, z}, true); }

    // The window's pixels, bottom row first.
    static std::vector<Rgb> readPixels() {
        std::vector<GLubyte> rgba(std::size_t{kWindowWidth} * kWindowHeight * 4);
        glReadPixels(0, 0, kWindowWidth, kWindowHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        std::vector<Rgb> pixels;
        for (std::size_t k = 0; k < rgba.size(); k += 4)
            pixels.push_back({rgba[k], rgba[k + 1], rgba[k + 2]});
        return pixels;
    }

    static float lineWidth() {
        GLfloat width = 0;
        glGetFloatv(GL_LINE_WIDTH, &width);
        return width;
    }

    HeadlessGl gl;
};

} // namespace gltest
