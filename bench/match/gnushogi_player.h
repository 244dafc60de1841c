// GNU Shogi as the engine's opponent, through its text protocol on a pipe:
// one fresh process per game, its search depth or time per move fixed.
#pragma once

#include <string>

#include "match_game.h"

struct GnuShogiLimits {
    int depth;           // plies; 0 leaves the program's own depth
    int seconds;         // per move; 0 leaves the program's own time control
    int randomised;      // 1: ask it to vary its choices
    int answer_seconds;  // longest wait for one answer before the game is abandoned
};

class GnuShogi : public OutsidePlayer {
public:
    explicit GnuShogi(const GnuShogiLimits& limits) : limits_(limits) {}
    ~GnuShogi() override;
    int start_game(int engine_side, std::string& reason) override;
    int tell_move(const PlayedMove& move, std::string& reason) override;
    int ask_move(PlayedMove& move, std::string& reason) override;
    int winner_of_end(int engine_side) const override;

private:
    enum Reply { ECHO, ITS_MOVE, REFUSED, ENDED, SILENT };
    Reply read_reply(std::string& token, std::string& reason);
    int read_line(std::string& line);
    void send(const std::string& text);
    void stop(void);

    GnuShogiLimits limits_;
    int pid_ = -1;
    int to_ = -1;
    int from_ = -1;
    std::string buffer_;
    int engine_side_ = 0;
    int winner_ = -1;  // of the end last read
};
