// notava, the ToDo viewer. `--help` and `--export` run without a window (and
// without a display); otherwise the main window, which creates the list window
// and the about box, opens the pair named on the command line, if any.
#include <QApplication>
#include <QIcon>
#include <iostream>

#include "command_line.h"
#include "main_window.h"

namespace {

std::vector<std::string> argumentsOf(int argc, char** argv) { return {argv + std::min(argc, 1), argv + argc}; }

// The answer to a command line that wants no window.
int runWithoutWindow(const CommandLine& line) {
    switch (line.action) {
    case CommandLine::Action::Help: std::cout << usageText(); return 0;
    case CommandLine::Action::Export: return runExport(line.pairPath, line.outPath, std::cout, std::cerr);
    case CommandLine::Action::Window: break;
    case CommandLine::Action::Error: break;
    }
    std::cerr << "notava: " << line.error << "\n" << usageText();
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const CommandLine raw = parseCommandLine(argumentsOf(argc, argv));
    if (raw.windowless) return runWithoutWindow(raw);

    QApplication application(argc, argv);  // takes Qt's own options (-platform, ...) out
    QApplication::setApplicationName("ZT Todo list Viewer");
    QGuiApplication::setDesktopFileName("notava");
    QApplication::setWindowIcon(QIcon(":/notava/notava.png"));
    const CommandLine line = parseCommandLine(argumentsOf(argc, argv));
    if (line.action == CommandLine::Action::Error) return runWithoutWindow(line);

    MainWindow mainWindow;
    mainWindow.show();
    if (!line.pairPath.empty()) mainWindow.openTodoFile(QString::fromLocal8Bit(line.pairPath.c_str()));
    return QApplication::exec();
}
