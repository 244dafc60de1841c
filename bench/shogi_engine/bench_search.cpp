// Think time of the engine over fixed opening, middle-game and end-game
// positions, every eighth turn of a self-play game with the reference (first
// shipped) settings: at (depth, width) = (3, 16) and (4, 24) with plain
// settings, with the reference settings files and with the last ones shipped
// for this search (depth 6, width 48).
// Counters: median and longest think time per move, leaf evaluations per second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "bench_turns.h"

namespace {

constexpr int REFERENCE_FILES = 0;
constexpr int SHIPPED_FILES = -1;

void set_up_turn(const Turn& t, int depth, int width_limit) {
    reset_engine();
    if (depth == SHIPPED_FILES)
        use_settings(phases_shipped_settings(), BENCH_GAME_SEED);
    else
        use_reference_settings(BENCH_GAME_SEED);
    if (depth > 0) use_plain_settings(t.side, depth, width_limit);
    load_turn(t.pos, t.side, t.number);
    game_phase = t.phase;
    std::srand(t.number);
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
void BM_Think_Reference(benchmark::State& state) { think_over_positions(state, REFERENCE_FILES, 0); }
void BM_Think_Shipped(benchmark::State& state) { think_over_positions(state, SHIPPED_FILES, 0); }

}  // namespace

BENCHMARK(BM_Think_3_16)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Think_4_24)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Think_Reference)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Think_Shipped)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
