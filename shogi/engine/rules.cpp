#include "rules.h"

#include <cstring>
#include <initializer_list>

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
    if (is_drop(from)) return can_drop(piece, to, board, pieces);
    return can_step(piece, from, to, board);
}

void add_square(SquareSet &set, int square) { set.word[square / 64] |= 1ull << (square % 64); }

// Without a branch: which squares hold a piece is unpredictable.
void add_square_if(SquareSet &set, int square, bool present) {
    set.word[square / 64] |= static_cast<unsigned long long>(present) << (square % 64);
}

// The squares for which `holds(square)` is true. Sixteen squares are tested
// into one group of bits at a time, which the compiler turns into a few
// vector compares; `holds` is also asked about the squares 81 to 95, whose
// answers are dropped.
template <class Test>
SquareSet squares_where(Test holds) {
    constexpr int GROUP = 16;
    unsigned long long word[2] = {0, 0};
    for (int base = 0; base < SQUARES; base += GROUP) {
        unsigned group = 0;
        for (int k = 0; k < GROUP; ++k) group |= static_cast<unsigned>(base + k < SQUARES && holds(base + k)) << k;
        word[base / 64] |= static_cast<unsigned long long>(group) << (base % 64);
    }
    return SquareSet{{word[0], word[1]}};
}

// The eight lines through a square as (row, column) steps, and the knight
// jumps of both sides.
struct Step {
    int row, column;
};
constexpr int DIRECTIONS = 8;
constexpr Step LINE_STEPS[DIRECTIONS] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};
constexpr int KNIGHT_JUMPS = 4;
constexpr Step KNIGHT_STEPS[KNIGHT_JUMPS] = {{-2, -1}, {-2, 1}, {2, -1}, {2, 1}};

// Per square, the squares along each line outward, nearest first, and the
// squares a knight of either side could jump from. Walking these finds the
// few pieces that may reach a square, or the squares a slider reaches,
// without asking the rule about every square of a pattern.
struct LineTable {
    unsigned char cell[SQUARES][DIRECTIONS][8];
    unsigned char length[SQUARES][DIRECTIONS];
    unsigned char knight[SQUARES][KNIGHT_JUMPS];  // OFF_BOARD where the jump leaves the board
};

constexpr unsigned char OFF_BOARD = 255;

int on_board_at(int row, int column) { return row >= 0 && row < 9 && column >= 0 && column < 9; }

LineTable build_line_table(void) {
    LineTable table{};
    for (int square = 0; square < SQUARES; ++square) {
        int row = row_of(square), column = column_of(square);
        for (int d = 0; d < DIRECTIONS; ++d) {
            int r = row + LINE_STEPS[d].row, c = column + LINE_STEPS[d].column;
            for (; on_board_at(r, c); r += LINE_STEPS[d].row, c += LINE_STEPS[d].column)
                table.cell[square][d][table.length[square][d]++] = static_cast<unsigned char>(9 * r + c);
        }
        for (int j = 0; j < KNIGHT_JUMPS; ++j) {
            int r = row + KNIGHT_STEPS[j].row, c = column + KNIGHT_STEPS[j].column;
            table.knight[square][j] = on_board_at(r, c) ? static_cast<unsigned char>(9 * r + c) : OFF_BOARD;
        }
    }
    return table;
}

const LineTable LINES = build_line_table();

// Per owner and kind: the squares its single steps and jumps reach from each
// square, and the lines (bit d for LINE_STEPS[d]) along which it slides.
struct MoveTable {
    SquareSet steps[2][PIECE_KINDS][SQUARES];
    unsigned char slides[2][PIECE_KINDS];
};

MoveTable build_move_table(void) {
    MoveTable table{};
    for (int owner = SENTE; owner <= GOTE; ++owner) {
        int flip = owner == SENTE ? 1 : -1;
        for (int kind = 0; kind < PIECE_KINDS; ++kind) {
            for (int d = 0; d < DIRECTIONS; ++d) {
                int dx = flip * 2 * LINE_STEPS[d].column, dy = -flip * 2 * LINE_STEPS[d].row;
                if (shape_of(kind, dx, dy) == SLIDE) table.slides[owner][kind] |= 1u << d;
            }
            for (int from = 0; from < SQUARES; ++from)
                for (int to = 0; to < SQUARES; ++to) {
                    int dx = flip * (column_of(to) - column_of(from));
                    int dy = flip * (row_of(from) - row_of(to));
                    if (to != from && shape_of(kind, dx, dy) == STEP) add_square(table.steps[owner][kind][from], to);
                }
        }
    }
    return table;
}

