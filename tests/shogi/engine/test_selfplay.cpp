#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine_setup.h"
#include "evaluation.h"
#include "generators.h"
#include "rules.h"
#include "search.h"
#include "settings.h"

// Engine against engine with the shipped settings, the moves executed on the
// live position the way the front end executes a computer's move.
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int GAMES = 1;
constexpr int MOVE_LIMIT = 60;
#else
constexpr int GAMES = 3;
constexpr int MOVE_LIMIT = 400;
#endif

enum GameEnd { KING_TAKEN, GAVE_UP, MOVE_LIMIT_REACHED };

struct Game {
    std::vector<LastMove> moves;
    GameEnd end;
    int loser;
};

int can_promote(int from, int to, int side) {
    if (from >= SENTE_HAND_BASE) return 0;
    int kind = PieceTable[Board[from]].kind;
    if (kind < ROOK || kind > PAWN) return 0;
    return side == SENTE ? from < 27 || to < 27 : from > 53 || to > 53;
}

// The front end's execution of a computer's move; 0 when it takes a king.
int play_computer_move(int from, int to, int side) {
    int taken = Board[to];
    if (taken != NO_PIECE) {
        if (PieceTable[taken].kind == KING) return 0;
        if (PieceTable[taken].kind > PAWN) PieceTable[taken].kind -= PROMOTION_OFFSET;
        PieceTable[taken].owner = side;
        int last_slot = hand_base(side) + HAND_SLOTS - 1;
        Board[last_slot] = taken;
        PieceTable[taken].square = last_slot;
    }
    if (can_promote(from, to, side)) PieceTable[Board[from]].kind += PROMOTION_OFFSET;
    Board[to] = Board[from];
    PieceTable[Board[to]].square = to;
    Board[from] = NO_PIECE;
    sort_hand(Board, PieceTable, side);
    return 1;
}

Game play_game(unsigned seed) {
    std::memset(RecentMoves, 0, sizeof RecentMoves);
    use_shipped_settings(seed);
    set_up_position(Board, PieceTable);
    game_phase = JOBAN;
    side_to_move = SENTE;
    move_number = 1;
    last_move = LastMove{0, NO_SQUARE, 0};
    Game game{{}, MOVE_LIMIT_REACHED, -1};
    while (static_cast<int>(game.moves.size()) < MOVE_LIMIT) {
        int s = side_to_move;
        if (!engine_think()) {
            game.end = GAVE_UP;
            game.loser = s;
            break;
        }
        game.moves.push_back(last_move);
        EXPECT_TRUE(can_move(last_move.from, last_move.to, Board, PieceTable))
            << "move " << move_number << ": " << last_move.from << "-" << last_move.to;
        EXPECT_EQ(PieceTable[Board[last_move.from]].owner, s);
        if (!play_computer_move(last_move.from, last_move.to, s)) {
            game.end = KING_TAKEN;
            game.loser = 1 - s;
            break;
        }
        ++move_number;
        side_to_move = 1 - s;
    }
    return game;
}

int same_moves(const Game& a, const Game& b) {
    if (a.moves.size() != b.moves.size()) return 0;
    for (size_t i = 0; i < a.moves.size(); ++i)
        if (a.moves[i].from != b.moves[i].from || a.moves[i].to != b.moves[i].to) return 0;
    return 1;
}

TEST(SelfPlay, ShippedSettingsPlayLegalGamesToTheEnd) {
    ASSERT_NE(shipped_settings(), nullptr);
    for (unsigned seed = 1; seed <= GAMES; ++seed) {
        Game game = play_game(seed);
        std::printf("seed %u: %zu moves, %s\n", seed, game.moves.size(),
                    game.end == KING_TAKEN ? "king taken" : game.end == GAVE_UP ? "gave up" : "move limit");
        EXPECT_GT(game.moves.size(), 10u);
        if (MOVE_LIMIT >= 400) {
            EXPECT_NE(game.end, MOVE_LIMIT_REACHED) << "seed " << seed;
        }
    }
}

TEST(SelfPlay, SameSeedGivesTheSameGame) {
    ASSERT_NE(shipped_settings(), nullptr);
    Game first = play_game(11);
    Game again = play_game(11);
    EXPECT_TRUE(same_moves(first, again));
    EXPECT_EQ(first.end, again.end);
    Game other = play_game(12);
    EXPECT_FALSE(same_moves(first, other));  // the random terms do vary the play
}

}  // namespace
