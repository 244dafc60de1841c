// The position as the deeper search plays on it: the engine's board and
// piece table, with a hash of the position kept up to date, captured pieces
// going demoted into the hand as in a real game, and the moves of a side
// listed whole (every board move and every drop the rules allow).
#pragma once

#include "position.h"
#include "rules.h"

constexpr int MAX_DEEP_MOVES = 600;  // board moves plus seven kinds dropped on 81 squares stay below this

// A move of the deeper search: `from` is a square or a hand cell, `to` a square.
struct DeepMove {
    int from;
    int to;
    int order;  // higher is searched first
};

// What a move changed, to take it back.
struct DeepUndo {
    int from;
    int to;
    int side;
    int captured;       // piece number or NO_PIECE
    int captured_kind;  // its kind on the board, before demotion
    int promoted;
    unsigned long long hash;
    unsigned long long hand_sum;
};

class DeepPosition {
public:
    // Takes a copy of the board and piece table; `side` is to move.
    void set(const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int side);

    void make(int from, int to, DeepUndo& undo);
    void unmake(const DeepUndo& undo);
    // Passes the move to the other side (for the null-move test).
    void pass(void);

    // Every move of the side to move that can_move accepts; drops once per
    // kind held. Returns how many were written.
    int list_moves(DeepMove out[MAX_DEEP_MOVES]) const;
    // Only the captures.
    int list_captures(DeepMove out[MAX_DEEP_MOVES]) const;

    // 1 when `side`'s king stands on the board and the other side attacks it.
    int in_check(int side) const;
    // 1 when the side to move can take the other side's king now.
    int can_take_king(void) const;

    int side_to_move(void) const { return side_; }
    unsigned long long hash(void) const { return hash_ ^ hand_sum_; }
    int board_at(int cell) const { return board_[cell]; }
    const int* board(void) const { return board_; }
    const PieceRecord* pieces(void) const { return pieces_; }
    const PieceRecord& piece_on(int cell) const { return pieces_[board_[cell]]; }

private:
    int king_square(int side) const;
    int list_drops(DeepMove out[], int n, const SquareSet& empty) const;

    int board_[BOARD_CELLS];
    PieceRecord pieces_[PIECE_RECORDS];
    int side_;
    unsigned long long hash_;      // board pieces and side to move
    unsigned long long hand_sum_;  // pieces in hand
};

// The kind a piece has in the hand: promoted kinds go back to their base.
inline int demoted_kind(int kind) { return kind >= PROMOTED_ROOK ? kind - PROMOTION_OFFSET : kind; }
