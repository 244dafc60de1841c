#include "BmpFile.h"

#include "BmpPixels.h"
#include "FieldReader.h"

namespace iconmaker {
namespace {

constexpr std::uint16_t BMP_SIGNATURE = 0x4D42;  // "BM"
constexpr std::uint64_t FILE_HEADER_BYTES = 14;

BmpInfoHeader ReadInfoHeader(FieldReader& in) {
    BmpInfoHeader info;
    info.size = in.U32();
    info.width = in.I32();
    info.height = in.I32();
    info.planes = in.U16();
    info.bitsPerPixel = in.U16();
    info.compression = in.U32();
    info.imageSize = in.U32();
    info.xPixelsPerMetre = in.I32();
    info.yPixelsPerMetre = in.I32();
    info.coloursUsed = in.U32();
    info.coloursImportant = in.U32();
    return info;
}

// The header versions that begin with these 40 bytes; the 12-byte core header
// and the 64-byte header of another system place their fields differently.
bool KnownInfoHeader(std::uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool IconSized(const BmpInfoHeader& info) {
    return info.width == ICON_SIZE && (info.height == ICON_SIZE || info.height == -ICON_SIZE);
}

// Depth and compression pairs the pixel decoder reads. RLE streams are bottom-up
// by definition; a top-down one is malformed.
bool Decodable(const BmpInfoHeader& info) {
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

std::array<std::uint32_t, 3> DefaultMasks(int bitsPerPixel) {
    if (bitsPerPixel == 16) return {0x7C00, 0x03E0, 0x001F};
    return {0xFF0000, 0x00FF00, 0x0000FF};
}

// The stored entries (colours used, when it is a sensible count), padded to one
// entry per possible index: an index past the stored ones shows black.
std::vector<BmpColour> ReadColourTable(FieldReader& in, const BmpInfoHeader& info) {
    if (info.bitsPerPixel > 8) return {};
    const std::uint32_t entries = 1u << info.bitsPerPixel;
    const std::uint32_t stored =
        info.coloursUsed == 0 || info.coloursUsed > entries ? entries : info.coloursUsed;
    std::vector<BmpColour> colours(entries);
    for (std::uint32_t i = 0; i < stored; ++i) colours[i] = {in.U8(), in.U8(), in.U8(), in.U8()};
    return colours;
}

}  // namespace

BmpReadResult ReadBmp(std::istream& stream) {
    FieldReader in(stream);
    BmpReadResult result;
    BmpPicture& picture = result.picture;
    const auto refuse = [&result](BmpStatus status) {
        result.status = status;
        return result;
    };

    if (in.U16() != BMP_SIGNATURE) return refuse(in.Failed() ? BmpStatus::Truncated : BmpStatus::NotBmp);
    in.U32();  // the file size: how much pixel data there is follows from the info header
    in.U32();  // two reserved fields
    const std::uint32_t pixelOffset = in.U32();
    picture.info = ReadInfoHeader(in);
    if (in.Failed()) return refuse(BmpStatus::Truncated);
    if (!KnownInfoHeader(picture.info.size)) return refuse(BmpStatus::Unsupported);
    if (!IconSized(picture.info)) return refuse(BmpStatus::WrongSize);
    if (!Decodable(picture.info)) return refuse(BmpStatus::Unsupported);

    PixelFormat format{picture.info.bitsPerPixel, picture.info.compression, picture.info.height < 0,
                       DefaultMasks(picture.info.bitsPerPixel)};
    // Masks follow a 40-byte header, or are the next fields of a longer one.
    if (format.compression == BI_BITFIELDS) format.masks = {in.U32(), in.U32(), in.U32()};
    in.SkipTo(FILE_HEADER_BYTES + picture.info.size);
    picture.colours = ReadColourTable(in, picture.info);
    // An offset that points back into the headers is taken to mean "right after
    // the colour table", where writers that leave it unset put the pixels.
    in.SkipTo(pixelOffset);
    DecodePixels(in, format, picture);
    if (in.Failed()) return refuse(BmpStatus::Truncated);
    return result;
}

}  // namespace iconmaker
