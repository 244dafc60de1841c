// The engine's move generators: the immediate king capture, the root
// candidates (filtered by the anti-repetition list) and the moves of a
// search node. All work on the engine's private copy of the position.
#pragma once

#include "position.h"

constexpr int CANDIDATE_CAP = 64;  // a candidate list never grows beyond this
constexpr int RECENT_MOVE_COUNT = 8;
constexpr int NODE_DROPS_PER_KIND = 2;

// One remembered move: from cell, to square and the number of the piece moved.
struct RecentMove {
    int from;
    int to;
    int piece;
};

// Most recent first; zero-filled at program start and never cleared, so it
// spans games. (0, 0, 0) never matches a real move.
extern RecentMove RecentMoves[RECENT_MOVE_COUNT];

// 1 if an entry matches all three fields.
int recent_moves_contains(int from, int to, int piece);
// Shifts the seven newest back (the oldest falls out) and writes this in front.
void recent_moves_push(int from, int to, int piece);

// 1 and fills move->from and move->to when one of engine_side's pieces can
// take the opponent's king now; else 0.
int king_capture_move(Move* move, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]);

// Candidates of engine_side at the root, at most width[engine_side] of them,
// written to from_out / to_out. Returns the number written.
int generate_root_candidates(int from_out[], int to_out[], int board[BOARD_CELLS], PieceRecord pieces[PIECE_RECORDS]);

// Moves of `side` at a search node, at most `node_width` of them. Only king
// captures when one exists. Returns the number written.
int generate_node_moves(int from_out[], int to_out[], int side, int node_width, int board[BOARD_CELLS],
                        PieceRecord pieces[PIECE_RECORDS]);
