// Builds arbitrary positions for tests: clear the board, then place pieces of
// any kind for either side on squares or in hands.
//
// A cleared position keeps all 40 piece records but parks them: square 81 (a
// cell that always stays empty), owner NOBODY, so no rule, count or evaluation
// loop that filters by owner ever sees them. Placing a piece takes a parked
// record: a king takes piece 0 (gote) or 20 (sente), any other kind the first
// parked record that starts the game with the same unpromoted kind (the side's
// own range first), so rook placements get pieces 1/21 as in a real game.
#pragma once

#include <cstring>

#include "position.h"

struct TestPosition {
    int board[BOARD_CELLS];
    PieceRecord pieces[PIECE_RECORDS];
};

constexpr int PARKED_SQUARE = 81;

// Cell of the square written file digit, rank digit (square 28 is file 2, rank 8).
constexpr int square_cell(int file, int rank) { return 9 * rank - file; }

inline void set_up_start(TestPosition &pos) { set_up_position(pos.board, pos.pieces); }

inline void clear_position(TestPosition &pos) {
    set_up_position(pos.board, pos.pieces);
    for (int i = 0; i < PIECE_COUNT; ++i) {
        pos.board[pos.pieces[i].square] = NO_PIECE;
        pos.pieces[i].square = PARKED_SQUARE;
        pos.pieces[i].owner = NOBODY;
    }
}

namespace position_builder_detail {

inline int unpromoted(int kind) { return kind >= PROMOTED_ROOK ? kind - PROMOTION_OFFSET : kind; }

inline int is_parked(const TestPosition &pos, int i) { return pos.pieces[i].owner == NOBODY; }

// First parked piece in [first, first + 20) that starts as `kind`, or -1.
inline int parked_of_kind(const TestPosition &pos, int first, int kind) {
    for (int i = first; i < first + 20; ++i)
        if (is_parked(pos, i) && INITIAL_PIECES[i].kind == kind) return i;
    return -1;
}

inline int pick_record(const TestPosition &pos, int kind, int side) {
    int base = unpromoted(kind);
    int own_first = side == GOTE ? 0 : 20;
    if (base == KING) return is_parked(pos, own_first) ? own_first : -1;
    int i = parked_of_kind(pos, own_first, base);
    if (i < 0) i = parked_of_kind(pos, 20 - own_first, base);
    for (int j = 0; i < 0 && j < PIECE_COUNT; ++j)  // a third rook and the like
        if (is_parked(pos, j) && INITIAL_PIECES[j].kind != KING) i = j;
    return i;
}

}  // namespace position_builder_detail

// Puts a piece of `kind` for `side` on `cell` (a square or a hand cell).
// Returns its piece number, or -1 when the cell is taken or no record is left.
inline int place(TestPosition &pos, int kind, int side, int cell) {
    if (cell < 0 || cell >= BOARD_CELLS || pos.board[cell] != NO_PIECE) return -1;
    int i = position_builder_detail::pick_record(pos, kind, side);
    if (i < 0) return -1;
    pos.pieces[i].kind = kind;
    pos.pieces[i].square = cell;
    pos.pieces[i].owner = side;
    pos.board[cell] = i;
    return i;
}

// Puts a piece of `kind` into the first free slot of `side`'s hand.
inline int place_in_hand(TestPosition &pos, int kind, int side) {
    int base = hand_base(side);
    for (int slot = 0; slot < HAND_SLOTS; ++slot)
        if (pos.board[base + slot] == NO_PIECE) return place(pos, kind, side, base + slot);
    return -1;
}

// Makes the position the live one (Board, PieceTable) for code that reads it.
inline void load_live(const TestPosition &pos) {
    std::memcpy(Board, pos.board, sizeof Board);
    std::memcpy(PieceTable, pos.pieces, sizeof PieceTable);
}

inline int same_position(const TestPosition &a, const TestPosition &b) {
    return std::memcmp(a.board, b.board, sizeof a.board) == 0 && std::memcmp(a.pieces, b.pieces, sizeof a.pieces) == 0;
}

// 1 when every placed piece stands on the cell that names it, every other cell
// is empty and hand pieces belong to the hand's side.
inline int position_is_consistent(const TestPosition &pos) {
    int named = 0;
    for (int cell = 0; cell < BOARD_CELLS; ++cell) {
        int i = pos.board[cell];
        if (i == NO_PIECE) continue;
        if (i < 0 || i >= PIECE_COUNT || pos.pieces[i].square != cell) return 0;
        if (cell >= SQUARES && cell < SENTE_HAND_BASE) return 0;
        int base = hand_base(pos.pieces[i].owner);
        if (cell >= SENTE_HAND_BASE && (cell < base || cell >= base + HAND_SLOTS)) return 0;
        ++named;
    }
    int placed = 0;
    for (int i = 0; i < PIECE_COUNT; ++i) placed += pos.pieces[i].owner != NOBODY;
    return named == placed;
}
