// Screen model: physical_screen, the drawing-target stack, the dirty rectangle
// and the refresh of the screen into the window image.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/backend.h"
#include "ztl_internal.h"

std::mutex ztl_mutex;
int ztl_initialised = 0;

ztl_image physical_screen = {0, ZTL_SCREEN_BYTES_PER_LINE, ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT,
                             nullptr};

ztl_image* ztl_target = &physical_screen;
int ztl_target_offset_x = 0;
int ztl_target_offset_y = 0;
ztl_dirty_rect ztl_dirty = {0, 0, 0, 0, 0};

unsigned char ztl_window_image[ZTL_SCREEN_HEIGHT * ZTL_SCREEN_WIDTH];
unsigned char ztl_text_scratch[ZTL_SCRATCH_SIZE * ZTL_SCRATCH_SIZE];

namespace {

constexpr int SCREEN_BYTES = ZTL_SCREEN_BYTES_PER_LINE * ZTL_SCREEN_HEIGHT;
const char WINDOW_TITLE[256] = "ZTL for Win32";

// The window shows white from the start, even before ztl_init.
const bool window_starts_white = (std::memset(ztl_window_image, 0xFF, sizeof ztl_window_image), true);

ztl_image* target_stack[ZTL_TARGET_STACK_SIZE];
int target_depth = 0;
int pushes_beyond_stack = 0;  // pushes onto the full stack not yet popped

// Window intensity of each level (0 white .. 3 black).
constexpr unsigned char intensity(int level) { return static_cast<unsigned char>(0x55 * (3 - level)); }

// One screen byte holds four pixels; this converts all four at once.
struct byte_expansion {
    unsigned char out[256][4];
    constexpr byte_expansion() : out() {
        for (int b = 0; b < 256; ++b)
            for (int p = 0; p < 4; ++p) out[b][p] = intensity((b >> (2 * p)) & 3);
    }
};
constexpr byte_expansion EXPANSION;

// Says once, in a box the user sees, that text cannot be drawn.
void warn_if_no_font() {
    static int warned = 0;
    int ready;
    {
        std::lock_guard lock(ztl_mutex);
        ready = ztl_font_ready();
    }
    if (ready || warned) return;
    warned = 1;
    ztl_backend_message_box("Ztl Debug Message",
                            "No usable Japanese font is installed (fonts-ipafont-gothic).\n"
                            "Text will not be drawn.");
}

int clamp(int v, int low, int high) { return v < low ? low : (v > high ? high : v); }

}  // namespace

void ztl_mark_dirty(int x, int y) {
    const ztl_image* t = ztl_target;
    if (physical_screen.pixels == nullptr || t->pixels == nullptr) return;
    // Only the screen and views of it count; their pixels start inside its block.
    auto start = reinterpret_cast<uintptr_t>(t->pixels);
    auto base = reinterpret_cast<uintptr_t>(physical_screen.pixels);
    if (start < base || start - base >= static_cast<uintptr_t>(SCREEN_BYTES)) return;
    if (t->width <= 0 || t->height <= 0) return;
    // A corner beyond the target is pulled onto its edge, so an operation
    // that runs off the screen still gets its visible part repainted.
    x = clamp(x, 0, t->width - 1) + ztl_target_offset_x;
    y = clamp(y, 0, t->height - 1) + ztl_target_offset_y;
    if (!ztl_dirty.non_empty) {
        ztl_dirty = {x, x, y, y, 1};
        return;
    }
    if (x < ztl_dirty.min_x) ztl_dirty.min_x = x;
    if (x > ztl_dirty.max_x) ztl_dirty.max_x = x;
    if (y < ztl_dirty.min_y) ztl_dirty.min_y = y;
    if (y > ztl_dirty.max_y) ztl_dirty.max_y = y;
}

