// The converter's window on Qt's offscreen platform: its layout, both ways in
// (the open dialog and drops) with the ".bmp" rule, the preview, saving with the
// default extension, a second picture replacing the first, and the error boxes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <fstream>
#include <functional>

#include "main_window.h"
#include "bmp_builder.h"

namespace {

// Answers the next modal window (file dialog or message box) once it shows and
// keeps what it said.
class ModalAnswer {
public:
    // With boxOnly, file dialogs that are still closing are passed over.
    explicit ModalAnswer(std::function<void(QDialog*)> answer, bool boxOnly = false) {
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this, answer, boxOnly] {
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!modal || !modal->isVisible() || (boxOnly && !qobject_cast<QMessageBox*>(modal))) return;
            timer_.stop();
            title = modal->windowTitle();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) text = box->text();
            answer(modal);
        });
        timer_.start(10);
    }
    QString title, text;

private:
    QTimer timer_;
};

const auto CLOSE = [](QDialog* dialog) { dialog->done(0); };
std::function<void(QDialog*)> typeName(const QString& name) {
    return [name](QDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
        dialog->accept();
    };
}

bmp_test::Picture pictureOf(unsigned seed) {
    std::mt19937 random(seed);
    return bmp_test::randomPicture(random, 12);
}

class FormTest : public ::testing::Test {
protected:
    void SetUp() override { freshForm(); }
    void freshForm() {
        form = std::make_unique<MainWindow>();
        form->show();
    }

    QString write(const QString& name, const bmp_test::Picture& picture, std::size_t keep = std::string::npos) {
        const QString path = dir.filePath(name);
        std::ofstream(path.toStdString(), std::ios::binary) << bmp_test::encodeBmp(picture, {}).substr(0, keep);
        return path;
    }
    template <class Widget>
    Widget* child(const char* name) {
        return form->findChild<Widget*>(QString::fromLatin1(name));
    }
    bool saveEnabled() { return child<QPushButton>("Button2")->isEnabled(); }
    bool shows(const bmp_test::Picture& picture) {
        const QImage shot = child<QWidget>("PaintBox1")->grab().toImage();
        for (int y = 0; y < iconmaker::ICON_SIZE; ++y)
            for (int x = 0; x < iconmaker::ICON_SIZE; ++x) {
                const bmp_test::Rgb c = picture.pixels[y * iconmaker::ICON_SIZE + x];
                if (shot.pixel(x, y) != qRgb(c.r, c.g, c.b)) return false;
            }
        return true;
    }
    void drop(const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(100, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        QDropEvent event(QPointF(100, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &event);
    }
    void save(const QString& typed) {
        ModalAnswer answer(typeName(dir.filePath(typed)));
        form->onSaveClicked();
        EXPECT_EQ(answer.title, QStringLiteral("変換して保存"));
    }
    static std::string iconOf(const QString& path) {
        iconmaker::IconPicture iconPicture;
        iconPicture.loadBmp(path.toStdString());
        iconPicture.makeGreyPalette();
        const iconmaker::ZtiIcon icon = iconPicture.ztiBytes();
        return {icon.begin(), icon.end()};
    }
    static std::string contents(const QString& path) {
        std::ifstream in(path.toStdString(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    QTemporaryDir dir;
    std::unique_ptr<MainWindow> form;
};

}  // namespace

TEST_F(FormTest, StartsEmptyWithTheControlsOfTheForm) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("アイコン作成"));
    EXPECT_EQ(form->minimumSize(), QSize(177, 81));
    EXPECT_EQ(form->maximumSize(), QSize(177, 81));
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    const struct {
        const char* name;
        QRect geometry;
    } controls[] = {{"Panel1", {8, 8, 65, 65}},
                    {"PaintBox1", {9, 9, 48, 48}},
                    {"Button1", {80, 8, 89, 25}},
                    {"Button2", {80, 48, 89, 25}}};
    for (const auto& control : controls) {
        ASSERT_NE(child<QWidget>(control.name), nullptr) << control.name;
        EXPECT_EQ(child<QWidget>(control.name)->geometry(), control.geometry) << control.name;
    }
    EXPECT_EQ(child<QPushButton>("Button1")->text(), QStringLiteral("ファイルを開く"));
    EXPECT_EQ(child<QPushButton>("Button2")->text(), QStringLiteral("変換して保存"));
    EXPECT_FALSE(saveEnabled());
    const QImage empty = child<QWidget>("PaintBox1")->grab().toImage();
    EXPECT_EQ(empty.pixel(0, 0), empty.pixel(47, 47));
    EXPECT_EQ(empty.pixel(0, 0), empty.pixel(20, 30));
    const auto* open = child<QFileDialog>("FileDialog");
    const auto* saveAs = child<QFileDialog>("FSaveDialog");
    ASSERT_TRUE(open && saveAs);
    EXPECT_EQ(open->defaultSuffix(), QStringLiteral("BMP"));
    EXPECT_EQ(open->nameFilters().first(), QStringLiteral("BMPファイル(*.BMP)"));
    EXPECT_EQ(saveAs->defaultSuffix(), QStringLiteral("ZTI"));
    EXPECT_EQ(saveAs->nameFilters().first(), QStringLiteral("ZTIファイル(*.ZTI)"));
}

TEST_F(FormTest, DropLoadsTheFirstFileWhenItsNameSaysBmpAndRaisesTheWindow) {
    const QString a = write(QStringLiteral("ICON.BMP"), pictureOf(1));
    const QString png = write(QStringLiteral("picture.png"), pictureOf(2));
    const QString b = write(QStringLiteral("b.bmp"), pictureOf(3));
    const struct {
        QStringList files;
        bool loadsA;
    } cases[] = {{{a}, true}, {{png}, false}, {{a, b, png}, true}, {{png, a, b}, false}, {{}, false}};
    QWidget other;
    other.show();
    for (const auto& c : cases) {
        freshForm();
        other.activateWindow();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::activeWindow(), &other);
        drop(c.files);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::activeWindow(), form.get()) << c.files.join(' ').toStdString();
        EXPECT_EQ(saveEnabled(), c.loadsA) << c.files.join(' ').toStdString();
        EXPECT_TRUE(!c.loadsA || shows(pictureOf(1)));
    }
}

