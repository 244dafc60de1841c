#include "search.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "deep_search.h"
#include "evaluation.h"
#include "settings.h"

int search_board[BOARD_CELLS];
PieceRecord search_pieces[PIECE_RECORDS];
Move chosen_move;

namespace {

constexpr int OPENING_LAST_MOVE = 30;
constexpr int MIDDLE_GAME_LAST_MOVE = 80;
constexpr int FEW_OPENING_CANDIDATES = 3;
constexpr int OUT_OF_MEMORY_STATUS = -1;

void no_leaf_hook(int) {}
void (*leaf_hook)(int side) = no_leaf_hook;

// The root's candidates; the generator never returns more than the cap.
int root_from[CANDIDATE_CAP];
int root_to[CANDIDATE_CAP];

int* allocate_moves(int count) {
    int* moves = static_cast<int*>(std::malloc(sizeof(int) * static_cast<size_t>(count)));
    if (moves == nullptr && count > 0) {
        std::printf("out of memory");
        std::fflush(stdout);
        std::exit(OUT_OF_MEMORY_STATUS);
    }
    return moves;
}

int king_is_lost(void) {
    return search_pieces[GOTE_KING_PIECE].square >= SENTE_HAND_BASE ||
           search_pieces[SENTE_KING_PIECE].square >= SENTE_HAND_BASE;
}

int is_leaf(int ply) { return ply >= depth_limit[engine_side] || ply >= MAX_SEARCH_DEPTH || king_is_lost(); }

int leaf_value(void) {
    int v = evaluate(search_board, search_pieces);
    leaf_hook(engine_side);
    return v;
}

// The moves of one search node: two heap arrays of width / ply entries.
struct NodeMoves {
    int* from;
    int* to;
    int count;
};

void generate_node(NodeMoves& moves, int side, int ply) {
    int w = width[engine_side] / ply;
    moves.from = allocate_moves(w);
    moves.to = allocate_moves(w);
    moves.count = generate_node_moves(moves.from, moves.to, side, w, search_board, search_pieces);
}

void release_node(NodeMoves& moves) {
    std::free(moves.from);
    std::free(moves.to);
}

// Makes the move, values the position with `next`, takes the move back.
int value_of_move(int from, int to, int side, int (*next)(int, int, int), int beta, int alpha, int ply) {
    int captured = search_board[to];
    int promoted = make_move(from, to, side, search_board, search_pieces);
    int v = next(beta, alpha, ply);
    unmake_move(from, to, side, captured, promoted, search_board, search_pieces);
    return v;
}

int take_king_if_exposed(void) {
    Move capture;
    if (!king_capture_move(&capture, search_board, search_pieces)) return 0;
    chosen_move.from = capture.from;
    chosen_move.to = capture.to;
    return 1;
}

int root_candidates(void) { return generate_root_candidates(root_from, root_to, search_board, search_pieces); }

int doubled_width(int w) { return w >= CANDIDATE_CAP / 2 ? CANDIDATE_CAP : 2 * w; }

// After a root search valued v: accept, or search again at half depth and
// double width, and give up when that finds nothing or only losses too.
int retry_or_give_up(int v) {
    if (v > EVAL_LOSS) return 1;
    int s = engine_side;
    int remembered_depth = depth_limit[s];
    depth_limit[s] = depth_limit[s] / 2;
    width[s] = doubled_width(width[s]);
    int n = root_candidates();
    v = root_search(root_from, root_to, n);
    if (n == 0 || v == EVAL_LOSS) {
        game_phase = GIVE_UP;
        return 0;
    }
    depth_limit[s] = remembered_depth;
    return 1;
}

int opening_is_over(void) {
    for (int i = 0; i < PIECE_COUNT; ++i) {
        if (search_pieces[i].kind >= PROMOTED_ROOK) return 1;
    }
    return has_pieces_in_hand(search_board, engine_side) || has_pieces_in_hand(search_board, engine_opponent) ||
           move_number > OPENING_LAST_MOVE;
}

int opening_step(void) {
    if (take_king_if_exposed()) return 1;
    if (opening_is_over()) {
        game_phase = CHUBAN;
        return 0;
    }
    int n = root_candidates();
    int v = root_search(root_from, root_to, n);
    if (n <= FEW_OPENING_CANDIDATES) {
        game_phase = CHUBAN;
        return 0;
    }
    return retry_or_give_up(v);
}

// Middle and end game: search; with no candidate at all the phase moves on.
int search_or_advance(int phase_without_candidates) {
    int n = root_candidates();
    int v = root_search(root_from, root_to, n);
    if (n == 0) {
        game_phase = phase_without_candidates;
        return 0;
    }
    return retry_or_give_up(v);
}

int middle_game_step(void) {
    if (take_king_if_exposed()) return 1;
    if (move_number > MIDDLE_GAME_LAST_MOVE) {
        game_phase = SHUBAN;
        return 0;
    }
    return search_or_advance(SHUBAN);
}

int end_game_step(void) {
    if (take_king_if_exposed()) return 1;
    return search_or_advance(GIVE_UP);
}

// 1 when the step of the current phase chose a move, 0 when it moved the phase
// on, -1 when the engine has given up.
int phase_step(void) {
    switch (game_phase) {
        case JOBAN:
            return opening_step();
        case CHUBAN:
            return middle_game_step();
        case SHUBAN:
            return end_game_step();
        default:
            return -1;
    }
}

// The search of the phases: 1 with chosen_move set, 0 when it gives up.
int think_by_phases(int s) {
    // A negative SASITE_MAX would give negative array sizes; it means no candidates.
    width[s] = engine_settings[s].width > 0 ? engine_settings[s].width : 0;
    depth_limit[s] = engine_settings[s].depth;
    for (;;) {
        int r = phase_step();
        if (r < 0) return 0;
        if (r > 0) return 1;
    }
}

}  // namespace

