#include "evaluation.h"

#include <cstdlib>

#include "rules.h"
#include "settings.h"

namespace {

constexpr int CENTRE = 40;  // square 55
constexpr int LAST_SQUARE = SQUARES - 1;
constexpr int ROOK_PIECES[2] = {1, 21};

// Settings values are taken as read, unchecked: sums and products wrap in
// two's complement 32-bit arithmetic rather than overflowing undefined.
int add32(int a, int b) { return static_cast<int>(static_cast<unsigned>(a) + static_cast<unsigned>(b)); }
int sub32(int a, int b) { return static_cast<int>(static_cast<unsigned>(a) - static_cast<unsigned>(b)); }
int mul32(int a, int b) { return static_cast<int>(static_cast<unsigned>(a) * static_cast<unsigned>(b)); }

int own_king(int side) { return side == SENTE ? SENTE_KING_PIECE : GOTE_KING_PIECE; }

// Coefficient triple of the current phase; GIVE_UP (no search runs then)
// reads the end-game triple rather than past the table.
const int* phase_triple(const int table[SCORED_PHASES][3]) {
    int phase = game_phase < JOBAN ? JOBAN : game_phase > SHUBAN ? SHUBAN : game_phase;
    return table[phase];
}

// Pull of piece toward its target in the chosen formation. Without a usable
// formation (index negative before a reset picked one, or beyond the table)
// there is no pull at all.
int formation_pull(const EngineSettings& es, int piece, int square, int coef_a) {
    if (es.formation < 0 || es.formation >= MAX_FORMATIONS) return 0;
    const FormationEntry& e = es.formations[es.formation][piece];
    int divisor = row_distance(e.target, square) + 1 + 2 * column_distance(e.target, square);
    return mul32(e.weight, coef_a) / divisor;
}

// The squares of each column, to count a rook's reach along its file.
struct ColumnTable {
    SquareSet squares[9];
};

constexpr ColumnTable build_column_table(void) {
    ColumnTable table{};
    for (int square = 0; square < SQUARES; ++square)
        table.squares[square % 9].word[square / 64] |= 1ull << (square % 64);
    return table;
}

constexpr ColumnTable COLUMNS = build_column_table();

// The squares of `set` in the column of board square `square`.
SquareSet on_file(const SquareSet& set, int square) {
    const SquareSet& column = COLUMNS.squares[square % 9];
    return SquareSet{{set.word[0] & column.word[0], set.word[1] & column.word[1]}};
}

int centre_distance(int square) { return column_distance(CENTRE, square) + row_distance(CENTRE, square); }

// A position being judged, with its occupied squares worked out once.
struct Judged {
    const int* board;
    const PieceRecord* pieces;
    SquareSet occupied;
};

// Number of squares the piece on `square` could move to.
int mobility(const Judged& j, int square) { return count_legal_targets_on(j.occupied, square, j.board, j.pieces); }

// The engine side's pieces that could move to `square`.
int own_guards(const Judged& j, int square) {
    return count_attackers_on(j.occupied, j.board, j.pieces, square).side[engine_side];
}

// Pieces of the sides other than `owner`.
int others_of(const AttackerCounts& counts, int owner) {
    int others = 0;
    for (int side = SENTE; side <= GOTE; ++side)
        if (side != owner) others += counts.side[side];
    return others;
}

void shift_count(AttackerCounts& counts, int side, int by) {
    if (side == SENTE || side == GOTE) counts.side[side] += by;
}

// The pieces of each side that reach `to`, where the mover now stands; the
// support, exchange and unsafe-drop terms all ask for these counts.
struct TargetCover {
    int guards;     // the engine side's
    int attackers;  // the other side's, from the mover's point of view
    int opponents;  // the engine side's opponent's
};

// A candidate while it is scored, with what several terms ask for worked
// out once: the mover's targets from `to` and the cover of `to`.
struct TriedMove {
    int from;
    int to;
    int mover;
    int captured;
    SquareSet reach;
    TargetCover cover;
};

// Attackers of `cell` as the untouched piece table sees a tried move: the
// captured piece's record still names `to`, so the mover standing there
// counts for the captured piece's owner instead of its own (for nobody
// without a capture). `reached` tells whether the mover reaches `cell`.
AttackerCounts attackers_during_trial(const TriedMove& move, const TrialCounts& trial,
                                      const PieceRecord pieces[PIECE_RECORDS], int cell, int reached) {
    AttackerCounts counts = trial.attackers(cell);
    if (reached) {
        shift_count(counts, pieces[move.mover].owner, -1);
        shift_count(counts, pieces[move.captured].owner, 1);
    }
    return counts;
}

TargetCover cover_of(const AttackerCounts& counts, int mover_owner) {
    return TargetCover{counts.side[engine_side], others_of(counts, mover_owner), counts.side[engine_opponent]};
}

// `board` holds the move on the cache's position.
void try_move(TriedMove& move, TrialCounts& trial, const PositionCache& cache, const int board[BOARD_CELLS],
              const PieceRecord pieces[PIECE_RECORDS]) {
    cache.trial(TrialMove{move.from, move.to}, board, trial);
    // Word by word: one 16-byte load of words just stored apart stalls.
    move.reach.word[0] = trial.reach.word[0];
    move.reach.word[1] = trial.reach.word[1];
    move.cover = cover_of(trial.attackers(move.to), pieces[move.mover].owner);
}

// Gains from the pieces of the other side that the mover, now on `to`,
// attacks (its reach among the occupied squares: the reach holds no piece of
// its own side): each is worth its value over one more than its defenders,
// which `defenders_of(square)` counts.
template <class Defenders>
int attack_gains(const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], const TriedMove& move,
                 const SquareSet& occupied, int b, Defenders defenders_of) {
    const int* value = engine_settings[engine_side].value;
    int gains = 0;
    for (int w = 0; w < 2; ++w) {
        for (unsigned long long bits = move.reach.word[w] & occupied.word[w]; bits != 0; bits &= bits - 1) {
            int sq = 64 * w + __builtin_ctzll(bits);
            gains = add32(gains, mul32(b, value[pieces[board[sq]].kind]) / (defenders_of(sq) + 1));
        }
    }
    return gains;
}

