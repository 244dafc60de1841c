// The small modal box that every message and question of the game uses.
#include <cstring>

#include "display.h"
#include "flow.h"
#include "game.h"
#include "ztl.h"

namespace {

constexpr int CHAR_WIDTH = 8;  // half advance of the board font
constexpr int LINE_HEIGHT = 16;

struct DialogButton {
    int column;  // in half-width characters from the box's left edge
    int width;   // in half-width characters
    int code;
    int line;  // 1 the second line, 2 the third
};

constexpr int MOST_BUTTONS = 3;
// The buttons over "[Yes]/[No]", "[Human]/[Computer]" and, with a peer
// chosen, "[Remote]" on a third line.
constexpr DialogButton BUTTONS[4][MOST_BUTTONS] = {
    {},
    {{1, 4, 'y', 1}, {7, 3, 'n', 1}},
    {{1, 6, 'h', 1}, {9, 9, 'c', 1}},
    {{1, 6, 'h', 1}, {9, 9, 'c', 1}, {1, 7, 'r', 2}},
};
const char* const MORE_LINES[4] = {"", "\n[Yes]/[No]", "\n[Human]/[Computer]", "\n[Human]/[Computer]\n[Remote]"};
constexpr int EXTRA_LINES[4] = {0, 1, 1, 2};

// Whether a code ends the wait of a box of this mode: pen codes from the
// screen do not close a question, only its buttons or a key do.
int closes(int code, int mode) {
    if (code == -1 || code == PEN_UP || code == PEN_DRAG) return 0;
    return mode == DIALOG_MESSAGE || code != PEN_DOWN;
}

}  // namespace

int poll_input(void) { return ztl_get_key(1); }

int dialog(const char* text, int mode) {
    int w = static_cast<int>(std::strlen(text)) * CHAR_WIDTH + 8;
    if (w > board_size) w = board_size;
    int h = LINE_HEIGHT + 8 + EXTRA_LINES[mode] * LINE_HEIGHT;
    int x = board_left + board_size / 2 - w / 2;
    x = x + 4 - x % 4;
    int y = board_top + board_size / 2 - h / 2;
    if (x < 0 || y < 0 || w < 0 || h < 0) return 0;

    ztl_panel* panel = ztl_panel_open(nullptr, x, y, w, h, ZTL_PANEL_SAVE | ZTL_PANEL_INSET | ZTL_PANEL_FRAME);
    ztl_panel_clear(panel);
    ztl_set_color(3);
    ztl_set_font(LINE_HEIGHT, 0);
    ztl_panel_print(panel, text, 0);
    ztl_area* buttons[MOST_BUTTONS] = {nullptr, nullptr, nullptr};
    if (EXTRA_LINES[mode] > 0) ztl_panel_print(panel, MORE_LINES[mode], 0);
    for (int i = 0; i < MOST_BUTTONS && BUTTONS[mode][i].code != 0; ++i) {
        const DialogButton& b = BUTTONS[mode][i];
        buttons[i] = ztl_area_new(x + b.column * CHAR_WIDTH, y + b.line * LINE_HEIGHT + 4, b.width * CHAR_WIDTH,
                                  LINE_HEIGHT, b.code);
        ztl_area_attach(screen_area, buttons[i]);
    }
    ztl_refresh();

    int code = poll_input();
    while (!closes(code, mode)) code = poll_input();

    for (ztl_area* button : buttons) ztl_area_remove(button, 1);
    ztl_panel_close(panel);
    ztl_refresh();
    return code;
}
