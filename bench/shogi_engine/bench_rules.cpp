// Speed of the movement rule: can_move over every (from, to) pair and
// count_attackers over every square, on fixed opening, middle-game and
// end-game positions.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "position.h"
#include "rules.h"

namespace {

struct Position {
    int board[BOARD_CELLS];
    PieceRecord pieces[PIECE_RECORDS];
};

constexpr int cell(int square) { return 9 * (square % 10) - square / 10; }  // square 76 -> file 7, rank 6

// A plain opening line with an exchange of pawns and of bishops; squares as
// written in a game record, hand cells as they are at that moment.
const int MIDDLE_GAME_LINE[][2] = {
    {77, 76}, {33, 34}, {27, 26}, {83, 84}, {26, 25}, {84, 85}, {69, 78}, {41, 32}, {25, 24}, {23, 24},
    {28, 24}, {-200, 23}, {24, 26}, {85, 86}, {87, 86}, {82, 86}, {-100, 87}, {22, 88}, {79, 88},
};

void play(Position &pos, int from, int to, int side) {
    if (!can_move(from, to, pos.board, pos.pieces)) {
        std::fprintf(stderr, "bench position: move %d-%d refused\n", from, to);
        std::exit(1);
    }
    make_move(from, to, side, pos.board, pos.pieces);
}

Position opening() {
    Position pos;
    set_up_position(pos.board, pos.pieces);
    return pos;
}

Position middle_game() {
    Position pos = opening();
    int side = SENTE;
    for (const auto &move : MIDDLE_GAME_LINE) {
        int from = move[0] < 0 ? -move[0] : cell(move[0]);
        play(pos, from, cell(move[1]), side);
        side = opponent(side);
    }
    return pos;
}

// The middle game played on by a fixed pseudo-random rule that prefers
// captures but spares the kings: a thin board and full hands.
Position end_game() {
    Position pos = middle_game();
    unsigned state = 12345;
    int side = GOTE;
    for (int ply = 0; ply < 160; ++ply) {
        std::vector<Move> moves, captures;
        for (int i = 0; i < PIECE_COUNT; ++i) {
            if (pos.pieces[i].owner != side) continue;
            for (int to = 0; to < SQUARES; ++to) {
                int target = pos.board[to];
                if (target == GOTE_KING_PIECE || target == SENTE_KING_PIECE) continue;
                if (!can_move(pos.pieces[i].square, to, pos.board, pos.pieces)) continue;
                moves.push_back({pos.pieces[i].square, to, 0});
                if (target != NO_PIECE) captures.push_back(moves.back());
            }
        }
        state = state * 1103515245u + 12345u;
        const std::vector<Move> &pool = captures.empty() ? moves : captures;
        if (pool.empty()) break;
        const Move &m = pool[(state >> 8) % pool.size()];
        play(pos, m.from, m.to, side);
        side = opponent(side);
    }
    return pos;
}

const Position &phase_position(int phase) {
    static const Position positions[] = {opening(), middle_game(), end_game()};
    return positions[phase];
}

void label(benchmark::State &state) {
    static const char *const names[] = {"opening", "middle game", "end game"};
    state.SetLabel(names[state.range(0)]);
}

void BM_can_move_every_pair(benchmark::State &state) {
    Position pos = phase_position(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        int allowed = 0;
        for (int from = 0; from < BOARD_CELLS; ++from)
            for (int to = 0; to < SQUARES; ++to) allowed += can_move(from, to, pos.board, pos.pieces);
        benchmark::DoNotOptimize(allowed);
    }
    state.SetItemsProcessed(state.iterations() * BOARD_CELLS * SQUARES);
    label(state);
}

// Only cells that hold a piece: every call goes past the quick refusals.
void BM_can_move_from_pieces(benchmark::State &state) {
    Position pos = phase_position(static_cast<int>(state.range(0)));
    std::vector<int> froms;
    for (int i = 0; i < PIECE_COUNT; ++i) froms.push_back(pos.pieces[i].square);
    for (auto _ : state) {
        int allowed = 0;
        for (int from : froms)
            for (int to = 0; to < SQUARES; ++to) allowed += can_move(from, to, pos.board, pos.pieces);
        benchmark::DoNotOptimize(allowed);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(froms.size()) * SQUARES);
    label(state);
}

void BM_count_attackers_every_square(benchmark::State &state) {
    Position pos = phase_position(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        int total = 0;
        for (int square = 0; square < SQUARES; ++square)
            total += count_attackers(pos.board, pos.pieces, square, SENTE) +
                     count_attackers(pos.board, pos.pieces, square, GOTE);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * SQUARES * 2);
    label(state);
}

BENCHMARK(BM_can_move_every_pair)->DenseRange(0, 2);
BENCHMARK(BM_can_move_from_pieces)->DenseRange(0, 2);
BENCHMARK(BM_count_attackers_every_square)->DenseRange(0, 2);

}  // namespace

BENCHMARK_MAIN();
