// Tests of the bitmap font: display list blocks and the text they put in the window.
#include "render/font.h"

#include "gl_context.h"

#include <algorithm>

namespace {

using namespace gltest;

float advance(const GlyphSet& set, int code) {
    return set.glyphs[std::size_t(code - kFirstGlyph)].advance;
}

// A pixel-aligned view over a white window, ready for text.
class FontListTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        useOrtho(0, kWindowWidth, 0, kWindowHeight);
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    static double penX() {
        GLfloat p[4] = {};
        glGetFloatv(GL_CURRENT_RASTER_POSITION, p);
        return p[0];
    }
};

// The block is 96 consecutive lists, code 127 included, each moving the pen by its advance.
TEST_F(FontListTest, BlockHoldsNinetySixListsThatAdvanceThePen) {
    FontLists base = 0;
    testing::internal::CaptureStdout();
    buildFontLists(fonts(), kLegendPixelHeight, base);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    for (GLuint k = 0; k < 96; ++k) EXPECT_TRUE(glIsList(base + k)) << "list for code " << k + 32;
    EXPECT_FALSE(glIsList(base + 96)) << "the block is 96 lists long";
    std::string all;
    for (int code = 32; code <= 127; ++code) all.push_back(static_cast<char>(code));
    glRasterPos2i(10, 100);
    const auto drawn = capture([&] { drawText(base, all); });
    ASSERT_EQ(drawn.size(), 96u) << "one bitmap per code, 127 included";
    double x = 10;
    for (int code = 32; code <= 127; ++code) {
        EXPECT_NEAR(drawn[std::size_t(code - 32)].points[0].x, x, 0.01) << "code " << code;
        x += advance(fonts().sets[1], code);
    }
    glDeleteLists(base, kGlyphCount);
}

// Without glyphs for every height the fonts are unusable; building a block then prints
// nothing (the window says it once) and still hands back 96 lists that draw nothing.
TEST_F(FontListTest, HeightWithoutGlyphsIsUnusableSilentlyAndStillHandsBackABlock) {
    EXPECT_TRUE(fontsUsable(fonts()));
    FontCache partial = fonts();
    partial.sets.pop_back();
    const FontCache failed{{GlyphSet{kCaptionPixelHeight, false, {}}}};
    for (const FontCache& cache : {FontCache{}, failed, partial}) {
        EXPECT_FALSE(fontsUsable(cache)) << cache.sets.size() << " sets";
        FontLists base = 0;
        testing::internal::CaptureStdout();
        buildFontLists(cache, kCaptionPixelHeight, base);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_TRUE(base != 0 && glIsList(base) && glIsList(base + 95)) << "a block from " << base;
        glRasterPos2i(100, 100);
        drawText(base, "abc");
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        glDeleteLists(base, kGlyphCount);
    }
}

// Text shows in the raster colour; bytes outside 32..127 neither draw nor move the pen.
TEST_F(FontListTest, TextDrawsInTheRasterColourAndOtherBytesDrawNothing) {
    FontLists base = 0, next = 0;  // bytes from 128 would reach into the next block
    buildFontLists(fonts(), kAxisPixelHeight, base);
    buildFontLists(fonts(), kAxisPixelHeight, next);
    glColor3ub(200, 30, 60);
    glRasterPos2i(300, 300);
    drawText(base, "\n\t\x80\xff\x01");
    EXPECT_NEAR(penX(), 300, 0.01) << "the pen after bytes outside 32..127";
    EXPECT_EQ(drawableBytes(std::string("a\n b\x7f\x80\xff\x1f~\t", 10)), "a b\x7f~");
    auto pixels = readPixels();
    const auto count = [&](const Rgb& c) { return std::count(pixels.begin(), pixels.end(), c); };
    EXPECT_EQ(count({255, 255, 255}), kWindowWidth * kWindowHeight) << "white pixels";
    drawText(base, "HHH");
    pixels = readPixels();
    EXPECT_TRUE(count({200, 30, 60}) > 60 &&
                count({200, 30, 60}) + count({255, 255, 255}) == kWindowWidth * kWindowHeight)
        << count({200, 30, 60}) << " pixels of the text colour, every other one white expected";
    const auto drawn = capture([&] {
        glRasterPos2i(300, 300);
        drawText(base, "a\nb");
    });
    ASSERT_EQ(drawn.size(), 2u) << "only 'a' and 'b' draw";
    EXPECT_NEAR(drawn[1].points[0].x, 300 + advance(fonts().sets[2], 'a'), 0.01)
        << "'b' follows 'a' directly";
    glDeleteLists(base, kGlyphCount);
    glDeleteLists(next, kGlyphCount);
}

} // namespace
