// Tests of boxview-shot: its arguments, the PNG it writes, and the picture, all without a display.
#include "tools/shot/snapshot.h"

#include "render/frame.h"
#include "render/headless.h"
#include "viewer/controls.h"
#include "viewer/window.h"

#include <GL/glu.h>
#include <gtest/gtest.h>
#include <png.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using Rgb = std::array<int, 3>;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    Rgb at(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

bool readPng(const std::string& path, Image& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_RGB;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgb.resize(PNG_IMAGE_SIZE(png));
    return png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr) != 0;
}

// Where a model point lands in the picture (top row 0), for the home camera and a model turn.
std::array<int, 2> project(double x, double y, double z, double rotX, double rotZ) {
    HeadlessGl gl;
    std::string error;
    if (!openHeadlessGl(gl, kWindowWidth, kWindowHeight, error)) return {-1, -1};
    setProjection();
    Camera camera;
    setHomeCamera(camera);
    loadViewTransform(camera, rotX, rotZ);
    GLdouble modelview[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble wx = 0, wy = 0, wz = 0;
    gluProject(x, y, z, modelview, projection, viewport, &wx, &wy, &wz);
    closeHeadlessGl(gl);
    return {static_cast<int>(std::floor(wx)), kWindowHeight - 1 - static_cast<int>(std::floor(wy))};
}

Rgb paletteColour(int box) {
    Camera camera;
    ViewState view;
    Palette palette;
    setHomeView(camera, view, palette);
    const GLubyte* c = palette.colours[box - 1];
    return {c[0], c[1], c[2]};
}

std::string describe(const Rgb& c) {
    std::ostringstream text;
    text << "(" << c[0] << ", " << c[1] << ", " << c[2] << ")";
    return text.str();
}

class SnapshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("DISPLAY");
        dir = fs::temp_directory_path() / ("boxview-shot-" + std::to_string(getpid()));
        fs::create_directories(dir);
        layout = (dir / "deux.txt").string();
        // Two boxes side by side, facing the home eye with their y = 6 faces.
        std::ofstream(layout) << "20 10 8\n2\n8 6 6 12 0 0\n8 6 6 2 0 0\n";
    }
    void TearDown() override { fs::remove_all(dir); }

    int shot(std::vector<std::string> args) {
        std::ostringstream err;
        int status = runShot(args, err);
        messages = err.str();
        return status;
    }

    std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) {
            std::string name = entry.path().filename().string();
            if (name != "deux.txt") names.push_back(name);
        }
        return names;
    }

    fs::path dir;
    std::string layout;
    std::string messages;
};

TEST(ShotArgs, AcceptsEveryOptionIncludingNegativeValues) {
    ShotOptions options;
    std::string error;
    ASSERT_TRUE(parseShotArgs({"a.txt", "--rotx", "-10", "b.png", "--rotz", "-2.5e1", "--angle",
                               "0.25", "--distance", "-40", "--select", "2"},
                              options, error))
        << error;
    EXPECT_EQ("a.txt", options.layout);
    EXPECT_EQ("b.png", options.output);
    EXPECT_DOUBLE_EQ(-10, options.rotX);
    EXPECT_DOUBLE_EQ(-25, options.rotZ);
    EXPECT_DOUBLE_EQ(0.25, options.angle);
    EXPECT_DOUBLE_EQ(-40, options.distance);
    EXPECT_EQ(2, options.select);
}

TEST(ShotArgs, RefusesBadArgumentsWithOneLine) {
    struct Case {
        std::vector<std::string> args;
        const char* expected;
    };
    const Case cases[] = {
        {{}, "usage : boxview-shot"},
        {{"a.txt"}, "usage : boxview-shot"},
        {{"a.txt", "b.png", "c.png"}, "usage : boxview-shot"},
        {{"a.txt", "b.png", "--zoom", "2"}, "option inconnue : --zoom"},
        {{"a.txt", "b.png", "--rotx"}, "valeur manquante pour --rotx"},
        {{"a.txt", "b.png", "--rotx", "abc"}, "valeur invalide pour --rotx : abc"},
        {{"a.txt", "b.png", "--angle", "1.5rad"}, "valeur invalide pour --angle : 1.5rad"},
        {{"a.txt", "b.png", "--distance", "inf"}, "valeur invalide pour --distance : inf"},
        {{"a.txt", "b.png", "--select", "1.5"}, "valeur invalide pour --select : 1.5"},
        {{"a.txt", "b.png", "--select", "99999999999"}, "valeur invalide pour --select"},
    };
    for (const Case& c : cases) {
        ShotOptions options;
        std::string error;
        EXPECT_FALSE(parseShotArgs(c.args, options, error)) << "expected a refusal: " << c.expected;
        EXPECT_NE(std::string::npos, error.find(c.expected))
            << "expected a message with \"" << c.expected << "\", got \"" << error << "\"";
        EXPECT_EQ(std::string::npos, error.find('\n')) << error;
    }
}

