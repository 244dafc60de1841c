// ztl_get_key: polls, timed waits, waits without limit, and wake-ups between
// the window thread (here a second test thread) and the application thread.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <random>
#include <thread>
#include <vector>

#include "input_test_support.h"

namespace {

using clock_type = std::chrono::steady_clock;

long long elapsed_ms(clock_type::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock_type::now() - since).count();
}

class Wait : public InputTest {
protected:
    void TearDown() override {
        if (window_thread.joinable()) window_thread.join();
        InputTest::TearDown();
    }

    // Runs the script on a second thread once the application thread sleeps.
    template <typename Script>
    void when_asleep(Script script) {
        window_thread = std::thread([script] {
            ASSERT_EQ(ztl_headless_wait_for_sleeper(5000), 1);
            script();
        });
    }

    std::thread window_thread;
};

TEST_F(Wait, PollReturnsAtOnceAfterRefreshingTheScreen) {
    ztl_set_color(3);
    ztl_pset(639, 239);
    EXPECT_EQ(ztl_headless_window_intensity(639, 239), 255);
    auto start = clock_type::now();
    EXPECT_EQ(ztl_get_key(0), -1);
    EXPECT_LT(elapsed_ms(start), 50);
    EXPECT_EQ(ztl_headless_window_intensity(639, 239), 0);
}

TEST_F(Wait, QueuedKeyIsReturnedWithoutWaiting) {
    ztl_headless_type("q");
    auto start = clock_type::now();
    EXPECT_EQ(ztl_get_key(-1), 'q');
    EXPECT_LT(elapsed_ms(start), 50);
}

TEST_F(Wait, TimeoutCountsTenthsOfASecond) {
    auto start = clock_type::now();
    EXPECT_EQ(ztl_get_key(10), -1);
    long long waited = elapsed_ms(start);
    EXPECT_GE(waited, 995);
    EXPECT_LT(waited, 1500);
    start = clock_type::now();
    EXPECT_EQ(ztl_get_key(1), -1);
    waited = elapsed_ms(start);
    EXPECT_GE(waited, 99);
    EXPECT_LT(waited, 500);
}

TEST_F(Wait, TimedWaitEndsWithTheFirstKey) {
    when_asleep([] { ztl_headless_type("k"); });
    auto start = clock_type::now();
    EXPECT_EQ(ztl_get_key(50), 'k');
    EXPECT_LT(elapsed_ms(start), 4000);
}

TEST_F(Wait, EndlessWaitIgnoresPenMovesWithTheButtonUp) {
    when_asleep([] {
        ztl_headless_pen_move(10, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(ztl_wait_in_progress(), 1);
        ztl_headless_key(ZTL_VK_DOWN, 1, 0);
    });
    EXPECT_EQ(ztl_get_key(-1), 0x500F);
}

TEST_F(Wait, PressOnAButtonDoesNotEndTheWaitItsReleaseDoes) {
    ztl_area* button = ztl_area_new(10, 10, 30, 30, 0x301);
    ztl_area_attach(nullptr, button);
    when_asleep([] {
        ztl_headless_pen_down(20, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(ztl_wait_in_progress(), 1);
        ztl_headless_pen_up(21, 22);
    });
    EXPECT_EQ(ztl_get_key(-1), 0x301);
    EXPECT_EQ(ztl_pen_x, 21);
    EXPECT_EQ(ztl_pen_y, 22);
}

TEST_F(Wait, SteppedTimeEndsATimedWaitAndIsNotRememberedOutsideOne) {
    when_asleep([] { ztl_headless_step_time(); });
    auto start = clock_type::now();
    EXPECT_EQ(ztl_get_key(100), -1);
    EXPECT_LT(elapsed_ms(start), 5000);
    window_thread.join();

    ztl_headless_step_time();  // nobody waits: lost, as a timer outside a wait is
    start = clock_type::now();
    EXPECT_EQ(ztl_get_key(2), -1);
    EXPECT_GE(elapsed_ms(start), 195);
}

TEST_F(Wait, TimerDoesNotEndAnEndlessWait) {
    when_asleep([] {
        ztl_headless_step_time();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(ztl_wait_in_progress(), 1);
        ztl_headless_type("t");
    });
    EXPECT_EQ(ztl_get_key(-1), 't');
}

// The window thread queues one key at a random moment around the application
// thread's check-then-sleep, again and again; a lost wake-up would leave the
// wait to run into its 5 s timeout.
TEST_F(Wait, NoWakeUpIsLostBetweenTwoThreads) {
    constexpr int ROUNDS = 3000;
    std::atomic<int> taken{0};
    std::thread producer([&taken] {
        std::mt19937 random(7);
        for (int round = 0; round < ROUNDS; ++round) {
            while (taken.load() < round) std::this_thread::yield();
            int spin = static_cast<int>(random() % 400);
            auto until = clock_type::now() + std::chrono::nanoseconds(spin * 50);
            while (clock_type::now() < until) {
            }
            unsigned char code = static_cast<unsigned char>(1 + round % 200);
            ztl_event_chars(&code, 1, 0);
        }
    });
    int wrong = 0;
    for (int round = 0; round < ROUNDS; ++round) {
        int timeout = round % 3 == 0 ? -1 : 50;
        int code = ztl_get_key(timeout);
        if (code != 1 + round % 200) ++wrong;
        taken.store(round + 1);
    }
    producer.join();
    EXPECT_EQ(wrong, 0);
}

// Bursts of keys and pen events from the window thread while the application
// thread mixes polls and waits: every code arrives once and in order.
TEST_F(Wait, BurstsArriveCompleteAndInOrder) {
    ztl_area* pad = ztl_area_new_codes(0, 0, 640, 240, 0x201, 0x203, 0x202);
    ztl_area_attach(nullptr, pad);
    constexpr int EVENTS = 6000;
    std::atomic<int> taken{0};
    std::thread producer([&taken] {
        for (int sent = 0; sent < EVENTS; ++sent) {
            // Keep below the queue limit: a full queue drops entries by design.
            while (sent - taken.load() > 20) std::this_thread::yield();
            if (sent % 2 == 0) {
                unsigned char code = static_cast<unsigned char>('a' + sent % 26);
                ztl_event_chars(&code, 1, 0);
            } else {
                ztl_event_pen_down(sent % 640, sent % 240);
                ztl_event_pen_up(sent % 640, sent % 240);
            }
        }
    });
    std::vector<int> wrong;
    int expected_codes = EVENTS / 2 + EVENTS;  // a key, or a pen down and up
    int sent_index = 0, half = 0;
    for (int received = 0; received < expected_codes;) {
        int code = ztl_get_key(received % 5 == 0 ? 0 : 30);
        if (code == -1) continue;
        ++received;
        int expect = sent_index % 2 == 0 ? 'a' + sent_index % 26 : (half == 0 ? 0x201 : 0x202);
        if (code != expect) wrong.push_back(received);
        if (code >= 0x201 && (ztl_pen_x != sent_index % 640 || ztl_pen_y != sent_index % 240))
            wrong.push_back(-received);
        if (sent_index % 2 == 0 || half == 1) {
            ++sent_index;
            half = 0;
            taken.store(sent_index);
        } else {
            half = 1;
        }
    }
    producer.join();
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " wrong, first at " << wrong.front();
}

}  // namespace
