// Pixels, spans, lines, boxes, fills, clear, images, views and copies,
// checked pixel by pixel, with the dirty rectangle of each operation.
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "ztl_test_support.h"

namespace {

using pixel_set = std::set<std::pair<int, int>>;

// Every non-white pixel of a screen rectangle.
pixel_set inked(int w, int h) {
    pixel_set s;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (level_of(&physical_screen, x, y) != 0) s.insert({x, y});
    return s;
}

class DrawTest : public ZtlTest {};

TEST_F(DrawTest, PsetKeepsNeighboursAndMarksTwoPoints) {
    ztl_set_color(2);
    ztl_pset(5, 3);
    EXPECT_EQ(physical_screen.pixels[3 * 160 + 1], 2 << 2);
    expect_dirty(4, 2, 5, 3);
    ztl_set_color(1);
    ztl_pset(4, 3);
    EXPECT_EQ(physical_screen.pixels[3 * 160 + 1], (2 << 2) | 1);
}

TEST_F(DrawTest, InvertModeAndColourFour) {
    ztl_set_color(1);
    ztl_pset(10, 10);
    ztl_set_color(ZTL_INVERT);
    ztl_pset(10, 10);
    EXPECT_EQ(ztl_pget(10, 10), 2);
    ztl_pset(10, 10);
    EXPECT_EQ(ztl_pget(10, 10), 1);
    // An explicit colour 4 is level 0 and never inverts.
    ztl_pset_color(10, 10, 4);
    EXPECT_EQ(ztl_pget(10, 10), 0);
    ztl_pset_color(11, 10, 7);
    EXPECT_EQ(ztl_pget(11, 10), 3);
    clear_dirty();
    ztl_pset_color(11, 10, -1);  // draws nothing, but still marks
    EXPECT_EQ(ztl_pget(11, 10), 3);
    expect_dirty(10, 9, 11, 10);
}

TEST_F(DrawTest, SinglePixelAndOutsideHorizontalLines) {
    EXPECT_EQ(ztl_line(0, 5, 0, 5), 1);
    EXPECT_EQ(inked(640, 240), (pixel_set{{0, 5}}));
    expect_dirty(0, 4, 0, 5);  // (-1, 4) lies beyond the left edge
    EXPECT_EQ(ztl_line(-10, 5, -1, 5), 0);
    EXPECT_EQ(ztl_line(640, 6, 700, 6), 0);
    // A row outside is not "wholly outside": the span lies across the target.
    EXPECT_EQ(ztl_line(0, -3, 10, -3), 1);
    EXPECT_EQ(inked(640, 240), (pixel_set{{0, 5}}));
}

TEST_F(DrawTest, HorizontalLinesAreClippedSpansInEitherOrder) {
    ztl_line(637, 1, 645, 1);
    ztl_line(3, 2, -4, 2);
    pixel_set expected = {{637, 1}, {638, 1}, {639, 1}, {0, 2}, {1, 2}, {2, 2}, {3, 2}};
    EXPECT_EQ(inked(640, 240), expected);
}

TEST_F(DrawTest, SlopedLinesFollowTheTieRule) {
    // At a tie the minor coordinate steps only when the major direction is
    // positive, so this line differs from the mirror image of (0,0)-(4,2).
    ztl_line(4, 0, 0, 2);
    EXPECT_EQ(inked(8, 8), (pixel_set{{4, 0}, {3, 0}, {2, 1}, {1, 1}, {0, 2}}));
    ztl_clear();
    ztl_set_color(0);
    ztl_clear();
    ztl_set_color(3);
    ztl_line(0, 0, 4, 2);
    EXPECT_EQ(inked(8, 8), (pixel_set{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));
}

TEST_F(DrawTest, SteepAndVerticalLines) {
    ztl_line(0, 0, 3, 4);
    EXPECT_EQ(inked(8, 8), (pixel_set{{0, 0}, {1, 1}, {2, 2}, {2, 3}, {3, 4}}));
    expect_dirty(0, 0, 2, 3);
    ztl_set_color(0);
    ztl_clear();
    ztl_set_color(3);
    ztl_line(2, 3, 2, 0);
    EXPECT_EQ(inked(8, 8), (pixel_set{{2, 0}, {2, 1}, {2, 2}, {2, 3}}));
}

TEST_F(DrawTest, LinesAreConnectedAndHaveOnePixelPerMajorStep) {
    const int ends[][4] = {{10, 10, 37, 19}, {50, 40, 41, 3}, {5, 100, 90, 101}, {60, 60, 59, 1}};
    for (const auto& e : ends) {
        ztl_set_color(0);
        ztl_clear();
        ztl_set_color(3);
        ztl_line(e[0], e[1], e[2], e[3]);
        pixel_set s = inked(128, 128);
        int steps = std::max(std::abs(e[2] - e[0]), std::abs(e[3] - e[1]));
        EXPECT_EQ(static_cast<int>(s.size()), steps + 1);
        EXPECT_TRUE(s.count({e[0], e[1]}) && s.count({e[2], e[3]}));
    }
}

TEST_F(DrawTest, FillRectEdgeCases) {
    ztl_fill_rect(1, 0, 1, 1);
    EXPECT_EQ(inked(16, 16), (pixel_set{{1, 0}}));
    ztl_fill_rect(5, 5, 0, 1);  // a width of 0 covers x - 1 and x
    EXPECT_EQ(inked(16, 16), (pixel_set{{1, 0}, {4, 5}, {5, 5}}));
    expect_dirty(1, 0, 5, 5);
    ztl_fill_rect(8, 8, 3, 0);
    ztl_fill_rect(8, 8, 3, -2);
    EXPECT_EQ(inked(16, 16).size(), 3u);
}

TEST_F(DrawTest, InvertedFillAcrossBytesEqualsPixelByPixelInversion) {
    ztl_image* reference = ztl_image_new(640, 20, nullptr);
    fill_pattern(&physical_screen, 7);
    std::memcpy(reference->pixels, physical_screen.pixels, 160 * 20);
    ztl_set_color(ZTL_INVERT);
    ztl_fill_rect(3, 2, 27, 5);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            bool in = x >= 3 && x < 30 && y >= 2 && y < 7;
            int before = level_of(reference, x, y);
            ASSERT_EQ(level_of(&physical_screen, x, y), in ? 3 - before : before) << x << "," << y;
        }
    ztl_image_free(reference);
}

TEST_F(DrawTest, FilledRectangleIsClippedToTheTarget) {
    ztl_fill_rect(630, 235, 40, 40);
    EXPECT_EQ(inked(640, 240).size(), 50u);
    // The far corner beyond the screen counts as the screen's last pixel.
    expect_dirty(630, 235, 639, 239);
}

TEST_F(DrawTest, BoxOutlineAndInvertedCorners) {
    ztl_box(2, 2, 5, 4);
    EXPECT_EQ(picture(&physical_screen, 0, 0, 9, 8),
              "000000000\n"
              "000000000\n"
              "003333300\n"
              "003000300\n"
              "003000300\n"
              "003333300\n"
              "000000000\n"
              "000000000\n");
    expect_dirty(2, 2, 6, 5);
    ztl_set_color(ZTL_INVERT);
    ztl_box(10, 2, 4, 3);
    EXPECT_EQ(picture(&physical_screen, 10, 2, 4, 3),
              "0330\n"
              "3003\n"
              "0330\n");
}

TEST_F(DrawTest, ClearWritesOnlyWholeBytes) {
    ztl_image* image = ztl_image_new(10, 3, nullptr);
    for (int y = 0; y < 3; ++y) set_level(image, 9, y, 1);
    ztl_target_push(image);
    ztl_set_color(2);
    ztl_clear();
    ztl_target_pop();
    EXPECT_EQ(picture(image, 0, 0, 10, 3), "2222222201\n2222222201\n2222222201\n");
    EXPECT_FALSE(ztl_dirty.non_empty);
    ztl_clear();
    expect_dirty(0, 0, 639, 239);
    ztl_image_free(image);
}

TEST_F(DrawTest, ImagesOwnTheirRecordAndPixels) {
    ztl_image* own = ztl_image_new(5, 3, nullptr);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->flags, 3u);
    EXPECT_EQ(own->bytes_per_line, 2);
    unsigned char block[8];
    std::memset(block, 0xAB, sizeof block);
    ztl_image* borrowed = ztl_image_new(13, 2, block);
    EXPECT_EQ(borrowed->flags, 1u);
    EXPECT_EQ(borrowed->pixels, block);
    EXPECT_EQ(block[0], 0);
    EXPECT_EQ(block[7], 0);
    ztl_image_free(borrowed);
    ztl_image_free(own);
    EXPECT_EQ(ztl_image_new(-1, 3, nullptr), nullptr);
}

