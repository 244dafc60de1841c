// Qt desktop of ZTL: the process entry, the window with its menu, painting
// from the window image, keys and pointer as library input, the application
// thread and shutdown. The first thread runs QApplication; app_main runs on
// a second thread with a 32 MiB stack.
//
// The Qt headers cannot be compiled with a Shift-JIS execution character set
// (<chrono> spells a micro sign that Shift-JIS lacks), so this one file of the
// game keeps UTF-8 literals: its own texts go to Qt with QString::fromUtf8,
// while every text that comes from the core (Shift-JIS bytes) is converted
// with iconv (CP932).
#include "qt_window.h"

#include <iconv.h>
#include <pthread.h>
#include <unistd.h>

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QInputDialog>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QSettings>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "backend.h"
#include "input_internal.h"
#include "zoom.h"
#include "ztl_desktop.h"
#include "ztl_internal.h"

int app_main(int argc, char** argv);  // supplied by the application

// What "--help" prints, for an application that has such a text. The frame
// prints it before any window opens, so it works without a display.
__attribute__((weak)) const char* app_usage(void) { return nullptr; }

std::atomic<void (*)()> ztl_qt_after_paint{nullptr};

namespace {

constexpr const char* DEBUG_CAPTION = "Ztl Debug Message";  // UTF-8, as every literal here
constexpr const char* NOT_IMPLEMENTED = "未実装です。 m(__)m";
constexpr const char* ABOUT_TEXT = "";  // nothing in the program fills it
constexpr const char* BANNER =
    "ZTL1 for Win32  version 1.7\n"
    "------------------------\n"
    "Desktop frame on Qt 6, glyphs by FreeType\n"
    "\n"
    "ZTL -- Zentrio Graphic Library --\n"
    "---------------------------------\n"
    "Graphics, text, keys and pen of the Zentrio handheld\n";
constexpr std::size_t APPLICATION_STACK_BYTES = 32u << 20;

// --- Shift-JIS <-> QString ------------------------------------------------------

// Converts with a descriptor kept for the window thread, the only user.
std::string convert(iconv_t descriptor, const std::string& in) {
    std::string out(in.size() * 4 + 4, '\0');
    char* in_ptr = const_cast<char*>(in.data());
    std::size_t in_left = in.size();
    char* out_ptr = out.data();
    std::size_t out_left = out.size();
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    if (iconv(descriptor, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1))
        return {};
    out.resize(out.size() - out_left);
    return out;
}

QString from_sjis(const char* text) {
    static iconv_t to_utf8 = iconv_open("UTF-8", "CP932");
    return QString::fromStdString(convert(to_utf8, text));
}

// Character by character, so that one character without a Shift-JIS form is
// dropped and the others still arrive.
std::vector<std::string> to_sjis(const QString& text) {
    static iconv_t from_utf8 = iconv_open("CP932", "UTF-8");
    std::vector<std::string> characters;
    for (char32_t code_point : text.toUcs4()) {
        std::string sjis = convert(from_utf8, QString::fromUcs4(&code_point, 1).toStdString());
        if (!sjis.empty()) characters.push_back(sjis);
    }
    return characters;
}

std::string joined_sjis(const QString& text) {
    std::string joined;
    for (const std::string& character : to_sjis(text)) joined += character;
    return joined;
}

// --- keys ---------------------------------------------------------------------------

int virtual_key_of(int qt_key) {
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F10) return ZTL_VK_F1 + (qt_key - Qt::Key_F1);
    switch (qt_key) {
    case Qt::Key_Henkan: return ZTL_VK_CONVERT;
    case Qt::Key_Muhenkan: return ZTL_VK_NONCONVERT;
    case Qt::Key_PageUp: return ZTL_VK_PAGE_UP;
    case Qt::Key_PageDown: return ZTL_VK_PAGE_DOWN;
    case Qt::Key_End: return ZTL_VK_END;
    case Qt::Key_Home: return ZTL_VK_HOME;
    case Qt::Key_Left: return ZTL_VK_LEFT;
    case Qt::Key_Up: return ZTL_VK_UP;
    case Qt::Key_Right: return ZTL_VK_RIGHT;
    case Qt::Key_Down: return ZTL_VK_DOWN;
    case Qt::Key_Insert: return ZTL_VK_INSERT;
    case Qt::Key_Delete: return ZTL_VK_DELETE;
    default: return 0;
    }
}

