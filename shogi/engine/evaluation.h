// The engine's judgement, always from engine_side's point of view and with
// that side's settings: move scores for ordering candidates, position values
// for the leaves of the search, and the candidate ordering itself.
#pragma once

#include "position.h"
#include "rules.h"

constexpr int EVAL_LOSS = -2147483647 - 1;  // engine side's king is lost
constexpr int EVAL_WIN = 2147483647;        // opponent's king falls

// Score of the candidate (from, to) with the Tef coefficients of the phase.
// The board is changed during the call and restored; the piece table is not.
int score_move(int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int from, int to);
// The same for one of many candidates on the position the cache was last
// reset to, which the board must hold.
int score_move_on(int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int from, int to,
                  PositionCache& cache);

// 1 when score_move draws a number from rand for every move of the piece on
// `from`, 0 when for none: a generator that drops moves unscored still draws.
int score_move_draws(const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int from);

// Value of the position with the Sef coefficients of the phase; EVAL_LOSS when
// the engine side's king is in a hand, EVAL_WIN when the opponent's is.
int evaluate(int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]);

// Orders n candidates by score, highest first (shell sort with h = 3h + 1).
void sort_candidates(Move list[], int n);
// Puts into list[0..best) what sort_candidates would put there, faster when
// best is small; the rest of the list is then left in no useful order.
void sort_best_candidates(Move list[], int n, int best);
