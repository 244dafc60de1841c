// The menu over the board: new game, continue, one move forward and back
// through the record, turn the board, quit.
#include <cstring>

#include "clock.h"
#include "display.h"
#include "flow.h"
#include "game.h"
#include "level_menu.h"
#include "record.h"
#include "ztl.h"

namespace {

constexpr int MENU_LINES = 8;
constexpr int FIRST_ENTRY = 2;
constexpr int LAST_ENTRY = 7;
constexpr int LINE_HEIGHT = 16;
constexpr int NO_CODE = -1;

const char* const MENU_TEXT[MENU_LINES] = {
    "      Menu      \n", "================\n", "新規対局     (n)\n", "継続対局     (c)\n",
    "１手進める   (f)\n", "１手戻す     (b)\n", "盤面回転     (r)\n", "終了         (q)",
};
constexpr int MENU_KEYS[MENU_LINES] = {0, 0, 'n', 'c', 'f', 'b', 'r', 'q'};

struct Menu {
    ztl_panel* panel;
    ztl_area* buttons[LAST_ENTRY - FIRST_ENTRY + 1];
    int text_width;
    int selection;
};

void invert_selection(const Menu& menu) {
    ztl_set_color(ZTL_INVERT);
    ztl_fill_rect(4, 4 + menu.selection * LINE_HEIGHT, menu.text_width, LINE_HEIGHT);
}

void print_menu(const Menu& menu) {
    ztl_set_color(3);
    ztl_set_font(LINE_HEIGHT, 0);
    for (const char* line : MENU_TEXT) ztl_panel_print(menu.panel, line, 0);
    invert_selection(menu);
}

void move_selection(Menu& menu, int step) {
    invert_selection(menu);
    int next = menu.selection + step;
    if (next >= FIRST_ENTRY && next <= LAST_ENTRY) menu.selection = next;
    invert_selection(menu);
}

// The position the menu has put in place, and the clocks restarted for the
// turn that follows it.
void show_position_with_fresh_clocks(void) {
    draw_position();
    clock_start_both();
    ztl_refresh();
}

// One move forward or back through the record, without rewriting it; 0 when
// the record cannot be replayed.
int step_through_record(Menu& menu, int new_move_number) {
    move_number = new_move_number;
    if (!replay_or_explain(move_number - 1, 0)) return 0;
    show_position_with_fresh_clocks();
    ztl_panel_clear(menu.panel);
    ztl_panel_locate(menu.panel, 0, 0);
    print_menu(menu);
    return 1;
}

// What the menu was left with, carried out after the menu has closed so that
// the background it puts back never covers what the action draws.
int carry_out(int key, int* game_started) {
    switch (key) {
        case 'n':
            if (!choose_players()) return 1;
            load_chosen_levels();
            if (!replay_or_explain(0, 1)) return 0;
            *game_started = 1;
            return 1;
        case 'c':
            if (!choose_players()) return 1;
            return replay_or_explain(move_number - 1, 1);
        case KEY_ESCAPE:
            return replay_or_explain(move_number - 1, 1);
        case 'r':
            board_rotation = !board_rotation;
            return 1;
        default:  // 'q'
            return 0;
    }
}

}  // namespace

int show_menu(void) {
    Menu menu{};
    menu.text_width = static_cast<int>(std::strlen(MENU_TEXT[0]) - 1) * 8;
    menu.selection = FIRST_ENTRY;
    for (int i = FIRST_ENTRY; i <= LAST_ENTRY; ++i) {
        ztl_area* button = ztl_area_new(4, 4 + i * LINE_HEIGHT, menu.text_width, LINE_HEIGHT, MENU_KEYS[i]);
        ztl_area_attach(screen_area, button);
        menu.buttons[i - FIRST_ENTRY] = button;
    }
    if (menu.text_width > board_size) return 0;
    int first_move_number = move_number;

    menu.panel = ztl_panel_open(nullptr, 0, 0, menu.text_width + 8, MENU_LINES * LINE_HEIGHT + 8,
                                ZTL_PANEL_SAVE | ZTL_PANEL_INSET | ZTL_PANEL_FRAME);
    ztl_panel_clear(menu.panel);
    print_menu(menu);

    int chosen = NO_CODE;
    int pending = NO_CODE;
    while (chosen == NO_CODE) {
        ztl_refresh();
        int code = pending != NO_CODE ? pending : ztl_get_key(-1);
        pending = NO_CODE;
        switch (code) {
            case ZTL_KEY_UP:
                move_selection(menu, -1);
                break;
            case ZTL_KEY_DOWN:
                move_selection(menu, 1);
                break;
            case KEY_ENTER:
            case KEY_SPACE:
                pending = MENU_KEYS[menu.selection];
                break;
            case 'f':
            case 'b': {
                int forward = code == 'f';
                int movable = forward ? move_number < first_move_number : move_number > 1;
                // A record that no longer replays ends the program.
                if (movable && !step_through_record(menu, move_number + (forward ? 1 : -1))) chosen = 'q';
                break;
            }
            case 'n':
            case 'c':
            case 'r':
            case 'q':
            case KEY_ESCAPE:
                chosen = code;
                break;
            default:
                break;
        }
    }

    ztl_panel_close(menu.panel);
    for (ztl_area* button : menu.buttons) ztl_area_remove(button, 1);
    int game_started = 0;
    int result = carry_out(chosen, &game_started);
    // The game goes on from the position shown, so the record must end there
    // too, or the next move would be appended to a longer game.
    if (result && !record_matches_board) result = replay_or_explain(move_number - 1, 1);
    draw_board_frame();
    show_position_with_fresh_clocks();
    if (game_started) dialog("対局開始！", DIALOG_MESSAGE);
    return result;
}
