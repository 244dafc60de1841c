#include "usi_player.h"

#include "position.h"
#include "rules.h"
#include "usi_moves.h"

namespace {

constexpr int STEP_MS = 100;

PeerPosition live_position(void) { return PeerPosition{Board, PieceTable}; }

std::string usi_text(const PlayedMove& move) {
    char text[USI_MOVE_SIZE];
    write_usi_move(LastMove{move.from, move.to, move.promote}, live_position(), text);
    return text;
}

}  // namespace

int UsiPlayer::start_game(int engine_side, std::string& reason) {
    outside_side_ = opponent(engine_side);
    moves_.clear();
    winner_ = -1;
    if (!engine_.started() && !engine_.start(settings_)) {
        reason = engine_.reason();
        return 0;
    }
    return 1;
}

int UsiPlayer::tell_move(const PlayedMove& move, std::string&) {
    moves_.push_back(usi_text(move));
    return 1;
}

int UsiPlayer::ask_move(PlayedMove& move, std::string& reason) {
    LastMove found;
    // A king left open is taken, as the game's bridge takes it.
    if (find_king_capture(outside_side_, live_position(), found)) {
        move = PlayedMove{found.from, found.to, 0};
        return 1;
    }
    engine_.think(moves_);
    std::string bestmove;
    UsiEvent event;
    while ((event = engine_.step(STEP_MS, bestmove)) == USI_WAITING) {
    }
    if (event == USI_FAILED) {
        reason = engine_.reason();
        return 0;
    }
    if (bestmove == "resign" || bestmove == "win") {
        winner_ = bestmove == "resign" ? opponent(outside_side_) : outside_side_;
        reason = bestmove == "resign" ? "it resigned" : "it declared a win";
        engine_.game_over(bestmove == "resign" ? "lose" : "win");
        return 0;
    }
    if (!read_usi_move(bestmove.c_str(), outside_side_, live_position(), found) ||
        !can_move(found.from, found.to, Board, PieceTable)) {
        reason = "its move " + bestmove + " is not a move here";
        return 0;
    }
    move = PlayedMove{found.from, found.to, found.promote};
    moves_.push_back(bestmove);
    return 1;
}
