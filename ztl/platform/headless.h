// Test backend of ZTL: no window. It records what the core asked of the
// desktop so that tests can check it.
#pragma once

#include <string>
#include <vector>

struct ztl_headless_rect {
    int left, top, right, bottom;
};

struct ztl_headless_message {
    std::string caption;
    std::string text;
};

// Everything recorded since the last reset, oldest first.
std::vector<ztl_headless_rect> ztl_headless_invalidated();
std::vector<ztl_headless_message> ztl_headless_messages();
int ztl_headless_window_width();
int ztl_headless_window_height();
std::string ztl_headless_window_title();

void ztl_headless_reset();
