// Qt desktop of ZTL: the process entry (main) lives in qt_window.cpp and runs
// the application's app_main on a thread of its own. This header is only for
// programs that measure the window side.
#pragma once

#include <atomic>

// Called on the window thread after every paint of the client area; null by
// default. Set it before the paints you want to see.
extern std::atomic<void (*)()> ztl_qt_after_paint;

// Runs work on the window thread and returns when it is done. Never call it
// with the library mutex held.
void ztl_qt_run_on_window_thread(void (*work)(void*), void* argument);

// Delivers a key press to the client area as the desktop would (window thread).
void ztl_qt_send_key(int qt_key, int qt_modifiers, const char* utf8_text);

// Chooses the zoom as the View menu does: 1 .. 4, or 0 for the largest factor
// that fits (window thread). Remembered like a choice in the menu.
void ztl_qt_choose_zoom(int choice);
