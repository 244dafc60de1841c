// Test backend: records invalidated rectangles, message boxes and the window
// geometry instead of showing anything.
#include "headless.h"

#include <mutex>
#include <thread>

#include "backend.h"

namespace {

std::mutex log_mutex;  // the core may call in with or without the library mutex
std::vector<ztl_headless_rect> invalidated;
std::vector<ztl_headless_message> messages;
int window_width = 0;
int window_height = 0;
std::string window_title;

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
