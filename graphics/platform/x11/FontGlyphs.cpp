// Text through FreeType for the Linux editor: Liberation Sans (Arial's metrics, so the panel's
// texts take the room they take on Windows), DejaVu Sans where Liberation is missing. The
// font files are looked for at Debian's paths and then under the usual font folders; without
// any, the raster keeps its built-in bitmap font. Cell height and ascent follow GDI: the
// requested character height is the em size, the cell is the font's Windows ascent plus
// descent at that size.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <dirent.h>
#include <sys/stat.h>

#include <cmath>
#include <string>

#include "graphics/platform/raster/Font.h"
#include "graphics/platform/x11/X11Window.h"

namespace platform {
namespace x11 {
namespace {

const char* const kFontFolders[] = {"/usr/share/fonts", "/usr/local/share/fonts"};
const char* const kRegularFiles[] = {"LiberationSans-Regular.ttf", "DejaVuSans.ttf"};
const char* const kBoldFiles[] = {"LiberationSans-Bold.ttf", "DejaVuSans-Bold.ttf"};
const char* const kDebianPaths[] = {"/usr/share/fonts/truetype/liberation/",
                                    "/usr/share/fonts/truetype/liberation2/",
                                    "/usr/share/fonts/truetype/dejavu/"};

bool isFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Looks for a file of that name below `folder`, a few levels deep.
std::string search(const std::string& folder, const char* name, int depth) {
    if (depth < 0) return "";
    DIR* dir = opendir(folder.c_str());
    if (!dir) return "";
    std::string found;
    while (dirent* entry = readdir(dir)) {
        const std::string entryName = entry->d_name;
        if (entryName == "." || entryName == "..") continue;
        const std::string path = folder + "/" + entryName;
        if (entryName == name && isFile(path)) {
            found = path;
            break;
        }
        struct stat info {};
        if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            found = search(path, name, depth - 1);
            if (!found.empty()) break;
        }
    }
    closedir(dir);
    return found;
}

// The first of the files (in order of preference) found at a Debian path or by searching.
std::string findFont(const char* const* names, size_t count) {
    for (size_t i = 0; i < count; i++) {
        for (const char* prefix : kDebianPaths)
            if (isFile(std::string(prefix) + names[i])) return std::string(prefix) + names[i];
        for (const char* folder : kFontFolders) {
            const std::string found = search(folder, names[i], 4);
            if (!found.empty()) return found;
        }
    }
    return "";
}

// FreeType, opened with the first editor window like XCB (X11Window.h) and kept until the
// plug-in is unloaded: the faces live as long.
#define OSTRAQUELLE_FREETYPE_CALLS(CALL) \
    CALL(FT_Done_Face)                   \
    CALL(FT_Done_FreeType)               \
    CALL(FT_Get_Sfnt_Table)              \
    CALL(FT_Init_FreeType)               \
    CALL(FT_Load_Char)                   \
    CALL(FT_New_Face)                    \
    CALL(FT_Set_Pixel_Sizes)

struct FreeType {
    FreeType() : library("libfreetype.so.6") {
#define OSTRAQUELLE_FREETYPE_BIND(name) library.bind(#name, name);
        OSTRAQUELLE_FREETYPE_CALLS(OSTRAQUELLE_FREETYPE_BIND)
#undef OSTRAQUELLE_FREETYPE_BIND
    }
    RuntimeLibrary library;
#define OSTRAQUELLE_FREETYPE_MEMBER(name) decltype(&::name) name = nullptr;
    OSTRAQUELLE_FREETYPE_CALLS(OSTRAQUELLE_FREETYPE_MEMBER)
#undef OSTRAQUELLE_FREETYPE_MEMBER
};

// Windows draws anti-aliased glyph edges darker (fuller) than FreeType's linear coverage; the
// coverage raised to the power 0.6 comes closest to the Windows panel's text (least squared
// difference over the value displays of its screenshot).
struct CoverageCurve {
    CoverageCurve() {
        for (int i = 0; i < 256; i++)
            table[i] = uint8_t(std::lround(255.0 * std::pow(i / 255.0, 0.6)));
    }
    uint8_t table[256];
};

class FreeTypeGlyphs : public raster::GlyphSource {
public:
    explicit FreeTypeGlyphs(const FreeType& calls) : ft(calls) {}
    ~FreeTypeGlyphs() override {
        if (bold && bold != regular) ft.FT_Done_Face(bold);
        if (regular) ft.FT_Done_Face(regular);
        if (library) ft.FT_Done_FreeType(library);
    }

