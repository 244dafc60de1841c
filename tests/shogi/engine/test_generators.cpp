#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "engine_setup.h"
#include "evaluation.h"
#include "random_play.h"
#include "rules.h"

namespace {

struct Candidates {
    int from[CANDIDATE_CAP + 8];
    int to[CANDIDATE_CAP + 8];
    int count;
};

Candidates root_of(const TestPosition& pos, int side) {
    prepare_search(pos, side);
    Candidates c;
    c.count = generate_root_candidates(c.from, c.to, search_board, search_pieces);
    return c;
}

Candidates node_of(TestPosition& pos, int side, int node_width) {
    Candidates c;
    c.count = generate_node_moves(c.from, c.to, side, node_width, pos.board, pos.pieces);
    return c;
}

int count_from(const Candidates& c, int from) {
    int n = 0;
    for (int i = 0; i < c.count; ++i) n += c.from[i] == from;
    return n;
}

int contains(const Candidates& c, int from, int to) {
    for (int i = 0; i < c.count; ++i)
        if (c.from[i] == from && c.to[i] == to) return 1;
    return 0;
}

class Generators : public ::testing::Test {
protected:
    void SetUp() override {
        reset_engine();
        use_plain_settings(SENTE, 1, 16);
        use_plain_settings(GOTE, 1, 16);
        game_phase = CHUBAN;
        std::srand(1);
    }
};

TEST(RecentMovesList, PushKeepsEightNewestFirstAndMatchesAllThreeFields) {
    reset_engine();
    for (int i = 1; i <= 10; ++i) recent_moves_push(i, i + 10, i + 20);
    EXPECT_EQ(RecentMoves[0].from, 10);
    EXPECT_EQ(RecentMoves[7].from, 3);
    EXPECT_TRUE(recent_moves_contains(3, 13, 23));
    EXPECT_FALSE(recent_moves_contains(2, 12, 22));  // fell out
    EXPECT_FALSE(recent_moves_contains(3, 13, 24));  // other piece
    EXPECT_FALSE(recent_moves_contains(3, 14, 23));
}

TEST_F(Generators, KingCaptureTakesTheFirstAttackerInPieceOrder) {
    TestPosition pos;
    clear_position(pos);
    place(pos, KING, SENTE, square_cell(5, 9));
    int king = place(pos, KING, GOTE, square_cell(5, 1));
    place(pos, GOLD, SENTE, square_cell(5, 2));
    place(pos, ROOK, SENTE, square_cell(5, 5));  // piece 21 comes first but the gold blocks it
    place(pos, LANCE, SENTE, square_cell(4, 2));  // cannot reach sideways
    prepare_search(pos, SENTE);
    Move m{};
    ASSERT_TRUE(king_capture_move(&m, search_board, search_pieces));
    EXPECT_EQ(m.from, square_cell(5, 2));
    EXPECT_EQ(m.to, pos.pieces[king].square);

    prepare_search(pos, GOTE);  // gote's king is the one exposed, not sente's
    EXPECT_FALSE(king_capture_move(&m, search_board, search_pieces));
}

TEST_F(Generators, StartPositionCutsEachMajorPieceToAQuarterOfTheWidth) {
    TestPosition pos;
    set_up_start(pos);
    use_plain_settings(SENTE, 1, 64);
    Candidates wide = root_of(pos, SENTE);
    EXPECT_EQ(count_from(wide, 70), 64 / 4 > 6 ? 6 : 64 / 4);  // all six rook moves fit
    use_plain_settings(SENTE, 1, 16);
    Candidates c = root_of(pos, SENTE);
    EXPECT_EQ(c.count, 16);
    EXPECT_EQ(count_from(c, 70), 4);
    for (int i = 0; i < c.count; ++i) EXPECT_TRUE(can_move(c.from[i], c.to[i], pos.board, pos.pieces));
}

TEST_F(Generators, WidthThreeOffersNoMajorPieceMovesAndNoDrops) {
    TestPosition pos;
    set_up_start(pos);
    make_move(square_cell(7, 7), square_cell(7, 6), SENTE, pos.board, pos.pieces);  // open the bishop
    use_plain_settings(SENTE, 1, 3);
    // Give sente a gold in hand by moving a gote gold into sente's hand list.
    int gold = pos.board[3];
    pos.board[3] = NO_PIECE;
    pos.board[SENTE_HAND_BASE] = gold;
    pos.pieces[gold].square = SENTE_HAND_BASE;
    pos.pieces[gold].owner = SENTE;
    Candidates c = root_of(pos, SENTE);
    EXPECT_LE(c.count, 3);
    EXPECT_GT(c.count, 0);
    for (int i = 0; i < c.count; ++i) {
        int piece = pos.board[c.from[i]];
        EXPECT_TRUE(piece != 1 && piece != 2 && piece != 21 && piece != 22) << c.from[i];
        EXPECT_LT(c.from[i], SENTE_HAND_BASE);
    }
    use_plain_settings(SENTE, 1, 8);  // w / 4 = 2: now drops and the bishop take part
    Candidates wider = root_of(pos, SENTE);
    EXPECT_EQ(count_from(wider, SENTE_HAND_BASE), 2);
}

TEST_F(Generators, RootDropsOnceForEachRunOfEqualKinds) {
    TestPosition pos;
    clear_position(pos);
    place(pos, KING, SENTE, square_cell(5, 9));
    place(pos, KING, GOTE, square_cell(5, 1));
    int p1 = place_in_hand(pos, PAWN, SENTE);
    int p2 = place_in_hand(pos, PAWN, SENTE);
    int g = place_in_hand(pos, GOLD, SENTE);
    ASSERT_GE(p1, 0);
    ASSERT_GE(p2, 0);
    ASSERT_GE(g, 0);
    use_plain_settings(SENTE, 1, 32);  // 8 per dropped kind
    Candidates c = root_of(pos, SENTE);
    EXPECT_EQ(count_from(c, SENTE_HAND_BASE), 8);      // first pawn
    EXPECT_EQ(count_from(c, SENTE_HAND_BASE + 1), 0);  // same kind as the slot before
    EXPECT_EQ(count_from(c, SENTE_HAND_BASE + 2), 8);  // gold
    for (int i = 0; i < c.count; ++i)
        if (c.from[i] == SENTE_HAND_BASE) {
            EXPECT_GE(c.to[i], 9) << "pawn dropped on the last rank";
        }
}

TEST_F(Generators, RecentMoveIsNotOfferedAgainButOtherPiecesOnTheSameCellsAre) {
    TestPosition pos;
    set_up_start(pos);
    use_plain_settings(SENTE, 1, 64);
    Candidates before = root_of(pos, SENTE);
    ASSERT_GT(before.count, 2);
    int from = before.from[1];
    int to = before.to[1];
    recent_moves_push(from, to, pos.board[from] + 1);  // another piece: still offered
    EXPECT_TRUE(contains(root_of(pos, SENTE), from, to));
    recent_moves_push(from, to, pos.board[from]);
    Candidates after = root_of(pos, SENTE);
    EXPECT_FALSE(contains(after, from, to));
    EXPECT_EQ(after.count, before.count - 1);
    for (int i = 0; i < RECENT_MOVE_COUNT; ++i) recent_moves_push(0, 0, 0);  // pushed out again
    EXPECT_TRUE(contains(root_of(pos, SENTE), from, to));
}

TEST_F(Generators, RootCandidatesComeBestScoreFirstAndAreWellFormed) {
    TestPosition pos;
    play_random_game(pos, 7, 30);
    for (int side = SENTE; side <= GOTE; ++side) {
        use_plain_settings(side, 1, 40);
        Candidates c = root_of(pos, side);
        ASSERT_GT(c.count, 0);
        int previous = EVAL_WIN;
        for (int i = 0; i < c.count; ++i) {
            ASSERT_TRUE(is_well_formed(c.from[i], c.to[i]));
            ASSERT_TRUE(can_move(c.from[i], c.to[i], pos.board, pos.pieces));
            ASSERT_EQ(pos.pieces[pos.board[c.from[i]]].owner, side);
            TestPosition scratch = pos;
            prepare_search(scratch, side);
            std::srand(3);
            int score = score_move(search_board, search_pieces, c.from[i], c.to[i]);
            if (pos.pieces[pos.board[c.from[i]]].kind != PAWN) {  // pawns carry a random term
                EXPECT_LE(score, previous);
                previous = score;
            }
        }
    }
}

TEST_F(Generators, NodeOffersOnlyKingCapturesWhenOneExists) {
    TestPosition pos;
    clear_position(pos);
    place(pos, KING, SENTE, square_cell(5, 9));
    int king = place(pos, KING, GOTE, square_cell(5, 1));
    place(pos, GOLD, SENTE, square_cell(4, 2));
    place(pos, ROOK, SENTE, square_cell(5, 7));
    place(pos, SILVER, SENTE, square_cell(1, 5));
    prepare_search(pos, SENTE);
    Candidates c = node_of(pos, SENTE, 10);
    ASSERT_EQ(c.count, 2);
    for (int i = 0; i < c.count; ++i) EXPECT_EQ(c.to[i], pos.pieces[king].square);
    EXPECT_TRUE(contains(c, square_cell(4, 2), square_cell(5, 1)));
    EXPECT_TRUE(contains(c, square_cell(5, 7), square_cell(5, 1)));
}

TEST_F(Generators, NodeDropsTwoPerKindIgnoringTheDropRules) {
    TestPosition pos;
    clear_position(pos);
    place(pos, KING, SENTE, square_cell(5, 9));
    place(pos, KING, GOTE, square_cell(5, 1));
    place(pos, PAWN, SENTE, square_cell(1, 7));
    place_in_hand(pos, PAWN, SENTE);
    place_in_hand(pos, PAWN, SENTE);
    place_in_hand(pos, PROMOTED_ROOK, SENTE);
    prepare_search(pos, SENTE);
    Candidates c = node_of(pos, SENTE, 64);
    int drops = 0;
    for (int i = 0; i < c.count; ++i) drops += c.from[i] >= SENTE_HAND_BASE;
    EXPECT_EQ(drops, 4);  // two pawn drops, two promoted rook drops
    EXPECT_EQ(count_from(c, SENTE_HAND_BASE + 1), 0);
    // Gote has nothing in hand, but sente's hand alone lets gote's search try... nothing.
    Candidates gote = node_of(pos, GOTE, 64);
    for (int i = 0; i < gote.count; ++i) EXPECT_LT(gote.from[i], SQUARES);

    // Without the drop rules: with every score equal the first empty squares
    // win, rank 1 and a file that already holds a sente pawn.
    clear_position(pos);
    place(pos, KING, SENTE, square_cell(5, 9));
    place(pos, KING, GOTE, square_cell(5, 3));
    place(pos, PAWN, SENTE, square_cell(9, 5));
    place_in_hand(pos, PAWN, SENTE);
    use_indifferent_settings(SENTE, 1, 16);
    prepare_search(pos, SENTE);
    c = node_of(pos, SENTE, 64);
    EXPECT_TRUE(contains(c, SENTE_HAND_BASE, square_cell(9, 1)));
    EXPECT_TRUE(contains(c, SENTE_HAND_BASE, square_cell(8, 1)));
    EXPECT_FALSE(can_move(SENTE_HAND_BASE, square_cell(9, 1), pos.board, pos.pieces));
}

TEST_F(Generators, NodeListStopsAtSixtyFourAndAtTheNodeWidth) {
    TestPosition pos;
    clear_position(pos);
    place(pos, KING, SENTE, square_cell(9, 9));
    place(pos, KING, GOTE, square_cell(1, 1));
    for (int cell : {square_cell(1, 2), square_cell(2, 1), square_cell(2, 2)}) place(pos, GOLD, GOTE, cell);
    place(pos, PROMOTED_ROOK, SENTE, square_cell(5, 5));
    place(pos, PROMOTED_ROOK, SENTE, square_cell(3, 7));
    place(pos, PROMOTED_BISHOP, SENTE, square_cell(7, 3));
    place(pos, PROMOTED_BISHOP, SENTE, square_cell(4, 4));
    prepare_search(pos, SENTE);
    EXPECT_EQ(node_of(pos, SENTE, 100).count, CANDIDATE_CAP);
    EXPECT_EQ(node_of(pos, SENTE, 5).count, 5);
    EXPECT_EQ(node_of(pos, SENTE, 0).count, 0);
    TestPosition before = pos;
    node_of(pos, SENTE, 64);
    EXPECT_TRUE(same_position(before, pos));  // scoring restores the board
}

}  // namespace
