// Matches of the engine, run by hand (never by CI):
//
//   banrei_match engine A B [options]      A against B, colours alternating
//   banrei_match gnushogi A [options]      A against GNU Shogi (bench/match/setup.sh installs it)
//   banrei_match usi PROGRAM A [options]   A against a USI engine (e.g. fairy-stockfish)
//
// A and B are settings: a file used for both sides, or a folder holding
// sente.ini and gote.ini. Options:
//   --games N      games to play (default 40); game 2k and 2k+1 share a seed, colours swapped
//   --seed S       seed of the first pair (default 1)
//   --moves M      plies before a game counts as drawn (default 400)
//   --jobs J       games played in J processes at once (default 1)
//   --depth D      the opponent's search depth in plies (default 2)
//   --seconds T    the opponent's time per move instead of a depth
//   --random       GNU Shogi varies its choices
//   --log FILE     one line per game: result, reason and moves
// Prints the score of A with a 95 % confidence interval, the score by colour
// and A's think time per move (thread CPU time: median, p90, longest).
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gnushogi_player.h"
#include "match_game.h"
#include "position.h"
#include "usi_player.h"

namespace {

struct Options {
    std::string mode;
    std::string a, b;
    std::string program;  // the USI engine
    int games = 40;
    unsigned seed = 1;
    int moves = 400;
    int jobs = 1;
    GnuShogiLimits gnu{2, 0, 0, 600};
    std::string log;
};

// One finished game as A saw it.
struct Outcome {
    int index;
    int a_side;
    double score;  // for A: 1, 0.5 or 0
    std::string reason;
    std::vector<std::string> moves;
    std::vector<double> a_think;
};

int usage(void) {
    std::fprintf(stderr,
                 "usage: banrei_match engine A B [options] | banrei_match gnushogi A [options] | banrei_match usi PROGRAM A "
                 "[options]\n"
                 "options: --games N --seed S --moves M --jobs J --depth D --seconds T --random --log FILE\n");
    return 2;
}

int parse_options(int argc, char** argv, Options& o) {
    if (argc < 3) return 0;
    o.mode = argv[1];
    o.a = argv[2];
    int i = 3;
    if (o.mode == "engine" || o.mode == "usi") {
        if (argc < 4) return 0;
        if (o.mode == "usi") o.program = o.a;
        (o.mode == "usi" ? o.a : o.b) = argv[i++];
    } else if (o.mode != "gnushogi") {
        return 0;
    }
    for (; i < argc; ++i) {
        std::string k = argv[i];
        if (k == "--random") {
            o.gnu.randomised = 1;
            continue;
        }
        if (i + 1 >= argc) return 0;
        const char* v = argv[++i];
        if (k == "--games") o.games = std::atoi(v);
        else if (k == "--seed") o.seed = static_cast<unsigned>(std::atol(v));
        else if (k == "--moves") o.moves = std::atoi(v);
        else if (k == "--jobs") o.jobs = std::max(1, std::atoi(v));
        else if (k == "--depth") o.gnu.depth = std::atoi(v);
        else if (k == "--seconds") o.gnu = GnuShogiLimits{0, std::atoi(v), o.gnu.randomised, o.gnu.answer_seconds};
        else if (k == "--log") o.log = v;
        else return 0;
    }
    return o.games > 0;
}

UsiSettings usi_settings(const Options& o) {
    UsiSettings settings;
    settings.command = {o.program};
    settings.go = o.gnu.depth > 0 ? "depth " + std::to_string(o.gnu.depth)
                                  : "btime 0 wtime 0 byoyomi " + std::to_string(1000 * o.gnu.seconds);
    return settings;
}

double score_for(GameResult r, int side) {
    if (r == DRAWN) return 0.5;
    return (r == SENTE_WINS) == (side == SENTE) ? 1.0 : 0.0;
}

Outcome play_one(const Options& o, int index, const EnginePlayer& a, const EnginePlayer& b) {
    int a_side = index % 2 == 0 ? SENTE : GOTE;
    unsigned seed = o.seed + static_cast<unsigned>(index / 2);
    GameRecord g;
    if (o.mode == "engine") {
        const EnginePlayer* players[2] = {a_side == SENTE ? &a : &b, a_side == SENTE ? &b : &a};
        g = play_engine_game(players, seed, o.moves);
    } else if (o.mode == "usi") {
        static UsiPlayer usi(usi_settings(o));  // one engine process for all the games of a worker
        g = play_outside_game(a, a_side, usi, seed, o.moves);
    } else {
        GnuShogi gnu(o.gnu);
        g = play_outside_game(a, a_side, gnu, seed, o.moves);
    }
    return Outcome{index, a_side, score_for(g.result, a_side), g.reason, g.moves, g.think_seconds[a_side]};
}

// Outcomes travel from the worker processes through files, one per line.
void write_outcome(std::FILE* f, const Outcome& r) {
    std::string reason = r.reason;
    std::replace(reason.begin(), reason.end(), ' ', '_');
    std::replace(reason.begin(), reason.end(), '\n', '_');
    std::fprintf(f, "%d %d %.1f %s %zu", r.index, r.a_side, r.score, reason.empty() ? "-" : reason.c_str(),
                 r.a_think.size());
    for (double s : r.a_think) std::fprintf(f, " %.6f", s);
    for (const std::string& m : r.moves) std::fprintf(f, " %s", m.c_str());
    std::fprintf(f, "\n");
    std::fflush(f);
}

int read_outcome(const std::string& line, Outcome& r) {
    std::istringstream in(line);
    size_t thinks = 0;
    if (!(in >> r.index >> r.a_side >> r.score >> r.reason >> thinks)) return 0;
    std::replace(r.reason.begin(), r.reason.end(), '_', ' ');
    r.a_think.resize(thinks);
    for (double& s : r.a_think) in >> s;
    std::string m;
    while (in >> m) r.moves.push_back(m);
    return 1;
}

// Worker j plays games j, j + jobs, ... and writes them to `path`.
void run_worker(const Options& o, int j, const EnginePlayer& a, const EnginePlayer& b, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr) _exit(1);
    for (int i = j; i < o.games; i += o.jobs) {
        Outcome r = play_one(o, i, a, b);
        write_outcome(f, r);
        std::fprintf(stderr, "game %d: %s for A (%s, %zu plies)\n", i + 1,
                     r.score == 1 ? "win" : r.score == 0 ? "loss" : "draw", r.reason.c_str(), r.moves.size());
    }
    std::fclose(f);
}

