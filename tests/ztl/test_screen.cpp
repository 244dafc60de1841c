// Screen model: start-up state, the dirty rectangle, the refresh's rectangle
// rules and level conversion, the target stack and its offset.
#include <algorithm>
#include <random>
#include <vector>

#include "ztl_test_support.h"

namespace {

class ScreenTest : public ZtlTest {};

int window_at(int x, int y) { return ztl_window_image[y * ZTL_SCREEN_WIDTH + x]; }

TEST_F(ScreenTest, InitGivesAWhiteScreenAndWindowAndBlackColour) {
    ztl_set_color(1);
    ztl_fill_rect(0, 0, 640, 240);
    ztl_refresh();
    ztl_headless_reset();
    ASSERT_EQ(ztl_init(), 1);
    for (int i = 0; i < 160 * 240; ++i) ASSERT_EQ(physical_screen.pixels[i], 0);
    for (int i = 0; i < 640 * 240; ++i) ASSERT_EQ(ztl_window_image[i], 255);
    EXPECT_EQ(physical_screen.width, 640);
    EXPECT_EQ(physical_screen.height, 240);
    EXPECT_EQ(physical_screen.bytes_per_line, 160);
    EXPECT_EQ(physical_screen.flags, 0u);
    EXPECT_EQ(ztl_color, 3);
    EXPECT_TRUE(ztl_initialised);
    EXPECT_EQ(ztl_headless_window_width(), 640);
    EXPECT_EQ(ztl_headless_window_height(), 240);
    EXPECT_EQ(ztl_headless_window_title(), "ZTL for Win32");
    auto rects = ztl_headless_invalidated();
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].right, 640);
    EXPECT_EQ(rects[0].bottom, 240);
}

TEST_F(ScreenTest, LevelsConvertToIntensities) {
    for (int level = 0; level < 4; ++level) {
        ztl_set_color(level);
        ztl_pset(level, 0);
    }
    ztl_refresh();
    EXPECT_EQ(window_at(0, 0), 255);
    EXPECT_EQ(window_at(1, 0), 170);
    EXPECT_EQ(window_at(2, 0), 85);
    EXPECT_EQ(window_at(3, 0), 0);
}

TEST_F(ScreenTest, BottomRightPixelIsConvertedAndNothingOutside) {
    ztl_pset(639, 239);
    ztl_refresh();
    EXPECT_EQ(window_at(639, 239), 0);
    auto rects = ztl_headless_invalidated();
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].left, 638);
    EXPECT_EQ(rects[0].top, 238);
    EXPECT_EQ(rects[0].right, 640);
    EXPECT_EQ(rects[0].bottom, 240);
    EXPECT_FALSE(ztl_dirty.non_empty);
}

TEST_F(ScreenTest, RefreshConvertsOnePixelBeyondTheRectangleByWholeGroups) {
    // Written behind the library's back: only the refresh margin shows them.
    set_level(&physical_screen, 11, 11, 3);  // in the margin row, same group
    set_level(&physical_screen, 12, 10, 3);  // next group: beyond the margin
    set_level(&physical_screen, 8, 12, 3);   // two rows below: beyond
    ztl_set_color(2);
    ztl_pset(10, 10);
    ztl_refresh();
    EXPECT_EQ(window_at(10, 10), 85);
    EXPECT_EQ(window_at(11, 11), 0);
    EXPECT_EQ(window_at(12, 10), 255);
    EXPECT_EQ(window_at(8, 12), 255);
    auto rects = ztl_headless_invalidated();
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].left, 9);
    EXPECT_EQ(rects[0].right, 11);
}

TEST_F(ScreenTest, EmptyRefreshRepaintsNothing) {
    ztl_refresh();
    EXPECT_TRUE(ztl_headless_invalidated().empty());
}

TEST_F(ScreenTest, LineFromOffScreenToOffScreenIsStillRepainted) {
    ztl_line(-20, -5, 700, 300);
    ztl_refresh();
    auto rects = ztl_headless_invalidated();
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].left, 0);
    EXPECT_EQ(rects[0].top, 0);
    EXPECT_EQ(rects[0].right, 640);
    EXPECT_EQ(rects[0].bottom, 240);
}

TEST_F(ScreenTest, DrawingIntoAnotherImageLeavesTheDirtyRectangleAlone) {
    ztl_image* image = ztl_image_new(640, 240, nullptr);
    ztl_target_push(image);
    ztl_fill_rect(0, 0, 100, 100);
    ztl_line(0, 0, 50, 50);
    ztl_clear();
    ztl_target_pop();
    EXPECT_FALSE(ztl_dirty.non_empty);
    ztl_refresh();
    EXPECT_TRUE(ztl_headless_invalidated().empty());
    ztl_image_free(image);
}

