// Zoom arithmetic of the desktop window: where the screen sits at each
// choice, size and device pixel ratio, that every device pixel maps back to
// the screen pixel whose square holds it, and the enlarged picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "zoom.h"
#include "ztl.h"

namespace {

TEST(Zoom, PlacementForEachChoiceSizeAndRatio) {
    struct Case {
        int choice, device_width, device_height;
        double ratio;
        ZoomPlacement expected;
    };
    const Case cases[] = {
        {ZOOM_FIT, 640, 240, 1.0, {1, 0, 0}},       // the window as it starts
        {ZOOM_FIT, 1280, 480, 1.0, {2, 0, 0}},
        {ZOOM_FIT, 1920, 1061, 1.0, {3, 0, 170}},   // maximised on 1920 x 1080
        {ZOOM_FIT, 1279, 1000, 1.0, {1, 319, 380}},  // one pixel short of x2
        {ZOOM_FIT, 3000, 481, 1.0, {2, 860, 0}},     // the height decides
        {ZOOM_FIT, 100, 50, 1.0, {1, -270, -95}},    // never below x1
        {ZOOM_FIT, 960, 360, 1.5, {1, 160, 60}},     // 640 x 240 logical at 1.5
        {1, 640, 240, 1.0, {1, 0, 0}},
        {2, 1280, 480, 1.0, {2, 0, 0}},
        {4, 1280, 480, 1.0, {4, -640, -240}},  // too large: centred and cut
        {1, 960, 360, 1.5, {1, 160, 60}},
        {2, 1920, 720, 1.5, {3, 0, 0}},
        {3, 2880, 1080, 1.5, {4, 160, 60}},
        {1, 1280, 480, 2.0, {2, 0, 0}},
        {4, 5120, 1920, 2.0, {8, 0, 0}},
        {2, 1600, 600, 1.25, {2, 160, 60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "choice " << c.choice << " in " << c.device_width << "x"
                                          << c.device_height << " at " << c.ratio);
        ZoomPlacement at = zoom_place(c.choice, c.device_width, c.device_height, c.ratio);
        EXPECT_EQ(at.factor, c.expected.factor);
        EXPECT_EQ(at.left, c.expected.left);
        EXPECT_EQ(at.top, c.expected.top);
    }
}

// Every device pixel of the square of screen pixel (x, y) maps to (x, y);
// the pixels just outside the drawn screen map outside it.
TEST(Zoom, EveryDevicePixelOfASquareMapsToItsScreenPixel) {
    const ZoomPlacement placements[] = {{1, 0, 0}, {2, 0, 0}, {3, 0, 170}, {4, 37, 11}, {3, -5, -7}};
    const int xs[] = {0, 1, 319, 638, 639};
    const int ys[] = {0, 1, 120, 238, 239};
    for (const ZoomPlacement& at : placements) {
        SCOPED_TRACE(::testing::Message() << "factor " << at.factor << " at " << at.left << "," << at.top);
        for (int x : xs)
            for (int y : ys)
                for (int dx = 0; dx < at.factor; ++dx)
                    for (int dy = 0; dy < at.factor; ++dy) {
                        int device_x = at.left + x * at.factor + dx;
                        int device_y = at.top + y * at.factor + dy;
                        ASSERT_EQ(zoom_screen_x(at, device_x), x);
                        ASSERT_EQ(zoom_screen_y(at, device_y), y);
                        ASSERT_TRUE(zoom_on_screen(at, device_x, device_y));
                    }
        EXPECT_EQ(zoom_screen_x(at, at.left - 1), -1);
        EXPECT_EQ(zoom_screen_y(at, at.top - 1), -1);
        EXPECT_EQ(zoom_screen_x(at, at.left + 640 * at.factor), 640);
        EXPECT_FALSE(zoom_on_screen(at, at.left - 1, at.top));
        EXPECT_FALSE(zoom_on_screen(at, at.left, at.top + 240 * at.factor));
    }
}

std::vector<unsigned char> known_screen() {
    std::vector<unsigned char> image(ZTL_SCREEN_WIDTH * ZTL_SCREEN_HEIGHT);
    unsigned seed = 11;
    for (unsigned char& pixel : image) {
        seed = seed * 1103515245u + 12345u;
        pixel = static_cast<unsigned char>(0x55 * ((seed >> 16) & 3));
    }
    return image;
}

std::uint32_t opaque(unsigned char grey) { return 0xff000000u | grey * 0x010101u; }

TEST(Zoom, ScaledPictureRepeatsEachPixelAsAWholeSquare) {
    const std::vector<unsigned char> screen = known_screen();
    for (int factor = 1; factor <= 4; ++factor) {
        SCOPED_TRACE(::testing::Message() << "factor " << factor);
        int width = ZTL_SCREEN_WIDTH * factor;
        int stride = width + 3;  // rows of the target may be padded
        std::vector<std::uint32_t> target(static_cast<std::size_t>(stride) * ZTL_SCREEN_HEIGHT * factor, 0);
        zoom_scale(screen.data(), 0, 0, ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT, factor, target.data(), stride);
        int wrong = 0;
        for (int y = 0; y < ZTL_SCREEN_HEIGHT * factor; ++y)
            for (int x = 0; x < stride; ++x) {
                std::uint32_t expected =
                    x < width ? opaque(screen[(y / factor) * ZTL_SCREEN_WIDTH + x / factor]) : 0;
                wrong += target[static_cast<std::size_t>(y) * stride + x] != expected;
            }
        EXPECT_EQ(wrong, 0);
    }
}

// A refresh of a rectangle rewrites exactly its squares; the rectangle is
// limited to the screen.
TEST(Zoom, PartialScaleTouchesOnlyTheRectanglesSquares) {
    const std::vector<unsigned char> screen = known_screen();
    const int factor = 3, stride = ZTL_SCREEN_WIDTH * factor;
    struct Case {
        int left, top, right, bottom;
        int clipped_left, clipped_top, clipped_right, clipped_bottom;
    };
    const Case cases[] = {
        {10, 20, 15, 22, 10, 20, 15, 22},
        {-5, -5, 2, 1, 0, 0, 2, 1},
        {638, 238, 700, 300, 638, 238, 640, 240},
        {5, 5, 5, 9, 0, 0, 0, 0},  // empty
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.left << "," << c.top << " - " << c.right << "," << c.bottom);
        std::vector<std::uint32_t> target(static_cast<std::size_t>(stride) * ZTL_SCREEN_HEIGHT * factor, 7);
        zoom_scale(screen.data(), c.left, c.top, c.right, c.bottom, factor, target.data(), stride);
        int wrong = 0;
        for (int y = 0; y < ZTL_SCREEN_HEIGHT * factor; ++y)
            for (int x = 0; x < stride; ++x) {
                int sx = x / factor, sy = y / factor;
                bool inside = sx >= c.clipped_left && sx < c.clipped_right && sy >= c.clipped_top &&
                              sy < c.clipped_bottom;
                std::uint32_t expected = inside ? opaque(screen[sy * ZTL_SCREEN_WIDTH + sx]) : 7;
                wrong += target[static_cast<std::size_t>(y) * stride + x] != expected;
            }
        EXPECT_EQ(wrong, 0);
    }
}

}  // namespace
