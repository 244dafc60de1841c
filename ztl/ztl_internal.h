// Library-internal state of ZTL, shared by the core files and the frame side.
// Everything here is guarded by ztl_mutex; functions ending in _held expect the
// caller to hold it already (public operations lock once and call these).
#pragma once

#include <algorithm>
#include <climits>
#include <mutex>

#include "ztl.h"

// The one library mutex: drawing state, window image, input queue, pen state
// and the pen-area tree. The frame side pairs it with its condition variable.
extern std::mutex ztl_mutex;

// Set at the end of ztl_init; the window is not painted before.
extern int ztl_initialised;

// --- drawing state -------------------------------------------------------

constexpr int ZTL_TARGET_STACK_SIZE = 32;

extern ztl_image* ztl_target;     // current drawing target
extern int ztl_target_offset_x;   // origin of the current target on the screen,
extern int ztl_target_offset_y;   // used only for the dirty rectangle
extern int ztl_color;             // 0..3 level, 4 invert mode
extern unsigned char ztl_fill_byte;

// Dirty rectangle in physical-screen pixels.
struct ztl_dirty_rect {
    int min_x, max_x, min_y, max_y;
    int non_empty;
};
extern ztl_dirty_rect ztl_dirty;

// Records (x, y), in current-target coordinates, in the dirty rectangle when
// the current target is the screen or a view of it; a point beyond the target
// counts as the nearest point on its edge.
void ztl_mark_dirty(int x, int y);

// Text state: size S (advance of a double-byte character), half advance S / 2
// (single-byte characters), attribute bits.
extern int ztl_text_size;
extern int ztl_half_advance;
extern int ztl_text_attributes;

// Coordinates and cursors worked out in wide integers (cells of huge text
// sizes) are handed on limited to the int range; a limited point stays on its
// side of any target, where drawing and dirty marks clamp it anyway.
inline int ztl_clamp_to_int(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

// Whether a Shift-JIS byte starts a double-byte character.
inline bool ztl_is_lead_byte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The next character of Shift-JIS text, *p moved past it: a single byte's
// code, or a double-byte character as lead * 256 + trail. -1 at the end of
// the text, and at a lead byte that the text ends after.
inline int ztl_next_char(const unsigned char** p) {
    const unsigned char* b = *p;
    if (b[0] == 0) return -1;
    if (!ztl_is_lead_byte(b[0])) {
        *p = b + 1;
        return b[0];
    }
    if (b[1] == 0) return -1;
    *p = b + 2;
    return b[0] * 256 + b[1];
}

// --- window image and text scratch -----------------------------------------

// What the window shows: one grey intensity byte per pixel, top-down.
extern unsigned char ztl_window_image[ZTL_SCREEN_HEIGHT * ZTL_SCREEN_WIDTH];

constexpr int ZTL_SCRATCH_SIZE = 32;
// One glyph at a time, one byte per pixel, non-zero = ink.
extern unsigned char ztl_text_scratch[ZTL_SCRATCH_SIZE * ZTL_SCRATCH_SIZE];

// --- operations for callers that hold the mutex ---------------------------

void ztl_refresh_held();
void ztl_target_push_held(ztl_image* image);
void ztl_target_pop_held();
void ztl_set_color_held(int color);
void ztl_fill_rect_held(int x, int y, int w, int h);
void ztl_box_held(int x, int y, int w, int h);
void ztl_clear_held();
void ztl_copy_held(ztl_image* dst, int dx, int dy, ztl_image* src, int sx, int sy, int w, int h,
                   int mode);
void ztl_draw_char_held(int x, int y, int code);
ztl_image* ztl_image_view_held(ztl_image* parent, int x, int y, int w, int h, ztl_image* record);

// One pixel of the current target by the pixel rule (clipped, current colour
// or inversion), without marking dirty: the text rasteriser's primitive.
void ztl_draw_pixel(int x, int y);

// Memory for images and panels. Tests make the next n requests fail to
// check that every caller copes with a failed allocation.
void* ztl_alloc(unsigned long bytes);
void ztl_fail_next_allocations(int n);
void ztl_fail_allocations(int skip, int n);  // the n requests after the next skip

// Inverts a rectangle of physical_screen (pressed pen area) whatever the
// current target, colour and offset are, restores them, and refreshes.
void ztl_invert_screen_rect_held(int x, int y, int w, int h);

// Glyph cache switch, for tests that compare cached and uncached pixels.
void ztl_glyph_cache_enable(int on);
// Glyphs rasterised so far, for tests that check which characters need one.
long ztl_glyph_rasteriser_calls();

// Copies text into destination (size bytes with the terminating NUL), cut
// to fit, with cut_as_sjis at a Shift-JIS character boundary. 1 when the
// whole text fitted, 0 when it was cut or there is no room at all.
int ztl_copy_text(char* destination, int size, const char* text, int cut_as_sjis);

// --- frame side -------------------------------------------------------------

// input.cpp: root pen area, pen position (0, 0); called by ztl_init under the mutex.
void ztl_input_init_held();

// Shutdown: frees the screen's pixel block (window thread, after the
// application thread is stopped).
void ztl_screen_shutdown();
