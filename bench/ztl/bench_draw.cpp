// Drawing benchmarks (filled in with the drawing core).
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
