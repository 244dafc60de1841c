// Zoom of the desktop window: where the 640 x 240 screen sits in a client
// area of any size, at a whole factor of device pixels, and the nearest-
// neighbour enlargement of the window image. Toolkit-free, so that tests run
// it without a window.
#pragma once

#include <cstdint>

// The choices of the View menu: a fixed factor 1..4, or the largest that fits.
constexpr int ZOOM_FIT = 0;
constexpr int ZOOM_LARGEST = 4;

// Where the screen is drawn, in device pixels of the client area: every
// screen pixel is a factor x factor square whose top-left corner is
// (left + x * factor, top + y * factor). left and top are negative when a
// fixed factor does not fit: the screen is centred and cut.
struct ZoomPlacement {
    int factor;
    int left;
    int top;
};

// The placement for a choice in a client area of device_width x
// device_height device pixels at the given device pixel ratio. A fixed
// choice k is the largest whole device factor not above k logical pixels
// (at ratio 1.5, x1 is 1 and x2 is 3), so pixels stay sharp at any ratio.
ZoomPlacement zoom_place(int choice, int device_width, int device_height, double device_pixel_ratio);

// The screen pixel under a device pixel of the client area; coordinates
// outside the screen come out below 0 or at 640 / 240 and beyond.
int zoom_screen_x(const ZoomPlacement& placement, int device_x);
int zoom_screen_y(const ZoomPlacement& placement, int device_y);
bool zoom_on_screen(const ZoomPlacement& placement, int device_x, int device_y);

// Enlarges the screen rectangle left <= x < right, top <= y < bottom of the
// window image (one intensity byte per pixel, 640 per row) into opaque
// 0xffRRGGBB pixels of target, an image of (640 x 240) x factor pixels
// with stride pixels per row.
void zoom_scale(const unsigned char* window_image, int left, int top, int right, int bottom, int factor,
                std::uint32_t* target, int stride);
