#include <gtest/gtest.h>

#include <cstdio>

#include "computer_game.h"

// Engine against engine from the initial position: whole games with the
// reference settings (quick enough to play out under the sanitizers), and the
// opening of games with the shipped settings.
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr unsigned SEEDS[] = {1};
constexpr int MOVE_LIMIT = 40;
constexpr int SHIPPED_MOVES = 2;
#else
constexpr unsigned SEEDS[] = {1, 3};
constexpr int MOVE_LIMIT = 400;
constexpr int SHIPPED_MOVES = 12;
#endif

Game reference_game(unsigned seed, int move_limit, int* illegal) {
    return play_computer_game(reference_settings(), seed, move_limit, illegal);
}

int same_moves(const Game& a, const Game& b) {
    if (a.moves.size() != b.moves.size()) return 0;
    for (size_t i = 0; i < a.moves.size(); ++i)
        if (a.moves[i].from != b.moves[i].from || a.moves[i].to != b.moves[i].to) return 0;
    return 1;
}

TEST(SelfPlay, ReferenceSettingsPlayLegalGamesToTheEnd) {
    ASSERT_NE(reference_settings(), nullptr);
    for (unsigned seed : SEEDS) {
        int illegal = 0;
        Game game = reference_game(seed, MOVE_LIMIT, &illegal);
        std::printf("seed %u: %zu moves, %s\n", seed, game.moves.size(),
                    game.end == KING_TAKEN ? "king taken" : game.end == GAVE_UP ? "gave up" : "move limit");
        EXPECT_EQ(illegal, 0) << "seed " << seed;
        EXPECT_GE(game.moves.size(), 10u);
        int before = JOBAN;
        for (const Turn& t : game.turns) {
            EXPECT_GE(t.phase, before) << "phases only move forward, move " << t.number;
            before = t.phase;
        }
        if (MOVE_LIMIT >= 400) {
            EXPECT_NE(game.end, MOVE_LIMIT_REACHED) << "seed " << seed;
        }
    }
}

TEST(SelfPlay, SameSeedGivesTheSameGame) {
    ASSERT_NE(reference_settings(), nullptr);
    int illegal = 0;
    Game first = reference_game(11, MOVE_LIMIT / 4, &illegal);
    Game again = reference_game(11, MOVE_LIMIT / 4, &illegal);
    EXPECT_TRUE(same_moves(first, again));
    EXPECT_EQ(first.end, again.end);
    Game other = reference_game(12, MOVE_LIMIT / 4, &illegal);
    EXPECT_FALSE(same_moves(first, other));  // the random terms do vary the play
}

TEST(SelfPlay, ShippedSettingsPlayLegalMovesAndVary) {
    ASSERT_NE(shipped_settings(), nullptr);
    int illegal = 0;
    Game first = play_shipped_game(21, SHIPPED_MOVES, &illegal);
    EXPECT_EQ(illegal, 0);
    EXPECT_GE(first.moves.size(), static_cast<size_t>(SHIPPED_MOVES) / 2);
    Game other = play_shipped_game(22, SHIPPED_MOVES, &illegal);
    EXPECT_EQ(illegal, 0);
    EXPECT_FALSE(same_moves(first, other));
}

}  // namespace
