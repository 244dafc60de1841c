// Zoom arithmetic and the nearest-neighbour enlargement (see zoom.h).
#include "zoom.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ztl.h"

namespace {

// Rounds towards minus infinity, so that the device pixels left of the
// screen map to -1, -2, ... and never to column 0.
int floor_divide(int value, int divisor) {
    int quotient = value / divisor;
    return value % divisor != 0 && value < 0 ? quotient - 1 : quotient;
}

int fixed_device_factor(int choice, double device_pixel_ratio) {
    // The small epsilon keeps 2 x 1.5 at 3 despite rounding.
    return std::max(1, static_cast<int>(std::floor(choice * device_pixel_ratio + 1e-9)));
}

}  // namespace

ZoomPlacement zoom_place(int choice, int device_width, int device_height, double device_pixel_ratio) {
    int factor = choice == ZOOM_FIT
                     ? std::max(1, std::min(device_width / ZTL_SCREEN_WIDTH, device_height / ZTL_SCREEN_HEIGHT))
                     : fixed_device_factor(std::clamp(choice, 1, ZOOM_LARGEST), device_pixel_ratio);
    return {factor, floor_divide(device_width - ZTL_SCREEN_WIDTH * factor, 2),
            floor_divide(device_height - ZTL_SCREEN_HEIGHT * factor, 2)};
}

int zoom_screen_x(const ZoomPlacement& placement, int device_x) {
    return floor_divide(device_x - placement.left, placement.factor);
}

int zoom_screen_y(const ZoomPlacement& placement, int device_y) {
    return floor_divide(device_y - placement.top, placement.factor);
}

bool zoom_on_screen(const ZoomPlacement& placement, int device_x, int device_y) {
    int x = zoom_screen_x(placement, device_x);
    int y = zoom_screen_y(placement, device_y);
    return x >= 0 && x < ZTL_SCREEN_WIDTH && y >= 0 && y < ZTL_SCREEN_HEIGHT;
}

namespace {

// One row of count screen pixels, each repeated factor times. The factors
// of the menu get a loop of their own that the compiler unrolls.
template <int FACTOR>
void scale_row_by(const unsigned char* in, int count, std::uint32_t* out) {
    for (int i = 0; i < count; ++i) {
        std::uint32_t pixel = 0xff000000u | in[i] * 0x010101u;
        for (int k = 0; k < FACTOR; ++k) out[i * FACTOR + k] = pixel;
    }
}

void scale_row(const unsigned char* in, int count, int factor, std::uint32_t* out) {
    switch (factor) {
    case 1: return scale_row_by<1>(in, count, out);
    case 2: return scale_row_by<2>(in, count, out);
    case 3: return scale_row_by<3>(in, count, out);
    case 4: return scale_row_by<4>(in, count, out);
    default:
        for (int i = 0; i < count; ++i) std::fill_n(out + i * factor, factor, 0xff000000u | in[i] * 0x010101u);
    }
}

}  // namespace

void zoom_scale(const unsigned char* window_image, int left, int top, int right, int bottom, int factor,
                std::uint32_t* target, int stride) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, ZTL_SCREEN_WIDTH);
    bottom = std::min(bottom, ZTL_SCREEN_HEIGHT);
    if (left >= right || top >= bottom) return;
    const std::size_t row_bytes = sizeof(std::uint32_t) * static_cast<std::size_t>((right - left) * factor);
    for (int y = top; y < bottom; ++y) {
        // One enlarged row, then copies of it for the square's other rows.
        std::uint32_t* first = target + static_cast<std::size_t>(y) * factor * stride + left * factor;
        scale_row(window_image + y * ZTL_SCREEN_WIDTH + left, right - left, factor, first);
        for (int copy = 1; copy < factor; ++copy) std::memcpy(first + copy * stride, first, row_bytes);
    }
}
