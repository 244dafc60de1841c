#include <gtest/gtest.h>

#include <cstring>

#include "position.h"
#include "position_builder.h"
#include "random_play.h"

namespace {

// --- game set-up ---------------------------------------------------------

TEST(SetUp, PlacesEveryPieceOnItsStartingCellAndLeavesTheRestEmpty) {
    TestPosition pos;
    std::memset(&pos, 0x5a, sizeof pos);  // leftovers of an earlier game must go
    set_up_start(pos);
    EXPECT_EQ(pos.board[4], GOTE_KING_PIECE);
    EXPECT_EQ(pos.board[76], SENTE_KING_PIECE);
    EXPECT_EQ(pos.board[40], NO_PIECE);
    EXPECT_EQ(pos.board[SENTE_HAND_BASE], NO_PIECE);
    EXPECT_EQ(pos.board[GOTE_HAND_BASE], NO_PIECE);
    EXPECT_EQ(std::memcmp(pos.pieces, INITIAL_PIECES, sizeof pos.pieces), 0);
    for (int cell = SQUARES; cell < BOARD_CELLS; ++cell) EXPECT_EQ(pos.board[cell], NO_PIECE) << cell;
    EXPECT_TRUE(position_is_consistent(pos));
}

TEST(SetUp, SenteFormationIsTheHalfTurnImageOfGotes) {
    for (int n = 0; n < 20; ++n) {
        const PieceRecord &gote = INITIAL_PIECES[n];
        const PieceRecord &sente = INITIAL_PIECES[n + 20];
        EXPECT_EQ(gote.owner, GOTE) << n;
        EXPECT_EQ(sente.owner, SENTE) << n;
        EXPECT_EQ(sente.kind, gote.kind) << n;
        EXPECT_EQ(sente.square, 80 - gote.square) << n;
    }
    EXPECT_EQ(INITIAL_PIECES[1].kind, ROOK);
    EXPECT_EQ(INITIAL_PIECES[21].square, square_cell(2, 8));
    EXPECT_EQ(INITIAL_PIECES[2].square, square_cell(2, 2));
    const PieceRecord &sentinel = INITIAL_PIECES[NO_PIECE];
    EXPECT_EQ(sentinel.kind, KING);
    EXPECT_EQ(sentinel.square, 81);
    EXPECT_EQ(sentinel.owner, NOBODY);
}

TEST(SetUp, LiveTurnStateStartsAtTheFirstMoveOfSente) {
    EXPECT_EQ(side_to_move, SENTE);
    EXPECT_EQ(move_number, 1);
    EXPECT_EQ(last_move.to, NO_SQUARE);
}

// --- promotion: may_promote, make_move and execute_game_move -----------------

struct PromotionCase {
    int kind, side, from, to, promotes;
};

// The one promotion rule, asked directly and through both executions of a move.
TEST(Promotion, ExactlyWhenTheMoveStartsOrEndsInTheFarThreeRanks) {
    const PromotionCase cases[] = {
        {SILVER, SENTE, 28, 19, 1},  // into the zone
        {SILVER, SENTE, 27, 36, 0},  // cell 27 lies outside
        {SILVER, SENTE, 20, 29, 1},  // leaving the zone still promotes
        {PAWN, GOTE, 44, 53, 0},     // cell 53 lies outside
        {PAWN, GOTE, 45, 54, 1},
        {ROOK, GOTE, 60, 33, 1},     // gote leaving its zone
        {BISHOP, SENTE, 30, 40, 0},
        {LANCE, SENTE, 27, 0, 1},
        {KNIGHT, GOTE, 39, 58, 1},
        {GOLD, SENTE, 9, 0, 0},      // gold and king never promote
        {KING, GOTE, 71, 80, 0},
        {PROMOTED_PAWN, SENTE, 9, 0, 0},  // already promoted
        {PAWN, GOTE, 20, 29, 0},          // rank 3 is sente's zone only
    };
    for (const PromotionCase &c : cases) {
        TestPosition pos;
        clear_position(pos);
        int piece = place(pos, c.kind, c.side, c.from);
        ASSERT_GE(piece, 0);
        EXPECT_EQ(may_promote(c.from, c.to, c.side, pos.board, pos.pieces), c.promotes) << c.from << "->" << c.to;
        TestPosition declined = pos;
        EXPECT_EQ(execute_game_move(c.from, c.to, c.side, 0, declined.board, declined.pieces), 0);
        EXPECT_EQ(declined.pieces[piece].kind, c.kind);
        TestPosition asked = pos;
        EXPECT_EQ(execute_game_move(c.from, c.to, c.side, 1, asked.board, asked.pieces), c.promotes);
        EXPECT_EQ(make_move(c.from, c.to, c.side, pos.board, pos.pieces), c.promotes)
            << "kind " << c.kind << " " << c.from << "->" << c.to;
        EXPECT_EQ(pos.pieces[piece].kind, c.kind + (c.promotes ? PROMOTION_OFFSET : 0));
        EXPECT_EQ(pos.board[c.to], piece);
        EXPECT_EQ(pos.board[c.from], NO_PIECE);
        EXPECT_EQ(pos.pieces[piece].square, c.to);
    }
}

TEST(MakeMove, ADropNeverPromotesAndLeavesAGapInTheHand) {
    TestPosition pos;
    clear_position(pos);
    place_in_hand(pos, GOLD, SENTE);
    int pawn = place_in_hand(pos, PAWN, SENTE);
    int silver = place_in_hand(pos, SILVER, GOTE);
    EXPECT_FALSE(may_promote(101, 4, SENTE, pos.board, pos.pieces));
    EXPECT_EQ(make_move(101, 4, SENTE, pos.board, pos.pieces), 0);
    EXPECT_EQ(pos.pieces[pawn].kind, PAWN);
    EXPECT_EQ(pos.board[101], NO_PIECE);
    EXPECT_NE(pos.board[100], NO_PIECE);
    EXPECT_EQ(make_move(200, 76, GOTE, pos.board, pos.pieces), 0);
    EXPECT_EQ(pos.pieces[silver].kind, SILVER);
    EXPECT_FALSE(has_pieces_in_hand(pos.board, GOTE));
    EXPECT_TRUE(position_is_consistent(pos));
}

// --- captures ------------------------------------------------------------------

TEST(MakeMove, CapturedPromotedPieceFillsTheFirstFreeSlotAndUnmakeRestoresIt) {
    TestPosition pos;
    clear_position(pos);
    int rook = place(pos, ROOK, SENTE, 40);
    int tokin = place(pos, PROMOTED_PAWN, GOTE, 4);
    place_in_hand(pos, PAWN, SENTE);
    int lance = place_in_hand(pos, LANCE, SENTE);
    place_in_hand(pos, PAWN, SENTE);
    make_move(101, 13, SENTE, pos.board, pos.pieces);  // slot 1 becomes a gap
    ASSERT_EQ(pos.board[101], NO_PIECE);
    const TestPosition before = pos;

    int captured = pos.board[4];
    int promoted = make_move(40, 4, SENTE, pos.board, pos.pieces);
    EXPECT_EQ(promoted, 1);
    EXPECT_EQ(pos.board[101], tokin);
    EXPECT_EQ(pos.pieces[tokin].square, 101);
    EXPECT_EQ(pos.pieces[tokin].owner, SENTE);
    EXPECT_EQ(pos.pieces[tokin].kind, PROMOTED_PAWN);  // demotion is the front end's job
    EXPECT_EQ(pos.pieces[rook].kind, PROMOTED_ROOK);
    EXPECT_TRUE(position_is_consistent(pos));

    unmake_move(40, 4, SENTE, captured, promoted, pos.board, pos.pieces);
    EXPECT_TRUE(same_position(pos, before));
    EXPECT_EQ(pos.pieces[lance].square, 13);
}

// A game move keeps the hand sorted and whole: the captured piece goes back to
// its base kind behind the held pieces of that kind, and a drop closes its gap.
TEST(ExecuteGameMove, CapturesGoDemotedIntoTheSortedHandAndDropsLeaveNoGap) {
    TestPosition pos;
    clear_position(pos);
    int rook = place(pos, ROOK, SENTE, 40);
    int dragon = place(pos, PROMOTED_ROOK, GOTE, 4);
    int gold = place_in_hand(pos, GOLD, SENTE);
    int pawn = place_in_hand(pos, PAWN, SENTE);
    int held_rook = place_in_hand(pos, ROOK, SENTE);
    sort_hand(pos.board, pos.pieces, SENTE);

    EXPECT_FALSE(takes_king(4, pos.board, pos.pieces));
    EXPECT_EQ(execute_game_move(40, 4, SENTE, 0, pos.board, pos.pieces), 0);  // declined
    EXPECT_EQ(pos.pieces[rook].kind, ROOK);
    const int hand[] = {pawn, held_rook, dragon, gold, NO_PIECE};  // highest kind number first
    for (int slot = 0; slot < 5; ++slot) EXPECT_EQ(pos.board[SENTE_HAND_BASE + slot], hand[slot]) << slot;
    EXPECT_EQ(pos.pieces[dragon].kind, ROOK);
    EXPECT_EQ(pos.pieces[dragon].owner, SENTE);
    EXPECT_TRUE(position_is_consistent(pos));

    EXPECT_EQ(execute_game_move(SENTE_HAND_BASE + 1, 13, SENTE, 1, pos.board, pos.pieces), 0);  // never promotes
    EXPECT_EQ(pos.board[13], held_rook);
    const int after_drop[] = {pawn, dragon, gold, NO_PIECE};
    for (int slot = 0; slot < 4; ++slot) EXPECT_EQ(pos.board[SENTE_HAND_BASE + slot], after_drop[slot]) << slot;
    EXPECT_TRUE(position_is_consistent(pos));

    place(pos, KING, GOTE, 22);
    EXPECT_TRUE(takes_king(22, pos.board, pos.pieces));
    EXPECT_FALSE(takes_king(31, pos.board, pos.pieces));  // empty
}

// Seeded random sequences, made and unmade in a search-like pattern (a move is
// taken back at random, then play goes on), restore both tables bit for bit.
TEST(MakeUnmake, RandomSequencesRestoreBothTablesExactly) {
    struct Made {
        Move move;
        int side, captured, promoted;
        TestPosition before;
    };
    int drops = 0, promoted_captures = 0, promotions = 0, promoted_drops = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(seed);
        TestPosition pos;
        set_up_start(pos);
        std::vector<Made> stack;
        for (int step = 0; step < 160; ++step) {
            if (!stack.empty() && rng() % 4 == 0) {
                const Made &m = stack.back();
                unmake_move(m.move.from, m.move.to, m.side, m.captured, m.promoted, pos.board, pos.pieces);
                ASSERT_TRUE(same_position(pos, m.before)) << "seed " << seed << " step " << step;
                stack.pop_back();
                continue;
            }
            Made m;
            m.side = static_cast<int>((stack.size() + seed) % 2);
            if (!pick_random_move(pos, m.side, rng, m.move)) break;
            m.before = pos;
            m.captured = pos.board[m.move.to];
            int moving_kind = pos.pieces[pos.board[m.move.from]].kind;
            drops += m.move.from >= SENTE_HAND_BASE;
            promoted_drops += m.move.from >= SENTE_HAND_BASE && moving_kind >= PROMOTED_ROOK;
            promoted_captures += m.captured != NO_PIECE && pos.pieces[m.captured].kind >= PROMOTED_ROOK;
            m.promoted = make_move(m.move.from, m.move.to, m.side, pos.board, pos.pieces);
            promotions += m.promoted;
            ASSERT_TRUE(position_is_consistent(pos)) << "seed " << seed << " step " << step;
            stack.push_back(m);
        }
        while (!stack.empty()) {
            const Made &m = stack.back();
            unmake_move(m.move.from, m.move.to, m.side, m.captured, m.promoted, pos.board, pos.pieces);
            ASSERT_TRUE(same_position(pos, m.before)) << "seed " << seed;
            stack.pop_back();
        }
        TestPosition start;
        set_up_start(start);
        EXPECT_TRUE(same_position(pos, start)) << "seed " << seed;
    }
    // The sequences must really have exercised the delicate cases.
    EXPECT_GT(drops, 100);
    EXPECT_GT(promoted_captures, 20);
    EXPECT_GT(promotions, 100);
    EXPECT_GT(promoted_drops, 5);
}

