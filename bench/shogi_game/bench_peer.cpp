// What a USI engine as the remote player costs on our side, and how quickly
// the window answers a key while the engine thinks (run by hand):
//
//   bench_peer [ENGINE]      (default fairy-stockfish; needs the shipped
//                             settings in the working directory)
//
// Per engine move: the thread CPU time of the game's whole turn for the
// engine's side (the record, the board, the move list sent, the answer
// translated); the engine thinks in its own process and is not counted.
// Goal < 2 ms. Key to reaction: Escape typed while the engine thinks
// without limit, until the menu waits for input. Goal < 50 ms.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "clock.h"
#include "display.h"
#include "flow.h"
#include "game.h"
#include "headless.h"
#include "peers.h"
#include "record.h"
#include "settings.h"
#include "ztl.h"

namespace {

double seconds(clockid_t clock) {
    timespec t;
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Answers every box and menu of the game with q, on its own thread.
struct Answerer {
    std::thread thread;
    bool stop = false;
    Answerer() : thread([this] {
        while (!stop)
            if (ztl_headless_wait_for_idle(50)) ztl_headless_type("q");
    }) {}
    ~Answerer() {
        stop = true;
        thread.join();
    }
};

// The computer (sente) against the engine (gote) at depth 1 until the game ends.
std::vector<double> engine_turn_costs(const std::string& engine) {
    UsiSettings settings = configured_usi_settings(engine);
    settings.go = "depth 1";
    use_usi_engine(settings);
    player_kind[SENTE] = PLAYER_COMPUTER;
    player_kind[GOTE] = PLAYER_REMOTE;
    reset_game();
    write_record_header(PLAYER_COMPUTER, PLAYER_REMOTE);
    std::vector<double> costs;
    Answerer answerer;
    for (int going = 1; going && move_number < 300;) {
        int engine_turn = side_to_move == GOTE;
        double start = seconds(CLOCK_THREAD_CPUTIME_ID);
        going = turn_step();
        if (engine_turn && going) costs.push_back(seconds(CLOCK_THREAD_CPUTIME_ID) - start);
    }
    return costs;
}

// Escape typed while the engine thinks without end, until the menu waits.
std::vector<double> escape_reactions(const std::string& engine, int rounds) {
    UsiSettings settings = configured_usi_settings(engine);
    settings.go = "infinite";
    use_usi_engine(settings);
    player_kind[SENTE] = PLAYER_HUMAN;
    player_kind[GOTE] = PLAYER_REMOTE;
    std::vector<double> reactions;
    for (int i = 0; i < rounds; ++i) {
        reset_game();
        write_record_header(PLAYER_HUMAN, PLAYER_REMOTE);
        side_to_move = GOTE;  // the engine's turn at the start
        move_number = 1;
        std::thread game([] { turn_step(); });
        usleep(300 * 1000);
        double start = seconds(CLOCK_MONOTONIC);
        ztl_headless_type("\x1b");
        while (!ztl_headless_wait_for_idle(1)) {
        }
        reactions.push_back(seconds(CLOCK_MONOTONIC) - start);
        ztl_headless_type("q");
        game.join();
    }
    return reactions;
}

}  // namespace

int main(int argc, char** argv) {
    std::string engine = argc > 1 ? argv[1] : "fairy-stockfish";
    std::snprintf(record_file_name, sizeof record_file_name, "%s", "bench_peer.csa");
    if (!load_engine_settings(SENTE) || !load_engine_settings(GOTE)) return 1;
    ztl_init();
    set_up_screen(ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT);
    std::vector<double> costs = engine_turn_costs(engine);
    std::printf("engine moves: %zu, our CPU per engine move: median %.3f ms, longest %.3f ms\n", costs.size(),
                1000 * median(costs), costs.empty() ? 0 : 1000 * *std::max_element(costs.begin(), costs.end()));
    std::vector<double> reactions = escape_reactions(engine, 15);
    std::printf("Escape while the engine thinks -> menu waiting: median %.1f ms, longest %.1f ms\n",
                1000 * median(reactions), 1000 * *std::max_element(reactions.begin(), reactions.end()));
    drop_peer();
    tear_down_screen();
    return 0;
}
