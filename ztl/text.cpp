// Text: the text state and the character operations, upright, clipped and
// turned by quarter turns, with slant and bold. Glyphs come from the
// rasteriser one at a time through the 32 x 32 scratch; a cache keeps each
// glyph's ink as row bit masks, built from the scratch exactly as an uncached
// glyph is read, so both give the same pixels.
#include <algorithm>
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
long rasteriser_calls = 0;

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
    ++rasteriser_calls;
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

// Where a character may draw: the target, cut by a clip rectangle; right and
// bottom exclusive. Wide integers throughout, as cells of huge text sizes lie
// far beyond any target.
struct window {
    long long left, top, right, bottom;
};

struct spot {
    long long x, y;
};

window drawable_window(const clip_rect* clip) {
    window w = {0, 0, ztl_target->width, ztl_target->height};
    if (clip != nullptr) {
        w.left = std::max<long long>(w.left, clip->left);
        w.top = std::max<long long>(w.top, clip->top);
        w.right = std::min<long long>(w.right, clip->right);
        w.bottom = std::min<long long>(w.bottom, clip->bottom);
    }
    return w;
}

bool in_window(const window& w, spot p) {
    return p.x >= w.left && p.x < w.right && p.y >= w.top && p.y < w.bottom;
}

// Whether the rectangle with corners a and b, in either order, meets the window.
bool meets(const window& w, spot a, spot b) {
    return std::max(a.x, b.x) >= w.left && std::min(a.x, b.x) < w.right && std::max(a.y, b.y) >= w.top &&
           std::min(a.y, b.y) < w.bottom;
}

// Where the ink of glyph row r, column v lands for a cell at (X, y) of size S
// turned by direction quarter turns counter-clockwise; v counts from X with the
// slant included, and the bold pixel is the one at v + 1.
spot place(int direction, long long X, long long y, long long S, long long r, long long v) {
    switch (direction) {
        case 1: return {X + r, y + S - v};
        case 2: return {X + S - v, y + S - r};
        case 3: return {X + S - r, y + v};
        default: return {X + v, y + r};
    }
}

// A pixel of a cell that lies wholly inside the window needs no test of its own.
void plot(const window& w, bool cell_inside, spot p) {
    if (cell_inside || in_window(w, p)) ztl_draw_pixel(static_cast<int>(p.x), static_cast<int>(p.y));
}

// Draws the glyph's ink at (x, y), turned by direction quarter turns
// counter-clockwise; returns the X of the cell (x + 1, or x for a half turn).
// A cell that cannot reach the target is not even rasterised.
long long draw_glyph(int x, int y, int code, int direction, const clip_rect* clip) {
    if (direction < 0 || direction > 3) direction = 0;
    int S = ztl_text_size;
    long long X = direction == 2 ? x : x + 1LL;
    if (S <= 0) return X;
    int cell = code > 255 ? S : ztl_half_advance;
    // Sizes above the scratch keep only its 32 x 32 corner of the glyph.
    int rows = std::min(S, ZTL_SCRATCH_SIZE);
    int columns = std::min(cell, ZTL_SCRATCH_SIZE);
    int k = (ztl_text_attributes & ZTL_FONT_SLANT) ? 64 : 0;
    bool bold = (ztl_text_attributes & ZTL_FONT_BOLD) != 0;
    // The furthest column ink can reach: the cell, the top row's slant, bold.
    long long last_v = columns - 1 + (S - 1LL) * k / 256 + (bold ? 1 : 0);
    window w = drawable_window(clip);
    spot first = place(direction, X, y, S, 0, 0), last = place(direction, X, y, S, rows - 1, last_v);
    if (columns <= 0 || !meets(w, first, last)) return X;
    bool inside = in_window(w, first) && in_window(w, last);
    glyph_mask m = glyph_for(code, S, cell);
    for (int r = 0; r < rows; ++r) {
        // The slant moves upper rows right by a quarter pixel per row, rounded down.
        long long slant = (S - 1LL - r) * k / 256;
        for (uint32_t bits = m.rows[r]; bits != 0; bits &= bits - 1) {
            long long v = __builtin_ctz(bits) + slant;
            plot(w, inside, place(direction, X, y, S, r, v));
            if (bold) plot(w, inside, place(direction, X, y, S, r, v + 1));
        }
    }
    return X;
}

void mark_cell(long long X, int y) {
    long long far = ztl_text_size - 1LL;
    ztl_mark_dirty(ztl_clamp_to_int(X), y);
    ztl_mark_dirty(ztl_clamp_to_int(X + far), ztl_clamp_to_int(y + far));
}

}  // namespace

void ztl_glyph_cache_enable(int on) {
    std::lock_guard lock(ztl_mutex);
    cache_on = on;
    cache.clear();
}

long ztl_glyph_rasteriser_calls() {
    std::lock_guard lock(ztl_mutex);
    return rasteriser_calls;
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
    long long pen = x;
    const auto* next = reinterpret_cast<const unsigned char*>(text);
    for (int code = ztl_next_char(&next); code >= 0; code = ztl_next_char(&next)) {
        ztl_draw_char_held(ztl_clamp_to_int(pen), y, code);
        // A cell that starts past the right edge draws nothing, and so do the
        // ones after it, whose dirty marks clamp to the same two corners.
        if (pen + 1 >= ztl_target->width && ztl_text_size >= 0) break;
        pen += code > 255 ? ztl_text_size : ztl_half_advance;
    }
}
