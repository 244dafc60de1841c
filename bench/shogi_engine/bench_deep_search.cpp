// Think time of the deeper search (NODE_MAX:) over the benchmark positions,
// at the node budgets of the levels: positions per second, the deepest
// iteration completed, median and longest think.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "bench_turns.h"
#include "deep_search.h"

namespace {

void think_deep(benchmark::State& state) {
    std::vector<double> seconds;
    std::vector<int> depths;
    long nodes = 0;
    double total = 0;
    bench_turns();
    for (auto _ : state) {
        for (const Turn& t : bench_turns()) {
            reset_engine();
            use_plain_settings(t.side, 6, 8);
            EngineSettings& es = engine_settings[t.side];
            es.node_budget = static_cast<int>(state.range(0));
            es.quiescence = 8;
            es.king_safety = 100;
            load_turn(t.pos, t.side, t.number);
            game_phase = t.phase;
            std::srand(t.number);
            double start = now_seconds();
            benchmark::DoNotOptimize(engine_think());
            double s = now_seconds() - start;
            seconds.push_back(s);
            total += s;
            nodes += last_deep_report().nodes;
            depths.push_back(last_deep_report().depth);
        }
    }
    std::sort(seconds.begin(), seconds.end());
    std::sort(depths.begin(), depths.end());
    state.counters["median_ms"] = 1000 * seconds[seconds.size() / 2];
    state.counters["max_ms"] = 1000 * seconds.back();
    state.counters["median_depth"] = depths[depths.size() / 2];
    state.counters["nodes_per_s"] = total > 0 ? nodes / total : 0;
}

}  // namespace

BENCHMARK(think_deep)->Arg(20000)->Arg(150000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_MAIN();
