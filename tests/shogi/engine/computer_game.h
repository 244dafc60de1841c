// Computer-against-computer games on the live position, the moves executed
// as the game executes a computer's move: execute_game_move, promoting
// whenever allowed, and a move that takes a king ends the game instead of
// being played.
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
        if (takes_king(last_move.to, Board, PieceTable)) {
            game.end = KING_TAKEN;
            game.loser = 1 - s;
            break;
        }
        execute_game_move(last_move.from, last_move.to, s, 1, Board, PieceTable);
        ++move_number;
        side_to_move = 1 - s;
    }
    return game;
}

inline Game play_shipped_game(unsigned seed, int move_limit, int* illegal) {
    return play_computer_game(shipped_settings(), seed, move_limit, illegal);
}