void queue_text(const QString& text, int shift) {
    for (const std::string& character : to_sjis(text))
        ztl_event_chars(reinterpret_cast<const unsigned char*>(character.data()),
                        static_cast<int>(character.size()), shift);
}

// One key press: a special key by the scan-code table, else its character
// as the desktop translated it (control characters included).
void translate_key(const QKeyEvent* event) {
    int shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    int ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    int key = event->key();
    int virtual_key = virtual_key_of(key);
    if (virtual_key != 0 && ztl_event_key(virtual_key, shift, ctrl)) return;
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        unsigned char tab = '\t';
        ztl_event_chars(&tab, 1, shift || key == Qt::Key_Backtab);
        return;
    }
    if (ctrl && key >= Qt::Key_A && key <= Qt::Key_Z) {
        unsigned char control = static_cast<unsigned char>(key - Qt::Key_A + 1);
        ztl_event_chars(&control, 1, shift);
        return;
    }
    queue_text(event->text(), shift);
}

// --- the client area ------------------------------------------------------------------

// Shows the screen at a whole factor of device pixels, centred on a white
// background; pen positions map back to screen pixels.
class client_view : public QWidget {
public:
    client_view() {
        setMinimumSize(ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT);
        // Its own X window, so that tools see the exact client rectangle.
        setAttribute(Qt::WA_NativeWindow);
        // Every pixel is painted here, the margins too: no erasing first.
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::StrongFocus);
    }

    void set_input_method(bool on) {
        setAttribute(Qt::WA_InputMethodEnabled, on);
        QGuiApplication::inputMethod()->update(Qt::ImEnabled);
    }

    // ZOOM_FIT or a fixed factor 1..4.
    int zoom_choice = ZOOM_FIT;

    ZoomPlacement placement() const {
        double ratio = devicePixelRatioF();
        return zoom_place(zoom_choice, static_cast<int>(width() * ratio), static_cast<int>(height() * ratio),
                          ratio);
    }

    // The client area (logical pixels) that shows a rectangle of the screen.
    QRect client_rect_of(const QRect& screen_area) const {
        ZoomPlacement at = placement();
        double ratio = devicePixelRatioF();
        QRectF device(at.left + screen_area.left() * at.factor, at.top + screen_area.top() * at.factor,
                      screen_area.width() * at.factor, screen_area.height() * at.factor);
        QRectF logical(device.topLeft() / ratio, device.size() / ratio);
        return logical.toAlignedRect();
    }

    void update_screen_rect(const QRect& screen_area) { update(client_rect_of(screen_area)); }

protected:
    void paintEvent(QPaintEvent* event) override {
        {
            std::lock_guard lock(ztl_mutex);
            if (ztl_initialised)
                paint_zoomed(event->rect());
            else
                QPainter(this).fillRect(event->rect(), Qt::white);
        }
        if (auto after_paint = ztl_qt_after_paint.load()) after_paint();
    }

    // Tab and Shift+Tab are input codes, not focus moves.
    bool focusNextPrevChild(bool) override { return false; }

    // Alt with a key belongs to the menu bar: no character for the application.
    void keyPressEvent(QKeyEvent* event) override {
        if (event->modifiers() & Qt::AltModifier)
            event->ignore();
        else
            translate_key(event);
    }

    void inputMethodEvent(QInputMethodEvent* event) override {
        queue_text(event->commitString(), 0);
        event->accept();
    }

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override {
        if (query == Qt::ImEnabled) return testAttribute(Qt::WA_InputMethodEnabled);
        if (query == Qt::ImCursorRectangle) return QRect(0, 0, 1, 1);
        return QWidget::inputMethodQuery(query);
    }

    // A press beside the drawn screen is no pen event, as a click outside the
    // window is not. Qt grabs the pointer from press to release, so the
    // release is seen even outside the window.
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        QPoint device = device_point(event);
        ZoomPlacement at = placement();
        pen_on_screen = zoom_on_screen(at, device.x(), device.y());
        if (pen_on_screen) ztl_event_pen_down(zoom_screen_x(at, device.x()), zoom_screen_y(at, device.y()));
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (pen_on_screen) pen_event(event, ztl_event_pen_move);
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !pen_on_screen) return;
        pen_on_screen = false;
        pen_event(event, ztl_event_pen_up);
    }