void ztl_refresh_held() {
    if (!ztl_dirty.non_empty || physical_screen.pixels == nullptr) return;
    int left = clamp(ztl_dirty.min_x, 0, ZTL_SCREEN_WIDTH);
    int top = clamp(ztl_dirty.min_y, 0, ZTL_SCREEN_HEIGHT);
    int right = clamp(ztl_dirty.max_x + 1, 0, ZTL_SCREEN_WIDTH);
    int bottom = clamp(ztl_dirty.max_y + 1, 0, ZTL_SCREEN_HEIGHT);
    ztl_dirty.non_empty = 0;
    // One pixel wider and taller than the rectangle: several operations mark
    // their far corner one pixel short.
    int last_row = bottom < ZTL_SCREEN_HEIGHT ? bottom : ZTL_SCREEN_HEIGHT - 1;
    int first_group = left >> 2;
    int last_group = (right < ZTL_SCREEN_WIDTH ? right : ZTL_SCREEN_WIDTH - 1) >> 2;
    for (int row = top; row <= last_row; ++row) {
        const unsigned char* in = physical_screen.pixels + row * ZTL_SCREEN_BYTES_PER_LINE;
        unsigned char* out = ztl_window_image + row * ZTL_SCREEN_WIDTH;
        for (int g = first_group; g <= last_group; ++g) std::memcpy(out + 4 * g, EXPANSION.out[in[g]], 4);
    }
    ztl_backend_invalidate(left, top, right, bottom);
}

void ztl_refresh() {
    std::lock_guard lock(ztl_mutex);
    ztl_refresh_held();
}

void ztl_target_push_held(ztl_image* image) {
    // Callers pair pushes and pops and stay a few deep. A runaway push onto a
    // full stack keeps drawing on the old target and is only counted, so that
    // the pop paired with it keeps that target too and later pops still match.
    if (target_depth == ZTL_TARGET_STACK_SIZE) {
        ++pushes_beyond_stack;
        return;
    }
    target_stack[target_depth++] = ztl_target;
    ztl_target = image;
}

void ztl_target_pop_held() {
    if (pushes_beyond_stack > 0)
        --pushes_beyond_stack;
    else if (target_depth > 0)
        ztl_target = target_stack[--target_depth];
}

void ztl_target_push(ztl_image* image) {
    std::lock_guard lock(ztl_mutex);
    ztl_target_push_held(image);
}

void ztl_target_pop() {
    std::lock_guard lock(ztl_mutex);
    ztl_target_pop_held();
}

int ztl_init() {
    {
        std::lock_guard lock(ztl_mutex);
        ztl_target = &physical_screen;
        target_depth = pushes_beyond_stack = 0;
        ztl_target_offset_x = ztl_target_offset_y = 0;
        ztl_dirty.non_empty = 0;
        if (physical_screen.pixels == nullptr)
            physical_screen.pixels = static_cast<unsigned char*>(std::malloc(SCREEN_BYTES));
    }
    if (physical_screen.pixels == nullptr) {
        ztl_backend_message_box("Ztl Debug Message", "malloc of physical_screen");
        std::exit(1);
    }
    {
        std::lock_guard lock(ztl_mutex);
        std::memset(physical_screen.pixels, 0, SCREEN_BYTES);
        std::memset(ztl_window_image, 0xFF, sizeof ztl_window_image);
        std::memset(ztl_text_scratch, 0, sizeof ztl_text_scratch);
    }
    ztl_backend_set_window(ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT, WINDOW_TITLE);
    ztl_backend_invalidate(0, 0, ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT);
    warn_if_no_font();
    std::lock_guard lock(ztl_mutex);
    ztl_set_color_held(3);
    ztl_input_init_held();
    ztl_initialised = 1;
    return 1;
}

void ztl_exit() { ztl_set_font(0, 0); }

void ztl_screen_shutdown() {
    std::lock_guard lock(ztl_mutex);
    ztl_initialised = 0;
    std::free(physical_screen.pixels);
    physical_screen.pixels = nullptr;
    ztl_target = &physical_screen;
    target_depth = pushes_beyond_stack = 0;
}
