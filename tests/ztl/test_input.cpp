// Keys, the input queue and pen areas, driven through the headless backend the
// way the window thread delivers events.
#include <gtest/gtest.h>

#include "input_test_support.h"

namespace {

class Input : public InputTest {
protected:
    static ztl_area* attached(ztl_area* parent, ztl_area* area) {
        ztl_area_attach(parent, area);
        return area;
    }

    static ztl_area* button(int x, int y, int w, int h, int code) {
        return attached(nullptr, ztl_area_new(x, y, w, h, code));
    }

    static ztl_area* pad(int x, int y, int w, int h, int down, int drag, int up) {
        return attached(nullptr, ztl_area_new_codes(x, y, w, h, down, drag, up));
    }
};

int queued_entries() {
    std::lock_guard lock(ztl_mutex);
    return ztl_queue_count_held();
}

// --- queue ------------------------------------------------------------------

TEST_F(Input, QueueKeepsNinetyNineEntriesInOrderAndDropsTheHundredth) {
    for (int i = 1; i <= 100; ++i) {
        unsigned char byte = static_cast<unsigned char>(i);
        ztl_event_chars(&byte, 1, 0);
    }
    EXPECT_EQ(queued_entries(), ZTL_QUEUE_SIZE);
    std::vector<int> codes = drain();
    ASSERT_EQ(codes.size(), 99u);
    for (int i = 0; i < 99; ++i) EXPECT_EQ(codes[i], i + 1);
    // The ring wraps: the queue works again after being full.
    ztl_headless_type("xy");
    EXPECT_EQ(drain(), (std::vector<int>{'x', 'y'}));
}

TEST_F(Input, PenEventIsThreeEntriesAndSetsThePenPositionInWindowPixels) {
    ztl_area* parent = pad(100, 50, 200, 100, ZTL_NO_CODE, ZTL_NO_CODE, ZTL_NO_CODE);
    attached(parent, ztl_area_new_codes(10, 10, 20, 20, 0x301, ZTL_NO_CODE, ZTL_NO_CODE));
    ztl_headless_pen_down(115, 65);
    EXPECT_EQ(queued_entries(), 3);
    EXPECT_EQ(ztl_get_key(0), 0x301);
    EXPECT_EQ(ztl_pen_x, 115);
    EXPECT_EQ(ztl_pen_y, 65);
    ztl_headless_pen_up(115, 65);
}

TEST_F(Input, PenEventWhoseCodeIsLostLendsItsPositionToTheNextCode) {
    for (int i = 0; i < 97; ++i) ztl_headless_type("k");
    pad(0, 0, 640, 240, 0x201, ZTL_NO_CODE, ZTL_NO_CODE);
    ztl_headless_pen_down(33, 44);  // -x and -y fit, the code does not
    EXPECT_EQ(queued_entries(), 99);
    EXPECT_EQ(drain().size(), 97u);
    ztl_headless_type("z");
    EXPECT_EQ(ztl_get_key(0), 'z');
    EXPECT_EQ(ztl_pen_x, 33);
    EXPECT_EQ(ztl_pen_y, 44);
}

TEST_F(Input, PositionsLeftOfTheWindowNeverReadAsCodes) {
    pad(0, 0, 100, 100, 0x201, 0x203, 0x202);
    ztl_headless_pen_down(10, 10);
    ztl_headless_pen_move(-5, 20);  // captured: outside, and ignored as a move
    ztl_headless_pen_up(-5, -7);
    EXPECT_EQ(drain(), (std::vector<int>{0x201, 0x202}));
    EXPECT_EQ(ztl_pen_x, 65536 - 5);
    EXPECT_EQ(ztl_pen_y, 65536 - 7);
}

TEST_F(Input, InitEmptiesTheQueueAndPutsThePenAtTheOriginUnderAFullScreenRoot) {
    ztl_area* screen = pad(0, 0, 640, 240, 0x201, ZTL_NO_CODE, ZTL_NO_CODE);
    ztl_headless_tap(30, 40);
    EXPECT_EQ(ztl_get_key(0), 0x201);
    ztl_headless_type("ab");
    ztl_init();
    EXPECT_EQ(ztl_pen_x, 0);
    EXPECT_EQ(ztl_pen_y, 0);
    EXPECT_EQ(queued_entries(), 0);
    const ztl_area& root = *ztl_root_area;
    EXPECT_EQ((std::vector<int>{root.x, root.y, root.w, root.h, root.down_code, root.drag_code, root.up_code}),
              (std::vector<int>{0, 0, 640, 240, ZTL_NO_CODE, ZTL_NO_CODE, ZTL_NO_CODE}));
    ztl_area_remove(screen, 1);  // the second start let go of it, the test did not
}

// --- keys ---------------------------------------------------------------------

TEST_F(Input, SpecialKeysAreScanCodeTimes256WithShiftAndCtrlLowBytes) {
    struct {
        int virtual_key, code;
    } keys[] = {{ZTL_VK_CONVERT, 0x7900},   {ZTL_VK_NONCONVERT, 0x7B00}, {ZTL_VK_PAGE_UP, 0x4900},
                {ZTL_VK_PAGE_DOWN, 0x5100}, {ZTL_VK_END, 0x4F00},        {ZTL_VK_HOME, 0x4700},
                {ZTL_VK_LEFT, 0x4B00},      {ZTL_VK_UP, 0x4800},         {ZTL_VK_RIGHT, 0x4D00},
                {ZTL_VK_DOWN, 0x5000},      {ZTL_VK_INSERT, 0x5200},     {ZTL_VK_DELETE, 0x5300},
                {ZTL_VK_F1, 0x3B00},        {0x75, 0x4000},              {ZTL_VK_F10, 0x4400}};
    for (auto key : keys) {
        SCOPED_TRACE(key.virtual_key);
        EXPECT_EQ(ztl_headless_key(key.virtual_key), 1);
        EXPECT_EQ(ztl_headless_key(key.virtual_key, 1, 0), 1);
        EXPECT_EQ(ztl_headless_key(key.virtual_key, 0, 1), 1);
        EXPECT_EQ(ztl_headless_key(key.virtual_key, 1, 1), 1);
        EXPECT_EQ(drain(), (std::vector<int>{key.code, key.code | 0x0F, key.code | 0xF0,
                                             key.code | 0xFF}));
    }
    EXPECT_EQ(ZTL_KEY_LEFT | ZTL_KEY_SHIFT, 0x4B0F);
}

TEST_F(Input, OtherKeyPressesQueueNothing) {
    for (int virtual_key : {0x08, 0x0D, 0x1B, 0x20, 0x41, 0x6F, 0x7A, 0x7B})
        EXPECT_EQ(ztl_headless_key(virtual_key, 1, 1), 0) << virtual_key;
    EXPECT_EQ(queued_entries(), 0);
}

TEST_F(Input, CharactersAreShiftJisBytesAndShiftTabIsItsOwnCode) {
    ztl_headless_type("a\t\b\r\x1b\x01");
    EXPECT_EQ(drain(), (std::vector<int>{'a', 0x09, 0x08, 0x0D, 0x1B, 0x01}));
    ztl_headless_type("\t", 1);
    ztl_headless_type("A", 1);
    EXPECT_EQ(drain(), (std::vector<int>{ZTL_KEY_SHIFT_TAB, 'A'}));
    ztl_headless_type("歩ｱ");  // a double-byte character, then a half-width kana
    EXPECT_EQ(drain(), (std::vector<int>{0x95, 0xE0, 0xB1}));
}

TEST_F(Input, NulCharacterIsNotQueued) {
    const unsigned char nul_then_b[] = {0, 'b'};
    ztl_event_chars(nul_then_b, 2, 0);
    EXPECT_EQ(drain(), (std::vector<int>{'b'}));
}

// --- hit test -------------------------------------------------------------------

TEST_F(Input, MostRecentlyAttachedAreaIsHitFirst) {
    pad(0, 0, 100, 100, 0x301, ZTL_NO_CODE, ZTL_NO_CODE);
    pad(50, 50, 100, 100, 0x302, ZTL_NO_CODE, ZTL_NO_CODE);
    ztl_headless_tap(60, 60);
    ztl_headless_tap(10, 10);
    ztl_headless_tap(140, 140);
    ztl_headless_tap(300, 200);  // inside the window, in no area: ignored
    EXPECT_EQ(drain(), (std::vector<int>{0x302, 0x301, 0x302}));
}

TEST_F(Input, ChildrenAreHitBeforeTheirParentRelativeToItsCorner) {
    ztl_area* parent = pad(100, 100, 200, 100, 0x301, ZTL_NO_CODE, ZTL_NO_CODE);
    attached(parent, ztl_area_new_codes(10, 10, 20, 20, 0x302, ZTL_NO_CODE, ZTL_NO_CODE));
    ztl_headless_tap(115, 115);  // in the child
    ztl_headless_tap(105, 105);  // in the parent only
    ztl_headless_tap(15, 15);    // where the child would be without its parent's offset
    EXPECT_EQ(drain(), (std::vector<int>{0x302, 0x301}));
}

TEST_F(Input, AreaWithOnlyADragCodeIsNeverHitButItsChildrenAre) {
    pad(0, 0, 640, 240, 0x301, ZTL_NO_CODE, ZTL_NO_CODE);
    ztl_area* drag_only = pad(0, 0, 640, 240, ZTL_NO_CODE, 0x303, ZTL_NO_CODE);
    attached(drag_only, ztl_area_new_codes(200, 0, 10, 10, 0x302, ZTL_NO_CODE, ZTL_NO_CODE));
    ztl_headless_pen_down(5, 5);
    ztl_headless_pen_move(6, 6);  // the drag-only area is not hit, the one below has no drag
    ztl_headless_pen_up(6, 6);
    ztl_headless_tap(205, 5);
    EXPECT_EQ(drain(), (std::vector<int>{0x301, 0x302}));
}

TEST_F(Input, FullScreenPadReportsDownDragUpAndIgnoresMovesWithThePenUp) {
    pad(0, 0, 640, 240, 0x201, 0x203, 0x202);
    ztl_headless_pen_move(10, 10);
    EXPECT_EQ(queued_entries(), 0);
    ztl_headless_pen_down(10, 10);
    ztl_headless_pen_move(20, 30);
    ztl_headless_pen_move(700, 30);  // beyond the window: ignored
    ztl_headless_pen_up(25, 35);
    EXPECT_EQ(ztl_get_key(0), 0x201);
    EXPECT_EQ(ztl_get_key(0), 0x203);
    EXPECT_EQ(ztl_pen_x, 20);
    EXPECT_EQ(ztl_pen_y, 30);
    EXPECT_EQ(ztl_get_key(0), 0x202);
    EXPECT_EQ(ztl_pen_x, 25);
    EXPECT_EQ(ztl_pen_y, 35);
    EXPECT_FALSE(ztl_pen_is_down());
}

TEST_F(Input, ReleaseOutsideTheWindowUsesTheLastHitArea) {
    pad(0, 0, 50, 50, ZTL_NO_CODE, ZTL_NO_CODE, 0x302);
    pad(600, 200, 40, 40, 0x301, ZTL_NO_CODE, 0x304);
    ztl_headless_pen_down(620, 220);
    ztl_headless_pen_up(700, 300);  // captured release outside: the last hit area's up code
    EXPECT_EQ(drain(), (std::vector<int>{0x301, 0x304}));
    EXPECT_EQ(ztl_pen_x, 700);
    EXPECT_EQ(ztl_pen_y, 300);
}

// --- release-only buttons ----------------------------------------------------------

TEST_F(Input, PressedButtonIsInvertedAndTheInversionFollowsThePen) {
    ztl_area* first = button(0, 0, 20, 20, 0x301);
    ztl_area* second = button(100, 0, 20, 20, 0x302);
    ztl_headless_pen_down(5, 5);
    EXPECT_EQ(queued_entries(), 0);
    EXPECT_EQ(ztl_pressed_area(), first);
    EXPECT_EQ(ztl_headless_screen_level(0, 0), 3);
    EXPECT_EQ(ztl_headless_screen_level(19, 19), 3);
    EXPECT_EQ(ztl_headless_screen_level(20, 20), 0);
    EXPECT_EQ(ztl_headless_window_intensity(10, 10), 0);  // refreshed at once

    ztl_headless_pen_move(110, 10);
    EXPECT_EQ(ztl_pressed_area(), second);
    EXPECT_EQ(ztl_headless_screen_level(10, 10), 0);
    EXPECT_EQ(ztl_headless_screen_level(110, 10), 3);

    ztl_headless_pen_up(111, 12);
    EXPECT_EQ(ztl_pressed_area(), nullptr);
    EXPECT_EQ(ztl_headless_screen_level(110, 10), 0);
    EXPECT_EQ(ztl_get_key(0), 0x302);
    EXPECT_EQ(ztl_pen_x, 111);
    EXPECT_EQ(ztl_pen_y, 12);
    EXPECT_EQ(ztl_get_key(0), -1);
}

TEST_F(Input, ButtonInsideAPadInvertsWhileThePadReportsElsewhere) {
    ztl_area* screen = pad(0, 0, 640, 240, 0x201, 0x203, 0x202);
    ztl_area* child = attached(screen, ztl_area_new(300, 100, 40, 20, 0x310));
    ztl_headless_pen_down(310, 110);
    EXPECT_EQ(queued_entries(), 0);
    EXPECT_EQ(ztl_pressed_area(), child);
    ztl_headless_pen_up(310, 110);
    EXPECT_EQ(drain(), (std::vector<int>{0x310}));

    ztl_headless_pen_down(10, 200);
    EXPECT_EQ(ztl_get_key(0), 0x201);
    EXPECT_EQ(ztl_pen_x, 10);
    EXPECT_EQ(ztl_pen_y, 200);
    EXPECT_EQ(ztl_pressed_area(), nullptr);
    ztl_headless_pen_up(10, 200);
}

TEST_F(Input, ReleaseAwayFromThePressedButtonRestoresTheScreen) {
    pad(0, 0, 640, 240, 0x201, 0x203, 0x202);
    button(0, 0, 20, 20, 0x301);
    button(100, 0, 20, 20, 0x302);
    ztl_headless_pen_down(5, 5);
    ztl_headless_pen_move(300, 100);  // onto the pad: the button stays pressed
    EXPECT_EQ(ztl_headless_screen_level(5, 5), 3);
    ztl_headless_pen_up(300, 100);
    EXPECT_EQ(ztl_headless_screen_level(5, 5), 0);
    EXPECT_EQ(drain(), (std::vector<int>{0x203, 0x202}));
    // The next press inverts its own button and no other.
    ztl_headless_tap(105, 5);
    EXPECT_EQ(ztl_headless_screen_level(5, 5), 0);
    EXPECT_EQ(ztl_headless_screen_level(105, 5), 0);
    EXPECT_EQ(drain(), (std::vector<int>{0x302}));
}

TEST_F(Input, InversionOfANestedButtonUsesItsAbsoluteRectangle) {
    ztl_area* frame = pad(200, 100, 100, 100, ZTL_NO_CODE, ZTL_NO_CODE, ZTL_NO_CODE);
    attached(frame, ztl_area_new(8, 4, 4, 2, 0x301));
    ztl_headless_pen_down(209, 105);
    EXPECT_EQ(ztl_headless_screen_level(208, 104), 3);
    EXPECT_EQ(ztl_headless_screen_level(211, 105), 3);
    EXPECT_EQ(ztl_headless_screen_level(212, 105), 0);
    EXPECT_EQ(ztl_headless_screen_level(8, 4), 0);
    ztl_headless_pen_up(209, 105);
}

// --- attach and remove ----------------------------------------------------------------

TEST_F(Input, RemovedAreasAreNotHitAndDetachedOnesKeepTheirChildren) {
    ztl_area* parent = pad(0, 0, 100, 100, ZTL_NO_CODE, ZTL_NO_CODE, ZTL_NO_CODE);
    ztl_area* child = attached(parent, ztl_area_new_codes(0, 0, 10, 10, 0x301, ZTL_NO_CODE, ZTL_NO_CODE));
    ztl_area_remove(parent, 0);
    EXPECT_EQ(parent->parent, nullptr);
    EXPECT_EQ(parent->first_child, child);
    ztl_headless_tap(5, 5);
    EXPECT_EQ(queued_entries(), 0);
    ztl_area_attach(nullptr, parent);
    ztl_headless_tap(5, 5);
    EXPECT_EQ(drain(), (std::vector<int>{0x301}));
}

TEST_F(Input, RemoveKeepsTheSiblingList) {
    ztl_area* a = button(0, 0, 10, 10, 0x301);
    ztl_area* b = button(20, 0, 10, 10, 0x302);
    ztl_area* c = button(40, 0, 10, 10, 0x303);
    ztl_area_remove(b, 0);
    EXPECT_EQ(ztl_root_area->first_child, c);
    EXPECT_EQ(c->next_sibling, a);
    EXPECT_EQ(a->next_sibling, nullptr);
    EXPECT_EQ(b->next_sibling, nullptr);
    // An area whose parent does not list it leaves that list alone.
    b->parent = ztl_root_area;
    ztl_area_remove(b, 1);
    EXPECT_EQ(ztl_root_area->first_child, c);
    EXPECT_EQ(c->next_sibling, a);
}

TEST_F(Input, FreedRecordsAreReusedChildrenIncluded) {
    ztl_area* parent = pad(0, 0, 100, 100, ZTL_NO_CODE, ZTL_NO_CODE, ZTL_NO_CODE);
    ztl_area* kid1 = attached(parent, ztl_area_new(0, 0, 10, 10, 0x301));
    ztl_area* kid2 = attached(parent, ztl_area_new(20, 0, 10, 10, 0x302));
    ztl_area_remove(parent, 1);
    std::vector<ztl_area*> reused = {ztl_area_new(1, 2, 3, 4, 0x305), ztl_area_new(0, 0, 1, 1, 1),
                                     ztl_area_new(0, 0, 1, 1, 1)};
    // Depth first: the children went onto the free list before their parent.
    EXPECT_EQ(reused[0], parent);
    EXPECT_EQ(reused[1], kid1);
    EXPECT_EQ(reused[2], kid2);
    EXPECT_EQ(reused[0]->first_child, nullptr);
    EXPECT_EQ(reused[0]->up_code, 0x305);
    EXPECT_EQ(reused[0]->down_code, ZTL_NO_CODE);
    for (ztl_area* area : reused) ztl_area_remove(area, 1);
}

TEST_F(Input, AttachingTwiceMovesTheAreaInsteadOfLinkingItTwice) {
    ztl_area* first = pad(0, 0, 10, 10, ZTL_NO_CODE, ZTL_NO_CODE, ZTL_NO_CODE);
    ztl_area* second = pad(100, 0, 10, 10, ZTL_NO_CODE, ZTL_NO_CODE, ZTL_NO_CODE);
    ztl_area* moving = attached(first, ztl_area_new_codes(0, 0, 5, 5, 0x301, ZTL_NO_CODE, ZTL_NO_CODE));
    ztl_area_attach(second, moving);
    EXPECT_EQ(first->first_child, nullptr);
    EXPECT_EQ(second->first_child, moving);
    ztl_headless_tap(2, 2);
    ztl_headless_tap(102, 2);
    EXPECT_EQ(drain(), (std::vector<int>{0x301}));
}

TEST_F(Input, AnAreaIsNeverAttachedBelowItself) {
    ztl_area* top = pad(0, 0, 100, 100, ZTL_NO_CODE, ZTL_NO_CODE, ZTL_NO_CODE);
    ztl_area* below = attached(top, ztl_area_new_codes(0, 0, 10, 10, 0x301, ZTL_NO_CODE, ZTL_NO_CODE));
    ztl_area_attach(below, top);
    ztl_area_attach(top, top);
    EXPECT_EQ(top->parent, ztl_root_area);
    EXPECT_EQ(top->first_child, below);
    ztl_headless_tap(5, 5);  // the hit test still ends
    EXPECT_EQ(drain(), (std::vector<int>{0x301}));
}

TEST_F(Input, RemovingThePressedButtonTakesItsInversionAway) {
    ztl_area* pressed = button(0, 0, 20, 20, 0x301);
    ztl_headless_pen_down(5, 5);
    ASSERT_EQ(ztl_headless_screen_level(5, 5), 3);
    ztl_area_remove(pressed, 1);
    EXPECT_EQ(ztl_headless_screen_level(5, 5), 0);
    EXPECT_EQ(ztl_pressed_area(), nullptr);
    // The freed record is no last hit area either: a captured release reports nothing.
    ztl_headless_pen_up(700, 5);
    EXPECT_EQ(queued_entries(), 0);
}

TEST_F(Input, AreaCreationReportsMemoryRunningOut) {
    std::vector<ztl_area*> made;
    ztl_fail_next_allocations(1);
    ztl_area* area = nullptr;
    // Records on the free list are handed out without asking for memory.
    for (int i = 0; i < 10000 && (area = ztl_area_new_codes(0, 0, 1, 1, 1, 1, 1)) != nullptr; ++i)
        made.push_back(area);
    EXPECT_EQ(area, nullptr);
    made.push_back(ztl_area_new(0, 0, 1, 1, 1));
    EXPECT_NE(made.back(), nullptr);  // only the one allocation failed
    for (ztl_area* a : made) ztl_area_remove(a, 1);
}

// --- input method ---------------------------------------------------------------------

TEST_F(Input, WithoutAnInputMethodTheSwitchDoesNothingAndItReportsClosed) {
    EXPECT_EQ(ztl_ime_is_open(), 0);
    ztl_ime_toggle();
    EXPECT_EQ(ztl_ime_is_open(), 0);
}

}  // namespace