// --- hands -------------------------------------------------------------------

TEST(SortHand, OrdersByKindHighestFirstAndRenumbersTheSquares) {
    TestPosition pos;
    clear_position(pos);
    int gold = place_in_hand(pos, GOLD, SENTE);
    int pawn = place_in_hand(pos, PAWN, SENTE);
    int rook = place_in_hand(pos, ROOK, SENTE);
    sort_hand(pos.board, pos.pieces, SENTE);
    EXPECT_EQ(pos.board[100], pawn);
    EXPECT_EQ(pos.board[101], rook);
    EXPECT_EQ(pos.board[102], gold);
    EXPECT_EQ(pos.pieces[pawn].square, 100);
    EXPECT_EQ(pos.pieces[rook].square, 101);
    EXPECT_EQ(pos.pieces[gold].square, 102);
    EXPECT_TRUE(position_is_consistent(pos));
}

TEST(SortHand, ClosesGapsKeepsEqualKindsInOrderAndLeavesTheOtherHandAlone) {
    TestPosition pos;
    clear_position(pos);
    int gote_gold = place(pos, GOLD, GOTE, GOTE_HAND_BASE + 5);
    int gote_silver = place(pos, SILVER, GOTE, GOTE_HAND_BASE + 2);
    int first_pawn = place(pos, PAWN, GOTE, GOTE_HAND_BASE + 3);
    int second_pawn = place(pos, PAWN, GOTE, GOTE_HAND_BASE + 39);
    int lance = place(pos, LANCE, GOTE, GOTE_HAND_BASE + 4);
    int sente_gold = place(pos, GOLD, SENTE, SENTE_HAND_BASE + 7);
    sort_hand(pos.board, pos.pieces, GOTE);
    const int expected[] = {first_pawn, second_pawn, lance, gote_silver, gote_gold};
    for (int slot = 0; slot < 5; ++slot) {
        EXPECT_EQ(pos.board[GOTE_HAND_BASE + slot], expected[slot]) << slot;
        EXPECT_EQ(pos.pieces[expected[slot]].square, GOTE_HAND_BASE + slot);
    }
    for (int slot = 5; slot < HAND_SLOTS; ++slot) EXPECT_EQ(pos.board[GOTE_HAND_BASE + slot], NO_PIECE);
    EXPECT_EQ(pos.board[SENTE_HAND_BASE + 7], sente_gold);
    EXPECT_EQ(pos.pieces[sente_gold].square, SENTE_HAND_BASE + 7);
    EXPECT_TRUE(position_is_consistent(pos));
}

