// BMP to ZTI conversion without a window: the grey rule at its thresholds, the
// icon's byte layout, every BMP layout against the plain 8-bit one, refusals,
// truncated files and the files on disk.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "bmp_builder.h"

using namespace iconmaker;
using bmp_test::Layout;
using bmp_test::Picture;
using bmp_test::Rgb;

namespace {

LoadResult load(TDIBSection& dib, const std::string& bytes) {
    std::istringstream in(bytes);
    const LoadResult result = dib.LoadBmp(in);
    dib.MakeGreyPalette();
    return result;
}

ZtiIcon iconOf(const std::string& bytes) {
    TDIBSection dib;
    EXPECT_EQ(load(dib, bytes).status, BmpStatus::Loaded);
    return dib.ZtiBytes();
}

Picture uniform(Rgb colour) {
    Picture picture;
    std::fill(picture.pixels.begin(), picture.pixels.end(), colour);
    return picture;
}

const Layout PLAIN{};
const Layout TRUE_COLOUR{.name = "24-bit", .bits = 24};

const std::vector<Layout> LAYOUTS{
    {.name = "1-bit", .bits = 1},
    {.name = "4-bit", .bits = 4},
    {.name = "4-bit top-down", .bits = 4, .topDown = true},
    {.name = "4-bit RLE", .bits = 4, .rle = true},
    {.name = "8-bit top-down", .topDown = true},
    {.name = "8-bit RLE", .rle = true},
    {.name = "8-bit short table, 124-byte header", .infoSize = 124, .shortTable = true},
    {.name = "8-bit, a gap before the pixels", .gap = 6},
    {.name = "16-bit", .bits = 16},
    {.name = "16-bit fields, red low", .bits = 16, .masks = {0x1F, 0x3E0, 0x7C00}},
    TRUE_COLOUR,
    {.name = "24-bit top-down", .bits = 24, .topDown = true},
    {.name = "32-bit", .bits = 32},
    {.name = "32-bit fields, red low", .bits = 32, .masks = {0xFF, 0xFF00, 0xFF0000}},
    {.name = "32-bit fields, 108-byte header", .bits = 32, .infoSize = 108, .masks = {0xFF0000, 0xFF00, 0xFF}},
};

}  // namespace

TEST(GreyRule, UniformPicturesGiveTheCodeOfTheirColourInEveryByte) {
    struct Case {
        Rgb colour;
        std::uint8_t byte;
    };
    const Case cases[] = {
        {{255, 255, 255}, 0x00}, {{0, 0, 0}, 0xFF},       {{128, 128, 128}, 0x55}, {{127, 127, 127}, 0xAA},
        {{255, 0, 0}, 0xAA},     {{0, 255, 0}, 0x55},     {{0, 0, 255}, 0xFF},     {{64, 64, 64}, 0xAA},
        {{63, 63, 63}, 0xFF},    {{192, 192, 192}, 0x00}, {{191, 191, 191}, 0x55},
        {{0, 102, 34}, 0xAA},    {{0, 204, 68}, 0x55},    {{57, 249, 246}, 0x00},  // lum exactly at a threshold
    };
    for (const Layout& layout : {PLAIN, TRUE_COLOUR})
        for (const Case& c : cases) {
            const ZtiIcon icon = iconOf(bmp_test::encodeBmp(uniform(c.colour), layout));
            EXPECT_EQ(std::count(icon.begin(), icon.end(), c.byte), ZTI_BYTES)
                << layout.name << " colour " << int(c.colour.r) << "," << int(c.colour.g) << "," << int(c.colour.b);
        }
}

TEST(IconLayout, TopRowComesFirstWithTheLeftmostPixelInTheLowBits) {
    Picture picture;
    picture.at(1, 0) = {128, 128, 128};
    picture.at(2, 0) = {127, 127, 127};
    picture.at(3, 0) = {0, 0, 0};
    picture.at(47, 47) = {0, 0, 0};  // bottom right: the icon's last byte
    const std::string bytes = bmp_test::encodeBmp(picture, PLAIN);
    EXPECT_EQ(std::uint8_t(bytes[1078 + 47 * 48 + 3]), 3) << "the top row is the last stored row";
    const ZtiIcon icon = iconOf(bytes);
    EXPECT_EQ(icon[0], 0xE4);
    EXPECT_EQ(icon[ZTI_BYTES - 1], 0xC0);
    EXPECT_EQ(std::count(icon.begin(), icon.end(), 0), ZTI_BYTES - 2);
}

