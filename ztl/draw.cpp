// Drawing: colours and invert mode, pixels, spans, lines, boxes, filled
// rectangles, clear, images and views, and rectangle copies.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "ztl_internal.h"

int ztl_color = 3;
unsigned char ztl_fill_byte = 0xFF;

namespace {

int allocations_to_pass = 0;  // then allocations_to_fail requests fail
int allocations_to_fail = 0;

inline unsigned char* byte_at(const ztl_image* image, int x, int y) {
    return image->pixels + static_cast<long>(y) * image->bytes_per_line + (x >> 2);
}

inline int level_at(const ztl_image* image, int x, int y) {
    return (*byte_at(image, x, y) >> (2 * (x & 3))) & 3;
}

inline bool inside(const ztl_image* image, int x, int y) {
    return x >= 0 && y >= 0 && x < image->width && y < image->height;
}

// Level of a pixel that is known to lie inside the image.
inline void store_level(ztl_image* image, int x, int y, int level) {
    unsigned char* b = byte_at(image, x, y);
    int shift = 2 * (x & 3);
    *b = static_cast<unsigned char>((*b & ~(3 << shift)) | (level << shift));
}

inline bool inverting() { return ztl_color == ZTL_INVERT; }

// Sets count whole bytes of a row from byte first to the fill byte, or inverts them.
void fill_bytes(unsigned char* row, int first, int count) {
    if (inverting()) {
        for (int i = 0; i < count; ++i) row[first + i] ^= 0xFF;
    } else {
        std::memset(row + first, ztl_fill_byte, static_cast<size_t>(count));
    }
}

// Horizontal span a..b on row y; returns 0 only when it lies wholly left or
// right of the target.
int draw_span(int a, int b, int y) {
    ztl_image* t = ztl_target;
    if (a > b) std::swap(a, b);
    if (b < 0 || a > t->width - 1) return 0;
    if (y < 0 || y >= t->height) return 1;
    if (a < 0) a = 0;
    if (b > t->width - 1) b = t->width - 1;
    while (a <= b && (a & 3) != 0) ztl_draw_pixel(a++, y);
    int whole = (b - a + 1) >> 2;
    if (whole > 0) {
        fill_bytes(byte_at(t, 0, y), a >> 2, whole);
        a += 4 * whole;
    }
    while (a <= b) ztl_draw_pixel(a++, y);
    return 1;
}

// Bresenham along the major axis (the minor one steps at most once a pixel),
// with the tie rule: at e = 0 the minor coordinate steps only when the major
// direction is positive. major and minor point at x and y, in either order.
void walk_line(int* x, int* y, int* major, int major_end, int major_step, int major_span, int* minor,
               int minor_step, int minor_span) {
    int e = minor_span - (major_span >> 1);
    while (*major != major_end) {
        ztl_draw_pixel(*x, *y);
        if (e > 0 || (e == 0 && major_step == 1)) {
            *minor += minor_step;
            e -= major_span;
        }
        *major += major_step;
        e += minor_span;
    }
}

void draw_sloped_line(int x1, int y1, int x2, int y2) {
    int dx = x2 - x1, dy = y2 - y1;
    int ax = 2 * std::abs(dx), ay = 2 * std::abs(dy);
    int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    int x = x1, y = y1;
    if (ax > ay)
        walk_line(&x, &y, &x, x2, sx, ax, &y, sy, ay);
    else
        walk_line(&x, &y, &y, y2, sy, ay, &x, sx, ax);
    ztl_draw_pixel(x2, y2);
}

int line_held(int x1, int y1, int x2, int y2) {
    if (y1 == y2) return draw_span(x1, x2, y1);
    draw_sloped_line(x1, y1, x2, y2);
    return 1;
}

void mark_two(int x1, int y1, int x2, int y2) {
    ztl_mark_dirty(x1, y1);
    ztl_mark_dirty(x2, y2);
}

// --- copy -----------------------------------------------------------------

inline int wrap(int v, int n) {
    int r = v % n;
    return r < 0 ? r + n : r;
}

// The part of a copy that is actually read and written.
struct copy_plan {
    ztl_image* dst;
    ztl_image* src;
    int dx, dy, sx, sy;  // first pixel written and its source
    int w, h;            // clipped size (0 or less: nothing to do)
    int mode;
};

// Limits the rectangle to the destination and, without wrapping, to the
// source (pixels outside the source are never read).
copy_plan clip_copy(ztl_image* dst, int dx, int dy, ztl_image* src, int sx, int sy, int w, int h,
                    int mode) {
    bool wrapping = (mode & ZTL_COPY_WRAP) != 0;
    int j0 = 0, i0 = 0, j1 = w, i1 = h;
    if (dx + j0 < 0) j0 = -dx;
    if (dy + i0 < 0) i0 = -dy;
    if (dx + j1 > dst->width) j1 = dst->width - dx;
    if (dy + i1 > dst->height) i1 = dst->height - dy;
    if (!wrapping) {
        if (sx + j0 < 0) j0 = -sx;
        if (sy + i0 < 0) i0 = -sy;
    }
    return {dst, src, dx + j0, dy + i0, sx + j0, sy + i0, j1 - j0, i1 - i0, mode};
}

// Whether the rows of the plan must run bottom-up: the destination lies after
// its source in the same memory, so a top-down copy would read written rows.
bool copy_bottom_up(const copy_plan& p) {
    auto d = reinterpret_cast<uintptr_t>(byte_at(p.dst, p.dx, p.dy));
    auto s = reinterpret_cast<uintptr_t>(byte_at(p.src, p.sx, p.sy));
    return d > s;
}

std::vector<unsigned char> row_levels;  // one row of a copy, read before it is written

// Pixel by pixel; each source row is read whole before its row is written.
void copy_pixels(const copy_plan& p) {
    bool wrapping = (p.mode & ZTL_COPY_WRAP) != 0;
    bool transparent = (p.mode & ZTL_COPY_TRANSPARENT) != 0;
    int clear_level = p.mode & 3;
    row_levels.resize(static_cast<size_t>(p.w));
    bool up = copy_bottom_up(p);
    for (int n = 0; n < p.h; ++n) {
        int i = up ? p.h - 1 - n : n;
        int sy = wrapping ? wrap(p.sy + i, p.src->height) : p.sy + i;
        for (int j = 0; j < p.w; ++j) {
            int sx = wrapping ? wrap(p.sx + j, p.src->width) : p.sx + j;
            row_levels[static_cast<size_t>(j)] = static_cast<unsigned char>(level_at(p.src, sx, sy));
        }
        for (int j = 0; j < p.w; ++j) {
            int level = row_levels[static_cast<size_t>(j)];
            if (transparent && level == clear_level) continue;
            store_level(p.dst, p.dx + j, p.dy + i, level);
        }
    }
}

std::vector<unsigned char> source_bytes;  // the source bytes gather_row reads, 0 beyond the row

// Re-packs one source row at the destination's pixel phase: out[b] holds the
// source pixels that land in destination byte b of the row. Bytes outside the
// source row read as 0; they only feed pixels that the masks drop.
void gather_row(const copy_plan& p, const unsigned char* row, int bytes, unsigned char* out) {
    int first_src = p.sx >> 2, last_src = (p.sx + p.w - 1) >> 2;
    int q0 = (p.dx >> 2) * 4 + (p.sx - p.dx);  // source pixel of the first byte's first place
    int k0 = q0 >> 2, shift = 2 * (q0 & 3);
    source_bytes.assign(static_cast<size_t>(bytes) + 1, 0);
    int from = std::max(k0, first_src), to = std::min(k0 + bytes, last_src);
    if (from <= to) std::memcpy(source_bytes.data() + (from - k0), row + from, static_cast<size_t>(to - from + 1));
    const unsigned char* in = source_bytes.data();
    for (int b = 0; b < bytes; ++b)
        out[b] = static_cast<unsigned char>((in[b] | (in[b + 1] << 8)) >> shift);
}

// Whole bytes between a masked first and last byte. With equal pixel phases
// the source row is used as it lies; otherwise it is re-packed first, which
// also reads the whole row before the destination row is written.
void copy_bytes(const copy_plan& p) {
    int end = p.dx + p.w;  // one past the last destination pixel
    int bytes = ((end - 1) >> 2) - (p.dx >> 2) + 1;
    unsigned char head_mask = static_cast<unsigned char>(0xFF << (2 * (p.dx & 3)));
    unsigned char tail_mask = (end & 3) ? static_cast<unsigned char>(0xFF >> (8 - 2 * (end & 3))) : 0xFF;
    unsigned char first_mask = bytes == 1 ? (head_mask & tail_mask) : head_mask;
    bool same_phase = (p.sx & 3) == (p.dx & 3);
    if (!same_phase) row_levels.resize(static_cast<size_t>(bytes));
    bool up = copy_bottom_up(p);
    for (int n = 0; n < p.h; ++n) {
        int i = up ? p.h - 1 - n : n;
        const unsigned char* s = byte_at(p.src, p.sx, p.sy + i);
        if (!same_phase) {
            gather_row(p, p.src->pixels + static_cast<long>(p.sy + i) * p.src->bytes_per_line, bytes,
                       row_levels.data());
            s = row_levels.data();
        }
        unsigned char* d = byte_at(p.dst, p.dx, p.dy + i);
        unsigned char head = s[0], tail = s[bytes - 1];
        if (bytes > 2) std::memmove(d + 1, s + 1, static_cast<size_t>(bytes - 2));
        if (bytes > 1) d[bytes - 1] = static_cast<unsigned char>((d[bytes - 1] & ~tail_mask) | (tail & tail_mask));
        d[0] = static_cast<unsigned char>((d[0] & ~first_mask) | (head & first_mask));
    }
}

// Bytes from an image's first pixel to the last byte of its last row.
long pixel_span(const ztl_image* image) {
    if (image->width <= 0 || image->height <= 0) return 0;
    return static_cast<long>(image->height - 1) * image->bytes_per_line + (image->width + 3) / 4;
}

bool share_pixels(const ztl_image* a, const ztl_image* b) {
    return a->pixels < b->pixels + pixel_span(b) && b->pixels < a->pixels + pixel_span(a);
}

std::vector<unsigned char> snapshot_bytes;  // a tiling source that the copy writes over

// A tiling copy may read any source row after writing it; reading a snapshot
// instead makes it as if the whole source were read before any pixel is written.
ztl_image* tiling_source(ztl_image* src, const ztl_image* dst, ztl_image* snapshot) {
    if (!share_pixels(src, dst)) return src;
    long span = pixel_span(src);
    snapshot_bytes.assign(src->pixels, src->pixels + span);
    *snapshot = *src;
    snapshot->pixels = snapshot_bytes.data();
    return snapshot;
}

}  // namespace

