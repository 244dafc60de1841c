// A small ZTL program: grey swatches, lines, text, a framed panel and three
// pen buttons over a drawing pad. Every input code is echoed to standard
// output ("code 0x4B00", "code 0x301 at 52,200") and shown in the panel;
// dragging on the pad draws; F2 switches the input method ("ime open 1");
// 'b' keeps the application busy drawing for a few seconds. Each echoed line
// is also appended to ztl_example.log, the file opened and closed per line.
// 'e' ends the process with exit status 3 from inside app_main; 'q' ends the
// program by returning.
#include <pthread.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "ztl.h"

namespace {

constexpr int PAD_DOWN = 0x201;
constexpr int PAD_UP = 0x202;
constexpr int PAD_DRAG = 0x203;
constexpr int FIRST_BUTTON_CODE = 0x301;
constexpr int BUTTONS = 3;
constexpr int BUSY_SECONDS = 8;  // long enough to close the window meanwhile, even on a loaded machine
constexpr int IME_KEY = ZTL_KEY_F1 + 0x100;  // F2
constexpr int BUTTON_X = 20, BUTTON_Y = 180, BUTTON_W = 64, BUTTON_H = 40, BUTTON_STEP = 80;

void report_stack() {
    pthread_attr_t attributes;
    std::size_t bytes = 0;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        pthread_attr_getstacksize(&attributes, &bytes);
        pthread_attr_destroy(&attributes);
    }
    std::printf("application stack %zu MiB\n", bytes >> 20);
}

void draw_scene() {
    ztl_set_color(0);
    ztl_clear();
    ztl_set_color(3);
    ztl_box(0, 0, ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT);
    for (int level = 0; level < 4; ++level) {
        ztl_set_color(level);
        ztl_fill_rect(20 + 40 * level, 20, 32, 32);
    }
    ztl_set_color(3);
    ztl_box(20, 20, 32, 32);
    ztl_line(20, 70, 180, 110);
    ztl_line(20, 110, 180, 70);
    ztl_set_font(16, 0);
    ztl_draw_text(200, 20, "ZTL example 日本語");
    ztl_set_font(16, ZTL_FONT_BOLD);
    ztl_draw_text(200, 44, "bold 太字");
    ztl_set_font(12, 0);
    for (int i = 0; i < BUTTONS; ++i) {
        int x = BUTTON_X + BUTTON_STEP * i;
        ztl_box(x, BUTTON_Y, BUTTON_W, BUTTON_H);
        const char label[] = {static_cast<char>('A' + i), 0};
        ztl_draw_text(x + 28, BUTTON_Y + 14, label);
    }
}

void echo(ztl_panel* panel, int code) {
    char line[64];
    if (code >= PAD_DOWN && code <= FIRST_BUTTON_CODE + BUTTONS)
        std::snprintf(line, sizeof line, "code 0x%X at %d,%d\n", code, ztl_pen_x, ztl_pen_y);
    else
        std::snprintf(line, sizeof line, "code 0x%X\n", code);
    std::fputs(line, stdout);
    std::fflush(stdout);
    if (std::FILE* log = std::fopen("ztl_example.log", "a")) {
        std::fputs(line, log);
        std::fclose(log);
    }
    ztl_panel_print(panel, line, 0);
}

// Draws without waiting for input, as a long computation would.
void keep_busy() {
    std::puts("busy");
    std::fflush(stdout);
    std::time_t until = std::time(nullptr) + BUSY_SECONDS;
    for (int i = 0; std::time(nullptr) < until; ++i) {
        ztl_set_color(i & 3);
        ztl_line(200 + i % 180, 70, 380 - i % 180, 170);
        if (i % 1000 == 0) ztl_refresh();
    }
    draw_scene();
    std::puts("idle");
    std::fflush(stdout);
}

}  // namespace

int app_main(int, char**) {
    report_stack();
    if (!ztl_init()) return 1;
    draw_scene();
    ztl_panel* panel = ztl_panel_open(nullptr, 400, 80, 224, 140,
                                      ZTL_PANEL_SAVE | ZTL_PANEL_INSET | ZTL_PANEL_FRAME);
    ztl_panel_clear(panel);
    ztl_panel_print(panel, "パネル: input codes\n", 0);

    ztl_area* pad = ztl_area_new_codes(0, 0, ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT, PAD_DOWN,
                                       PAD_DRAG, PAD_UP);
    ztl_area_attach(nullptr, pad);
    ztl_area* buttons[BUTTONS];
    for (int i = 0; i < BUTTONS; ++i) {
        buttons[i] = ztl_area_new(BUTTON_X + BUTTON_STEP * i, BUTTON_Y, BUTTON_W, BUTTON_H,
                                  FIRST_BUTTON_CODE + i);
        ztl_area_attach(nullptr, buttons[i]);
    }
    std::puts("ready");
    std::fflush(stdout);

    for (int code = ztl_get_key(-1); code != 'q'; code = ztl_get_key(-1)) {
        if (code == PAD_DRAG) ztl_fill_rect(ztl_pen_x - 1, ztl_pen_y - 1, 3, 3);
        echo(panel, code);
        if (code == 'b') keep_busy();
        if (code == 'e') std::exit(3);
        if (code == IME_KEY) {
            ztl_ime_toggle();
            std::printf("ime open %d\n", ztl_ime_is_open() != 0);
            std::fflush(stdout);
        }
    }

    for (ztl_area* button : buttons) ztl_area_remove(button, 1);
    ztl_area_remove(pad, 1);
    ztl_panel_close(panel);
    ztl_set_color(0);
    ztl_clear();
    ztl_exit();
    return 0;
}