TEST(GreyRule, ReductionHappensOncePerLoadAndNeedsAPicture) {
    TDIBSection dib;
    EXPECT_FALSE(dib.MakeGreyPalette());
    load(dib, bmp_test::encodeBmp(uniform({0, 0, 0}), PLAIN));
    EXPECT_TRUE(dib.MakeGreyPalette());
    EXPECT_EQ(dib.ZtiBytes()[0], 0xFF);
    EXPECT_EQ(dib.PreviewRgb(0, 0), 0u) << "the preview keeps the file's colours";
}

// Every layout of a picture converts and previews exactly as its plain 8-bit file.
TEST(Formats, EveryLayoutGivesTheIconAndPreviewOfThePlainFile) {
    std::mt19937 random(12);
    for (const Layout& layout : LAYOUTS)
        for (int round = 0; round < 12; ++round) {
            const std::size_t colours = 1 + random() % (layout.bits == 1 ? 2 : 16);
            const Picture picture = bmp_test::randomPicture(random, colours);
            TDIBSection expected, actual;
            ASSERT_EQ(load(expected, bmp_test::encodeBmp(picture, PLAIN)).status, BmpStatus::Loaded);
            ASSERT_EQ(load(actual, bmp_test::encodeBmp(picture, layout)).status, BmpStatus::Loaded) << layout.name;
            ASSERT_EQ(actual.ZtiBytes(), expected.ZtiBytes()) << layout.name << " round " << round;
            for (int i = 0; i < ICON_PIXELS; ++i) {
                const Rgb c = picture.pixels[i];
                ASSERT_EQ(actual.PreviewRgb(i % 48, i / 48), std::uint32_t(c.r << 16 | c.g << 8 | c.b)) << layout.name;
            }
        }
}

TEST(Formats, RleDeltaEndOfLineAndOverlongRunsStayInsideThePicture) {
    // Table: 0 white, 1 black (the padding). Delta to (3, 1), two black, end of
    // line, a run of 255 black in row 2, end of bitmap. Rows count from the bottom.
    std::string bytes = bmp_test::encodeBmp(uniform({255, 255, 255}), {.rle = true});
    bytes.resize(1078);
    bytes += std::string("\0\2\3\1\2\1\0\0\xFF\1\0\1", 12);
    TDIBSection dib;
    ASSERT_EQ(load(dib, bytes).status, BmpStatus::Loaded);
    const ZtiIcon icon = dib.ZtiBytes();
    EXPECT_EQ(icon[46 * 12], 0xC0);
    EXPECT_EQ(icon[46 * 12 + 1], 0x03);
    EXPECT_EQ(std::count(icon.begin() + 45 * 12, icon.begin() + 46 * 12, 0xFF), 12) << "row 2 from the bottom";
    EXPECT_EQ(std::count(icon.begin(), icon.end(), 0), ZTI_BYTES - 14);
}