// --- primitives shared with the text rasteriser ------------------------------

void ztl_draw_pixel(int x, int y) {
    ztl_image* t = ztl_target;
    if (!inside(t, x, y)) return;
    if (inverting())
        store_level(t, x, y, 3 - level_at(t, x, y));
    else
        store_level(t, x, y, ztl_color & 3);
}

void* ztl_alloc(unsigned long bytes) {
    if (allocations_to_pass > 0) {
        --allocations_to_pass;
    } else if (allocations_to_fail > 0) {
        --allocations_to_fail;
        return nullptr;
    }
    return std::malloc(bytes > 0 ? bytes : 1);
}

void ztl_fail_allocations(int skip, int n) {
    allocations_to_pass = skip;
    allocations_to_fail = n;
}

void ztl_fail_next_allocations(int n) { ztl_fail_allocations(0, n); }

// --- colour and pixels ------------------------------------------------------

void ztl_set_color_held(int color) {
    ztl_color = color;
    ztl_fill_byte = static_cast<unsigned char>((color & 3) * 0x55);
}

void ztl_set_color(int color) {
    std::lock_guard lock(ztl_mutex);
    ztl_set_color_held(color);
}

void ztl_pset(int x, int y) {
    std::lock_guard lock(ztl_mutex);
    ztl_draw_pixel(x, y);
    mark_two(x, y, x - 1, y - 1);
}

