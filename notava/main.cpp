// notava, the ToDo viewer: the main window, the list view and the about box,
// created at start (the last two hidden), then the event loop.
#include <QApplication>
#include <QIcon>

#include "about_form.h"
#include "main_form.h"
#include "view_form.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("ZT Todo list Viewer");
    QGuiApplication::setDesktopFileName("notava");
    QApplication::setWindowIcon(QIcon(":/notava/notava.png"));

    TForm1 form1;
    TViewForm viewForm(form1);
    TAboutForm aboutForm;
    form1.SetForms(&viewForm, &aboutForm);
    form1.show();
    return QApplication::exec();
}
