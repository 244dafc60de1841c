// Move scoring, position evaluation and the candidate ordering: each term
// isolated on small hand-built positions with chosen coefficients, plus the
// properties the search relies on (board restored, mirror symmetry, the
// sequence of random draws).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "evaluation.h"
#include "position_builder.h"
#include "random_play.h"
#include "rules.h"
#include "settings.h"

namespace {

// Cell from row (0 = rank 1) and column (0 = file 9).
constexpr int at(int row, int column) { return row * 9 + column; }

class Judgement : public ::testing::Test {
protected:
    void SetUp() override {
        engine_settings[0] = EngineSettings{};
        engine_settings[1] = EngineSettings{};
        game_phase = JOBAN;
        set_engine_side(SENTE);
        clear_position(pos);
    }
    EngineSettings& es(int side = SENTE) { return engine_settings[side]; }
    void tef(int a, int b, int c) { set_triple(es().tef, a, b, c); }
    void sef(int a, int b, int c) { set_triple(es().sef, a, b, c); }
    static void set_triple(int table[SCORED_PHASES][3], int a, int b, int c) {
        for (int phase = JOBAN; phase <= SHUBAN; ++phase) {
            table[phase][COEF_A] = a;
            table[phase][COEF_B] = b;
            table[phase][COEF_C] = c;
        }
    }
    int score(int from, int to) { return score_move(pos.board, pos.pieces, from, to); }
    int eval() { return evaluate(pos.board, pos.pieces); }
    // Kings out of the way of every test line.
    void far_kings() {
        place(pos, KING, GOTE, at(0, 0));
        place(pos, KING, SENTE, at(8, 8));
    }

