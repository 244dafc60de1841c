// The only seam between the portable ZTL core and a desktop. One backend is
// linked into a program: the Qt window (ztl_qt) or the test double (ztl_headless).
#pragma once

// Asks the window to repaint the screen rectangle left <= x < right,
// top <= y < bottom from the window image, later. Never waits for the window
// thread, so it may be called with the library mutex held.
void ztl_backend_invalidate(int left, int top, int right, int bottom);

// Modal message box with an OK button; texts are Shift-JIS bytes. Returns when
// the user closes it. Never called with the library mutex held.
void ztl_backend_message_box(const char* caption, const char* text);

// Sizes the window so that its client area is width x height under the menu
// bar, keeping its position, and sets its title (Shift-JIS). Waits for the
// window thread: never called with the library mutex held.
void ztl_backend_set_window(int client_width, int client_height, const char* title);

// The window's input method: switch it on/off, and whether it is on (0 when
// the desktop offers none). Waits for the window thread: never called with
// the library mutex held.
void ztl_backend_ime_toggle();
int ztl_backend_ime_is_open();

// Starts the application thread running entry(argc, argv); 1 on success.
int ztl_backend_start_application(int (*entry)(int, char**), int argc, char** argv);

// Glyph rasteriser (font_freetype.cpp, shared by every backend): clears the
// 32 x 32 scratch (one byte per pixel) and renders the character code (one
// byte, or a Shift-JIS lead * 256 + trail) monochrome at its top-left corner in
// a fixed-pitch face of cell height size and cell width cell_width; ink is
// non-zero. Returns 0 when no usable font is installed (said once on stderr).
int ztl_font_render(int code, int size, int cell_width, unsigned char* scratch);

// 1 when a usable face is installed (looks for it on the first call).
int ztl_font_ready();

// Makes the rasteriser use the font file at path instead of asking fontconfig
// (null: ask fontconfig again). For tests of the missing-font path.
void ztl_font_use_file(const char* path);
