#include "bmp_pixels.h"

#include <algorithm>
#include <bit>
#include <unordered_map>

namespace iconmaker {
namespace {

int rowStride(int bitsPerPixel) { return (ICON_SIZE * bitsPerPixel + 31) / 32 * 4; }

// Pictures are kept bottom-up whatever order the file stores its rows in.
int targetRow(const PixelFormat& format, int storedRow) {
    return format.topDown ? ICON_SIZE - 1 - storedRow : storedRow;
}

// Index of pixel x in a row of 1-, 4- or 8-bit indices; the leftmost pixel of a
// byte sits in its highest bits.
std::uint16_t indexAt(const std::array<std::uint8_t, ICON_SIZE>& row, int x, int bits) {
    const int bit = x * bits;
    const int shift = 8 - bits - bit % 8;
    return static_cast<std::uint16_t>((row[bit / 8] >> shift) & ((1 << bits) - 1));
}

void decodeIndexedRows(FieldReader& in, const PixelFormat& format, std::vector<std::uint16_t>& pixels) {
    const int stride = rowStride(format.bitsPerPixel);
    const int used = (ICON_SIZE * format.bitsPerPixel + 7) / 8;
    std::array<std::uint8_t, ICON_SIZE> row{};
    for (int stored = 0; stored < ICON_SIZE; ++stored) {
        for (int i = 0; i < used; ++i) row[i] = in.u8();
        in.skipTo(in.position() + (stride - used));
        const int y = targetRow(format, stored);
        for (int x = 0; x < ICON_SIZE; ++x)
            pixels[y * ICON_SIZE + x] = indexAt(row, x, format.bitsPerPixel);
    }
}

// Scales the bits of one colour channel to 0..255.
std::uint8_t channel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const std::uint64_t top = mask >> shift;
    const std::uint64_t value = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((value * 255 + top / 2) / top);
}

// Gives each distinct colour one table entry, in the order of first appearance.
class ColourTableBuilder {
public:
    explicit ColourTableBuilder(std::vector<BmpColour>& colours) : colours_(colours) { colours_.clear(); }

    std::uint16_t indexOf(const BmpColour& colour) {
        const auto [entry, added] = indices_.try_emplace(std::bit_cast<std::uint32_t>(colour),
                                                         static_cast<std::uint16_t>(colours_.size()));
        if (added) colours_.push_back(colour);
        return entry->second;
    }

private:
    std::vector<BmpColour>& colours_;
    std::unordered_map<std::uint32_t, std::uint16_t> indices_;
};

void decodeDirectRows(FieldReader& in, const PixelFormat& format, BmpPicture& picture) {
    const int bytes = format.bitsPerPixel / 8;
    const int padding = rowStride(format.bitsPerPixel) - ICON_SIZE * bytes;
    const auto [red, green, blue] = format.masks;
    ColourTableBuilder table(picture.colours);
    for (int stored = 0; stored < ICON_SIZE; ++stored) {
        const int y = targetRow(format, stored);
        for (int x = 0; x < ICON_SIZE; ++x) {
            const std::uint32_t pixel = in.readUnsigned(bytes);
            const BmpColour colour{channel(pixel, blue), channel(pixel, green), channel(pixel, red), 0};
            picture.pixels[y * ICON_SIZE + x] = table.indexOf(colour);
        }
        in.skipTo(in.position() + padding);
    }
}

// The pen of an RLE stream. Pixels off the picture are dropped and the pen's
// column stops at the right edge, so no run or delta can take it anywhere else.
class RleCanvas {
public:
    explicit RleCanvas(std::vector<std::uint16_t>& pixels) : pixels_(pixels) {}

    void put(int index) {
        if (x_ < ICON_SIZE && y_ < ICON_SIZE) pixels_[y_ * ICON_SIZE + x_] = static_cast<std::uint16_t>(index);
        advance(1, 0);
    }
    void advance(int dx, int dy) {
        x_ = std::min(x_ + dx, ICON_SIZE);
        y_ += dy;
    }
    void endOfLine() {
        x_ = 0;
        ++y_;
    }
    bool finished() const { return y_ >= ICON_SIZE; }

private:
    std::vector<std::uint16_t>& pixels_;
    int x_ = 0;
    int y_ = 0;
};

// An encoded run: RLE8 repeats one index, RLE4 alternates the high and the low nibble.
void putRun(RleCanvas& canvas, int count, int value, int bits) {
    for (int i = 0; i < count; ++i)
        canvas.put(bits == 8 || i % 2 == 0 ? value >> (8 - bits) : value & 0x0F);
}

// Absolute mode: `count` indices as they are, padded to a 16-bit boundary.
void putAbsolute(FieldReader& in, RleCanvas& canvas, int count, int bits) {
    const int bytes = (count * bits + 7) / 8;
    for (int i = 0, put = 0; i < bytes; ++i) {
        const int byte = in.u8();
        for (int shift = 8 - bits; shift >= 0 && put < count; shift -= bits, ++put)
            canvas.put((byte >> shift) & ((1 << bits) - 1));
    }
    if (bytes % 2 != 0) in.u8();
}

void decodeRle(FieldReader& in, int bits, std::vector<std::uint16_t>& pixels) {
    constexpr int END_OF_LINE = 0, END_OF_BITMAP = 1, DELTA = 2;
    RleCanvas canvas(pixels);
    while (!canvas.finished() && !in.failed()) {
        const int count = in.u8();
        const int value = in.u8();
        if (count > 0) {
            putRun(canvas, count, value, bits);
        } else if (value == END_OF_LINE) {
            canvas.endOfLine();
        } else if (value == END_OF_BITMAP) {
            return;
        } else if (value == DELTA) {
            const int dx = in.u8();
            canvas.advance(dx, in.u8());
        } else {
            putAbsolute(in, canvas, value, bits);
        }
    }
}

}  // namespace

void decodePixels(FieldReader& in, const PixelFormat& format, BmpPicture& picture) {
    picture.pixels.assign(ICON_PIXELS, 0);
    if (format.compression == BI_RLE8 || format.compression == BI_RLE4)
        decodeRle(in, format.bitsPerPixel, picture.pixels);
    else if (format.bitsPerPixel <= 8)
        decodeIndexedRows(in, format, picture.pixels);
    else
        decodeDirectRows(in, format, picture);
}

BmpPicture pictureOfColours(const std::vector<BmpColour>& topRowFirst) {
    BmpPicture picture;
    picture.pixels.assign(ICON_PIXELS, 0);
    ColourTableBuilder table(picture.colours);
    for (int y = 0; y < ICON_SIZE; ++y)
        for (int x = 0; x < ICON_SIZE; ++x)
            picture.pixels[y * ICON_SIZE + x] = table.indexOf(topRowFirst[(ICON_SIZE - 1 - y) * ICON_SIZE + x]);
    return picture;
}

}  // namespace iconmaker
