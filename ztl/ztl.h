// ZTL: the handheld's graphics library as the game sees it. A 640 x 240 screen
// with four grey levels, drawing, Shift-JIS text, text panels, image files, and
// (below, from the frame side) keys, pen areas and timed waits.
//
// Every operation here is called on the application thread unless it says
// otherwise; each takes the library mutex for its whole run.
#pragma once

#include <cstdint>

constexpr int ZTL_SCREEN_WIDTH = 640;
constexpr int ZTL_SCREEN_HEIGHT = 240;
constexpr int ZTL_SCREEN_BYTES_PER_LINE = ZTL_SCREEN_WIDTH / 4;

// ---------------------------------------------------------------------------
// Screen model
// ---------------------------------------------------------------------------

// Flag bits of ztl_image: what the library allocated and frees with it.
constexpr uint32_t ZTL_IMAGE_OWNS_RECORD = 1;
constexpr uint32_t ZTL_IMAGE_OWNS_PIXELS = 2;

// A rectangle of two-bit grey pixels, four to a byte, the leftmost pixel in
// the two lowest bits. Levels: 0 white, 1 light grey, 2 dark grey, 3 black.
struct ztl_image {
    uint32_t flags;
    int32_t bytes_per_line;
    int32_t width;
    int32_t height;
    unsigned char* pixels;
};

// The library's one screen image, 640 x 240 (pixels allocated by ztl_init).
extern ztl_image physical_screen;

int ztl_init();      // sets up the screen; returns 1
void ztl_refresh();  // dirty rectangle of the screen -> window image, repaint
void ztl_exit();     // last library call of the application

// The current drawing target (initially physical_screen) on a 32-entry stack.
void ztl_target_push(ztl_image* image);
void ztl_target_pop();

// ---------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------

constexpr int ZTL_INVERT = 4;  // colour that inverts every pixel drawn

// ztl_copy mode bits; bits 0-1 hold the transparent level.
constexpr int ZTL_COPY_WRAP = 0x100;
constexpr int ZTL_COPY_TRANSPARENT = 0x200;

void ztl_set_color(int color);
void ztl_pset(int x, int y);
void ztl_pset_color(int x, int y, int color);
int ztl_pget(int x, int y);
int ztl_line(int x1, int y1, int x2, int y2);
void ztl_box(int x, int y, int w, int h);
void ztl_fill_rect(int x, int y, int w, int h);
void ztl_clear();

ztl_image* ztl_image_new(int w, int h, unsigned char* block);
ztl_image* ztl_image_view(ztl_image* parent, int x, int y, int w, int h, ztl_image* record);
void ztl_image_free(ztl_image* image);
void ztl_copy(ztl_image* dst, int dx, int dy, ztl_image* src, int sx, int sy, int w, int h,
              int mode);

// ---------------------------------------------------------------------------
// Text
// ---------------------------------------------------------------------------

constexpr int ZTL_FONT_SLANT = 1;
constexpr int ZTL_FONT_BOLD = 2;
constexpr int ZTL_MAX_FONT_SIZE = 32;

void ztl_set_font(int size, int attributes);
int ztl_font_size();
int ztl_char_width();
// A code is a single byte (0..255) or a Shift-JIS pair: lead byte * 256 + trail.
void ztl_draw_char(int x, int y, int code);
void ztl_draw_char_turned(int x, int y, int code, int direction);
void ztl_draw_char_clipped(int x, int y, int code, int left, int top, int right, int bottom);
void ztl_draw_text(int x, int y, const char* text);

// ---------------------------------------------------------------------------
// Text panels
// ---------------------------------------------------------------------------

// Flag bits of ztl_panel.
constexpr int ZTL_PANEL_SAVE = 1;   // save the background at open, restore at close
constexpr int ZTL_PANEL_INSET = 2;  // text area inset by 4 pixels on every side
constexpr int ZTL_PANEL_FRAME = 4;  // with ZTL_PANEL_INSET: clear draws a frame

struct ztl_panel {
    ztl_image* image;  // null: the current drawing target of each operation
    ztl_image* saved;  // the pixels under the panel, or null
    int32_t flags;
    int32_t x, y, w, h;
    int32_t cursor_x, cursor_y;  // relative to the text area
    int32_t line_height;
    int32_t color;  // background level for clearing and character cells
};

