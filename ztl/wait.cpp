// ztl_get_key: the application's only way to wait. The check of the queue and
// the start of the sleep happen under ztl_mutex, and every push notifies under
// the same mutex, so a code queued at any moment ends the wait: no wake-up is
// lost. A condition variable with a deadline stands in for a window timer.
// Menu codes of the desktop frame never reach the caller: they go to the
// menu handler and the wait goes on.
// (<chrono> itself is left out: its micro suffix has no Shift-JIS form.)
#include <condition_variable>

#include "input_internal.h"
#include "ztl_desktop.h"
#include "ztl_internal.h"

namespace {

constexpr int TENTH_OF_SECOND_MS = 100;

std::condition_variable input_arrived;
int sleeping = 0;          // the application thread is inside a wait
int timed = 0;             // ... and that wait has a deadline
unsigned timer_fires = 0;  // counts timer events that ended a timed wait
void (*menu_handler)(int) = nullptr;

using time_point = std::chrono::steady_clock::time_point;

// Sleeps until something is queued, the deadline passes (timeout > 0) or the
// wait timer fires.
void sleep_held(std::unique_lock<std::mutex>& lock, int timeout, time_point deadline) {
    unsigned fires_at_start = timer_fires;
    sleeping = 1;
    timed = timeout > 0;
    while (ztl_queue_count_held() == 0 && timer_fires == fires_at_start) {
        if (!timed)
            input_arrived.wait(lock);
        else if (input_arrived.wait_until(lock, deadline) == std::cv_status::timeout)
            break;
    }
    sleeping = timed = 0;
}

}  // namespace

void ztl_wake_held() { input_arrived.notify_all(); }

void ztl_event_timer() {
    std::lock_guard lock(ztl_mutex);
    // A timer event outside a timed wait is not remembered.
    if (!timed) return;
    ++timer_fires;
    input_arrived.notify_all();
}

int ztl_wait_in_progress() {
    std::lock_guard lock(ztl_mutex);
    return sleeping;
}

int ztl_waiting_with_empty_queue() {
    std::lock_guard lock(ztl_mutex);
    return sleeping && ztl_queue_count_held() == 0;
}

void ztl_menu_handler(void (*handler)(int code)) {
    std::lock_guard lock(ztl_mutex);
    menu_handler = handler;
}

namespace {

// The handler may draw and call the library: it runs without the mutex, and
// what it drew is shown before the wait goes on.
void pass_to_menu_handler(std::unique_lock<std::mutex>& lock, int code) {
    void (*handler)(int) = menu_handler;
    if (handler == nullptr) return;
    lock.unlock();
    handler(code);
    lock.lock();
    ztl_refresh_held();
}

}  // namespace

int ztl_get_key(int timeout) {
    std::unique_lock lock(ztl_mutex);
    ztl_refresh_held();
    time_point deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(1LL * timeout * TENTH_OF_SECOND_MS);
    for (;;) {
        if (ztl_queue_count_held() == 0 && timeout != 0) sleep_held(lock, timeout, deadline);
        int code = ztl_queue_pop_held();
        if (code < ZTL_MENU_CODE_BASE) return code > 0 ? code : -1;
        pass_to_menu_handler(lock, code);
    }
}
