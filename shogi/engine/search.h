// The computer's move choice: phases, a fixed-depth alpha-beta search over
// pre-ordered candidates, the retry at half depth and giving up.
#pragma once

#include "generators.h"
#include "position.h"

// A node at ply p searches width / p moves, and the lists hold at most 64, so
// no search with a width up to 64 goes past ply 65; deeper limits are cut here
// to keep the recursion (and the stack) bounded whatever DEPTH_MAX says.
constexpr int MAX_SEARCH_DEPTH = CANDIDATE_CAP + 2;

// The engine's private copy of the position, taken at the start of every think.
extern int search_board[BOARD_CELLS];
extern PieceRecord search_pieces[PIECE_RECORDS];
// The move chosen by the last root search.
extern Move chosen_move;

// Called with engine_side at every leaf of the search; the front end installs
// its clock here. A null hook restores the default, which does nothing.
void engine_set_leaf_hook(void (*hook)(int side));
// Calls the installed hook with engine_side; the deeper search, which has no
// fixed leaves, calls it every so many positions.
void engine_call_leaf_hook(void);

// Chooses a move for side_to_move from the live position, which it only reads.
// 1: last_move holds (from, to, 0) and the move is pushed onto RecentMoves.
// 0: the engine gives up.
int engine_think(void);

// The search on search_board; values are from engine_side's point of view.
// root_search fills chosen_move when a candidate beats EVAL_LOSS.
int root_search(const int from[], const int to[], int count);
int search_min(int beta, int alpha, int ply);  // engine_opponent to move
int search_max(int beta, int alpha, int ply);  // engine_side to move
