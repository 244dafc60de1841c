#include "command_line.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "picture_import.h"

using namespace iconmaker;

namespace {

constexpr int REFUSED = 1;
constexpr int USAGE = 2;

const char HELP[] =
    "Usage: iconmaker                          open the converter's window\n"
    "       iconmaker --convert [--fit] IN [OUT]\n"
    "       iconmaker --convert [--fit] IN... FOLDER\n"
    "\n"
    "Turns 48 x 48 pictures into four-grey ZTI icons (576 bytes) for the Corvalo\n"
    "launcher, exactly as the window's \"変換して保存\" does, without a window or a\n"
    "display. BMP files are read by the converter's own reader; PNG, GIF, JPEG and\n"
    "the other formats Qt reads are accepted too (a transparent pixel is white).\n"
    "A .ZTI icon given as IN is written back as a PNG picture in its four greys.\n"
    "\n"
    "  --convert  convert IN to OUT; without OUT, next to IN as NAME.ZTI (an icon\n"
    "             NAME.ZTI as NAME.ZTI.png). With several inputs the last name is\n"
    "             a folder.\n"
    "             OUT ending in .png gets a PNG picture of the icon.\n"
    "  --fit      shrink pictures larger than 48 x 48 smoothly and centre any\n"
    "             picture of another size on white, instead of refusing it\n"
    "  --help     show this text\n"
    "\n"
    "One line a file: \"IN -> OUT\" on standard output, or \"IN: why\" on standard\n"
    "error. Exit status 0 when every file was converted, 1 when any was refused,\n"
    "2 for a command line that cannot be followed. Pictures larger than\n"
    "4096 x 4096 are refused before they are decoded.\n";

struct Options {
    bool convert = false;
    bool fit = false;
    bool help = false;
    QStringList paths;
    QString error;  // empty when the command line can be followed
};

Options parse(const QStringList& arguments) {
    Options options;
    bool onlyPaths = false;
    for (const QString& argument : arguments) {
        if (onlyPaths || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-"))
            options.paths << argument;
        else if (argument == QLatin1String("--"))
            onlyPaths = true;
        else if (argument == QLatin1String("--convert"))
            options.convert = true;
        else if (argument == QLatin1String("--fit"))
            options.fit = true;
        else if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            options.help = true;
        else
            options.error = QStringLiteral("unknown option %1").arg(argument);
    }
    if (options.error.isEmpty() && !options.help) {
        if (!options.convert) options.error = QStringLiteral("give --convert with the pictures to convert");
        else if (options.paths.isEmpty()) options.error = QStringLiteral("--convert needs a picture");
    }
    return options;
}

QString sizeText(const QSize& size) { return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()); }

QString refusalText(const ImportResult& result) {
    switch (result.status) {
        case ImportStatus::LOADED: break;
        case ImportStatus::CANNOT_OPEN: return QStringLiteral("cannot be opened (missing, a folder or not readable)");
        case ImportStatus::NOT_BMP: return QStringLiteral("not a BMP file");
        case ImportStatus::TRUNCATED: return QStringLiteral("the file ends before its picture does");
        case ImportStatus::UNSUPPORTED:
            return QStringLiteral("a kind of BMP this reader does not decode "
                                  "(use uncompressed 1-, 4-, 8-, 16-, 24- or 32-bit, or RLE)");
        case ImportStatus::MISSING_COLOUR: return QStringLiteral("a pixel names a colour its colour table lacks");
        case ImportStatus::WRONG_SIZE:
            return QStringLiteral("%1 pixels; icons are 48 x 48 (--fit fits it in)").arg(sizeText(result.size));
        case ImportStatus::TOO_LARGE:
            return QStringLiteral("%1 pixels, larger than %2 x %2").arg(sizeText(result.size)).arg(LARGEST_PICTURE);
        case ImportStatus::UNREADABLE: return QStringLiteral("not a picture this program reads (%1)").arg(result.detail);
        case ImportStatus::NOT_AN_ICON:
            return QStringLiteral("%1 bytes; a ZTI icon has %2").arg(result.bytes).arg(ZTI_BYTES);
    }
    return {};
}

bool wantsPng(const QString& input, const QString& output) {
    return output.isEmpty() ? sourceKindOf(input) == SourceKind::ZTI
                            : output.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
}

// Without a name the output goes next to the input; into a folder under the input's
// name. An icon's picture keeps the icon's whole name, so it never replaces the
// picture the icon was made from.
QString outputName(const QString& input, const QString& target) {
    const QFileInfo in(input);
    const QString name = wantsPng(input, {}) ? in.fileName() + QStringLiteral(".png")
                                             : in.completeBaseName() + QStringLiteral(".ZTI");
    if (target.isEmpty()) return in.dir().filePath(name);
    if (QFileInfo(target).isDir()) return QDir(target).filePath(name);
    return target;
}

// The icon as the window saves it, or its PNG picture; an empty text when written.
QString write(const IconPicture& picture, const QString& input, const QString& output) {
    if (wantsPng(input, output)) {
        if (iconImage(picture.ztiBytes()).save(output, "PNG")) return {};
    } else if (picture.saveZti(QFile::encodeName(output).toStdString()) == SaveStatus::SAVED) {
        return {};
    }
    return QStringLiteral("cannot write %1").arg(output);
}

bool convertOne(const QString& input, const QString& output, Fit fit, QTextStream& out, QTextStream& err) {
    IconPicture picture;
    const ImportResult result = importPicture(input, fit, picture);
    QString why = result.status == ImportStatus::LOADED ? QString() : refusalText(result);
    if (why.isEmpty()) {
        picture.makeGreyPalette();
        why = write(picture, input, output);
    }
    if (!why.isEmpty()) {
        err << input << ": " << why << Qt::endl;
        return false;
    }
    out << input << " -> " << output << Qt::endl;
    return true;
}

}  // namespace

bool wantsCommandLine(const QStringList& arguments) { return !arguments.isEmpty(); }

int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const Options options = parse(arguments);
    if (options.help) {
        out << QString::fromUtf8(HELP);
        return 0;
    }
    if (!options.error.isEmpty()) {
        err << "iconmaker: " << options.error << " (see iconmaker --help)" << Qt::endl;
        return USAGE;
    }
    QStringList inputs = options.paths;
    const QString target = inputs.size() > 1 ? inputs.takeLast() : QString();
    if (inputs.size() > 1 && !QFileInfo(target).isDir()) {
        err << "iconmaker: with several pictures the last name must be a folder: " << target << Qt::endl;
        return USAGE;
    }
    bool allConverted = true;
    for (const QString& input : inputs)
        allConverted &= convertOne(input, outputName(input, target), options.fit ? Fit::YES : Fit::NO, out, err);
    return allConverted ? 0 : REFUSED;
}