TEST_F(DrawTest, ImageNewFailsCleanlyWhenMemoryRunsOut) {
    ztl_fail_next_allocations(1);
    EXPECT_EQ(ztl_image_new(8, 8, nullptr), nullptr);
    ztl_fail_next_allocations(0);
    // The record is taken first; failing the block must free it (leak check).
    ztl_image* probe = ztl_image_new(8, 8, nullptr);
    ztl_image_free(probe);
}

TEST_F(DrawTest, ViewsShareTheParentsPixels) {
    ztl_image* parent = ztl_image_new(32, 16, nullptr);
    ztl_image record;
    ztl_image* view = ztl_image_view(parent, 9, 4, 8, 6, &record);
    EXPECT_EQ(view, &record);
    EXPECT_EQ(view->flags, 0u);
    EXPECT_EQ(view->bytes_per_line, parent->bytes_per_line);
    ztl_target_push(view);
    ztl_pset(0, 0);  // the left edge rounds down to x = 8
    ztl_target_pop();
    EXPECT_EQ(level_of(parent, 8, 4), 3);
    ztl_image* allocated = ztl_image_view(parent, 0, 0, 4, 4, nullptr);
    EXPECT_EQ(allocated->flags, 1u);
    ztl_image_free(allocated);
    ztl_image_free(parent);
}

