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

LoadResult load(IconPicture& iconPicture, const std::string& bytes) {
    std::istringstream in(bytes);
    const LoadResult result = iconPicture.loadBmp(in);
    iconPicture.makeGreyPalette();
    return result;
}

ZtiIcon iconOf(const std::string& bytes) {
    IconPicture iconPicture;
    EXPECT_EQ(load(iconPicture, bytes).status, BmpStatus::LOADED);
    return iconPicture.ztiBytes();
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
    IconPicture iconPicture;
    EXPECT_FALSE(iconPicture.makeGreyPalette());
    load(iconPicture, bmp_test::encodeBmp(uniform({0, 0, 0}), PLAIN));
    EXPECT_TRUE(iconPicture.makeGreyPalette());
    EXPECT_EQ(iconPicture.ztiBytes()[0], 0xFF);
    EXPECT_EQ(iconPicture.previewRgb(0, 0), 0u) << "the preview keeps the file's colours";
}

// Every layout of a picture converts and previews exactly as its plain 8-bit file.
TEST(Formats, EveryLayoutGivesTheIconAndPreviewOfThePlainFile) {
    std::mt19937 random(12);
    for (const Layout& layout : LAYOUTS)
        for (int round = 0; round < 12; ++round) {
            const std::size_t colours = 1 + random() % (layout.bits == 1 ? 2 : 16);
            const Picture picture = bmp_test::randomPicture(random, colours);
            IconPicture expected, actual;
            ASSERT_EQ(load(expected, bmp_test::encodeBmp(picture, PLAIN)).status, BmpStatus::LOADED);
            ASSERT_EQ(load(actual, bmp_test::encodeBmp(picture, layout)).status, BmpStatus::LOADED) << layout.name;
            ASSERT_EQ(actual.ztiBytes(), expected.ztiBytes()) << layout.name << " round " << round;
            for (int i = 0; i < ICON_PIXELS; ++i) {
                const Rgb c = picture.pixels[i];
                ASSERT_EQ(actual.previewRgb(i % 48, i / 48), std::uint32_t(c.r << 16 | c.g << 8 | c.b)) << layout.name;
            }
        }
}

TEST(Formats, RleDeltaEndOfLineAndOverlongRunsStayInsideThePicture) {
    // Table: 0 white, 1 black (the padding). Delta to (3, 1), two black, end of
    // line, a run of 255 black in row 2, end of bitmap. Rows count from the bottom.
    std::string bytes = bmp_test::encodeBmp(uniform({255, 255, 255}), {.rle = true});
    bytes.resize(1078);
    bytes += std::string("\0\2\3\1\2\1\0\0\xFF\1\0\1", 12);
    IconPicture iconPicture;
    ASSERT_EQ(load(iconPicture, bytes).status, BmpStatus::LOADED);
    const ZtiIcon icon = iconPicture.ztiBytes();
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
        {"empty", "", BmpStatus::TRUNCATED},
        {"one byte", "B", BmpStatus::TRUNCATED},
        {"inside the info header", plain.substr(0, 40), BmpStatus::TRUNCATED},
        {"inside the colour table", plain.substr(0, 600), BmpStatus::TRUNCATED},
        {"last pixel missing", plain.substr(0, plain.size() - 1), BmpStatus::TRUNCATED},
        {"pixel offset past the end", patched(10, 0xFFFFFFF0), BmpStatus::TRUNCATED},
        {"a PNG", "\x89PNG\r\n\x1A\n" + plain, BmpStatus::NOT_BMP},
        {"32 x 32", bmp_test::encodeBmp(small, PLAIN), BmpStatus::WRONG_SIZE},
        {"48 x 47", patched(22, 47), BmpStatus::WRONG_SIZE},
        {"47 x 48", patched(18, 47), BmpStatus::WRONG_SIZE},
        {"most negative height", patched(22, 0x80000000), BmpStatus::WRONG_SIZE},
        {"2 bits", patched(28, 2, 2), BmpStatus::UNSUPPORTED},
        {"JPEG inside", patched(30, 4), BmpStatus::UNSUPPORTED},
        {"RLE4 on 8 bits", patched(30, 2), BmpStatus::UNSUPPORTED},
        {"core header", patched(14, 12), BmpStatus::UNSUPPORTED},
        {"top-down RLE", bmp_test::encodeBmp(uniform({0, 0, 0}), {.topDown = true, .rle = true}), BmpStatus::UNSUPPORTED},
    };
    IconPicture iconPicture;
    const std::string white = bmp_test::encodeBmp(uniform({255, 255, 255}), PLAIN);
    ASSERT_EQ(load(iconPicture, white).status, BmpStatus::LOADED);
    for (const Case& c : cases) {
        EXPECT_EQ(load(iconPicture, c.bytes).status, c.status) << c.what;
        EXPECT_EQ(iconPicture.ztiBytes(), ZtiIcon{}) << c.what;
        EXPECT_EQ(iconPicture.previewRgb(0, 0), 0xFFFFFFu) << c.what;
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
            IconPicture iconPicture;
            ASSERT_EQ(load(iconPicture, bytes.substr(0, length)).status, BmpStatus::TRUNCATED) << layout.name << " " << length;
        }
    }
}

