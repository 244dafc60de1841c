// Library-internal side of input and waits: what a desktop backend reports on
// the window thread, and what input.cpp and wait.cpp share. Functions ending
// in _held expect the caller to hold ztl_mutex; the event functions lock it.
#pragma once

#include "ztl.h"

// Special keys by their desktop virtual-key numbers (the keys of the scan
// code table); backends map their own key events onto these.
constexpr int ZTL_VK_CONVERT = 0x1C;
constexpr int ZTL_VK_NONCONVERT = 0x1D;
constexpr int ZTL_VK_PAGE_UP = 0x21;
constexpr int ZTL_VK_PAGE_DOWN = 0x22;
constexpr int ZTL_VK_END = 0x23;
constexpr int ZTL_VK_HOME = 0x24;
constexpr int ZTL_VK_LEFT = 0x25;
constexpr int ZTL_VK_UP = 0x26;
constexpr int ZTL_VK_RIGHT = 0x27;
constexpr int ZTL_VK_DOWN = 0x28;
constexpr int ZTL_VK_INSERT = 0x2D;
constexpr int ZTL_VK_DELETE = 0x2E;
constexpr int ZTL_VK_F1 = 0x70;  // F1 .. F10 are 0x70 .. 0x79
constexpr int ZTL_VK_F10 = 0x79;

// --- events from the desktop (window thread) -------------------------------

// A translated character as its Shift-JIS bytes (two for a double-byte one).
// Tab with shift held is queued as ZTL_KEY_SHIFT_TAB.
void ztl_event_chars(const unsigned char* bytes, int count, int shift);
// A key press: queues the special-key code and returns 1 when the virtual key
// is in the table; returns 0 and queues nothing for any other key.
int ztl_event_key(int virtual_key, int shift, int ctrl);
// Left button down, movement and up, in client-area pixels (the pointer is
// captured from down to up, so positions may lie outside the window).
void ztl_event_pen_down(int x, int y);
void ztl_event_pen_move(int x, int y);
void ztl_event_pen_up(int x, int y);
// A menu item of the desktop frame was chosen: queues its code (at least
// ZTL_MENU_CODE_BASE) for ztl_get_key to hand to the menu handler.
void ztl_event_menu(int code);
// The wait timer fired: ends a timed wait that is in progress.
void ztl_event_timer();

// Whether a pen event is in progress (button down), for tests and backends.
int ztl_pen_is_down();
// The area currently shown inverted, or null.
ztl_area* ztl_pressed_area();

// --- shared by input.cpp and wait.cpp ---------------------------------------

// The special-key code for a virtual key, or 0 when it is not in the table.
int ztl_special_key_code(int virtual_key, int shift, int ctrl);

int ztl_queue_count_held();
// Takes entries up to the next code and returns it (pen coordinates go to
// ztl_pen_x / ztl_pen_y); 0 when the queue ran out first.
int ztl_queue_pop_held();
void ztl_queue_push_held(int value);

// Wakes ztl_get_key if it sleeps; called after something was queued.
void ztl_wake_held();
// Whether the application thread sleeps in ztl_get_key (for scripted input).
int ztl_wait_in_progress();
// ... and everything queued has been taken: the application has handled all
// input so far and waits for more (one check under the library mutex).
int ztl_waiting_with_empty_queue();
