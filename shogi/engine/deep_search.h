// The deeper search, chosen by a settings file with NODE_MAX:. Where the
// search of the phases keeps a fixed number of pre-ordered moves per ply,
// this one looks at every move and every drop, deepening one ply at a time
// until its budget of positions (or of time) is spent: alpha-beta with a
// null window after the first move, a table of positions already searched,
// captures followed past the depth (QUIESCE_MAX:), checks searched a ply
// deeper, and late quiet moves searched a ply shallower first. With the
// same settings, seed and position it plays the same move on every machine
// unless TIME_MAX: cuts it short.
#pragma once

#include "settings.h"

constexpr int MAX_NODE_BUDGET = 100000000;  // about a minute and a half on a small desktop
constexpr int MAX_DEEP_DEPTH = 64;
constexpr int MAX_QUIESCE_PLIES = 32;

// 1 when the settings of `side` ask for the deeper search.
int uses_deep_search(int side);

// Chooses engine_side's move on search_board / search_pieces. 1: chosen_move
// holds it. 0: the engine gives up (every move loses its king), and the
// phase becomes GIVE_UP as with the search of the phases.
int deep_think(void);

// What the last deep think did, for tests, benchmarks and the match tool.
struct DeepReport {
    long nodes;
    int depth;  // deepest iteration completed
    int score;  // of the chosen move, for engine_side
};
const DeepReport& last_deep_report(void);

constexpr int DEEP_MATE = 100000000;  // a score beyond every judgement: a king falls
