// The desktop frame of ztl_desktop.h in the headless backend: menu codes go to
// the handler and never to ztl_get_key's caller, waits keep their deadline,
// questions take scripted answers, settings are remembered, and texts handed
// back are cut to the caller's buffer without splitting a character.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "input_test_support.h"
#include "ztl_desktop.h"

namespace {

using clock_type = std::chrono::steady_clock;
constexpr int VIEW = ZTL_MENU_CODE_BASE + 1;
constexpr int LEVEL = ZTL_MENU_CODE_BASE + 2;

std::vector<int> handled;
bool mutex_was_free = true;

void record_menu_code(int code) {
    // The handler runs outside the library mutex: it may draw.
    if (ztl_mutex.try_lock())
        ztl_mutex.unlock();
    else
        mutex_was_free = false;
    handled.push_back(code);
}

class Desktop : public InputTest {
protected:
    void SetUp() override {
        InputTest::SetUp();
        ztl_headless_desktop_reset();
        handled.clear();
        mutex_was_free = true;
        ztl_menu_handler(record_menu_code);
        ASSERT_EQ(ztl_menu_add("\x95\x5c\x8e\xa6", "x2", VIEW), 1);  // "表示"
        ASSERT_EQ(ztl_menu_add("Level", "gentle", LEVEL), 1);
    }
    void TearDown() override {
        ztl_menu_handler(nullptr);
        ztl_headless_desktop_reset();
        InputTest::TearDown();
    }
};

struct QueueCase {
    const char* name;
    void (*queue)();
    int timeout;
    int expected_code;
    std::vector<int> expected_handled;
};

TEST_F(Desktop, MenuCodesReachTheHandlerNeverTheCaller) {
    const QueueCase cases[] = {
        {"menu then key", [] { ztl_headless_choose_menu(VIEW), ztl_headless_type("a"); }, -1, 'a', {VIEW}},
        {"menu only, poll", [] { ztl_headless_choose_menu(LEVEL); }, 0, -1, {LEVEL}},
        {"menu only, short wait", [] { ztl_headless_choose_menu(VIEW); }, 1, -1, {VIEW}},
        {"two menus then key",
         [] { ztl_headless_choose_menu(VIEW), ztl_headless_choose_menu(LEVEL), ztl_headless_type("b"); },
         0, 'b', {VIEW, LEVEL}},
        {"key before menu", [] { ztl_headless_type("c"), ztl_headless_choose_menu(VIEW); }, 0, 'c', {}},
        {"unknown code is not queued", [] { EXPECT_EQ(ztl_headless_choose_menu(VIEW + 99), 0); }, 0, -1, {}},
    };
    for (const QueueCase& c : cases) {
        SCOPED_TRACE(c.name);
        handled.clear();
        c.queue();
        EXPECT_EQ(ztl_get_key(c.timeout), c.expected_code);
        EXPECT_EQ(handled, c.expected_handled);
        drain();
    }
    EXPECT_TRUE(mutex_was_free);
}

TEST_F(Desktop, WithoutAHandlerMenuCodesAreDropped) {
    ztl_menu_handler(nullptr);
    ztl_headless_choose_menu(VIEW);
    ztl_headless_type("k");
    EXPECT_EQ(ztl_get_key(0), 'k');
    EXPECT_EQ(ztl_get_key(0), -1);
    EXPECT_TRUE(handled.empty());
}

// A menu chosen during a timed wait does not end it early and does not
// lengthen it: the caller still gets -1 at the original deadline.
TEST_F(Desktop, TimedWaitKeepsItsDeadlineAcrossMenuCodes) {
    std::thread window_thread([] {
        ASSERT_EQ(ztl_headless_wait_for_sleeper(5000), 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ztl_headless_choose_menu(VIEW);
    });
    auto start = clock_type::now();
    EXPECT_EQ(ztl_get_key(5), -1);
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(clock_type::now() - start).count();
    window_thread.join();
    EXPECT_EQ(handled, std::vector<int>{VIEW});
    EXPECT_GE(waited, 495);
    EXPECT_LT(waited, 1000);
}

TEST_F(Desktop, EndlessWaitGoesOnAfterAMenuCode) {
    std::thread window_thread([] {
        ASSERT_EQ(ztl_headless_wait_for_sleeper(5000), 1);
        ztl_headless_choose_menu(LEVEL);
        // The application handles it and sleeps again, waiting for a key.
        ASSERT_EQ(ztl_headless_wait_for_idle(5000), 1);
        ztl_headless_type("z");
    });
    EXPECT_EQ(ztl_get_key(-1), 'z');
    window_thread.join();
    EXPECT_EQ(handled, std::vector<int>{LEVEL});
}

TEST_F(Desktop, MenusAreListedAndCheckedByCode) {
    EXPECT_EQ(ztl_menu_add("Level", "bad", ZTL_MENU_CODE_BASE - 1), 0);
    EXPECT_EQ(ztl_menu_add(nullptr, "bad", LEVEL + 1), 0);
    ztl_menu_check(LEVEL, 1);
    ztl_menu_check(VIEW + 99, 1);  // no such item: nothing happens
    std::vector<ztl_headless_menu_item> items = ztl_headless_menu_items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].menu, "\x95\x5c\x8e\xa6");
    EXPECT_EQ(items[0].checked, 0);
    EXPECT_EQ(items[1].item, "gentle");
    EXPECT_EQ(items[1].checked, 1);
    ztl_menu_check(LEVEL, 0);
    EXPECT_EQ(ztl_headless_menu_items()[1].checked, 0);
}

