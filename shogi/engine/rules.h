// The one movement rule of the program: piece moves, blocking, captures, drops.
// A move that leaves one's own king en prise is allowed; kings are captured.
#pragma once

#include "position.h"

// 1 if the piece on `from` (square or hand cell) may go to square `to`.
// Total: any from in 0..255 and any non-negative to; to > 80 is refused.
int can_move(int from, int to, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]);

// Number of `side`'s board pieces that could move to `cell`, with the cell
// emptied for the count (so defenders of one's own piece there count too).
int count_attackers(int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int cell, int side);

// The squares `to` with can_move(from, to), ascending, written to `out`;
// returns how many. Only the squares of the mover's pattern are asked.
int legal_targets(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int out[SQUARES]);
// How many squares legal_targets would write.
int count_legal_targets(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]);
