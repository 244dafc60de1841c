// The positions the think benchmarks share: every eighth turn of one
// self-play game with the reference (first shipped) settings, and the
// thread's CPU time to measure them.
#pragma once

#include <ctime>
#include <vector>

#include "../../tests/shogi/engine/computer_game.h"

constexpr unsigned BENCH_GAME_SEED = 2;  // with the reference settings a game that reaches the end game
constexpr int BENCH_EVERY = 8;

inline const std::vector<Turn>& bench_turns(void) {
    static std::vector<Turn> turns;
    if (turns.empty()) {
        int illegal = 0;
        Game game = play_computer_game(reference_settings(), BENCH_GAME_SEED, 400, &illegal);
        for (size_t i = 0; i < game.turns.size(); i += BENCH_EVERY) turns.push_back(game.turns[i]);
    }
    return turns;
}

// CPU time of this thread (the machine is shared); <chrono> cannot be
// compiled for the game's Shift-JIS execution charset.
inline double now_seconds(void) {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}
