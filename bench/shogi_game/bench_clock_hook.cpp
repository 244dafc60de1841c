// What the game's clock costs the computer's think: the engine calls the
// front end's clock_tick at every leaf of its search, which refreshes the
// screen and redraws the clock each new second. The same positions (every
// eighth turn of a shipped-settings self-play game) are thought about with
// the engine alone and with the game's hook on the game's screen, turn about.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

#include "../../tests/shogi/engine/computer_game.h"
#include "clock.h"
#include "display.h"

namespace {

constexpr unsigned GAME_SEED = 2;
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

// CPU time of this thread (<chrono> does not compile for Shift-JIS literals).
double now_seconds(void) {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double think_once(const Turn& t, void (*hook)(int)) {
    reset_engine();
    use_shipped_settings(GAME_SEED);
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
