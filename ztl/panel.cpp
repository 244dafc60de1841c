// Text panels: small consoles on an image that save what lies under them,
// clear with an optional frame, print with wrapping and scrolling, and place
// pictures like large characters.
#include <cstdint>
#include <cstdlib>

#include "ztl_internal.h"

namespace {

constexpr int INSET = 4;

int max_of(int a, int b) { return a > b ? a : b; }

// Cursor sums are wide: cells of text sizes near the int limit would overflow.
long long sum(int a, int b) { return static_cast<long long>(a) + b; }

// While a panel draws, the current target is a view of its area and the
// target offset is that view's place on the screen, so dirty marks stay in
// screen coordinates.
struct panel_area {
    ztl_image view;
    int saved_offset_x, saved_offset_y;
};

void screen_position(const ztl_image& view, int* x, int* y) {
    auto at = reinterpret_cast<uintptr_t>(view.pixels);
    auto base = reinterpret_cast<uintptr_t>(physical_screen.pixels);
    long long bytes = static_cast<long long>(at - base);
    if (physical_screen.pixels == nullptr || bytes < 0 ||
        bytes >= static_cast<long long>(ZTL_SCREEN_BYTES_PER_LINE) * ZTL_SCREEN_HEIGHT) {
        *x = *y = 0;  // not on the screen: marks are ignored anyway
        return;
    }
    *x = static_cast<int>(bytes % ZTL_SCREEN_BYTES_PER_LINE) * 4;
    *y = static_cast<int>(bytes / ZTL_SCREEN_BYTES_PER_LINE);
}

void enter_area(ztl_panel* p, int inset, panel_area* area) {
    ztl_image_view_held(p->image, p->x + inset, p->y + inset, p->w - 2 * inset, p->h - 2 * inset,
                        &area->view);
    area->saved_offset_x = ztl_target_offset_x;
    area->saved_offset_y = ztl_target_offset_y;
    ztl_target_push_held(&area->view);
    screen_position(area->view, &ztl_target_offset_x, &ztl_target_offset_y);
}

void leave_area(const panel_area* area) {
    ztl_target_pop_held();
    ztl_target_offset_x = area->saved_offset_x;
    ztl_target_offset_y = area->saved_offset_y;
}

int text_inset(const ztl_panel* p) { return (p->flags & ZTL_PANEL_INSET) ? INSET : 0; }

// Fills a rectangle of the current target with a level, keeping the colour.
void fill_with(int level, int x, int y, int w, int h) {
    int saved = ztl_color;
    ztl_set_color_held(level);
    ztl_fill_rect_held(x, y, w, h);
    ztl_set_color_held(saved);
}

// Moves the text area up by n rows and leaves the freed bottom rows white.
void scroll(int n) {
    int W = ztl_target->width, H = ztl_target->height;
    if (n > H) n = H;
    if (n <= 0) return;
    ztl_copy_held(nullptr, 0, 0, nullptr, 0, n, W, H - n, 0);
    fill_with(0, 0, H - n, W, n);
}

void new_line(ztl_panel* p) {
    p->cursor_x = 0;
    p->cursor_y = ztl_clamp_to_int(sum(p->cursor_y, p->line_height));
    p->line_height = 0;
}

// Makes room for an item of height h at the cursor by scrolling.
void fit_height(ztl_panel* p, int h) {
    int H = ztl_target->height;
    if (sum(h, p->cursor_y) > H) {
        scroll(ztl_clamp_to_int(sum(h, p->cursor_y) - H));
        p->cursor_y = H - h;
    }
}

void print_char(ztl_panel* p, int code, int transparent) {
    int S = ztl_text_size;
    int advance = code > 255 ? S : ztl_half_advance;
    if (sum(p->cursor_x, advance) > ztl_target->width || code == '\n') {
        p->line_height = max_of(p->line_height, S);
        new_line(p);
    }
    if (code < 32) return;
    fit_height(p, S);
    if (transparent == 0) fill_with(p->color, p->cursor_x, p->cursor_y, advance, max_of(p->line_height, S));
    ztl_draw_char_held(p->cursor_x, p->cursor_y, code);
    p->cursor_x = ztl_clamp_to_int(sum(p->cursor_x, advance));
    p->line_height = max_of(p->line_height, S);
}

}  // namespace

