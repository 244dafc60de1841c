// iconmaker: turns a 48 × 48 picture into a four-grey ZTI icon for the Corvalo
// launcher of the Zentrio handheld; with options, on the command line without a window.
#include <QApplication>
#include <QIcon>
#include <cstdio>

#include "command_line.h"
#include "main_window.h"

namespace {

int runWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    // The title names the program; it is not a display name, which X11 would
    // append to every caption.
    QApplication::setApplicationName(QString::fromUtf8(PROGRAM_TITLE));
    QApplication::setDesktopFileName(QStringLiteral("iconmaker"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("iconmaker")));
    MainWindow window;
    window.show();
    return QApplication::exec();
}

// Image readers warn about the files they refuse; the converter names every
// refusal itself, in one line a file.
void keepOnlySeriousMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

// No display is needed: a core application finds Qt's image reader plugins.
int runConverter(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(keepOnlySeriousMessages);
    QTextStream out(stdout), err(stderr);
    return runCommandLine(QCoreApplication::arguments().mid(1), out, err);
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return wantsCommandLine(arguments) ? runConverter(argc, argv) : runWindow(argc, argv);
}
