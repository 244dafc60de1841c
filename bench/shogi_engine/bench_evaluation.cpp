// Cost of the engine's judgement with the last settings shipped for the search of the phases: score_move_on over
// every candidate move of a position as a generator asks it, and evaluate, on
// fixed middle-game positions.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "evaluation.h"
#include "position.h"
#include "rules.h"
#include "settings.h"

namespace {

struct BenchPosition {
    int board[BOARD_CELLS];
    PieceRecord pieces[PIECE_RECORDS];
    int side;  // to move
    std::vector<Move> moves;
};

// Games written as (from, to) squares, file digit then rank digit.
const std::vector<std::vector<int>> GAMES = {
    // Static rook: both rook pawns exchanged, bishops traded; hands on both sides.
    {77, 76, 33, 34, 27, 26, 83, 84, 26, 25, 84, 85, 69, 78, 41, 32, 25, 24, 23, 24, 28, 24, 85, 86, 87, 86,
     82, 86, 24, 34, 22, 88, 79, 88},
    // Ranging rook against a static rook, castles under way.
    {77, 76, 33, 34, 28, 68, 83, 84, 59, 48, 84, 85, 88, 77, 61, 52, 48, 38, 51, 62, 39, 28, 62, 72, 67, 66,
     71, 62, 79, 78, 73, 74, 47, 46, 53, 54},
    // Quiet development, pawns facing each other in the centre.
    {77, 76, 33, 34, 67, 66, 43, 44, 57, 56, 53, 54, 69, 78, 41, 32, 79, 68, 31, 42, 59, 69, 51, 41, 56, 55,
     54, 55, 66, 65},
};

int cell_of(int square) { return 9 * (square % 10) - square / 10; }

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "bench_evaluation: %s\n", what);
    std::exit(1);
}

void load_shipped_settings() {
    namespace fs = std::filesystem;
    fs::path here = fs::current_path();
    fs::current_path(fs::path(ZENTRIO_SOURCE_ROOT) / "tests/shogi/engine/phases_shipped");
    int ok = load_engine_settings(SENTE) && load_engine_settings(GOTE);
    fs::current_path(here);
    if (!ok) fail("the shipped settings do not load");
    std::srand(1);
    choose_formations();
}

BenchPosition play(const std::vector<int>& game) {
    BenchPosition pos{};
    set_up_position(pos.board, pos.pieces);
    pos.side = SENTE;
    for (size_t i = 0; i + 1 < game.size(); i += 2) {
        int from = cell_of(game[i]);
        int to = cell_of(game[i + 1]);
        if (pos.pieces[pos.board[from]].owner != pos.side || !can_move(from, to, pos.board, pos.pieces))
            fail("a benchmark game holds an illegal move");
        make_move(from, to, pos.side, pos.board, pos.pieces);
        pos.side = opponent(pos.side);
    }
    for (int k = 0; k < PIECE_COUNT; ++k) {
        if (pos.pieces[k].owner != pos.side) continue;
        for (int to = 0; to < SQUARES; ++to)
            if (can_move(pos.pieces[k].square, to, pos.board, pos.pieces))
                pos.moves.push_back(Move{pos.pieces[k].square, to, 0});
    }
    return pos;
}

std::vector<BenchPosition>& positions() {
    static std::vector<BenchPosition> all = [] {
        load_shipped_settings();
        std::vector<BenchPosition> v;
        for (const auto& game : GAMES) v.push_back(play(game));
        return v;
    }();
    return all;
}

void BM_ScoreMove(benchmark::State& state) {
    std::vector<BenchPosition>& all = positions();
    game_phase = CHUBAN;
    long calls = 0;
    for (auto _ : state) {
        for (BenchPosition& pos : all) {
            set_engine_side(pos.side);
            // As a generator does: the position is worked out once for all its candidates.
            PositionCache cache;
            cache.reset(pos.board, pos.pieces);
            for (const Move& m : pos.moves)
                benchmark::DoNotOptimize(score_move_on(pos.board, pos.pieces, m.from, m.to, cache));
            calls += static_cast<long>(pos.moves.size());
        }
    }
    state.SetItemsProcessed(calls);
}
BENCHMARK(BM_ScoreMove)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_Evaluate(benchmark::State& state) {
    std::vector<BenchPosition>& all = positions();
    game_phase = CHUBAN;
    long calls = 0;
    for (auto _ : state) {
        for (BenchPosition& pos : all) {
            for (int side = SENTE; side <= GOTE; ++side) {
                set_engine_side(side);
                benchmark::DoNotOptimize(evaluate(pos.board, pos.pieces));
            }
            calls += 2;
        }
    }
    state.SetItemsProcessed(calls);
}
BENCHMARK(BM_Evaluate)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