ztl_panel* ztl_panel_open(ztl_image* image, int x, int y, int w, int h, int flags);
void ztl_panel_close(ztl_panel* panel);
void ztl_panel_clear(ztl_panel* panel);
void ztl_panel_print(ztl_panel* panel, const char* text, int transparent);
void ztl_panel_locate(ztl_panel* panel, int x, int y);
void ztl_panel_set_color(ztl_panel* panel, int color);
void ztl_panel_put_image(ztl_panel* panel, ztl_image* source, int sx, int sy, int w, int h,
                         int mode);

// ---------------------------------------------------------------------------
// ZTR image files
// ---------------------------------------------------------------------------

int ztl_image_save(const char* name, ztl_image* image);  // name + ".ztr"; 0 or -1
ztl_image* ztl_image_load(const char* path);             // null on failure

// ---------------------------------------------------------------------------
// input, pen areas, waits (filled by the frame side: input.cpp, wait.cpp)
// ---------------------------------------------------------------------------

// Input codes. A character arrives as its Shift-JIS bytes (a double-byte
// character as two codes, lead byte first); a special key as its PC/AT scan
// code (set 1) x 256, plus ZTL_KEY_SHIFT and/or ZTL_KEY_CTRL in the low byte.
constexpr int ZTL_KEY_SHIFT = 0x0F;
constexpr int ZTL_KEY_CTRL = 0xF0;
constexpr int ZTL_KEY_SHIFT_TAB = 0xF09;
constexpr int ZTL_KEY_CONVERT = 0x7900;
constexpr int ZTL_KEY_NONCONVERT = 0x7B00;
constexpr int ZTL_KEY_PAGE_UP = 0x4900;
constexpr int ZTL_KEY_PAGE_DOWN = 0x5100;
constexpr int ZTL_KEY_END = 0x4F00;
constexpr int ZTL_KEY_HOME = 0x4700;
constexpr int ZTL_KEY_LEFT = 0x4B00;
constexpr int ZTL_KEY_UP = 0x4800;
constexpr int ZTL_KEY_RIGHT = 0x4D00;
constexpr int ZTL_KEY_DOWN = 0x5000;
constexpr int ZTL_KEY_INSERT = 0x5200;
constexpr int ZTL_KEY_DELETE = 0x5300;
constexpr int ZTL_KEY_F1 = 0x3B00;  // F1 .. F10 follow at steps of 0x100

// The input queue holds 99 entries; a pen event takes three (-x, -y, code).
constexpr int ZTL_QUEUE_SIZE = 99;

// The code of a pen area that reports nothing.
constexpr int ZTL_NO_CODE = 0x200;

// A pen-sensitive rectangle in the tree under ztl_root_area. Children are
// hit before their parent, the most recently attached first.
struct ztl_area {
    int32_t up_code;    // queued when the pen is released in the area
    int32_t down_code;  // queued when the pen goes down in the area
    int32_t drag_code;  // queued for each movement in the area while down
    int32_t x, y;       // top-left corner relative to the parent's corner
    int32_t w, h;
    ztl_area* parent;  // null while detached
    ztl_area* first_child;
    ztl_area* next_sibling;  // also the link of the free list
};

// The whole screen, all codes ZTL_NO_CODE; created by ztl_init.
extern ztl_area* ztl_root_area;

// Window position of the pen event whose code ztl_get_key returned last.
extern int32_t ztl_pen_x;
extern int32_t ztl_pen_y;

// An area that reports only the pen release (an on-screen button, shown
// inverted while pressed), or one with all three codes. Null when memory
// runs out.
ztl_area* ztl_area_new(int x, int y, int w, int h, int code);
ztl_area* ztl_area_new_codes(int x, int y, int w, int h, int down_code, int drag_code,
                             int up_code);
// Makes area the first child of parent (null: the root area).
void ztl_area_attach(ztl_area* parent, ztl_area* area);
// Detaches area; with free_flag also frees its children and returns its
// record for reuse. The caller must not use a freed area again.
void ztl_area_remove(ztl_area* area, int free_flag);

// The input method of the window: switch it on or off, and ask whether it
// is on. Without one, the switch does nothing and it reports closed (0).
void ztl_ime_toggle();
int ztl_ime_is_open();

// Refreshes the screen, then returns the next input code, waiting at most
// timeout tenths of a second (0: poll, negative: without limit); -1 when no
// code came.
int ztl_get_key(int timeout);

// --- end of input, pen areas, waits ---
