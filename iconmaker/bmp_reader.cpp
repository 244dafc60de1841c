#include "bmp_reader.h"

#include <algorithm>

#include "bmp_pixels.h"
#include "field_reader.h"

namespace iconmaker {
namespace {

constexpr std::uint16_t BMP_SIGNATURE = 0x4D42;  // "BM"
constexpr std::uint64_t FILE_HEADER_BYTES = 14;

BmpInfoHeader readInfoHeader(FieldReader& in) {
    BmpInfoHeader info;
    info.size = in.u32();
    info.width = in.i32();
    info.height = in.i32();
    info.planes = in.u16();
    info.bitsPerPixel = in.u16();
    info.compression = in.u32();
    info.imageSize = in.u32();
    info.xPixelsPerMetre = in.i32();
    info.yPixelsPerMetre = in.i32();
    info.coloursUsed = in.u32();
    info.coloursImportant = in.u32();
    return info;
}

// The header versions that begin with these 40 bytes; the 12-byte core header
// and the 64-byte header of another system place their fields differently.
bool knownInfoHeader(std::uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool iconSized(const BmpInfoHeader& info) {
    return info.width == ICON_SIZE && (info.height == ICON_SIZE || info.height == -ICON_SIZE);
}

// Depth and compression pairs the pixel decoder reads. RLE streams are bottom-up
// by definition; a top-down one is malformed.
bool decodable(const BmpInfoHeader& info) {
    const bool uncompressed = info.compression == BI_RGB;
    const bool bottomUp = info.height > 0;
    switch (info.bitsPerPixel) {
        case 1:
        case 24: return uncompressed;
        case 4: return uncompressed || (info.compression == BI_RLE4 && bottomUp);
        case 8: return uncompressed || (info.compression == BI_RLE8 && bottomUp);
        case 16:
        case 32: return uncompressed || info.compression == BI_BITFIELDS;
        default: return false;
    }
}

std::array<std::uint32_t, 3> defaultMasks(int bitsPerPixel) {
    if (bitsPerPixel == 16) return {0x7C00, 0x03E0, 0x001F};
    return {0xFF0000, 0x00FF00, 0x0000FF};
}

// A full table of one entry per possible index when the space before the pixel
// data holds one (writers that fill the table often understate colours used),
// else the entries colours used names, when it is a sensible count.
std::vector<BmpColour> readColourTable(FieldReader& in, const BmpInfoHeader& info, std::uint32_t pixelOffset) {
    if (info.bitsPerPixel > 8) return {};
    const std::uint32_t entries = 1u << info.bitsPerPixel;
    const std::uint64_t tableSpace = pixelOffset > in.position() ? pixelOffset - in.position() : 0;
    const bool fullTableFits = tableSpace >= std::uint64_t{4} * entries;
    const std::uint32_t stored =
        fullTableFits || info.coloursUsed == 0 || info.coloursUsed > entries ? entries : info.coloursUsed;
    std::vector<BmpColour> colours(stored);
    for (BmpColour& colour : colours) colour = {in.u8(), in.u8(), in.u8(), in.u8()};
    return colours;
}

bool everyPixelHasAColour(const BmpPicture& picture) {
    return std::all_of(picture.pixels.begin(), picture.pixels.end(),
                       [&picture](std::uint16_t index) { return index < picture.colours.size(); });
}

}  // namespace

BmpReadResult readBmp(std::istream& stream) {
    FieldReader in(stream);
    BmpReadResult result;
    BmpPicture& picture = result.picture;
    const auto refuse = [&result](BmpStatus status) {
        result.status = status;
        return result;
    };

    if (in.u16() != BMP_SIGNATURE) return refuse(in.failed() ? BmpStatus::TRUNCATED : BmpStatus::NOT_BMP);
    in.u32();  // the file size: how much pixel data there is follows from the info header
    in.u32();  // two reserved fields
    const std::uint32_t pixelOffset = in.u32();
    picture.info = readInfoHeader(in);
    if (in.failed()) return refuse(BmpStatus::TRUNCATED);
    if (!knownInfoHeader(picture.info.size)) return refuse(BmpStatus::UNSUPPORTED);
    if (!iconSized(picture.info)) return refuse(BmpStatus::WRONG_SIZE);
    if (!decodable(picture.info)) return refuse(BmpStatus::UNSUPPORTED);

    PixelFormat format{picture.info.bitsPerPixel, picture.info.compression, picture.info.height < 0,
                       defaultMasks(picture.info.bitsPerPixel)};
    // Masks follow a 40-byte header, or are the next fields of a longer one.
    if (format.compression == BI_BITFIELDS) format.masks = {in.u32(), in.u32(), in.u32()};
    in.skipTo(FILE_HEADER_BYTES + picture.info.size);
    picture.colours = readColourTable(in, picture.info, pixelOffset);
    // An offset that points back into the headers is taken to mean "right after
    // the colour table", where writers that leave it unset put the pixels.
    in.skipTo(pixelOffset);
    decodePixels(in, format, picture);
    if (in.failed()) return refuse(BmpStatus::TRUNCATED);
    if (!everyPixelHasAColour(picture)) return refuse(BmpStatus::MISSING_COLOUR);
    return result;
}

}  // namespace iconmaker