TEST_F(Desktop, QuestionsTakeScriptedAnswersAndCancelLeavesTheProposal) {
    char path[16];
    char text[8] = "host:1";
    ztl_headless_answer_next(1, "/tmp/engine");
    ztl_headless_answer_next(1, "/a/path/longer/than/sixteen");
    ztl_headless_answer_next(0, "");
    ztl_headless_answer_next(1, "\x93\xfa\x96\x7b\x8c\xea\x82\xc5");  // 4 double-byte characters
    EXPECT_EQ(ztl_choose_file("Engine", path, sizeof path), 1);
    EXPECT_STREQ(path, "/tmp/engine");
    EXPECT_EQ(ztl_choose_file("Engine", path, sizeof path), 0);  // never a cut path
    EXPECT_EQ(ztl_ask_text("Peer", "host:port", text, sizeof text), 0);
    EXPECT_STREQ(text, "host:1");
    EXPECT_EQ(ztl_ask_text("Peer", "host:port", text, sizeof text), 1);
    EXPECT_STREQ(text, "\x93\xfa\x96\x7b\x8c\xea");  // three fit in 7 bytes, no half
    EXPECT_EQ(ztl_ask_text("Unscripted", "", text, sizeof text), 0);
    EXPECT_EQ(ztl_headless_questions(),
              (std::vector<std::string>{"Engine", "Engine", "Peer", "Peer", "Unscripted"}));
}

TEST_F(Desktop, SettingsAreRememberedAndCutToTheBuffer) {
    char value[6] = "keep";
    EXPECT_EQ(ztl_config_read("view/zoom", value, sizeof value), 0);
    EXPECT_STREQ(value, "keep");
    ztl_config_write("view/zoom", "fit");
    ztl_config_write("opponent", "fairy-stockfish");
    ztl_config_write("view/zoom", "2");
    EXPECT_EQ(ztl_config_read("view/zoom", value, sizeof value), 1);
    EXPECT_STREQ(value, "2");
    EXPECT_EQ(ztl_config_read("opponent", value, sizeof value), 1);
    EXPECT_STREQ(value, "fairy");
    EXPECT_EQ(ztl_config_read("opponent", value, 0), 1);  // no room: nothing written
}

TEST(CopyText, CutsAtTheBufferAndAtCharacterBoundaries) {
    struct CopyCase {
        const char* text;
        int size;
        int as_sjis;
        int expected_result;
        const char* expected;
    };
    const CopyCase cases[] = {
        {"abc", 4, 0, 1, "abc"},
        {"abcd", 4, 0, 0, "abc"},
        {"", 1, 1, 1, ""},
        {"a\x82\xa0", 3, 1, 0, "a"},         // the double-byte character does not fit
        {"a\x82\xa0", 3, 0, 0, "a\x82"},     // bytes are bytes when not Shift-JIS
        {"\x82\xa0\x82\xa2", 4, 1, 0, "\x82\xa0"},
        {"\x82\xa0" "b", 4, 1, 1, "\x82\xa0" "b"},
    };
    for (const CopyCase& c : cases) {
        SCOPED_TRACE(c.text);
        char buffer[8];
        std::memset(buffer, 'X', sizeof buffer);
        EXPECT_EQ(ztl_copy_text(buffer, c.size, c.text, c.as_sjis), c.expected_result);
        EXPECT_STREQ(buffer, c.expected);
    }
    char untouched = 'X';
    EXPECT_EQ(ztl_copy_text(&untouched, 0, "a", 0), 0);
    EXPECT_EQ(untouched, 'X');
}

}  // namespace