const MoveTable MOVES = build_move_table();

// Per line from a square (and per knight jump), for each owner, the kinds
// (bit k for kind k) that reach the square from the nearest cell on the line,
// from further along it, or by the jump. The nearest piece on a line has
// nothing between it and the square, so its kind and owner settle the rule.
struct AttackTable {
    unsigned short near[DIRECTIONS][2];
    unsigned short far[DIRECTIONS][2];
    unsigned short jump[KNIGHT_JUMPS][2];
};

// The kinds of `owner` whose pattern moves a piece by (row, column) steps;
// with `sliding` only those that get there along a line.
unsigned short kinds_reaching(int owner, int row_step, int column_step, int sliding) {
    int flip = owner == SENTE ? 1 : -1;
    unsigned short kinds = 0;
    for (int kind = 0; kind < PIECE_KINDS; ++kind) {
        Shape shape = shape_of(kind, flip * column_step, -flip * row_step);
        if (sliding ? shape == SLIDE : shape != UNREACHABLE) kinds |= 1u << kind;
    }
    return kinds;
}

AttackTable build_attack_table(void) {
    AttackTable table{};
    for (int owner = SENTE; owner <= GOTE; ++owner) {
        // An attacker out along LINE_STEPS[d] moves back against it.
        for (int d = 0; d < DIRECTIONS; ++d) {
            table.near[d][owner] = kinds_reaching(owner, -LINE_STEPS[d].row, -LINE_STEPS[d].column, 0);
            table.far[d][owner] = kinds_reaching(owner, -2 * LINE_STEPS[d].row, -2 * LINE_STEPS[d].column, 1);
        }
        for (int j = 0; j < KNIGHT_JUMPS; ++j)
            table.jump[j][owner] = kinds_reaching(owner, -KNIGHT_STEPS[j].row, -KNIGHT_STEPS[j].column, 0);
    }
    return table;
}

const AttackTable ATTACKS = build_attack_table();

// Counts of both sides packed in one word, sente's in the low half: summed
// without indexing by side.
constexpr int SIDE_SHIFT = 16;

// 1 for the owner of the piece numbered `number` (packed) when its kind is in
// that owner's mask; odd numbers, owners and kinds count for nobody.
inline unsigned tally(int number, const PieceRecord pieces[PIECE_RECORDS], const unsigned short kinds[2]) {
    if (static_cast<unsigned>(number) >= NO_PIECE) return 0;
    unsigned owner = static_cast<unsigned>(pieces[number].owner);
    unsigned kind = static_cast<unsigned>(pieces[number].kind);
    if (owner > GOTE || kind >= PIECE_KINDS) return 0;
    return ((kinds[owner] >> kind) & 1u) << (SIDE_SHIFT * owner);
}

AttackerCounts unpacked(unsigned packed) {
    return AttackerCounts{{static_cast<int>(packed & ((1u << SIDE_SHIFT) - 1)), static_cast<int>(packed >> SIDE_SHIFT)}};
}

// Per square and line, the squares along the line outward, as a set: the
// occupied ones among them, nearest first, are found by one bit scan.
struct RayTable {
    SquareSet ray[SQUARES][DIRECTIONS];
};

RayTable build_ray_table(void) {
    RayTable table{};
    for (int square = 0; square < SQUARES; ++square)
        for (int d = 0; d < DIRECTIONS; ++d)
            for (int i = 0; i < LINES.length[square][d]; ++i) add_square(table.ray[square][d], LINES.cell[square][d][i]);
    return table;
}

const RayTable RAYS = build_ray_table();

// Lines 4..7 run toward higher cell numbers, so their nearest square is the
// lowest of the set; lines 0..3 run toward lower numbers.
constexpr int FIRST_ASCENDING_LINE = 4;
static_assert(LINE_STEPS[FIRST_ASCENDING_LINE].row * 9 + LINE_STEPS[FIRST_ASCENDING_LINE].column > 0);
static_assert(LINE_STEPS[FIRST_ASCENDING_LINE - 1].row * 9 + LINE_STEPS[FIRST_ASCENDING_LINE - 1].column < 0);

