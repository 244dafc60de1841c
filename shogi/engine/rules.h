// The one movement rule of the program: piece moves, blocking, captures, drops.
// A move that leaves one's own king en prise is allowed; kings are captured.
#pragma once

#include "position.h"

// A set of squares, square t in bit t % 64 of word t / 64.
struct SquareSet {
    unsigned long long word[2];
};

// Bits set in a word, counted in registers: without a popcount instruction in
// the target baseline the builtin becomes a library call.
inline int bits_set(unsigned long long x) {
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0full;
    return static_cast<int>((x * 0x0101010101010101ull) >> 56);
}

// The squares of `set`, ascending, written to `out`; returns how many.
int list_squares(const SquareSet& set, int out[SQUARES]);

inline int square_set_size(const SquareSet &set) { return bits_set(set.word[0]) + bits_set(set.word[1]); }

// 1 when `square` (0..127) is in the set.
inline unsigned has_square(const SquareSet& set, int square) {
    return static_cast<unsigned>(set.word[square / 64] >> (square % 64)) & 1u;
}

// 1 if the piece on `from` (square or hand cell) may go to square `to`.
// Total: any from in 0..255 and any non-negative to; to > 80 is refused.
int can_move(int from, int to, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]);

// Number of `side`'s pieces standing on the board that could move to `cell`,
// with the cell emptied for the count (so defenders of one's own piece there
// count too). The pieces are found through the board.
int count_attackers(const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int cell, int side);
// The same count for both sides at once, indexed by side.
struct AttackerCounts {
    int side[2];
};
AttackerCounts count_attackers_by_side(const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS],
                                       int cell);

// The squares that hold a piece (board cell not NO_PIECE), as a set.
SquareSet occupied_squares(const int board[BOARD_CELLS]);
// count_attackers_by_side for a board whose occupied squares are known:
// `occupied` must be occupied_squares(board). The nearest piece on each line
// is found by a bit scan.
AttackerCounts count_attackers_on(const SquareSet& occupied, const int board[BOARD_CELLS],
                                  const PieceRecord pieces[PIECE_RECORDS], int cell);

// The squares `to` with can_move(from, to), as a set.
SquareSet legal_target_set(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]);
// The same squares, ascending, written to `out`; returns how many.
int legal_targets(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int out[SQUARES]);
// How many squares legal_targets would write.
int count_legal_targets(int from, const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]);

// Two of the three above for a board whose occupied squares are known (`occupied`
// must be occupied_squares(board)): the engine works them out once per
// position and asks many questions of it.
SquareSet legal_target_set_on(const SquareSet& occupied, int from, const int board[BOARD_CELLS],
                              const PieceRecord pieces[PIECE_RECORDS]);
int count_legal_targets_on(const SquareSet& occupied, int from, const int board[BOARD_CELLS],
                           const PieceRecord pieces[PIECE_RECORDS]);

// A move tried on the board: the piece on `from` (a square, or a hand cell
// for a drop) has gone to square `to`. The board holds the trial; the piece
// table is left as it was.
struct TrialMove {
    int from;
    int to;
};

// What a trial changes in its position's counts: each changed square and
// each line piece whose reach crosses one of them attacks new squares.
class TrialCounts {
public:
    // count_attackers_on for the board holding the trial.
    AttackerCounts attackers(int cell) const;

    SquareSet occupied;  // with the trial on the board
    SquareSet reach;     // legal_target_set_on(occupied, to, board, pieces)

private:
    friend class PositionCache;
    // Attackers added to (or, wrapping around, taken from) a set of squares.
    struct Change {
        SquareSet attacked;
        unsigned packed;
    };
    // Each piece on a changed square, and each line piece, is taken out and
    // put back with its new attacks.
    static constexpr int MAX_CHANGES = 2 * (2 + SQUARES);

    void add(const SquareSet& attacked, unsigned packed);

    const unsigned* position_counts_;
    Change changes_[MAX_CHANGES];
    int change_count_;
};

// A position the engine scores many trial moves on: its occupied squares,
// and every square's attackers, found once from each piece's attacks. A trial
// only recounts the pieces on its two squares and the line pieces whose
// reach crosses them.
class PositionCache {
public:
    // Takes the position as the board and piece table hold it now; the piece
    // table must stay as it is while the cache is in use.
    void reset(const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]);

    const SquareSet& occupied() const { return occupied_; }
    // The squares that hold no piece.
    SquareSet empty() const;
    // 1 when the move puts `piece`, a piece the tables know, from outside
    // the board onto a square that holds no piece.
    int drops_onto_empty(const TrialMove& move, int piece) const;
    // count_attackers_on for the position.
    AttackerCounts attackers(int cell) const;
    // legal_target_set_on for the position.
    SquareSet targets(int from, const int board[BOARD_CELLS]) const;
    // The squares a piece the tables know, put on the empty square `to`, reaches.
    SquareSet drop_reach(const PieceRecord& piece, int to) const;
    // Attackers of `cell` once something stands on the empty square `to`,
    // not counting what stands there.
    AttackerCounts attackers_past(int to, int cell) const;
    // The counts while `board` holds the trial on the position.
    void trial(const TrialMove& move, const int board[BOARD_CELLS], TrialCounts& counts) const;

private:
    // Records, for each empty square the line piece on `square` reaches, the
    // squares that piece no longer reaches once something stands there.
    void note_cuts(const PieceRecord& piece, int square);
    // Adds to `counts` what changes on the lines of the line pieces on the
    // `crossed` squares that pass the changed squares.
    void recount_lines(const SquareSet& crossed, const int changed[], int changed_count, const int board[BOARD_CELLS],
                       TrialCounts& counts) const;

    const PieceRecord* pieces_;
    SquareSet occupied_;
    SquareSet closed_[2];            // per side: its own pieces' squares (and odd numbers')
    SquareSet attacks_[SQUARES];     // per square: the squares its piece attacks
    unsigned packed_one_[SQUARES];   // per square: one attacker of its piece's owner, packed (0: none)
    SquareSet crossed_by_[SQUARES];  // per square: the line pieces' squares whose attacks include it
    unsigned counts_[SQUARES];       // per square: its attackers, packed
    SquareSet cut_by_drop_[SQUARES][2];  // per empty square and side: attacks lost by a piece put there
};
