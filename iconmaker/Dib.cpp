#include "Dib.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFont>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

using iconmaker::BmpStatus;
using iconmaker::ICON_SIZE;
using iconmaker::LoadResult;
using iconmaker::SaveStatus;
using iconmaker::TDIBSection;

namespace {

const QStringList BMP_FILTERS{QStringLiteral("BMPファイル(*.BMP)"), QStringLiteral("全てのファイル (*)")};
const QStringList ZTI_FILTERS{QStringLiteral("ZTIファイル(*.ZTI)"), QStringLiteral("全てのファイル (*)")};

// Qt's own dialog on every desktop, so the default extension and the filters
// behave alike everywhere.
QFileDialog* MakeFileDialog(QWidget* parent, const char* name, QFileDialog::AcceptMode mode,
                            const QString& title, const QString& suffix, const QStringList& filters) {
    auto* dialog = new QFileDialog(parent);
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
QString RunFileDialog(QFileDialog* dialog) {
    dialog->selectNameFilter(dialog->nameFilters().first());
    dialog->selectFile(QString());
    if (dialog->exec() != QDialog::Accepted) return {};
    return dialog->selectedFiles().value(0);
}

bool NamesBmp(const QString& name) { return name.toLower().contains(QStringLiteral(".bmp")); }

std::string LocalPath(const QString& name) { return QFile::encodeName(name).toStdString(); }

QImage PreviewImage(const TDIBSection& dib) {
    QImage image(ICON_SIZE, ICON_SIZE, QImage::Format_RGB32);
    for (int y = 0; y < ICON_SIZE; ++y)
        for (int x = 0; x < ICON_SIZE; ++x) image.setPixel(x, y, 0xFF000000u | dib.PreviewRgb(x, y));
    return image;
}

QString LoadFailureText(const QString& name, const LoadResult& result) {
    const QString file = QDir::toNativeSeparators(name);
    switch (result.status) {
        case BmpStatus::NotBmp:
            return QStringLiteral("BMPファイルではありません。\n%1").arg(file);
        case BmpStatus::WrongSize:
            return QStringLiteral("アイコンにできるのは48×48ドットの画像だけです。\n"
                                  "%1 は %2×%3 ドットです。")
                .arg(file)
                .arg(result.header.width)
                .arg(qAbs(qint64{result.header.height}));
        case BmpStatus::Unsupported:
            return QStringLiteral("この形式のBMPファイルには対応していません。\n%1\n"
                                  "1・4・8・16・24・32ビットの無圧縮、または RLE 圧縮のファイルを使ってください。")
                .arg(file);
        default:  // Truncated: the file ends before its picture does
            return QStringLiteral("入出力エラー: ファイルの終わりを越えて読み込もうとしました。\n%1").arg(file);
    }
}

}  // namespace

void TPaintBox::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void TPaintBox::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

// FormCreate. The preview is painted whenever the window system asks for it,
// instead of at every tick of a timer: the box stays painted at no idle cost.
TForm1::TForm1()
    : Panel1(new QFrame(this)),
      PaintBox1(new TPaintBox(Panel1)),
      Button1(new QPushButton(QStringLiteral("ファイルを開く"), this)),
      Button2(new QPushButton(QStringLiteral("変換して保存"), this)),
      FileDialog(MakeFileDialog(this, "FileDialog", QFileDialog::AcceptOpen,
                                QStringLiteral("ビットマップファイル読み込み"), QStringLiteral("BMP"), BMP_FILTERS)),
      FSaveDialog(MakeFileDialog(this, "FSaveDialog", QFileDialog::AcceptSave, QStringLiteral("変換して保存"),
                                 QStringLiteral("ZTI"), ZTI_FILTERS)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("アイコン作成"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(177, 81);
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    setFont(font);
    setAcceptDrops(true);

    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(8, 8, 65, 65);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setGeometry(9, 9, ICON_SIZE, ICON_SIZE);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(80, 8, 89, 25);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(80, 48, 89, 25);
    Button2->setEnabled(false);

    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) AppOnActivate();
    });
}

void TForm1::Button1Click() {
    const QString name = RunFileDialog(FileDialog);
    if (NamesBmp(name)) Load(name);
}

void TForm1::Button2Click() {
    const QString name = RunFileDialog(FSaveDialog);
    if (name.isEmpty() || !loaded_) return;
    // A target that cannot be opened is passed over in silence like every file
    // that cannot be opened; a write that fails halfway would leave a broken icon.
    if (dib_.SaveZti(LocalPath(name)) == SaveStatus::WriteFailed)
        ShowError(QStringLiteral("入出力エラー: ファイルに書き込めませんでした。\n%1").arg(QDir::toNativeSeparators(name)));
}

void TForm1::WMDropFiles(const QStringList& names) {
    raise();
    activateWindow();
    if (!names.isEmpty() && NamesBmp(names.first())) Load(names.first());
}

void TForm1::Load(const QString& name) {
    const LoadResult result = dib_.LoadBmp(LocalPath(name));
    if (result.status == BmpStatus::CannotOpen) return;
    if (result.status != BmpStatus::Loaded) {
        ShowError(LoadFailureText(name, result));
        return;
    }
    dib_.MakeGreyPalette();
    PaintBox1->SetPicture(PreviewImage(dib_));
    loaded_ = true;
    Button2->setEnabled(true);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    QStringList names;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) names << url.toLocalFile();
    event->acceptProposedAction();
    WMDropFiles(names);
}

void TForm1::AppOnActivate() {
    if (loaded_) PaintBox1->update();
}

void TForm1::ShowError(const QString& text) {
    QMessageBox::critical(this, QString::fromUtf8(PROGRAM_TITLE), text);
}