private:
    QPoint device_point(const QMouseEvent* event) const {
        QPointF device = event->position() * devicePixelRatioF();
        return {static_cast<int>(std::floor(device.x())), static_cast<int>(std::floor(device.y()))};
    }

    void pen_event(const QMouseEvent* event, void (*deliver)(int, int)) {
        QPoint device = device_point(event);
        ZoomPlacement at = placement();
        deliver(zoom_screen_x(at, device.x()), zoom_screen_y(at, device.y()));
    }

    // Enlarges the part of the window image under the paint area into the
    // cache, then copies it 1:1 to device pixels (the painter's scale to
    // logical pixels undone), so Qt never resamples the picture.
    void paint_zoomed(const QRect& logical_area) {
        ZoomPlacement at = placement();
        double ratio = devicePixelRatioF();
        QRect device_area = QRectF(QPointF(logical_area.topLeft()) * ratio, QSizeF(logical_area.size()) * ratio)
                                .toAlignedRect();
        QRect screen_in_device(at.left, at.top, ZTL_SCREEN_WIDTH * at.factor, ZTL_SCREEN_HEIGHT * at.factor);
        QRect drawn = device_area & screen_in_device;
        QPainter painter(this);
        painter.scale(1 / ratio, 1 / ratio);
        fill_margins(painter, device_area, screen_in_device);
        if (drawn.isEmpty()) return;
        if (cache.width() != screen_in_device.width())
            cache = QImage(screen_in_device.size(), QImage::Format_RGB32);
        QRect source = drawn.translated(-at.left, -at.top);
        QRect screen_area(QPoint(source.left() / at.factor, source.top() / at.factor),
                          QPoint(source.right() / at.factor, source.bottom() / at.factor));
        zoom_scale(ztl_window_image, screen_area.left(), screen_area.top(), screen_area.right() + 1,
                   screen_area.bottom() + 1, at.factor, reinterpret_cast<std::uint32_t*>(cache.bits()),
                   static_cast<int>(cache.bytesPerLine() / sizeof(std::uint32_t)));
        painter.drawImage(drawn.topLeft(), cache, source);
    }

    static void fill_margins(QPainter& painter, const QRect& device_area, const QRect& screen_in_device) {
        for (const QRect& margin : QRegion(device_area).subtracted(screen_in_device)) painter.fillRect(margin, Qt::white);
    }

    QImage cache;  // the enlarged screen, device pixels
    bool pen_on_screen = false;
};

// --- the window -------------------------------------------------------------------------

pthread_t application_thread;
std::atomic<bool> application_running{false};

// Closing while app_main still runs or waits: its thread cannot be stopped
// safely, so the process ends here with status 0, holding the library mutex
// so that no library call runs on while it goes.
[[noreturn]] void end_while_application_runs() {
    ztl_mutex.lock();
    std::fflush(nullptr);  // what the application wrote stays written
    _exit(0);
}

void show_message(QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);  // texts are shown as they stand, never as markup
    box.exec();
}

QString utf8(const char* text) { return QString::fromUtf8(text); }