void ztl_pset_color(int x, int y, int color) {
    std::lock_guard lock(ztl_mutex);
    if (color >= 0 && inside(ztl_target, x, y)) store_level(ztl_target, x, y, color & 3);
    mark_two(x, y, x - 1, y - 1);
}

int ztl_pget(int x, int y) {
    std::lock_guard lock(ztl_mutex);
    return inside(ztl_target, x, y) ? level_at(ztl_target, x, y) : 0;
}

// --- lines and rectangles ---------------------------------------------------

int ztl_line(int x1, int y1, int x2, int y2) {
    std::lock_guard lock(ztl_mutex);
    int drawn = line_held(x1, y1, x2, y2);
    mark_two(x1, y1, x2 - 1, y2 - 1);
    return drawn;
}

void ztl_box_held(int x, int y, int w, int h) {
    int right = x + w - 1, bottom = y + h - 1;
    line_held(x, y, x, bottom);
    line_held(right, y, right, bottom);
    draw_span(x, right, y);
    draw_span(x, right, bottom);
    mark_two(x, y, right, bottom);
}

void ztl_box(int x, int y, int w, int h) {
    std::lock_guard lock(ztl_mutex);
    ztl_box_held(x, y, w, h);
}

void ztl_fill_rect_held(int x, int y, int w, int h) {
    int right = ztl_clamp_to_int(x + (w - 1LL)), bottom = ztl_clamp_to_int(y + (h - 1LL));
    // Only the rows on the target: a text cell of a huge size is mostly off it.
    long long first = std::max(0LL, -static_cast<long long>(y));
    long long end = std::min(static_cast<long long>(h), static_cast<long long>(ztl_target->height) - y);
    for (long long i = first; i < end; ++i) draw_span(x, right, static_cast<int>(y + i));
    mark_two(x, y, right, bottom);
}

