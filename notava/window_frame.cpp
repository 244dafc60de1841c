#include "window_frame.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

// The window manager frames a window some time after it is shown, without
// an event to the window; so after each showing the frame is looked at a
// few times a second, for two seconds at most, until it is there.
class FrameWatcher : public QObject {
public:
    FrameWatcher(QWidget* window, std::function<void(const QMargins&)> place)
        : QObject(window), window_(window), place_(std::move(place)) {
        timer_.setInterval(LOOK_INTERVAL_MS);
        connect(&timer_, &QTimer::timeout, this, &FrameWatcher::look);
        window->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            looksLeft_ = LOOKS;
            timer_.start();
        }
        return false;
    }

private:
    static constexpr int LOOK_INTERVAL_MS = 50;
    static constexpr int LOOKS = 40;

    void look() {
        const QRect outer = window_->frameGeometry();
        const QRect inner = window_->geometry();
        const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                             outer.bottom() - inner.bottom());
        if (!frame.isNull()) {
            timer_.stop();
            window_->removeEventFilter(this);
            place_(frame);
            deleteLater();
        } else if (--looksLeft_ <= 0 || !window_->isVisible()) {
            timer_.stop();
        }
    }

    QWidget* window_;
    std::function<void(const QMargins&)> place_;
    QTimer timer_;
    int looksLeft_ = 0;
};

}  // namespace

void whenFramed(QWidget* window, std::function<void(const QMargins&)> place) { new FrameWatcher(window, std::move(place)); }
