// The about box: a fixed little window, placed in the middle of the screen.
#pragma once

#include <QDialog>

class AboutBox : public QDialog {
public:
    AboutBox();
};