TEST_F(FormTest, OpenDialogLoadsOnlyNamesWithBmp) {
    const QString a = write(QStringLiteral("a.bmp"), pictureOf(1));
    const QString dat = write(QStringLiteral("b.dat"), pictureOf(2));
    const struct {
        std::function<void(QDialog*)> answer;
        bool shows;
    } steps[] = {{CLOSE, false}, {typeName(dat), false}, {typeName(a), true}, {typeName(dat), true}};
    for (const auto& step : steps) {
        ModalAnswer answer(step.answer);
        form->onOpenClicked();
        EXPECT_EQ(answer.title, QStringLiteral("ビットマップファイル読み込み"));
        EXPECT_EQ(saveEnabled(), step.shows);
        EXPECT_TRUE(!step.shows || shows(pictureOf(1)));
    }
}

TEST_F(FormTest, SavesTheIconOfTheLatestPictureWithTheDefaultExtension) {
    const QString a = write(QStringLiteral("a.bmp"), pictureOf(1));
    const QString b = write(QStringLiteral("b.bmp"), pictureOf(2));
    form->loadPicture(a);
    save(QStringLiteral("icon"));
    EXPECT_EQ(contents(dir.filePath(QStringLiteral("icon.ZTI"))), iconOf(a));
    form->loadPicture(b);
    EXPECT_TRUE(shows(pictureOf(2)));
    save(QStringLiteral("second.zti"));
    EXPECT_EQ(contents(dir.filePath(QStringLiteral("second.zti"))), iconOf(b));
    EXPECT_NE(iconOf(a), iconOf(b));
}

TEST_F(FormTest, RefusedFilesAreExplainedAndThePictureStays) {
    bmp_test::Picture small;
    small.width = small.height = 16;
    small.pixels.resize(16 * 16);
    std::ofstream(dir.filePath(QStringLiteral("text.bmp")).toStdString()) << "hello";
    const struct {
        QString path;
        const char* says;  // empty: no box at all
    } cases[] = {
        {write(QStringLiteral("small.bmp"), small), "48×48"},
        {write(QStringLiteral("short.bmp"), pictureOf(2), 2000), "入出力エラー"},
        {dir.filePath(QStringLiteral("text.bmp")), "BMPファイルではありません"},
        {dir.filePath(QStringLiteral("missing.bmp")), ""},
    };
    form->loadPicture(write(QStringLiteral("a.bmp"), pictureOf(1)));
    for (const auto& c : cases) {
        ModalAnswer answer(CLOSE);
        form->loadPicture(c.path);
        if (*c.says) {
            EXPECT_EQ(answer.title, QStringLiteral("Corvalo用アイコン作成"));
            EXPECT_TRUE(answer.text.contains(QString::fromUtf8(c.says))) << answer.text.toStdString();
        } else {
            EXPECT_TRUE(answer.title.isEmpty()) << "a box for a missing file";
        }
        EXPECT_TRUE(saveEnabled());
        EXPECT_TRUE(shows(pictureOf(1)));
    }
}