// What the cover of `to` makes of the mover, worth `mover_value`: the
// attackers that could take it, against its guards, which from the middle
// game on also count in its favour. The sums wrap, so each count is
// multiplied out at once.
int cover_terms(const TargetCover& cover, int mover_value) {
    int t2 = sub32(0, mul32(cover.attackers, mover_value / (cover.guards + 1)));
    if (game_phase == CHUBAN || game_phase == SHUBAN) t2 = add32(t2, mul32(mover_value / 5, cover.guards));
    return t2;
}

int mover_value_of(const TriedMove& move, const PieceRecord pieces[PIECE_RECORDS], int b) {
    return mul32(b, engine_settings[engine_side].value[pieces[move.mover].kind]);
}

// The tactics of a move on the board: what it captures, and its gains and
// losses against every piece of the other side (the captured one included,
// by its record): its attacks, each piece that reaches `from` (the mover's
// old square) and each that reaches `to`.
int tactical_term(const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], const TriedMove& move,
                  const TrialCounts& trial, int b) {
    const int* value = engine_settings[engine_side].value;
    const PieceRecord& mover = pieces[move.mover];
    int mover_value = mover_value_of(move, pieces, b);
    int t2 = 0;
    if (move.captured != NO_PIECE)
        t2 = mul32(add32(sub32(value[KING], value[mover.kind]), value[pieces[move.captured].kind]), b);
    int from = move.from;
    if (from <= LAST_SQUARE) {  // a hand cell is reached by nobody
        int returns = has_square(move.reach, from);
        int from_hits = others_of(attackers_during_trial(move, trial, pieces, from, returns), mover.owner);
        t2 = add32(t2, mul32(from_hits, mover_value));
    }
    auto defenders_of = [&](int sq) {
        return attackers_during_trial(move, trial, pieces, sq, 1).side[engine_opponent];
    };
    t2 = add32(t2, attack_gains(board, pieces, move, trial.occupied, b, defenders_of));
    return add32(t2, cover_terms(move.cover, mover_value));
}

// The tactics of a drop onto an empty square: no capture, and no piece
// reaches a hand cell. The mover's own attack on a square it reaches is
// taken back for it (nobody's piece is captured), so its defenders are the
// position's, less the line pieces that the dropped piece cuts off.
int drop_tactical_term(const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], const TriedMove& move,
                       const PositionCache& cache, int b) {
    auto defenders_of = [&](int sq) { return cache.attackers_past(move.to, sq).side[engine_opponent]; };
    int gains = attack_gains(board, pieces, move, cache.occupied(), b, defenders_of);
    return add32(gains, cover_terms(move.cover, mover_value_of(move, pieces, b)));
}

