// Speed of the settings loader on a file of 300 000 FORMATION_ lines (every
// entry of ten formations, over and over) next to one of the ordinary keys.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "settings.h"

namespace {

constexpr int LINES = 300000;

// Writes the file into a fresh temporary directory and points side 0 at it.
std::string write_settings(const char* line_format, int formation_keys) {
    char dir[] = "/tmp/banrei_bench_settings_XXXXXX";
    if (mkdtemp(dir) == nullptr) std::abort();
    std::string path = std::string(dir) + "/sente.ini";
    FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr) std::abort();
    std::fprintf(out, "NUMBER_OF_FORMATION: 10\n");
    for (int n = 0; n < LINES; ++n) {
        if (formation_keys)
            std::fprintf(out, line_format, n % 10, n / 10 % 20, n % 81, n % 100);
        else
            std::fprintf(out, line_format, n % 100);
    }
    std::fclose(out);
    return path;
}

// The loader's progress lines go to /dev/null while it runs, not into the report.
void load_file(benchmark::State& state, const std::string& path) {
    std::snprintf(settings_path[0], SETTINGS_PATH_SIZE, "%s", path.c_str());
    std::fflush(stdout);
    int report = dup(STDOUT_FILENO);
    int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDOUT_FILENO);
    int ok = 1;
    for (auto _ : state) {
        engine_settings[0] = EngineSettings{};
        ok &= load_engine_settings(SENTE);
    }
    std::fflush(stdout);
    dup2(report, STDOUT_FILENO);
    close(report);
    close(quiet);
    if (!ok) state.SkipWithError("load failed");
    state.SetItemsProcessed(state.iterations() * LINES);
    std::remove(path.c_str());
    std::remove(path.substr(0, path.rfind('/')).c_str());
}

void BM_load_formation_lines(benchmark::State& state) {
    load_file(state, write_settings("FORMATION_%d_%02d: %d, %d\n", 1));
}
BENCHMARK(BM_load_formation_lines)->Unit(benchmark::kMillisecond);

// The same number of lines of a plain key: what reading lines costs anyway.
void BM_load_plain_lines(benchmark::State& state) { load_file(state, write_settings("RAND_MAX: %d\n", 0)); }
BENCHMARK(BM_load_plain_lines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
