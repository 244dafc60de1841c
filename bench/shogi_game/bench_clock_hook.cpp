// What the game's clock costs the computer's think: the engine calls the
// front end's clock_tick at every leaf of its search, which refreshes the
// screen and redraws the clock each new second. The same positions (every
// eighth turn of a shipped-settings self-play game) are thought about with
// the engine alone and with the game's hook on the game's screen, turn about.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "../shogi_engine/bench_turns.h"
#include "clock.h"
#include "display.h"

namespace {

double think_once(const Turn& t, void (*hook)(int)) {
    reset_engine();
    use_shipped_settings(BENCH_GAME_SEED);
    load_turn(t.pos, t.side, t.number);
    game_phase = t.phase;
    std::srand(t.number);
    engine_set_leaf_hook(hook);
    double start = now_seconds();
    benchmark::DoNotOptimize(engine_think());
    return now_seconds() - start;
}

void BM_ThinkWithGameClock(benchmark::State& state) {
    bench_turns();
    ztl_init();
    set_up_screen(ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT);
    double alone = 0;
    double with_clock = 0;
    for (auto _ : state) {
        for (const Turn& t : bench_turns()) {
            alone += think_once(t, nullptr);
            with_clock += think_once(t, clock_tick);
        }
    }
    engine_set_leaf_hook(nullptr);
    tear_down_screen();
    double per_round = static_cast<double>(state.iterations());
    state.counters["alone_ms"] = 1000 * alone / per_round;
    state.counters["clock_ms"] = 1000 * with_clock / per_round;
    state.counters["slowdown_pct"] = 100 * (with_clock - alone) / alone;
}

}  // namespace

BENCHMARK(BM_ThinkWithGameClock)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_MAIN();
