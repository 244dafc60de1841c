// CPU the converter's window uses while idle with a picture loaded, as a share
// of one core, measured over a stretch in which nobody touches it. With --timer
// a 1 ms timer repaints the preview at every tick, the way of keeping it painted
// that the window does without, for comparison. Given the pid of the X server
// (--server PID), its share over the same stretch is shown too.
// Usage: bench_idle_cpu SAMPLE.bmp [--timer] [--seconds N] [--server PID]
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <string>

#include "main_window.h"

namespace {

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// User and system time of another process from /proc, in seconds; 0 without one.
double OtherCpuSeconds(const QString& pid) {
    if (pid.isEmpty()) return 0;
    std::ifstream stat("/proc/" + pid.toStdString() + "/stat");
    std::string line;
    std::getline(stat, line);
    const QStringList fields = QString::fromStdString(line.substr(line.rfind(')') + 2)).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
}

// Counts the paint events of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// Lets the event loop run for the given time.
void RunFor(int milliseconds) {
    QEventLoop loop;  // not the application's loop, whose quit would close the window
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_idle_cpu SAMPLE.bmp [--timer] [--seconds N] [--server PID]\n");
        return 2;
    }
    const auto option = [&args](const char* name) {
        const qsizetype at = args.indexOf(QString::fromLatin1(name));
        return at > 0 ? args.value(at + 1) : QString();
    };
    const int seconds = option("--seconds").isEmpty() ? 10 : option("--seconds").toInt();
    const QString server = option("--server");

    MainWindow form;
    form.show();
    form.loadPicture(args[1]);
    QWidget* paintBox = form.findChild<QWidget*>(QStringLiteral("PaintBox1"));
    PaintCounter counter;
    paintBox->installEventFilter(&counter);
    QTimer ticks;
    if (args.contains(QStringLiteral("--timer"))) {
        QObject::connect(&ticks, &QTimer::timeout, paintBox, [paintBox] { paintBox->repaint(); });
        ticks.start(1);
    }
    RunFor(1000);  // the window is shown and painted before the stretch starts

    const double ownBefore = ProcessCpuSeconds();
    const double serverBefore = OtherCpuSeconds(server);
    counter.paints = 0;
    QElapsedTimer wall;
    wall.start();
    RunFor(seconds * 1000);
    const double elapsed = wall.nsecsElapsed() / 1e9;
    std::printf("%s: idle CPU %.3f %% of a core", ticks.isActive() ? "1 ms timer" : "repaint on demand",
                100 * (ProcessCpuSeconds() - ownBefore) / elapsed);
    if (!server.isEmpty()) std::printf(", X server %.3f %%", 100 * (OtherCpuSeconds(server) - serverBefore) / elapsed);
    std::printf(", %d paints of the preview over %.1f s\n", counter.paints, elapsed);
    return 0;
}
