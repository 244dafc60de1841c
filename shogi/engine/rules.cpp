#include "rules.h"

namespace {

// Row and column of every cell, looked up: the rules ask for them millions of
// times per think.
struct CellCoordinates {
    unsigned char row[BOARD_CELLS];
    unsigned char column[BOARD_CELLS];
};

constexpr CellCoordinates build_cell_coordinates(void) {
    CellCoordinates table{};
    for (int cell = 0; cell < BOARD_CELLS; ++cell) {
        table.row[cell] = static_cast<unsigned char>(cell / 9);
        table.column[cell] = static_cast<unsigned char>(cell % 9);
    }
    return table;
}

constexpr CellCoordinates COORDINATES = build_cell_coordinates();

// cell is 0..255.
int row_of(int cell) { return COORDINATES.row[cell]; }
int column_of(int cell) { return COORDINATES.column[cell]; }
int sign_of(int n) { return (n > 0) - (n < 0); }

// 1 when every cell strictly between from and to on their common line is
// empty. The line is a column, a row or a diagonal, checked by the caller.
int line_is_clear(int from, int to, const int board[BOARD_CELLS]) {
    int step = 9 * sign_of(row_of(to) - row_of(from)) + sign_of(column_of(to) - column_of(from));
    for (int cell = from + step; cell != to; cell += step)
        if (board[cell] != NO_PIECE) return 0;
    return 1;
}

// How a kind may cover an offset: never, in one step or jump, or along a
// line that must be clear.
enum Shape : unsigned char { UNREACHABLE, STEP, SLIDE };

// The movement pattern of each kind; dx and dy are seen from the owner, dy > 0
// is forward.
Shape shape_of(int kind, int dx, int dy) {
    int adx = dx < 0 ? -dx : dx;
    int ady = dy < 0 ? -dy : dy;
    int king_step = adx <= 1 && ady <= 1;
    int on_rook_line = dx == 0 || dy == 0;
    int on_bishop_line = adx == ady;
    switch (kind) {
    case KING: return king_step ? STEP : UNREACHABLE;
    case GOLD:
    case PROMOTED_SILVER:
    case PROMOTED_KNIGHT:
    case PROMOTED_LANCE:
    case PROMOTED_PAWN: return (adx <= 1 && (dy == 0 || dy == 1)) || (dx == 0 && dy == -1) ? STEP : UNREACHABLE;
    case SILVER: return (adx <= 1 && dy == 1) || (adx == 1 && dy == -1) ? STEP : UNREACHABLE;
    case KNIGHT: return adx == 1 && dy == 2 ? STEP : UNREACHABLE;
    case LANCE: return dx == 0 && dy >= 1 ? SLIDE : UNREACHABLE;
    case PAWN: return dx == 0 && dy == 1 ? STEP : UNREACHABLE;
    case ROOK: return on_rook_line ? SLIDE : UNREACHABLE;
    case PROMOTED_ROOK: return king_step ? STEP : on_rook_line ? SLIDE : UNREACHABLE;
    case BISHOP: return on_bishop_line ? SLIDE : UNREACHABLE;
    case PROMOTED_BISHOP: return king_step ? STEP : on_bishop_line ? SLIDE : UNREACHABLE;
    default: return UNREACHABLE;
    }
}

// The rules are asked millions of times per think, so the pattern is looked
// up by offset instead of being decided case by case. A mover stands on a cell
// below 100 (rows 0..11) and targets a square (rows 0..8), which bounds dy.
constexpr int MAX_DX = 8;
constexpr int MAX_DY = 11;
constexpr int DX_SPAN = 2 * MAX_DX + 1;
constexpr int DY_SPAN = 2 * MAX_DY + 1;

struct ShapeTable {
    Shape shape[PIECE_KINDS][DY_SPAN][DX_SPAN];
};

ShapeTable build_shape_table(void) {
    ShapeTable table{};
    for (int kind = 0; kind < PIECE_KINDS; ++kind)
        for (int dy = -MAX_DY; dy <= MAX_DY; ++dy)
            for (int dx = -MAX_DX; dx <= MAX_DX; ++dx)
                table.shape[kind][dy + MAX_DY][dx + MAX_DX] = shape_of(kind, dx, dy);
    return table;
}

const ShapeTable SHAPES = build_shape_table();

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

// from is a cell below 100, to a square.
inline int can_step(const PieceRecord &piece, int from, int to, const int board[BOARD_CELLS]) {
    if (static_cast<unsigned>(piece.kind) >= PIECE_KINDS) return 0;
    int dx = column_of(to) - column_of(from);
    int dy = row_of(from) - row_of(to);
    if (piece.owner != SENTE) {
        dx = -dx;
        dy = -dy;
    }
    switch (SHAPES.shape[piece.kind][dy + MAX_DY][dx + MAX_DX]) {
    case STEP: return 1;
    case SLIDE: return line_is_clear(from, to, board);
    default: return 0;
    }
}

// The rule itself, inlined into the counting loops of this file.
inline int piece_can_move(int from, int to, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
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

constexpr SquareSet EVERY_SQUARE{{~0ull, (1ull << (SQUARES - 64)) - 1}};

// Per owner, kind and board square, the squares of the kind's pattern: every
// move the rules allow a board piece lies in it, so only those need asking.
struct ReachTable {
    SquareSet reach[2][PIECE_KINDS][SQUARES];
};

ReachTable build_reach_table(void) {
    ReachTable table{};
    for (int owner = SENTE; owner <= GOTE; ++owner)
        for (int kind = 0; kind < PIECE_KINDS; ++kind)
            for (int from = 0; from < SQUARES; ++from)
                for (int to = 0; to < SQUARES; ++to) {
                    int flip = owner == SENTE ? 1 : -1;
                    int dx = flip * (column_of(to) - column_of(from));
                    int dy = flip * (row_of(from) - row_of(to));
                    if (to != from && shape_of(kind, dx, dy) != UNREACHABLE)
                        table.reach[owner][kind][from].word[to / 64] |= 1ull << (to % 64);
                }
    return table;
}

const ReachTable REACH = build_reach_table();

// Per square, the cells from which some kind's pattern reaches it. Cells past
// the board (81..127) are kept in, so an odd record still meets the full rule.
struct SourceTable {
    SquareSet source[SQUARES];
};

SourceTable build_source_table(void) {
    SourceTable table{};
    for (int to = 0; to < SQUARES; ++to) {
        table.source[to].word[1] = ~0ull << (SQUARES - 64);
        for (int owner = SENTE; owner <= GOTE; ++owner)
            for (int kind = 0; kind < PIECE_KINDS; ++kind)
                for (int from = 0; from < SQUARES; ++from)
                    if (square_set_has(REACH.reach[owner][kind][from], to))
                        table.source[to].word[from / 64] |= 1ull << (from % 64);
    }
    return table;
}

const SourceTable SOURCES = build_source_table();

}  // namespace

SquareSet pattern_targets(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    if (static_cast<unsigned>(from) >= SQUARES || static_cast<unsigned>(board[from]) >= NO_PIECE) return EVERY_SQUARE;
    const PieceRecord &piece = pieces[board[from]];
    if (static_cast<unsigned>(piece.kind) >= PIECE_KINDS) return EVERY_SQUARE;
    return REACH.reach[piece.owner != SENTE][piece.kind][from];
}

int can_move(int from, int to, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    return piece_can_move(from, to, board, pieces);
}

int count_attackers(int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int cell, int side) {
    if (static_cast<unsigned>(cell) >= SQUARES) return 0;
    int held = board[cell];
    board[cell] = NO_PIECE;
    // Most pieces stand on no line or jump to the cell: the three tests are
    // combined without branching (the bit is read in bounds for any square and
    // only counts for one up to 99), so only the few left meet the rule.
    const SquareSet &sources = SOURCES.source[cell];
    int count = 0;
    for (int i = 0; i < PIECE_COUNT; ++i) {
        const PieceRecord &piece = pieces[i];
        int sq = piece.square;
        unsigned on_line = static_cast<unsigned>(sources.word[(sq >> 6) & 1] >> (sq & 63)) & 1u;
        if ((static_cast<unsigned>(sq) <= 99u) & (piece.owner == side) & on_line)
            count += piece_can_move(sq, cell, board, pieces);
    }
    board[cell] = held;
    return count;
}

const SquareSet &pattern_sources(int square) { return SOURCES.source[square]; }

namespace {

// The squares legal_targets writes, as a set.
SquareSet legal_target_set(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    SquareSet set = pattern_targets(from, board, pieces);
    for (int w = 0; w < 2; ++w) {
        for (unsigned long long bits = set.word[w]; bits != 0; bits &= bits - 1) {
            int to = 64 * w + __builtin_ctzll(bits);
            if (!piece_can_move(from, to, board, pieces)) set.word[w] &= ~(1ull << (to % 64));
        }
    }
    return set;
}

}  // namespace

int legal_targets(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int out[SQUARES]) {
    SquareSet set = legal_target_set(from, board, pieces);
    int n = 0;
    for (int w = 0; w < 2; ++w) {
        for (unsigned long long bits = set.word[w]; bits != 0; bits &= bits - 1)
            out[n++] = 64 * w + __builtin_ctzll(bits);
    }
    return n;
}

int count_legal_targets(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    SquareSet set = legal_target_set(from, board, pieces);
    return __builtin_popcountll(set.word[0]) + __builtin_popcountll(set.word[1]);
}
