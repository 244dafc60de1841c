// Text: the text state and the character operations, upright, clipped and
// turned by quarter turns, with slant and bold. Glyphs come from the
// rasteriser one at a time through the 32 x 32 scratch; a cache keeps each
// glyph's ink as row bit masks, built from the scratch exactly as an uncached
// glyph is read, so both give the same pixels.
#include <cstdint>
#include <unordered_map>

#include "platform/backend.h"
#include "ztl_internal.h"

int ztl_text_size = 0;
int ztl_half_advance = 0;
int ztl_text_attributes = 0;

namespace {

// Ink of one glyph: bit c of rows[r] is set when scratch pixel (c, r) is ink.
struct glyph_mask {
    uint32_t rows[ZTL_SCRATCH_SIZE];
};

constexpr size_t CACHE_LIMIT = 8192;  // a few sizes of the game's character set
std::unordered_map<uint64_t, glyph_mask> cache;
int cache_on = 1;

glyph_mask mask_from_scratch(int rows, int columns) {
    glyph_mask m = {};
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            if (ztl_text_scratch[r * ZTL_SCRATCH_SIZE + c] != 0) m.rows[r] |= 1u << c;
    return m;
}

// The glyph's ink within its S x C cell, as far as the scratch holds it. The
// cell width follows from code and size, so those two make the cache key.
glyph_mask glyph_for(int code, int size, int cell_width) {
    uint64_t key = (static_cast<uint64_t>(static_cast<uint32_t>(code)) << 32) | static_cast<uint32_t>(size);
    if (cache_on) {
        auto hit = cache.find(key);
        if (hit != cache.end()) return hit->second;
    }
    int rendered = ztl_font_render(code, size, cell_width, ztl_text_scratch);
    glyph_mask m = mask_from_scratch(size < ZTL_SCRATCH_SIZE ? size : ZTL_SCRATCH_SIZE,
                                     cell_width < ZTL_SCRATCH_SIZE ? cell_width : ZTL_SCRATCH_SIZE);
    // Without a font nothing is kept, so a font found later is used at once.
    if (cache_on && rendered) {
        if (cache.size() >= CACHE_LIMIT) cache.clear();
        cache.emplace(key, m);
    }
    return m;
}

struct clip_rect {
    int left, top, right, bottom;
};

inline void plot(int x, int y, const clip_rect* clip) {
    if (clip != nullptr && (x < clip->left || x >= clip->right || y < clip->top || y >= clip->bottom))
        return;
    ztl_draw_pixel(x, y);
}

// Draws the glyph's ink at (x, y), turned by direction quarter turns
// counter-clockwise; returns the X of the cell (x + 1, or x for a half turn).
int draw_glyph(int x, int y, int code, int direction, const clip_rect* clip) {
    if (direction < 0 || direction > 3) direction = 0;
    int S = ztl_text_size;
    int X = direction == 2 ? x : x + 1;
    if (S <= 0) return X;
    int cell = code > 255 ? S : ztl_half_advance;
    // Sizes above the scratch keep only its 32 x 32 corner of the glyph.
    int rows = S < ZTL_SCRATCH_SIZE ? S : ZTL_SCRATCH_SIZE;
    glyph_mask m = glyph_for(code, S, cell);
    int k = (ztl_text_attributes & ZTL_FONT_SLANT) ? 64 : 0;
    bool bold = (ztl_text_attributes & ZTL_FONT_BOLD) != 0;
    for (int r = 0; r < rows; ++r) {
        // The slant moves upper rows right by a quarter pixel per row; the
        // shift rounds down, also for cells left of the target.
        int shift = static_cast<int>((static_cast<long>(S - 1 - r) * k + static_cast<long>(X) * 256) >> 8);
        for (uint32_t bits = m.rows[r]; bits != 0; bits &= bits - 1) {
            int u = __builtin_ctz(bits) + shift;
            int v = u - X;
            switch (direction) {
                case 1:
                    plot(X + r, y + S - v, clip);
                    if (bold) plot(X + r, y + S - v - 1, clip);
                    break;
                case 2:
                    plot(X + S - v, y + S - r, clip);
                    if (bold) plot(X + S - v - 1, y + S - r, clip);
                    break;
                case 3:
                    plot(X + S - r, y + v, clip);
                    if (bold) plot(X + S - r, y + v + 1, clip);
                    break;
                default:
                    plot(u, y + r, clip);
                    if (bold) plot(u + 1, y + r, clip);
                    break;
            }
        }
    }
    return X;
}

void mark_cell(int X, int y) {
    ztl_mark_dirty(X, y);
    ztl_mark_dirty(X + ztl_text_size - 1, y + ztl_text_size - 1);
}

}  // namespace

void ztl_glyph_cache_enable(int on) {
    std::lock_guard lock(ztl_mutex);
    cache_on = on;
    cache.clear();
}

void ztl_set_font(int size, int attrs) {
    std::lock_guard lock(ztl_mutex);
    ztl_text_size = size;
    ztl_half_advance = size / 2;
    ztl_text_attributes = attrs;
}

int ztl_font_size() {
    std::lock_guard lock(ztl_mutex);
    return ztl_text_size;
}

int ztl_char_width() {
    std::lock_guard lock(ztl_mutex);
    return ztl_text_size;
}

void ztl_draw_char_held(int x, int y, int code) { mark_cell(draw_glyph(x, y, code, 0, nullptr), y); }

void ztl_draw_char(int x, int y, int code) {
    std::lock_guard lock(ztl_mutex);
    ztl_draw_char_held(x, y, code);
}

void ztl_draw_char_turned(int x, int y, int code, int direction) {
    std::lock_guard lock(ztl_mutex);
    mark_cell(draw_glyph(x, y, code, direction, nullptr), y);
}

void ztl_draw_char_clipped(int x, int y, int code, int left, int top, int right, int bottom) {
    std::lock_guard lock(ztl_mutex);
    clip_rect clip = {left, top, right, bottom};
    draw_glyph(x, y, code, 0, &clip);
    ztl_mark_dirty(left, top);
    ztl_mark_dirty(right - 1, bottom - 1);
}

void ztl_draw_text(int x, int y, const char* text) {
    if (text == nullptr) return;
    std::lock_guard lock(ztl_mutex);
    for (const auto* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        if (ztl_is_lead_byte(*p)) {
            if (p[1] == 0) break;
            ztl_draw_char_held(x, y, p[0] * 256 + p[1]);
            ++p;
            x += ztl_text_size;
        } else {
            ztl_draw_char_held(x, y, *p);
            x += ztl_half_advance;
        }
    }
}
