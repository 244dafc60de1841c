// Test fixture: the main window with the two windows it owns, on a clock that
// the test sets, with ToDo pairs in a temporary folder.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>

#include "about_box.h"
#include "list_window.h"
#include "main_window.h"
#include "todo_pair_files.h"

struct Viewer {
    explicit Viewer(QDate today) : clock(today), mainWindow([this] { return clock; }) {}
    ~Viewer() { closeErrorBoxes(); }

    void open(const TodoPairBuilder& pair, const std::string& stem = "todo") {
        pair.write(folder.file(stem));
        mainWindow.openTodoFile(QString::fromStdString(folder.file(stem + ".idx")));
    }
    QString content() const { return mainWindow.controls().contentEdit->toPlainText(); }
    QDate calendarDate() const { return mainWindow.controls().calendar->date(); }

    // Texts of the error boxes that handlers opened.
    static QStringList errorBoxes() {
        QStringList texts;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) texts << box->text();
        return texts;
    }
    static void closeErrorBoxes() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget)) delete box;
    }

    TempFolder folder;
    QDate clock;
    MainWindow mainWindow;

    ListWindow& listWindow() const { return mainWindow.listWindow(); }
    AboutBox& aboutBox() const { return mainWindow.aboutBox(); }
};
