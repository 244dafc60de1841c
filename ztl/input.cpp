// Keys and pen: the input queue, the special-key table, the pen-area tree with
// its hit test, and the pen rules (down, drag, up, the pressed-button
// inversion). Events come in on the window thread; the queue is drained by
// ztl_get_key on the application thread. Everything runs under ztl_mutex.
#include "input_internal.h"
#include "platform/backend.h"
#include "ztl_internal.h"

ztl_area* ztl_root_area = nullptr;
int32_t ztl_pen_x = 0;
int32_t ztl_pen_y = 0;

namespace {

// --- queue -------------------------------------------------------------------

int queue[ZTL_QUEUE_SIZE];
int queue_head = 0;   // index of the oldest entry
int queue_count = 0;

int queue_take() {
    int value = queue[queue_head];
    queue_head = (queue_head + 1) % ZTL_QUEUE_SIZE;
    --queue_count;
    return value;
}

// A pen event is three entries: the coordinates negated, then the code.
void queue_pen_event(int x, int y, int code) {
    ztl_queue_push_held(-x);
    ztl_queue_push_held(-y);
    ztl_queue_push_held(code);
    ztl_wake_held();
}

// --- special keys --------------------------------------------------------------

struct special_key {
    int virtual_key;
    int scan_code;  // PC/AT set 1; the cursor block and the keypad share it
};

constexpr special_key SPECIAL_KEYS[] = {
    {ZTL_VK_CONVERT, 0x79}, {ZTL_VK_NONCONVERT, 0x7B}, {ZTL_VK_PAGE_UP, 0x49},
    {ZTL_VK_PAGE_DOWN, 0x51}, {ZTL_VK_END, 0x4F},      {ZTL_VK_HOME, 0x47},
    {ZTL_VK_LEFT, 0x4B},    {ZTL_VK_UP, 0x48},         {ZTL_VK_RIGHT, 0x4D},
    {ZTL_VK_DOWN, 0x50},    {ZTL_VK_INSERT, 0x52},     {ZTL_VK_DELETE, 0x53},
};
constexpr int F1_SCAN_CODE = 0x3B;

int scan_code_of(int virtual_key) {
    if (virtual_key >= ZTL_VK_F1 && virtual_key <= ZTL_VK_F10)
        return F1_SCAN_CODE + virtual_key - ZTL_VK_F1;
    for (const special_key& key : SPECIAL_KEYS)
        if (key.virtual_key == virtual_key) return key.scan_code;
    return 0;
}

// --- pen areas -----------------------------------------------------------------

ztl_area* free_areas = nullptr;  // linked through next_sibling

// Pen state, window thread.
int pen_down = 0;
ztl_area* last_hit = nullptr;  // serves positions outside the window while captured
ztl_area* pressed = nullptr;   // release-only area shown inverted
int inverted = 0;              // whether the inversion is on the screen

ztl_area* area_new_held(int x, int y, int w, int h, int down_code, int drag_code, int up_code) {
    ztl_area* area = free_areas;
    if (area != nullptr)
        free_areas = area->next_sibling;
    else
        area = static_cast<ztl_area*>(ztl_alloc(sizeof(ztl_area)));
    if (area == nullptr) return nullptr;
    *area = {up_code, down_code, drag_code, x, y, w, h, nullptr, nullptr, nullptr};
    return area;
}

// Positions left of or above the window (a captured pointer) take the
// desktop's 16-bit client form, 65536 + x: they stay outside the screen and
// their negated queue entries can never be taken for codes.
int client_coordinate(int v) { return v < 0 ? v & 0xFFFF : v; }

bool is_release_only(const ztl_area* area) {
    return area->down_code == ZTL_NO_CODE && area->up_code != ZTL_NO_CODE;
}

bool reports_pen(const ztl_area* area) {
    return area->down_code != ZTL_NO_CODE || area->up_code != ZTL_NO_CODE;
}

// (px, py) is relative to the corner of area's parent.
ztl_area* hit_in(ztl_area* area, int px, int py) {
    for (ztl_area* child = area->first_child; child != nullptr; child = child->next_sibling) {
        ztl_area* hit = hit_in(child, px - area->x, py - area->y);
        if (hit != nullptr) return hit;
    }
    bool inside = area->x <= px && px < area->x + area->w && area->y <= py && py < area->y + area->h;
    return inside && reports_pen(area) ? area : nullptr;
}

bool inside_root(int x, int y) {
    return x >= ztl_root_area->x && x < ztl_root_area->x + ztl_root_area->w &&
           y >= ztl_root_area->y && y < ztl_root_area->y + ztl_root_area->h;
}

// The area a pen event at window position (x, y) is handled with, or null.
ztl_area* area_for_event(int x, int y) {
    if (ztl_root_area == nullptr) return nullptr;
    for (ztl_area* child = ztl_root_area->first_child; child != nullptr;
         child = child->next_sibling) {
        ztl_area* hit = hit_in(child, x - ztl_root_area->x, y - ztl_root_area->y);
        if (hit != nullptr) return last_hit = hit;
    }
    // Only a captured pointer reports positions outside the window.
    return inside_root(x, y) ? nullptr : last_hit;
}

void invert_pressed() {
    int x = pressed->x;
    int y = pressed->y;
    for (const ztl_area* up = pressed->parent; up != nullptr; up = up->parent) {
        x += up->x;
        y += up->y;
    }
    ztl_invert_screen_rect_held(x, y, pressed->w, pressed->h);
    inverted = !inverted;
}

void release_pressed() {
    if (pressed != nullptr && inverted) invert_pressed();
    pressed = nullptr;
}

// Moves the inversion to area; a second press of the same area does nothing.
void press(ztl_area* area) {
    if (area == pressed && inverted) return;
    release_pressed();
    pressed = area;
    invert_pressed();
}

bool in_subtree(const ztl_area* node, const ztl_area* top) {
    for (; node != nullptr; node = node->parent)
        if (node == top) return true;
    return false;
}

void unlink(ztl_area* area) {
    ztl_area** link = &area->parent->first_child;
    while (*link != nullptr && *link != area) link = &(*link)->next_sibling;
    if (*link == area) *link = area->next_sibling;
    area->parent = nullptr;
    area->next_sibling = nullptr;
}

void area_remove_held(ztl_area* area, int free_flag) {
    if (in_subtree(pressed, area)) release_pressed();
    if (in_subtree(last_hit, area)) last_hit = nullptr;
    if (area->parent != nullptr) unlink(area);
    if (!free_flag) return;
    while (area->first_child != nullptr) area_remove_held(area->first_child, 1);
    // The root stays: ztl_root_area keeps pointing at it.
    if (area == ztl_root_area) return;
    area->next_sibling = free_areas;
    free_areas = area;
}

}  // namespace

