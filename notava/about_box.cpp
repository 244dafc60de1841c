#include "about_box.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "todo_display.h"
#include "window_frame.h"

namespace {

QLabel* placeLabel(QWidget* parent, const char* name, const char* text, int pixelSize, QPoint position) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(gothicFont(pixelSize, true));
    label->move(position);
    label->adjustSize();
    return label;
}

}  // namespace

AboutBox::AboutBox() {
    setObjectName("AboutForm");
    setWindowTitle("About");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(290, 153);

    auto* bevel = new QFrame(this);
    bevel->setObjectName("Bevel1");
    bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bevel->setGeometry(32, 20, 225, 85);
    placeLabel(this, "Label1", "ToDo List Viewer", 16, {88, 38});
    placeLabel(this, "Label2", "Test program...", 13, {103, 64});
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("Button1");
    ok->setGeometry(107, 120, 75, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    centreOnScreen(size());
    whenFramed(this, [this](const QMargins& frame) { centreOnScreen(size().grownBy(frame)); });
}

// The whole box, frame included, in the middle of the screen (integer halves).
void AboutBox::centreOnScreen(const QSize& outer) {
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.width() / 2 - outer.width() / 2, area.height() / 2 - outer.height() / 2);
    }
}
