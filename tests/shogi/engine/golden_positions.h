// A fixed set of opening, middle-game and end-game positions and engine
// settings, shared by the golden test and the search benchmark.
#pragma once

#include "engine_setup.h"
#include "random_play.h"

constexpr int REFERENCE = 0;

struct ThinkCase {
    const char* name;
    int plies;     // random plies from the start (0: the start position)
    unsigned game; // seed of the random plies
    int phase;
    int depth;  // depth and width REFERENCE: the reference settings files
    int width;
    unsigned seed;  // srand before the think
};

// Moving side is the one whose turn it is after the random plies.
inline void set_up_case(const ThinkCase& c) {
    TestPosition pos;
    play_random_game(pos, c.game, c.plies);
    reset_engine();
    game_phase = c.phase;
    int side = c.plies % 2;
    if (c.depth == REFERENCE) {
        use_reference_settings(c.seed);
    } else {
        use_plain_settings(side, c.depth, c.width);
    }
    load_turn(pos, side, c.plies + 1);
    std::srand(c.seed);
}

// Random play keeps both kings for the first dozens of plies for these seeds;
// the golden test checks it.
inline const ThinkCase THINK_CASES[] = {
    {"start", 0, 0, JOBAN, 3, 16, 1},
    {"start-deep", 0, 0, JOBAN, 4, 24, 2},
    {"opening", 8, 3, JOBAN, 3, 16, 3},
    {"opening-deep", 9, 4, JOBAN, 4, 24, 4},
    {"middle", 24, 5, CHUBAN, 3, 16, 5},
    {"middle-deep", 25, 6, CHUBAN, 4, 24, 6},
    {"middle-wide", 30, 7, CHUBAN, 2, 40, 7},
    {"end", 50, 8, SHUBAN, 3, 16, 8},
    {"end-deep", 51, 11, SHUBAN, 4, 24, 9},
    {"end-drops", 60, 10, SHUBAN, 3, 20, 10},
    {"reference-start", 0, 0, JOBAN, REFERENCE, REFERENCE, 11},
    {"reference-opening", 10, 12, JOBAN, REFERENCE, REFERENCE, 12},
    {"reference-middle", 27, 13, CHUBAN, REFERENCE, REFERENCE, 13},
    {"reference-end", 45, 21, SHUBAN, REFERENCE, REFERENCE, 14},
};
