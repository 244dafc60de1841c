// Any USI engine as the engine's opponent, through the game's own USI peer:
// one process for a whole match, a new game told by its move list.
#pragma once

#include <string>
#include <vector>

#include "match_game.h"
#include "usi_engine.h"

class UsiPlayer : public OutsidePlayer {
public:
    explicit UsiPlayer(const UsiSettings& settings) : settings_(settings) {}
    int start_game(int engine_side, std::string& reason) override;
    int tell_move(const PlayedMove& move, std::string& reason) override;
    int ask_move(PlayedMove& move, std::string& reason) override;
    int winner_of_end(int) const override { return winner_; }

private:
    UsiSettings settings_;
    UsiEngine engine_;
    std::vector<std::string> moves_;
    int outside_side_ = 0;
    int winner_ = -1;
};
