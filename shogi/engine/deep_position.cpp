#include "deep_position.h"

namespace {

// Keys of the position hash: one per side, kind and square, and one per side
// and kind in hand (added once per piece held, so the count counts).
struct HashKeys {
    unsigned long long board[2][PIECE_KINDS][SQUARES];
    unsigned long long hand[2][PIECE_KINDS];
    unsigned long long gote_to_move;
};

constexpr unsigned long long next_key(unsigned long long& state) {
    state += 0x9e3779b97f4a7c15ull;
    unsigned long long z = state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

constexpr HashKeys build_hash_keys(void) {
    HashKeys keys{};
    unsigned long long state = 0x5eed;
    for (auto& side : keys.board)
        for (auto& kind : side)
            for (unsigned long long& key : kind) key = next_key(state);
    for (auto& side : keys.hand)
        for (unsigned long long& key : side) key = next_key(state);
    keys.gote_to_move = next_key(state);
    return keys;
}

const HashKeys KEYS = build_hash_keys();

int king_piece(int side) { return side == SENTE ? SENTE_KING_PIECE : GOTE_KING_PIECE; }
int on_board(const PieceRecord& piece) { return piece.square < SQUARES; }
int is_side(int side) { return side == SENTE || side == GOTE; }

void add(SquareSet& set, int square) { set.word[square / 64] |= 1ull << (square % 64); }

SquareSet both(const SquareSet& a, const SquareSet& b) {
    return SquareSet{{a.word[0] & b.word[0], a.word[1] & b.word[1]}};
}

SquareSet but_not(const SquareSet& a, const SquareSet& b) {
    return SquareSet{{a.word[0] & ~b.word[0], a.word[1] & ~b.word[1]}};
}

// The squares of the board rows that a side may drop a kind on: a piece
// needs a row ahead to move to (two for a knight).
struct DropRows {
    SquareSet allowed[2][3];  // by side: one row ahead needed, two, none
};

DropRows build_drop_rows(void) {
    DropRows rows{};
    for (int square = 0; square < SQUARES; ++square) {
        for (int side = SENTE; side <= GOTE; ++side) {
            int ahead = side == SENTE ? square / 9 : 8 - square / 9;
            if (ahead >= 1) add(rows.allowed[side][0], square);
            if (ahead >= 2) add(rows.allowed[side][1], square);
            add(rows.allowed[side][2], square);
        }
    }
    return rows;
}

const DropRows DROP_ROWS = build_drop_rows();

const SquareSet& drop_rows(int side, int kind) {
    if (kind == KNIGHT) return DROP_ROWS.allowed[side][1];
    if (kind == PAWN || kind == LANCE) return DROP_ROWS.allowed[side][0];
    return DROP_ROWS.allowed[side][2];
}

// The squares of every column that holds a pawn of `side`.
SquareSet pawn_columns(const PieceRecord pieces[PIECE_RECORDS], int side) {
    SquareSet columns{{0, 0}};
    for (int i = 0; i < PIECE_COUNT; ++i) {
        const PieceRecord& p = pieces[i];
        if (p.kind != PAWN || p.owner != side || !on_board(p)) continue;
        for (int square = p.square % 9; square < SQUARES; square += 9) add(columns, square);
    }
    return columns;
}

SquareSet all_squares(void) { return SquareSet{{~0ull, (1ull << (SQUARES - 64)) - 1}}; }

int append_targets(DeepMove out[], int n, int from, const SquareSet& targets) {
    for (int w = 0; w < 2; ++w)
        for (unsigned long long bits = targets.word[w]; bits != 0; bits &= bits - 1)
            out[n++] = DeepMove{from, 64 * w + __builtin_ctzll(bits), 0};
    return n;
}

}  // namespace

void DeepPosition::set(const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int side) {
    for (int cell = 0; cell < BOARD_CELLS; ++cell) board_[cell] = board[cell];
    for (int i = 0; i < PIECE_RECORDS; ++i) pieces_[i] = pieces[i];
    side_ = side;
    hash_ = side == GOTE ? KEYS.gote_to_move : 0;
    hand_sum_ = 0;
    for (int i = 0; i < PIECE_COUNT; ++i) {
        const PieceRecord& p = pieces_[i];
        if (!is_side(p.owner) || static_cast<unsigned>(p.kind) >= PIECE_KINDS) continue;
        if (on_board(p))
            hash_ ^= KEYS.board[p.owner][p.kind][p.square];
        else if (p.square >= SENTE_HAND_BASE)
            hand_sum_ += KEYS.hand[p.owner][p.kind];
    }
}

void DeepPosition::make(int from, int to, DeepUndo& undo) {
    int mover = board_[from];
    int side = side_;
    int captured = board_[to];
    undo = DeepUndo{from, to, side, captured, pieces_[captured].kind, 0, hash_, hand_sum_};
    if (from < SQUARES)
        hash_ ^= KEYS.board[side][pieces_[mover].kind][from];
    else
        hand_sum_ -= KEYS.hand[side][pieces_[mover].kind];
    if (captured != NO_PIECE) {
        hash_ ^= KEYS.board[opponent(side)][undo.captured_kind][to];
        hand_sum_ += KEYS.hand[side][demoted_kind(undo.captured_kind)];
    }
    undo.promoted = make_move(from, to, side, board_, pieces_);
    if (captured != NO_PIECE) pieces_[captured].kind = demoted_kind(undo.captured_kind);
    hash_ ^= KEYS.board[side][pieces_[mover].kind][to] ^ KEYS.gote_to_move;
    side_ = opponent(side);
}

void DeepPosition::unmake(const DeepUndo& undo) {
    if (undo.captured != NO_PIECE) pieces_[undo.captured].kind = undo.captured_kind;
    unmake_move(undo.from, undo.to, undo.side, undo.captured, undo.promoted, board_, pieces_);
    side_ = undo.side;
    hash_ = undo.hash;
    hand_sum_ = undo.hand_sum;
}

void DeepPosition::pass(void) {
    side_ = opponent(side_);
    hash_ ^= KEYS.gote_to_move;
}

int DeepPosition::king_square(int side) const { return pieces_[king_piece(side)].square; }

int DeepPosition::in_check(int side) const {
    int king = king_square(side);
    if (king >= SQUARES || pieces_[king_piece(side)].owner != side) return 0;
    return count_attackers_on(occupied_squares(board_), board_, pieces_, king).side[opponent(side)] > 0;
}

int DeepPosition::can_take_king(void) const { return in_check(opponent(side_)); }

// Each kind drops from the first hand slot that holds one, as a record
// replayed by kind does, so that the game and its replay number the pieces alike.
int DeepPosition::list_drops(DeepMove out[], int n, const SquareSet& empty) const {
    unsigned kinds_seen = 0;
    SquareSet pawn_free = but_not(empty, pawn_columns(pieces_, side_));
    for (int cell = hand_base(side_); cell < hand_base(side_) + HAND_SLOTS; ++cell) {
        const PieceRecord& p = pieces_[board_[cell]];
        if (board_[cell] == NO_PIECE || static_cast<unsigned>(p.kind) >= PIECE_KINDS) continue;
        if (kinds_seen & (1u << p.kind)) continue;
        kinds_seen |= 1u << p.kind;
        n = append_targets(out, n, cell, both(p.kind == PAWN ? pawn_free : empty, drop_rows(side_, p.kind)));
    }
    return n;
}

int DeepPosition::list_moves(DeepMove out[MAX_DEEP_MOVES]) const {
    SquareSet occupied = occupied_squares(board_);
    int n = 0;
    for (int i = 0; i < PIECE_COUNT; ++i) {
        const PieceRecord& p = pieces_[i];
        if (p.owner != side_ || !on_board(p)) continue;
        n = append_targets(out, n, p.square, legal_target_set_on(occupied, p.square, board_, pieces_));
    }
    return list_drops(out, n, but_not(all_squares(), occupied));
}

int DeepPosition::list_captures(DeepMove out[MAX_DEEP_MOVES]) const {
    SquareSet occupied = occupied_squares(board_);
    SquareSet theirs{{0, 0}};
    for (int i = 0; i < PIECE_COUNT; ++i)
        if (pieces_[i].owner == opponent(side_) && on_board(pieces_[i])) add(theirs, pieces_[i].square);
    int n = 0;
    for (int i = 0; i < PIECE_COUNT; ++i) {
        const PieceRecord& p = pieces_[i];
        if (p.owner != side_ || !on_board(p)) continue;
        n = append_targets(out, n, p.square, both(legal_target_set_on(occupied, p.square, board_, pieces_), theirs));
    }
    return n;
}