    bool open() {
        const std::string regularPath = findFont(kRegularFiles, 2);
        if (!ft.library.loaded() || regularPath.empty() || ft.FT_Init_FreeType(&library) != 0)
            return false;
        if (ft.FT_New_Face(library, regularPath.c_str(), 0, &regular) != 0) {
            regular = nullptr;
            return false;
        }
        const std::string boldPath = findFont(kBoldFiles, 2);
        if (boldPath.empty() || ft.FT_New_Face(library, boldPath.c_str(), 0, &bold) != 0)
            bold = regular;  // bold text drawn in the regular weight
        return true;
    }

    bool layout(const LogFontRec& font, const std::string& text, raster::TextImage* out) override {
        FT_Face face = font.lfWeight >= 600 ? bold : regular;
        const int size =
            font.lfHeight < 0 ? -font.lfHeight : (font.lfHeight > 0 ? font.lfHeight : 16);
        if (!face || size > 512 || ft.FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0) return false;

        // GDI's cell: the Windows ascent and descent of the font, scaled to the em size.
        int ascent, descent;
        const auto* os2 = static_cast<const TT_OS2*>(ft.FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        const double scale = double(size) / double(face->units_per_EM);
        if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
            ascent = int(std::lround(os2->usWinAscent * scale));
            descent = int(std::lround(os2->usWinDescent * scale));
        } else {
            ascent = int(face->size->metrics.ascender >> 6);
            descent = int(-face->size->metrics.descender >> 6);
        }

        // First pass: the advances give the width of the line.
        int width = 0;
        for (unsigned char c : text) {
            if (ft.FT_Load_Char(face, c, FT_LOAD_DEFAULT) != 0) continue;
            width += int((face->glyph->advance.x + 32) >> 6);
        }
        out->width = width;
        out->height = ascent + descent;
        out->ascent = ascent;
        out->coverage.assign(size_t(out->width) * size_t(out->height), 0);

        // Second pass: each glyph's anti-aliased coverage at its pen position.
        int pen = 0;
        for (unsigned char c : text) {
            if (ft.FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) continue;
            const FT_GlyphSlot glyph = face->glyph;
            const FT_Bitmap& bitmap = glyph->bitmap;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
                for (unsigned row = 0; row < bitmap.rows; row++) {
                    const int y = ascent - glyph->bitmap_top + int(row);
                    if (y < 0 || y >= out->height) continue;
                    for (unsigned column = 0; column < bitmap.width; column++) {
                        const int x = pen + glyph->bitmap_left + int(column);
                        if (x < 0 || x >= out->width) continue;
                        const uint8_t value =
                            curve.table[bitmap.buffer[row * unsigned(bitmap.pitch) + column]];
                        uint8_t& cell = out->coverage[size_t(y) * out->width + x];
                        if (value > cell) cell = value;
                    }
                }
            }
            pen += int((glyph->advance.x + 32) >> 6);
        }
        if (font.lfUnderline && ascent + 1 < out->height)
            for (int x = 0; x < out->width; x++)
                out->coverage[size_t(ascent + 1) * out->width + x] = 255;
        return true;
    }

private:
    const FreeType& ft;
    FT_Library library = nullptr;
    FT_Face regular = nullptr;
    FT_Face bold = nullptr;
    CoverageCurve curve;
};

}  // namespace

void installFontGlyphs() {
    // Once per process: the faces stay loaded until the plug-in is unloaded (the library, made
    // first, is closed after them).
    static bool tried = false;
    if (tried) return;
    tried = true;
    static FreeType freeType;
    static FreeTypeGlyphs glyphs(freeType);
    if (glyphs.open()) raster::setGlyphSource(&glyphs);
}

}  // namespace x11
}  // namespace platform
