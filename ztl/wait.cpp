// ztl_get_key: the application's only way to wait. The check of the queue and
// the start of the sleep happen under ztl_mutex, and every push notifies under
// the same mutex, so a code queued at any moment ends the wait: no wake-up is
// lost. A condition variable with a deadline stands in for a window timer.
// (<chrono> itself is left out: its micro suffix has no Shift-JIS form.)
#include <condition_variable>

#include "input_internal.h"
#include "ztl_internal.h"

namespace {

constexpr int TENTH_OF_SECOND_MS = 100;

std::condition_variable input_arrived;
int sleeping = 0;          // the application thread is inside a wait
int timed = 0;             // ... and that wait has a deadline
unsigned timer_fires = 0;  // counts timer events that ended a timed wait

// Sleeps until something is queued, the deadline passes (timeout > 0) or the
// wait timer fires.
void sleep_held(std::unique_lock<std::mutex>& lock, int timeout) {
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(1LL * timeout * TENTH_OF_SECOND_MS);
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

int ztl_get_key(int timeout) {
    std::unique_lock lock(ztl_mutex);
    ztl_refresh_held();
    if (ztl_queue_count_held() == 0 && timeout != 0) sleep_held(lock, timeout);
    int code = ztl_queue_pop_held();
    return code > 0 ? code : -1;
}