TEST(HasPiecesInHand, LooksAtTheFirstSlotOnly) {
    TestPosition pos;
    clear_position(pos);
    EXPECT_FALSE(has_pieces_in_hand(pos.board, SENTE));
    place(pos, PAWN, SENTE, SENTE_HAND_BASE + 1);  // a gap left by a drop in the search
    EXPECT_FALSE(has_pieces_in_hand(pos.board, SENTE));
    sort_hand(pos.board, pos.pieces, SENTE);
    EXPECT_TRUE(has_pieces_in_hand(pos.board, SENTE));
    EXPECT_FALSE(has_pieces_in_hand(pos.board, GOTE));
}

// --- candidates and distances ------------------------------------------------

TEST(IsWellFormed, AcceptsRealCellsOnlyAndRefusesBlankedCandidates) {
    EXPECT_FALSE(is_well_formed(0, 0));
    EXPECT_TRUE(is_well_formed(100, 40));
    EXPECT_TRUE(is_well_formed(80, 0));
    EXPECT_TRUE(is_well_formed(255, 80));
    EXPECT_FALSE(is_well_formed(257, 40));
    EXPECT_FALSE(is_well_formed(256, 40));  // no cell 256: Board ends at 255
    EXPECT_FALSE(is_well_formed(40, 81));
    EXPECT_FALSE(is_well_formed(-1, 40));
    EXPECT_FALSE(is_well_formed(40, -1));
    EXPECT_FALSE(is_well_formed(33, 33));
}

TEST(Distances, MeasureColumnsAndRowsOfRawCellNumbers) {
    EXPECT_EQ(column_distance(0, 80), 8);
    EXPECT_EQ(row_distance(0, 80), 8);
    EXPECT_EQ(column_distance(8, 9), 8);  // adjacent cells, opposite edges
    EXPECT_EQ(row_distance(8, 9), 1);
    EXPECT_EQ(column_distance(40, 40), 0);
    EXPECT_EQ(column_distance(76, 4), column_distance(4, 76));
    // Hand cells give numbers without board meaning, used as they come.
    EXPECT_EQ(column_distance(100, 4), 3);
    EXPECT_EQ(row_distance(100, 4), 11);
    EXPECT_EQ(row_distance(4, 239), 26);
}

}  // namespace