ztl_panel* ztl_panel_open(ztl_image* image, int x, int y, int w, int h, int flags) {
    auto* p = static_cast<ztl_panel*>(ztl_alloc(sizeof(ztl_panel)));
    if (p == nullptr) return nullptr;
    *p = {image, nullptr, flags, x, y, w, h, 0, 0, 0, 0};
    if (flags & ZTL_PANEL_SAVE) {
        // Without memory for the background the panel still works; its close
        // then has nothing to put back.
        p->saved = ztl_image_new(w, h, nullptr);
        std::lock_guard lock(ztl_mutex);
        if (p->saved != nullptr) ztl_copy_held(p->saved, 0, 0, image, x, y, w, h, 0);
    }
    return p;
}

void ztl_panel_close(ztl_panel* p) {
    if (p == nullptr) return;
    if (p->saved != nullptr) {
        {
            std::lock_guard lock(ztl_mutex);
            ztl_copy_held(p->image, p->x, p->y, p->saved, 0, 0, p->w, p->h, 0);
        }
        ztl_image_free(p->saved);
    }
    std::free(p);
}

void ztl_panel_clear(ztl_panel* p) {
    if (p == nullptr) return;  // an open that found no memory
    std::lock_guard lock(ztl_mutex);
    panel_area area;
    enter_area(p, 0, &area);
    int saved = ztl_color;
    ztl_set_color_held(p->color);
    ztl_clear_held();
    if ((p->flags & (ZTL_PANEL_INSET | ZTL_PANEL_FRAME)) == (ZTL_PANEL_INSET | ZTL_PANEL_FRAME)) {
        ztl_set_color_held(3);
        ztl_box_held(2, 2, p->w - 4, p->h - 4);
    }
    ztl_set_color_held(saved);
    leave_area(&area);
}

void ztl_panel_print(ztl_panel* p, const char* text, int transparent) {
    if (p == nullptr || text == nullptr) return;
    std::lock_guard lock(ztl_mutex);
    panel_area area;
    enter_area(p, text_inset(p), &area);
    const auto* next = reinterpret_cast<const unsigned char*>(text);
    for (int code = ztl_next_char(&next); code >= 0; code = ztl_next_char(&next)) print_char(p, code, transparent);
    leave_area(&area);
}

void ztl_panel_locate(ztl_panel* p, int x, int y) {
    if (p == nullptr) return;
    std::lock_guard lock(ztl_mutex);
    p->cursor_x = x;
    p->cursor_y = y;
    p->line_height = 0;
}

void ztl_panel_set_color(ztl_panel* p, int color) {
    if (p == nullptr) return;
    std::lock_guard lock(ztl_mutex);
    p->color = color;
}

void ztl_panel_put_image(ztl_panel* p, ztl_image* source, int sx, int sy, int w, int h, int mode) {
    if (p == nullptr) return;
    std::lock_guard lock(ztl_mutex);
    panel_area area;
    enter_area(p, text_inset(p), &area);
    int W = ztl_target->width, H = ztl_target->height;
    if (source == nullptr) source = ztl_target;  // as ztl_copy reads a null source
    if (w < 0) w = source->width - sx;
    if (h < 0) h = source->height - sy;
    if (w > W) w = W;
    if (h > H) h = H;
    if (sum(p->cursor_x, w) > W) new_line(p);
    p->line_height = max_of(p->line_height, h);
    fit_height(p, h);
    if (mode == 0 && h < p->line_height) fill_with(0, p->cursor_x, p->cursor_y, w, p->line_height);
    ztl_copy_held(nullptr, p->cursor_x, p->cursor_y, source, sx, sy, w, h, mode);
    p->cursor_x = ztl_clamp_to_int(sum(p->cursor_x, w));
    leave_area(&area);
}
