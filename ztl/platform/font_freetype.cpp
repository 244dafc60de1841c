// Glyph rasteriser: FreeType in monochrome mode, the face found with
// fontconfig ("monospace:lang=ja", IPAGothic preferred), Shift-JIS codes
// converted to Unicode with iconv (CP932). Shared by every backend.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <iconv.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "backend.h"

namespace {

constexpr int SCRATCH = 32;
constexpr int MAX_RENDER_SIZE = 8 * SCRATCH;
constexpr FcChar32 HIRAGANA_A = 0x3042;  // a face without kana cannot draw the game's texts

FT_Library library = nullptr;
FT_Face face = nullptr;
int face_state = 0;  // 0 not looked for yet, 1 usable, -1 none
std::string face_path_override;
int use_override = 0;
int face_size = -1, face_width = -1;  // size currently set on the face

// Path of the first font fontconfig offers for the pattern that has kana.
std::string find_font_file(const char* pattern_text) {
    std::string path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(pattern_text));
    if (pattern == nullptr) return path;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    FcCharSet* chars = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        FcPatternGetCharSet(match, FC_CHARSET, 0, &chars) == FcResultMatch &&
        FcCharSetHasChar(chars, HIRAGANA_A))
        path = reinterpret_cast<const char*>(file);
    if (match != nullptr) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return path;
}

int open_face(const std::string& path) {
    if (path.empty()) return 0;
    if (library == nullptr && FT_Init_FreeType(&library) != 0) return 0;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        face = nullptr;
        return 0;
    }
    return 1;
}

int ensure_face() {
    if (face_state != 0) return face_state;
    int ok = 0;
    if (use_override) {
        ok = open_face(face_path_override);
    } else if (FcInit()) {
        ok = open_face(find_font_file("IPAGothic:lang=ja")) ||
             open_face(find_font_file("monospace:lang=ja"));
    }
    face_state = ok ? 1 : -1;
    if (!ok)
        std::fprintf(stderr,
                     "ZTL: no usable Japanese font found (install fonts-ipafont-gothic); "
                     "text will not be drawn\n");
    return face_state;
}

// Unicode value of a one- or two-byte Shift-JIS code, or 0 if it has none.
unsigned to_unicode(int code) {
    static iconv_t converter = iconv_open("UTF-32LE", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) return 0;
    char in[2];
    size_t in_left = 0;
    if (code > 255) in[in_left++] = static_cast<char>((code >> 8) & 0xFF);
    in[in_left++] = static_cast<char>(code & 0xFF);
    unsigned char out[8] = {};
    char* in_ptr = in;
    char* out_ptr = reinterpret_cast<char*>(out);
    size_t out_left = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<size_t>(-1) ||
        in_left != 0 || out_left != 4)
        return 0;
    return out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<unsigned>(out[3]) << 24);
}

// Scales the face so the cell is size pixels high and a half-width glyph is
// cell_width wide: the em is size tall and twice the half cell wide.
int set_cell(int size, int cell_width) {
    int half = cell_width;
    if (size == face_size && half == face_width) return 1;
    if (FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(2 * half > 0 ? 2 * half : 1),
                           static_cast<FT_UInt>(size)) != 0)
        return 0;
    face_size = size;
    face_width = half;
    return 1;
}

// Where a glyph box of the given extent starts so that it lies inside room
// pixels: the few glyphs that hinting makes reach past the cell move in.
int fit_into(int start, unsigned extent, int room) {
    int end = start + static_cast<int>(extent);
    if (end > room) start -= end - room;
    return start < 0 ? 0 : start;
}

void blit_mono(const FT_Bitmap& bitmap, int left, int top, unsigned char* scratch) {
    for (unsigned r = 0; r < bitmap.rows; ++r) {
        int y = top + static_cast<int>(r);
        if (y < 0 || y >= SCRATCH) continue;
        const unsigned char* row = bitmap.buffer + static_cast<long>(r) * bitmap.pitch;
        for (unsigned c = 0; c < bitmap.width; ++c) {
            int x = left + static_cast<int>(c);
            if (x < 0 || x >= SCRATCH) continue;
            if (row[c >> 3] & (0x80 >> (c & 7))) scratch[y * SCRATCH + x] = 0xFF;
        }
    }
}

}  // namespace

void ztl_font_use_file(const char* path) {
    if (face != nullptr) FT_Done_Face(face);
    face = nullptr;
    face_state = 0;
    face_size = face_width = -1;
    use_override = path != nullptr;
    face_path_override = path != nullptr ? path : "";
}

int ztl_font_ready() { return ensure_face() > 0; }

int ztl_font_render(int code, int size, int cell_width, unsigned char* scratch) {
    std::memset(scratch, 0, SCRATCH * SCRATCH);
    if (ensure_face() < 0) return 0;
    // Larger glyphs are clipped to the scratch; past this size there is
    // nothing left worth rasterising, only memory and time to spend.
    if (size <= 0 || size > MAX_RENDER_SIZE) return 1;
    unsigned half = static_cast<unsigned>(code > 255 ? size / 2 : cell_width);
    if (!set_cell(size, static_cast<int>(half))) return 1;
    unsigned unicode = to_unicode(code);
    if (unicode == 0) return 1;
    FT_UInt index = FT_Get_Char_Index(face, unicode);
    if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return 1;
    FT_GlyphSlot slot = face->glyph;
    if (slot->bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return 1;
    // Baseline where the face's ascent ends when ascent + descent fill the cell.
    long ascent = face->ascender, depth = face->ascender - face->descender;
    int baseline = depth > 0 ? static_cast<int>((2 * size * ascent + depth) / (2 * depth)) : size;
    int cell = code > 255 ? size : cell_width;
    blit_mono(slot->bitmap, fit_into(slot->bitmap_left, slot->bitmap.width, cell),
              fit_into(baseline - slot->bitmap_top, slot->bitmap.rows, size), scratch);
    return 1;
}
