// The game screen on 640 x 240 read back pixel by pixel: board frame, labels
// in both rotations, panels, pieces in hand, the bold last move; and the
// narrow layout with its compact hands.
#include "game_test_support.h"

namespace {

// Black pixels of a screen area as rows of '#' and '.'.
std::string ink_picture(int x, int y, int w, int h) {
    std::string picture = screen_picture(x, y, w, h);
    for (char& c : picture)
        if (c != '\n') c = c == '3' ? '#' : '.';
    return picture;
}

// Whether the ink in a cell of the screen is exactly what drawing the text
// there gives: the cell is cleared, the reference drawn and both compared.
// The cell starts one pixel right of x, where the library puts the glyph.
::testing::AssertionResult shows(int x, int y, int w, int h, void (*draw)(int, int, const void*), const void* what) {
    std::string seen = ink_picture(x + 1, y, w, h);
    ztl_set_color(0);
    ztl_fill_rect(x + 1, y, w, h);
    ztl_set_color(3);
    draw(x, y, what);
    std::string drawn = ink_picture(x + 1, y, w, h);
    if (seen == drawn && drawn.find('#') != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "seen:\n" << seen << "expected:\n" << drawn;
}

struct Glyph {
    int kind, size, turned, bold;
};

::testing::AssertionResult shows_glyph(int x, int y, int kind, int size, int turned, int bold) {
    Glyph glyph{kind, size, turned, bold};
    auto draw = [](int gx, int gy, const void* what) {
        const Glyph& g = *static_cast<const Glyph*>(what);
        ztl_set_font(g.size, g.bold ? ZTL_FONT_BOLD : 0);
        ztl_draw_char_turned(gx, gy - (g.turned ? 1 : 0), board_glyph_code(g.kind), g.turned ? 2 : 0);
    };
    return shows(x, y + (turned ? 1 : 0), size + bold, size, draw, &glyph);
}

struct Text {
    const char* text;
    int size;
};

// Text drawn upright; the cell leaves out its first row and last column,
// where grid lines and frame edges may touch it.
::testing::AssertionResult shows_text(int x, int y, const char* text, int size) {
    Text t{text, size};
    auto draw = [](int tx, int ty, const void* what) {
        const Text& t = *static_cast<const Text*>(what);
        ztl_set_font(t.size, 0);
        ztl_draw_text(tx, ty - 1, t.text);
    };
    int w = static_cast<int>(std::strlen(text)) * size / 2 - 1;
    return shows(x, y + 1, w, size - 1, draw, &t);
}

int glyph_x(int square) {
    int x, y;
    square_origin(square, &x, &y);
    return x + 3;
}
int glyph_y(int square) {
    int x, y;
    square_origin(square, &x, &y);
    return y + 3;
}

using DisplayTest = GameScreenTest;

TEST_F(DisplayTest, BoardFrameAndGridOnTheHandheldScreen) {
    EXPECT_EQ(cell_size, 23);
    EXPECT_EQ(board_size, 207);
    EXPECT_EQ(board_left, 216);
    EXPECT_EQ(board_top, 16);
    // The outer grid lines run from (216, 16) to (423, 223).
    for (int i = 0; i <= 207; ++i) {
        ASSERT_EQ(ztl_headless_screen_level(216 + i, 16), 3) << i;
        ASSERT_EQ(ztl_headless_screen_level(216 + i, 223), 3) << i;
        ASSERT_EQ(ztl_headless_screen_level(216, 16 + i), 3) << i;
        ASSERT_EQ(ztl_headless_screen_level(423, 16 + i), 3) << i;
    }
    EXPECT_EQ(ztl_headless_screen_level(216 + 23, 100), 3);  // an inner line
    // The surround: colour 1 from (204, 4) for 231 x 231, white beyond.
    EXPECT_EQ(screen_picture(203, 3, 4, 4), "0000\n0111\n0111\n0111\n");
    EXPECT_EQ(screen_picture(432, 232, 4, 4), "1110\n1110\n1110\n0000\n");
    EXPECT_EQ(ztl_headless_screen_level(204, 200), 1);
}

TEST_F(DisplayTest, LabelsFollowTheRotation) {
    // Not turned: "１" above the rightmost column, "九" right of the bottom row.
    EXPECT_TRUE(shows_text(216 + 8 * 23 + 5, 4, "１", 12));
    EXPECT_TRUE(shows_text(423, 16 + 8 * 23 + 5, "九", 12));
    EXPECT_EQ(ink_in(216, 224, 207, 11), 0);  // nothing below the board

    board_rotation = 1;
    draw_board_frame();
    EXPECT_TRUE(shows_text(216 + 5, 223, "１", 12));
    EXPECT_TRUE(shows_text(204, 16 + 5, "九", 12));
    EXPECT_EQ(ink_in(217, 4, 206, 12), 0);  // nothing above the board
}

TEST_F(DisplayTest, PanelsSitWhereTheLayoutPutsThem) {
    struct Expected {
        int index;
        PanelRect rect;
    } expected[] = {
        {PANEL_TITLE, {457, 12, 160, 56}},   {PANEL_TIME, {461, 80, 152, 40}},
        {PANEL_STAND_UPRIGHT, {457, 132, 160, 96}}, {PANEL_STAND_TURNED, {22, 12, 160, 96}},
        {PANEL_RECORD, {38, 116, 128, 92}},
    };
    for (const Expected& e : expected) {
        const PanelRect& r = panels[e.index];
        EXPECT_EQ(r.x, e.rect.x) << e.index;
        EXPECT_EQ(r.y, e.rect.y) << e.index;
        EXPECT_EQ(r.w, e.rect.w) << e.index;
        EXPECT_EQ(r.h, e.rect.h) << e.index;
    }
    EXPECT_TRUE(stands_shown);
    ASSERT_NE(record_panel, nullptr);
    ASSERT_NE(time_panel, nullptr);
    // The title panel's dark frame with white corners, and both stands in the frame colour.
    EXPECT_EQ(screen_picture(457, 12, 3, 3), "022\n200\n200\n");
    EXPECT_EQ(screen_picture(22, 12, 2, 2), "01\n11\n");
    EXPECT_EQ(ztl_headless_screen_level(457 + 80, 132 + 50), 1);
    // The two buttons at the right edge: "×" and "！" on rounded boxes.
    EXPECT_GT(ink_in(628, 12, 12, 12), 10);
    EXPECT_GT(ink_in(628, 24, 12, 12), 5);
    EXPECT_EQ(ztl_headless_screen_level(628, 12), 0);
}

TEST_F(DisplayTest, PiecesStandUprightOrTurnedBySide) {
    EXPECT_TRUE(shows_glyph(glyph_x(sq(5, 9)), glyph_y(sq(5, 9)), KING, 16, 0, 0));
    EXPECT_TRUE(shows_glyph(glyph_x(sq(5, 1)), glyph_y(sq(5, 1)), KING, 16, 1, 0));
    EXPECT_TRUE(shows_glyph(glyph_x(sq(2, 8)), glyph_y(sq(2, 8)), ROOK, 16, 0, 0));
    board_rotation = 1;
    redraw_board();
    // Turned: sente's king at the top, upside down, in screen column 4 row 0.
    EXPECT_TRUE(shows_glyph(216 + 4 * 23 + 3, 16 + 3, KING, 16, 1, 0));
    EXPECT_TRUE(shows_glyph(glyph_x(sq(5, 1)), glyph_y(sq(5, 1)), KING, 16, 0, 0));
}

TEST_F(DisplayTest, TheLastMoveIsBoldUntilTheNextOne) {
    play({"+7776FU"});
    EXPECT_TRUE(shows_glyph(glyph_x(sq(7, 6)), glyph_y(sq(7, 6)), PAWN, 16, 0, 1));
    play({"+7776FU", "-3334FU"});
    EXPECT_TRUE(shows_glyph(glyph_x(sq(7, 6)), glyph_y(sq(7, 6)), PAWN, 16, 0, 0));
    EXPECT_TRUE(shows_glyph(glyph_x(sq(3, 4)), glyph_y(sq(3, 4)), PAWN, 16, 1, 1));
}

TEST_F(DisplayTest, ACapturedRookShowsUpsideDownInTheTopLeftStand) {
    std::string bottom_right_before = screen_picture(457, 132, 160, 96);
    play({"+2726FU", "-8384FU", "+2625FU", "-8485FU", "+2524FU", "-2324FU", "+2824HI", "-8586FU", "+8786FU",
          "-8286HI", "+2484HI", "-8684HI"});
    // Gote holds pawn, pawn, rook, highest kind first: the rook in its third
    // slot, drawn from the stand's bottom-right corner leftwards.
    ASSERT_EQ(PieceTable[Board[GOTE_HAND_BASE + 2]].kind, ROOK);
    EXPECT_TRUE(shows_glyph(22 + 7 * 16 - 1, 12 + 3 * 24 + 3, ROOK, 16, 1, 0));
    EXPECT_TRUE(shows_glyph(22 + 9 * 16 - 1, 12 + 3 * 24 + 3, PAWN, 16, 1, 0));
    // Sente holds two pawns, upright from the top-left of its own stand.
    EXPECT_TRUE(shows_glyph(457, 132 + 4, PAWN, 16, 0, 0));
    EXPECT_NE(screen_picture(457, 132, 160, 96), bottom_right_before);
}

TEST(KifuLine, JapaneseNotationOfMovesDropsAndPromotedPieces) {
    struct Case {
        int kind, from, to, side, number;
        const char* text;
    } cases[] = {
        {PAWN, sq(7, 7), sq(7, 6), SENTE, 1, "  1 ▲７六歩\n"},
        {GOLD, GOTE_HAND_BASE, sq(5, 5), GOTE, 42, " 42 △５五金打\n"},
        {PROMOTED_KNIGHT, sq(3, 3), sq(2, 1), SENTE, 101, "101 ▲２一成桂\n"},
        {PROMOTED_PAWN, sq(1, 7), sq(1, 8), GOTE, 7, "  7 △１八と\n"},
    };
    for (const Case& c : cases) {
        move_number = c.number;
        char text[KIFU_LINE_SIZE];
        format_kifu_line(c.kind, c.from, c.to, c.side, text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST_F(DisplayTest, ClockLinesShowMoveAndTotalTime) {
    std::string before = screen_picture(461, 80, 152, 40);
    draw_clock(0, 1, SENTE);
    std::string one_second = screen_picture(461, 80, 152, 40);
    EXPECT_NE(one_second, before);
    draw_clock(0, 0, SENTE);
    EXPECT_EQ(screen_picture(461, 80, 152, 40), before);
    // Whatever digits stood there, a new time leaves no trace of them.
    for (int seconds = 0; seconds < 60; ++seconds) {
        draw_clock(seconds, seconds, SENTE);
        draw_clock(0, 1, SENTE);
        ASSERT_EQ(screen_picture(461, 80, 152, 40), one_second) << seconds;
    }
    // Minutes are not limited to two digits, and nothing overflows.
    draw_clock(2147483647, -2147483647 - 1, GOTE);
}

// The narrow layout: no room beside or above the board on 400 x 240, so every
// panel is reported on standard output and the hands become two columns.
using NarrowTest = NarrowScreenTest;

TEST_F(NarrowTest, PanelsThatDoNotFitArePrinted) {
    EXPECT_EQ(metrics.stand_rows, 7);
    EXPECT_EQ(metrics.stand_columns, 1);
    EXPECT_EQ(metrics.time_font, 12);
    EXPECT_FALSE(stands_shown);
    EXPECT_EQ(record_panel, nullptr);
    EXPECT_EQ(time_panel, nullptr);
    EXPECT_EQ(layout_output,
              "Copyright -not display- x:-1, y:-1, w:-1, h:-1\n"
              "駒台(先)  -not display- x:-1, y:-1, w:-1, h:-1\n"
              "棋譜      -not display- x:-1, y:-1, w:-1, h:-1\n"
              "時間      -not display- x:-1, y:-1, w:-1, h:-1\n");
}

TEST_F(NarrowTest, CompactHandsCountEachKind) {
    // Each side takes a pawn: sente's count sits in the right column under
    // its pawn glyph, gote's in the left column above its turned pawn.
    play({"+7776FU", "-3334FU", "+7675FU", "-3435FU", "+7574FU", "-3536FU", "+7473FU", "-3637FU"});
    int s = 12;
    int right_x = board_left + board_size + 12;
    int left_x = board_left - 12 - s;
    int bottom = board_top + board_size;
    EXPECT_TRUE(shows_glyph(right_x, bottom - 2 * s, PAWN, s, 0, 0));
    EXPECT_TRUE(shows_text(right_x, bottom - s, " 1", s));
    EXPECT_TRUE(shows_text(right_x, bottom - 3 * s, " 0", s));  // lance
    EXPECT_TRUE(shows_glyph(left_x, board_top + s, PAWN, s, 1, 0));
    EXPECT_TRUE(shows_text(left_x, board_top, " 1", s));
    EXPECT_TRUE(shows_glyph(left_x, board_top + 13 * s, GOLD, s, 1, 0));
}

// Every screen size that a layout could be asked for draws without faults.
TEST_F(NarrowTest, AnySizeLaysOutAndDraws) {
    tear_down_screen();
    for (int w : {0, 1, 100, 240, 320, 560, 561, 640})
        for (int h : {0, 1, 120, 240}) {
            ::testing::internal::CaptureStdout();
            set_up_screen(w, h);
            tear_down_screen();
            ::testing::internal::GetCapturedStdout();
        }
    set_up_screen(400, 240);
}

}  // namespace
