// Engine state for search and generator tests: plain settings written in
// code (so the tests do not depend on the shipped files), a clean engine
// state, and a live position to think about.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

#include "generators.h"
#include "position_builder.h"
#include "search.h"
#include "settings.h"

// Material values by kind, in the proportions a settings file would give.
inline constexpr int TEST_VALUES[PIECE_KINDS] = {10000, 600, 1000, 800, 500, 400, 300, 100,
                                                 1500, 1200, 600, 600, 600, 600};

// Settings with material and activity weights, no formation, no random term.
inline void use_plain_settings(int side, int depth, int width_limit) {
    EngineSettings& es = engine_settings[side];
    std::memset(&es, 0, sizeof es);
    es.depth = depth;
    es.width = width_limit;
    for (int phase = 0; phase < SCORED_PHASES; ++phase) {
        es.sef[phase][COEF_B] = 1;
        es.sef[phase][COEF_C] = 2;
        es.tef[phase][COEF_B] = 1;
        es.tef[phase][COEF_C] = 1;
    }
    std::memcpy(es.value, TEST_VALUES, sizeof es.value);
}

// Settings under which every move scores 0 and every position is worth 0.
inline void use_indifferent_settings(int side, int depth, int width_limit) {
    use_plain_settings(side, depth, width_limit);
    EngineSettings& es = engine_settings[side];
    std::memset(es.sef, 0, sizeof es.sef);
    std::memset(es.tef, 0, sizeof es.tef);
}

// A fresh program run: empty RecentMoves, opening phase, no hook.
inline void reset_engine(void) {
    std::memset(RecentMoves, 0, sizeof RecentMoves);
    game_phase = JOBAN;
    engine_set_leaf_hook(nullptr);
}

// Makes `pos` the live position with `side` to move at `number`.
inline void load_turn(const TestPosition& pos, int side, int number) {
    load_live(pos);
    side_to_move = side;
    move_number = number;
    last_move = LastMove{0, NO_SQUARE, 0};
}

// Sente king in the corner, its three flight squares and itself swept by two
// gote rooks: every sente move leaves the king to be taken.
inline TestPosition doomed_sente_king(void) {
    TestPosition pos;
    clear_position(pos);
    place(pos, KING, SENTE, square_cell(1, 9));
    place(pos, KING, GOTE, square_cell(9, 1));
    place(pos, ROOK, GOTE, square_cell(1, 1));
    place(pos, ROOK, GOTE, square_cell(2, 1));
    return pos;
}

// Prepares the engine to think for `side` on a copy of `pos` without a full
// think, for calling the generators and search steps directly.
inline void prepare_search(const TestPosition& pos, int side) {
    std::memcpy(search_board, pos.board, sizeof search_board);
    std::memcpy(search_pieces, pos.pieces, sizeof search_pieces);
    set_engine_side(side);
    width[side] = engine_settings[side].width;
    depth_limit[side] = engine_settings[side].depth;
}

// The settings pair (sente.ini, gote.ini) in `folder` of the source tree,
// loaded once per program. Returns the two records as loaded (formation index
// still as written), or nullptr.
template <const char* folder>
inline const EngineSettings* settings_pair(void) {
    static EngineSettings loaded[2];
    static int ready = 0;
    if (!ready) {
        std::string dir = std::string(ZENTRIO_SOURCE_ROOT) + "/" + folder + "/";
        const char* names[2] = {"sente.ini", "gote.ini"};
        for (int side = 0; side < 2; ++side) {
            std::snprintf(settings_path[side], SETTINGS_PATH_SIZE, "%s%s", dir.c_str(), names[side]);
            if (!load_engine_settings(side)) return nullptr;
            loaded[side] = engine_settings[side];
        }
        ready = 1;
    }
    return loaded;
}

inline constexpr char SHIPPED_FOLDER[] = "data";
// The first settings ever shipped, kept so that recorded thinks and the
// benchmark positions stay comparable whatever the shipped files become.
inline constexpr char REFERENCE_FOLDER[] = "tests/shogi/engine/reference";

// The last settings shipped for the search of the phases (depth 6, width 48),
// kept for the same reason now that the shipped files use the deeper search.
inline constexpr char PHASES_SHIPPED_FOLDER[] = "tests/shogi/engine/phases_shipped";

inline const EngineSettings* shipped_settings(void) { return settings_pair<SHIPPED_FOLDER>(); }
inline const EngineSettings* reference_settings(void) { return settings_pair<REFERENCE_FOLDER>(); }
inline const EngineSettings* phases_shipped_settings(void) { return settings_pair<PHASES_SHIPPED_FOLDER>(); }

// A settings pair for both sides as a fresh run has them, formations chosen
// after seeding rand as the game reset does.
inline int use_settings(const EngineSettings* settings, unsigned seed) {
    if (settings == nullptr) return 0;
    engine_settings[0] = settings[0];
    engine_settings[1] = settings[1];
    std::srand(seed);
    choose_formations();
    return 1;
}

inline int use_shipped_settings(unsigned seed) { return use_settings(shipped_settings(), seed); }
inline int use_reference_settings(unsigned seed) { return use_settings(reference_settings(), seed); }
