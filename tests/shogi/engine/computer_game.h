// Computer-against-computer games on the live position, the moves executed
// the way the front end executes a computer's move: a capture goes demoted
// into the capturer's hand, promotion whenever allowed, sort_hand, and a move
// that takes a king ends the game instead of being played.
#pragma once

#include <cstring>
#include <vector>

#include "engine_setup.h"
#include "rules.h"

enum GameEnd { KING_TAKEN, GAVE_UP, MOVE_LIMIT_REACHED };

// The live position and turn state before one think of a game.
struct Turn {
    TestPosition pos;
    int side;
    int number;
    int phase;
};

struct Game {
    std::vector<LastMove> moves;
    std::vector<Turn> turns;  // turns[i] is the state before moves[i]
    GameEnd end;
    int loser;
};

inline int computer_can_promote(int from, int to, int side) {
    if (from >= SENTE_HAND_BASE) return 0;
    int kind = PieceTable[Board[from]].kind;
    if (kind < ROOK || kind > PAWN) return 0;
    return side == SENTE ? from < 27 || to < 27 : from > 53 || to > 53;
}

// 0 when the move takes a king (not executed), else 1. A person or another
// program may decline a promotion; the computer never does.
inline int play_live_move(int from, int to, int side, int promote) {
    int taken = Board[to];
    if (taken != NO_PIECE) {
        if (PieceTable[taken].kind == KING) return 0;
        if (PieceTable[taken].kind > PAWN) PieceTable[taken].kind -= PROMOTION_OFFSET;
        PieceTable[taken].owner = side;
        int last_slot = hand_base(side) + HAND_SLOTS - 1;
        Board[last_slot] = taken;
        PieceTable[taken].square = last_slot;
    }
    if (promote && computer_can_promote(from, to, side)) PieceTable[Board[from]].kind += PROMOTION_OFFSET;
    Board[to] = Board[from];
    PieceTable[Board[to]].square = to;
    Board[from] = NO_PIECE;
    sort_hand(Board, PieceTable, side);
    return 1;
}

inline int play_computer_move(int from, int to, int side) { return play_live_move(from, to, side, 1); }

inline Turn current_turn(void) {
    Turn t;
    std::memcpy(t.pos.board, Board, sizeof Board);
    std::memcpy(t.pos.pieces, PieceTable, sizeof PieceTable);
    t.side = side_to_move;
    t.number = move_number;
    t.phase = game_phase;
    return t;
}

// A game from a fresh program run with a settings pair: seed, formation
// choice and game reset as at start-up. `illegal` counts chosen moves that
// can_move refuses or that move a piece of the other side.
inline Game play_computer_game(const EngineSettings* settings, unsigned seed, int move_limit, int* illegal) {
    std::memset(RecentMoves, 0, sizeof RecentMoves);
    use_settings(settings, seed);
    set_up_position(Board, PieceTable);
    game_phase = JOBAN;
    side_to_move = SENTE;
    move_number = 1;
    last_move = LastMove{0, NO_SQUARE, 0};
    Game game{{}, {}, MOVE_LIMIT_REACHED, -1};
    *illegal = 0;
    while (static_cast<int>(game.moves.size()) < move_limit) {
        int s = side_to_move;
        game.turns.push_back(current_turn());
        if (!engine_think()) {
            game.end = GAVE_UP;
            game.loser = s;
            break;
        }
        game.moves.push_back(last_move);
        if (!can_move(last_move.from, last_move.to, Board, PieceTable) || PieceTable[Board[last_move.from]].owner != s)
            ++*illegal;
        if (!play_computer_move(last_move.from, last_move.to, s)) {
            game.end = KING_TAKEN;
            game.loser = 1 - s;
            break;
        }
        ++move_number;
        side_to_move = 1 - s;
    }
    return game;
}

inline Game play_shipped_game(unsigned seed, int move_limit, int* illegal) {
    return play_computer_game(shipped_settings(), seed, move_limit, illegal);
}
