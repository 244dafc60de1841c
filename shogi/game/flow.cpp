// Turns, move execution, promotion, the end of a game and the choice of players.
#include "flow.h"

#include "clock.h"
#include "display.h"
#include "game.h"
#include "human_input.h"
#include "peers.h"
#include "record.h"
#include "search.h"
#include "serial.h"
#include "ztl.h"

namespace {

constexpr int TURN_MENU = -1;  // the turn ends in the menu

// The peer's move for `side`, with obtain_move's answers.
int obtain_remote_move(int side) {
    switch (remote_move()) {
        case REMOTE_MOVE:
            return 1;
        case REMOTE_QUIT:
            return 0;
        case REMOTE_RESIGNED:
            resign(side);
            return TURN_MENU;
        case REMOTE_BROKEN:
            dialog(serial_fault(), DIALOG_MESSAGE);
            return TURN_MENU;
        default:
            return TURN_MENU;
    }
}

// Asks the source of `side` for its move; 1 when last_move holds it, 0 when
// the program ends, TURN_MENU when the menu is wanted (its result decides).
int obtain_move(int side) {
    switch (player_kind[side]) {
        case PLAYER_HUMAN: {
            int answer = human_move();
            if (answer == 1) return 1;
            return answer == 0 ? 0 : TURN_MENU;
        }
        case PLAYER_COMPUTER: {
            if (!engine_think()) {
                resign(side);
                return TURN_MENU;
            }
            // Keys typed while the computer thought: q quits, Escape opens the menu.
            int code = ztl_get_key(0);
            if (code == 'q') return 0;
            if (code == KEY_ESCAPE) return TURN_MENU;
            return 1;
        }
        case PLAYER_REMOTE:
            return obtain_remote_move(side);
        case PLAYER_NOBODY:
            return TURN_MENU;
        default:
            return 1;
    }
}

void announce_winner(int side) {
    dialog(side == SENTE ? "先手の勝ち！" : "後手の勝ち！", DIALOG_MESSAGE);
    ztl_get_key(-1);
}

int decide_promotion(int side, int promote) {
    switch (player_kind[side]) {
        case PLAYER_COMPUTER:
            return 1;
        case PLAYER_REMOTE:
            return promote == 1;
        case PLAYER_HUMAN: {
            int answer = dialog("成りますか？", DIALOG_YES_NO);
            clock_tick(side);
            return answer != 'N' && answer != 'n';
        }
        default:
            return 0;
    }
}

}  // namespace

int refuse_king_capture(int to, int side) {
    if (!takes_king(to, Board, PieceTable)) return 0;
    announce_winner(side);
    return 1;
}

int play_move(int from, int to, int side, int promote) {
    if (refuse_king_capture(to, side)) return 0;
    int promotes = may_promote(from, to, side, Board, PieceTable) && decide_promotion(side, promote);
    execute_game_move(from, to, side, promotes, Board, PieceTable);
    return 1;
}

int turn_step(void) {
    int side = side_to_move;
    clock_start(side);
    int outcome = obtain_move(side);
    if (outcome == 0) return 0;
    if (outcome == TURN_MENU) return show_menu();
    if (!play_move(last_move.from, last_move.to, side, last_move.promote)) return show_menu();

    redraw_board();
    clock_stop(side);
    int kind = PieceTable[Board[last_move.to]].kind;
    show_kifu_line(kind, last_move.from, last_move.to, side);
    record_move(kind, last_move.from, last_move.to, side);
    send_move(kind, last_move.from, last_move.to, side);
    move_number += 1;
    side_to_move = 1 - side;
    return 1;
}

int choose_players(void) {
    int before[2] = {player_kind[SENTE], player_kind[GOTE]};
    const char* const questions[2] = {"  対局者(▲先手)  ", "  対局者(△後手)  "};
    // A chosen peer is offered as a third answer; without one the box is the usual one.
    int mode = peer_chosen() ? DIALOG_HUMAN_COMPUTER_REMOTE : DIALOG_HUMAN_COMPUTER;
    for (int side = SENTE; side <= GOTE; ++side) {
        int answer = dialog(questions[side], mode);
        if (answer == 'c') {
            player_kind[side] = PLAYER_COMPUTER;
        } else if (answer == 'h') {
            player_kind[side] = PLAYER_HUMAN;
        } else if (answer == 'r' && mode == DIALOG_HUMAN_COMPUTER_REMOTE) {
            player_kind[side] = PLAYER_REMOTE;
        } else {
            player_kind[SENTE] = before[SENTE];
            player_kind[GOTE] = before[GOTE];
            return 0;
        }
    }
    return 1;
}

void resign(int side) {
    append_resignation();
    send_resignation(side);
    dialog(side == SENTE ? "m(__)m 先手投了" : "m(__)m 後手投了", DIALOG_MESSAGE);
}
