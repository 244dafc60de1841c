// The deeper search (NODE_MAX:): its move lists against the rule, its
// position against a fresh copy, every think against can_move, mates found
// and no piece left hanging, and budgets that always end a think.
#include <gtest/gtest.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

#include "computer_game.h"
#include "deep_evaluation.h"
#include "deep_position.h"
#include "deep_search.h"
#include "engine_setup.h"
#include "mate_solver.h"
#include "random_play.h"

namespace {

// Settings with the deeper search switched on.
void use_deep_settings(int side, int nodes) {
    use_plain_settings(side, 8, 8);
    EngineSettings& es = engine_settings[side];
    es.node_budget = nodes;
    es.quiescence = 8;
    es.king_safety = 100;
}

// A move as the rule sees it: the board cell it leaves, or the kind it drops.
std::pair<int, int> rule_key(const TestPosition& pos, int from, int to) {
    int origin = from < SENTE_HAND_BASE ? from : 1000 + pos.pieces[pos.board[from]].kind;
    return {origin, to};
}

// Random positions from play and from scattered pieces, as the search meets them.
std::vector<TestPosition> sample_positions(int count) {
    std::vector<TestPosition> positions;
    for (int i = 0; i < count; ++i) {
        TestPosition pos;
        if (i % 2 == 0)
            play_random_game(pos, 100 + i, 10 + i % 70);
        else
            scatter_random_pieces(pos, 200 + i, 8 + i % 30);
        positions.push_back(pos);
    }
    return positions;
}

TEST(DeepPosition, MoveListsAreExactlyWhatTheRuleAllowsOncePerDroppedKind) {
    for (const TestPosition& pos : sample_positions(300)) {
        for (int side = SENTE; side <= GOTE; ++side) {
            DeepPosition deep;
            deep.set(pos.board, pos.pieces, side);
            static DeepMove moves[MAX_DEEP_MOVES];
            int n = deep.list_moves(moves);
            std::set<std::pair<int, int>> listed, allowed;
            for (int i = 0; i < n; ++i) {
                ASSERT_TRUE(can_move(moves[i].from, moves[i].to, pos.board, pos.pieces));
                ASSERT_EQ(pos.pieces[pos.board[moves[i].from]].owner, side);
                ASSERT_TRUE(listed.insert(rule_key(pos, moves[i].from, moves[i].to)).second) << "listed twice";
            }
            for (const Move& m : list_moves(pos, side)) allowed.insert(rule_key(pos, m.from, m.to));
            EXPECT_EQ(listed, allowed);
            int captures = deep.list_captures(moves);
            int expected = 0;
            for (const auto& [origin, to] : allowed) expected += origin < SENTE_HAND_BASE && pos.board[to] != NO_PIECE;
            EXPECT_EQ(captures, expected);
            for (int i = 0; i < captures; ++i) EXPECT_NE(pos.board[moves[i].to], NO_PIECE);
        }
    }
}

TEST(DeepPosition, MovesTakeBackExactlyAndTheHashFollowsThePositionNotThePath) {
    std::mt19937 rng(11);
    for (int game = 0; game < 40; ++game) {
        TestPosition start;
        set_up_start(start);
        DeepPosition deep;
        deep.set(start.board, start.pieces, SENTE);
        std::vector<DeepUndo> undos;
        for (int ply = 0; ply < 60; ++ply) {
            static DeepMove moves[MAX_DEEP_MOVES];
            int n = deep.list_moves(moves);
            if (n == 0) break;
            DeepMove m = moves[rng() % n];
            int captured = deep.board_at(m.to);
            undos.emplace_back();
            deep.make(m.from, m.to, undos.back());
            if (captured != NO_PIECE) {
                const PieceRecord& taken = deep.pieces()[captured];
                EXPECT_GE(taken.square, SENTE_HAND_BASE);
                EXPECT_EQ(taken.kind, demoted_kind(taken.kind)) << "a captured piece goes to the hand unpromoted";
            }
            DeepPosition fresh;
            fresh.set(deep.board(), deep.pieces(), deep.side_to_move());
            ASSERT_EQ(fresh.hash(), deep.hash());
        }
        while (!undos.empty()) {
            deep.unmake(undos.back());
            undos.pop_back();
        }
        EXPECT_EQ(std::memcmp(deep.board(), start.board, sizeof start.board), 0);
        EXPECT_EQ(std::memcmp(deep.pieces(), start.pieces, sizeof start.pieces), 0);
        EXPECT_EQ(deep.side_to_move(), SENTE);
    }
}

TEST(DeepEvaluation, IsTheSameForBothSidesTurnedRoundAndSettingsAreCutToRange) {
    use_plain_settings(SENTE, 2, 8);
    engine_settings[SENTE].king_safety = 100;
    for (const TestPosition& pos : sample_positions(60)) {
        DeepPosition a, b;
        a.set(pos.board, pos.pieces, SENTE);
        b.set(pos.board, pos.pieces, GOTE);
        DeepWeights w = deep_weights_of(engine_settings[SENTE]);
        EXPECT_EQ(deep_evaluate(a, w), -deep_evaluate(b, w));
    }
    EngineSettings wild{};
    for (int& v : wild.value) v = 2147483647;
    wild.value[PAWN] = -5;
    wild.king_safety = -2147483647 - 1;
    DeepWeights w = deep_weights_of(wild);
    EXPECT_EQ(w.value[GOLD], MAX_DEEP_VALUE);
    EXPECT_EQ(w.value[PAWN], 0);
    EXPECT_EQ(w.king_safety, 0);
}

class DeepSearch : public ::testing::Test {
protected:
    void SetUp() override {
        reset_engine();
        use_deep_settings(SENTE, 4000);
        use_deep_settings(GOTE, 4000);
        std::srand(3);
    }

