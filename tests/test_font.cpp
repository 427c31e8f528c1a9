// Tests of the bitmap font: glyph rasterising, display list blocks and text reaching the window.
#include "render/font.h"

#include "gl_context.h"

#include <filesystem>

namespace {

using namespace gltest;

const char kBoldFace[] = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf";
const char kRegularFace[] = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";

// Loaded once: fontconfig's first scan is the slow part.
const FontCache& fonts() {
    static const FontCache cache = loadFontCache();
    return cache;
}

const Glyph& glyph(const GlyphSet& set, char code) {
    return set.glyphs[static_cast<std::size_t>(code - kFirstGlyph)];
}

TEST(FontCacheTest, HoldsAllCodesAtTheThreeFrameHeights) {
    ASSERT_EQ(fonts().sets.size(), 3u);
    const int heights[] = {kCaptionPixelHeight, kLegendPixelHeight, kAxisPixelHeight};
    for (std::size_t k = 0; k < 3; ++k) {
        const GlyphSet& set = fonts().sets[k];
        EXPECT_EQ(set.pixelHeight, heights[k]);
        ASSERT_TRUE(set.ok) << "height " << set.pixelHeight << " failed to rasterise";
        ASSERT_EQ(set.glyphs.size(), std::size_t(kGlyphCount));
        const Glyph& h = glyph(set, 'H');
        EXPECT_GT(h.width, 0);
        EXPECT_GT(h.advance, 0);
        EXPECT_GE(h.rows, set.pixelHeight / 2) << "'H' at height " << set.pixelHeight;
        EXPECT_LE(h.rows, set.pixelHeight) << "'H' at height " << set.pixelHeight;
    }
}

TEST(FontCacheTest, PicksTheBoldSansFace) {
    if (!std::filesystem::exists(kBoldFace) || !std::filesystem::exists(kRegularFace))
        GTEST_SKIP() << "Liberation Sans is not installed";
    const GlyphSet bold = rasteriseGlyphs(kBoldFace, 0, kAxisPixelHeight);
    const GlyphSet regular = rasteriseGlyphs(kRegularFace, 0, kAxisPixelHeight);
    ASSERT_TRUE(bold.ok);
    ASSERT_TRUE(regular.ok);
    const GlyphSet& cached = fonts().sets[2];
    for (char code : {'W', 'x', 'y', 'z', '0', '7'}) {
        EXPECT_EQ(glyph(cached, code).bits, glyph(bold, code).bits) << "glyph '" << code << "'";
        EXPECT_EQ(glyph(cached, code).advance, glyph(bold, code).advance)
            << "glyph '" << code << "'";
    }
    EXPECT_NE(glyph(bold, 'W').bits, glyph(regular, 'W').bits) << "bold and regular should differ";
}

TEST(FontCacheTest, MissingFileIsNotOk) {
    const GlyphSet set = rasteriseGlyphs("/nonexistent/font.ttf", 0, kCaptionPixelHeight);
    EXPECT_FALSE(set.ok);
    EXPECT_EQ(set.pixelHeight, kCaptionPixelHeight);
}

TEST(FontCacheTest, DrawableBytesKeepOnly32To127) {
    EXPECT_EQ(drawableBytes(std::string("a\n b\x7f\x80\xff\x1f~\t", 10)), "a b\x7f~");
    EXPECT_EQ(drawableBytes(""), "");
}

class FontListTest : public GlTest {
protected:
    // Clears to white under a pixel-aligned orthographic view, ready for text.
    void SetUp() override {
        GlTest::SetUp();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kWindowWidth, 0, kWindowHeight, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    static Point rasterPosition() {
        GLfloat p[4] = {};
        glGetFloatv(GL_CURRENT_RASTER_POSITION, p);
        return {p[0], p[1], p[2]};
    }

    // Counts pixels of colour in the box [x0, x1) x [y0, y1).
    static int countPixels(int x0, int y0, int x1, int y1, const Rgb& colour) {
        std::vector<GLubyte> rgba(static_cast<std::size_t>((x1 - x0) * (y1 - y0) * 4));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x0, y0, x1 - x0, y1 - y0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        int count = 0;
        for (std::size_t k = 0; k < rgba.size(); k += 4)
            count += Rgb{rgba[k], rgba[k + 1], rgba[k + 2]} == colour;
        return count;
    }
};

TEST_F(FontListTest, BlockHoldsNinetySixConsecutiveLists) {
    FontLists base = 0;
    testing::internal::CaptureStdout();
    buildFontLists(fonts(), kLegendPixelHeight, base);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_NE(base, 0u);
    for (GLuint k = 0; k < GLuint(kGlyphCount); ++k)
        EXPECT_TRUE(glIsList(base + k)) << "list " << k << " of the block (code " << k + 32 << ")";
    EXPECT_FALSE(glIsList(base + kGlyphCount)) << "the block is 96 lists long";
    // Every list, code 127 included, moves the pen by its glyph's advance.
    std::string all;
    float advance = 0;
    for (int code = kFirstGlyph; code < kFirstGlyph + kGlyphCount; ++code) {
        all.push_back(static_cast<char>(code));
        advance += glyph(fonts().sets[1], static_cast<char>(code)).advance;
    }
    glRasterPos2i(10, 100);
    drawText(base, all);
    EXPECT_NEAR(rasterPosition().x, 10 + advance, 0.01) << "the pen after all 96 codes";
    glDeleteLists(base, kGlyphCount);
}

TEST_F(FontListTest, HeightWithoutGlyphsSaysSoAndStillHandsBackABlock) {
    for (const FontCache& cache : {FontCache{}, fonts()}) {
        FontLists base = 0;
        testing::internal::CaptureStdout();
        buildFontLists(cache, cache.sets.empty() ? kCaptionPixelHeight : 99, base);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "probleme pour creer bitmap a partir font window\n");
        EXPECT_NE(base, 0u) << "a block is reserved even without glyphs";
        glRasterPos2i(100, 100);
        drawText(base, "abc");
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        glDeleteLists(base, kGlyphCount);
    }
}

TEST_F(FontListTest, TextShowsPixelsInTheRasterColour) {
    FontLists base = 0;
    buildFontLists(fonts(), kAxisPixelHeight, base);
    glColor3ub(200, 30, 60);
    glRasterPos2i(300, 300);
    drawText(base, "HHH");
    glFinish();
    const int coloured = countPixels(295, 295, 360, 325, {200, 30, 60});
    EXPECT_GT(coloured, 60) << "pixels of the text colour near the raster position";
    EXPECT_EQ(coloured + countPixels(295, 295, 360, 325, {255, 255, 255}), 65 * 30)
        << "text pixels are either text colour or background";
    EXPECT_EQ(countPixels(0, 0, 295, kWindowHeight, {200, 30, 60}), 0)
        << "nothing drawn left of the raster position";
    glDeleteLists(base, kGlyphCount);
}

TEST_F(FontListTest, TextAdvancesThePenAndOtherBytesDrawNothing) {
    FontLists base = 0;
    buildFontLists(fonts(), kAxisPixelHeight, base);
    const GlyphSet& set = fonts().sets[2];
    glColor3ub(0, 0, 0);
    glRasterPos2i(300, 300);
    drawText(base, "Wi");
    EXPECT_NEAR(rasterPosition().x, 300 + glyph(set, 'W').advance + glyph(set, 'i').advance, 0.01);
    EXPECT_NEAR(rasterPosition().y, 300, 0.01);

    glClear(GL_COLOR_BUFFER_BIT);
    glRasterPos2i(300, 300);
    drawText(base, "\n\t\x80\xff\x01");
    EXPECT_NEAR(rasterPosition().x, 300, 0.01) << "bytes outside 32..127 do not move the pen";
    drawText(base, "");
    EXPECT_NEAR(rasterPosition().x, 300, 0.01) << "empty text does not move the pen";
    glFinish();
    EXPECT_EQ(countPixels(0, 0, kWindowWidth, kWindowHeight, {255, 255, 255}),
              kWindowWidth * kWindowHeight)
        << "the window should still be all white";

    const auto drawn = capture([&] {
        glRasterPos2i(300, 300);
        drawText(base, "a\nb");
    });
    ASSERT_EQ(drawn.size(), 2u) << "only 'a' and 'b' draw";
    EXPECT_NEAR(drawn[0].vertices[0].window.x, 300, 0.01);
    EXPECT_NEAR(drawn[1].vertices[0].window.x, 300 + glyph(set, 'a').advance, 0.01)
        << "'b' follows 'a' directly: the newline is dropped";
    glDeleteLists(base, kGlyphCount);
}

} // namespace
