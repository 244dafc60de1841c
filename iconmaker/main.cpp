// iconmaker: turns a 48 × 48 BMP into a four-grey ZTI icon for the Corvalo
// launcher of the Zentrio handheld.
#include <QApplication>
#include <QIcon>

#include "main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The title names the program; it is not a display name, which X11 would
    // append to every caption.
    QApplication::setApplicationName(QString::fromUtf8(PROGRAM_TITLE));
    QApplication::setDesktopFileName(QStringLiteral("iconmaker"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("iconmaker")));
    MainWindow form;
    form.show();
    return QApplication::exec();
}
