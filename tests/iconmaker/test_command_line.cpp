// iconmaker --convert as a user runs it, without a display: the icons equal
// what the window saves, PNG copies of the pictures give the same icons, an
// icon survives the trip through PNG, and bad input is named, never a crash.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "bmp_builder.h"
#include "picture_import.h"

using namespace iconmaker;

namespace {

struct Outcome {
    int status = -1;
    QString out, err;
};

// The program itself, with no display in its environment.
Outcome runProgram(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ICONMAKER_PROGRAM), arguments);
    process.waitForFinished(30000);
    const bool normal = process.exitStatus() == QProcess::NormalExit;
    return {normal ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

std::string contents(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// What the window writes for a BMP: its reader, the grey reduction, the icon.
std::string windowIcon(const std::string& bmp) {
    IconPicture picture;
    std::istringstream in(bmp);
    EXPECT_EQ(picture.loadBmp(in).status, BmpStatus::LOADED);
    picture.makeGreyPalette();
    const ZtiIcon icon = picture.ztiBytes();
    return {icon.begin(), icon.end()};
}

QImage imageOf(const bmp_test::Picture& picture) {
    QImage image(picture.width, picture.height, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const bmp_test::Rgb c = picture.pixels[y * picture.width + x];
            image.setPixel(x, y, qRgb(c.r, c.g, c.b));
        }
    return image;
}

class CommandLine : public ::testing::Test {
protected:
    QString path(const QString& name) { return dir.filePath(name); }
    QString writeFile(const QString& name, const std::string& bytes) {
        std::ofstream(path(name).toStdString(), std::ios::binary) << bytes;
        return path(name);
    }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(CommandLine, BmpsGiveTheWindowsIconsAndTheirPngCopiesTheSame) {
    std::mt19937 random(31);
    const bmp_test::Layout layouts[] = {{}, {.bits = 4, .rle = true}, {.bits = 24}, {.shortTable = true}};
    QStringList inputs{QStringLiteral(ICONMAKER_SAMPLE)};
    std::vector<std::string> expected{windowIcon(contents(QStringLiteral(ICONMAKER_SAMPLE)))};
    for (int i = 0; i < 8; ++i) {
        const bmp_test::Picture picture = bmp_test::randomPicture(random, 1 + random() % 16);
        const std::string bmp = bmp_test::encodeBmp(picture, layouts[i % 4]);
        inputs << writeFile(QStringLiteral("p%1.bmp").arg(i), bmp);
        expected.push_back(windowIcon(bmp));
        ASSERT_TRUE(imageOf(picture).save(path(QStringLiteral("p%1.png").arg(i))));
    }
    QDir(dir.path()).mkdir(QStringLiteral("icons"));
    const Outcome run = runProgram(QStringList{QStringLiteral("--convert")} + inputs + QStringList{path(QStringLiteral("icons"))});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.count(QLatin1Char('\n')), inputs.size()) << "one line a file";
    EXPECT_EQ(contents(path(QStringLiteral("icons/sample.ZTI"))), expected[0]);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(contents(path(QStringLiteral("icons/p%1.ZTI").arg(i))), expected[i + 1]) << i;
        const Outcome png = runProgram({QStringLiteral("--convert"), path(QStringLiteral("p%1.png").arg(i)),
                                   path(QStringLiteral("png%1.zti").arg(i))});
        ASSERT_EQ(png.status, 0) << png.err.toStdString();
        EXPECT_EQ(contents(path(QStringLiteral("png%1.zti").arg(i))), expected[i + 1]) << "PNG " << i;
    }
}

TEST_F(CommandLine, AnIconComesBackFromItsPngByteForByte) {
    std::mt19937 random(5);
    std::string icon(ZTI_BYTES, '\0');
    for (char& byte : icon) byte = char(random());
    const QString zti = writeFile(QStringLiteral("old.ZTI"), icon);
    ASSERT_EQ(runProgram({QStringLiteral("--convert"), zti}).status, 0);
    const QImage picture(path(QStringLiteral("old.ZTI.png")));
    ASSERT_EQ(picture.size(), QSize(48, 48));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(SHOWN_GREYS[icon[0] & 3], SHOWN_GREYS[icon[0] & 3], SHOWN_GREYS[icon[0] & 3]));
    ASSERT_EQ(runProgram({QStringLiteral("--convert"), path(QStringLiteral("old.ZTI.png")), path(QStringLiteral("back.ZTI"))}).status, 0);
    EXPECT_EQ(contents(path(QStringLiteral("back.ZTI"))), icon);
}

