// The about box: a fixed little window, placed with its frame in the middle of the screen.
#pragma once

#include <QDialog>

class AboutBox : public QDialog {
public:
    AboutBox();

private:
    void centreOnScreen(const QSize& outer);
};
