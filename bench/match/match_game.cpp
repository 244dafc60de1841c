#include "match_game.h"

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sys/stat.h>

#include "../../tests/shogi/engine/computer_game.h"
#include "generators.h"
#include "position.h"
#include "rules.h"
#include "search.h"
#include "usi_moves.h"

namespace {

constexpr int REPETITIONS_TO_DRAW = 4;

double thread_seconds(void) {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// The loader reports on standard output; the match's own output stays clean.
int load_quietly(const std::string& path, int side, EngineSettings& out) {
    std::fflush(stdout);
    int saved = dup(1);
    std::FILE* null = std::freopen("/dev/null", "w", stdout);
    std::snprintf(settings_path[side], SETTINGS_PATH_SIZE, "%s", path.c_str());
    std::memset(&engine_settings[side], 0, sizeof engine_settings[side]);
    int ok = load_engine_settings(side);
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    if (null == nullptr) return 0;
    out = engine_settings[side];
    return ok;
}

// The position as repetition sees it: every square, both hands, side to move.
std::string position_key(int side) {
    std::string key(SQUARES + 2 * PIECE_KINDS + 1, '\0');
    for (int cell = 0; cell < SQUARES; ++cell) {
        int p = Board[cell];
        key[cell] = static_cast<char>(p == NO_PIECE ? 0 : 1 + PieceTable[p].kind + 16 * PieceTable[p].owner);
    }
    for (int i = 0; i < PIECE_COUNT; ++i)
        if (PieceTable[i].square >= SENTE_HAND_BASE)
            ++key[SQUARES + PIECE_KINDS * PieceTable[i].owner + PieceTable[i].kind];
    key.back() = static_cast<char>(side);
    return key;
}

void reset_game(const EngineSettings& sente, const EngineSettings& gote, unsigned seed) {
    std::memset(RecentMoves, 0, sizeof RecentMoves);
    engine_settings[SENTE] = sente;
    engine_settings[GOTE] = gote;
    std::srand(seed);
    choose_formations();
    set_up_position(Board, PieceTable);
    game_phase = JOBAN;
    side_to_move = SENTE;
    move_number = 1;
    last_move = LastMove{0, NO_SQUARE, 0};
}

GameResult win_for(int side) { return side == SENTE ? SENTE_WINS : GOTE_WINS; }

// The engine's move for the side to move, timed; 0 when it gives up.
int engine_move(GameRecord& game, PlayedMove& move) {
    int side = side_to_move;
    double start = thread_seconds();
    int chose = engine_think();
    game.think_seconds[side].push_back(thread_seconds() - start);
    if (!chose) return 0;
    move = PlayedMove{last_move.from, last_move.to, may_promote(last_move.from, last_move.to, side, Board, PieceTable)};
    return 1;
}

// Plays `move` for the side to move; 0 with the result set when the game ends.
int play_and_check(GameRecord& game, const PlayedMove& move, std::map<std::string, int>& seen) {
    int side = side_to_move;
    game.moves.push_back(move_text(move));
    if (takes_king(move.to, Board, PieceTable)) {
        game.result = win_for(side);
        game.reason = "king taken";
        return 0;
    }
    execute_game_move(move.from, move.to, side, move.promote, Board, PieceTable);
    ++move_number;
    side_to_move = opponent(side);
    if (++seen[position_key(side_to_move)] >= REPETITIONS_TO_DRAW) {
        game.result = DRAWN;
        game.reason = "repetition";
        return 0;
    }
    return 1;
}

void end_by_limit(GameRecord& game) {
    game.result = DRAWN;
    game.reason = "move limit";
}

}  // namespace

int load_engine_player(const std::string& settings_path, EnginePlayer& player) {
    struct stat info;
    if (stat(settings_path.c_str(), &info) != 0) {
        std::fprintf(stderr, "%s: not found\n", settings_path.c_str());
        return 0;
    }
    int folder = S_ISDIR(info.st_mode);
    const char* names[2] = {"sente.ini", "gote.ini"};
    player.name = settings_path;
    for (int side = SENTE; side <= GOTE; ++side) {
        std::string path = folder ? settings_path + "/" + names[side] : settings_path;
        if (!load_quietly(path, side, player.as[side])) {
            std::fprintf(stderr, "%s: does not load as engine settings\n", path.c_str());
            return 0;
        }
    }
    return 1;
}

std::string move_text(const PlayedMove& move) {
    char text[USI_MOVE_SIZE];
    write_usi_move(LastMove{move.from, move.to, move.promote}, PeerPosition{Board, PieceTable}, text);
    return text;
}

int parse_move_text(const std::string& text, int side, PlayedMove& move) {
    LastMove found;
    if (!read_usi_move(text.c_str(), side, PeerPosition{Board, PieceTable}, found)) return 0;
    move = PlayedMove{found.from, found.to, found.promote};
    return can_move(move.from, move.to, Board, PieceTable);
}

GameRecord play_engine_game(const EnginePlayer* players[2], unsigned seed, int move_limit) {
    reset_game(players[SENTE]->as[SENTE], players[GOTE]->as[GOTE], seed);
    GameRecord game{DRAWN, "", {}, {}};
    std::map<std::string, int> seen;
    while (static_cast<int>(game.moves.size()) < move_limit) {
        PlayedMove move;
        if (!engine_move(game, move)) {
            game.result = win_for(opponent(side_to_move));
            game.reason = "resigned";
            return game;
        }
        if (!play_and_check(game, move, seen)) return game;
    }
    end_by_limit(game);
    return game;
}

GameRecord play_outside_game(const EnginePlayer& engine, int engine_side, OutsidePlayer& outside, unsigned seed,
                             int move_limit) {
    reset_game(engine.as[SENTE], engine.as[GOTE], seed);
    GameRecord game{DRAWN, "", {}, {}};
    std::map<std::string, int> seen;
    if (!outside.start_game(engine_side, game.reason)) return game;
    while (static_cast<int>(game.moves.size()) < move_limit) {
        PlayedMove move;
        if (side_to_move == engine_side) {
            if (!engine_move(game, move)) {
                game.result = win_for(opponent(engine_side));
                game.reason = "resigned";
                return game;
            }
            if (!outside.tell_move(move, game.reason)) {
                // Refused, or the move ended the game there.
                game.moves.push_back(move_text(move));
                int winner = outside.winner_of_end(engine_side);
                game.result = winner < 0 ? DRAWN : win_for(winner);
                return game;
            }
        } else if (!outside.ask_move(move, game.reason)) {
            int winner = outside.winner_of_end(engine_side);
            game.result = winner < 0 ? DRAWN : win_for(winner);
            return game;
        }
        if (!play_and_check(game, move, seen)) return game;
    }
    end_by_limit(game);
    return game;
}
