// IconPicture, the converter's one picture: it loads a 48 × 48 BMP, reduces its
// colours to four greys and writes the launcher's ZTI icon, 576 bytes of 48 rows,
// top row first, four two-bit grey codes a byte with the leftmost pixel in the
// lowest bits. No toolkit here: the window only asks for the preview's colours.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "bmp_reader.h"

namespace iconmaker {

inline constexpr int ZTI_ROW_BYTES = ICON_SIZE / 4;
inline constexpr int ZTI_BYTES = ICON_SIZE * ZTI_ROW_BYTES;
using ZtiIcon = std::array<std::uint8_t, ZTI_BYTES>;

enum class GreyCode : std::uint8_t { WHITE = 0, LIGHT_GREY = 1, DARK_GREY = 2, BLACK = 3 };
// The grey each code is shown in: each inside its code's quarter of luma, so that
// converting a shown icon again gives the same codes.
inline constexpr std::uint8_t SHOWN_GREYS[4] = {255, 170, 85, 0};
// The code of pixel (x, y) of an icon, y counted from its top row.
inline int greyCodeAt(const ZtiIcon& icon, int x, int y) { return icon[y * ZTI_ROW_BYTES + x / 4] >> 2 * (x % 4) & 3; }

// The grey a colour is reduced to, inverted so that the darkest quarter of luma
// gives 255, then 169 and 84, and the brightest quarter 0.
std::uint8_t reducedGrey(const BmpColour& colour);
// The code of a reduced grey: the highest of the levels 0, 84, 169, 255 it reaches.
GreyCode greyCodeOf(std::uint8_t grey);

enum class OpenMode { READ, WRITE };
// Read mode wants an existing regular file; write mode creates or truncates.
// False when the file cannot be opened; nothing is reported.
bool openBinaryFile(std::fstream& file, const std::string& path, OpenMode mode);

struct LoadResult {
    BmpStatus status = BmpStatus::LOADED;
    BmpInfoHeader header;  // of the file just read, as far as it got: for the messages
};

enum class SaveStatus { SAVED, CANNOT_OPEN, WRITE_FAILED };

enum class ZtiStatus { LOADED, CANNOT_OPEN, WRONG_SIZE };
struct ZtiReadResult {
    ZtiStatus status = ZtiStatus::LOADED;
    std::uint64_t bytes = 0;  // the file's length, as far as it was read (at most one past an icon)
    ZtiIcon icon{};
};
ZtiReadResult readZti(const std::string& path);

class IconPicture {
public:
    IconPicture();

    // A picture replaces the current one only when it was read completely; on any
    // other status the current picture stays as it was.
    LoadResult loadBmp(const std::string& path);
    LoadResult loadBmp(std::istream& in);
    // A picture of 48 × 48 colours, top row first, from any other source.
    void loadColours(const std::vector<BmpColour>& topRowFirst);
    // The icon's own four greys, so that converting it again gives the same bytes.
    void loadZti(const ZtiIcon& icon);
    // Reduces the colour table of the loaded picture to greys, once per load.
    // False while no picture is loaded.
    bool makeGreyPalette();
    ZtiIcon ztiBytes() const;
    SaveStatus saveZti(const std::string& path) const;

    bool allocated() const { return allocated_; }
    // 0xRRGGBB of pixel (x, y) counted from the top-left corner, in the colours the
    // file gave it: the grey reduction shows only in the icon.
    std::uint32_t previewRgb(int x, int y) const;

private:
    void adopt(BmpPicture picture);

    BmpPicture picture_;
    std::vector<BmpColour> loadedColours_;
    bool allocated_ = false;
    bool greyReduced_ = false;
};

}  // namespace iconmaker
