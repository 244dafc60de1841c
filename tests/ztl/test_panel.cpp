// Text panels: cells, wrapping, scrolling, cell fills, frames, pictures,
// saved backgrounds and the dirty rectangle in screen coordinates.
#include <time.h>

#include <algorithm>
#include <climits>

#include "ztl_test_support.h"

namespace {

double seconds_now() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

class PanelTest : public ZtlTest {
protected:
    void SetUp() override {
        ZtlTest::SetUp();
        ztl_set_font(16, 0);
        reference = ztl_image_new(640, 240, nullptr);
    }
    void TearDown() override {
        ztl_image_free(reference);
        ZtlTest::TearDown();
    }
    // Characters drawn straight onto the reference image at screen positions,
    // cut at the right edge of the panel's text area.
    void expect_char(int x, int y, int code, int area_right = 640) {
        ztl_target_push(reference);
        ztl_draw_char_clipped(x, y, code, 0, 0, area_right, 240);
        ztl_target_pop();
    }
    // An opaque cell: filled white first, which also clears the previous
    // glyph's column that reaches into it (glyphs sit one pixel right).
    void expect_opaque_char(int x, int y, int code) {
        ztl_target_push(reference);
        ztl_set_color(0);
        ztl_fill_rect(x, y, code > 255 ? 16 : 8, 16);
        ztl_set_color(3);
        ztl_draw_char(x, y, code);
        ztl_target_pop();
    }
    void expect_screen_equals_reference() {
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 640; ++x)
                if (level_of(&physical_screen, x, y) != level_of(reference, x, y)) {
                    int left = std::max(0, x - 12), top = std::max(0, y - 4);
                    FAIL() << "first difference at " << x << "," << y << "\nscreen:\n"
                           << picture(&physical_screen, left, top, 24, 8) << "expected:\n"
                           << picture(reference, left, top, 24, 8);
                }
    }
    ztl_image* reference = nullptr;
};

TEST_F(PanelTest, PrintPutsCellsAtTheCursorAndHonoursLineFeeds) {
    ztl_panel* panel = ztl_panel_open(nullptr, 40, 20, 200, 100, 0);
    ztl_panel_print(panel, "AB\nC", 0);
    expect_opaque_char(40, 20, 'A');
    expect_opaque_char(48, 20, 'B');
    expect_opaque_char(40, 36, 'C');
    expect_screen_equals_reference();
    EXPECT_EQ(panel->cursor_x, 8);
    EXPECT_EQ(panel->cursor_y, 16);
    ztl_panel_close(panel);
}

TEST_F(PanelTest, InsetTextAreaAndDoubleByteAdvance) {
    ztl_panel* panel = ztl_panel_open(nullptr, 40, 20, 200, 100, ZTL_PANEL_INSET);
    // Other control codes are skipped without advancing; a lead byte the text
    // ends after is not printed.
    ztl_panel_print(panel, "金A\tB\x81", 1);
    expect_char(44, 24, 0x8BE0);
    expect_char(60, 24, 'A');
    expect_char(68, 24, 'B');
    expect_screen_equals_reference();
    EXPECT_EQ(panel->cursor_x, 32);
    ztl_panel_close(panel);
}

TEST_F(PanelTest, TextWrapsAtTheRightEdge) {
    ztl_panel* panel = ztl_panel_open(nullptr, 0, 0, 24, 100, 0);
    ztl_panel_print(panel, "ABCD金E", 1);
    // The text area (24 pixels) clips the glyph column that reaches past it.
    expect_char(0, 0, 'A', 24);
    expect_char(8, 0, 'B', 24);
    expect_char(16, 0, 'C', 24);
    expect_char(0, 16, 'D', 24);       // 24 + 8 > 24
    expect_char(8, 16, 0x8BE0, 24);    // 8 + 16 fits exactly
    expect_char(0, 32, 'E', 24);
    expect_screen_equals_reference();
    ztl_panel_close(panel);
}

TEST_F(PanelTest, AreaNarrowerThanACharacterPutsEachOnItsOwnLine) {
    ztl_panel* panel = ztl_panel_open(nullptr, 0, 0, 4, 100, 0);
    ztl_panel_print(panel, "AB", 1);
    // Even the first character starts a new line; the area clips the glyphs.
    expect_char(0, 16, 'A', 4);
    expect_char(0, 32, 'B', 4);
    expect_screen_equals_reference();
    ztl_panel_close(panel);
}

