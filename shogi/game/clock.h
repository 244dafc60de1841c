// The two players' clocks in whole seconds, drawn into the time panel. The
// engine calls clock_tick at every leaf of its search, so the thinking side's
// clock runs on screen and the window stays current.
#pragma once

#include <ctime>

extern int clock_total[2];  // seconds used by each side over the game
extern int move_time;       // seconds of the current turn; also the record's time

// Where the clocks read the time of day (std::time by default). A fixed or
// stepped source makes the clocks and the game's random seed reproducible.
void clock_set_time_source(std::time_t (*source)(std::time_t*));
std::time_t clock_now(void);

void clock_reset_totals(void);
// Adds a replayed move's time to a side's total, saturating instead of
// overflowing on absurd hand-edited times.
void clock_add_to_total(int side, int seconds);

void clock_start(int side);
// Both clocks at zero move time, drawn: a new screen or a replayed position.
void clock_start_both(void);
void clock_tick(int side);
void clock_stop(int side);
void draw_clock(int move_seconds, int total_seconds, int side);
