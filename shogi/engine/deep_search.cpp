#include "deep_search.h"

#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "deep_evaluation.h"
#include "deep_position.h"
#include "generators.h"
#include "search.h"

namespace {

constexpr int INFINITE_SCORE = DEEP_MATE + 1;
constexpr int MATE_BOUND = DEEP_MATE - 10000000;  // nearer DEEP_MATE than any judgement and root bonus
constexpr int MAX_PLY = 128;
constexpr int LAST_FULL_PLY = MAX_PLY - MAX_QUIESCE_PLIES - 2;  // deeper, only captures are followed
constexpr int HOOK_EVERY = 1024;   // positions between calls of the leaf hook and reads of the clock
constexpr int REPEAT_PENALTY = 30;  // for playing one of the engine's last eight moves again
constexpr int MAX_ROOT_BONUS = 100000;  // the random bonus per root move (RAND_MAX:) is cut to this
constexpr int DELTA_MARGIN = 200;  // a capture that cannot lift the value this near alpha is not followed
constexpr int MAX_HISTORY = 1 << 24;
constexpr long long MAX_TIME_MS = 3600000;

// Move order: the table's move, captures by victim then attacker, the two
// killers of the ply, then quiet moves by how often they cut off before.
constexpr int ORDER_TABLE_MOVE = 1 << 30;
constexpr int ORDER_CAPTURE = 1 << 28;
constexpr int ORDER_KILLER = 1 << 27;

enum Bound : unsigned char { UPPER, LOWER, EXACT };

struct TableEntry {
    unsigned long long key;
    int score;
    short from, to;
    signed char depth;
    unsigned char bound;
    unsigned short generation;  // entries of earlier thinks are not read
};

constexpr int TABLE_BITS = 18;
TableEntry table[1 << TABLE_BITS];
unsigned short table_generation;

// Everything one think works with.
struct Think {
    DeepPosition pos;
    DeepWeights weights;
    long nodes;
    long node_budget;
    long long deadline_ms;  // 0: no time budget
    int quiescence;
    int stopped;
    unsigned long long path[MAX_PLY + 1];  // hash of the position at each ply, for repetitions
    DeepMove killers[MAX_PLY][2];
    int history[2][BOARD_CELLS][SQUARES];
};

Think think;
DeepMove move_lists[MAX_PLY][MAX_DEEP_MOVES];
DeepMove root_moves[MAX_DEEP_MOVES];
int root_bonus[BOARD_CELLS][SQUARES];
DeepReport report;

long long monotonic_ms(void) {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

int clamped(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

// Counts a position; the budget ends the think, and every so often the front
// end's hook runs (its clock) and the time budget is looked at.
void count_node(void) {
    ++think.nodes;
    if (think.nodes >= think.node_budget) think.stopped = 1;
    if (think.nodes % HOOK_EVERY != 0) return;
    engine_call_leaf_hook();
    if (think.deadline_ms != 0 && monotonic_ms() >= think.deadline_ms) think.stopped = 1;
}

int value_on(int cell) { return think.weights.value[think.pos.piece_on(cell).kind]; }
int is_capture(const DeepMove& m) { return think.pos.board_at(m.to) != NO_PIECE; }
int same_move(const DeepMove& a, int from, int to) { return a.from == from && a.to == to; }

int is_pawn_drop(const DeepMove& m) { return m.from >= SENTE_HAND_BASE && think.pos.piece_on(m.from).kind == PAWN; }

int is_killer(const DeepMove& m, int ply) {
    return same_move(think.killers[ply][0], m.from, m.to) || same_move(think.killers[ply][1], m.from, m.to);
}

void order_moves(DeepMove moves[], int n, int ply, const TableEntry* hit) {
    int side = think.pos.side_to_move();
    for (int i = 0; i < n; ++i) {
        DeepMove& m = moves[i];
        if (hit != nullptr && same_move(m, hit->from, hit->to))
            m.order = ORDER_TABLE_MOVE;
        else if (is_capture(m))
            m.order = ORDER_CAPTURE + 16 * value_on(m.to) - value_on(m.from) / 16;
        else if (same_move(think.killers[ply][0], m.from, m.to))
            m.order = ORDER_KILLER + 1;
        else if (same_move(think.killers[ply][1], m.from, m.to))
            m.order = ORDER_KILLER;
        else
            m.order = think.history[side][m.from][m.to];
    }
    std::stable_sort(moves, moves + n, [](const DeepMove& a, const DeepMove& b) { return a.order > b.order; });
}

void reward_quiet_move(const DeepMove& m, int depth, int ply) {
    if (!same_move(think.killers[ply][0], m.from, m.to)) {
        think.killers[ply][1] = think.killers[ply][0];
        think.killers[ply][0] = m;
    }
    int& h = think.history[think.pos.side_to_move()][m.from][m.to];
    h = std::min(h + depth * depth, MAX_HISTORY);
}

// Mate scores are kept in the table as seen from the position itself.
int to_table(int score, int ply) {
    return score >= MATE_BOUND ? score + ply : score <= -MATE_BOUND ? score - ply : score;
}
int from_table(int score, int ply) {
    return score >= MATE_BOUND ? score - ply : score <= -MATE_BOUND ? score + ply : score;
}

TableEntry& entry_of(unsigned long long key) { return table[key & ((1u << TABLE_BITS) - 1)]; }

const TableEntry* probe(unsigned long long key) {
    const TableEntry& e = entry_of(key);
    return e.key == key && e.generation == table_generation ? &e : nullptr;
}

void store(unsigned long long key, int depth, int score, int alpha, int beta, const DeepMove& best, int ply) {
    TableEntry& e = entry_of(key);
    if (e.generation == table_generation && e.key != key && e.depth > depth) return;
    unsigned char bound = score <= alpha ? UPPER : score >= beta ? LOWER : EXACT;
    e = TableEntry{key, to_table(score, ply), static_cast<short>(best.from), static_cast<short>(best.to),
                   static_cast<signed char>(depth), bound, table_generation};
}

int cuts_off(const TableEntry& e, int depth, int alpha, int beta, int ply) {
    if (e.depth < depth) return 0;
    int score = from_table(e.score, ply);
    return e.bound == EXACT || (e.bound == LOWER && score >= beta) || (e.bound == UPPER && score <= alpha);
}

// Captures only, from a value the side to move can stand on.
int quiesce(int alpha, int beta, int ply, int depth_left) {
    if (think.stopped) return 0;
    count_node();
    if (think.pos.can_take_king()) return DEEP_MATE - ply;
    int stand = deep_evaluate(think.pos, think.weights);
    if (stand >= beta || depth_left <= 0) return stand;
    if (stand > alpha) alpha = stand;
    DeepMove* moves = move_lists[ply];
    int n = think.pos.list_captures(moves);
    order_moves(moves, n, ply, nullptr);
    int best = stand;
    for (int i = 0; i < n; ++i) {
        if (stand + value_on(moves[i].to) + DELTA_MARGIN < alpha) continue;
        DeepUndo undo;
        think.pos.make(moves[i].from, moves[i].to, undo);
        int v = -quiesce(-beta, -alpha, ply + 1, depth_left - 1);
        think.pos.unmake(undo);
        if (think.stopped) return 0;
        if (v > best) best = v;
        if (v > alpha) alpha = v;
        if (alpha >= beta) break;
    }
    return best;
}

int repeats_on_path(unsigned long long key, int ply) {
    for (int back = ply - 2; back >= 0; back -= 2)
        if (think.path[back] == key) return 1;
    return 0;
}

int search(int depth, int alpha, int beta, int ply, int after_pawn_drop_check);

// Passing is rarely best in shogi, so a position that stays above beta even
// after a pass, searched shallower, is taken to cut off.
int null_move_cuts(int depth, int beta, int ply) {
    if (deep_evaluate(think.pos, think.weights) < beta) return 0;
    think.pos.pass();
    int v = -search(depth - 1 - (depth >= 6 ? 3 : 2), -beta, -beta + 1, ply + 1, 0);
    think.pos.pass();
    return !think.stopped && v >= beta;
}

// Searches one move after the first: with a null window, late quiet moves
// a ply shallower first, again in full when they beat alpha.
int search_later_move(int depth, int alpha, int beta, int ply, int reduction, int pawn_check) {
    int v = -search(depth - 1 - reduction, -alpha - 1, -alpha, ply + 1, pawn_check);
    if (v > alpha && reduction > 0) v = -search(depth - 1, -alpha - 1, -alpha, ply + 1, pawn_check);
    if (v > alpha && v < beta) v = -search(depth - 1, -beta, -alpha, ply + 1, pawn_check);
    return v;
}

int search(int depth, int alpha, int beta, int ply, int after_pawn_drop_check) {
    if (think.stopped) return 0;
    count_node();
    if (think.pos.can_take_king()) return DEEP_MATE - ply;
    unsigned long long key = think.pos.hash();
    if (repeats_on_path(key, ply)) return 0;
    think.path[ply] = key;
    int checked = think.pos.in_check(think.pos.side_to_move());
    if (checked && ply < LAST_FULL_PLY) ++depth;
    if (depth <= 0 || ply >= LAST_FULL_PLY) return quiesce(alpha, beta, ply, think.quiescence);
    const TableEntry* hit = probe(key);
    int pv = beta - alpha > 1;
    if (hit != nullptr && !pv && cuts_off(*hit, depth, alpha, beta, ply)) return from_table(hit->score, ply);
    if (!pv && !checked && depth >= 3 && null_move_cuts(depth, beta, ply)) return beta;
    if (think.stopped) return 0;

    DeepMove* moves = move_lists[ply];
    int n = think.pos.list_moves(moves);
    order_moves(moves, n, ply, hit);
    int best = -(DEEP_MATE - ply - 1);  // every move loses the king: mated here
    DeepMove best_move{0, 0, 0};
    int original_alpha = alpha;
    for (int i = 0; i < n; ++i) {
        const DeepMove m = moves[i];
        int quiet = !is_capture(m);
        int pawn_drop = is_pawn_drop(m);
        int killer = is_killer(m, ply);
        DeepUndo undo;
        think.pos.make(m.from, m.to, undo);
        int gives_check = think.pos.in_check(think.pos.side_to_move());
        int pawn_check = pawn_drop && gives_check;
        int reduction = 0;
        if (depth >= 3 && i >= 3 && quiet && !checked && !gives_check && !killer) reduction = i >= 12 && depth >= 5 ? 2 : 1;
        int v = i == 0 ? -search(depth - 1, -beta, -alpha, ply + 1, pawn_check)
                       : search_later_move(depth, alpha, beta, ply, reduction, pawn_check);
        think.pos.unmake(undo);
        if (think.stopped) return 0;
        if (v > best) {
            best = v;
            best_move = m;
        }
        if (v > alpha) alpha = v;
        if (alpha >= beta) {
            if (quiet) reward_quiet_move(m, depth, ply);
            break;
        }
    }
    // A pawn dropped with check may not mate: the drop loses instead.
    if (after_pawn_drop_check && best == -(DEEP_MATE - ply - 1)) return DEEP_MATE - ply;
    store(key, depth, best, original_alpha, beta, best_move, ply);
    return best;
}

void start_think(const EngineSettings& es) {
    think.pos.set(search_board, search_pieces, engine_side);
    think.weights = deep_weights_of(es);
    think.nodes = 0;
    think.node_budget = clamped(es.node_budget, 1, MAX_NODE_BUDGET);
    think.deadline_ms = es.time_budget > 0 ? monotonic_ms() + std::min<long long>(es.time_budget, MAX_TIME_MS) : 0;
    think.quiescence = clamped(es.quiescence, 0, MAX_QUIESCE_PLIES);
    think.stopped = 0;
    std::memset(think.killers, 0, sizeof think.killers);
    std::memset(think.history, 0, sizeof think.history);
    if (++table_generation == 0) {  // wrapped: entries of old thinks could pass as new ones
        std::memset(table, 0, sizeof table);
        table_generation = 1;
    }
}

// The bonus of each root move: RAND_MAX:'s random part, drawn in the order
// the moves are listed, less the penalty for repeating a recent move.
void draw_root_bonuses(int n, const EngineSettings& es) {
    int range = std::min(es.random_range, MAX_ROOT_BONUS);
    for (int i = 0; i < n; ++i) {
        const DeepMove& m = root_moves[i];
        int bonus = range > 0 ? std::rand() % range : 0;
        if (recent_moves_contains(m.from, m.to, search_board[m.from])) bonus -= REPEAT_PENALTY;
        root_bonus[m.from][m.to] = bonus;
    }
}

// One root move searched to `depth` against the window; its bonus counts
// as part of its value.
int root_move_value(const DeepMove& m, int depth, int alpha, int beta, int first) {
    int bonus = root_bonus[m.from][m.to];
    int pawn_drop = is_pawn_drop(m);
    DeepUndo undo;
    think.pos.make(m.from, m.to, undo);
    int pawn_check = pawn_drop && think.pos.in_check(think.pos.side_to_move());
    int v;
    if (first) {
        v = bonus - search(depth - 1, -(beta - bonus), -(alpha - bonus), 1, pawn_check);
    } else {
        v = bonus - search(depth - 1, -(alpha - bonus) - 1, -(alpha - bonus), 1, pawn_check);
        if (!think.stopped && v > alpha) v = bonus - search(depth - 1, -(beta - bonus), -(alpha - bonus), 1, pawn_check);
    }
    think.pos.unmake(undo);
    return v;
}

struct RootResult {
    int found;  // a move was searched in full
    DeepMove move;
    int score;
};

// One iteration over the root moves; their values order the next one.
RootResult search_root(int n, int depth) {
    RootResult result{0, root_moves[0], -INFINITE_SCORE};
    int alpha = -INFINITE_SCORE;
    for (int i = 0; i < n; ++i) {
        int v = root_move_value(root_moves[i], depth, alpha, INFINITE_SCORE, i == 0);
        if (think.stopped) break;
        root_moves[i].order = v;
        if (v > result.score) result = RootResult{1, root_moves[i], v};
        if (v > alpha) alpha = v;
    }
    return result;
}

void put_first(int n, const DeepMove& best) {
    std::stable_sort(root_moves, root_moves + n, [](const DeepMove& a, const DeepMove& b) { return a.order > b.order; });
    for (int i = 0; i < n; ++i) {
        if (!same_move(root_moves[i], best.from, best.to)) continue;
        std::rotate(root_moves, root_moves + i, root_moves + i + 1);
        break;
    }
}

}  // namespace

int uses_deep_search(int side) { return engine_settings[side].node_budget > 0; }

const DeepReport& last_deep_report(void) { return report; }

int deep_think(void) {
    if (game_phase == GIVE_UP) return 0;
    Move capture{0, 0, 0};
    if (king_capture_move(&capture, search_board, search_pieces)) {
        chosen_move = capture;
        return 1;
    }
    const EngineSettings& es = engine_settings[engine_side];
    start_think(es);
    report = DeepReport{0, 0, 0};
    think.path[0] = think.pos.hash();
    int n = think.pos.list_moves(root_moves);
    if (n == 0) {
        game_phase = GIVE_UP;
        return 0;
    }
    order_moves(root_moves, n, 0, nullptr);
    draw_root_bonuses(n, es);
    RootResult chosen{0, root_moves[0], 0};
    int max_depth = clamped(es.depth, 1, MAX_DEEP_DEPTH);
    for (int depth = 1; depth <= max_depth; ++depth) {
        RootResult r = search_root(n, depth);
        if (r.found) chosen = r;
        if (think.stopped) break;
        report.depth = depth;
        put_first(n, r.move);
        if (r.score >= MATE_BOUND || r.score <= -MATE_BOUND) break;
    }
    report.nodes = think.nodes;
    report.score = chosen.score;
    if (report.depth > 0 && chosen.score <= -MATE_BOUND) {
        game_phase = GIVE_UP;
        return 0;
    }
    chosen_move = Move{chosen.move.from, chosen.move.to, 0};
    return 1;
}