TEST_F(PanelTest, PrintingPastTheLastLineScrollsByTheOverflow) {
    ztl_panel* panel = ztl_panel_open(nullptr, 8, 8, 32, 40, 0);
    ztl_set_color(1);
    ztl_fill_rect(8, 8, 32, 40);
    ztl_set_color(3);
    ztl_panel_print(panel, "A\nB\n", 1);
    std::memcpy(reference->pixels, physical_screen.pixels, 160 * 240);
    // Expected: the area moved up 8 rows, the 8 freed rows white, C drawn there.
    ztl_copy(reference, 8, 8, reference, 8, 16, 32, 32, 0);
    ztl_target_push(reference);
    ztl_set_color(0);
    ztl_fill_rect(8, 40, 32, 8);
    ztl_set_color(3);
    ztl_target_pop();
    expect_char(8, 32, 'C');
    ztl_panel_print(panel, "C", 1);
    expect_screen_equals_reference();
    EXPECT_EQ(panel->cursor_y, 24);
    ztl_panel_close(panel);
}

TEST_F(PanelTest, OpaqueCellsAreFilledWithThePanelColourTransparentOnesNot) {
    ztl_panel* panel = ztl_panel_open(nullptr, 0, 0, 64, 32, 0);
    ztl_panel_set_color(panel, 1);
    ztl_panel_print(panel, "A", 0);
    ztl_panel_print(panel, "B", 1);
    int ink = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            int level = level_of(&physical_screen, x, y);
            if (x < 8) ASSERT_TRUE(level == 1 || level == 3) << x << "," << y;
            else ASSERT_TRUE(level == 0 || level == 3) << x << "," << y;
            ink += level == 3;
        }
    EXPECT_GT(ink, 0);
    EXPECT_EQ(ztl_color, 3);
    ztl_panel_close(panel);
}

TEST_F(PanelTest, OpaqueTextOverwritesOlderTextCleanly) {
    ztl_panel* panel = ztl_panel_open(nullptr, 0, 0, 64, 32, 0);
    ztl_panel_print(panel, "W", 0);
    ztl_panel_locate(panel, 0, 0);
    ztl_panel_print(panel, "i", 0);
    expect_opaque_char(0, 0, 'W');
    expect_opaque_char(0, 0, 'i');
    expect_screen_equals_reference();
    ztl_panel_close(panel);
}

TEST_F(PanelTest, CloseRestoresTheBackgroundExactly) {
    fill_pattern(&physical_screen, 17);
    std::memcpy(reference->pixels, physical_screen.pixels, 160 * 240);
    ztl_panel* panel = ztl_panel_open(nullptr, 100, 40, 130, 70, 7);
    ztl_panel_clear(panel);
    ztl_panel_print(panel, "成りますか？\n[Yes]/[No]", 0);
    clear_dirty();
    ztl_panel_close(panel);
    expect_screen_equals_reference();
    expect_dirty(100, 40, 229, 109);
}

TEST_F(PanelTest, ClearFillsThePanelAndFramesOnlyWithInsetAndFrameFlags) {
    for (int flags : {0, 1, 6, 7}) {
        ztl_set_color(0);
        ztl_clear();
        ztl_set_color(3);
        ztl_panel* panel = ztl_panel_open(nullptr, 16, 8, 20, 12, flags);
        ztl_panel_set_color(panel, 1);
        ztl_panel_locate(panel, 5, 6);
        ztl_panel_clear(panel);
        std::string expected;
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 20; ++x) {
                bool frame = (flags & 6) == 6 && x >= 2 && x <= 17 && y >= 2 && y <= 9 &&
                             (x == 2 || x == 17 || y == 2 || y == 9);
                expected += frame ? '3' : '1';
            }
            expected += '\n';
        }
        EXPECT_EQ(picture(&physical_screen, 16, 8, 20, 12), expected) << flags;
        EXPECT_EQ(panel->cursor_x, 5);
        EXPECT_EQ(panel->cursor_y, 6);
        EXPECT_EQ(ztl_color, 3);
        EXPECT_EQ(ztl_pget(15, 8), 0);
        EXPECT_EQ(ztl_pget(36, 8), 0);
        ztl_panel_close(panel);
    }
}

TEST_F(PanelTest, PicturesFlowLikeLargeCharacters) {
    ztl_image* pic = ztl_image_new(10, 6, nullptr);
    fill_pattern(pic, 4);
    ztl_set_color(2);
    ztl_fill_rect(0, 0, 64, 64);
    ztl_set_color(3);
    ztl_panel* panel = ztl_panel_open(nullptr, 0, 0, 40, 64, 0);
    ztl_panel_print(panel, "A", 0);
    ztl_panel_put_image(panel, pic, 0, 0, -1, -1, 0);
    // Shorter than the line: its column is first whitened for the line height.
    for (int y = 0; y < 16; ++y)
        for (int x = 8; x < 18; ++x)
            ASSERT_EQ(level_of(&physical_screen, x, y), y < 6 ? level_of(pic, x - 8, y) : 0) << x << "," << y;
    EXPECT_EQ(ztl_pget(18, 0), 2);
    EXPECT_EQ(panel->cursor_x, 18);
    // A width is limited by the text area, not the source: 18 + 30 > 40 wraps.
    ztl_panel_put_image(panel, pic, 0, 0, 30, 6, 0);
    EXPECT_EQ(panel->cursor_x, 30);
    EXPECT_EQ(panel->cursor_y, 16);
    ztl_panel_put_image(panel, pic, 2, 0, -1, -1, 0);  // 8 wide: 30 + 8 fits in 40
    EXPECT_EQ(panel->cursor_x, 38);
    ztl_panel_put_image(panel, pic, 0, 0, -1, -1, 0);  // 38 + 10 > 40: next line, 6 high
    EXPECT_EQ(panel->cursor_x, 10);
    EXPECT_EQ(panel->cursor_y, 22);
    EXPECT_EQ(level_of(&physical_screen, 3, 23), level_of(pic, 3, 1));
    EXPECT_EQ(level_of(&physical_screen, 32, 17), level_of(pic, 4, 1));
    ztl_panel_close(panel);
    ztl_image_free(pic);
}