int lowest_square(unsigned long long low, unsigned long long high) {
    return low != 0 ? __builtin_ctzll(low) : 64 + __builtin_ctzll(high);
}

int highest_square(unsigned long long low, unsigned long long high) {
    return high != 0 ? 127 - __builtin_clzll(high) : 63 - __builtin_clzll(low);
}

SquareSet without(const SquareSet& set, const SquareSet& taken) {
    return SquareSet{{set.word[0] & ~taken.word[0], set.word[1] & ~taken.word[1]}};
}

SquareSet united(const SquareSet& a, const SquareSet& b) {
    return SquareSet{{a.word[0] | b.word[0], a.word[1] | b.word[1]}};
}

void set_square(SquareSet& set, int square, int present) {
    unsigned long long bit = 1ull << (square % 64);
    unsigned long long& word = set.word[square / 64];
    word = present ? word | bit : word & ~bit;
}

// A piece the attack tables know: a real number, a side, a kind.
const PieceRecord* counted_piece(int number, const PieceRecord pieces[PIECE_RECORDS]) {
    if (static_cast<unsigned>(number) >= NO_PIECE) return nullptr;
    const PieceRecord* piece = &pieces[number];
    if (static_cast<unsigned>(piece->owner) > GOTE || static_cast<unsigned>(piece->kind) >= PIECE_KINDS) return nullptr;
    return piece;
}

// One attacker of `side`, packed.
unsigned packed_one_of(int side) { return 1u << (SIDE_SHIFT * side); }
unsigned packed_one(const PieceRecord& piece) { return packed_one_of(piece.owner); }

int is_square(int cell) { return static_cast<unsigned>(cell) < SQUARES; }

// The nearest occupied square along line d from `from`, or NO_SQUARE.
int nearest_on_line(const SquareSet& occupied, int from, int d) {
    const SquareSet& ray = RAYS.ray[from][d];
    unsigned long long low = occupied.word[0] & ray.word[0];
    unsigned long long high = occupied.word[1] & ray.word[1];
    if ((low | high) == 0) return NO_SQUARE;
    return d >= FIRST_ASCENDING_LINE ? lowest_square(low, high) : highest_square(low, high);
}

// The squares along line d from `from` up to the first occupied one, that
// one included.
SquareSet reach_along(const SquareSet& occupied, int from, int d) {
    int nearest = nearest_on_line(occupied, from, d);
    const SquareSet& ray = RAYS.ray[from][d];
    return nearest == NO_SQUARE ? ray : without(ray, RAYS.ray[nearest][d]);
}

// A board piece's squares from its steps and lines, before its own pieces
// are taken out: an enemy ends a line and is taken.
SquareSet open_targets(const SquareSet& occupied, const PieceRecord &piece, int from) {
    int owner = piece.owner != SENTE;
    SquareSet set = MOVES.steps[owner][piece.kind][from];
    for (unsigned lines = MOVES.slides[owner][piece.kind]; lines != 0; lines &= lines - 1) {
        SquareSet line = reach_along(occupied, from, __builtin_ctz(lines));
        set.word[0] |= line.word[0];
        set.word[1] |= line.word[1];
    }
    return set;
}

// Whether a piece of `side` is kept off a square holding `number`: by its own
// piece, or by a number that names no piece (unsigned: nor any negative one).
inline int closes_to(int number, const PieceRecord pieces[PIECE_RECORDS], int side) {
    return static_cast<unsigned>(number) > NO_PIECE || pieces[number].owner == side;
}

SquareSet board_piece_targets(const SquareSet& occupied, const PieceRecord &piece, int from,
                              const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    SquareSet set = open_targets(occupied, piece, from);
    for (int w = 0; w < 2; ++w) {
        for (unsigned long long bits = set.word[w]; bits != 0; bits &= bits - 1) {
            int to = 64 * w + __builtin_ctzll(bits);
            if (closes_to(board[to], pieces, piece.owner)) set.word[w] &= ~(1ull << (to % 64));
        }
    }
    return set;
}