    TestPosition pos;
};

// ---- score_move: tactical term ----

TEST_F(Judgement, PawnTakingRookEarnsKingMinusMoverPlusCaptured) {
    es().value[KING] = 1000;
    es().value[PAWN] = 10;
    es().value[ROOK] = 100;
    tef(0, 1, 5);
    place(pos, KING, GOTE, at(0, 0));
    place(pos, KING, SENTE, at(8, 8));
    place(pos, PAWN, SENTE, at(4, 4));
    place(pos, ROOK, GOTE, at(3, 4));
    EXPECT_EQ(score(at(4, 4), at(3, 4)), 1090);
    tef(0, 2, 5);
    EXPECT_EQ(score(at(4, 4), at(3, 4)), 2180);
}

TEST_F(Judgement, SupportCountsOnlyAfterTheOpeningAndNotTheMover) {
    es().value[GOLD] = 54;
    tef(0, 1, 0);
    far_kings();
    place(pos, GOLD, SENTE, at(6, 4));    // the mover, to (5, 4)
    place(pos, SILVER, SENTE, at(6, 3));  // covers (5, 4) diagonally
    place(pos, GOLD, SENTE, at(5, 5));    // covers (5, 4) sideways
    EXPECT_EQ(score(at(6, 4), at(5, 4)), 0);
    game_phase = CHUBAN;
    EXPECT_EQ(score(at(6, 4), at(5, 4)), (54 / 5) * 2);
    game_phase = SHUBAN;
    EXPECT_EQ(score(at(6, 4), at(5, 4)), 20);
}

TEST_F(Judgement, AttackOnAPieceIsSharedByItsDefenders) {
    es().value[KNIGHT] = 41;
    tef(0, 1, 0);
    far_kings();
    place(pos, SILVER, SENTE, at(6, 4));  // to (5, 4): attacks the knight
    place(pos, KNIGHT, GOTE, at(4, 4));   // cannot hit back
    EXPECT_EQ(score(at(6, 4), at(5, 4)), 41);
    place(pos, GOLD, GOTE, at(3, 4));     // defends the knight
    EXPECT_EQ(score(at(6, 4), at(5, 4)), 41 / 2);
}

// The piece table is not touched while a move is scored: a taken piece's
// record still names the target, so the mover there defends for its owner.
TEST_F(Judgement, TakenPieceLendsTheMoverToItsOwnersDefence) {
    es().value[SILVER] = 60;
    tef(0, 1, 0);
    far_kings();
    place(pos, GOLD, SENTE, at(6, 4));   // to (5, 4): attacks the silver
    place(pos, SILVER, GOTE, at(4, 4));  // undefended
    EXPECT_EQ(score(at(6, 4), at(5, 4)), 60);
    place(pos, PAWN, GOTE, at(5, 4));    // taken on the way
    EXPECT_EQ(score(at(6, 4), at(5, 4)), 60 / 2);
}

TEST_F(Judgement, LeavingAnAttackedSquareEarnsTheMoverValue) {
    es().value[SILVER] = 50;
    tef(0, 1, 0);
    place(pos, KING, GOTE, at(0, 8));
    place(pos, KING, SENTE, at(8, 8));
    place(pos, SILVER, SENTE, at(6, 4));
    place(pos, LANCE, GOTE, at(2, 4));  // looks down the file at the silver
    EXPECT_EQ(score(at(6, 4), at(5, 3)), 50);
    tef(0, 3, 0);
    EXPECT_EQ(score(at(6, 4), at(5, 3)), 150);
}

TEST_F(Judgement, AttackedDestinationCostsTheMoverValueShared) {
    es().value[GOLD] = 61;
    tef(0, 1, 0);
    far_kings();
    place(pos, GOLD, SENTE, at(6, 4));
    place(pos, KNIGHT, GOTE, at(3, 5));  // jumps onto (5, 4)
    EXPECT_EQ(score(at(6, 4), at(5, 4)), -61);
    place(pos, SILVER, SENTE, at(6, 3));  // covers (5, 4)
    EXPECT_EQ(score(at(6, 4), at(5, 4)), -61 / 2);
}

// ---- score_move: unsafe drops ----

class UnsafeDrop : public Judgement {
protected:
    void SetUp() override {
        Judgement::SetUp();
        es().value[GOLD] = 60;
        es().value[PAWN] = 10;
        far_kings();
        gold = place_in_hand(pos, GOLD, SENTE);
        place(pos, PAWN, GOTE, at(3, 4));  // attacks (4, 4)
        es().formation_count = 1;
        tef(2, 1, 1);
    }
    void pull(int weight) { es().formations[0][gold] = FormationEntry{static_cast<signed char>(at(4, 4)),
                                                                      static_cast<signed char>(weight)}; }
    int gold = -1;
};

// The result keeps t1 + t3 above the floor, and a negative rest leaves it at
// the floor instead of wrapping round to a high score.
TEST_F(UnsafeDrop, ScoresAtTheFloorPlusFormationAndActivity) {
    pull(10);
    EXPECT_EQ(score(SENTE_HAND_BASE, at(4, 4)), EVAL_LOSS + 20);
    pull(-10);
    EXPECT_EQ(score(SENTE_HAND_BASE, at(4, 4)), EVAL_LOSS);
    pull(-128);
    tef(127, 1, 1);
    EXPECT_EQ(score(SENTE_HAND_BASE, at(4, 4)), EVAL_LOSS);
}

TEST_F(UnsafeDrop, CoveredOrQuietSquaresAreOrdinaryDrops) {
    pull(0);
    place(pos, SILVER, SENTE, at(5, 3));  // covers (4, 4)
    // Attacks the pawn (+10), attacked by it with one guard (-60 / 2).
    EXPECT_EQ(score(SENTE_HAND_BASE, at(4, 4)), 10 - 30);
    EXPECT_EQ(score(SENTE_HAND_BASE, at(6, 1)), 0);
}

TEST_F(UnsafeDrop, BoardMovesAreNeverUnsafeDrops) {
    pull(0);
    place(pos, GOLD, SENTE, at(5, 4));  // steps into the pawn's reach, unguarded
    EXPECT_EQ(score(at(5, 4), at(4, 4)), 10 - 60);  // takes nothing, attacks the pawn, is attacked
}

// ---- score_move: activity and formation terms ----

TEST_F(Judgement, KingStepsAreScoredByDistanceFromTheCentre) {
    tef(0, 0, 3);
    place(pos, KING, GOTE, at(0, 0));
    place(pos, KING, SENTE, at(7, 4));
    EXPECT_EQ(score(at(7, 4), at(7, 3)), (1 + 3) * 3);
    EXPECT_EQ(score(at(7, 4), at(8, 5)), (1 + 4) * 3);
}

TEST_F(Judgement, RookReachAlongItsFileCountsDouble) {
    tef(0, 0, 1);
    far_kings();
    place(pos, ROOK, SENTE, at(4, 2));
    EXPECT_EQ(score(at(4, 2), at(4, 4)), 8 * 2 + 8);
    place(pos, PAWN, GOTE, at(1, 4));  // the file ends at the pawn
    EXPECT_EQ(score(at(4, 2), at(4, 4)), 7 * 2 + 8);
}

TEST_F(Judgement, BishopReachCountsOnce) {
    tef(0, 0, 2);
    place(pos, KING, GOTE, at(0, 1));
    place(pos, KING, SENTE, at(8, 7));
    place(pos, BISHOP, SENTE, at(5, 5));
    EXPECT_EQ(score(at(5, 5), at(4, 4)), 16 * 2);
}

TEST_F(Judgement, PawnOnAnOwnRookFileEarnsAPawnTimesC) {
    es().value[PAWN] = 10;
    tef(0, 0, 2);
    place(pos, KING, GOTE, at(0, 8));
    place(pos, KING, SENTE, at(8, 3));  // near: no random push bonus
    place(pos, PAWN, SENTE, at(6, 2));
    EXPECT_EQ(score(at(6, 2), at(5, 2)), 0);
    place(pos, ROOK, GOTE, at(1, 2));  // the opponent's rook does not count
    EXPECT_EQ(score(at(6, 2), at(5, 2)), 0);
    int rook = place(pos, ROOK, SENTE, at(7, 2));
    ASSERT_EQ(rook, 21);
    EXPECT_EQ(score(at(6, 2), at(5, 2)), 20);
    // The rook's recorded cell counts even in a hand: cell 100 is column 1.
    pos.board[at(7, 2)] = NO_PIECE;
    pos.board[SENTE_HAND_BASE] = rook;
    pos.pieces[rook].square = SENTE_HAND_BASE;
    place(pos, PAWN, SENTE, at(6, 1));
    EXPECT_EQ(score(at(6, 1), at(5, 1)), 20);
}

TEST_F(Judgement, PawnFarFromTheKingDrawsOneRandomBonus) {
    es().value[PAWN] = 10;
    tef(0, 0, 3);
    place(pos, KING, GOTE, at(0, 0));
    place(pos, KING, SENTE, at(8, 8));
    place(pos, PAWN, SENTE, at(6, 2));  // column distance 6 from the king
    std::srand(77);
    int first = std::rand();
    int second = std::rand();
    std::srand(77);
    EXPECT_EQ(score(at(6, 2), at(5, 2)), (first % 10) * 3);
    EXPECT_EQ(std::rand(), second);
}

// A pawn value of 0 must not divide by zero; the number is still drawn.
TEST_F(Judgement, PawnValueZeroGivesNoRandomBonusButStillDraws) {
    tef(0, 0, 3);
    place(pos, KING, GOTE, at(0, 0));
    place(pos, KING, SENTE, at(8, 8));
    place(pos, PAWN, SENTE, at(6, 2));
    std::srand(77);
    std::rand();
    int second = std::rand();
    std::srand(77);
    EXPECT_EQ(score(at(6, 2), at(5, 2)), 0);
    EXPECT_EQ(std::rand(), second);
}

TEST_F(Judgement, FormationPullShrinksWithDistanceToTheTarget) {
    tef(1, 0, 0);
    far_kings();
    int gold = place(pos, GOLD, SENTE, at(6, 4));
    es().formation_count = 1;
    es().formations[0][gold] = FormationEntry{static_cast<signed char>(at(5, 4)), 50};
    EXPECT_EQ(score(at(6, 4), at(5, 4)), 50);  // on target: divisor 1
    es().formations[0][gold].target = static_cast<signed char>(at(3, 6));
    EXPECT_EQ(score(at(6, 4), at(5, 4)), 50 / 7);  // rows 2, columns 2
    es().formations[0][gold].weight = -50;
    EXPECT_EQ(score(at(6, 4), at(5, 4)), -50 / 7);
    tef(3, 0, 0);
    EXPECT_EQ(score(at(6, 4), at(5, 4)), -150 / 7);
    es().formations[0][gold].weight = 0;
    EXPECT_EQ(score(at(6, 4), at(5, 4)), 0);
}

TEST_F(Judgement, FormationPullsOnlyTheEngineSidesPieces) {
    tef(1, 0, 0);
    far_kings();
    int gold = place(pos, GOLD, GOTE, at(2, 4));
    es().formation_count = 1;
    es().formations[0][gold] = FormationEntry{static_cast<signed char>(at(3, 4)), 50};
    EXPECT_EQ(score(at(2, 4), at(3, 4)), 0);
    set_engine_side(GOTE);
    engine_settings[GOTE] = es(SENTE);
    EXPECT_EQ(score(at(2, 4), at(3, 4)), 50);
}

TEST_F(Judgement, FormationIndexWithoutATableGivesNoPull) {
    tef(1, 0, 0);
    sef(1, 0, 0);
    far_kings();
    int gold = place(pos, GOLD, SENTE, at(6, 4));
    for (int f = 0; f < MAX_FORMATIONS; ++f)
        es().formations[f][gold] = FormationEntry{static_cast<signed char>(at(6, 4)), 50};
    for (int index : {-1, -7, MAX_FORMATIONS, 12}) {
        es().formation = index;
        EXPECT_EQ(score(at(6, 4), at(5, 4)), 0) << index;
        EXPECT_EQ(eval(), 0) << index;
    }
    es().formation = 3;
    EXPECT_EQ(eval(), 50);
}

// ---- score_move: what the search relies on ----

// Every move of a played-out position: the board comes back unchanged and
// the piece table is never touched, also with extreme settings.
TEST_F(Judgement, BoardAndPiecesAreUnchangedAfterScoring) {
    std::mt19937 gen(4);
    for (int round = 0; round < 12; ++round) {
        play_random_game(pos, 100 + round, 20 + 4 * round);
        EngineSettings& e = es(round % 2);
        set_engine_side(round % 2);
        // Small values first, then any 32-bit value at all.
        auto any = [&]() { return round < 6 ? static_cast<int>(gen() % 201) - 100 : static_cast<int>(gen()); };
        for (int phase = 0; phase < SCORED_PHASES; ++phase)
            for (int k = 0; k < 3; ++k) {
                e.sef[phase][k] = any();
                e.tef[phase][k] = any();
            }
        for (int& v : e.value) v = any();
        e.random_range = any();
        e.formation = round % 3;
        for (auto& table : e.formations)
            for (FormationEntry& f : table) f = FormationEntry{static_cast<signed char>(gen()), static_cast<signed char>(gen())};
        game_phase = round % 4;
        for (int side = 0; side < 2; ++side) {
            for (const Move& m : list_moves(pos, side)) {
                TestPosition before = pos;
                score(m.from, m.to);
                ASSERT_TRUE(same_position(before, pos)) << m.from << "->" << m.to;
            }
        }
        TestPosition before = pos;
        eval();
        ASSERT_TRUE(same_position(before, pos));
    }
}

// Turning the board round and swapping the sides changes no judgement.
TEST_F(Judgement, MirroredPositionsAreJudgedAlike) {
    for (int round = 0, seed = 300; round < 8; ++seed) {
        TestPosition played;
        play_random_game(played, seed, 30 + 6 * round);
        // Random play may take a king; a parked record has no mirror image.
        const PieceRecord& gote_king = played.pieces[GOTE_KING_PIECE];
        const PieceRecord& sente_king = played.pieces[SENTE_KING_PIECE];
        if (gote_king.owner != GOTE || sente_king.owner != SENTE || gote_king.square >= SQUARES ||
            sente_king.square >= SQUARES)
            continue;
        ++round;
        TestPosition mirrored;
        clear_position(mirrored);
        clear_position(pos);
        for (int i = 0; i < PIECE_COUNT; ++i) {
            const PieceRecord& r = played.pieces[i];
            if (r.square >= SQUARES) continue;
            place(pos, r.kind, r.owner, r.square);
            place(mirrored, r.kind, opponent(r.owner), 80 - r.square);
        }
        EngineSettings settings{};
        set_triple(settings.sef, 2, 1, 3);
        set_triple(settings.tef, 3, 2, 1);
        const int values[PIECE_KINDS] = {9000, 600, 1000, 800, 500, 350, 300, 100, 1300, 1100, 600, 550, 550, 600};
        std::memcpy(settings.value, values, sizeof values);
        settings.formation_count = 1;
        for (int k = 0; k < 20; ++k) {
            settings.formations[0][k] = FormationEntry{static_cast<signed char>((7 * k) % 81), static_cast<signed char>(k)};
            settings.formations[0][k + 20] = FormationEntry{static_cast<signed char>(80 - (7 * k) % 81), static_cast<signed char>(k)};
        }
        engine_settings[0] = settings;
        engine_settings[1] = settings;
        game_phase = round % 3;
        for (int side = 0; side < 2; ++side) {
            set_engine_side(side);
            int direct = eval();
            set_engine_side(opponent(side));
            int turned = evaluate(mirrored.board, mirrored.pieces);
            ASSERT_EQ(direct, turned) << "round " << round << " side " << side;
            for (int mover = 0; mover < 2; ++mover) {
                for (const Move& m : list_moves(pos, mover)) {
                    set_engine_side(side);
                    std::srand(round);
                    int a = score(m.from, m.to);
                    set_engine_side(opponent(side));
                    std::srand(round);
                    int b = score_move(mirrored.board, mirrored.pieces, 80 - m.from, 80 - m.to);
                    ASSERT_EQ(a, b) << "round " << round << " move " << m.from << "->" << m.to;
                }
            }
        }
    }
}

// ---- evaluate ----

TEST_F(Judgement, MaterialCountsOwnPiecesOnBoardAndInHand) {
    const int values[PIECE_KINDS] = {5000, 60, 100, 80, 50, 35, 30, 10, 130, 110, 61, 55, 54, 62};
    std::memcpy(es().value, values, sizeof values);
    sef(0, 1, 0);
    set_up_start(pos);
    const int start = 5000 + 100 + 80 + 2 * (60 + 50 + 35 + 30) + 9 * 10;
    EXPECT_EQ(eval(), start);
    sef(0, 3, 0);
    EXPECT_EQ(eval(), 3 * start);
    engine_settings[GOTE] = es();
    set_engine_side(GOTE);
    EXPECT_EQ(eval(), 3 * start);
    // Sente takes gote's bishop and keeps it in hand.
    set_engine_side(SENTE);
    const int bishop = 2;
    pos.board[pos.pieces[bishop].square] = NO_PIECE;
    pos.board[SENTE_HAND_BASE] = bishop;
    pos.pieces[bishop].square = SENTE_HAND_BASE;
    pos.pieces[bishop].owner = SENTE;
    EXPECT_EQ(eval(), 3 * (start + 80));
}

TEST_F(Judgement, KingInHandDecidesWhateverTheOtherTerms) {
    es().value[GOLD] = 1000000;
    sef(0, 1000, 7);
    place(pos, GOLD, SENTE, at(5, 5));
    int own = place(pos, KING, SENTE, SENTE_HAND_BASE + 5);
    place(pos, KING, GOTE, at(0, 4));
    pos.pieces[own].owner = GOTE;  // sente's king was taken by gote
    pos.board[SENTE_HAND_BASE + 5] = NO_PIECE;
    pos.board[GOTE_HAND_BASE] = own;
    pos.pieces[own].square = GOTE_HAND_BASE;
    EXPECT_EQ(eval(), EVAL_LOSS);
    engine_settings[GOTE] = es();
    set_engine_side(GOTE);
    EXPECT_EQ(eval(), EVAL_WIN);
    // Both kings gone: the opponent's loss is read last.
    int other = pos.board[at(0, 4)];
    pos.board[at(0, 4)] = NO_PIECE;
    pos.board[SENTE_HAND_BASE] = other;
    pos.pieces[other].square = SENTE_HAND_BASE;
    pos.pieces[other].owner = SENTE;
    EXPECT_EQ(eval(), EVAL_WIN);
    set_engine_side(SENTE);
    EXPECT_EQ(eval(), EVAL_WIN);
}

TEST_F(Judgement, RandomTermAddsZeroToRandMaxAndAlwaysDraws) {
    sef(0, 0, 0);
    far_kings();
    std::srand(3);
    int first = std::rand();
    int second = std::rand();
    es().random_range = 10;  // RAND_MAX: 9
    std::srand(3);
    EXPECT_EQ(eval(), first % 10);
    EXPECT_EQ(std::rand(), second);
    es().random_range = 1;  // RAND_MAX: 0 still draws
    std::srand(3);
    EXPECT_EQ(eval(), 0);
    EXPECT_EQ(std::rand(), second);
    es().random_range = 0;  // no RAND_MAX: nothing drawn
    std::srand(3);
    EXPECT_EQ(eval(), 0);
    EXPECT_EQ(std::rand(), first);
    // The number is drawn before a lost king overrides the value.
    es().random_range = 10;
    int king = pos.board[at(8, 8)];
    pos.board[at(8, 8)] = NO_PIECE;
    pos.board[GOTE_HAND_BASE] = king;
    pos.pieces[king].square = GOTE_HAND_BASE;
    pos.pieces[king].owner = GOTE;
    std::srand(3);
    EXPECT_EQ(eval(), EVAL_LOSS);
    EXPECT_EQ(std::rand(), second);
}

TEST_F(Judgement, KingGoldAndSilverActivity) {
    sef(0, 0, 2);
    place(pos, KING, SENTE, at(8, 8));    // 4 columns + 2 * 4 rows from the centre
    place(pos, GOLD, SENTE, at(6, 4));    // guarded by the silver: 1
    place(pos, SILVER, SENTE, at(7, 4));  // 4 squares to go to, guarded by the gold: 1
    EXPECT_EQ(eval(), (12 + 1 + 4 + 1) * 2);
}

TEST_F(Judgement, RookFileTermCountsOwnPawnsOnItsFile) {
    es().value[PAWN] = 10;
    sef(0, 0, 1);
    place(pos, ROOK, SENTE, at(7, 7));
    place(pos, PAWN, SENTE, at(6, 7));           // blocks upward, costs a pawn
    place(pos, PROMOTED_PAWN, SENTE, at(4, 7));  // no longer a pawn
    place(pos, KNIGHT, SENTE, at(8, 7));         // blocks downward, no cost
    place(pos, PAWN, GOTE, at(2, 7));            // the opponent's pawn is no blocker
    place(pos, PAWN, SENTE, at(6, 6));           // another file
    EXPECT_EQ(eval(), 8 - 10);                   // 7 squares to the left, 1 to the right
    game_phase = CHUBAN;
    EXPECT_EQ(eval(), 8 - 10);
}

TEST_F(Judgement, RookOnAnOpenFileHasNoFileCost) {
    es().value[PAWN] = 10;
    sef(0, 0, 1);
    place(pos, ROOK, SENTE, at(7, 7));
    place(pos, PAWN, SENTE, at(3, 6));
    EXPECT_EQ(eval(), 16);  // 7 up, 1 down, 8 along the rank
    place(pos, PAWN, SENTE, at(2, 7));
    place(pos, PAWN, SENTE, at(1, 7));  // two of them (possible inside the search)
    EXPECT_EQ(eval(), 4 + 1 + 8 - 2 * 10);  // rows 6..3 up, 1 down, the rank
}

TEST_F(Judgement, BishopMobilityCountsEveryReachableSquare) {
    sef(0, 0, 3);
    place(pos, BISHOP, SENTE, at(4, 4));
    place(pos, PAWN, GOTE, at(2, 2));  // capturable, ends that diagonal
    place(pos, PAWN, SENTE, at(6, 6));  // own, ends that diagonal before it
    EXPECT_EQ(eval(), (2 + 1 + 4 + 4) * 3);
}

TEST_F(Judgement, StrayShortPiecesCostInTheEndGameOnly) {
    es().value[PAWN] = 10;
    es().value[LANCE] = 30;
    es().value[KNIGHT] = 20;
    es().value[PROMOTED_SILVER] = 600;
    sef(0, 0, 0);
    place(pos, KING, GOTE, at(0, 4));  // 4 from the centre
    place(pos, PAWN, SENTE, at(6, 0));   // 6 from the centre: strays
    place(pos, PAWN, SENTE, at(5, 4));   // 1 from the centre: no cost
    place(pos, KNIGHT, SENTE, at(5, 2));  // 3 from the centre: no cost yet
    place(pos, LANCE, SENTE, at(4, 0));  // exactly 4: strays
    place(pos, PROMOTED_SILVER, SENTE, at(8, 0));  // never costs
    EXPECT_EQ(eval(), 0);
    game_phase = CHUBAN;
    EXPECT_EQ(eval(), 0);
    game_phase = SHUBAN;
    EXPECT_EQ(eval(), -(4 * 10) - (4 * 30));
}

TEST_F(Judgement, GiveUpPhaseJudgesWithTheEndGameCoefficients) {
    sef(0, 0, 0);
    es().sef[SHUBAN][COEF_C] = 5;
    far_kings();
    game_phase = SHUBAN;
    int end_game = eval();
    EXPECT_NE(end_game, 0);
    game_phase = GIVE_UP;
    EXPECT_EQ(eval(), end_game);
}

// ---- sort_candidates ----

std::vector<Move> tagged(const std::vector<int>& scores) {
    std::vector<Move> list;
    for (int i = 0; i < static_cast<int>(scores.size()); ++i) list.push_back(Move{i, 100 + i, scores[i]});
    return list;
}

std::vector<int> order_of(const std::vector<Move>& list) {
    std::vector<int> order;
    for (const Move& m : list) order.push_back(m.from);
    return order;
}

TEST(SortCandidates, BelowEighteenEqualScoresKeepTheirOrder) {
    std::vector<int> scores(17, 0);
    scores[4] = 1;
    std::vector<Move> list = tagged(scores);
    sort_candidates(list.data(), 17);
    std::vector<int> expected = {4, 0, 1, 2, 3};
    for (int i = 5; i < 17; ++i) expected.push_back(i);
    EXPECT_EQ(order_of(list), expected);
    EXPECT_EQ(list[0].to, 104);  // all three fields travel together
    EXPECT_EQ(list[0].score, 1);
}

TEST(SortCandidates, EighteenStartsWithAStrideOfFour) {
    std::vector<int> scores(18, 0);
    scores[4] = 1;
    std::vector<Move> list = tagged(scores);
    sort_candidates(list.data(), 18);
    // The stride-4 pass swaps entries 0 and 4; entry 0 then stays behind 1..3.
    std::vector<int> expected = {4, 1, 2, 3, 0};
    for (int i = 5; i < 18; ++i) expected.push_back(i);
    EXPECT_EQ(order_of(list), expected);
}

TEST(SortCandidates, AnyListEndsHighestFirstWithTheSameEntries) {
    std::mt19937 gen(21);
    for (int n : {0, 1, 2, 9, 17, 18, 40, 64, 81}) {
        std::vector<int> scores;
        for (int i = 0; i < n; ++i) scores.push_back(static_cast<int>(gen() % 7) - 3);
        std::vector<Move> list = tagged(scores);
        sort_candidates(list.data(), n);
        for (int i = 1; i < n; ++i) ASSERT_GE(list[i - 1].score, list[i].score) << n;
        std::vector<int> seen(n, 0);
        for (const Move& m : list) {
            ASSERT_EQ(m.to, 100 + m.from);
            ASSERT_EQ(m.score, scores[m.from]);
            ++seen[m.from];
        }
        for (int s : seen) ASSERT_EQ(s, 1);
    }
}

TEST(SortCandidates, TheBestFewAreTheFullSortsFirstEntriesTiesIncluded) {
    std::mt19937 gen(5);
    for (int round = 0; round < 1200; ++round) {
        int n = static_cast<int>(gen() % 82);
        // Few values give long runs of ties; many give few.
        int values = round % 3 == 0 ? 5 : round % 3 == 1 ? 40 : 1000;
        std::vector<int> scores;
        for (int i = 0; i < n; ++i) scores.push_back(static_cast<int>(gen() % values) - values / 2);
        std::vector<Move> full = tagged(scores);
        sort_candidates(full.data(), n);
        for (int best : {-1, 0, 1, 2, 5, 16, n - 1, n, n + 3}) {
            std::vector<Move> list = tagged(scores);
            sort_best_candidates(list.data(), n, best);
            int kept = std::max(0, std::min(best, n));
            std::vector<Move> head(list.begin(), list.begin() + kept);
            std::vector<Move> expected(full.begin(), full.begin() + kept);
            ASSERT_EQ(order_of(head), order_of(expected)) << "n " << n << " best " << best;
        }
    }
}

}  // namespace
