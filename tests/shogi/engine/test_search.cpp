#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "engine_setup.h"
#include "evaluation.h"
#include "rules.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator fails a request it cannot serve the way the system
// allocator does, instead of reporting it, so the out-of-memory path runs here too.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=1024"; }
#endif

namespace {

int leaf_calls;
int leaf_side;
void count_leaf(int side) {
    ++leaf_calls;
    leaf_side = side;
}

class Search : public ::testing::Test {
protected:
    void SetUp() override {
        reset_engine();
        use_plain_settings(SENTE, 2, 8);
        use_plain_settings(GOTE, 2, 8);
        leaf_calls = 0;
        leaf_side = -1;
        engine_set_leaf_hook(count_leaf);
        std::srand(5);
    }
    void TearDown() override { engine_set_leaf_hook(nullptr); }
};

// Thinks once with `pos` live and returns the phase afterwards, -1 when the
// engine gave no move.
int phase_after_think(const TestPosition& pos, int side, int number) {
    load_turn(pos, side, number);
    return engine_think() == 1 ? game_phase : -1;
}

// Sente king alone in the corner with its three moves, nothing attacking.
TestPosition lonely_sente_king(void) {
    TestPosition pos;
    clear_position(pos);
    place(pos, KING, SENTE, square_cell(1, 9));
    place(pos, KING, GOTE, square_cell(9, 1));
    return pos;
}

TEST_F(Search, ExposedKingIsTakenAtOnceInEveryPhaseWithoutSearching) {
    TestPosition pos;
    clear_position(pos);
    place(pos, KING, SENTE, square_cell(5, 9));
    place(pos, KING, GOTE, square_cell(5, 3));
    place(pos, GOLD, SENTE, square_cell(6, 4));
    place(pos, ROOK, SENTE, square_cell(5, 7));  // piece 21: walked before the gold (23)
    for (int phase : {JOBAN, CHUBAN, SHUBAN}) {
        game_phase = phase;
        load_turn(pos, SENTE, 40);
        ASSERT_EQ(engine_think(), 1);
        EXPECT_EQ(game_phase, phase);
        EXPECT_EQ(last_move.from, square_cell(5, 7));
        EXPECT_EQ(last_move.to, square_cell(5, 3));
        EXPECT_EQ(last_move.promote, 0);
        EXPECT_EQ(leaf_calls, 0);
    }
    EXPECT_EQ(RecentMoves[0].piece, 21);
}

TEST_F(Search, ThinkReadsTheLivePositionOnlyAndRemembersItsMove) {
    TestPosition pos;
    set_up_start(pos);
    load_turn(pos, SENTE, 1);
    ASSERT_EQ(engine_think(), 1);
    EXPECT_TRUE(std::memcmp(Board, pos.board, sizeof Board) == 0);
    EXPECT_TRUE(std::memcmp(PieceTable, pos.pieces, sizeof PieceTable) == 0);
    // Every move made in the search was taken back on the private copy too.
    EXPECT_TRUE(std::memcmp(search_board, pos.board, sizeof search_board) == 0);
    EXPECT_TRUE(std::memcmp(search_pieces, pos.pieces, sizeof search_pieces) == 0);
    EXPECT_EQ(side_to_move, SENTE);
    EXPECT_EQ(move_number, 1);
    EXPECT_TRUE(can_move(last_move.from, last_move.to, Board, PieceTable));
    EXPECT_EQ(RecentMoves[0].from, last_move.from);
    EXPECT_EQ(RecentMoves[0].to, last_move.to);
    EXPECT_EQ(RecentMoves[0].piece, Board[last_move.from]);
    EXPECT_GT(leaf_calls, 0);
    EXPECT_EQ(leaf_side, SENTE);
    EXPECT_EQ(game_phase, JOBAN);
}

TEST_F(Search, DepthOneJudgesEachRootCandidateOnceAtItsLeaf) {
    TestPosition pos;
    set_up_start(pos);
    use_plain_settings(GOTE, 1, 8);
    load_turn(pos, GOTE, 2);
    ASSERT_EQ(engine_think(), 1);
    EXPECT_EQ(leaf_calls, 8);
    EXPECT_EQ(leaf_side, GOTE);
}

TEST_F(Search, MoveThirtyOneEndsTheOpening) {
    TestPosition pos;
    set_up_start(pos);
    EXPECT_EQ(phase_after_think(pos, SENTE, 30), JOBAN);
    EXPECT_EQ(phase_after_think(pos, SENTE, 31), CHUBAN);
}

TEST_F(Search, PiecesInHandOrPromotedEndTheOpening) {
    for (int kind : {PAWN, PROMOTED_PAWN}) {
        reset_engine();
        TestPosition pos = lonely_sente_king();
        place(pos, GOLD, SENTE, square_cell(4, 8));
        place(pos, GOLD, SENTE, square_cell(6, 8));
        if (kind == PAWN) {
            place_in_hand(pos, PAWN, GOTE);  // the opponent's hand counts too
        } else {
            place(pos, kind, GOTE, square_cell(5, 5));
        }
        EXPECT_EQ(phase_after_think(pos, SENTE, 5), CHUBAN) << kind;
    }
}

TEST_F(Search, FewOpeningCandidatesHandOverToTheMiddleGame) {
    TestPosition pos;
    set_up_start(pos);
    use_plain_settings(SENTE, 2, 3);
    EXPECT_EQ(phase_after_think(pos, SENTE, 1), CHUBAN);
    EXPECT_EQ(phase_after_think(pos, SENTE, 1), CHUBAN);  // the middle game does not go back
    reset_engine();
    use_plain_settings(SENTE, 2, 4);
    EXPECT_EQ(phase_after_think(pos, SENTE, 1), JOBAN);
}

TEST_F(Search, MoveEightyOneStartsTheEndGame) {
    TestPosition pos;
    set_up_start(pos);
    game_phase = CHUBAN;
    EXPECT_EQ(phase_after_think(pos, SENTE, 80), CHUBAN);
    EXPECT_EQ(phase_after_think(pos, SENTE, 81), SHUBAN);
}

TEST_F(Search, EqualValuesKeepTheEarlierCandidate) {
    TestPosition pos;
    set_up_start(pos);
    use_indifferent_settings(SENTE, 2, 16);
    prepare_search(pos, SENTE);
    int from[CANDIDATE_CAP];
    int to[CANDIDATE_CAP];
    int n = generate_root_candidates(from, to, search_board, search_pieces);
    ASSERT_GE(n, 2);
    EXPECT_EQ(root_search(from + 1, to + 1, n - 1), 0);
    EXPECT_EQ(chosen_move.from, from[1]);
    EXPECT_EQ(chosen_move.to, to[1]);
    load_turn(pos, SENTE, 1);
    ASSERT_EQ(engine_think(), 1);
    EXPECT_EQ(last_move.from, from[0]);
    EXPECT_EQ(last_move.to, to[0]);
    EXPECT_EQ(from[0], square_cell(2, 8));  // the rook's first square: moves of 1, 2, 21, 22 come first
}

TEST_F(Search, BetterValueWinsOverOrder) {
    // Only the capture of the unprotected gote gold keeps material up.
    TestPosition pos = lonely_sente_king();
    place(pos, GOLD, SENTE, square_cell(5, 5));
    int gold = place(pos, GOLD, GOTE, square_cell(5, 4));
    place(pos, PAWN, SENTE, square_cell(8, 7));
    game_phase = CHUBAN;
    use_plain_settings(SENTE, 1, 16);
    load_turn(pos, SENTE, 40);
    ASSERT_EQ(engine_think(), 1);
    EXPECT_EQ(last_move.from, square_cell(5, 5));
    EXPECT_EQ(last_move.to, pos.pieces[gold].square);
}

TEST_F(Search, LostLinesAreSearchedAgainAtHalfDepthAndDoubleWidth) {
    TestPosition pos = doomed_sente_king();
    use_plain_settings(SENTE, 3, 5);  // half of 3 is 1: the king survives one ply
    load_turn(pos, SENTE, 1);
    ASSERT_EQ(engine_think(), 1);
    EXPECT_EQ(game_phase, CHUBAN);  // three candidates hand the opening over
    EXPECT_EQ(depth_limit[SENTE], 3);  // restored after the retry
    EXPECT_EQ(width[SENTE], 10);       // the doubled width stays until the next think
    EXPECT_EQ(last_move.from, square_cell(1, 9));

    use_plain_settings(SENTE, 3, 40);
    ASSERT_EQ(engine_think(), 1);
    EXPECT_EQ(width[SENTE], 64);  // doubled, at most 64
}

TEST_F(Search, GivesUpWhenLinesLoseEvenAtHalfDepth) {
    TestPosition pos = doomed_sente_king();
    use_plain_settings(SENTE, 4, 5);  // half of 4 is 2, still lost
    load_turn(pos, SENTE, 1);
    ASSERT_EQ(engine_think(), 0);
    EXPECT_EQ(game_phase, GIVE_UP);
    EXPECT_EQ(last_move.to, NO_SQUARE);
    EXPECT_EQ(RecentMoves[0].piece, 0);
    TestPosition start;
    set_up_start(start);
    load_turn(start, SENTE, 2);
    EXPECT_EQ(engine_think(), 0);  // until the next game reset
}

TEST_F(Search, GivesUpWhenEveryMoveIsRecent) {
    TestPosition pos = lonely_sente_king();
    int king_cell = square_cell(1, 9);
    for (int to : {square_cell(1, 8), square_cell(2, 8), square_cell(2, 9)})
        recent_moves_push(king_cell, to, SENTE_KING_PIECE);
    game_phase = SHUBAN;
    load_turn(pos, SENTE, 100);
    EXPECT_EQ(engine_think(), 0);
    EXPECT_EQ(game_phase, GIVE_UP);

    game_phase = JOBAN;  // from the opening every phase is passed through
    EXPECT_EQ(engine_think(), 0);
    EXPECT_EQ(game_phase, GIVE_UP);
    EXPECT_EQ(leaf_calls, 0);
}

TEST_F(Search, NoWidthGivesUpOnTheFirstThink) {
    TestPosition pos;
    set_up_start(pos);
    for (int w : {0, -5}) {
        reset_engine();
        use_plain_settings(SENTE, 3, w);
        load_turn(pos, SENTE, 1);
        EXPECT_EQ(engine_think(), 0) << w;
        EXPECT_EQ(game_phase, GIVE_UP);
        EXPECT_EQ(width[SENTE], 0);
    }
}

TEST_F(Search, NodeOfWidthZeroReturnsItsBound) {
    TestPosition pos;
    set_up_start(pos);
    use_plain_settings(SENTE, 5, 1);
    prepare_search(pos, SENTE);
    EXPECT_EQ(search_min(1234, -99, 2), 1234);
    EXPECT_EQ(search_max(1234, -99, 2), -99);
    EXPECT_EQ(leaf_calls, 0);
    EXPECT_TRUE(std::memcmp(search_board, pos.board, sizeof search_board) == 0);
}

TEST_F(Search, MinimumNodeStopsAtTheCutOff) {
    // With alpha already at a win, the first reply cuts the node off.
    TestPosition pos;
    set_up_start(pos);
    use_plain_settings(SENTE, 2, 8);
    prepare_search(pos, SENTE);
    search_min(EVAL_WIN, EVAL_WIN, 1);
    EXPECT_EQ(leaf_calls, 1);
    leaf_calls = 0;
    search_min(EVAL_WIN, EVAL_LOSS, 1);
    EXPECT_EQ(leaf_calls, 8);
}

TEST_F(Search, HugeDepthWithSmallWidthEnds) {
    // Nodes past ply 3 have width 3 / ply = 0 and return their bound at once.
    TestPosition pos;
    set_up_start(pos);
    use_plain_settings(SENTE, 1000000000, 3);
    load_turn(pos, SENTE, 1);
    EXPECT_EQ(engine_think(), 1);
    EXPECT_TRUE(can_move(last_move.from, last_move.to, Board, PieceTable));
    EXPECT_EQ(leaf_calls, 0);
}

TEST_F(Search, RecursionStopsAtTheDepthCap) {
    TestPosition pos;
    set_up_start(pos);
    use_plain_settings(SENTE, 1000000000, 1 << 20);
    prepare_search(pos, SENTE);
    search_max(EVAL_WIN, EVAL_LOSS, MAX_SEARCH_DEPTH);
    EXPECT_EQ(leaf_calls, 1);
}

// The message goes to standard output; the child sends that to the standard
// error the death test reads. The sanitizer refuses the request by its size
// limit, and itself needs address space past any small limit.
void think_with_little_memory(void) {
#if !defined(__SANITIZE_ADDRESS__)
    rlimit limit{512u << 20, 512u << 20};
    setrlimit(RLIMIT_AS, &limit);
#endif
    dup2(STDERR_FILENO, STDOUT_FILENO);
    engine_think();
}

TEST_F(Search, NodeArraysThatCannotBeAllocatedEndTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TestPosition pos;
    set_up_start(pos);
    use_plain_settings(SENTE, 2, 1 << 30);  // 4 GiB per node array
    load_turn(pos, SENTE, 1);
    EXPECT_EXIT(think_with_little_memory(), ::testing::ExitedWithCode(255), "out of memory");
}

}  // namespace
