// Test fixture: the three windows of the viewer wired as the program wires
// them, on a clock that the test sets, with ToDo pairs in a temporary folder.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>

#include "about_form.h"
#include "main_form.h"
#include "todo_pair_files.h"
#include "view_form.h"

struct Viewer {
    explicit Viewer(QDate today) : clock(today), form1([this] { return clock; }), viewForm(form1) {
        form1.SetForms(&viewForm, &aboutForm);
    }
    ~Viewer() { CloseErrorBoxes(); }

    void Open(const TodoPairBuilder& pair, const std::string& stem = "todo") {
        pair.Write(folder.File(stem));
        form1.OpenTodoFile(QString::fromStdString(folder.File(stem + ".idx")));
    }
    QString Content() const { return form1.Content->toPlainText(); }
    QDate CalendarDate() const { return form1.Calendar1->CalendarDate(); }

    // Texts of the error boxes that handlers opened.
    static QStringList ErrorBoxes() {
        QStringList texts;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) texts << box->text();
        return texts;
    }
    static void CloseErrorBoxes() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget)) delete box;
    }

    TempFolder folder;
    QDate clock;
    TForm1 form1;
    TViewForm viewForm;
    TAboutForm aboutForm;
};
