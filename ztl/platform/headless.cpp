// Test backend: records invalidated rectangles, message boxes and the window
// geometry instead of showing anything.
#include "headless.h"

#include <cstring>
#include <mutex>
#include <thread>

#include "backend.h"
#include "input_internal.h"
#include "ztl_internal.h"

namespace {

std::mutex log_mutex;  // the core may call in with or without the library mutex
std::vector<ztl_headless_rect> invalidated;
std::vector<ztl_headless_message> messages;
int window_width = 0;
int window_height = 0;
std::string window_title;

int wait_until(int (*condition)(), int timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return 0;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return 1;
}

}  // namespace

void ztl_backend_invalidate(int left, int top, int right, int bottom) {
    std::lock_guard lock(log_mutex);
    invalidated.push_back({left, top, right, bottom});
}

void ztl_backend_message_box(const char* caption, const char* text) {
    std::lock_guard lock(log_mutex);
    messages.push_back({caption, text});
}

void ztl_backend_set_window(int client_width, int client_height, const char* title) {
    std::lock_guard lock(log_mutex);
    window_width = client_width;
    window_height = client_height;
    window_title = title;
}

// No desktop, no input method: the switch does nothing and it stays closed.
void ztl_backend_ime_toggle() {}

int ztl_backend_ime_is_open() { return 0; }

int ztl_backend_start_application(int (*entry)(int, char**), int argc, char** argv) {
    std::thread(entry, argc, argv).detach();
    return 1;
}

std::vector<ztl_headless_rect> ztl_headless_invalidated() {
    std::lock_guard lock(log_mutex);
    return invalidated;
}

std::vector<ztl_headless_message> ztl_headless_messages() {
    std::lock_guard lock(log_mutex);
    return messages;
}

int ztl_headless_window_width() {
    std::lock_guard lock(log_mutex);
    return window_width;
}

int ztl_headless_window_height() {
    std::lock_guard lock(log_mutex);
    return window_height;
}

std::string ztl_headless_window_title() {
    std::lock_guard lock(log_mutex);
    return window_title;
}

void ztl_headless_reset() {
    std::lock_guard lock(log_mutex);
    invalidated.clear();
    messages.clear();
}

void ztl_headless_type(const char* text, int shift) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    int length = static_cast<int>(std::strlen(text));
    for (int i = 0; i < length;) {
        int count = ztl_is_lead_byte(bytes[i]) && i + 1 < length ? 2 : 1;
        ztl_event_chars(bytes + i, count, shift);
        i += count;
    }
}

int ztl_headless_key(int virtual_key, int shift, int ctrl) {
    return ztl_event_key(virtual_key, shift, ctrl);
}

void ztl_headless_pen_down(int x, int y) { ztl_event_pen_down(x, y); }

void ztl_headless_pen_move(int x, int y) { ztl_event_pen_move(x, y); }

void ztl_headless_pen_up(int x, int y) { ztl_event_pen_up(x, y); }

void ztl_headless_tap(int x, int y) {
    ztl_event_pen_down(x, y);
    ztl_event_pen_up(x, y);
}

void ztl_headless_step_time() { ztl_event_timer(); }

int ztl_headless_wait_for_sleeper(int timeout_ms) { return wait_until(ztl_wait_in_progress, timeout_ms); }

int ztl_headless_wait_for_idle(int timeout_ms) { return wait_until(ztl_waiting_with_empty_queue, timeout_ms); }

int ztl_headless_screen_level(int x, int y) {
    std::lock_guard lock(ztl_mutex);
    if (physical_screen.pixels == nullptr || x < 0 || y < 0 || x >= ZTL_SCREEN_WIDTH ||
        y >= ZTL_SCREEN_HEIGHT)
        return 0;
    return (physical_screen.pixels[y * ZTL_SCREEN_BYTES_PER_LINE + x / 4] >> (2 * (x % 4))) & 3;
}

int ztl_headless_window_intensity(int x, int y) {
    std::lock_guard lock(ztl_mutex);
    if (x < 0 || y < 0 || x >= ZTL_SCREEN_WIDTH || y >= ZTL_SCREEN_HEIGHT) return 255;
    return ztl_window_image[y * ZTL_SCREEN_WIDTH + x];
}