TEST_F(ScreenTest, ViewsOfTheScreenMarkInScreenCoordinatesThroughTheOffset) {
    ztl_image view;
    ztl_image_view(&physical_screen, 100, 50, 40, 20, &view);
    ztl_target_push(&view);
    ztl_target_offset_x = 100;
    ztl_target_offset_y = 50;
    ztl_pset(3, 4);
    ztl_target_offset_x = ztl_target_offset_y = 0;
    ztl_target_pop();
    expect_dirty(102, 53, 103, 54);
    EXPECT_EQ(level_of(&physical_screen, 103, 54), 3);
}

TEST_F(ScreenTest, TargetStackRestoresInOrderAndSurvivesMisuse) {
    ztl_image* a = ztl_image_new(8, 8, nullptr);
    ztl_image* b = ztl_image_new(8, 8, nullptr);
    ztl_target_push(a);
    ztl_target_push(b);
    EXPECT_EQ(ztl_target, b);
    ztl_target_pop();
    EXPECT_EQ(ztl_target, a);
    ztl_target_pop();
    EXPECT_EQ(ztl_target, &physical_screen);
    ztl_target_pop();  // one pop too many keeps the screen
    EXPECT_EQ(ztl_target, &physical_screen);
    for (int i = 0; i < 40; ++i) ztl_target_push(a);  // past the 32 entries
    for (int i = 0; i < 40; ++i) ztl_target_pop();
    EXPECT_EQ(ztl_target, &physical_screen);
    ztl_image_free(a);
    ztl_image_free(b);
}

// Random runs of paired pushes and pops, deeper than the stack at times: each
// pop gives back the target from before its push, and a push onto the full
// stack leaves the current target, which is also where drawing then goes.
TEST_F(ScreenTest, PushesBeyondTheStackKeepTheTargetAndEveryPopMatchesItsPush) {
    std::vector<ztl_image*> images;
    for (int i = 0; i < 8; ++i) images.push_back(ztl_image_new(8, 8, nullptr));
    std::mt19937 gen(2024);
    std::vector<ztl_image*> before_push;
    int deepest = 0;
    for (int step = 0; step < 4000; ++step) {
        bool push = before_push.empty() || (before_push.size() < 45 && gen() % 2 == 0);
        if (push) {
            ztl_image* image = images[gen() % images.size()];
            bool room = before_push.size() < ZTL_TARGET_STACK_SIZE;
            before_push.push_back(ztl_target);
            ztl_target_push(image);
            ASSERT_EQ(ztl_target, room ? image : before_push.back()) << "push " << before_push.size();
            deepest = std::max(deepest, static_cast<int>(before_push.size()));
        } else {
            ztl_target_pop();
            ASSERT_EQ(ztl_target, before_push.back()) << "pop " << before_push.size();
            before_push.pop_back();
        }
    }
    EXPECT_GT(deepest, ZTL_TARGET_STACK_SIZE + 2);
    while (!before_push.empty()) {
        ztl_target_pop();
        before_push.pop_back();
    }
    EXPECT_EQ(ztl_target, &physical_screen);

    for (int i = 0; i <= ZTL_TARGET_STACK_SIZE; ++i) ztl_target_push(images[i == ZTL_TARGET_STACK_SIZE]);
    ztl_pset(2, 3);
    ztl_target_pop();
    ztl_pset(4, 5);
    EXPECT_EQ(level_of(images[0], 2, 3), 3);  // the one push too many drew on the old target
    EXPECT_EQ(level_of(images[0], 4, 5), 3);  // and its pop kept it
    EXPECT_EQ(level_of(images[1], 2, 3) + level_of(images[1], 4, 5), 0);
    for (int i = 0; i < ZTL_TARGET_STACK_SIZE; ++i) ztl_target_pop();
    EXPECT_EQ(ztl_target, &physical_screen);
    for (ztl_image* image : images) ztl_image_free(image);
}

TEST_F(ScreenTest, InvertedScreenRectangleIgnoresThePushedTarget) {
    ztl_image* image = ztl_image_new(16, 16, nullptr);
    ztl_target_push(image);
    ztl_set_color(1);
    {
        std::lock_guard lock(ztl_mutex);
        ztl_invert_screen_rect_held(4, 4, 2, 1);
    }
    EXPECT_EQ(ztl_target, image);
    EXPECT_EQ(ztl_color, 1);
    ztl_target_pop();
    EXPECT_EQ(level_of(&physical_screen, 4, 4), 3);
    EXPECT_EQ(level_of(&physical_screen, 5, 4), 3);
    EXPECT_EQ(level_of(image, 4, 4), 0);
    EXPECT_EQ(window_at(5, 4), 0);  // refreshed at once
    ztl_image_free(image);
}

}  // namespace