int unsafe_drop(const TriedMove& move) {
    return is_drop(move.from) && move.cover.opponents > 0 && move.cover.guards == 0;
}

// The random bonus of a pawn push is drawn when the pawn starts far from the
// engine side's king (by column; a hand cell's number counts as it is).
int pawn_push_draws(const PieceRecord pieces[PIECE_RECORDS], int from) {
    return column_distance(pieces[own_king(engine_side)].square, from) > 4;
}

// Pawn push: rewarded on an own rook's file, and with a random bonus when
// played far from the own king.
int pawn_activity(const PieceRecord pieces[PIECE_RECORDS], int from, int to, int c) {
    const int pawn = engine_settings[engine_side].value[PAWN];
    int t3 = 0;
    for (int rook : ROOK_PIECES)
        if (pieces[rook].owner == engine_side && column_distance(pieces[rook].square, to) == 0)
            t3 = add32(t3, mul32(c, pawn));
    if (pawn_push_draws(pieces, from)) {
        // The number is drawn whatever the pawn's value, so that the sequence
        // of draws never depends on it; a value of 0 gives no bonus instead
        // of a remainder by zero.
        int drawn = std::rand();
        if (pawn != 0) t3 = add32(t3, mul32(drawn % pawn, c));
    }
    return t3;
}

int move_activity(const PieceRecord pieces[PIECE_RECORDS], const TriedMove& move, int c) {
    int to = move.to;
    switch (pieces[move.mover].kind) {
    case KING:
        return mul32(centre_distance(to), c);
    case ROOK:
    case PROMOTED_ROOK:
        // Reach along the own file counts double; the sum wraps, so it is
        // multiplied out.
        return mul32(square_set_size(move.reach) + square_set_size(on_file(move.reach, to)), c);
    case BISHOP:
    case PROMOTED_BISHOP:
        return mul32(square_set_size(move.reach), c);
    case PAWN:
        return pawn_activity(pieces, move.from, to, c);
    default:
        return 0;
    }
}

// Rook file term: each own pawn on the rook's file blocks the rook's way
// forward and costs a pawn's worth times C, so exchanging the rook's pawn or
// moving the rook to an open file pays. Other own pieces are not counted:
// they step off the file in their own time, and counting them would only
// make the rook wander from file to file during development.
int rook_file_term(const PieceRecord pieces[PIECE_RECORDS], int rook, int c) {
    int blockers = 0;
    for (int k = 0; k < PIECE_COUNT; ++k)
        if (pieces[k].kind == PAWN && pieces[k].owner == engine_side && pieces[k].square <= LAST_SQUARE &&
            column_distance(pieces[k].square, pieces[rook].square) == 0)
            ++blockers;
    return sub32(0, mul32(mul32(c, engine_settings[engine_side].value[PAWN]), blockers));
}

// End-game penalty for a short-range piece far from the centre, by how far
// the opponent's king stands from it; C does not enter.
int stray_penalty(const PieceRecord pieces[PIECE_RECORDS], int sq, int kind) {
    if (game_phase != SHUBAN || centre_distance(sq) <= 3) return 0;
    int king_square = pieces[own_king(engine_opponent)].square;
    return sub32(0, mul32(centre_distance(king_square), engine_settings[engine_side].value[kind]));
}

int piece_activity(const Judged& j, int k, int c) {
    const PieceRecord* pieces = j.pieces;
    int sq = pieces[k].square;
    switch (pieces[k].kind) {
    case KING:
        return mul32(column_distance(CENTRE, sq) + 2 * row_distance(CENTRE, sq), c);
    case GOLD:
        return mul32(own_guards(j, sq), c);
    case SILVER:
        return mul32(mobility(j, sq) + own_guards(j, sq), c);
    case ROOK:
    case PROMOTED_ROOK:
        return add32(mul32(mobility(j, sq), c), rook_file_term(pieces, k, c));
    case BISHOP:
    case PROMOTED_BISHOP:
        return mul32(mobility(j, sq), c);
    case PROMOTED_SILVER:
        return 0;
    default:  // knight, lance, pawn and their promotions
        return stray_penalty(pieces, sq, pieces[k].kind);
    }
}