TEST_F(PanelTest, DirtyRectangleIsInScreenCoordinates) {
    ztl_panel* panel = ztl_panel_open(nullptr, 100, 60, 80, 40, ZTL_PANEL_INSET);
    ztl_panel_print(panel, "A", 0);
    // Cell (0, 0, 8, 16) and glyph cell (1, 0)..(16, 15) of the text area at (104, 64).
    expect_dirty(104, 64, 120, 79);
    EXPECT_EQ(ztl_target, &physical_screen);
    EXPECT_EQ(ztl_target_offset_x, 0);
    EXPECT_EQ(ztl_target_offset_y, 0);
    ztl_panel_close(panel);
}

TEST_F(PanelTest, PanelOnAnotherImageDrawsThereOnly) {
    ztl_image* image = ztl_image_new(64, 32, nullptr);
    ztl_panel* panel = ztl_panel_open(image, 8, 4, 48, 24, 0);
    ztl_panel_print(panel, "A", 0);
    ztl_target_push(reference);
    ztl_draw_char(8, 4, 'A');
    ztl_target_pop();
    EXPECT_EQ(picture(image, 0, 0, 64, 32), picture(reference, 0, 0, 64, 32));
    EXPECT_FALSE(ztl_dirty.non_empty);
    ztl_panel_close(panel);
    ztl_image_free(image);
}

// At a size far beyond the screen every character starts a line, scrolls the
// whole text area away and fills its cell, which covers the area: opaque text
// leaves the area in the panel colour, transparent text leaves it white. Only
// the rows on the screen cost time, so a few hundred characters are instant.
TEST_F(PanelTest, HugeSizesPrintOnlyWhatLiesOnTheScreenAndQuickly) {
    for (int size : {100000, 1000000000, INT_MAX})
        for (int transparent : {0, 1}) {
            fill_pattern(&physical_screen, 3);
            std::memcpy(reference->pixels, physical_screen.pixels, 160 * 240);
            ztl_target_push(reference);
            ztl_set_color(transparent ? 0 : 2);
            ztl_fill_rect(12, 8, 96, 40);
            ztl_set_color(3);
            ztl_target_pop();
            ztl_set_font(size, ZTL_FONT_BOLD | ZTL_FONT_SLANT);
            ztl_panel* panel = ztl_panel_open(nullptr, 8, 4, 104, 48, ZTL_PANEL_INSET);
            ztl_panel_set_color(panel, 2);
            double start = seconds_now();
            for (int i = 0; i < 100; ++i) ztl_panel_print(panel, "金A", transparent);
            EXPECT_LT(seconds_now() - start, 2.0) << size;
            expect_screen_equals_reference();
            EXPECT_EQ(panel->cursor_y, 40 - size);
            ztl_panel_close(panel);
        }
}

TEST_F(PanelTest, FailedAllocationsAtOpen) {
    ztl_fail_next_allocations(1);
    ztl_panel* none = ztl_panel_open(nullptr, 0, 0, 32, 32, 1);
    EXPECT_EQ(none, nullptr);
    // Callers that never check the open go on without a crash.
    ztl_panel_clear(none);
    ztl_panel_print(none, "A", 0);
    ztl_panel_locate(none, 1, 1);
    ztl_panel_set_color(none, 2);
    ztl_panel_put_image(none, reference, 0, 0, 4, 4, 0);
    ztl_panel_close(none);
    // No memory for the background (its record, or its pixels): the panel
    // works and its close has nothing to put back.
    for (int skip : {1, 2}) {
        ztl_set_color(0);
        ztl_clear();
        ztl_set_color(3);
        ztl_fail_allocations(skip, 1);
        ztl_panel* panel = ztl_panel_open(nullptr, 0, 0, 32, 32, 1);
        ztl_fail_next_allocations(0);
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->saved, nullptr);
        ztl_panel_print(panel, "A", 1);
        ztl_panel_close(panel);
        expect_char(0, 0, 'A');
        expect_screen_equals_reference();
    }
}

}  // namespace
