// notava, the ToDo viewer: the main window (which creates the list window and
// the about box, both hidden), then the event loop.
#include <QApplication>
#include <QIcon>

#include "main_window.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("ZT Todo list Viewer");
    QGuiApplication::setDesktopFileName("notava");
    QApplication::setWindowIcon(QIcon(":/notava/notava.png"));

    MainWindow mainWindow;
    mainWindow.show();
    return QApplication::exec();
}
