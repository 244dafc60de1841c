#include "picture_import.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <climits>
#include <vector>

namespace iconmaker {
namespace {

ImportResult refused(ImportStatus status, QSize size = {}) {
    ImportResult result;
    result.status = status;
    result.size = size;
    return result;
}

ImportResult unreadable(const QString& detail) {
    ImportResult result = refused(ImportStatus::UNREADABLE);
    result.detail = detail;
    return result;
}

std::string localPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

ImportStatus importStatusOf(BmpStatus status) {
    switch (status) {
        case BmpStatus::LOADED: return ImportStatus::LOADED;
        case BmpStatus::CANNOT_OPEN: return ImportStatus::CANNOT_OPEN;
        case BmpStatus::TRUNCATED: return ImportStatus::TRUNCATED;
        case BmpStatus::NOT_BMP: return ImportStatus::NOT_BMP;
        case BmpStatus::WRONG_SIZE: return ImportStatus::WRONG_SIZE;
        case BmpStatus::UNSUPPORTED: return ImportStatus::UNSUPPORTED;
        case BmpStatus::MISSING_COLOUR: return ImportStatus::MISSING_COLOUR;
    }
    return ImportStatus::UNSUPPORTED;
}

bool tooLarge(const QSize& size) { return size.width() > LARGEST_PICTURE || size.height() > LARGEST_PICTURE; }

bool iconSized(const QSize& size) { return size == QSize(ICON_SIZE, ICON_SIZE); }

// Smaller pictures stay as they are, larger ones shrink to fit keeping their
// shape; either way the picture is centred on a white 48 × 48 square.
QImage fitted(const QImage& image) {
    const QImage scaled = image.width() > ICON_SIZE || image.height() > ICON_SIZE
                              ? image.scaled(ICON_SIZE, ICON_SIZE, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                              : image;
    QImage square(ICON_SIZE, ICON_SIZE, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    const int left = (ICON_SIZE - scaled.width()) / 2, top = (ICON_SIZE - scaled.height()) / 2;
    for (int y = 0; y < scaled.height(); ++y)
        for (int x = 0; x < scaled.width(); ++x) square.setPixel(left + x, top + y, scaled.pixel(x, y));
    return square;
}

// Each pixel laid over white: a transparent pixel is white, an opaque one keeps
// its colour exactly, so a PNG of a BMP's colours converts as the BMP does.
std::vector<BmpColour> coloursOnWhite(const QImage& image) {
    std::vector<BmpColour> colours;
    colours.reserve(ICON_PIXELS);
    for (int y = 0; y < ICON_SIZE; ++y)
        for (int x = 0; x < ICON_SIZE; ++x) {
            const QRgb pixel = image.pixel(x, y);  // premultiplied
            const auto white = [&](int channel) { return static_cast<std::uint8_t>(channel + 255 - qAlpha(pixel)); };
            colours.push_back({white(qBlue(pixel)), white(qGreen(pixel)), white(qRed(pixel)), 0});
        }
    return colours;
}

ImportResult importImage(const QString& path, Fit fit, IconPicture& picture) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return refused(ImportStatus::CANNOT_OPEN);
    QImageReader reader(&file);
    const QSize announced = reader.size();  // from the header, before any pixel is decoded
    if (tooLarge(announced)) return refused(ImportStatus::TOO_LARGE, announced);
    if (!reader.canRead()) return unreadable(reader.errorString());
    if (announced.isValid() && !iconSized(announced) && fit == Fit::NO) return refused(ImportStatus::WRONG_SIZE, announced);
    QImage image = reader.read();
    if (image.isNull()) return unreadable(reader.errorString());
    if (tooLarge(image.size())) return refused(ImportStatus::TOO_LARGE, image.size());
    if (!iconSized(image.size()) && fit == Fit::NO) return refused(ImportStatus::WRONG_SIZE, image.size());
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    picture.loadColours(coloursOnWhite(iconSized(image.size()) ? image : fitted(image)));
    return {};
}

ImportResult importBmp(const QString& path, Fit fit, IconPicture& picture) {
    const LoadResult loaded = picture.loadBmp(localPath(path));
    // Fitting needs the whole picture, which only the image readers decode.
    if (loaded.status == BmpStatus::WRONG_SIZE && fit == Fit::YES) return importImage(path, fit, picture);
    const qint64 height = std::min<qint64>(qAbs(qint64{loaded.header.height}), INT_MAX);
    return refused(importStatusOf(loaded.status), QSize(loaded.header.width, int(height)));
}

ImportResult importZti(const QString& path, IconPicture& picture) {
    const ZtiReadResult read = readZti(localPath(path));
    if (read.status == ZtiStatus::CANNOT_OPEN) return refused(ImportStatus::CANNOT_OPEN);
    if (read.status == ZtiStatus::WRONG_SIZE) {
        ImportResult result = refused(ImportStatus::NOT_AN_ICON);
        result.bytes = qint64(read.bytes);
        return result;
    }
    picture.loadZti(read.icon);
    return {};
}

}  // namespace

SourceKind sourceKindOf(const QString& path) {
    if (path.toLower().contains(QStringLiteral(".bmp"))) return SourceKind::BMP;
    if (path.endsWith(QStringLiteral(".zti"), Qt::CaseInsensitive)) return SourceKind::ZTI;
    return SourceKind::IMAGE;
}

ImportResult importPicture(const QString& path, Fit fit, IconPicture& picture) {
    // Decoding stops before any buffer larger than the largest picture allowed needs.
    QImageReader::setAllocationLimit(LARGEST_PICTURE * LARGEST_PICTURE * 4 / (1024 * 1024) + 1);
    switch (sourceKindOf(path)) {
        case SourceKind::BMP: return importBmp(path, fit, picture);
        case SourceKind::ZTI: return importZti(path, picture);
        case SourceKind::IMAGE: break;
    }
    return importImage(path, fit, picture);
}

QImage iconImage(const ZtiIcon& icon) {
    QImage image(ICON_SIZE, ICON_SIZE, QImage::Format_RGB32);
    for (int y = 0; y < ICON_SIZE; ++y)
        for (int x = 0; x < ICON_SIZE; ++x) {
            const int grey = SHOWN_GREYS[greyCodeAt(icon, x, y)];
            image.setPixel(x, y, qRgb(grey, grey, grey));
        }
    return image;
}

}  // namespace iconmaker
