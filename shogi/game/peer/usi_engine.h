// A USI engine as a child process, spoken to without ever blocking longer
// than the caller allows: the handshake (usi/usiok, setoption, isready/
// readyok, usinewgame), a move asked with the whole game's move list, its
// bestmove, stop, gameover and quit. The game's waiting loop and the match
// tool both drive it through step().
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "line_link.h"

struct UsiSettings {
    std::vector<std::string> command;                          // the program and its arguments
    std::vector<std::pair<std::string, std::string>> options;  // setoption name … value …
    std::string go = "btime 0 wtime 0 byoyomi 3000";           // what follows "go"
    int answer_ms = 10000;   // longest wait for usiok, readyok, or bestmove after stop
    int think_ms = 600000;   // longest wait for a bestmove
};

enum UsiEvent { USI_WAITING, USI_BESTMOVE, USI_FAILED };
enum UsiFailure { USI_NO_FAILURE, USI_CANNOT_START, USI_NO_ANSWER, USI_GONE };

class UsiEngine {
public:
    UsiEngine() : link_(LONGEST_LINE) {}
    ~UsiEngine() { quit(); }
    UsiEngine(const UsiEngine&) = delete;
    UsiEngine& operator=(const UsiEngine&) = delete;

    // Starts the program and its handshake; 0 (with failure()) when it cannot run.
    int start(const UsiSettings& settings);
    int started(void) const { return state_ != OFF && state_ != FAILED; }
    // Asks for a move after `moves` ("7g7f", "P*5e", …) from the initial
    // position; a list that does not continue the last one is a new game.
    void think(const std::vector<std::string>& moves);
    // Waits at most wait_ms; USI_BESTMOVE leaves the answer ("7g7f", "resign", "win").
    UsiEvent step(int wait_ms, std::string& bestmove);
    // The move asked for is no longer wanted; its late bestmove is dropped.
    void stop_thinking(void);
    // The game ended: "win", "lose" or "draw" from the engine's side.
    void game_over(const char* result);
    void quit(void);

    UsiFailure failure(void) const { return failure_; }
    const std::string& reason(void) const { return reason_; }

private:
    static constexpr std::size_t LONGEST_LINE = 64 * 1024;  // long "info … pv" lines pass, a flood does not
    enum State { OFF, WAIT_USIOK, WAIT_READYOK, IDLE, THINKING, STOPPING, FAILED };

    void send(const std::string& line);
    void fail(UsiFailure failure, const std::string& reason);
    void expect(State state, int within_ms);
    int handle(const std::string& line, std::string& bestmove);
    void ask_if_pending(void);

    UsiSettings settings_;
    ChildProcess child_;
    LineLink link_;
    State state_ = OFF;
    long long deadline_ms_ = 0;  // on the steady clock
    std::vector<std::string> asked_;  // the move list of the last position sent
    std::vector<std::string> pending_;
    int has_pending_ = 0;
    int in_game_ = 0;
    UsiFailure failure_ = USI_NO_FAILURE;
    std::string reason_;
};
