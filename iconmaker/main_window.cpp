#include "main_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

using namespace iconmaker;

namespace {

const QStringList BMP_FILTERS{QStringLiteral("BMPファイル(*.BMP)"), QStringLiteral("全てのファイル (*)")};
const QStringList ZTI_FILTERS{QStringLiteral("ZTIファイル(*.ZTI)"), QStringLiteral("全てのファイル (*)")};
// The window's own menu (right button) opens any picture or icon and saves the icon as PNG.
const QStringList PICTURE_FILTERS{
    QStringLiteral("画像・アイコン (*.bmp *.BMP *.png *.PNG *.gif *.GIF *.jpg *.JPG *.jpeg *.ico *.zti *.ZTI)"),
    QStringLiteral("全てのファイル (*)")};
const QStringList PNG_FILTERS{QStringLiteral("PNGファイル (*.png)"), QStringLiteral("全てのファイル (*)")};

// The file whose name differs from `path` at most in the letter case of its
// extension; empty when there is none.
QString withExtensionInAnyCase(const QString& path) {
    const QFileInfo wanted(path);
    const QString stem = wanted.completeBaseName() + QLatin1Char('.');
    for (const QFileInfo& entry : wanted.dir().entryInfoList(QDir::Files, QDir::Name))
        if (entry.fileName().startsWith(stem) &&
            entry.fileName().compare(wanted.fileName(), Qt::CaseInsensitive) == 0)
            return entry.filePath();
    return {};
}

// The default extension is appended in capitals; on a file system that tells
// cases apart, "sample" must still find sample.bmp.
class OpenFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    void accept() override {
        const QString chosen = selectedFiles().value(0);
        if (!chosen.isEmpty() && !QFileInfo::exists(chosen)) {
            const QString found = withExtensionInAnyCase(chosen);
            // The name field holds what was typed; selectFile() leaves a focused field alone.
            auto* nameField = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!found.isEmpty() && nameField) nameField->setText(found);
        }
        QFileDialog::accept();
    }
};

// Qt's own dialog on every desktop, so the default extension and the filters
// behave alike everywhere.
QFileDialog* makeFileDialog(QWidget* parent, const char* name, QFileDialog::AcceptMode mode,
                            const QString& title, const QString& suffix, const QStringList& filters) {
    auto* dialog = mode == QFileDialog::AcceptOpen ? new OpenFileDialog(parent) : new QFileDialog(parent);
    dialog->setObjectName(QString::fromLatin1(name));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog->setWindowTitle(title);
    dialog->setDefaultSuffix(suffix);
    dialog->setNameFilters(filters);
    return dialog;
}

// Runs the dialog with its first filter and an empty name; the chosen name, or
// an empty string on cancel.
QString runFileDialog(QFileDialog* dialog) {
    dialog->selectNameFilter(dialog->nameFilters().first());
    dialog->selectFile(QString());
    if (dialog->exec() != QDialog::Accepted) return {};
    return dialog->selectedFiles().value(0);
}

bool namesBmp(const QString& name) { return name.toLower().contains(QStringLiteral(".bmp")); }

QImage previewImage(const IconPicture& picture) {
    QImage image(ICON_SIZE, ICON_SIZE, QImage::Format_RGB32);
    for (int y = 0; y < ICON_SIZE; ++y)
        for (int x = 0; x < ICON_SIZE; ++x) image.setPixel(x, y, 0xFF000000u | picture.previewRgb(x, y));
    return image;
}

QString writeFailureText(const QString& name) {
    return QStringLiteral("入出力エラー: ファイルに書き込めませんでした。\n%1").arg(QDir::toNativeSeparators(name));
}

QString loadFailureText(const QString& name, const ImportResult& result) {
    const QString file = QDir::toNativeSeparators(name);
    switch (result.status) {
        case ImportStatus::NOT_BMP:
            return QStringLiteral("BMPファイルではありません。\n%1").arg(file);
        case ImportStatus::WRONG_SIZE:
            return QStringLiteral("アイコンにできるのは48×48ドットの画像だけです。\n"
                                  "%1 は %2×%3 ドットです。\n\n"
                                  "48×48ドットに縮めて（白地の中央に置いて）読み込みますか？")
                .arg(file)
                .arg(result.size.width())
                .arg(result.size.height());
        case ImportStatus::TOO_LARGE:
            return QStringLiteral("大きすぎる画像です（%1×%1ドットまで）。\n%2 は %3×%4 ドットです。")
                .arg(LARGEST_PICTURE)
                .arg(file)
                .arg(result.size.width())
                .arg(result.size.height());
        case ImportStatus::UNREADABLE:
            return QStringLiteral("画像として読み込めませんでした。\n%1\n%2").arg(file, result.detail);
        case ImportStatus::NOT_AN_ICON:
            return QStringLiteral("ZTIアイコンは%1バイトです。\n%2 は %3 バイトです。")
                .arg(ZTI_BYTES)
                .arg(file)
                .arg(result.bytes);
        case ImportStatus::UNSUPPORTED:
            return QStringLiteral("この形式のBMPファイルには対応していません。\n%1\n"
                                  "1・4・8・16・24・32ビットの無圧縮、または RLE 圧縮のファイルを使ってください。")
                .arg(file);
        case ImportStatus::MISSING_COLOUR:
            return QStringLiteral("色表にない色を使っている画素があります。\n%1").arg(file);
        default:  // TRUNCATED: the file ends before its picture does
            return QStringLiteral("入出力エラー: ファイルの終わりを越えて読み込もうとしました。\n%1").arg(file);
    }
}

}  // namespace