// --- queue -------------------------------------------------------------------

int ztl_queue_count_held() { return queue_count; }

void ztl_queue_push_held(int value) {
    if (queue_count == ZTL_QUEUE_SIZE) return;  // full: dropped silently
    queue[(queue_head + queue_count) % ZTL_QUEUE_SIZE] = value;
    ++queue_count;
}

int ztl_queue_pop_held() {
    while (queue_count > 0) {
        int entry = queue_take();
        if (entry > 0) return entry;
        ztl_pen_x = -entry;
        if (queue_count == 0) return 0;
        entry = queue_take();
        if (entry > 0) return entry;
        ztl_pen_y = -entry;
    }
    return 0;
}

void ztl_input_init_held() {
    queue_head = queue_count = 0;
    ztl_pen_x = ztl_pen_y = 0;
    pen_down = inverted = 0;
    last_hit = pressed = nullptr;
    if (ztl_root_area == nullptr)
        ztl_root_area = area_new_held(0, 0, ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT, ZTL_NO_CODE,
                                      ZTL_NO_CODE, ZTL_NO_CODE);
    // A second start keeps the application's areas but no longer hits them.
    while (ztl_root_area != nullptr && ztl_root_area->first_child != nullptr)
        unlink(ztl_root_area->first_child);
}

// --- keys --------------------------------------------------------------------

int ztl_special_key_code(int virtual_key, int shift, int ctrl) {
    int scan = scan_code_of(virtual_key);
    if (scan == 0) return 0;
    return scan * 256 + (shift ? ZTL_KEY_SHIFT : 0) + (ctrl ? ZTL_KEY_CTRL : 0);
}

