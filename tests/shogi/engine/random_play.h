// Seeded random play for tests: every move the rules allow a side, and a
// random pick among them that favours captures so that promoted pieces get
// taken and dropped again.
#pragma once

#include <random>
#include <vector>

#include "position_builder.h"
#include "rules.h"

// Every (from, to) of `side`'s pieces, on the board or in hand, that can_move allows.
inline std::vector<Move> list_moves(const TestPosition &pos, int side) {
    std::vector<Move> moves;
    for (int i = 0; i < PIECE_COUNT; ++i) {
        if (pos.pieces[i].owner != side) continue;
        int from = pos.pieces[i].square;
        for (int to = 0; to < SQUARES; ++to)
            if (can_move(from, to, pos.board, pos.pieces)) moves.push_back({from, to, 0});
    }
    return moves;
}

// A random allowed move of `side`, a capture in half the cases where one
// exists; returns 0 when the side has no move.
inline int pick_random_move(const TestPosition &pos, int side, std::mt19937 &rng, Move &chosen) {
    std::vector<Move> moves = list_moves(pos, side);
    if (moves.empty()) return 0;
    std::vector<Move> captures;
    for (const Move &m : moves)
        if (pos.board[m.to] != NO_PIECE) captures.push_back(m);
    const std::vector<Move> &pool = !captures.empty() && rng() % 2 == 0 ? captures : moves;
    chosen = pool[rng() % pool.size()];
    return 1;
}

// Plays `plies` random moves from the starting position with make_move.
inline void play_random_game(TestPosition &pos, unsigned seed, int plies) {
    std::mt19937 rng(seed);
    set_up_start(pos);
    Move m;
    for (int ply = 0; ply < plies && pick_random_move(pos, ply % 2, rng, m); ++ply)
        make_move(m.from, m.to, ply % 2, pos.board, pos.pieces);
}

// Scatters up to `count` pieces of random kinds and sides over random squares
// and hand slots, promoted kinds in hands included, as the search may hold them.
inline void scatter_random_pieces(TestPosition &pos, unsigned seed, int count) {
    std::mt19937 rng(seed);
    clear_position(pos);
    for (int n = 0; n < count; ++n) {
        int side = static_cast<int>(rng() % 2);
        int kind = static_cast<int>(rng() % PIECE_KINDS);
        if (rng() % 4 == 0)
            place_in_hand(pos, kind == KING ? GOLD : kind, side);
        else
            place(pos, kind, side, static_cast<int>(rng() % SQUARES));
    }
}
