// Test backend of ZTL: no window. It records what the core asked of the
// desktop so that tests can check it.
#pragma once

#include <string>
#include <vector>

struct ztl_headless_rect {
    int left, top, right, bottom;
};

struct ztl_headless_message {
    std::string caption;
    std::string text;
};

// Everything recorded since the last reset, oldest first.
std::vector<ztl_headless_rect> ztl_headless_invalidated();
std::vector<ztl_headless_message> ztl_headless_messages();
int ztl_headless_window_width();
int ztl_headless_window_height();
std::string ztl_headless_window_title();

void ztl_headless_reset();

// --- scripted input, as the window thread would deliver it ---------------

// Types text given as Shift-JIS bytes, one character event per character (a
// double-byte character arrives as its two codes); shift applies to every one.
void ztl_headless_type(const char* text, int shift = 0);
// Presses a special key by its virtual key (ZTL_VK_*); 1 if it was queued.
int ztl_headless_key(int virtual_key, int shift = 0, int ctrl = 0);
void ztl_headless_pen_down(int x, int y);
void ztl_headless_pen_move(int x, int y);
void ztl_headless_pen_up(int x, int y);
// Pen down and up at one place.
void ztl_headless_tap(int x, int y);
// Steps time to the end of the wait in progress: the wait timer fires, as if
// the timeout had run out. Does nothing when no timed wait is in progress.
void ztl_headless_step_time();
// Waits (up to timeout_ms of real time) until the application thread sleeps
// in ztl_get_key; 1 when it does.
int ztl_headless_wait_for_sleeper(int timeout_ms);
// Waits (up to timeout_ms) until the application thread sleeps in
// ztl_get_key with nothing left in the queue: it has handled every code
// pushed so far. 1 when it does.
int ztl_headless_wait_for_idle(int timeout_ms);

// --- the desktop frame (ztl_desktop.h) ------------------------------------

struct ztl_headless_menu_item {
    std::string menu;  // Shift-JIS, as the application gave them
    std::string item;
    int code;
    int checked;
};

// The items added so far, in the order they were added.
std::vector<ztl_headless_menu_item> ztl_headless_menu_items();
// Chooses the item of code as the user would (queues its code); 0 when no
// item has that code.
int ztl_headless_choose_menu(int code);
// Scripts the answer to the next file or text question: chosen with text
// (answered = 1) or cancelled (answered = 0). Questions without a scripted
// answer are cancelled.
void ztl_headless_answer_next(int answered, const std::string& text);
// The captions of the questions asked so far, oldest first.
std::vector<std::string> ztl_headless_questions();
// Forgets menus, scripted answers, questions and settings.
void ztl_headless_desktop_reset();

// --- what the application drew ---------------------------------------------

// Level 0..3 of physical_screen at (x, y); 0 outside or before ztl_init.
int ztl_headless_screen_level(int x, int y);
// Intensity byte of the window image at (x, y) (255 white .. 0 black).
int ztl_headless_window_intensity(int x, int y);
