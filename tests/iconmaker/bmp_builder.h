// Writes BMP files of the kinds the converter meets, from a picture given top
// row first, so one picture can be stored in every layout and the results compared.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "icon_picture.h"

namespace bmp_test {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

struct Picture {
    int width = iconmaker::ICON_SIZE;
    int height = iconmaker::ICON_SIZE;
    std::vector<Rgb> pixels = std::vector<Rgb>(iconmaker::ICON_PIXELS, Rgb{255, 255, 255});  // top row first
    Rgb& at(int x, int y) { return pixels[y * width + x]; }
};

struct Layout {
    const char* name = "8-bit";
    int bits = 8;
    bool topDown = false;
    bool rle = false;
    std::uint32_t infoSize = 40;
    bool shortTable = false;                   // store only the colours used
    std::vector<std::uint32_t> masks = {};     // red, green, blue: BI_BITFIELDS when given
    std::size_t gap = 0;                       // bytes between the colour table and the pixels
};

inline void put16(std::string& s, std::uint32_t v) { s += char(v & 0xFF), s += char(v >> 8 & 0xFF); }
inline void put32(std::string& s, std::uint32_t v) { put16(s, v & 0xFFFF), put16(s, v >> 16); }

// RLE of one row of indices: runs (in RLE4 of two alternating indices), and
// absolute mode where three or more pixels in a row start no run worth its bytes.
inline void encodeRleRow(std::string& out, const std::vector<int>& row, int bits) {
    const std::size_t shortest = bits == 8 ? 2 : 3;
    auto runAt = [&](std::size_t i) {
        std::size_t n = 1;
        while (i + n < row.size() && n < 255 && row[i + n] == row[i + (bits == 4 ? n % 2 : 0)]) ++n;
        return n;
    };
    for (std::size_t i = 0; i < row.size();) {
        std::size_t loose = 0;
        while (i + loose < row.size() && runAt(i + loose) < shortest && loose < 254) ++loose;
        if (loose >= 3) {
            out += char(0), out += char(loose);
            std::string data;
            for (std::size_t k = 0; k < loose; ++k) {
                if (bits == 8) data += char(row[i + k]);
                else if (k % 2 == 0) data += char(row[i + k] << 4);
                else data.back() = char(data.back() | row[i + k]);
            }
            if (data.size() % 2) data += char(0);
            out += data;
            i += loose;
        } else {
            const std::size_t n = runAt(i);
            out += char(n), out += char(bits == 8 ? row[i] : row[i] << 4 | row[i + (n > 1)]);
            i += n;
        }
    }
    out += char(0), out += char(0);
}

inline std::uint32_t packMasked(const Rgb& c, const std::vector<std::uint32_t>& masks) {
    auto channel = [](std::uint8_t v, std::uint32_t mask) {
        const int shift = std::countr_zero(mask);
        const std::uint32_t top = mask >> shift;
        return static_cast<std::uint32_t>((v * top + 127) / 255) << shift;
    };
    return channel(c.r, masks[0]) | channel(c.g, masks[1]) | channel(c.b, masks[2]);
}

inline std::string encodeBmp(const Picture& picture, const Layout& layout) {
    std::vector<Rgb> palette;
    std::vector<int> indices;
    for (const Rgb& c : picture.pixels) {
        auto found = std::find(palette.begin(), palette.end(), c);
        if (found == palette.end()) found = palette.insert(palette.end(), c);
        indices.push_back(int(found - palette.begin()));
    }
    const bool indexed = layout.bits <= 8;
    if (indexed && palette.size() > (1u << layout.bits)) throw std::invalid_argument("too many colours");
    const std::uint32_t entries = !indexed ? 0 : layout.shortTable ? palette.size() : 1u << layout.bits;
    std::vector<std::uint32_t> masks = layout.masks;
    if (masks.empty()) masks = layout.bits == 16 ? std::vector<std::uint32_t>{0x7C00, 0x3E0, 0x1F}
                                                 : std::vector<std::uint32_t>{0xFF0000, 0xFF00, 0xFF};
    const bool fieldsAfterHeader = !layout.masks.empty() && layout.infoSize == 40;

    std::string pixels;
    const int stride = (picture.width * layout.bits + 31) / 32 * 4;
    for (int stored = 0; stored < picture.height; ++stored) {
        const int y = layout.topDown ? stored : picture.height - 1 - stored;
        std::vector<int> row(indices.begin() + y * picture.width, indices.begin() + (y + 1) * picture.width);
        if (layout.rle) {
            encodeRleRow(pixels, row, layout.bits);
            continue;
        }
        std::string bytes(stride, '\0');
        for (int x = 0; x < picture.width; ++x) {
            if (indexed) {
                const int bit = x * layout.bits;
                bytes[bit / 8] = char(bytes[bit / 8] | row[x] << (8 - layout.bits - bit % 8));
            } else {
                const std::uint32_t v = packMasked(palette[row[x]], masks);
                for (int k = 0; k < layout.bits / 8; ++k) bytes[x * layout.bits / 8 + k] = char(v >> 8 * k);
            }
        }
        pixels += bytes;
    }
    if (layout.rle) pixels += std::string("\0\1", 2);

    const std::uint32_t compression = layout.rle ? (layout.bits == 8 ? 1 : 2) : layout.masks.empty() ? 0 : 3;
    std::string info;
    put32(info, layout.infoSize), put32(info, picture.width);
    put32(info, std::uint32_t(layout.topDown ? -picture.height : picture.height));
    put16(info, 1), put16(info, layout.bits), put32(info, compression), put32(info, pixels.size());
    put32(info, 2835), put32(info, 2835), put32(info, layout.shortTable ? entries : 0), put32(info, 0);
    if (layout.infoSize > 40 || fieldsAfterHeader)
        for (std::uint32_t m : masks) put32(info, m);
    info.resize(std::max<std::size_t>(info.size(), layout.infoSize), '\0');
    for (std::uint32_t i = 0; i < entries; ++i) {
        const Rgb c = i < palette.size() ? palette[i] : Rgb{};
        info += char(c.b), info += char(c.g), info += char(c.r), info += char(0);
    }
    info += std::string(layout.gap, '\x5A');
    std::string file = "BM";
    put32(file, 14 + info.size() + pixels.size()), put32(file, 0), put32(file, 14 + info.size());
    return file + info + pixels;
}

// A picture of `colours` colours, drawn from white, black, the primaries and
// random colours, every channel one that five bits store exactly (so 16-bit files
// hold the same colours), laid out in runs and single pixels.
inline Picture randomPicture(std::mt19937& random, std::size_t colours) {
    const std::vector<Rgb> special{{255, 255, 255}, {0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
    auto five = [&] { return std::uint8_t((std::uniform_int_distribution<>(0, 31)(random) * 255 + 15) / 31); };
    std::vector<Rgb> palette;
    while (palette.size() < colours) {
        const Rgb c = random() % 2 ? special[random() % special.size()] : Rgb{five(), five(), five()};
        if (std::find(palette.begin(), palette.end(), c) == palette.end()) palette.push_back(c);
    }
    Picture picture;
    for (std::size_t i = 0; i < picture.pixels.size();) {
        const std::size_t run = std::min<std::size_t>(random() % 3 ? 1 : 1 + random() % 60, picture.pixels.size() - i);
        std::fill_n(picture.pixels.begin() + i, run, palette[random() % palette.size()]);
        i += run;
    }
    return picture;
}

}  // namespace bmp_test
