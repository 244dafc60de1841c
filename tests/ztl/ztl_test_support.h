// Shared helpers of the ZTL core tests: a fresh library per test and direct
// reads of image pixels that bypass the code under test.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "headless.h"
#include "ztl.h"
#include "ztl_internal.h"

class ZtlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ztl_init();
        ztl_set_font(0, 0);
        ztl_fail_next_allocations(0);
        ztl_headless_reset();
    }
    void TearDown() override {
        ztl_set_color(3);
        ztl_set_font(0, 0);
    }
};

inline int level_of(const ztl_image* image, int x, int y) {
    return (image->pixels[y * image->bytes_per_line + x / 4] >> (2 * (x % 4))) & 3;
}

inline void set_level(ztl_image* image, int x, int y, int level) {
    unsigned char& b = image->pixels[y * image->bytes_per_line + x / 4];
    b = static_cast<unsigned char>((b & ~(3 << (2 * (x % 4)))) | (level << (2 * (x % 4))));
}

// Rows of digits, one per pixel: failures show the picture.
inline std::string picture(const ztl_image* image, int x, int y, int w, int h) {
    std::string out;
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) out += static_cast<char>('0' + level_of(image, x + c, y + r));
        out += '\n';
    }
    return out;
}

// A deterministic pattern of all four levels.
inline void fill_pattern(ztl_image* image, unsigned seed) {
    for (int y = 0; y < image->height; ++y)
        for (int x = 0; x < image->width; ++x) {
            seed = seed * 1103515245u + 12345u;
            set_level(image, x, y, static_cast<int>((seed >> 16) & 3));
        }
}

inline void expect_dirty(int min_x, int min_y, int max_x, int max_y) {
    ASSERT_TRUE(ztl_dirty.non_empty);
    EXPECT_EQ(ztl_dirty.min_x, min_x);
    EXPECT_EQ(ztl_dirty.min_y, min_y);
    EXPECT_EQ(ztl_dirty.max_x, max_x);
    EXPECT_EQ(ztl_dirty.max_y, max_y);
}

inline void clear_dirty() { ztl_dirty.non_empty = 0; }
