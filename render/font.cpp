// Bitmap glyphs of the bold "Arial" face, turned into blocks of GL display lists for on-screen text.
#include "render/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// Owners of fontconfig's and FreeType's objects: each is released when its owner goes.
struct ConfigRelease {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
struct PatternRelease {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct LibraryRelease {
    void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceRelease {
    void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using OwnedConfig = std::unique_ptr<FcConfig, ConfigRelease>;
using OwnedPattern = std::unique_ptr<FcPattern, PatternRelease>;
using OwnedLibrary = std::unique_ptr<FT_LibraryRec_, LibraryRelease>;
using OwnedFace = std::unique_ptr<FT_FaceRec_, FaceRelease>;

struct FaceLocation {
    std::string file;
    int index = 0;
};

// Asks fontconfig which file holds "Arial" at bold weight (or its nearest substitute).
bool findFace(FaceLocation& location) {
    const OwnedConfig config(FcInitLoadConfigAndFonts());
    const OwnedPattern pattern(FcPatternCreate());
    if (config == nullptr || pattern == nullptr) return false;
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>("Arial"));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FC_WEIGHT_BOLD);
    FcPatternAddInteger(pattern.get(), FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const OwnedPattern match(FcFontMatch(config.get(), pattern.get(), &result));
    FcChar8* file = nullptr;
    if (match == nullptr || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) {
        return false;
    }
    location.file = reinterpret_cast<const char*>(file);
    int index = 0;
    if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &index) == FcResultMatch) {
        location.index = index;
    }
    return true;
}

// Copies FreeType's 1-bit top-down bitmap into glBitmap's bottom-up, 4-byte aligned layout.
void copyBitmap(const FT_Bitmap& bitmap, Glyph& glyph) {
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    int stride = ((glyph.width + 7) / 8 + 3) / 4 * 4;
    glyph.bits.assign(static_cast<std::size_t>(stride) * glyph.rows, 0);
    const int sourcePitch = std::abs(bitmap.pitch);  // FreeType renders outlines top-down
    int rowBytes = (glyph.width + 7) / 8;
    for (int row = 0; row < glyph.rows; ++row) {
        const unsigned char* source =
            bitmap.buffer + static_cast<std::ptrdiff_t>(row) * sourcePitch;
        GLubyte* target =
            glyph.bits.data() + static_cast<std::ptrdiff_t>(glyph.rows - 1 - row) * stride;
        std::memcpy(target, source, static_cast<std::size_t>(rowBytes));
    }
}

const GlyphSet* findSet(const FontCache& fonts, int pixelHeight) {
    for (const GlyphSet& set : fonts.sets) {
        if (set.pixelHeight == pixelHeight) return &set;
    }
    return nullptr;
}

// Rasterises codes 32..127 of one face at one pixel height; ok is false when that fails.
GlyphSet rasteriseGlyphs(const std::string& fontFile, int faceIndex, int pixelHeight) {
    GlyphSet set;
    set.pixelHeight = pixelHeight;
    if (pixelHeight <= 0) return set;
    FT_Library libraryHandle = nullptr;
    if (FT_Init_FreeType(&libraryHandle) != 0) return set;
    const OwnedLibrary library(libraryHandle);
    FT_Face faceHandle = nullptr;
    if (FT_New_Face(library.get(), fontFile.c_str(), faceIndex, &faceHandle) != 0) return set;
    const OwnedFace owner(faceHandle);
    const FT_Face face = owner.get();
    bool ok = FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight)) == 0;
    set.glyphs.resize(kGlyphCount);
    for (int k = 0; k < kGlyphCount && ok; ++k) {
        FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(kFirstGlyph + k));
        if (index == 0) continue;  // no glyph for this code (127 in most faces): an empty list
        if (FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0 ||
            face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_MONO) {
            ok = false;
            break;
        }
        Glyph& glyph = set.glyphs[static_cast<std::size_t>(k)];
        copyBitmap(face->glyph->bitmap, glyph);
        glyph.originX = static_cast<float>(-face->glyph->bitmap_left);
        glyph.originY = static_cast<float>(glyph.rows - face->glyph->bitmap_top);
        glyph.advance = static_cast<float>(face->glyph->advance.x) / 64.0f;
    }
    set.ok = ok;
    if (!ok) set.glyphs.clear();
    return set;
}

}  // namespace

FontCache loadFontCache() {
    FontCache fonts;
    FaceLocation location;
    bool found = findFace(location);
    for (int height : {kCaptionPixelHeight, kLegendPixelHeight, kAxisPixelHeight}) {
        GlyphSet set;
        set.pixelHeight = height;
        if (found) set = rasteriseGlyphs(location.file, location.index, height);
        fonts.sets.push_back(std::move(set));
    }
    return fonts;
}

bool fontsUsable(const FontCache& fonts) {
    for (int height : {kCaptionPixelHeight, kLegendPixelHeight, kAxisPixelHeight}) {
        const GlyphSet* set = findSet(fonts, height);
        if (set == nullptr || !set->ok) return false;
    }
    return true;
}

void buildFontLists(const FontCache& fonts, int pixelHeight, FontLists& base) {
    // GL refuses a null bitmap even when it is empty, and would drop the advance with it.
    static const GLubyte kNoBits[4] = {};
    base = glGenLists(kGlyphCount);
    const GlyphSet* set = findSet(fonts, pixelHeight);
    if (set == nullptr || !set->ok) return;
    for (int k = 0; k < kGlyphCount; ++k) {
        const Glyph& glyph = set->glyphs[static_cast<std::size_t>(k)];
        glNewList(base + static_cast<GLuint>(k), GL_COMPILE);
        glBitmap(glyph.width, glyph.rows, glyph.originX, glyph.originY, glyph.advance, 0.0f,
                 glyph.bits.empty() ? kNoBits : glyph.bits.data());
        glEndList();
    }
}

std::string drawableBytes(const std::string& text) {
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= kFirstGlyph && byte < kFirstGlyph + kGlyphCount) kept.push_back(c);
    }
    return kept;
}

void drawText(FontLists base, const std::string& text) {
    std::string bytes = drawableBytes(text);
    glPushAttrib(GL_LIST_BIT);
    glListBase(base - kFirstGlyph);
    glCallLists(static_cast<GLsizei>(bytes.size()), GL_UNSIGNED_BYTE, bytes.data());
    glPopAttrib();
}
