// Moves in the two texts the peers speak: the game record's CSA move text
// ("+7776FU", "-0055KA", "+2423TO": squares by file and rank digits, the
// piece after the move) and the USI engines' text ("7g7f", "P*5e", "2d2c+":
// rank letters, a drop's piece letter, a promotion's plus). Both are read on
// a given position, since neither text alone says everything: CSA names the
// piece but not whether it promotes now, USI the reverse.
#pragma once

#include "position.h"

constexpr int USI_MOVE_SIZE = 8;  // "7g7f+" and its NUL
constexpr int CSA_MOVE_SIZE = 16;

extern const char* const CSA_PIECE_CODES[PIECE_KINDS];

// A move of `side` on a position: its from cell, to square and whether it promotes.
struct PeerPosition {
    const int* board;
    const PieceRecord* pieces;
};

// Reads a CSA move text for `side`; 0 unless the sign, squares and piece code
// fit a piece of `side` on the position (a drop needs the piece in hand, a
// promoted code on an unpromoted piece means it promotes now). Legality
// beyond that is the rules' business.
int read_csa_move(const char* text, int side, PeerPosition position, LastMove& move);
// The CSA text of a move of `side` on the position before it is made.
void write_csa_move(const LastMove& move, int side, PeerPosition position, char out[CSA_MOVE_SIZE]);
// Reads a USI move for `side` with the same checks as read_csa_move.
int read_usi_move(const char* text, int side, PeerPosition position, LastMove& move);
// The USI text of a move on the position before it is made.
void write_usi_move(const LastMove& move, PeerPosition position, char out[USI_MOVE_SIZE]);

// A move of `side` that takes the other side's king, when there is one:
// the game lets a side leave its king open, USI has no word for taking it.
int find_king_capture(int side, PeerPosition position, LastMove& move);
