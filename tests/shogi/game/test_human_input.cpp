// A person's move by keys and by pen: picking on the board and in hand,
// dragging, tap-tap entry, every way of cancelling, and the turned board.
#include "game_test_support.h"

namespace {

using HumanInputTest = GameScreenTest;

constexpr int ENTERED = 1;
constexpr int QUIT = 0;
constexpr int MENU = 2;

void keys(std::initializer_list<int> virtual_keys) {
    for (int k : virtual_keys) press(k);
}
void enter() { type("\r"); }
void put_cursor(int column, int row) {
    board_cursor_column = column;
    board_cursor_row = row;
}

void expect_move(int from, int to) {
    EXPECT_EQ(last_move.from, from);
    EXPECT_EQ(last_move.to, to);
    EXPECT_EQ(last_move.promote, 0);
}

// Gote captures a sente pawn and sente a gote pawn: both hold one pawn; sente to move.
const std::vector<std::string> PAWNS_IN_HAND = {"+7776FU", "-3334FU", "+7675FU", "-3435FU",
                                                "+7574FU", "-3536FU", "+7473FU", "-3637FU"};

TEST_F(HumanInputTest, KeysPickAPieceAndEnterItsMove) {
    put_cursor(2, 6);  // 7七
    enter();
    keys({ZTL_VK_UP});
    enter();
    EXPECT_EQ(human_move(), ENTERED);
    expect_move(sq(7, 7), sq(7, 6));
}

TEST_F(HumanInputTest, SelectingNothingOwnedDoesNothing) {
    std::string screen = screen_picture(216, 16, 208, 208);
    put_cursor(4, 4);  // empty
    enter();
    put_cursor(4, 4);
    keys({ZTL_VK_UP, ZTL_VK_UP});  // gote's pawn on 5三
    enter();
    type("\x1b");  // still nothing picked: Escape asks for the menu
    EXPECT_EQ(human_move(), MENU);
    EXPECT_EQ(screen_picture(216, 16, 208, 208), screen);
}

TEST_F(HumanInputTest, ARefusedDestinationCancelsThePickAndTheTurnGoesOn) {
    put_cursor(2, 6);
    enter();
    keys({ZTL_VK_UP, ZTL_VK_UP});  // a pawn cannot go two squares
    enter();
    type("\x1b");  // nothing picked any more: the menu
    EXPECT_EQ(human_move(), MENU);
    EXPECT_EQ(PieceTable[Board[sq(7, 7)]].kind, PAWN);
}

TEST_F(HumanInputTest, TheCursorStopsAtTheBoardEdges) {
    put_cursor(0, 0);
    keys({ZTL_VK_LEFT, ZTL_VK_UP});
    type("\x1b");
    EXPECT_EQ(human_move(), MENU);
    EXPECT_EQ(board_cursor_column, 0);
    EXPECT_EQ(board_cursor_row, 0);
    put_cursor(8, 8);
    keys({ZTL_VK_RIGHT, ZTL_VK_DOWN, ZTL_VK_LEFT});
    type("\x1b");
    EXPECT_EQ(human_move(), MENU);
    EXPECT_EQ(board_cursor_column, 7);
    EXPECT_EQ(board_cursor_row, 8);
}

TEST_F(HumanInputTest, TabWithAnEmptyHandDoesNothing) {
    type("\t\x1b");  // had Tab opened the hand, Escape would only close it
    EXPECT_EQ(human_move(), MENU);
}

TEST_F(HumanInputTest, TabOpensTheHandOnItsFirstPieceAndDropsByKeys) {
    play(PAWNS_IN_HAND);
    put_cursor(6, 5);  // 3六
    // The hand cursor inverts sente's first stand cell at the bottom right.
    GameThread move(human_move);
    type("\t");
    GameThread::settle();
    EXPECT_EQ(ztl_headless_screen_level(457 + 1, 132 + 1), 3 - 1);  // frame colour 1 inverted
    enter();  // picks the pawn in hand
    keys({ZTL_VK_UP});  // to 3五, on a file without a sente pawn
    enter();
    EXPECT_EQ(move.result(), ENTERED);
    expect_move(SENTE_HAND_BASE, sq(3, 5));
}

TEST_F(HumanInputTest, GoteOpensItsHandOnTheLastCellOfTheTopLeftStand) {
    play({"+7776FU", "-3334FU", "+2726FU", "-3435FU", "+2625FU", "-3536FU", "+2524FU", "-3637FU"});
    play({"+7776FU", "-3334FU", "+2726FU", "-3435FU", "+2625FU", "-3536FU", "+2524FU", "-3637FU", "+2423TO"});
    ASSERT_EQ(side_to_move, GOTE);
    GameThread move(human_move);
    type("\t");
    GameThread::settle();
    EXPECT_EQ(ztl_headless_screen_level(22 + 9 * 16 + 1, 12 + 3 * 24 + 1), 2);
    type("\x1b\x1b");  // close the hand, then the menu
    EXPECT_EQ(move.result(), MENU);
}

TEST_F(HumanInputTest, TheTurnedBoardAddressesSquaresFromTheOtherSide) {
    board_rotation = 1;
    redraw_board();
    put_cursor(0, 0);  // square 80, sente's lance on 1九
    enter();
    keys({ZTL_VK_DOWN});
    enter();
    EXPECT_EQ(human_move(), ENTERED);
    expect_move(80, 71);
}

TEST_F(HumanInputTest, QuitFromAnyState) {
    put_cursor(2, 6);
    enter();
    type("q");
    EXPECT_EQ(human_move(), QUIT);
}

TEST_F(HumanInputTest, TapTapEntersAMove) {
    tap_square(sq(7, 7));
    tap_square(sq(7, 6));
    EXPECT_EQ(human_move(), ENTERED);
    expect_move(sq(7, 7), sq(7, 6));
}

TEST_F(HumanInputTest, DragAndDropEntersAMove) {
    int x = square_centre_x(sq(2, 7));
    ztl_headless_pen_down(x, square_centre_y(sq(2, 7)));
    for (int y = square_centre_y(sq(2, 7)); y >= square_centre_y(sq(2, 6)); y -= 4) ztl_headless_pen_move(x, y);
    ztl_headless_pen_up(x, square_centre_y(sq(2, 6)));
    EXPECT_EQ(human_move(), ENTERED);
    expect_move(sq(2, 7), sq(2, 6));
}

TEST_F(HumanInputTest, APieceInHandIsPickedByPenAndDropped) {
    play(PAWNS_IN_HAND);
    tap(457 + 8, 132 + 12);  // sente's pawn in the first stand cell
    tap_square(sq(3, 5));
    EXPECT_EQ(human_move(), ENTERED);
    expect_move(SENTE_HAND_BASE, sq(3, 5));
}

TEST_F(HumanInputTest, TouchingOutsideTheBoardCancelsAPick) {
    std::string screen = screen_picture(216, 16, 208, 208);
    tap_square(sq(7, 7));
    tap(600, 200);  // beside the board, not on sente's stand piece
    type("\x1b");
    EXPECT_EQ(human_move(), MENU);
    EXPECT_EQ(screen_picture(216, 16, 208, 208), screen);
}

TEST_F(HumanInputTest, TouchingTheBoardWithTheHandOpenCancels) {
    play(PAWNS_IN_HAND);
    type("\t");
    tap_square(sq(5, 5));  // closes the hand instead of dropping
    type("\x1b");
    EXPECT_EQ(human_move(), MENU);
}

// A dragged glyph moves over the screen and puts back what it covered, for
// the upright side and the upside-down side alike.
TEST_F(HumanInputTest, DraggingLeavesNoTrailForEitherSide) {
    for (const char* setup : {"sente", "gote"}) {
        int gote = std::strcmp(setup, "gote") == 0;
        play(gote ? std::vector<std::string>{"+7776FU"} : std::vector<std::string>{});
        int from = gote ? sq(3, 3) : sq(7, 7);
        std::string before = screen_picture(216, 16, 208, 208);
        GameThread move(human_move);
        int x = square_centre_x(from);
        int y = square_centre_y(from);
        ztl_headless_pen_down(x, y);
        for (int step = 1; step <= 12; ++step) ztl_headless_pen_move(x + 3 * step, y + 4 * step);
        ztl_headless_pen_move(x, y);  // back over the piece's own square
        GameThread::settle();
        // Away from the picked square, the board is as it was.
        int sx, sy;
        square_origin(from, &sx, &sy);
        std::string now = screen_picture(216, 16, 208, 208);
        for (int row = 0; row < 208; ++row)
            for (int col = 0; col < 208; ++col) {
                int px = 216 + col, py = 16 + row;
                if (px >= sx - 12 && px < sx + 36 && py >= sy - 12 && py < sy + 36) continue;
                ASSERT_EQ(now[row * 209 + col], before[row * 209 + col]) << setup << " at " << px << "," << py;
            }
        type("\x1b\x1b");
        EXPECT_EQ(move.result(), MENU) << setup;
    }
}

TEST_F(HumanInputTest, ADragInTheTopTenRowsDoesNotMoveTheGlyph) {
    GameThread move(human_move);
    int x = square_centre_x(sq(7, 7));
    ztl_headless_pen_down(x, square_centre_y(sq(7, 7)));
    GameThread::settle();
    std::string picked = screen_picture(0, 0, 640, 240);
    ztl_headless_pen_move(300, 5);
    ztl_headless_pen_move(320, 9);
    GameThread::settle();
    EXPECT_EQ(screen_picture(0, 0, 640, 240), picked);
    ztl_headless_pen_move(320, 10);
    GameThread::settle();
    EXPECT_NE(screen_picture(0, 0, 640, 240), picked);
    type("q");
    EXPECT_EQ(move.result(), QUIT);
}

// The narrow layout's compact hands: a column of rows per side, one per kind.
using CompactHandTest = NarrowScreenTest;

TEST_F(CompactHandTest, TheHandCursorReachesEmptyRowsWhereEnterDoesNothing) {
    play(PAWNS_IN_HAND);
    // Sente's column, gold at the top: the cursor opens on row 0 (gold, none
    // held); down six rows is the pawn. Enter on the empty gold row does nothing.
    type("\t\r");
    keys({ZTL_VK_DOWN, ZTL_VK_DOWN, ZTL_VK_DOWN, ZTL_VK_DOWN, ZTL_VK_DOWN, ZTL_VK_DOWN, ZTL_VK_DOWN});
    enter();
    put_cursor(6, 4);  // 3五
    enter();
    EXPECT_EQ(human_move(), ENTERED);
    expect_move(SENTE_HAND_BASE, sq(3, 5));
}

TEST_F(CompactHandTest, APawnIsPickedFromTheColumnByPen) {
    play(PAWNS_IN_HAND);
    int column_x = board_left + board_size + 12 + 6;
    int pawn_row_y = board_top + board_size - 2 * 12 + 4;
    tap(column_x, pawn_row_y);
    tap_square(sq(3, 5));
    EXPECT_EQ(human_move(), ENTERED);
    expect_move(SENTE_HAND_BASE, sq(3, 5));
}

}  // namespace
