// The converter's one window "アイコン作成" (object name Form1): a 48 × 48
// preview, a button that opens a BMP, a button that converts it and saves the
// ZTI icon, and BMP files dropped from the file manager.
#pragma once

#include <QAction>
#include <QFileDialog>
#include <QFrame>
#include <QImage>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "picture_import.h"

inline constexpr char PROGRAM_TITLE[] = "Corvalo用アイコン作成";

// The preview (object name PaintBox1): the picture at its own size from the
// top-left corner, clipped to the box.
class PreviewBox : public QWidget {
public:
    explicit PreviewBox(QWidget* parent) : QWidget(parent) {}
    void setPicture(const QImage& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

class MainWindow : public QWidget {
public:
    MainWindow();

    void onOpenClicked();
    void onSaveClicked();
    // The first of the dropped files is loaded when its name says BMP; the
    // window comes to the front in every case.
    void onFilesDropped(const QStringList& names);
    // Load, reduce and show a picture; a file that cannot be opened is passed
    // over in silence, a picture of another size is offered to be fitted, any
    // other failure is explained in a message box, and the picture shown before stays.
    void loadPicture(const QString& name);
    // The window's own menu (right button, Ctrl+O, Ctrl+Shift+S): any picture
    // Qt reads or a ZTI icon to look at, and the icon saved as a PNG picture.
    void onOpenPictureChosen();
    void onSavePngChosen();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void onApplicationActivated();
    void showError(const QString& text);
    bool askToFit(const QString& question);
    void addWindowMenu();

    iconmaker::IconPicture picture_;
    bool loaded_ = false;
    QFrame* previewFrame_;      // Panel1
    PreviewBox* preview_;       // PaintBox1
    QPushButton* openButton_;   // Button1
    QPushButton* saveButton_;   // Button2
    QFileDialog* openDialog_;   // FileDialog
    QFileDialog* saveDialog_;   // FSaveDialog
    QFileDialog* pictureDialog_;
    QFileDialog* pngDialog_;
    QAction* savePngAction_;
};