void ztl_event_chars(const unsigned char* bytes, int count, int shift) {
    std::lock_guard lock(ztl_mutex);
    int queued = 0;
    for (int i = 0; i < count; ++i) {
        // A zero byte would read as a pen coordinate: it is no character code.
        if (bytes[i] == 0) continue;
        bool shift_tab = count == 1 && bytes[i] == '\t' && shift;
        ztl_queue_push_held(shift_tab ? ZTL_KEY_SHIFT_TAB : bytes[i]);
        ++queued;
    }
    if (queued > 0) ztl_wake_held();
}

namespace {

void queue_code(int code) {
    std::lock_guard lock(ztl_mutex);
    ztl_queue_push_held(code);
    ztl_wake_held();
}

}  // namespace

int ztl_event_key(int virtual_key, int shift, int ctrl) {
    int code = ztl_special_key_code(virtual_key, shift, ctrl);
    if (code == 0) return 0;
    queue_code(code);
    return 1;
}

void ztl_event_menu(int code) { queue_code(code); }

// --- pen events ----------------------------------------------------------------

namespace {

void pen_down_held(int x, int y) {
    pen_down = 1;
    ztl_area* area = area_for_event(x, y);
    if (area == nullptr) return;
    if (area->down_code != ZTL_NO_CODE)
        queue_pen_event(x, y, area->down_code);
    else if (area->up_code != ZTL_NO_CODE)
        press(area);
}

void pen_move_held(int x, int y) {
    if (!pen_down || x > ZTL_SCREEN_WIDTH || y > ZTL_SCREEN_HEIGHT) return;
    ztl_area* area = area_for_event(x, y);
    if (area == nullptr) return;
    if (is_release_only(area) && area != pressed) press(area);
    if (area->drag_code != ZTL_NO_CODE) queue_pen_event(x, y, area->drag_code);
}

void pen_up_held(int x, int y) {
    pen_down = 0;
    ztl_area* area = area_for_event(x, y);
    // Whatever the pen is released over, the pressed button pops back up:
    // otherwise its inversion would stay on the screen and later presses
    // would invert the wrong rectangle.
    release_pressed();
    if (area != nullptr && area->up_code != ZTL_NO_CODE) queue_pen_event(x, y, area->up_code);
}

void pen_event(int x, int y, void (*handle)(int, int)) {
    std::lock_guard lock(ztl_mutex);
    handle(client_coordinate(x), client_coordinate(y));
}

}  // namespace

void ztl_event_pen_down(int x, int y) { pen_event(x, y, pen_down_held); }

void ztl_event_pen_move(int x, int y) { pen_event(x, y, pen_move_held); }

void ztl_event_pen_up(int x, int y) { pen_event(x, y, pen_up_held); }

int ztl_pen_is_down() {
    std::lock_guard lock(ztl_mutex);
    return pen_down;
}

ztl_area* ztl_pressed_area() {
    std::lock_guard lock(ztl_mutex);
    return inverted ? pressed : nullptr;
}

// --- pen areas (application thread) ----------------------------------------------

ztl_area* ztl_area_new(int x, int y, int w, int h, int code) {
    std::lock_guard lock(ztl_mutex);
    return area_new_held(x, y, w, h, ZTL_NO_CODE, ZTL_NO_CODE, code);
}

ztl_area* ztl_area_new_codes(int x, int y, int w, int h, int down_code, int drag_code,
                             int up_code) {
    std::lock_guard lock(ztl_mutex);
    return area_new_held(x, y, w, h, down_code, drag_code, up_code);
}

void ztl_area_attach(ztl_area* parent, ztl_area* area) {
    std::lock_guard lock(ztl_mutex);
    if (area == nullptr) return;
    if (parent == nullptr) parent = ztl_root_area;
    // An area cannot hang below itself: the tree would become a loop.
    if (parent == nullptr || in_subtree(parent, area)) return;
    // Attaching an attached area again moves it instead of linking it twice.
    if (area->parent != nullptr) unlink(area);
    area->parent = parent;
    area->next_sibling = parent->first_child;
    parent->first_child = area;
}

void ztl_area_remove(ztl_area* area, int free_flag) {
    std::lock_guard lock(ztl_mutex);
    if (area != nullptr) area_remove_held(area, free_flag);
}

// --- input method ------------------------------------------------------------------

void ztl_ime_toggle() { ztl_backend_ime_toggle(); }

int ztl_ime_is_open() { return ztl_backend_ime_is_open(); }