    // One think with `pos` live; the move, or from = -1 when none was given.
    static LastMove think(const TestPosition& pos, int side) {
        load_turn(pos, side, 40);
        game_phase = CHUBAN;
        if (!engine_think()) return LastMove{-1, -1, 0};
        return last_move;
    }
};

TEST_F(DeepSearch, EveryThinkReturnsAMoveTheRuleAcceptsAndRepeatsItself) {
    int thinks = 0;
    for (const TestPosition& pos : sample_positions(80)) {
        for (int side = SENTE; side <= GOTE; ++side) {
            if (mate_solver_detail::can_take_king(pos, side)) continue;  // taken at once, not searched
            reset_engine();
            std::srand(9);
            LastMove first = think(pos, side);
            long nodes = last_deep_report().nodes;
            if (first.from < 0) continue;  // gave up: covered below
            ++thinks;
            ASSERT_TRUE(can_move(first.from, first.to, pos.board, pos.pieces));
            ASSERT_EQ(pos.pieces[pos.board[first.from]].owner, side);
            EXPECT_LE(nodes, 4000);
            reset_engine();
            std::srand(9);
            LastMove again = think(pos, side);
            EXPECT_EQ(again.from, first.from);
            EXPECT_EQ(again.to, first.to);
            EXPECT_EQ(last_deep_report().nodes, nodes);
        }
    }
    EXPECT_GT(thinks, 100);
}

// A style file of the source tree loaded as `side`'s settings (quietly).
int load_style(const std::string& name, int side) {
    std::string path = std::string(ZENTRIO_SOURCE_ROOT) + "/data/styles/" + name;
    std::snprintf(settings_path[side], SETTINGS_PATH_SIZE, "%s", path.c_str());
    std::memset(&engine_settings[side], 0, sizeof engine_settings[side]);
    testing::internal::CaptureStdout();
    int ok = load_engine_settings(side);
    testing::internal::GetCapturedStdout();
    return ok;
}

constexpr char STRONGEST[] = "level5.ini";

// Gote king in the corner at 11, a sente pawn on 13: a gold dropped on 12
// mates (the king's way out over 21 and 22 is the gold's).
TEST_F(DeepSearch, StrongestLevelFindsMateInOneWithADrop) {
    ASSERT_TRUE(load_style(STRONGEST, SENTE));
    TestPosition pos;
    clear_position(pos);
    place(pos, KING, GOTE, square_cell(1, 1));
    place(pos, KING, SENTE, square_cell(5, 9));
    place(pos, PAWN, SENTE, square_cell(1, 3));
    int gold_cell = pos.pieces[place_in_hand(pos, GOLD, SENTE)].square;
    place_in_hand(pos, PAWN, SENTE);
    LastMove m = think(pos, SENTE);
    EXPECT_EQ(m.from, gold_cell);
    EXPECT_EQ(m.to, square_cell(1, 2));
    EXPECT_GE(last_deep_report().score, DEEP_MATE - 10);
}

// Gote king on 11 with its rook on 22; sente has a silver on 13, a pawn on
// 42 and a gold and a knight in hand. No move mates at once, and only drops
// begin the mates in three plies, which the solver checks move by move.
TEST_F(DeepSearch, StrongestLevelFindsMateInThreeWithDrops) {
    ASSERT_TRUE(load_style(STRONGEST, SENTE));
    TestPosition pos;
    clear_position(pos);
    place(pos, KING, GOTE, square_cell(1, 1));
    place(pos, ROOK, GOTE, square_cell(2, 2));
    place(pos, KING, SENTE, square_cell(5, 9));
    place(pos, SILVER, SENTE, square_cell(1, 3));
    place(pos, PAWN, SENTE, square_cell(4, 2));
    place_in_hand(pos, KNIGHT, SENTE);
    place_in_hand(pos, GOLD, SENTE);
    ASSERT_FALSE(forces_mate(pos, SENTE, 1));
    LastMove m = think(pos, SENTE);
    ASSERT_GE(m.from, SENTE_HAND_BASE) << "a drop begins every mate";
    EXPECT_TRUE(move_forces_mate(pos, Move{m.from, m.to, 0}, SENTE, 2));
    EXPECT_GE(last_deep_report().score, DEEP_MATE - 10);
}

// A pawn dropped to give mate is not allowed: gote king on 11, a sente
// lance on 19 behind the drop square 12, a silver on 32 and a gold on 33
// holding 21 and 22. P*12 would mate; the search plays something else.
TEST_F(DeepSearch, NeverMatesWithAPawnDrop) {
    TestPosition pos;
    clear_position(pos);
    place(pos, KING, GOTE, square_cell(1, 1));
    place(pos, KING, SENTE, square_cell(5, 9));
    place(pos, LANCE, SENTE, square_cell(1, 9));
    place(pos, SILVER, SENTE, square_cell(3, 2));
    place(pos, GOLD, SENTE, square_cell(3, 3));
    int pawn_cell = pos.pieces[place_in_hand(pos, PAWN, SENTE)].square;
    ASSERT_TRUE(mate_solver_detail::legal_moves(
                    mate_solver_detail::after(pos, Move{pawn_cell, square_cell(1, 2), 0}, SENTE), GOTE)
                    .empty());
    LastMove m = think(pos, SENTE);
    EXPECT_FALSE(m.from == pawn_cell && m.to == square_cell(1, 2));
}

// Sente's rook on 55 is attacked by a gote pawn on 54 that a gote gold on
// 53 guards; sente's bishop on 77 could take a gote silver on 33 that a
// gote gold on 22 guards. Whatever the search plays, the rook is no longer
// where a gote piece takes it, and the bishop is not traded for a silver.
TEST_F(DeepSearch, LeavesNoPieceEnPriseThatCapturesShow) {
    TestPosition pos;
    clear_position(pos);
    place(pos, KING, SENTE, square_cell(1, 9));
    place(pos, KING, GOTE, square_cell(9, 1));
    int rook = place(pos, ROOK, SENTE, square_cell(5, 5));
    int bishop = place(pos, BISHOP, SENTE, square_cell(7, 7));
    place(pos, PAWN, GOTE, square_cell(5, 4));
    place(pos, GOLD, GOTE, square_cell(5, 3));
    place(pos, SILVER, GOTE, square_cell(3, 3));
    place(pos, GOLD, GOTE, square_cell(2, 2));
    LastMove m = think(pos, SENTE);
    ASSERT_GE(m.from, 0);
    TestPosition next = mate_solver_detail::after(pos, Move{m.from, m.to, 0}, SENTE);
    const PieceRecord& r = next.pieces[rook];
    ASSERT_LT(r.square, SQUARES);
    EXPECT_EQ(count_attackers(next.board, next.pieces, r.square, GOTE), 0) << "rook left on " << r.square;
    EXPECT_NE(m.to, square_cell(3, 3)) << "bishop for silver";
    EXPECT_EQ(next.pieces[bishop].owner, SENTE);
}

TEST_F(DeepSearch, GivesUpWhenEveryMoveLosesTheKing) {
    EXPECT_EQ(think(doomed_sente_king(), SENTE).from, -1);
    EXPECT_EQ(game_phase, GIVE_UP);
    EXPECT_EQ(engine_think(), 0) << "the next think gives up too";
}

double wall_seconds(void) {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Budgets as a file may give them: the smallest node budget still ends
// with a move the rule accepts, and a time budget ends a think that no
// node budget or depth would end for minutes.
TEST_F(DeepSearch, BudgetsAlwaysEndTheThinkWithALegalMove) {
    TestPosition pos;
    play_random_game(pos, 77, 40);
    EngineSettings& es = engine_settings[SENTE];
    es.node_budget = 1;
    LastMove m = think(pos, SENTE);
    ASSERT_GE(m.from, 0);
    EXPECT_TRUE(can_move(m.from, m.to, pos.board, pos.pieces));
    reset_engine();
    es.node_budget = 2147483647;
    es.depth = 2147483647;
    es.quiescence = 2147483647;
    es.time_budget = 200;
    double start = wall_seconds();
    m = think(pos, SENTE);
    EXPECT_LT(wall_seconds() - start, 5.0);
    ASSERT_GE(m.from, 0);
    EXPECT_TRUE(can_move(m.from, m.to, pos.board, pos.pieces));
    EXPECT_LE(last_deep_report().nodes, MAX_NODE_BUDGET);
}

// A file without NODE_MAX (or with a value that is not a positive number)
// thinks with the search of the phases.
TEST(DeepSearchSelection, OnlyAPositiveNodeBudgetSelectsIt) {
    for (int budget : {0, -1, -2147483647 - 1}) {
        engine_settings[SENTE].node_budget = budget;
        EXPECT_FALSE(uses_deep_search(SENTE));
    }
    engine_settings[SENTE].node_budget = 1;
    EXPECT_TRUE(uses_deep_search(SENTE));
    engine_settings[SENTE].node_budget = 0;
}

// The ladder: the two gentlest levels think with the search of the phases,
// the others with the deeper search at budgets that grow with the level,
// and every level carries the name the menu shows.
TEST(Levels, EachIsNamedAndTheDeeperOnesSpendMorePositionsLevelByLevel) {
    int previous_budget = 0;
    for (int level = 1; level <= 5; ++level) {
        std::string name = "level" + std::to_string(level) + ".ini";
        ASSERT_TRUE(load_style(name, SENTE)) << name;
        std::FILE* f = std::fopen((std::string(ZENTRIO_SOURCE_ROOT) + "/data/styles/" + name).c_str(), "r");
        ASSERT_NE(f, nullptr);
        char line[256];
        int named = 0;
        while (std::fgets(line, sizeof line, f) != nullptr) named |= std::strncmp(line, "#NAME: ", 7) == 0;
        std::fclose(f);
        EXPECT_TRUE(named) << name;
        int budget = engine_settings[SENTE].node_budget;
        if (level <= 2) {
            EXPECT_EQ(budget, 0) << name;
        } else {
            EXPECT_GT(budget, previous_budget) << name;
            previous_budget = budget;
        }
    }
}

// One game per level, each side its own level, with the node budgets cut so
// that the sanitizers get through: every move is one the rule accepts.
class LevelGame : public ::testing::TestWithParam<const char*> {};

TEST_P(LevelGame, PlaysLegalMovesAgainstItself) {
    EngineSettings pair[2];
    for (int side = SENTE; side <= GOTE; ++side) {
        ASSERT_TRUE(load_style(GetParam(), side));
        pair[side] = engine_settings[side];
        pair[side].node_budget = std::min(pair[side].node_budget, 3000);
    }
    reset_engine();
    int illegal = -1;
    Game game = play_computer_game(pair, 4, 40, &illegal);
    EXPECT_EQ(illegal, 0);
    EXPECT_GT(game.moves.size(), 10u);
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelGame,
                         ::testing::Values("level1.ini", "level2.ini", "level3.ini", "level4.ini", "level5.ini"));

}  // namespace
