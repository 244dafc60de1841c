// Pixel data of a 48 × 48 BMP into table indices: uncompressed rows of 1, 4, 8,
// 16, 24 or 32 bits, bottom-up or top-down, and RLE4 / RLE8 streams.
#pragma once

#include <array>
#include <cstdint>

#include "bmp_reader.h"
#include "field_reader.h"

namespace iconmaker {

// Values of the info header's compression field.
inline constexpr std::uint32_t BI_RGB = 0;
inline constexpr std::uint32_t BI_RLE8 = 1;
inline constexpr std::uint32_t BI_RLE4 = 2;
inline constexpr std::uint32_t BI_BITFIELDS = 3;

struct PixelFormat {
    int bitsPerPixel = 8;
    std::uint32_t compression = BI_RGB;
    bool topDown = false;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue bits of a 16-, 24- or 32-bit pixel
};

// Reads the pixel data at the reader's position into picture.pixels; pictures
// without a colour table get theirs in picture.colours. The reader stops at the
// end of the picture, so no size field decides how much is read. Pixels an RLE
// stream skips keep index 0. A short file leaves the reader failed.
void decodePixels(FieldReader& in, const PixelFormat& format, BmpPicture& picture);

// A 48 × 48 picture from its colours, top row first, in the layout above.
BmpPicture pictureOfColours(const std::vector<BmpColour>& topRowFirst);

}  // namespace iconmaker
