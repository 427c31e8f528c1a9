// Shared GL test helpers: a headless context per test, feedback capture, pixels and projection.
#pragma once

#include "render/headless.h"
#include "viewer/window.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace gltest {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "rgb(" << c.r << "," << c.g << "," << c.b << ")";
}

struct Point {
    double x = 0, y = 0, z = 0;
};

inline std::ostream& operator<<(std::ostream& out, const Point& p) {
    return out << "(" << p.x << ", " << p.y << ", " << p.z << ")";
}

// A vertex as feedback mode reports it: window coordinates and colour in 0..255.
struct Vertex {
    Point window;
    Rgb colour;
};

enum class Kind { kPoint, kLine, kPolygon, kBitmap, kPixels, kPassThrough };

struct Primitive {
    Kind kind = Kind::kPoint;
    std::vector<Vertex> vertices;
    float marker = 0; // the value of a pass-through token
};

inline const char* kindName(Kind kind) {
    static const char* const kNames[] = {"point",  "line",   "polygon",
                                         "bitmap", "pixels", "pass-through"};
    return kNames[static_cast<int>(kind)];
}

// Distance within which two model-space points count as the same.
constexpr double kModelTolerance = 1e-3;

inline bool near(const Point& a, const Point& b, double tolerance = kModelTolerance) {
    return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
           std::fabs(a.z - b.z) <= tolerance;
}

// A drawn line in model space, with the colour of its first vertex.
struct Segment {
    Point a, b;
    Rgb colour;
};

inline bool sameSegment(const Segment& s, const Point& a, const Point& b) {
    return (near(s.a, a) && near(s.b, b)) || (near(s.a, b) && near(s.b, a));
}

// Opens a 1024 x 768 headless context with the viewer's projection for every test.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(openHeadlessGl(gl, kWindowWidth, kWindowHeight, error))
            << "headless GL context: " << error;
        glViewport(0, 0, kWindowWidth, kWindowHeight);
        setProjection();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    void TearDown() override { closeHeadlessGl(gl); }

    // Identity modelview and an orthographic projection of 8 pixels per unit, centred
    // on the origin, so that model points come back from the window with toModel().
    static void useModelSpaceView() {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-64, 64, -48, 48, -100, 100);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    // Runs draw in feedback mode (GL_3D_COLOR) and parses what reached the window.
    static std::vector<Primitive> capture(const std::function<void()>& draw,
                                          std::size_t capacity = 1 << 20) {
        std::vector<GLfloat> buffer(capacity);
        glFeedbackBuffer(static_cast<GLsizei>(capacity), GL_3D_COLOR, buffer.data());
        glRenderMode(GL_FEEDBACK);
        draw();
        const GLint used = glRenderMode(GL_RENDER);
        EXPECT_GE(used, 0) << "feedback buffer of " << capacity << " values overflowed";
        return parse(buffer, used < 0 ? 0 : static_cast<std::size_t>(used));
    }

    static std::vector<Primitive> parse(const std::vector<GLfloat>& buffer, std::size_t used) {
        std::vector<Primitive> result;
        std::size_t at = 0;
        auto vertex = [&]() {
            Vertex v;
            v.window = {buffer[at], buffer[at + 1], buffer[at + 2]};
            v.colour = {int(std::lround(buffer[at + 3] * 255)),
                        int(std::lround(buffer[at + 4] * 255)),
                        int(std::lround(buffer[at + 5] * 255))};
            at += 7;
            return v;
        };
        while (at < used) {
            const GLint token = static_cast<GLint>(buffer[at++]);
            Primitive p;
            int count = 1;
            switch (token) {
            case GL_POINT_TOKEN: p.kind = Kind::kPoint; break;
            case GL_LINE_TOKEN:
            case GL_LINE_RESET_TOKEN:
                p.kind = Kind::kLine;
                count = 2;
                break;
            case GL_POLYGON_TOKEN:
                p.kind = Kind::kPolygon;
                count = static_cast<int>(buffer[at++]);
                break;
            case GL_BITMAP_TOKEN: p.kind = Kind::kBitmap; break;
            case GL_DRAW_PIXEL_TOKEN:
            case GL_COPY_PIXEL_TOKEN: p.kind = Kind::kPixels; break;
            case GL_PASS_THROUGH_TOKEN:
                p.kind = Kind::kPassThrough;
                p.marker = buffer[at++];
                count = 0;
                break;
            default:
                ADD_FAILURE() << "unknown feedback token " << token << " at " << at - 1;
                return result;
            }
            for (int k = 0; k < count; ++k)
                p.vertices.push_back(vertex());
            result.push_back(p);
        }
        return result;
    }

    // Converts between model and window points through the matrices now in place.
    static Point toModel(const Point& window) { return mapPoint(window, false); }
    static Point toWindow(double x, double y, double z) { return mapPoint({x, y, z}, true); }

    static Point mapPoint(const Point& from, bool project) {
        GLdouble modelview[16], projection[16];
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        Point to;
        (project ? gluProject : gluUnProject)(from.x, from.y, from.z, modelview, projection,
                                              viewport, &to.x, &to.y, &to.z);
        return to;
    }

    // The lines among drawn, taken back to model space through the matrices now in place.
    static std::vector<Segment> segments(const std::vector<Primitive>& drawn) {
        std::vector<Segment> result;
        for (const Primitive& p : drawn)
            if (p.kind == Kind::kLine)
                result.push_back({toModel(p.vertices[0].window), toModel(p.vertices[1].window),
                                  p.vertices[0].colour});
        return result;
    }

    static Rgb readPixel(int x, int y) {
        GLubyte rgba[4] = {};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return {rgba[0], rgba[1], rgba[2]};
    }

    static Rgb currentColour() {
        GLfloat c[4] = {};
        glGetFloatv(GL_CURRENT_COLOR, c);
        return {int(std::lround(c[0] * 255)), int(std::lround(c[1] * 255)),
                int(std::lround(c[2] * 255))};
    }

    static float lineWidth() {
        GLfloat width = 0;
        glGetFloatv(GL_LINE_WIDTH, &width);
        return width;
    }

    HeadlessGl gl;
};

// The primitives of one kind, in the order they were drawn.
inline std::vector<Primitive> only(const std::vector<Primitive>& all, Kind kind) {
    std::vector<Primitive> kept;
    for (const Primitive& p : all) {
        if (p.kind == kind)
            kept.push_back(p);
    }
    return kept;
}

} // namespace gltest