std::vector<Outcome> play_all(const Options& o, const EnginePlayer& a, const EnginePlayer& b) {
    char dir[] = "/tmp/banrei-match-XXXXXX";
    std::vector<Outcome> all;
    if (mkdtemp(dir) == nullptr) return all;
    std::vector<pid_t> workers;
    for (int j = 0; j < o.jobs; ++j) {
        pid_t pid = fork();
        if (pid == 0) {
            run_worker(o, j, a, b, std::string(dir) + "/" + std::to_string(j));
            _exit(0);
        }
        workers.push_back(pid);
    }
    for (pid_t pid : workers) waitpid(pid, nullptr, 0);
    for (int j = 0; j < o.jobs; ++j) {
        std::string path = std::string(dir) + "/" + std::to_string(j);
        std::ifstream in(path);
        std::string line;
        Outcome r;
        while (std::getline(in, line))
            if (read_outcome(line, r = Outcome{})) all.push_back(r);
        std::remove(path.c_str());
    }
    rmdir(dir);
    std::sort(all.begin(), all.end(), [](const Outcome& x, const Outcome& y) { return x.index < y.index; });
    return all;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[i];
}

double elo(double score) {
    score = std::min(std::max(score, 0.001), 0.999);
    return -400 * std::log10(1 / score - 1);
}

void report(const Options& o, const std::vector<Outcome>& all) {
    int n = static_cast<int>(all.size());
    double wins = 0, draws = 0, by_side[2] = {0, 0};
    int games_by_side[2] = {0, 0};
    std::vector<double> think;
    for (const Outcome& r : all) {
        wins += r.score == 1;
        draws += r.score == 0.5;
        by_side[r.a_side] += r.score;
        ++games_by_side[r.a_side];
        think.insert(think.end(), r.a_think.begin(), r.a_think.end());
    }
    double score = (wins + draws / 2) / n;
    double var = 0;
    for (const Outcome& r : all) var += (r.score - score) * (r.score - score);
    double margin = n > 1 ? 1.96 * std::sqrt(var / (n - 1) / n) : 0.5;
    std::string limit = o.gnu.depth > 0 ? "depth " + std::to_string(o.gnu.depth)
                                        : std::to_string(o.gnu.seconds) + " s/move";
    std::string opponent = o.mode == "engine" ? o.b
                           : o.mode == "usi"  ? o.program + ", " + limit
                           : o.gnu.depth > 0 ? "GNU Shogi, depth " + std::to_string(o.gnu.depth)
                                                                : "GNU Shogi, " + std::to_string(o.gnu.seconds) + " s/move";
    std::printf("A: %s\nB: %s\n", o.a.c_str(), opponent.c_str());
    std::printf("games %d: A wins %.0f, draws %.0f, losses %.0f\n", n, wins, draws, n - wins - draws);
    std::printf("score of A: %.1f %% +- %.1f %% (95 %% interval %.1f .. %.1f %%), Elo %+.0f [%+.0f, %+.0f]\n",
                100 * score, 100 * margin, 100 * std::max(0.0, score - margin), 100 * std::min(1.0, score + margin),
                elo(score), elo(score - margin), elo(score + margin));
    for (int side = SENTE; side <= GOTE; ++side)
        if (games_by_side[side] > 0)
            std::printf("A as %s: %.1f %% of %d games\n", side == SENTE ? "sente" : "gote",
                        100 * by_side[side] / games_by_side[side], games_by_side[side]);
    std::printf("A's think time per move over %zu moves: median %.3f s, p90 %.3f s, longest %.3f s\n", think.size(),
                percentile(think, 0.5), percentile(think, 0.9), percentile(think, 1.0));
}

void write_log(const Options& o, const std::vector<Outcome>& all) {
    if (o.log.empty()) return;
    std::FILE* f = std::fopen(o.log.c_str(), "w");
    if (f == nullptr) {
        std::perror(o.log.c_str());
        return;
    }
    for (const Outcome& r : all) {
        std::fprintf(f, "game %d seed %u A %s: %s (%s):", r.index + 1, o.seed + static_cast<unsigned>(r.index / 2),
                     r.a_side == SENTE ? "sente" : "gote",
                     r.score == 1 ? "win" : r.score == 0 ? "loss" : "draw", r.reason.c_str());
        for (const std::string& m : r.moves) std::fprintf(f, " %s", m.c_str());
        std::fprintf(f, "\n");
    }
    std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse_options(argc, argv, o)) return usage();
    EnginePlayer a, b;
    if (!load_engine_player(o.a, a)) return 1;
    if (o.mode == "engine" && !load_engine_player(o.b, b)) return 1;
    if (o.mode == "gnushogi" && access("/usr/games/gnushogi", X_OK) != 0) {
        std::fprintf(stderr, "GNU Shogi is not installed: run bench/match/setup.sh\n");
        return 1;
    }
    std::vector<Outcome> all = play_all(o, a, b);
    if (all.empty()) return 1;
    report(o, all);
    write_log(o, all);
    return 0;
}