// The window's 32 x 32 icon in the handheld's greys: a screen with a Z on it.
QIcon window_icon() {
    QPixmap picture(32, 32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.fillRect(1, 5, 30, 22, QColor(0x55, 0x55, 0x55));
    painter.fillRect(3, 7, 26, 18, QColor(0xAA, 0xAA, 0xAA));
    painter.setPen(QPen(Qt::black, 2));
    painter.drawPolyline(QPolygon({QPoint(10, 10), QPoint(22, 10), QPoint(10, 22), QPoint(22, 22)}));
    return QIcon(picture);
}

// The user's settings live in ~/.config/<name>.conf, the name being the
// program's. Window thread.
QVariant stored_setting(const char* key) {
    return QSettings(QCoreApplication::applicationName()).value(QString::fromUtf8(key));
}

void store_setting(const char* key, const QString& value) {
    QSettings(QCoreApplication::applicationName()).setValue(QString::fromUtf8(key), value);
}

constexpr const char* ZOOM_SETTING = "window/zoom";  // "fit" or "1" .. "4"

QString zoom_setting_of(int choice) { return choice == ZOOM_FIT ? "fit" : QString::number(choice); }

int zoom_choice_of(const QString& setting) {
    int factor = setting.toInt();
    return factor >= 1 && factor <= ZOOM_LARGEST ? factor : ZOOM_FIT;
}

class main_window : public QMainWindow {
public:
    main_window() {
        setWindowTitle(utf8("ZTL for Win32"));
        setWindowIcon(window_icon());
        setCentralWidget(view);
        QMenu* program = menuBar()->addMenu(utf8("&Program"));
        program->addAction(utf8("&Restart"), this, [this] { not_implemented(); });
        program->addAction(utf8("&Stop"), this, [this] { not_implemented(); });
        program->addSeparator();
        program->addAction(utf8("&Exit"), this, [this] { close(); });
        help = menuBar()->addMenu(utf8("&Help"));
        help->addAction(utf8("&About"), this, [this] { about(); });
        add_view_menu();
        show_zoom_choice(zoom_choice_of(stored_setting(ZOOM_SETTING).toString()));
        size_to_zoom();
        view->setFocus();
    }

    // The client area at the chosen factor (at x1 and "fit": the screen's
    // own size), unless the window is maximised: then it keeps its size.
    void size_to_zoom() {
        if (isMaximized() || isFullScreen()) return;
        int factor = view->zoom_choice == ZOOM_FIT ? 1 : view->zoom_choice;
        // Fixed for the moment so that the window fits around it, then free
        // again for the user to resize.
        view->setFixedSize(screen_size * factor);
        adjustSize();
        view->setMinimumSize(screen_size);
        view->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        view->update();
    }

    void choose_zoom(int choice) {
        show_zoom_choice(choice);
        store_setting(ZOOM_SETTING, zoom_setting_of(choice));
        if (choice != ZOOM_FIT) size_to_zoom();
        view->update();
    }

    QSize screen_size{ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT};

    client_view* const view = new client_view;

    // A top-level menu of the desktop frame, created before "&Help" on first use.
    QMenu* frame_menu(const QString& title) {
        QMenu*& menu = frame_menus[title];
        if (menu == nullptr) {
            menu = new QMenu(title, this);
            menuBar()->insertMenu(help->menuAction(), menu);
        }
        return menu;
    }

    void add_frame_item(const QString& menu, const QString& item, int code) {
        QAction* action = frame_menu(menu)->addAction(item, this, [code] { ztl_event_menu(code); });
        frame_items[code] = action;
    }

    // "表示": the zoom choices (exclusive) and steps by shortcut. The
    // shortcuts are the window's: they never reach the application as keys.
    void add_view_menu() {
        QMenu* menu = frame_menu(utf8("表示"));
        auto* choices = new QActionGroup(this);
        for (int choice : {1, 2, 3, 4, ZOOM_FIT}) {
            QString text = choice == ZOOM_FIT ? utf8("ウィンドウに合わせる") : utf8("×%1").arg(choice);
            QAction* action = menu->addAction(text, this, [this, choice] { choose_zoom(choice); });
            action->setCheckable(true);
            choices->addAction(action);
            zoom_actions[choice] = action;
        }
        zoom_actions[1]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
        menu->addSeparator();
        QAction* larger = menu->addAction(utf8("拡大"), this, [this] { step_zoom(+1); });
        larger->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
        QAction* smaller = menu->addAction(utf8("縮小"), this, [this] { step_zoom(-1); });
        smaller->setShortcuts(QKeySequence::ZoomOut);
    }

    void show_zoom_choice(int choice) {
        view->zoom_choice = choice;
        zoom_actions[choice]->setChecked(true);
    }

    // One factor up or down from what is shown now (in "fit": the factor it
    // came to, in logical pixels).
    void step_zoom(int step) {
        int shown = view->zoom_choice;
        if (shown == ZOOM_FIT)
            shown = static_cast<int>(std::lround(view->placement().factor / view->devicePixelRatioF()));
        choose_zoom(std::clamp(shown + step, 1, ZOOM_LARGEST));
    }

    void check_frame_item(int code, bool checked) {
        auto found = frame_items.find(code);
        if (found == frame_items.end()) return;
        found->second->setCheckable(true);
        found->second->setChecked(checked);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        if (application_running.load()) end_while_application_runs();
        event->accept();
    }

private:
    void not_implemented() { show_message(this, utf8(DEBUG_CAPTION), utf8(NOT_IMPLEMENTED)); }

    void about() {
        std::string text = std::string(ABOUT_TEXT) + "\n\n" + BANNER;
        show_message(this, utf8("About"), utf8(text.c_str()));
    }

    QMenu* help = nullptr;
    std::map<int, QAction*> zoom_actions;
    std::map<QString, QMenu*> frame_menus;
    std::map<int, QAction*> frame_items;
};

main_window* window = nullptr;

// Runs work on the window thread: at once there, else queued and waited for.
template <typename Work>
void on_window_thread(Work work) {
    if (QThread::currentThread() == window->thread())
        work();
    else
        QMetaObject::invokeMethod(window, work, Qt::BlockingQueuedConnection);
}

// Repaint requests from the application thread are merged until the window
// thread takes them, so a burst of refreshes costs one paint.
std::mutex pending_mutex;
QRect pending_repaint;
bool repaint_posted = false;

void take_pending_repaint() {
    QRect area;
    {
        std::lock_guard lock(pending_mutex);
        area = pending_repaint;
        pending_repaint = QRect();
        repaint_posted = false;
    }
    window->view->update_screen_rect(area);
}

struct application_start {
    int (*entry)(int, char**);
    int argc;
    char** argv;
};

void* run_application(void* argument) {
    auto* start = static_cast<application_start*>(argument);
    start->entry(start->argc, start->argv);
    delete start;
    application_running.store(false);
    QMetaObject::invokeMethod(window, [] { window->close(); }, Qt::QueuedConnection);
    return nullptr;
}

// The application may end the process itself with exit() (a start-up
// failure). Static destruction would then tear Qt down under the running
// window thread, so the process ends at once with the application's status;
// its standard streams are flushed first.
void end_from_application_thread(int status, void*) {
    if (!application_running.load() || !pthread_equal(pthread_self(), application_thread)) return;
    std::fflush(nullptr);
    _exit(status);
}

}  // namespace

