#include <gtest/gtest.h>

#include <cstdlib>

#include "golden_positions.h"

// The moves the engine chose for a fixed set of positions, settings and
// seeds, with the number of leaves it judged and the next rand() value after
// the think: a faster engine must choose the same moves by the same work
// and leave rand where the plain search left it.
namespace {

struct Golden {
    int from;
    int to;
    long leaves;
    int next_rand;
};

const Golden GOLDEN[] = {
    {70, 65, 158, 1957747793},  // start
    {70, 65, 671, 673465517},  // start-deep
    {61, 52, 171, 62200281},  // opening
    {23, 32, 1308, 559172621},  // opening-deep
    {64, 24, 409, 602511920},  // middle
    {12, 3, 1401, 1658377182},  // middle-deep
    {69, 78, 104, 1951168091},  // middle-wide
    {40, 31, 313, 1381480694},  // end
    {14, 33, 2550, 255230327},  // end-deep
    {62, 43, 784, 131589623},  // end-drops
    {70, 66, 384, 96237263},  // reference-start
    {76, 66, 388, 19096809},  // reference-opening
    {33, 23, 865, 13837863},  // reference-middle
    {73, 74, 1610, 1800214781},  // reference-end
};

long leaves;
void count_leaf(int) { ++leaves; }

TEST(Golden, ChosenMovesLeavesAndRandStayTheSame) {
    constexpr int CASES = sizeof THINK_CASES / sizeof THINK_CASES[0];
    ASSERT_EQ(sizeof GOLDEN / sizeof GOLDEN[0], static_cast<size_t>(CASES));
    for (int i = 0; i < CASES; ++i) {
        const ThinkCase& c = THINK_CASES[i];
        set_up_case(c);
        ASSERT_LT(PieceTable[GOTE_KING_PIECE].square, SQUARES) << c.name;
        ASSERT_LT(PieceTable[SENTE_KING_PIECE].square, SQUARES) << c.name;
        leaves = 0;
        engine_set_leaf_hook(count_leaf);
        ASSERT_EQ(engine_think(), 1) << c.name;
        engine_set_leaf_hook(nullptr);
        int next = std::rand();
        EXPECT_EQ(last_move.from, GOLDEN[i].from) << c.name;
        EXPECT_EQ(last_move.to, GOLDEN[i].to) << c.name;
        EXPECT_EQ(leaves, GOLDEN[i].leaves) << c.name;
        EXPECT_EQ(next, GOLDEN[i].next_rand) << c.name;
    }
}

}  // namespace