TEST_F(DrawTest, ViewsNeverReachBeyondTheirParent) {
    ztl_image* parent = ztl_image_new(16, 4, nullptr);
    ztl_image record;
    ztl_image_view(parent, 8, 2, 100, 100, &record);
    EXPECT_EQ(record.width, 8);
    EXPECT_EQ(record.height, 2);
    ztl_image_view(parent, -4, 0, 4, 4, &record);
    EXPECT_EQ(record.width, 0);
    ztl_target_push(&record);
    ztl_fill_rect(0, 0, 100, 100);
    ztl_target_pop();
    EXPECT_EQ(picture(parent, 0, 0, 16, 4),
              "0000000000000000\n0000000000000000\n0000000000000000\n0000000000000000\n");
    ztl_image_free(parent);
}

// --- copies -------------------------------------------------------------------

// The copy rule on raw levels, independent of the library: sizes, wrapping,
// the transparent level, and the whole source read before any pixel is written.
void rule_copy(ztl_image* dst, int dx, int dy, const ztl_image* src, int sx, int sy, int w, int h, int mode = 0) {
    bool wrapping = (mode & ZTL_COPY_WRAP) != 0, transparent = (mode & ZTL_COPY_TRANSPARENT) != 0;
    if (w < 0 || h < 0) w = src->width - sx, h = src->height - sy;
    if (!wrapping) w = std::min(w, src->width - sx), h = std::min(h, src->height - sy);
    auto wrap = [](int v, int n) { return ((v % n) + n) % n; };
    std::vector<int> levels;  // -1: nothing to write
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j) {
            int x = wrapping ? wrap(sx + j, src->width) : sx + j;
            int y = wrapping ? wrap(sy + i, src->height) : sy + i;
            int level = x >= 0 && y >= 0 ? level_of(src, x, y) : -1;
            levels.push_back(transparent && level == (mode & 3) ? -1 : level);
        }
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j) {
            int level = levels[static_cast<size_t>(i * w + j)], x = dx + j, y = dy + i;
            if (level >= 0 && x >= 0 && y >= 0 && x < dst->width && y < dst->height) set_level(dst, x, y, level);
        }
}

TEST_F(DrawTest, OverlappingCopiesEqualCopiesThroughATemporaryImage) {
    ztl_image* image = ztl_image_new(48, 24, nullptr);
    ztl_image* expected = ztl_image_new(48, 24, nullptr);
    const int moves[][6] = {{4, 2, 0, 0, 40, 20},  {0, 0, 4, 2, 40, 20},  {3, 0, 0, 0, 40, 10},
                            {0, 0, 3, 0, 40, 10},  {1, 5, 0, 0, 30, 10},  {0, 5, 2, 0, 30, 12},
                            {8, 0, 0, 0, 32, 24}, {0, 1, 0, 0, 48, 20}, {5, 1, 1, 3, 2, 2}};
    for (const auto& m : moves) {
        fill_pattern(image, 5);
        fill_pattern(expected, 5);
        ztl_copy(image, m[0], m[1], image, m[2], m[3], m[4], m[5], 0);
        rule_copy(expected, m[0], m[1], expected, m[2], m[3], m[4], m[5]);
        ASSERT_EQ(picture(image, 0, 0, 48, 24), picture(expected, 0, 0, 48, 24))
            << m[0] << "," << m[1] << " from " << m[2] << "," << m[3];
    }
    ztl_image_free(image);
    ztl_image_free(expected);
}

