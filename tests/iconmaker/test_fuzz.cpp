// Random and mutated BMP files: whatever the bytes, the reader ends with a
// status, a loaded picture is whole, and a refused one leaves the picture before
// it in place. Meant for the sanitizer build, which catches any stray access.
#include <gtest/gtest.h>

#include <sstream>

#include "bmp_builder.h"

using namespace iconmaker;

namespace {

// Loads the bytes over a white picture. A refused file leaves the white picture;
// a loaded one is whole: every pixel's icon code is the code of the colour it
// shows in the preview.
void loadOverWhite(const std::string& bytes) {
    IconPicture iconPicture;
    std::istringstream white(bmp_test::encodeBmp(bmp_test::Picture{}, {}));
    ASSERT_EQ(iconPicture.loadBmp(white).status, BmpStatus::LOADED);
    iconPicture.makeGreyPalette();
    std::istringstream in(bytes);
    const BmpStatus status = iconPicture.loadBmp(in).status;
    ASSERT_NE(status, BmpStatus::CANNOT_OPEN);
    if (status != BmpStatus::LOADED) {
        ASSERT_EQ(iconPicture.ztiBytes(), ZtiIcon{});
        ASSERT_EQ(iconPicture.previewRgb(0, 0), 0xFFFFFFu);
        return;
    }
    ASSERT_TRUE(iconPicture.makeGreyPalette());
    const ZtiIcon icon = iconPicture.ztiBytes();
    for (int y = 0; y < ICON_SIZE; ++y)
        for (int x = 0; x < ICON_SIZE; ++x) {
            const std::uint32_t rgb = iconPicture.previewRgb(x, y);
            const BmpColour colour{std::uint8_t(rgb), std::uint8_t(rgb >> 8), std::uint8_t(rgb >> 16), 0};
            ASSERT_EQ(icon[y * ZTI_ROW_BYTES + x / 4] >> 2 * (x % 4) & 3, int(greyCodeOf(reducedGrey(colour))))
                << x << "," << y;
        }
}

}  // namespace

TEST(Fuzz, RandomBytes) {
    std::mt19937 random(2024);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(random() % 4000, '\0');
        for (char& c : bytes) c = char(random());
        if (round % 2 && bytes.size() >= 2) bytes[0] = 'B', bytes[1] = 'M';
        SCOPED_TRACE(round);
        loadOverWhite(bytes);
    }
}

// Valid files of every layout with bytes changed, fields set to extremes and ends cut off.
TEST(Fuzz, MutatedFiles) {
    const bmp_test::Layout layouts[] = {
        {.bits = 1}, {.bits = 4, .rle = true}, {}, {.rle = true}, {.shortTable = true},
        {.bits = 16}, {.bits = 24, .topDown = true}, {.bits = 32, .infoSize = 124, .masks = {0xFF, 0xFF00, 0xFF0000}},
    };
    const std::uint32_t extremes[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 48, 0xFFFFFFD0};
    std::mt19937 random(77);
    for (int round = 0; round < 4000; ++round) {
        const bmp_test::Layout& layout = layouts[round % std::size(layouts)];
        std::string bytes = bmp_test::encodeBmp(bmp_test::randomPicture(random, layout.bits == 1 ? 2 : 12), layout);
        switch (random() % 3) {
            case 0:  // a few bytes, mostly in the headers
                for (int n = 1 + random() % 6; n > 0; --n)
                    bytes[random() % (random() % 2 ? std::min<std::size_t>(bytes.size(), 70) : bytes.size())] = char(random());
                break;
            case 1: {  // one header field, four bytes wide, set to an extreme
                const std::size_t at = 2 + 2 * (random() % 26);
                const std::uint32_t value = extremes[random() % std::size(extremes)];
                for (int i = 0; i < 4; ++i) bytes[at + i] = char(value >> 8 * i);
                break;
            }
            default:
                bytes.resize(random() % bytes.size());
        }
        SCOPED_TRACE(round);
        loadOverWhite(bytes);
    }
}
