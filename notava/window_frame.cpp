#include "window_frame.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

// Looks at the frame after each show, move and resize until it is known.
class FrameWatcher : public QObject {
public:
    FrameWatcher(QWidget* window, std::function<void(const QMargins&)> place)
        : QObject(window), window_(window), place_(std::move(place)) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize)
            QTimer::singleShot(0, this, [this] { placeOnceFramed(); });
        return false;
    }

private:
    void placeOnceFramed() {
        if (!window_->isVisible()) return;
        const QRect outer = window_->frameGeometry();
        const QRect inner = window_->geometry();
        const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                             outer.bottom() - inner.bottom());
        if (frame.isNull()) return;
        window_->removeEventFilter(this);
        place_(frame);
        deleteLater();
    }

    QWidget* window_;
    std::function<void(const QMargins&)> place_;
};

}  // namespace

void whenFramed(QWidget* window, std::function<void(const QMargins&)> place) { new FrameWatcher(window, std::move(place)); }