void engine_set_leaf_hook(void (*hook)(int side)) { leaf_hook = hook != nullptr ? hook : no_leaf_hook; }

void engine_call_leaf_hook(void) { leaf_hook(engine_side); }

int root_search(const int from[], const int to[], int count) {
    int best = EVAL_LOSS;
    for (int i = 0; i < count; ++i) {
        if (from[i] == to[i]) continue;
        int v = value_of_move(from[i], to[i], engine_side, search_min, EVAL_WIN, best, 1);
        if (v > best) {
            best = v;
            chosen_move.from = from[i];
            chosen_move.to = to[i];
        }
    }
    return best;
}

namespace {

// One node of the search: the engine's opponent lowers beta, the engine
// raises alpha; either way the node stops once beta <= alpha.
template <bool ENGINE_TO_MOVE>
int search_step(int beta, int alpha, int ply) {
    if (is_leaf(ply)) return leaf_value();
    int side = ENGINE_TO_MOVE ? engine_side : engine_opponent;
    NodeMoves moves;
    generate_node(moves, side, ply);
    for (int i = 0; i < moves.count; ++i) {
        int v = value_of_move(moves.from[i], moves.to[i], side, search_step<!ENGINE_TO_MOVE>, beta, alpha, ply + 1);
        if (ENGINE_TO_MOVE && v > alpha) alpha = v;
        if (!ENGINE_TO_MOVE && v < beta) beta = v;
        if (beta <= alpha) break;
    }
    release_node(moves);
    return ENGINE_TO_MOVE ? alpha : beta;
}

}  // namespace

int search_min(int beta, int alpha, int ply) { return search_step<false>(beta, alpha, ply); }

int search_max(int beta, int alpha, int ply) { return search_step<true>(beta, alpha, ply); }

int engine_think(void) {
    std::memcpy(search_board, Board, sizeof search_board);
    std::memcpy(search_pieces, PieceTable, sizeof search_pieces);
    int s = side_to_move;
    set_engine_side(s);
    if (!(uses_deep_search(s) ? deep_think() : think_by_phases(s))) return 0;
    recent_moves_push(chosen_move.from, chosen_move.to, Board[chosen_move.from]);
    last_move = LastMove{chosen_move.from, chosen_move.to, 0};
    return 1;
}