// --- backend seam ---------------------------------------------------------------------------

void ztl_backend_invalidate(int left, int top, int right, int bottom) {
    std::lock_guard lock(pending_mutex);
    pending_repaint |= QRect(left, top, right - left, bottom - top);
    if (repaint_posted || window == nullptr) return;
    repaint_posted = true;
    QMetaObject::invokeMethod(window, [] { take_pending_repaint(); }, Qt::QueuedConnection);
}

void ztl_backend_message_box(const char* caption, const char* text) {
    on_window_thread(
        [caption, text] { show_message(window, from_sjis(caption), from_sjis(text)); });
}

void ztl_backend_set_window(int client_width, int client_height, const char* title) {
    on_window_thread([client_width, client_height, title] {
        window->screen_size = QSize(client_width, client_height);
        window->setWindowTitle(from_sjis(title));
        window->size_to_zoom();
    });
}

void ztl_backend_ime_toggle() {
    on_window_thread([] {
        window->view->set_input_method(!window->view->testAttribute(Qt::WA_InputMethodEnabled));
    });
}

int ztl_backend_ime_is_open() {
    bool open = false;
    on_window_thread([&open] { open = window->view->testAttribute(Qt::WA_InputMethodEnabled); });
    return open;
}

int ztl_backend_start_application(int (*entry)(int, char**), int argc, char** argv) {
    // std::thread cannot choose its stack size; the game's search needs 32 MiB.
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, APPLICATION_STACK_BYTES);
    auto* start = new application_start{entry, argc, argv};
    application_running.store(true);
    int failed = pthread_create(&application_thread, &attributes, run_application, start);
    pthread_attr_destroy(&attributes);
    if (failed) {
        application_running.store(false);
        delete start;
    }
    return !failed;
}

