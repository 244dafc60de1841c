// TForm1 "アイコン作成", the converter's one window: a 48 × 48 preview, a button
// that opens a BMP, a button that converts it and saves the ZTI icon, and BMP
// files dropped from the file manager.
#pragma once

#include <QFileDialog>
#include <QFrame>
#include <QImage>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "DIBSect.h"

inline constexpr char PROGRAM_TITLE[] = "Corvalo用アイコン作成";

// PaintBox1: the picture at its own size from the top-left corner, clipped to the box.
class TPaintBox : public QWidget {
public:
    explicit TPaintBox(QWidget* parent) : QWidget(parent) {}
    void SetPicture(const QImage& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

class TForm1 : public QWidget {
public:
    TForm1();

    void Button1Click();
    void Button2Click();
    // The first of the dropped files is loaded when its name says BMP; the
    // window comes to the front in every case.
    void WMDropFiles(const QStringList& names);
    // Load, reduce and show a picture; a file that cannot be opened is passed
    // over in silence, any other failure is explained in a message box, and the
    // picture shown before stays.
    void Load(const QString& name);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void AppOnActivate();
    void ShowError(const QString& text);

    iconmaker::TDIBSection dib_;
    bool loaded_ = false;
    QFrame* Panel1;
    TPaintBox* PaintBox1;
    QPushButton* Button1;
    QPushButton* Button2;
    QFileDialog* FileDialog;
    QFileDialog* FSaveDialog;
};
