// Reading a BMP file into the converter's one picture layout. Icons are 48 × 48;
// every other size is refused, and so is what the reader cannot decode, so the
// rest of the converter never meets a picture of another shape.
#pragma once

#include <cstdint>
#include <istream>
#include <vector>

namespace iconmaker {

inline constexpr int ICON_SIZE = 48;  // width and height of a launcher icon
inline constexpr int ICON_PIXELS = ICON_SIZE * ICON_SIZE;

// One colour table entry, in file order.
struct BmpColour {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
    bool operator==(const BmpColour&) const = default;
};

// The info header's fields as stored (its first 40 bytes; later versions only add fields).
struct BmpInfoHeader {
    std::uint32_t size = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative: rows stored top-down
    std::uint16_t planes = 0;
    std::uint16_t bitsPerPixel = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::int32_t xPixelsPerMetre = 0;
    std::int32_t yPixelsPerMetre = 0;
    std::uint32_t coloursUsed = 0;
    std::uint32_t coloursImportant = 0;
};

enum class BmpStatus {
    LOADED,
    CANNOT_OPEN,     // missing or not a regular file
    TRUNCATED,       // the file ends inside its headers, colour table or pixel data
    NOT_BMP,         // no "BM" signature
    WRONG_SIZE,      // readable, but not 48 × 48
    UNSUPPORTED,     // a header, depth or compression this reader does not decode
    MISSING_COLOUR,  // a pixel names an entry past the end of the colour table
};

// Every picture in the layout of an uncompressed 8-bit file: a colour table and one
// table index per pixel, rows bottom-up, pixel (x, y) at 48 y + x with y counted
// from the bottom row. A picture without a colour table in its file gets a table of
// its distinct colours, in the order they first appear.
struct BmpPicture {
    BmpInfoHeader info;
    std::vector<BmpColour> colours;
    std::vector<std::uint16_t> pixels;
};

struct BmpReadResult {
    BmpStatus status = BmpStatus::LOADED;
    BmpPicture picture;  // complete only when status is Loaded; info as far as it was read
};

BmpReadResult readBmp(std::istream& in);

}  // namespace iconmaker
