// A trace of many thinks over seeded positions and settings, folded into one
// number: every chosen move, return value and phase, every leaf position in
// the order the search reached it, and where rand stood after each think. A
// faster engine must leave the trace exactly as it was.
#pragma once

#include <cstdlib>
#include <cstring>
#include <random>

#include "computer_game.h"
#include "engine_setup.h"
#include "random_play.h"

struct TraceSummary {
    unsigned long long hash;
    long thinks;
    long leaves;
};

namespace think_trace_detail {

inline TraceSummary trace;

inline void fold(long long value) {
    // FNV-1a over the value's eight bytes.
    for (int i = 0; i < 8; ++i) {
        trace.hash ^= static_cast<unsigned long long>(value >> (8 * i)) & 0xff;
        trace.hash *= 1099511628211ull;
    }
}

// The leaf's position: who stands on every square and every piece's kind.
inline void fold_leaf(int) {
    ++trace.leaves;
    unsigned long long h = 0;
    for (int cell = 0; cell < SQUARES; ++cell) h = h * 31 + static_cast<unsigned>(search_board[cell]);
    for (int i = 0; i < PIECE_COUNT; ++i) h = h * 17 + static_cast<unsigned>(search_pieces[i].kind);
    fold(static_cast<long long>(h));
}

inline int pick(std::mt19937& rng, int low, int high) {
    return low + static_cast<int>(rng() % static_cast<unsigned>(high - low + 1));
}

// Depth and width drawn so that a think stays small: wide searches are shallow.
inline void random_shape(std::mt19937& rng, EngineSettings& es) {
    static const int WIDEST[] = {64, 64, 40, 28, 16, 10};
    es.depth = pick(rng, 1, 5);
    es.width = pick(rng, 0, WIDEST[es.depth]);
}

// Any coefficients, values, random range and formations a file could give,
// the odd ones (zero and negative coefficients, several formations) included.
inline void random_settings(std::mt19937& rng, EngineSettings& es) {
    std::memset(&es, 0, sizeof es);
    random_shape(rng, es);
    for (int phase = 0; phase < SCORED_PHASES; ++phase)
        for (int coef = 0; coef < 3; ++coef) {
            es.sef[phase][coef] = pick(rng, -2, 6);
            es.tef[phase][coef] = pick(rng, -2, 6);
        }
    for (int kind = 0; kind < PIECE_KINDS; ++kind) es.value[kind] = TEST_VALUES[kind] * pick(rng, 50, 150) / 100;
    static const int RANGES[] = {0, 1, 10, 100};
    es.random_range = RANGES[pick(rng, 0, 3)];
    es.formation_count = pick(rng, 0, 3);
    es.formation = es.formation_count > 0 ? pick(rng, -1, es.formation_count - 1) : 0;
    for (int f = 0; f < es.formation_count; ++f)
        for (int jj = 0; jj < 20; ++jj) {
            signed char target = static_cast<signed char>(pick(rng, 0, 80));
            signed char weight = static_cast<signed char>(pick(rng, -40, 100));
            es.formations[f][jj] = FormationEntry{target, weight};
            es.formations[f][jj + 20] = FormationEntry{static_cast<signed char>(80 - target), weight};
        }
}

inline int kings_on_board(const TestPosition& pos) {
    return pos.pieces[GOTE_KING_PIECE].square < SQUARES && pos.pieces[SENTE_KING_PIECE].square < SQUARES;
}

// Random play from the start, or kings and a scatter of random pieces (promoted
// kinds in hands too, as the search holds them).
inline void random_position(std::mt19937& rng, TestPosition& pos) {
    do {
        if (rng() % 3 != 0) {
            play_random_game(pos, rng(), pick(rng, 0, 90));
        } else {
            clear_position(pos);
            place(pos, KING, GOTE, pick(rng, 0, 26));
            place(pos, KING, SENTE, pick(rng, 54, 80));
            for (int n = pick(rng, 4, 36); n > 0; --n) {
                int side = pick(rng, 0, 1);
                int kind = pick(rng, GOLD, PROMOTED_PAWN);
                if (rng() % 3 == 0)
                    place_in_hand(pos, kind, side);
                else
                    place(pos, kind, side, pick(rng, 0, 80));
            }
        }
    } while (!kings_on_board(pos));
}

// Some earlier moves of the position's pieces in the anti-repetition list.
inline void random_recent_moves(std::mt19937& rng, const TestPosition& pos) {
    std::memset(RecentMoves, 0, sizeof RecentMoves);
    for (int n = pick(rng, 0, 8); n > 0; --n) {
        std::vector<Move> moves = list_moves(pos, pick(rng, 0, 1));
        if (moves.empty()) continue;
        const Move& m = moves[rng() % moves.size()];
        recent_moves_push(m.from, m.to, pos.board[m.from]);
    }
}

inline void fold_think(int result) {
    ++trace.thinks;
    fold(result);
    fold(last_move.from);
    fold(last_move.to);
    fold(game_phase);
    fold(width[engine_side]);
    fold(std::rand());
}

// One think on a random position with random settings for the side to move.
inline void trace_random_think(std::mt19937& rng, const EngineSettings* shipped) {
    TestPosition pos;
    random_position(rng, pos);
    int side = pick(rng, 0, 1);
    reset_engine();
    if (shipped != nullptr && rng() % 4 == 0) {
        engine_settings[0] = shipped[0];
        engine_settings[1] = shipped[1];
        random_shape(rng, engine_settings[side]);
        std::srand(rng());
        choose_formations();
    } else {
        random_settings(rng, engine_settings[side]);
    }
    game_phase = pick(rng, JOBAN, GIVE_UP);
    load_turn(pos, side, pick(rng, 1, 100));
    random_recent_moves(rng, pos);
    std::srand(rng());
    engine_set_leaf_hook(fold_leaf);
    fold_think(engine_think());
    engine_set_leaf_hook(nullptr);
}

}  // namespace think_trace_detail

// `thinks` seeded random thinks; `shipped` (may be null) are settings records
// to use in a quarter of them, depth and width redrawn.
inline TraceSummary trace_random_thinks(unsigned seed, int thinks, const EngineSettings* shipped) {
    using namespace think_trace_detail;
    trace = TraceSummary{14695981039346656037ull, 0, 0};
    std::mt19937 rng(seed);
    for (int i = 0; i < thinks; ++i) trace_random_think(rng, shipped);
    return trace;
}

// Whole computer games with a settings pair, every leaf and move folded in.
inline TraceSummary trace_games(const EngineSettings* settings, unsigned first_seed, int games, int move_limit) {
    using namespace think_trace_detail;
    trace = TraceSummary{14695981039346656037ull, 0, 0};
    engine_set_leaf_hook(fold_leaf);
    for (unsigned seed = first_seed; seed < first_seed + static_cast<unsigned>(games); ++seed) {
        int illegal = 0;
        Game game = play_computer_game(settings, seed, move_limit, &illegal);
        for (const LastMove& m : game.moves) {
            ++trace.thinks;
            fold(m.from);
            fold(m.to);
        }
        fold(game.end);
        fold(std::rand());
    }
    engine_set_leaf_hook(nullptr);
    return trace;
}