void ztl_fill_rect(int x, int y, int w, int h) {
    std::lock_guard lock(ztl_mutex);
    ztl_fill_rect_held(x, y, w, h);
}

void ztl_invert_screen_rect_held(int x, int y, int w, int h) {
    int saved_color = ztl_color;
    int saved_x = ztl_target_offset_x, saved_y = ztl_target_offset_y;
    ztl_target_offset_x = ztl_target_offset_y = 0;
    ztl_target_push_held(&physical_screen);
    ztl_set_color_held(ZTL_INVERT);
    ztl_fill_rect_held(x, y, w, h);
    ztl_set_color_held(saved_color);
    ztl_target_pop_held();
    ztl_target_offset_x = saved_x;
    ztl_target_offset_y = saved_y;
    ztl_refresh_held();
}

void ztl_clear_held() {
    ztl_image* t = ztl_target;
    // Only whole bytes: the pixels of a last, partly used byte stay.
    int whole = t->width >> 2;
    for (int y = 0; y < t->height && whole > 0; ++y) fill_bytes(byte_at(t, 0, y), 0, whole);
    mark_two(0, 0, t->width - 1, t->height - 1);
}

void ztl_clear() {
    std::lock_guard lock(ztl_mutex);
    ztl_clear_held();
}

// --- images -----------------------------------------------------------------