// --- desktop frame ------------------------------------------------------------------------

int ztl_menu_add(const char* menu, const char* item, int code) {
    if (menu == nullptr || item == nullptr || code < ZTL_MENU_CODE_BASE) return 0;
    on_window_thread([menu, item, code] { window->add_frame_item(from_sjis(menu), from_sjis(item), code); });
    return 1;
}

void ztl_menu_check(int code, int checked) {
    on_window_thread([code, checked] { window->check_frame_item(code, checked != 0); });
}

int ztl_choose_file(const char* caption, char* path, int size) {
    QString chosen;
    on_window_thread([caption, &chosen] { chosen = QFileDialog::getOpenFileName(window, from_sjis(caption)); });
    return !chosen.isEmpty() && ztl_copy_text(path, size, QFile::encodeName(chosen).constData(), 0);
}

int ztl_ask_text(const char* caption, const char* label, char* text, int size) {
    QString answer;
    bool ok = false;
    on_window_thread([caption, label, text, &answer, &ok] {
        answer = QInputDialog::getText(window, from_sjis(caption), from_sjis(label), QLineEdit::Normal,
                                       from_sjis(text), &ok);
    });
    if (!ok) return 0;
    ztl_copy_text(text, size, joined_sjis(answer).c_str(), 1);
    return 1;
}

int ztl_config_read(const char* key, char* value, int size) {
    QString stored;
    bool found = false;
    on_window_thread([key, &stored, &found] {
        QVariant entry = stored_setting(key);
        found = entry.isValid();
        stored = entry.toString();
    });
    if (!found) return 0;
    ztl_copy_text(value, size, stored.toUtf8().constData(), 0);
    return 1;
}

void ztl_config_write(const char* key, const char* value) {
    on_window_thread([key, value] { store_setting(key, QString::fromUtf8(value)); });
}

void ztl_qt_run_on_window_thread(void (*work)(void*), void* argument) {
    on_window_thread([work, argument] { work(argument); });
}

void ztl_qt_choose_zoom(int choice) { window->choose_zoom(std::clamp(choice, ZOOM_FIT, ZOOM_LARGEST)); }

void ztl_qt_send_key(int qt_key, int qt_modifiers, const char* utf8_text) {
    QKeyEvent event(QEvent::KeyPress, qt_key, Qt::KeyboardModifiers(qt_modifiers),
                    QString::fromUtf8(utf8_text));
    translate_key(&event);
}

// --- process entry ---------------------------------------------------------------------------

int main(int argc, char** argv) {
    const char* usage = app_usage();
    for (int i = 1; usage != nullptr && i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(usage, stdout);
            return 0;
        }
    QApplication application(argc, argv);
    // Registered after Qt's own exit handlers, so it runs before them.
    on_exit(end_from_application_thread, nullptr);
    main_window main;
    window = &main;
    main.show();
    // The application gets the command-line words from argument 1 on;
    // argument 0 is a null pointer.
    std::vector<char*> words(argv, argv + argc);
    words[0] = nullptr;
    words.push_back(nullptr);
    if (!ztl_backend_start_application(app_main, argc, words.data())) return 0;
    application.exec();
    // The event loop may also end without a close (the desktop session ends).
    if (application_running.load()) end_while_application_runs();
    pthread_join(application_thread, nullptr);
    ztl_screen_shutdown();
    window = nullptr;
    return 0;
}