void PreviewBox::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void PreviewBox::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

// The preview is painted whenever the window system asks for it,
// instead of at every tick of a timer: the box stays painted at no idle cost.
MainWindow::MainWindow()
    : previewFrame_(new QFrame(this)),
      preview_(new PreviewBox(previewFrame_)),
      openButton_(new QPushButton(QStringLiteral("ファイルを開く"), this)),
      saveButton_(new QPushButton(QStringLiteral("変換して保存"), this)),
      openDialog_(makeFileDialog(this, "FileDialog", QFileDialog::AcceptOpen,
                                QStringLiteral("ビットマップファイル読み込み"), QStringLiteral("BMP"), BMP_FILTERS)),
      saveDialog_(makeFileDialog(this, "FSaveDialog", QFileDialog::AcceptSave, QStringLiteral("変換して保存"),
                                 QStringLiteral("ZTI"), ZTI_FILTERS)),
      pictureDialog_(makeFileDialog(this, "PictureDialog", QFileDialog::AcceptOpen,
                                    QStringLiteral("画像・アイコンを開く"), QString(), PICTURE_FILTERS)),
      pngDialog_(makeFileDialog(this, "PngDialog", QFileDialog::AcceptSave, QStringLiteral("アイコンをPNGで保存"),
                                QStringLiteral("png"), PNG_FILTERS)),
      savePngAction_(new QAction(QStringLiteral("アイコンをPNGで保存..."), this)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("アイコン作成"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(177, 81);
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    setFont(font);
    setAcceptDrops(true);

    previewFrame_->setObjectName(QStringLiteral("Panel1"));
    previewFrame_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    previewFrame_->setGeometry(8, 8, 65, 65);
    preview_->setObjectName(QStringLiteral("PaintBox1"));
    preview_->setGeometry(9, 9, ICON_SIZE, ICON_SIZE);
    openButton_->setObjectName(QStringLiteral("Button1"));
    openButton_->setGeometry(80, 8, 89, 25);
    saveButton_->setObjectName(QStringLiteral("Button2"));
    saveButton_->setGeometry(80, 48, 89, 25);
    saveButton_->setEnabled(false);

    addWindowMenu();

    connect(openButton_, &QPushButton::clicked, this, &MainWindow::onOpenClicked);
    connect(saveButton_, &QPushButton::clicked, this, &MainWindow::onSaveClicked);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) onApplicationActivated();
    });
}

void MainWindow::onOpenClicked() {
    const QString name = runFileDialog(openDialog_);
    if (namesBmp(name)) loadPicture(name);
}

void MainWindow::onSaveClicked() {
    const QString name = runFileDialog(saveDialog_);
    if (name.isEmpty() || !loaded_) return;
    // A target that cannot be opened fails the save as surely as a failing write.
    if (picture_.saveZti(QFile::encodeName(name).toStdString()) != SaveStatus::SAVED) showError(writeFailureText(name));
}

void MainWindow::onFilesDropped(const QStringList& names) {
    raise();
    activateWindow();
    if (!names.isEmpty() && namesBmp(names.first())) loadPicture(names.first());
}

void MainWindow::loadPicture(const QString& name) {
    ImportResult result = importPicture(name, Fit::NO, picture_);
    if (result.status == ImportStatus::WRONG_SIZE && askToFit(loadFailureText(name, result)))
        result = importPicture(name, Fit::YES, picture_);
    if (result.status == ImportStatus::CANNOT_OPEN || result.status == ImportStatus::WRONG_SIZE) return;
    if (result.status != ImportStatus::LOADED) {
        showError(loadFailureText(name, result));
        return;
    }
    picture_.makeGreyPalette();
    preview_->setPicture(previewImage(picture_));
    loaded_ = true;
    saveButton_->setEnabled(true);
    savePngAction_->setEnabled(true);
}

void MainWindow::addWindowMenu() {
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* openPicture = new QAction(QStringLiteral("画像・アイコンを開く..."), this);
    openPicture->setObjectName(QStringLiteral("OpenPictureAction"));
    openPicture->setShortcut(QKeySequence::Open);
    connect(openPicture, &QAction::triggered, this, &MainWindow::onOpenPictureChosen);
    savePngAction_->setObjectName(QStringLiteral("SavePngAction"));
    savePngAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    savePngAction_->setEnabled(false);
    connect(savePngAction_, &QAction::triggered, this, &MainWindow::onSavePngChosen);
    addActions({openPicture, savePngAction_});
}

void MainWindow::onOpenPictureChosen() {
    const QString name = runFileDialog(pictureDialog_);
    if (!name.isEmpty()) loadPicture(name);
}

void MainWindow::onSavePngChosen() {
    const QString name = runFileDialog(pngDialog_);
    if (name.isEmpty() || !loaded_) return;
    if (!iconImage(picture_.ztiBytes()).save(name, "PNG")) showError(writeFailureText(name));
}

bool MainWindow::askToFit(const QString& question) {
    return QMessageBox::question(this, QString::fromUtf8(PROGRAM_TITLE), question) == QMessageBox::Yes;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    QStringList names;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) names << url.toLocalFile();
    event->acceptProposedAction();
    onFilesDropped(names);
}

void MainWindow::onApplicationActivated() {
    if (loaded_) preview_->update();
}

void MainWindow::showError(const QString& text) {
    QMessageBox::critical(this, QString::fromUtf8(PROGRAM_TITLE), text);
}