TEST(Files, OpenSaveAndTheirFailures) {
    const auto dir = std::filesystem::temp_directory_path() / ("iconmaker_files_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string bmp = (dir / "icon.bmp").string();
    std::mt19937 random(5);
    std::ofstream(bmp, std::ios::binary) << bmp_test::encodeBmp(bmp_test::randomPicture(random, 4), PLAIN);

    IconPicture iconPicture;
    EXPECT_EQ(iconPicture.loadBmp((dir / "missing.bmp").string()).status, BmpStatus::CANNOT_OPEN);
    EXPECT_EQ(iconPicture.loadBmp(dir.string()).status, BmpStatus::CANNOT_OPEN) << "a folder";
    ASSERT_EQ(iconPicture.loadBmp(bmp).status, BmpStatus::LOADED);
    iconPicture.makeGreyPalette();
    const auto read = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const ZtiIcon icon = iconPicture.ztiBytes();
    const std::string expected(icon.begin(), icon.end());
    for (int save = 0; save < 2; ++save) {
        ASSERT_EQ(iconPicture.saveZti((dir / "icon.ZTI").string()), SaveStatus::SAVED);
        EXPECT_EQ(read(dir / "icon.ZTI"), expected) << "save " << save;
    }
    EXPECT_EQ(iconPicture.saveZti(dir.string()), SaveStatus::CANNOT_OPEN);
    EXPECT_EQ(iconPicture.saveZti((dir / "no/such/folder.ZTI").string()), SaveStatus::CANNOT_OPEN);
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(iconPicture.saveZti("/dev/full"), SaveStatus::WRITE_FAILED);
    }
    std::filesystem::remove_all(dir);
}

// A table of 256 entries whose header says fewer are used is read whole when the
// space before the pixels holds it; a pixel naming an entry the table lacks is refused.
TEST(ColourTable, UnderstatedCountsAreReadWholeAndMissingColoursRefused) {
    std::mt19937 random(8);
    const Picture picture = bmp_test::randomPicture(random, 40);
    const std::string plain = bmp_test::encodeBmp(picture, PLAIN);
    auto withField = [](std::string bytes, std::size_t offset, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[offset + i] = char(value >> 8 * i);
        return bytes;
    };
    const std::size_t COLOURS_USED = 46;
    ASSERT_EQ(iconOf(withField(plain, COLOURS_USED, 16)), iconOf(plain)) << "16 used, 256 stored";
    ASSERT_EQ(iconOf(withField(plain, COLOURS_USED, 1)), iconOf(plain)) << "1 used, 256 stored";

    // 40 entries stored and said, the pixels right after them.
    const std::string short40 = bmp_test::encodeBmp(picture, {.shortTable = true});
    ASSERT_EQ(iconOf(short40), iconOf(plain));
    const std::size_t firstPixel = 14 + 40 + 40 * 4;
    for (const auto& [what, bytes] : std::vector<std::pair<const char*, std::string>>{
             {"index 40 of 40", [&] { std::string s = short40; s[firstPixel] = 40; return s; }()},
             {"index 255 of 40", [&] { std::string s = short40; s[firstPixel + 100] = char(255); return s; }()},
             {"16 said, no room for more", withField(short40, COLOURS_USED, 16)},
         }) {
        IconPicture iconPicture;
        ASSERT_EQ(load(iconPicture, plain).status, BmpStatus::LOADED);
        EXPECT_EQ(load(iconPicture, bytes).status, BmpStatus::MISSING_COLOUR) << what;
        EXPECT_EQ(iconPicture.ztiBytes(), iconOf(plain)) << what << ": the picture before stays";
    }
}
