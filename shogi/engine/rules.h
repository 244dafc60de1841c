// The one movement rule of the program: piece moves, blocking, captures, drops.
// A move that leaves one's own king en prise is allowed; kings are captured.
#pragma once

#include "position.h"

// A set of squares, square t in bit t % 64 of word t / 64.
struct SquareSet {
    unsigned long long word[2];
};

inline int square_set_has(const SquareSet &set, int square) {
    return static_cast<int>((set.word[square / 64] >> (square % 64)) & 1);
}

// 1 if the piece on `from` (square or hand cell) may go to square `to`.
// Total: any from in 0..255 and any non-negative to; to > 80 is refused.
int can_move(int from, int to, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]);

// Number of `side`'s board pieces that could move to `cell`, with the cell
// emptied for the count (so defenders of one's own piece there count too).
int count_attackers(int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int cell, int side);

// The squares `to` with can_move(from, to), ascending, written to `out`;
// returns how many. Only the squares of the mover's pattern are asked.
int legal_targets(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int out[SQUARES]);
// Squares worth asking about for a mover on `from`: its pattern's squares for
// a board piece, every square for a drop or an odd cell. can_move(from, t)
// never holds for a square t outside.
SquareSet pattern_targets(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]);
// The cells from which some kind's pattern reaches board square `square` (its
// row, column, diagonals and knight jumps; cells 81..127 are always in): a
// board piece elsewhere never passes can_move to it, whatever the position.
const SquareSet &pattern_sources(int square);
// How many squares legal_targets would write.
int count_legal_targets(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]);