TEST_F(SnapshotTest, RefusalsExitWithTwoAndLeaveNoFile) {
    const std::string out = (dir / "out.png").string();
    EXPECT_EQ(2, shot({(dir / "absent.txt").string(), out}));
    EXPECT_EQ((dir / "absent.txt").string() + " introuvable\n", messages);
    std::ofstream(dir / "trop.txt") << "10 10 10\n61\n";
    EXPECT_EQ(2, shot({(dir / "trop.txt").string(), out}));
    EXPECT_EQ(2, shot({layout, out, "--select", "3"}));
    EXPECT_EQ("boxview-shot : boite 3 hors de 1..2 (--select)\n", messages);
    EXPECT_EQ(2, shot({layout, out, "--select", "0"}));
    EXPECT_EQ(2, shot({layout, out, "--select", "-1"}));
    fs::remove(dir / "trop.txt");
    EXPECT_TRUE(leftovers().empty()) << "left behind: " << leftovers().front();
}

TEST_F(SnapshotTest, UnwritableDestinationFailsWithoutPartialFiles) {
    EXPECT_EQ(1, shot({layout, (dir / "absent" / "out.png").string()}));
    EXPECT_NE(std::string::npos, messages.find("impossible d'ecrire")) << messages;
    // A folder in the way of the final name: the rename fails and the temporary file goes.
    fs::create_directories(dir / "occupe.png" / "x");
    EXPECT_EQ(1, shot({layout, (dir / "occupe.png").string()}));
    fs::remove_all(dir / "occupe.png");
    EXPECT_TRUE(leftovers().empty()) << "left behind: " << leftovers().front();
}

TEST_F(SnapshotTest, HomeViewShowsPaletteColoursOnWhite) {
    const std::string out = (dir / "home.png").string();
    ASSERT_EQ(0, shot({layout, out})) << messages;
    Image image;
    ASSERT_TRUE(readPng(out, image));
    ASSERT_EQ(kWindowWidth, image.width);
    ASSERT_EQ(kWindowHeight, image.height);
    EXPECT_EQ((Rgb{255, 255, 255}), image.at(5, 5)) << "corner: " << describe(image.at(5, 5));
    // The centres of the front faces (y = 6) of both boxes.
    const auto first = project(16, 6, 3, 0, kHomeRotZ);
    const auto second = project(6, 6, 3, 0, kHomeRotZ);
    EXPECT_EQ(paletteColour(1), image.at(first[0], first[1]))
        << "box 1 at " << first[0] << "," << first[1] << ": expected "
        << describe(paletteColour(1)) << ", got " << describe(image.at(first[0], first[1]));
    EXPECT_EQ(paletteColour(2), image.at(second[0], second[1]))
        << "box 2: expected " << describe(paletteColour(2)) << ", got "
        << describe(image.at(second[0], second[1]));
}

TEST_F(SnapshotTest, SelectedBoxShowsInverseEdgesAndCaption) {
    const std::string plain = (dir / "plain.png").string();
    const std::string selected = (dir / "selected.png").string();
    ASSERT_EQ(0, shot({layout, plain})) << messages;
    ASSERT_EQ(0, shot({layout, selected, "--select", "1"})) << messages;
    Image before, after;
    ASSERT_TRUE(readPng(plain, before));
    ASSERT_TRUE(readPng(selected, after));
    const Rgb colour = paletteColour(1);
    const Rgb inverse{255 - colour[0], 255 - colour[1], 255 - colour[2]};
    int inverseBefore = 0, inverseAfter = 0;
    for (int y = 0; y < kWindowHeight; ++y) {
        for (int x = 0; x < kWindowWidth; ++x) {
            inverseBefore += before.at(x, y) == inverse;
            inverseAfter += after.at(x, y) == inverse;
        }
    }
    EXPECT_GT(inverseAfter, inverseBefore + 200)
        << "inverse colour " << describe(inverse) << " pixels: " << inverseBefore
        << " without selection, " << inverseAfter << " with box 1 selected";
    // The caption is drawn in black from below the container's far corner.
    const auto anchor = project(20, 10, -5, 0, kHomeRotZ);
    int blackBefore = 0, blackAfter = 0;
    for (int y = anchor[1] - 12; y <= anchor[1]; ++y) {
        for (int x = anchor[0]; x < anchor[0] + 200 && x < kWindowWidth; ++x) {
            blackBefore += before.at(x, y) == Rgb{0, 0, 0};
            blackAfter += after.at(x, y) == Rgb{0, 0, 0};
        }
    }
    EXPECT_GT(blackAfter, blackBefore + 50)
        << "black caption pixels right of " << anchor[0] << "," << anchor[1] << ": "
        << blackBefore << " before, " << blackAfter << " after";
}

TEST_F(SnapshotTest, ViewOptionsMoveTheCameraAndTurnTheModel) {
    const std::string home = (dir / "home.png").string();
    const std::string same = (dir / "same.png").string();
    const std::string turned = (dir / "turned.png").string();
    ASSERT_EQ(0, shot({layout, home})) << messages;
    ASSERT_EQ(0, shot({layout, same, "--rotz", "15", "--rotx", "0"})) << messages;
    ASSERT_EQ(0, shot({layout, turned, "--rotz", "-30", "--angle", "1.2", "--distance", "45"}))
        << messages;
    Image a, b, c;
    ASSERT_TRUE(readPng(home, a) && readPng(same, b) && readPng(turned, c));
    EXPECT_TRUE(a.rgb == b.rgb) << "the home turn given explicitly changed the picture";
    EXPECT_FALSE(a.rgb == c.rgb) << "--rotz, --angle and --distance left the picture unchanged";
}

} // namespace
