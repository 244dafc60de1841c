// One game on the live position as the game's front end plays it, between
// two players that each answer with a move: the engine with a settings pair,
// or an outside program. Moves are executed as the front end executes them
// (a capture goes demoted into the hand, a move that takes a king ends the
// game), and the engine's think time is measured per move.
#pragma once

#include <string>
#include <vector>

#include "settings.h"

// Settings for the engine when it plays sente and when it plays gote.
struct EnginePlayer {
    std::string name;
    EngineSettings as[2];
};

// Loads a player: a file is used for both sides, a folder gives its
// sente.ini and gote.ini. Returns 0 (with a message) when a file fails to load.
int load_engine_player(const std::string& settings_path, EnginePlayer& player);

// A move from either player: from cell (hand cell for a drop), to square,
// promotion wanted.
struct PlayedMove {
    int from;
    int to;
    int promote;
};

// The opponent of the engine in a game: told every engine move, asked for
// its own. An answer of 0 ends the game; `reason` then says why.
class OutsidePlayer {
public:
    virtual ~OutsidePlayer() = default;
    virtual int start_game(int engine_side, std::string& reason) = 0;
    // 1 when the move was accepted and the game goes on; 0 with the reason
    // when it was refused or ended the game.
    virtual int tell_move(const PlayedMove& move, std::string& reason) = 0;
    // 1 with its move; 0 with the reason when the game ended instead.
    virtual int ask_move(PlayedMove& move, std::string& reason) = 0;
    // After a 0 from the calls above: the winning side, or -1 for a draw.
    virtual int winner_of_end(int engine_side) const = 0;
};

enum GameResult { SENTE_WINS, GOTE_WINS, DRAWN };

struct GameRecord {
    GameResult result;
    std::string reason;
    std::vector<std::string> moves;  // as "7g7f", "P*5e", "2b8h+"
    std::vector<double> think_seconds[2];  // the engine's per move, by side
};

// Plays engine against engine: players[0] is sente, players[1] gote.
GameRecord play_engine_game(const EnginePlayer* players[2], unsigned seed, int move_limit);

// Plays the engine on `engine_side` against an outside program.
GameRecord play_outside_game(const EnginePlayer& engine, int engine_side, OutsidePlayer& outside, unsigned seed,
                             int move_limit);

// Move text in the usual file-digit, rank-letter notation, and back; the
// parse needs the live position for drops and fails (0) on anything the rules
// of the engine refuse.
std::string move_text(const PlayedMove& move);
int parse_move_text(const std::string& text, int side, PlayedMove& move);