// The score from its three terms. An unsafe drop scores its formation pull
// and activity only, far below any other move, so its tactics (t2) need
// not be worked out.
int total_score(int t1, int t2, int t3, int unsafe) {
    if (!unsafe) return add32(add32(t1, t2), t3);
    int rest = add32(t1, t3);
    return rest >= 0 ? EVAL_LOSS + rest : EVAL_LOSS;
}

// A piece put on an empty square changes no count of that square, so its
// cover is the position's, and nothing needs to be tried on the board.
// Both ways of scoring are inlined where they are chosen, which keeps the
// move in registers: about 1.5 % more positions judged per second.
__attribute__((always_inline)) inline int score_drop_onto_empty(const int board[BOARD_CELLS],
                                                                const PieceRecord pieces[PIECE_RECORDS],
                                                                TriedMove& move, const PositionCache& cache, int t1,
                                                                const int coef[3]) {
    const PieceRecord& mover = pieces[move.mover];
    move.reach = cache.drop_reach(mover, move.to);
    move.cover = cover_of(cache.attackers(move.to), mover.owner);
    int unsafe = unsafe_drop(move);
    int t2 = unsafe ? 0 : drop_tactical_term(board, pieces, move, cache, coef[COEF_B]);
    return total_score(t1, t2, move_activity(pieces, move, coef[COEF_C]), unsafe);
}

// Any other move is tried: the board holds it while it is scored.
__attribute__((always_inline)) inline int score_tried_move(int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS],
                                                           TriedMove& move, const PositionCache& cache, int t1,
                                                           const int coef[3]) {
    board[move.from] = NO_PIECE;
    board[move.to] = move.mover;
    TrialCounts trial;
    try_move(move, trial, cache, board, pieces);
    int unsafe = unsafe_drop(move);
    int t2 = unsafe ? 0 : tactical_term(board, pieces, move, trial, coef[COEF_B]);
    int t3 = move_activity(pieces, move, coef[COEF_C]);
    board[move.to] = move.captured;
    board[move.from] = move.mover;
    return total_score(t1, t2, t3, unsafe);
}

}  // namespace

int score_move(int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int from, int to) {
    PositionCache cache;
    cache.reset(board, pieces);
    return score_move_on(board, pieces, from, to, cache);
}

int score_move_on(int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int from, int to,
                  PositionCache& cache) {
    const EngineSettings& es = engine_settings[engine_side];
    const int* coef = phase_triple(es.tef);
    TriedMove move;
    move.from = from;
    move.to = to;
    move.mover = board[from];
    move.captured = board[to];
    int t1 = 0;
    if (pieces[move.mover].owner == engine_side && coef[COEF_A] != 0)
        t1 = formation_pull(es, move.mover, to, coef[COEF_A]);
    if (cache.drops_onto_empty(TrialMove{from, to}, move.mover))
        return score_drop_onto_empty(board, pieces, move, cache, t1, coef);
    return score_tried_move(board, pieces, move, cache, t1, coef);
}

int score_move_draws(const int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS], int from) {
    return pieces[board[from]].kind == PAWN && pawn_push_draws(pieces, from);
}

int evaluate(int board[BOARD_CELLS], const PieceRecord pieces[PIECE_RECORDS]) {
    const EngineSettings& es = engine_settings[engine_side];
    const int* coef = phase_triple(es.sef);
    const Judged judged{board, pieces, occupied_squares(board)};
    int t1 = 0;
    int t2 = 0;
    int t3 = 0;
    for (int k = 0; k < PIECE_COUNT; ++k) {
        if (pieces[k].owner != engine_side) continue;
        t2 = add32(t2, es.value[pieces[k].kind]);
        if (pieces[k].square > LAST_SQUARE) continue;
        if (coef[COEF_A] != 0) t1 = add32(t1, formation_pull(es, k, pieces[k].square, coef[COEF_A]));
        t3 = add32(t3, piece_activity(judged, k, coef[COEF_C]));
    }
    int v = add32(add32(t1, mul32(coef[COEF_B], t2)), t3);
    if (es.random_range != 0) v = add32(v, std::rand() % es.random_range);
    if (pieces[own_king(engine_side)].square >= SENTE_HAND_BASE) v = EVAL_LOSS;
    if (pieces[own_king(engine_opponent)].square >= SENTE_HAND_BASE) v = EVAL_WIN;
    return v;
}