TEST_F(CommandLine, TransparencyIsWhiteAndFitCentresOnWhite) {
    QImage clear(48, 48, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    clear.setPixel(0, 0, qRgba(0, 0, 0, 255));
    ASSERT_TRUE(clear.save(path(QStringLiteral("clear.png"))));
    QImage wide(100, 60, QImage::Format_RGB32);
    wide.fill(qRgb(255, 0, 0));  // code 2 everywhere it lands
    ASSERT_TRUE(wide.save(path(QStringLiteral("wide.png"))));
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(qRgb(0, 0, 0));
    ASSERT_TRUE(small.save(path(QStringLiteral("small.bmp"))));

    EXPECT_EQ(runProgram({QStringLiteral("--convert"), path(QStringLiteral("clear.png"))}).status, 0);
    std::string expected(ZTI_BYTES, '\0');
    expected[0] = 0x03;
    EXPECT_EQ(contents(path(QStringLiteral("clear.ZTI"))), expected);

    const Outcome refused = runProgram({QStringLiteral("--convert"), path(QStringLiteral("wide.png"))});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("100 x 60"))) << refused.err.toStdString();
    ASSERT_EQ(runProgram({QStringLiteral("--fit"), QStringLiteral("--convert"), path(QStringLiteral("wide.png")),
                         path(QStringLiteral("small.bmp")), dir.path()})
                  .status,
              0);
    const std::string fitted = contents(path(QStringLiteral("wide.ZTI")));
    ASSERT_EQ(fitted.size(), std::size_t(ZTI_BYTES));
    EXPECT_EQ(fitted.substr(0, 12), std::string(12, '\0')) << "white above";
    EXPECT_EQ(fitted.substr(24 * 12, 12), std::string(12, '\xAA')) << "red across the middle";
    EXPECT_EQ(fitted.substr(47 * 12, 12), std::string(12, '\0')) << "white below";
    const std::string centred = contents(path(QStringLiteral("small.ZTI")));
    ASSERT_EQ(centred.size(), std::size_t(ZTI_BYTES));
    EXPECT_EQ(centred.substr(24 * 12, 12), std::string("\0\0\0\0\xFF\xFF\xFF\xFF\0\0\0\0", 12)) << "16 black in the middle";
}

