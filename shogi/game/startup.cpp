// The program's frame: start-up in its fixed order, one game, and the reset
// that puts the initial position in place (also before every record replay).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "clock.h"
#include "desktop_menus.h"
#include "display.h"
#include "flow.h"
#include "game.h"
#include "peers.h"
#include "record.h"
#include "search.h"
#include "settings.h"
#include "ztl.h"

const char* const PLAYER_NAMES[4] = {"Human", "Zentrio", "RS232C", "MATTA"};

char front_end_version[16];
char core_version[16];
char record_file_name[FILE_NAME_SIZE];

int player_kind[2];
int board_cursor_column;
int board_cursor_row;

void reset_game(void) {
    std::memcpy(PieceTable, INITIAL_PIECES, sizeof PieceTable);
    for (int cell = 1; cell < BOARD_CELLS; ++cell) Board[cell] = NO_PIECE;
    for (int piece = 0; piece < PIECE_COUNT; ++piece) Board[PieceTable[piece].square] = piece;
    move_number = 1;
    side_to_move = SENTE;
    board_cursor_column = 4;
    board_cursor_row = 4;
    game_phase = JOBAN;
    last_move.to = NO_SQUARE;
    clock_reset_totals();
    std::srand(static_cast<unsigned>(clock_now()));
    choose_formations();
}

void run_game(void) {
    reset_game();
    set_up_screen(ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT);
    write_record_header(player_kind[SENTE], player_kind[GOTE]);
    if (player_kind[SENTE] != PLAYER_NOBODY && player_kind[GOTE] != PLAYER_NOBODY) dialog("対局開始！", DIALOG_MESSAGE);
    while (turn_step()) {
    }
    tear_down_screen();
}

int app_main(int argc, char** argv) {
    switch (read_peer_options(argc, argv)) {
        case PEER_OPTIONS_HELP:
            std::exit(0);
        case PEER_OPTIONS_BAD:
            std::exit(2);
        default:
            break;
    }
    std::snprintf(core_version, sizeof core_version, "%s", "1.1");
    std::snprintf(front_end_version, sizeof front_end_version, "%s", "1.1.0");
    std::printf("BanreiZTL version %s\nBanrei-core version %s\n", front_end_version, core_version);
    std::snprintf(settings_path[SENTE], SETTINGS_PATH_SIZE, "%s", "sente.ini");
    std::snprintf(settings_path[GOTE], SETTINGS_PATH_SIZE, "%s", "gote.ini");
    std::snprintf(record_file_name, sizeof record_file_name, "%s", "banrei.csa");
    player_kind[SENTE] = PLAYER_NOBODY;
    player_kind[GOTE] = PLAYER_COMPUTER;
    if (!load_engine_settings(SENTE) || !load_engine_settings(GOTE)) std::exit(0);
    if (!ztl_init()) {
        std::printf("initialize error\n");
        std::exit(1);
    }
    install_desktop_menus();
    engine_set_leaf_hook(clock_tick);
    ztl_set_color(0);
    ztl_clear();
    run_game();
    ztl_refresh();
    ztl_set_color(0);
    ztl_clear();
    ztl_exit();
    return 0;
}
