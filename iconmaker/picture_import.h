// Every way a picture reaches the converter: BMP files through the converter's
// own reader (exactly as ever), ZTI icons to look at, and whatever else Qt's
// image readers decode (PNG, GIF, JPEG, …), at 48 × 48 or fitted into it.
// Shared by the window and the command line, so both give the same bytes.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include "icon_picture.h"

namespace iconmaker {

inline constexpr int LARGEST_PICTURE = 4096;  // wider or taller is refused before decoding

enum class ImportStatus {
    LOADED,
    CANNOT_OPEN,     // missing, a folder or not readable
    NOT_BMP,         // a name with ".bmp" whose bytes are no BMP
    TRUNCATED,       // the file ends before its picture does
    UNSUPPORTED,     // a BMP layout the reader does not decode
    MISSING_COLOUR,  // a pixel names a colour its table lacks
    WRONG_SIZE,      // not 48 × 48; fitting would take it
    TOO_LARGE,       // wider or taller than LARGEST_PICTURE
    UNREADABLE,      // no image reader decodes it
    NOT_AN_ICON,     // a ZTI file of another length than an icon's
};

struct ImportResult {
    ImportStatus status = ImportStatus::LOADED;
    QSize size;          // the picture's size, for WRONG_SIZE and TOO_LARGE
    qint64 bytes = 0;    // the file's length, for NOT_AN_ICON
    QString detail;      // the image reader's own words, for UNREADABLE
};

enum class Fit { NO, YES };

enum class SourceKind { BMP, ZTI, IMAGE };
// By name, as the window always chose: a name containing ".bmp" in any case is a
// BMP, one ending in ".zti" an icon, anything else is left to the image readers.
SourceKind sourceKindOf(const QString& path);

// Loads the file into the picture; on any status but LOADED the picture stays.
// With Fit::YES a picture of another size is scaled down smoothly (never up)
// and centred on white.
ImportResult importPicture(const QString& path, Fit fit, IconPicture& picture);

// The icon in its four greys, for looking at it as PNG.
QImage iconImage(const ZtiIcon& icon);

}  // namespace iconmaker
