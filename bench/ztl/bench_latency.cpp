// Latency of the Qt desktop: a key event on the window thread until
// ztl_get_key returns it on the application thread, and ztl_refresh until the
// window has repainted. Runs as the application (app_main) inside a real
// window: start it under Xvfb or with QT_QPA_PLATFORM=offscreen.
// Counters: median_us and p99_us over the samples of a run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "input_internal.h"
#include "qt_window.h"
#include "ztl.h"

namespace {

using clock_type = std::chrono::steady_clock;
constexpr int QT_KEY_A = 0x41;  // Qt's key number of 'A' (no Qt header here)
constexpr int SAMPLES = 2000;

std::atomic<long long> sent_at{0};     // window thread: when the key went in
std::atomic<long long> painted_at{0};  // window thread: when a paint ended

long long now_ns() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               clock_type::now().time_since_epoch())
        .count();
}

void report(benchmark::State& state, std::vector<double>& samples_us) {
    std::sort(samples_us.begin(), samples_us.end());
    state.counters["median_us"] = samples_us[samples_us.size() / 2];
    state.counters["p99_us"] = samples_us[samples_us.size() * 99 / 100];
}

void send_key(void*) {
    sent_at.store(now_ns());
    ztl_qt_send_key(QT_KEY_A, 0, "a");
}

// The key goes in once the application thread sleeps in ztl_get_key: the
// wake-up from sleep is what is measured.
void BM_key_to_get_key(benchmark::State& state) {
    std::atomic<int> requested{0};
    std::atomic<bool> done{false};
    std::thread driver([&] {
        for (int sent = 0; !done.load();) {
            if (requested.load() == sent || !ztl_wait_in_progress()) {
                std::this_thread::yield();
                continue;
            }
            ztl_qt_run_on_window_thread(send_key, nullptr);
            ++sent;
        }
    });
    std::vector<double> samples_us;
    for (auto _ : state) {
        requested.fetch_add(1);
        int code = ztl_get_key(-1);
        double us = (now_ns() - sent_at.load()) / 1000.0;
        if (code != 'a') state.SkipWithError("wrong key code");
        samples_us.push_back(us);
        state.SetIterationTime(us / 1e6);
    }
    done.store(true);
    driver.join();
    report(state, samples_us);
}
BENCHMARK(BM_key_to_get_key)->UseManualTime()->Iterations(SAMPLES)->Unit(benchmark::kMicrosecond);

void note_paint() { painted_at.store(now_ns()); }

// ztl_refresh until the window thread has painted (ztl_qt_after_paint set).
double refresh_until_painted_us() {
    painted_at.store(0);
    long long start = now_ns();
    ztl_refresh();
    while (painted_at.load() == 0) std::this_thread::yield();
    return (painted_at.load() - start) / 1000.0;
}

// One pixel changed and refreshed, until the window thread has painted it.
void BM_refresh_to_repaint(benchmark::State& state) {
    ztl_qt_after_paint = note_paint;
    std::vector<double> samples_us;
    int level = 0;
    for (auto _ : state) {
        ztl_set_color(level = 3 - level);
        ztl_pset(320, 120);
        double us = refresh_until_painted_us();
        samples_us.push_back(us);
        state.SetIterationTime(us / 1e6);
    }
    ztl_qt_after_paint = nullptr;
    report(state, samples_us);
}
BENCHMARK(BM_refresh_to_repaint)->UseManualTime()->Iterations(SAMPLES)->Unit(benchmark::kMicrosecond);

void choose_zoom(void* choice) { ztl_qt_choose_zoom(*static_cast<int*>(choice)); }

// The whole screen changed and refreshed at x1 .. x4 (the argument), until
// the window thread has painted it: conversion, enlargement and copy.
void BM_full_refresh_at_zoom(benchmark::State& state) {
    int factor = static_cast<int>(state.range(0));
    ztl_qt_run_on_window_thread(choose_zoom, &factor);
    ztl_get_key(3);  // the window settles at its new size
    ztl_qt_after_paint = note_paint;
    std::vector<double> samples_us;
    int level = 0;
    for (auto _ : state) {
        ztl_set_color(level = 3 - level);
        ztl_fill_rect(0, 0, ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT);
        double us = refresh_until_painted_us();
        samples_us.push_back(us);
        state.SetIterationTime(us / 1e6);
    }
    ztl_qt_after_paint = nullptr;
    report(state, samples_us);
    int fit = 0;
    ztl_qt_run_on_window_thread(choose_zoom, &fit);
}
BENCHMARK(BM_full_refresh_at_zoom)->DenseRange(1, 4)->UseManualTime()->Iterations(500)->Unit(benchmark::kMicrosecond);

}  // namespace

int app_main(int argc, char** argv) {
    ztl_init();
    ztl_get_key(3);  // let the window appear and paint once
    char name[] = "bench_latency";
    argv[0] = name;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