// The board piece on `from`, when it is one the tables know: a square holding
// a real piece of a known kind.
const PieceRecord* known_board_piece(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    if (static_cast<unsigned>(from) >= SQUARES || static_cast<unsigned>(board[from]) >= NO_PIECE) return nullptr;
    const PieceRecord* piece = &pieces[board[from]];
    return static_cast<unsigned>(piece->kind) < PIECE_KINDS ? piece : nullptr;
}

// The nearest piece on line d from `cell`, counted for its owner when it
// reaches the cell; packed.
inline unsigned line_tally(const SquareSet& occupied, const int board[], const PieceRecord pieces[PIECE_RECORDS],
                           int cell, int d) {
    int nearest = nearest_on_line(occupied, cell, d);
    if (nearest == NO_SQUARE) return 0;
    return tally(board[nearest], pieces, nearest == LINES.cell[cell][d][0] ? ATTACKS.near[d] : ATTACKS.far[d]);
}

// count_attackers_on, packed; `board` is read on squares only.
unsigned packed_attackers_on(const SquareSet& occupied, const int board[], const PieceRecord pieces[PIECE_RECORDS],
                             int cell) {
    unsigned packed = 0;
    for (int d = 0; d < DIRECTIONS; ++d) packed += line_tally(occupied, board, pieces, cell, d);
    for (int j = 0; j < KNIGHT_JUMPS; ++j) {
        int from = LINES.knight[cell][j];
        if (from != OFF_BOARD) packed += tally(board[from], pieces, ATTACKS.jump[j]);
    }
    return packed;
}

// Per pair of squares, the line from the first that passes the second.
constexpr unsigned char NO_LINE = DIRECTIONS;

struct LineTowardTable {
    unsigned char line[SQUARES][SQUARES];
};

LineTowardTable build_line_toward_table(void) {
    LineTowardTable table;
    for (auto& row : table.line)
        for (unsigned char& line : row) line = NO_LINE;
    for (int square = 0; square < SQUARES; ++square)
        for (int d = 0; d < DIRECTIONS; ++d)
            for (int i = 0; i < LINES.length[square][d]; ++i)
                table.line[square][LINES.cell[square][d][i]] = static_cast<unsigned char>(d);
    return table;
}

const LineTowardTable TOWARD = build_line_toward_table();

}  // namespace

SquareSet occupied_squares(const int board[BOARD_CELLS]) {
    return squares_where([board](int square) { return board[square] != NO_PIECE; });
}

AttackerCounts count_attackers_on(const SquareSet& occupied, const int board[BOARD_CELLS],
                                  const PieceRecord pieces[PIECE_RECORDS], int cell) {
    if (!is_square(cell)) return AttackerCounts{{0, 0}};
    return unpacked(packed_attackers_on(occupied, board, pieces, cell));
}

int can_move(int from, int to, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    return piece_can_move(from, to, board, pieces);
}

AttackerCounts count_attackers_by_side(const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS],
                                       int cell) {
    return count_attackers_on(occupied_squares(board), board, pieces, cell);
}

int count_attackers(const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int cell, int side) {
    if (side != SENTE && side != GOTE) return 0;
    return count_attackers_by_side(board, pieces, cell).side[side];
}

SquareSet legal_target_set(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    return legal_target_set_on(occupied_squares(board), from, board, pieces);
}

SquareSet legal_target_set_on(const SquareSet& occupied, int from, const int board[BOARD_CELLS],
                              const PieceRecord pieces[PIECE_RECORDS]) {
    if (const PieceRecord* piece = known_board_piece(from, board, pieces))
        return board_piece_targets(occupied, *piece, from, board, pieces);
    // Drops and odd cells ask the rule about every square.
    SquareSet set{{0, 0}};
    for (int to = 0; to < SQUARES; ++to)
        if (piece_can_move(from, to, board, pieces)) add_square(set, to);
    return set;
}

int legal_targets(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int out[SQUARES]) {
    return list_squares(legal_target_set(from, board, pieces), out);
}

