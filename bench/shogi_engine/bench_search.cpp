// Think time of the engine over fixed opening, middle-game and end-game
// positions: at (depth, width) = (3, 16) and (4, 24) with plain settings and
// with the shipped settings files. Counters: median think time per move and
// leaf evaluations per second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

#include "../../tests/shogi/engine/golden_positions.h"

namespace {

struct BenchPosition {
    int plies;
    unsigned game;
    int phase;
};

const BenchPosition POSITIONS[] = {
    {0, 0, JOBAN},   {8, 3, JOBAN},   {12, 21, JOBAN},  {24, 5, CHUBAN}, {30, 7, CHUBAN},
    {36, 22, CHUBAN}, {50, 8, SHUBAN}, {51, 11, SHUBAN}, {60, 10, SHUBAN},
};

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
    for (auto _ : state) {
        for (const BenchPosition& p : POSITIONS) {
            ThinkCase c{"bench", p.plies, p.game, p.phase, depth, width_limit, 1};
            set_up_case(c);
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
    state.counters["leaves_per_s"] = total_seconds > 0 ? total_leaves / total_seconds : 0;
}

void BM_Think_3_16(benchmark::State& state) { think_over_positions(state, 3, 16); }
void BM_Think_4_24(benchmark::State& state) { think_over_positions(state, 4, 24); }
void BM_Think_Shipped(benchmark::State& state) { think_over_positions(state, SHIPPED, SHIPPED); }

}  // namespace

BENCHMARK(BM_Think_3_16)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Think_4_24)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Think_Shipped)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