namespace {

// The first stride of the shell sort: h = 3h + 1 while below n / 9.
int first_stride(int n) {
    int h = 1;
    while (h < n / 9) h = 3 * h + 1;
    return h;
}

// One pass: each entry sinks behind every entry h before it that scores
// lower, so equal scores keep their order.
void stride_pass(Move list[], int n, int h) {
    for (int i = h; i < n; ++i) {
        Move held = list[i];
        int j = i;
        for (; j >= h && list[j - h].score < held.score; j -= h) list[j] = list[j - h];
        list[j] = held;
    }
}

// The last pass orders by score with equal scores in their order, so its
// first entries are the best ones in that order: only they are kept sorted.
void place_best_by_passes(Move list[], int n, int best) {
    for (int h = first_stride(n); h > 1; h /= 3) stride_pass(list, n, h);
    stride_pass(list, best, 1);
    for (int i = best; i < n; ++i) {
        if (list[i].score <= list[best - 1].score) continue;
        Move held = list[i];
        int j = best - 1;
        for (; j > 0 && list[j - 1].score < held.score; --j) list[j] = list[j - 1];
        list[j] = held;
    }
}

// An entry that scores at least the best-th score, and where the passes put it.
struct Contender {
    Move move;
    int at;
};

// Highest score first, equal scores by place: what a pass of stride 1 does.
void order_by_score_then_place(Contender c[], int count) {
    for (int i = 1; i < count; ++i) {
        Contender held = c[i];
        int j = i;
        for (; j > 0 && (c[j - 1].move.score < held.move.score ||
                         (c[j - 1].move.score == held.move.score && c[j - 1].at > held.at));
             --j)
            c[j] = c[j - 1];
        c[j] = held;
    }
}

// Where a pass of stride h puts each contender, given them ordered by score
// then place: a pass sorts each stride class stably, and the entries that
// score less than every contender come after them all, so a contender's
// rank in its class is the number of contenders of that class ahead of it.
void follow_pass(Contender c[], int count, int h) {
    int taken[SQUARES];  // h <= n <= SQUARES
    for (int k = 0; k < h; ++k) taken[k] = 0;
    for (int e = 0; e < count; ++e) {
        int stride_class = c[e].at % h;
        c[e].at = stride_class + h * taken[stride_class]++;
    }
    order_by_score_then_place(c, count);
}

// Whether two contenders, ordered by score, score the same.
int has_equal_neighbours(const Contender c[], int count) {
    for (int i = 1; i < count; ++i)
        if (c[i - 1].move.score == c[i].move.score) return 1;
    return 0;
}

// The best-th highest score of the list.
int best_score(const Move list[], int n, int best) {
    int top[SQUARES];  // the highest scores so far, highest first
    int kept = 0;
    for (int i = 0; i < n; ++i) {
        int score = list[i].score;
        if (kept == best && score <= top[best - 1]) continue;
        int j = kept < best ? kept++ : best - 1;
        for (; j > 0 && top[j - 1] < score; --j) top[j] = top[j - 1];
        top[j] = score;
    }
    return top[best - 1];
}

// place_best_by_passes, following only the entries that can end among the
// best; 0 for a list longer than the engine's.
int place_best_few(Move list[], int n, int best) {
    if (n > SQUARES) return 0;
    int threshold = best_score(list, n, best);
    int passing[SQUARES];
    int count = 0;
    for (int i = 0; i < n; ++i) {  // without a branch per entry
        passing[count] = i;
        count += list[i].score >= threshold;
    }
    Contender c[SQUARES];
    for (int i = 0; i < count; ++i) c[i] = Contender{list[passing[i]], passing[i]};
    order_by_score_then_place(c, count);
    // The strides only decide the order of equal scores; the last pass is
    // the ordering that each followed pass ends with.
    if (has_equal_neighbours(c, count))
        for (int h = first_stride(n); h > 1; h /= 3) follow_pass(c, count, h);
    for (int i = 0; i < best; ++i) list[i] = c[i].move;
    return 1;
}

}  // namespace

void sort_candidates(Move list[], int n) {
    for (int h = first_stride(n); h > 0; h /= 3) stride_pass(list, n, h);
}

void sort_best_candidates(Move list[], int n, int best) {
    if (best >= n) {
        sort_candidates(list, n);
        return;
    }
    if (best <= 0) return;
    if (!place_best_few(list, n, best)) place_best_by_passes(list, n, best);
}