int list_squares(const SquareSet& set, int out[SQUARES]) {
    int n = 0;
    for (int w = 0; w < 2; ++w) {
        for (unsigned long long bits = set.word[w]; bits != 0; bits &= bits - 1)
            out[n++] = 64 * w + __builtin_ctzll(bits);
    }
    return n;
}

int count_legal_targets(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    return square_set_size(legal_target_set(from, board, pieces));
}

int count_legal_targets_on(const SquareSet& occupied, int from, const int board[BOARD_CELLS],
                           const PieceRecord pieces[PIECE_RECORDS]) {
    return square_set_size(legal_target_set_on(occupied, from, board, pieces));
}


void PositionCache::reset(const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    pieces_ = pieces;
    occupied_ = occupied_squares(board);
    closed_[SENTE] = closed_[GOTE] = SquareSet{{0, 0}};
    std::memset(packed_one_, 0, sizeof packed_one_);
    std::memset(attacks_, 0, sizeof attacks_);
    std::memset(counts_, 0, sizeof counts_);
    std::memset(crossed_by_, 0, sizeof crossed_by_);
    std::memset(cut_by_drop_, 0, sizeof cut_by_drop_);
    // A piece attacks exactly the squares whose count it is in, so the
    // counts are summed from each piece's attacks.
    for (int w = 0; w < 2; ++w) {
        for (unsigned long long occupied = occupied_.word[w]; occupied != 0; occupied &= occupied - 1) {
            int square = 64 * w + __builtin_ctzll(occupied);
            int number = board[square];
            for (int side = SENTE; side <= GOTE; ++side)
                add_square_if(closed_[side], square, closes_to(number, pieces, side));
            const PieceRecord* piece = counted_piece(number, pieces);
            if (piece == nullptr) continue;
            packed_one_[square] = packed_one(*piece);
            attacks_[square] = open_targets(occupied_, *piece, square);
            int slides = MOVES.slides[piece->owner][piece->kind] != 0;
            for (int v = 0; v < 2; ++v) {
                for (unsigned long long bits = attacks_[square].word[v]; bits != 0; bits &= bits - 1) {
                    int target = 64 * v + __builtin_ctzll(bits);
                    counts_[target] += packed_one_[square];
                    if (slides) add_square(crossed_by_[target], square);
                }
            }
            if (slides) note_cuts(*piece, square);
        }
    }
    // The record that empty squares name belongs to nobody, unless a piece
    // table says otherwise.
    for (int side = SENTE; side <= GOTE; ++side)
        if (closes_to(NO_PIECE, pieces, side)) closed_[side] = united(closed_[side], empty());
}

void PositionCache::note_cuts(const PieceRecord& piece, int square) {
    for (unsigned lines = MOVES.slides[piece.owner][piece.kind]; lines != 0; lines &= lines - 1) {
        int d = __builtin_ctz(lines);
        SquareSet line = reach_along(occupied_, square, d);
        SquareSet empty = without(line, occupied_);
        for (int w = 0; w < 2; ++w) {
            for (unsigned long long bits = empty.word[w]; bits != 0; bits &= bits - 1) {
                int target = 64 * w + __builtin_ctzll(bits);
                const SquareSet& beyond = RAYS.ray[target][d];
                SquareSet& cut = cut_by_drop_[target][piece.owner];
                cut.word[0] |= line.word[0] & beyond.word[0];
                cut.word[1] |= line.word[1] & beyond.word[1];
            }
        }
    }
}

SquareSet PositionCache::empty() const {
    constexpr SquareSet ALL_SQUARES{{~0ull, (1ull << (SQUARES - 64)) - 1}};
    return without(ALL_SQUARES, occupied_);
}

int PositionCache::drops_onto_empty(const TrialMove& move, int piece) const {
    return is_drop(move.from) && is_square(move.to) && !has_square(occupied_, move.to) &&
           counted_piece(piece, pieces_) != nullptr;
}

AttackerCounts PositionCache::attackers(int cell) const {
    if (!is_square(cell)) return AttackerCounts{{0, 0}};
    return unpacked(counts_[cell]);
}

SquareSet PositionCache::targets(int from, const int board[BOARD_CELLS]) const {
    // A board piece's targets are its attacks without its side's closed squares.
    const PieceRecord* piece = is_square(from) ? counted_piece(board[from], pieces_) : nullptr;
    if (piece == nullptr) return legal_target_set_on(occupied_, from, board, pieces_);
    return without(attacks_[from], closed_[piece->owner]);
}

