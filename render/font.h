// Bitmap glyphs of the bold "Arial" face, turned into blocks of GL display lists for on-screen text.
#pragma once

#include <GL/gl.h>

#include <string>
#include <vector>

// The first name of a block of 96 display lists, one per character code 32..127.
using FontLists = GLuint;

constexpr int kFirstGlyph = 32;
constexpr int kGlyphCount = 96;

// One rasterised glyph, rows stored bottom-up with 4-byte aligned rows, as glBitmap reads them.
struct Glyph {
    int width = 0;
    int rows = 0;
    float originX = 0;  // glBitmap's xorig: pixels from the pen to the bitmap's left edge, negated
    float originY = 0;  // glBitmap's yorig: pixels from the baseline down to the bitmap's bottom
    float advance = 0;
    std::vector<GLubyte> bits;
};

struct GlyphSet {
    int pixelHeight = 0;
    bool ok = false;            // false when the face or a glyph could not be rendered
    std::vector<Glyph> glyphs;  // kGlyphCount entries when ok
};

// Glyph bitmaps for every pixel height the frame uses, rasterised once for the process.
struct FontCache {
    std::vector<GlyphSet> sets;
};

constexpr int kCaptionPixelHeight = 12;
constexpr int kLegendPixelHeight = 13;
constexpr int kAxisPixelHeight = 16;

// Finds the face through fontconfig and rasterises codes 32..127 at the three
// pixel heights of the frame. Needs no GL context.
FontCache loadFontCache();

// Whether every pixel height the frame uses has its glyphs. Without them the frame is
// drawn with empty text; callers say so once, where they can: the window once per window,
// the snapshot tool by failing.
bool fontsUsable(const FontCache& fonts);

// The French line printed when no usable font was found.
constexpr char kFontFailureLine[] = "probleme pour creer bitmap a partir font window";

// Reserves 96 lists, stores the first name in base, and fills them from the cached
// bitmaps of that height. When the height has no usable glyphs the lists stay empty,
// silently (see fontsUsable), and the block is handed back anyway.
void buildFontLists(const FontCache& fonts, int pixelHeight, FontLists& base);

// Keeps the bytes that select a list inside a block (32..127); others draw nothing.
std::string drawableBytes(const std::string& text);

// Draws text through the block at the current raster position.
void drawText(FontLists base, const std::string& text);