TEST_F(CommandLine, BadInputIsNamedWithANonZeroStatus) {
    QImage huge(5000, 8, QImage::Format_RGB32);
    huge.fill(Qt::white);
    ASSERT_TRUE(huge.save(path(QStringLiteral("huge.png"))));
    QImage good(48, 48, QImage::Format_RGB32);
    good.fill(Qt::white);
    ASSERT_TRUE(good.save(path(QStringLiteral("good.png"))));
    const std::string png = contents(path(QStringLiteral("good.png")));
    writeFile(QStringLiteral("cut.png"), png.substr(0, png.size() / 2));
    writeFile(QStringLiteral("noise.png"), std::string(300, '\x17'));
    QDir(dir.path()).mkdir(QStringLiteral("folder.png"));
    const struct {
        QStringList arguments;
        int status;
        const char* says;
    } cases[] = {
        {{path(QStringLiteral("missing.png"))}, 1, "cannot be opened"},
        {{path(QStringLiteral("folder.png"))}, 1, "cannot be opened"},
        {{path(QStringLiteral("huge.png"))}, 1, "5000 x 8 pixels, larger than 4096 x 4096"},
        {{path(QStringLiteral("cut.png"))}, 1, "not a picture this program reads"},
        {{path(QStringLiteral("noise.png"))}, 1, "not a picture this program reads"},
        {{writeFile(QStringLiteral("empty.ZTI"), "")}, 1, "0 bytes; a ZTI icon has 576"},
        {{writeFile(QStringLiteral("short.zti"), std::string(575, 'x'))}, 1, "575 bytes"},
        {{writeFile(QStringLiteral("long.ZTI"), std::string(100000, 'x'))}, 1, "577 bytes"},
        {{writeFile(QStringLiteral("text.bmp"), "hello")}, 1, "not a BMP file"},
        {{path(QStringLiteral("good.png")), QStringLiteral("/proc/icon.ZTI")}, 1, "cannot write /proc/icon.ZTI"},
        {{path(QStringLiteral("good.png")), path(QStringLiteral("no/such/folder.ZTI"))}, 1, "cannot write"},
        {{path(QStringLiteral("good.png")), path(QStringLiteral("huge.png")), path(QStringLiteral("x.ZTI"))}, 2,
         "the last name must be a folder"},
        {{}, 2, "needs a picture"},
        {{QStringLiteral("--colour")}, 2, "unknown option --colour"},
    };
    for (const auto& c : cases) {
        const Outcome run = runProgram(QStringList{QStringLiteral("--convert")} + c.arguments);
        EXPECT_EQ(run.status, c.status) << c.says;
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.says))) << c.says << ": " << run.err.toStdString();
        if (c.status == 1) {
            // (libpng writes a line of its own about a cut file)
            const QStringList lines = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(c.arguments.first()) +
                                                      QStringLiteral(": "))).size(), 1)
                << "one line naming the file: " << run.err.toStdString();
        }
    }
    const Outcome mixed = runProgram({QStringLiteral("--convert"), path(QStringLiteral("missing.png")),
                                 path(QStringLiteral("good.png")), dir.path()});
    EXPECT_EQ(mixed.status, 1) << "one refused of two";
    EXPECT_EQ(contents(path(QStringLiteral("good.ZTI"))), std::string(ZTI_BYTES, '\0')) << "the other converted";
}

TEST_F(CommandLine, HelpDescribesTheOptions) {
    const Outcome run = runProgram({QStringLiteral("--help")});
    EXPECT_EQ(run.status, 0);
    for (const char* option : {"--convert", "--fit", "--help"}) EXPECT_TRUE(run.out.contains(QLatin1String(option)));
    EXPECT_EQ(runProgram({QStringLiteral("sample.bmp")}).status, 2) << "a picture without --convert";
}

// Random and cut files under every reader's name: a status, never a crash, and
// the picture before stays unless the file loaded.
TEST_F(CommandLine, ImportSurvivesArbitraryBytes) {
    QImage good(48, 48, QImage::Format_ARGB32);
    good.fill(qRgba(10, 200, 30, 128));
    std::mt19937 random(99);
    std::vector<std::string> seeds{std::string(ZTI_BYTES, '\x1B')};
    for (const char* format : {"PNG", "JPG", "BMP"}) {
        ASSERT_TRUE(good.save(path(QStringLiteral("seed")), format));
        seeds.push_back(contents(path(QStringLiteral("seed"))));
    }
    const char* names[] = {"f.png", "f.jpg", "f.gif", "f.ico", "f.zti", "f.bmp", "f"};
    for (int round = 0; round < 400; ++round) {
        std::string bytes = seeds[random() % seeds.size()];
        if (round % 3 == 0) bytes.resize(random() % (bytes.size() + 1));
        for (int n = random() % 8; n > 0 && !bytes.empty(); --n) bytes[random() % bytes.size()] = char(random());
        const QString name = writeFile(QString::fromLatin1(names[round % std::size(names)]), bytes);
        IconPicture picture;
        picture.loadZti(ZtiIcon{});
        picture.makeGreyPalette();
        const ImportResult result = importPicture(name, round % 2 ? Fit::YES : Fit::NO, picture);
        if (result.status != ImportStatus::LOADED) {
            ASSERT_EQ(picture.ztiBytes(), ZtiIcon{}) << round;
        }
    }
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
