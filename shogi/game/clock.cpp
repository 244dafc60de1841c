#include "clock.h"

#include <climits>
#include <cstdio>

#include "display.h"
#include "position.h"
#include "ztl.h"

int clock_total[2];
int move_time;

namespace {

std::time_t (*time_source)(std::time_t*) = std::time;
std::time_t turn_start[2];
std::time_t last_shown;

// Seconds between two times of day, kept inside int.
int seconds_between(std::time_t from, std::time_t to) {
    long long seconds = static_cast<long long>(to - from);
    if (seconds > INT_MAX) return INT_MAX;
    if (seconds < INT_MIN) return INT_MIN;
    return static_cast<int>(seconds);
}

int saturating_add(int a, int b) {
    long long sum = static_cast<long long>(a) + b;
    if (sum > INT_MAX) return INT_MAX;
    if (sum < INT_MIN) return INT_MIN;
    return static_cast<int>(sum);
}

}  // namespace

void clock_set_time_source(std::time_t (*source)(std::time_t*)) { time_source = source != nullptr ? source : std::time; }

std::time_t clock_now(void) { return time_source(nullptr); }

void clock_reset_totals(void) { clock_total[0] = clock_total[1] = 0; }

void clock_add_to_total(int side, int seconds) { clock_total[side] = saturating_add(clock_total[side], seconds); }

void clock_start(int side) {
    std::time_t now = clock_now();
    turn_start[side] = now;
    last_shown = now;
    move_time = 0;
    draw_clock(0, clock_total[side], side);
}

void clock_start_both(void) {
    clock_start(SENTE);
    clock_start(GOTE);
}

void clock_tick(int side) {
    ztl_refresh();
    std::time_t now = clock_now();
    move_time = seconds_between(turn_start[side], now);
    if (now != last_shown) {
        draw_clock(move_time, saturating_add(move_time, clock_total[side]), side);
        last_shown = now;
    }
}

void clock_stop(int side) {
    move_time = saturating_add(move_time, 1);
    clock_total[side] = saturating_add(clock_total[side], move_time);
    draw_clock(0, clock_total[side], side);
}

void draw_clock(int move_seconds, int total_seconds, int side) {
    if (time_panel == nullptr) return;
    // Room for the widest values an int can give. Glyphs are drawn one pixel
    // right of their cell, so the last digit reaches into the next cell: the
    // blank after it wipes that column, or a narrower digit would leave a trace.
    char text[64];
    std::snprintf(text, sizeof text, side == 0 ? " ▲ %02d:%02d / %02d:%02d " : " △ %02d:%02d / %02d:%02d ",
                  move_seconds / 60, move_seconds % 60, total_seconds / 60, total_seconds % 60);
    ztl_panel_locate(time_panel, 0, side == 0 ? 0 : metrics.time_font);
    ztl_set_color(3);
    ztl_set_font(metrics.time_font, 0);
    ztl_panel_print(time_panel, text, 0);
}
