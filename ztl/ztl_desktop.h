// What lives around the handheld's screen on the desktop: menus in the
// window's menu bar, file and text questions, and the user's remembered
// settings. Nothing here is part of the handheld's library, and nothing here
// knows the application: it adds its own menus and handles their codes.
// Texts are Shift-JIS bytes like every ZTL text.
#pragma once

// Menu codes are queued like keys; they lie above every key and pen code.
constexpr int ZTL_MENU_CODE_BASE = 0x10000;

// Adds an item to the window's top-level menu titled menu (created on first
// use, placed before "&Help"). Choosing it queues code as input. Returns 1;
// 0 (and adds nothing) for a code below ZTL_MENU_CODE_BASE or a null text.
int ztl_menu_add(const char* menu, const char* item, int code);
// Shows or clears a check mark on the item of code (radio-like groups are
// the caller's business: it clears the others).
void ztl_menu_check(int code, int checked);
// Registers the function that receives menu codes (null: none). ztl_get_key
// passes every dequeued menu code to it on the application thread, outside
// the library mutex, and then goes on waiting as if nothing had arrived (its
// timeout still counts), so no game loop ever sees a menu code. Without a
// handler, menu codes are dropped.
void ztl_menu_handler(void (*handler)(int code));

// Modal open-file dialog; path receives a local file-system path
// (NUL-terminated, at most size bytes). 1 when a file was chosen, 0 when
// cancelled or when the path does not fit. Never call it with the library
// mutex held.
int ztl_choose_file(const char* caption, char* path, int size);
// Modal one-line text question (e.g. "host:port"); text holds the proposal on
// entry and the answer on return (cut at a character boundary to fit size).
// 1 on OK, 0 on cancel (text unchanged).
int ztl_ask_text(const char* caption, const char* label, char* text, int size);

// The user's remembered settings. Keys and values are short ASCII/UTF-8
// texts. ztl_config_read returns 1 and fills value (cut to size) when the key
// exists, else 0.
int ztl_config_read(const char* key, char* value, int size);
void ztl_config_write(const char* key, const char* value);
