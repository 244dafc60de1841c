// Think time of the engine over fixed opening, middle-game and end-game
// positions, every eighth turn of a shipped-settings self-play game: at
// (depth, width) = (3, 16) and (4, 24) with plain settings and with the
// shipped settings files. Counters: median and longest think time per move,
// leaf evaluations per second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

#include "../../tests/shogi/engine/computer_game.h"

namespace {

constexpr unsigned GAME_SEED = 2;  // with the shipped settings a game that reaches the end game
constexpr int EVERY = 8;

const std::vector<Turn>& bench_turns(void) {
    static std::vector<Turn> turns;
    if (turns.empty()) {
        int illegal = 0;
        Game game = play_shipped_game(GAME_SEED, 400, &illegal);
        for (size_t i = 0; i < game.turns.size(); i += EVERY) turns.push_back(game.turns[i]);
    }
    return turns;
}

void set_up_turn(const Turn& t, int depth, int width_limit) {
    reset_engine();
    use_shipped_settings(GAME_SEED);
    if (depth != 0) use_plain_settings(t.side, depth, width_limit);
    load_turn(t.pos, t.side, t.number);
    game_phase = t.phase;
    std::srand(t.number);
}

// CPU time of this thread (the machine is shared); <chrono> cannot be
// compiled for the game's Shift-JIS execution charset.
double now_seconds(void) {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

long leaves;
void count_leaf(int) { ++leaves; }

void think_over_positions(benchmark::State& state, int depth, int width_limit) {
    std::vector<double> seconds;
    long total_leaves = 0;
    double total_seconds = 0;
    bench_turns();  // the game is played once, before any timing
    for (auto _ : state) {
        for (const Turn& t : bench_turns()) {
            set_up_turn(t, depth, width_limit);
            leaves = 0;
            engine_set_leaf_hook(count_leaf);
            double start = now_seconds();
            benchmark::DoNotOptimize(engine_think());
            double s = now_seconds() - start;
            seconds.push_back(s);
            total_seconds += s;
            total_leaves += leaves;
        }
    }
    engine_set_leaf_hook(nullptr);
    std::sort(seconds.begin(), seconds.end());
    state.counters["median_ms"] = 1000 * seconds[seconds.size() / 2];
    state.counters["max_ms"] = 1000 * seconds.back();
    state.counters["positions"] = static_cast<double>(bench_turns().size());
    state.counters["leaves_per_s"] = total_seconds > 0 ? total_leaves / total_seconds : 0;
}

void BM_Think_3_16(benchmark::State& state) { think_over_positions(state, 3, 16); }
void BM_Think_4_24(benchmark::State& state) { think_over_positions(state, 4, 24); }
void BM_Think_Shipped(benchmark::State& state) { think_over_positions(state, 0, 0); }

}  // namespace

BENCHMARK(BM_Think_3_16)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Think_4_24)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Think_Shipped)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