TEST_F(DrawTest, RandomCopiesInEveryModeFollowTheRule) {
    // Two images and a view into the first, each with a twin the rule copies on.
    ztl_image* images[2][2] = {{ztl_image_new(45, 19, nullptr), ztl_image_new(45, 19, nullptr)},
                               {ztl_image_new(30, 12, nullptr), ztl_image_new(30, 12, nullptr)}};
    ztl_image views[2];
    for (int k = 0; k < 2; ++k) ztl_image_view(images[0][k], 8, 3, 24, 12, &views[k]);
    const int modes[] = {0, ZTL_COPY_TRANSPARENT | 1, ZTL_COPY_WRAP, ZTL_COPY_WRAP | ZTL_COPY_TRANSPARENT | 3};
    std::mt19937 random(7);
    auto pick = [&](int low, int high) {
        return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
    };
    for (int round = 0; round < 2000; ++round) {
        for (int k = 0; k < 2; ++k) fill_pattern(images[0][k], round), fill_pattern(images[1][k], round + 1);
        int s = pick(0, 2), d = pick(0, 2), mode = modes[pick(0, 3)];
        int dx = pick(-8, 40), dy = pick(-5, 18), sx = pick(-3, 40), sy = pick(-3, 18);
        int w = pick(-1, 48), h = pick(-1, 20);
        auto image = [&](int which, int k) { return which == 2 ? &views[k] : images[which][k]; };
        ztl_copy(image(d, 0), dx, dy, image(s, 0), sx, sy, w, h, mode);
        rule_copy(image(d, 1), dx, dy, image(s, 1), sx, sy, w, h, mode);
        for (auto& twins : images)
            ASSERT_EQ(picture(twins[0], 0, 0, twins[0]->width, twins[0]->height),
                      picture(twins[1], 0, 0, twins[1]->width, twins[1]->height))
                << "round " << round << ": " << s << " -> " << d << " mode " << mode << " (" << sx << "," << sy
                << ") -> (" << dx << "," << dy << ") " << w << "x" << h;
    }
    for (auto& twins : images) ztl_image_free(twins[0]), ztl_image_free(twins[1]);
}

TEST_F(DrawTest, TransparentCopyKeepsPixelsUnderTheClearLevel) {
    ztl_image* src = ztl_image_new(4, 1, nullptr);
    for (int x = 0; x < 4; ++x) set_level(src, x, 0, x);
    ztl_image* dst = ztl_image_new(4, 2, nullptr);
    for (int x = 0; x < 4; ++x) set_level(dst, x, 0, 2), set_level(dst, x, 1, 2);
    ztl_copy(dst, 0, 0, src, 0, 0, 4, 1, ZTL_COPY_TRANSPARENT | 0);
    ztl_copy(dst, 0, 1, src, 0, 0, 4, 1, ZTL_COPY_TRANSPARENT | 3);
    EXPECT_EQ(picture(dst, 0, 0, 4, 2), "2123\n0122\n");
    ztl_image_free(src);
    ztl_image_free(dst);
}

TEST_F(DrawTest, WrappingCopyTilesTheSource) {
    ztl_image* tile = ztl_image_new(3, 2, nullptr);
    const char* rows[] = {"123", "300"};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) set_level(tile, x, y, rows[y][x] - '0');
    ztl_image* dst = ztl_image_new(8, 4, nullptr);
    ztl_copy(dst, 0, 0, tile, 1, -1, 8, 4, ZTL_COPY_WRAP);
    EXPECT_EQ(picture(dst, 0, 0, 8, 4), "00300300\n23123123\n00300300\n23123123\n");
    // Wrapping and transparency together.
    ztl_image* over = ztl_image_new(6, 1, nullptr);
    for (int x = 0; x < 6; ++x) set_level(over, x, 0, 1);
    ztl_copy(over, 0, 0, tile, 0, 1, 6, 1, ZTL_COPY_WRAP | ZTL_COPY_TRANSPARENT);
    EXPECT_EQ(picture(over, 0, 0, 6, 1), "311311\n");
    ztl_image_free(tile);
    ztl_image_free(dst);
    ztl_image_free(over);
}

TEST_F(DrawTest, CopyWithNegativeSizeTakesTheRestOfTheSource) {
    ztl_image* src = ztl_image_new(10, 6, nullptr);
    fill_pattern(src, 9);
    ztl_copy(nullptr, 100, 50, src, 4, 2, -1, 3, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) ASSERT_EQ(level_of(&physical_screen, 100 + x, 50 + y), level_of(src, 4 + x, 2 + y));
    EXPECT_EQ(ztl_pget(106, 50), 0);
    expect_dirty(100, 50, 105, 53);
    ztl_image_free(src);
}

TEST_F(DrawTest, CopyDirtyRectangleUsesTheLimitedSize) {
    ztl_image* src = ztl_image_new(10, 10, nullptr);
    ztl_copy(nullptr, 20, 30, src, 6, 8, 100, 100, 0);
    expect_dirty(20, 30, 23, 31);
    clear_dirty();
    // Into another image: the screen's rectangle is left alone.
    ztl_image* other = ztl_image_new(10, 10, nullptr);
    ztl_copy(other, 0, 0, nullptr, 0, 0, 10, 10, 0);
    EXPECT_FALSE(ztl_dirty.non_empty);
    ztl_image_free(src);
    ztl_image_free(other);
}

}  // namespace