// Files the converter refuses or cannot read leave the loaded picture as it was.
TEST(Refusals, ClearStatusAndThePreviousPictureStays) {
    const std::string plain = bmp_test::encodeBmp(uniform({0, 0, 0}), PLAIN);
    auto patched = [&](std::size_t offset, std::uint32_t value, int bytes = 4) {
        std::string s = plain;
        for (int i = 0; i < bytes; ++i) s[offset + i] = char(value >> 8 * i);
        return s;
    };
    Picture small;
    small.width = small.height = 32;
    small.pixels.resize(32 * 32);
    struct Case {
        const char* what;
        std::string bytes;
        BmpStatus status;
    };
    const Case cases[] = {
        {"empty", "", BmpStatus::Truncated},
        {"one byte", "B", BmpStatus::Truncated},
        {"inside the info header", plain.substr(0, 40), BmpStatus::Truncated},
        {"inside the colour table", plain.substr(0, 600), BmpStatus::Truncated},
        {"last pixel missing", plain.substr(0, plain.size() - 1), BmpStatus::Truncated},
        {"pixel offset past the end", patched(10, 0xFFFFFFF0), BmpStatus::Truncated},
        {"a PNG", "\x89PNG\r\n\x1A\n" + plain, BmpStatus::NotBmp},
        {"32 x 32", bmp_test::encodeBmp(small, PLAIN), BmpStatus::WrongSize},
        {"48 x 47", patched(22, 47), BmpStatus::WrongSize},
        {"47 x 48", patched(18, 47), BmpStatus::WrongSize},
        {"most negative height", patched(22, 0x80000000), BmpStatus::WrongSize},
        {"2 bits", patched(28, 2, 2), BmpStatus::Unsupported},
        {"JPEG inside", patched(30, 4), BmpStatus::Unsupported},
        {"RLE4 on 8 bits", patched(30, 2), BmpStatus::Unsupported},
        {"core header", patched(14, 12), BmpStatus::Unsupported},
        {"top-down RLE", bmp_test::encodeBmp(uniform({0, 0, 0}), {.topDown = true, .rle = true}), BmpStatus::Unsupported},
    };
    TDIBSection dib;
    const std::string white = bmp_test::encodeBmp(uniform({255, 255, 255}), PLAIN);
    ASSERT_EQ(load(dib, white).status, BmpStatus::Loaded);
    for (const Case& c : cases) {
        EXPECT_EQ(load(dib, c.bytes).status, c.status) << c.what;
        EXPECT_EQ(dib.ZtiBytes(), ZtiIcon{}) << c.what;
        EXPECT_EQ(dib.PreviewRgb(0, 0), 0xFFFFFFu) << c.what;
    }
    EXPECT_EQ(iconOf(patched(2, 10)), iconOf(plain)) << "a file size below the headers is not used";
    EXPECT_EQ(iconOf(patched(10, 20)), iconOf(plain)) << "an offset into the headers means after the table";
}

TEST(Refusals, EveryShorterPrefixIsTruncated) {
    const Picture picture = [] {
        std::mt19937 random(3);
        return bmp_test::randomPicture(random, 9);
    }();
    for (const Layout& layout : {PLAIN, TRUE_COLOUR, Layout{.rle = true}, Layout{.bits = 4, .rle = true}}) {
        const std::string bytes = bmp_test::encodeBmp(picture, layout);
        // An RLE stream is complete after the end of its last line, before its end mark.
        const std::size_t complete = bytes.size() - (layout.rle ? 2 : 0);
        for (std::size_t length = 0; length < complete; ++length) {
            TDIBSection dib;
            ASSERT_EQ(load(dib, bytes.substr(0, length)).status, BmpStatus::Truncated) << layout.name << " " << length;
        }
    }
}

TEST(Files, OpenSaveAndTheirFailures) {
    const auto dir = std::filesystem::temp_directory_path() / ("iconmaker_files_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string bmp = (dir / "icon.bmp").string();
    std::mt19937 random(5);
    std::ofstream(bmp, std::ios::binary) << bmp_test::encodeBmp(bmp_test::randomPicture(random, 4), PLAIN);

    TDIBSection dib;
    EXPECT_EQ(dib.LoadBmp((dir / "missing.bmp").string()).status, BmpStatus::CannotOpen);
    EXPECT_EQ(dib.LoadBmp(dir.string()).status, BmpStatus::CannotOpen) << "a folder";
    ASSERT_EQ(dib.LoadBmp(bmp).status, BmpStatus::Loaded);
    dib.MakeGreyPalette();
    const auto read = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const ZtiIcon icon = dib.ZtiBytes();
    const std::string expected(icon.begin(), icon.end());
    for (int save = 0; save < 2; ++save) {
        ASSERT_EQ(dib.SaveZti((dir / "icon.ZTI").string()), SaveStatus::Saved);
        EXPECT_EQ(read(dir / "icon.ZTI"), expected) << "save " << save;
    }
    EXPECT_EQ(dib.SaveZti(dir.string()), SaveStatus::CannotOpen);
    EXPECT_EQ(dib.SaveZti((dir / "no/such/folder.ZTI").string()), SaveStatus::CannotOpen);
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(dib.SaveZti("/dev/full"), SaveStatus::WriteFailed);
    }
    std::filesystem::remove_all(dir);
}