void PositionCache::trial(const TrialMove& move, const int board[BOARD_CELLS], TrialCounts& counts) const {
    counts.position_counts_ = counts_;
    counts.change_count_ = 0;
    // The board differs from the position only on the trial's squares.
    int changed[2] = {NO_SQUARE, NO_SQUARE};
    int changed_count = 0;
    for (int square : {move.from, move.to})
        if (is_square(square) && (changed_count == 0 || changed[0] != square)) changed[changed_count++] = square;
    counts.occupied = occupied_;
    SquareSet crossed{{0, 0}};
    for (int i = 0; i < changed_count; ++i) {
        set_square(counts.occupied, changed[i], board[changed[i]] != NO_PIECE);
        crossed = united(crossed, crossed_by_[changed[i]]);
    }
    const PieceRecord* mover = nullptr;
    SquareSet mover_attacks{{0, 0}};
    for (int i = 0; i < changed_count; ++i) {
        int square = changed[i];
        set_square(crossed, square, 0);
        counts.add(attacks_[square], 0u - packed_one_[square]);
        if (const PieceRecord* piece = counted_piece(board[square], pieces_)) {
            SquareSet attacks = open_targets(counts.occupied, *piece, square);
            counts.add(attacks, packed_one(*piece));
            if (square == move.to) {
                mover = piece;
                mover_attacks = attacks;
            }
        }
    }
    recount_lines(crossed, changed, changed_count, board, counts);
    if (mover == nullptr) {
        counts.reach = legal_target_set_on(counts.occupied, move.to, board, pieces_);
        return;
    }
    SquareSet closed = closed_[mover->owner];
    for (int i = 0; i < changed_count; ++i)
        set_square(closed, changed[i], closes_to(board[changed[i]], pieces_, mover->owner));
    counts.reach = without(mover_attacks, closed);
}

SquareSet PositionCache::drop_reach(const PieceRecord& piece, int to) const {
    return without(open_targets(occupied_, piece, to), closed_[piece.owner]);
}

AttackerCounts PositionCache::attackers_past(int to, int cell) const {
    if (!is_square(cell)) return AttackerCounts{{0, 0}};
    unsigned packed = counts_[cell];
    for (int side = SENTE; side <= GOTE; ++side)
        packed -= has_square(cut_by_drop_[to][side], cell) * packed_one_of(side);
    return unpacked(packed);
}

void PositionCache::recount_lines(const SquareSet& crossed, const int changed[], int changed_count,
                                  const int board[BOARD_CELLS], TrialCounts& counts) const {
    for (int w = 0; w < 2; ++w) {
        for (unsigned long long bits = crossed.word[w]; bits != 0; bits &= bits - 1) {
            int square = 64 * w + __builtin_ctzll(bits);
            const PieceRecord& piece = pieces_[board[square]];
            unsigned slides = MOVES.slides[piece.owner][piece.kind];
            int recounted = NO_LINE;
            for (int i = 0; i < changed_count; ++i) {
                int d = TOWARD.line[square][changed[i]];
                if (d == NO_LINE || d == recounted || !((slides >> d) & 1u)) continue;
                recounted = d;
                SquareSet before = reach_along(occupied_, square, d);
                SquareSet after = reach_along(counts.occupied, square, d);
                counts.add(without(after, before), packed_one_[square]);
                counts.add(without(before, after), 0u - packed_one_[square]);
            }
        }
    }
}

void TrialCounts::add(const SquareSet& attacked, unsigned packed) {
    if (packed != 0 && (attacked.word[0] | attacked.word[1]) != 0) changes_[change_count_++] = Change{attacked, packed};
}

AttackerCounts TrialCounts::attackers(int cell) const {
    if (!is_square(cell)) return AttackerCounts{{0, 0}};
    // Unsigned wrap-around in between cancels out: no count ends below zero.
    unsigned packed = position_counts_[cell];
    for (int i = 0; i < change_count_; ++i) {
        const Change& change = changes_[i];
        packed += has_square(change.attacked, cell) * change.packed;
    }
    return unpacked(packed);
}