// The default extension comes in capitals; the file is found whatever the case of its own.
TEST_F(FormTest, ANameTypedWithoutExtensionFindsTheFileInAnyCase) {
    const struct {
        const char* file;
        const char* typed;
        int seed;
    } cases[] = {{"sample.bmp", "sample", 1}, {"MIXED.Bmp", "MIXED", 2}, {"upper.BMP", "upper", 3}};
    for (const auto& c : cases) {
        write(QString::fromLatin1(c.file), pictureOf(c.seed));
        ModalAnswer answer(typeName(dir.filePath(QString::fromLatin1(c.typed))));
        form->onOpenClicked();
        EXPECT_TRUE(shows(pictureOf(c.seed))) << c.typed;
    }
}

// A target that cannot be opened says so, as a failing write does.
TEST_F(FormTest, SavingWhereNothingCanBeWrittenSaysSo) {
    form->loadPicture(write(QStringLiteral("a.bmp"), pictureOf(1)));
    for (const QString& target : {dir.filePath(QStringLiteral("no/such/folder/icon")), QStringLiteral("/proc/icon")}) {
        std::unique_ptr<ModalAnswer> error;  // answers the box that follows the dialog
        ModalAnswer answer([&](QDialog* dialog) {
            typeName(target)(dialog);
            error = std::make_unique<ModalAnswer>(CLOSE, true);
        });
        form->onSaveClicked();
        ASSERT_TRUE(error);
        EXPECT_TRUE(error->text.contains(QStringLiteral("ファイルに書き込めませんでした"))) << target.toStdString();
        EXPECT_FALSE(QFileInfo::exists(target + QStringLiteral(".ZTI")));
    }
}

// The window's own menu: a PNG converts as its BMP does, a ZTI shows in four
// greys and goes back out as the same icon and as PNG, other sizes are offered a fit.
TEST_F(FormTest, WindowMenuOpensPicturesAndIconsAndSavesPng) {
    ASSERT_EQ(form->contextMenuPolicy(), Qt::ActionsContextMenu);
    const QString bmp = write(QStringLiteral("a.bmp"), pictureOf(4));
    const QString png = dir.filePath(QStringLiteral("a.png"));
    ASSERT_TRUE(QImage(bmp).save(png));
    const auto openPicture = [&](const QString& path) {
        ModalAnswer answer(typeName(path));
        form->onOpenPictureChosen();
        EXPECT_EQ(answer.title, QStringLiteral("画像・アイコンを開く"));
    };
    openPicture(png);
    EXPECT_TRUE(shows(pictureOf(4)));
    save(QStringLiteral("from-png"));
    EXPECT_EQ(contents(dir.filePath(QStringLiteral("from-png.ZTI"))), iconOf(bmp));

    openPicture(dir.filePath(QStringLiteral("from-png.ZTI")));
    const QImage shown = child<QWidget>("PaintBox1")->grab().toImage();
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) ASSERT_EQ(qRed(shown.pixel(x, y)), qBlue(shown.pixel(x, y))) << "grey";
    save(QStringLiteral("again"));
    EXPECT_EQ(contents(dir.filePath(QStringLiteral("again.ZTI"))), iconOf(bmp));
    {
        ModalAnswer answer(typeName(dir.filePath(QStringLiteral("look"))));
        form->onSavePngChosen();
    }
    EXPECT_EQ(QImage(dir.filePath(QStringLiteral("look.png"))).convertToFormat(QImage::Format_RGB32),
              shown.convertToFormat(QImage::Format_RGB32));

    QImage wide(96, 48, QImage::Format_RGB32);
    wide.fill(Qt::black);
    ASSERT_TRUE(wide.save(dir.filePath(QStringLiteral("wide.png"))));
    for (const bool fit : {false, true}) {
        std::unique_ptr<ModalAnswer> question;
        ModalAnswer answer([&](QDialog* dialog) {
            typeName(dir.filePath(QStringLiteral("wide.png")))(dialog);
            question = std::make_unique<ModalAnswer>([fit](QDialog* box) {
                qobject_cast<QMessageBox*>(box)->button(fit ? QMessageBox::Yes : QMessageBox::No)->click();
            }, true);
        });
        form->onOpenPictureChosen();
        ASSERT_TRUE(question);
        EXPECT_TRUE(question->text.contains(QStringLiteral("96×48"))) << question->text.toStdString();
        const QImage now = child<QWidget>("PaintBox1")->grab().toImage();
        EXPECT_EQ(now.pixel(0, 0), fit ? qRgb(255, 255, 255) : shown.pixel(0, 0)) << fit;
        EXPECT_EQ(now.pixel(0, 24), fit ? qRgb(0, 0, 0) : shown.pixel(0, 24)) << fit;
    }

    std::ofstream(dir.filePath(QStringLiteral("bad.zti")).toStdString()) << "short";
    ModalAnswer box(CLOSE);
    form->loadPicture(dir.filePath(QStringLiteral("bad.zti")));
    EXPECT_TRUE(box.text.contains(QStringLiteral("576"))) << box.text.toStdString();
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
