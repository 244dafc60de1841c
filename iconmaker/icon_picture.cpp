#include "icon_picture.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "bmp_pixels.h"

namespace iconmaker {
namespace {

int pixelIndex(int x, int yFromBottom) { return yFromBottom * ICON_SIZE + x; }

}  // namespace

std::uint8_t reducedGrey(const BmpColour& colour) {
    // The published luma weights scaled by 1000: 0 to 255000, cut in quarters.
    const int lum = 299 * colour.red + 587 * colour.green + 114 * colour.blue;
    if (lum < 63750) return 255;
    if (lum < 127500) return 169;
    if (lum < 191250) return 84;
    return 0;
}

GreyCode greyCodeOf(std::uint8_t grey) {
    if (grey == 255) return GreyCode::BLACK;
    if (grey >= 169) return GreyCode::DARK_GREY;
    if (grey >= 84) return GreyCode::LIGHT_GREY;
    return GreyCode::WHITE;
}

bool openBinaryFile(std::fstream& file, const std::string& path, OpenMode mode) {
    if (mode == OpenMode::READ) {
        std::error_code error;  // a path that cannot be examined counts as missing
        if (!std::filesystem::is_regular_file(path, error)) return false;
        file.open(path, std::ios::in | std::ios::binary);
    } else {
        file.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
    }
    return file.is_open();
}

// Until a load, a white picture: every operation has a well-formed picture to use.
IconPicture::IconPicture() {
    picture_.colours.assign(1, BmpColour{255, 255, 255, 0});
    picture_.pixels.assign(ICON_PIXELS, 0);
    loadedColours_ = picture_.colours;
}

LoadResult IconPicture::loadBmp(const std::string& path) {
    std::fstream file;
    if (!openBinaryFile(file, path, OpenMode::READ)) return {BmpStatus::CANNOT_OPEN, {}};
    return loadBmp(file);
}

LoadResult IconPicture::loadBmp(std::istream& in) {
    BmpReadResult read = readBmp(in);
    const LoadResult result{read.status, read.picture.info};
    if (read.status == BmpStatus::LOADED) adopt(std::move(read.picture));
    return result;
}

void IconPicture::loadColours(const std::vector<BmpColour>& topRowFirst) { adopt(pictureOfColours(topRowFirst)); }

void IconPicture::loadZti(const ZtiIcon& icon) {
    BmpPicture picture;
    for (const std::uint8_t grey : SHOWN_GREYS) picture.colours.push_back({grey, grey, grey, 0});
    picture.pixels.assign(ICON_PIXELS, 0);
    for (int row = 0; row < ICON_SIZE; ++row)
        for (int x = 0; x < ICON_SIZE; ++x)
            picture.pixels[pixelIndex(x, ICON_SIZE - 1 - row)] = static_cast<std::uint16_t>(greyCodeAt(icon, x, row));
    adopt(std::move(picture));
}

void IconPicture::adopt(BmpPicture picture) {
    picture_ = std::move(picture);
    loadedColours_ = picture_.colours;
    allocated_ = true;
    greyReduced_ = false;
}

ZtiReadResult readZti(const std::string& path) {
    ZtiReadResult result;
    std::fstream file;
    if (!openBinaryFile(file, path, OpenMode::READ)) return {ZtiStatus::CANNOT_OPEN, 0, {}};
    // One byte more than an icon tells a longer file without reading all of it.
    std::array<char, ZTI_BYTES + 1> bytes{};
    file.read(bytes.data(), bytes.size());
    result.bytes = static_cast<std::uint64_t>(file.gcount());
    if (result.bytes != ZTI_BYTES) result.status = ZtiStatus::WRONG_SIZE;
    std::copy_n(bytes.begin(), ZTI_BYTES, result.icon.begin());
    return result;
}

bool IconPicture::makeGreyPalette() {
    if (!allocated_) return false;
    // A second reduction would map the inverted greys back to their opposites.
    if (greyReduced_) return true;
    for (BmpColour& colour : picture_.colours) {
        const std::uint8_t grey = reducedGrey(colour);
        colour.red = colour.green = colour.blue = grey;
    }
    greyReduced_ = true;
    return true;
}

ZtiIcon IconPicture::ztiBytes() const {
    ZtiIcon icon{};
    for (int row = 0; row < ICON_SIZE; ++row) {
        const int yFromBottom = ICON_SIZE - 1 - row;  // the icon's first row is the top row
        for (int x = 0; x < ICON_SIZE; ++x) {
            const BmpColour& colour = picture_.colours[picture_.pixels[pixelIndex(x, yFromBottom)]];
            const int code = static_cast<int>(greyCodeOf(colour.green));
            icon[row * ZTI_ROW_BYTES + x / 4] |= static_cast<std::uint8_t>(code << (2 * (x % 4)));
        }
    }
    return icon;
}

SaveStatus IconPicture::saveZti(const std::string& path) const {
    const ZtiIcon icon = ztiBytes();
    std::fstream file;
    if (!openBinaryFile(file, path, OpenMode::WRITE)) return SaveStatus::CANNOT_OPEN;
    file.write(reinterpret_cast<const char*>(icon.data()), icon.size());
    file.close();
    return file.fail() ? SaveStatus::WRITE_FAILED : SaveStatus::SAVED;
}

std::uint32_t IconPicture::previewRgb(int x, int y) const {
    const BmpColour& colour = loadedColours_[picture_.pixels[pixelIndex(x, ICON_SIZE - 1 - y)]];
    return std::uint32_t{colour.red} << 16 | std::uint32_t{colour.green} << 8 | colour.blue;
}

}  // namespace iconmaker
