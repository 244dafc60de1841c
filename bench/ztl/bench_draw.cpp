// Drawing benchmarks on the headless backend: the refresh conversion of the
// whole screen, a full-screen fill, screen-sized copies with and without byte
// alignment, 16-pixel characters from the glyph cache and without it, and
// text and panel printing at sizes far beyond the screen.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "zoom.h"
#include "ztl.h"
#include "ztl_internal.h"

namespace {

void start() {
    static bool started = false;
    if (!started) ztl_init();
    started = true;
}

void BM_refresh_full_screen(benchmark::State& state) {
    start();
    for (auto _ : state) {
        ztl_fill_rect(0, 0, 1, 1);
        ztl_fill_rect(639, 239, 1, 1);  // dirty: the whole screen
        ztl_refresh();
        benchmark::DoNotOptimize(ztl_window_image[640 * 240 - 1]);
    }
}
BENCHMARK(BM_refresh_full_screen);

void BM_fill_full_screen(benchmark::State& state) {
    start();
    int color = 0;
    for (auto _ : state) {
        ztl_set_color(color++ & 3);
        ztl_fill_rect(0, 0, 640, 240);
    }
    ztl_set_color(3);
}
BENCHMARK(BM_fill_full_screen);

void copy_screen(benchmark::State& state, int dx) {
    start();
    ztl_image* src = ztl_image_new(640, 240, nullptr);
    for (auto _ : state) ztl_copy(nullptr, dx, 0, src, 0, 0, 640, 240, 0);
    ztl_image_free(src);
}

void BM_copy_aligned(benchmark::State& state) { copy_screen(state, 0); }
BENCHMARK(BM_copy_aligned);

void BM_copy_unaligned(benchmark::State& state) { copy_screen(state, 1); }
BENCHMARK(BM_copy_unaligned);

void draw_chars_16(benchmark::State& state, int cached) {
    start();
    ztl_glyph_cache_enable(cached);
    ztl_set_font(16, 0);
    const int codes[] = {0x8BE0, 0x95E0, 0x8EE8, 0x82C6, 0x8250, 'A', 'g', 0x81A3};
    int i = 0;
    for (auto _ : state) {
        ztl_draw_char((i * 16) % 624, (i / 39 * 16) % 224, codes[i & 7]);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
    ztl_glyph_cache_enable(1);
}

void BM_draw_char_16(benchmark::State& state) { draw_chars_16(state, 1); }
BENCHMARK(BM_draw_char_16);

// Every glyph from the rasteriser: what the cache saves.
void BM_draw_char_16_uncached(benchmark::State& state) { draw_chars_16(state, 0); }
BENCHMARK(BM_draw_char_16_uncached);

// A line of nine characters at the given size, uncached: all on the screen at
// 48, three at 256, one at the huge sizes.
void BM_draw_text_size(benchmark::State& state) {
    start();
    ztl_glyph_cache_enable(0);
    ztl_set_font(static_cast<int>(state.range(0)), 0);
    for (auto _ : state) ztl_draw_text(0, 100, "金角A金角A金角A");
    ztl_set_font(0, 0);
    ztl_glyph_cache_enable(1);
}
BENCHMARK(BM_draw_text_size)->Arg(48)->Arg(256)->Arg(100000)->Arg(10000000);

// Opaque printing into a screen-sized panel: every character fills its cell.
void BM_panel_print_size(benchmark::State& state) {
    start();
    ztl_set_font(static_cast<int>(state.range(0)), 0);
    ztl_panel* panel = ztl_panel_open(nullptr, 0, 0, 640, 240, 0);
    for (auto _ : state) ztl_panel_print(panel, "金A\n", 0);
    ztl_panel_close(panel);
    ztl_set_font(0, 0);
}
BENCHMARK(BM_panel_print_size)->Arg(48)->Arg(256)->Arg(100000)->Arg(10000000)->Unit(benchmark::kMicrosecond);

}  // namespace

// The enlargement of the whole window image at x1 .. x4 that the desktop
// window paints from (the zoomed picture's share of a refresh).
void BM_zoom_scale_full_screen(benchmark::State& state) {
    int factor = static_cast<int>(state.range(0));
    int stride = ZTL_SCREEN_WIDTH * factor;
    std::vector<std::uint32_t> target(static_cast<std::size_t>(stride) * ZTL_SCREEN_HEIGHT * factor);
    for (auto _ : state) {
        zoom_scale(ztl_window_image, 0, 0, ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT, factor, target.data(), stride);
        benchmark::DoNotOptimize(target.data());
    }
}
BENCHMARK(BM_zoom_scale_full_screen)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
