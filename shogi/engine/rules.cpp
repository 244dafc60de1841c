#include "rules.h"

namespace {

int row_of(int cell) { return cell / 9; }
int column_of(int cell) { return cell % 9; }
int sign_of(int n) { return (n > 0) - (n < 0); }
int abs_of(int n) { return n < 0 ? -n : n; }

// 1 when every cell strictly between from and to on their common line is
// empty. The line is a column, a row or a diagonal, checked by the caller.
int line_is_clear(int from, int to, const int board[BOARD_CELLS]) {
    int step = 9 * sign_of(row_of(to) - row_of(from)) + sign_of(column_of(to) - column_of(from));
    for (int cell = from + step; cell != to; cell += step)
        if (board[cell] != NO_PIECE) return 0;
    return 1;
}

int rook_reaches(int from, int to, const int board[BOARD_CELLS]) {
    if (row_of(from) != row_of(to) && column_of(from) != column_of(to)) return 0;
    return line_is_clear(from, to, board);
}

int bishop_reaches(int from, int to, const int board[BOARD_CELLS]) {
    if (abs_of(row_of(to) - row_of(from)) != abs_of(column_of(to) - column_of(from))) return 0;
    return line_is_clear(from, to, board);
}

// Ranks left in front of `to` for a piece of `owner`: a dropped piece needs
// somewhere to move afterwards.
int rows_ahead(int to, int owner) { return owner == SENTE ? row_of(to) : 8 - row_of(to); }

int column_has_own_pawn(int to, int owner, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    for (int cell = column_of(to); cell < SQUARES; cell += 9) {
        const PieceRecord &held = pieces[board[cell]];
        if (held.kind == PAWN && held.owner == owner) return 1;
    }
    return 0;
}

int can_drop(const PieceRecord &piece, int to, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    if (board[to] != NO_PIECE) return 0;
    switch (piece.kind) {
    case KNIGHT: return rows_ahead(to, piece.owner) >= 2;
    case LANCE: return rows_ahead(to, piece.owner) >= 1;
    case PAWN: return rows_ahead(to, piece.owner) >= 1 && !column_has_own_pawn(to, piece.owner, board, pieces);
    default: return 1;  // promoted kinds held inside the search drop as they are
    }
}

// dx and dy are seen from the owner: dy > 0 is forward.
int can_step(const PieceRecord &piece, int from, int to, const int board[BOARD_CELLS]) {
    int dx = column_of(to) - column_of(from);
    int dy = row_of(from) - row_of(to);
    if (piece.owner != SENTE) {
        dx = -dx;
        dy = -dy;
    }
    int adx = abs_of(dx);
    int king_step = adx <= 1 && abs_of(dy) <= 1;
    switch (piece.kind) {
    case KING: return king_step;
    case GOLD:
    case PROMOTED_SILVER:
    case PROMOTED_KNIGHT:
    case PROMOTED_LANCE:
    case PROMOTED_PAWN: return (adx <= 1 && (dy == 0 || dy == 1)) || (dx == 0 && dy == -1);
    case SILVER: return (adx <= 1 && dy == 1) || (adx == 1 && dy == -1);
    case KNIGHT: return adx == 1 && dy == 2;
    case LANCE: return dx == 0 && dy >= 1 && line_is_clear(from, to, board);
    case PAWN: return dx == 0 && dy == 1;
    case ROOK: return rook_reaches(from, to, board);
    case PROMOTED_ROOK: return king_step || rook_reaches(from, to, board);
    case BISHOP: return bishop_reaches(from, to, board);
    case PROMOTED_BISHOP: return king_step || bishop_reaches(from, to, board);
    default: return 0;
    }
}

}  // namespace

int can_move(int from, int to, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    // Unsigned compares keep every index inside the tables for any int input.
    if (static_cast<unsigned>(from) >= BOARD_CELLS || static_cast<unsigned>(to) >= SQUARES || from == to) return 0;
    int mover = board[from];
    int target = board[to];
    if (static_cast<unsigned>(mover) >= NO_PIECE || static_cast<unsigned>(target) > NO_PIECE) return 0;
    const PieceRecord &piece = pieces[mover];
    if (pieces[target].owner == piece.owner) return 0;  // the sentinel's owner matches no side
    if (from >= SENTE_HAND_BASE) return can_drop(piece, to, board, pieces);
    return can_step(piece, from, to, board);
}

int count_attackers(int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int cell, int side) {
    if (static_cast<unsigned>(cell) >= SQUARES) return 0;
    int held = board[cell];
    board[cell] = NO_PIECE;
    int count = 0;
    for (int i = 0; i < PIECE_COUNT; ++i) {
        const PieceRecord &piece = pieces[i];
        if (piece.square <= 99 && piece.owner == side && can_move(piece.square, cell, board, pieces)) ++count;
    }
    board[cell] = held;
    return count;
}
