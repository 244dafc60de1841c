// Test backend: records invalidated rectangles, message boxes and the window
// geometry instead of showing anything.
#include "headless.h"

#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "backend.h"
#include "input_internal.h"
#include "ztl_desktop.h"
#include "ztl_internal.h"

namespace {

std::mutex log_mutex;  // the core may call in with or without the library mutex
std::vector<ztl_headless_rect> invalidated;
std::vector<ztl_headless_message> messages;
int window_width = 0;
int window_height = 0;
std::string window_title;

// The desktop frame: menus, scripted answers and settings in memory.
struct scripted_answer {
    int answered;
    std::string text;
};
std::vector<ztl_headless_menu_item> menu_items;
std::deque<scripted_answer> answers;
std::vector<std::string> questions;
std::map<std::string, std::string> settings;

scripted_answer next_answer(const char* caption) {
    std::lock_guard lock(log_mutex);
    questions.push_back(caption);
    if (answers.empty()) return {0, {}};
    scripted_answer answer = answers.front();
    answers.pop_front();
    return answer;
}

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

int ztl_menu_add(const char* menu, const char* item, int code) {
    if (menu == nullptr || item == nullptr || code < ZTL_MENU_CODE_BASE) return 0;
    std::lock_guard lock(log_mutex);
    menu_items.push_back({menu, item, code, 0});
    return 1;
}

void ztl_menu_check(int code, int checked) {
    std::lock_guard lock(log_mutex);
    for (ztl_headless_menu_item& entry : menu_items)
        if (entry.code == code) entry.checked = checked != 0;
}

int ztl_choose_file(const char* caption, char* path, int size) {
    scripted_answer answer = next_answer(caption);
    return answer.answered && ztl_copy_text(path, size, answer.text.c_str(), 0);
}

int ztl_ask_text(const char* caption, const char*, char* text, int size) {
    scripted_answer answer = next_answer(caption);
    if (!answer.answered) return 0;
    ztl_copy_text(text, size, answer.text.c_str(), 1);
    return 1;
}

int ztl_config_read(const char* key, char* value, int size) {
    std::lock_guard lock(log_mutex);
    auto found = settings.find(key);
    if (found == settings.end()) return 0;
    ztl_copy_text(value, size, found->second.c_str(), 0);
    return 1;
}

void ztl_config_write(const char* key, const char* value) {
    std::lock_guard lock(log_mutex);
    settings[key] = value;
}

std::vector<ztl_headless_menu_item> ztl_headless_menu_items() {
    std::lock_guard lock(log_mutex);
    return menu_items;
}

int ztl_headless_choose_menu(int code) {
    {
        std::lock_guard lock(log_mutex);
        bool found = false;
        for (const ztl_headless_menu_item& entry : menu_items) found = found || entry.code == code;
        if (!found) return 0;
    }
    ztl_event_menu(code);
    return 1;
}

void ztl_headless_answer_next(int answered, const std::string& text) {
    std::lock_guard lock(log_mutex);
    answers.push_back({answered, text});
}

std::vector<std::string> ztl_headless_questions() {
    std::lock_guard lock(log_mutex);
    return questions;
}

void ztl_headless_desktop_reset() {
    std::lock_guard lock(log_mutex);
    menu_items.clear();
    answers.clear();
    questions.clear();
    settings.clear();
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