ztl_image* ztl_image_new(int w, int h, unsigned char* block) {
    if (w < 0 || h < 0) return nullptr;
    int bytes_per_line = (w + 3) / 4;
    unsigned long bytes = static_cast<unsigned long>(bytes_per_line) * static_cast<unsigned long>(h);
    auto* image = static_cast<ztl_image*>(ztl_alloc(sizeof(ztl_image)));
    if (image == nullptr) return nullptr;
    uint32_t flags = ZTL_IMAGE_OWNS_RECORD;
    if (block == nullptr) {
        block = static_cast<unsigned char*>(ztl_alloc(bytes));
        if (block == nullptr) {
            std::free(image);
            return nullptr;
        }
        flags |= ZTL_IMAGE_OWNS_PIXELS;
    }
    std::memset(block, 0, bytes);
    *image = {flags, bytes_per_line, w, h, block};
    return image;
}

ztl_image* ztl_image_view_held(ztl_image* parent, int x, int y, int w, int h, ztl_image* record) {
    if (parent == nullptr) parent = ztl_target;
    uint32_t flags = 0;
    if (record == nullptr) {
        record = static_cast<ztl_image*>(ztl_alloc(sizeof(ztl_image)));
        if (record == nullptr) return nullptr;
        flags = ZTL_IMAGE_OWNS_RECORD;
    }
    // A view never reaches beyond its parent: drawing into it could otherwise
    // run into the next row or past the end of the parent's block.
    int left = x & ~3;
    if (x < 0 || y < 0 || left >= parent->width || y >= parent->height) {
        *record = {flags, parent->bytes_per_line, 0, 0, parent->pixels};
        return record;
    }
    if (w > parent->width - left) w = parent->width - left;
    if (h > parent->height - y) h = parent->height - y;
    *record = {flags, parent->bytes_per_line, w < 0 ? 0 : w, h < 0 ? 0 : h,
               byte_at(parent, x, y)};
    return record;
}

ztl_image* ztl_image_view(ztl_image* parent, int x, int y, int w, int h, ztl_image* record) {
    std::lock_guard lock(ztl_mutex);
    return ztl_image_view_held(parent, x, y, w, h, record);
}

void ztl_image_free(ztl_image* image) {
    if (image == nullptr) return;
    if (image->flags & ZTL_IMAGE_OWNS_PIXELS) std::free(image->pixels);
    if (image->flags & ZTL_IMAGE_OWNS_RECORD) std::free(image);
}

// --- copy -------------------------------------------------------------------

void ztl_copy_held(ztl_image* dst, int dx, int dy, ztl_image* src, int sx, int sy, int w, int h,
                   int mode) {
    if (src == nullptr) src = ztl_target;
    if (dst != nullptr) ztl_target_push_held(dst);
    ztl_image* target = ztl_target;
    if (w < 0 || h < 0) {
        w = src->width - sx;
        h = src->height - sy;
    }
    bool wrapping = (mode & ZTL_COPY_WRAP) != 0;
    if (!wrapping) {
        if (w > src->width - sx) w = src->width - sx;
        if (h > src->height - sy) h = src->height - sy;
    }
    // A wrapping copy from an empty image has nothing to tile.
    bool readable = !wrapping || (src->width > 0 && src->height > 0);
    ztl_image snapshot;
    if (wrapping && readable) src = tiling_source(src, target, &snapshot);
    copy_plan plan = clip_copy(target, dx, dy, src, sx, sy, w, h, mode);
    if (readable && plan.w > 0 && plan.h > 0) {
        bool plain = (mode & (ZTL_COPY_WRAP | ZTL_COPY_TRANSPARENT)) == 0;
        if (plain)
            copy_bytes(plan);
        else
            copy_pixels(plan);
    }
    mark_two(dx, dy, dx + w - 1, dy + h - 1);
    if (dst != nullptr) ztl_target_pop_held();
}

void ztl_copy(ztl_image* dst, int dx, int dy, ztl_image* src, int sx, int sy, int w, int h,
              int mode) {
    std::lock_guard lock(ztl_mutex);
    ztl_copy_held(dst, dx, dy, src, sx, sy, w, h, mode);
}
