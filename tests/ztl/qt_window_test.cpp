// The Qt desktop on the offscreen platform: this program is the application
// (app_main on the application thread) and looks at its own window from the
// window thread. Checks the desktop frame: menus added by the application sit
// before "&Help" and reach its handler, questions and settings go through Qt.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>
#include <cstdlib>
#include <string>
#include <vector>

#include "qt_window.h"
#include "ztl.h"
#include "ztl_desktop.h"

namespace {

// Runs work (any callable) on the window thread and returns when it is done.
template <typename Work>
void on_window(Work work) {
    ztl_qt_run_on_window_thread([](void* argument) { (*static_cast<Work*>(argument))(); }, &work);
}

QMainWindow* main_window() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<QMainWindow*>(widget)) return window;
    return nullptr;
}

std::vector<QString> menu_titles() {
    std::vector<QString> titles;
    on_window([&titles] {
        for (QAction* action : main_window()->menuBar()->actions()) titles.push_back(action->text());
    });
    return titles;
}

QAction* item_of(const QString& menu, const QString& item) {
    for (QAction* top : main_window()->menuBar()->actions())
        if (top->text() == menu && top->menu() != nullptr)
            for (QAction* action : top->menu()->actions())
                if (action->text() == item) return action;
    return nullptr;
}

// Answers the next modal dialog of the window thread once it is open.
template <typename Answer>
void answer_when_open(Answer answer) {
    QTimer::singleShot(10, [answer] {
        if (QWidget* modal = QApplication::activeModalWidget())
            answer(modal);
        else
            answer_when_open(answer);
    });
}

template <typename Answer>
void answer_next_dialog(Answer answer) {
    on_window([answer] { answer_when_open(answer); });
}

std::vector<int> handled;
void record_menu_code(int code) { handled.push_back(code); }

constexpr int FIRST = ZTL_MENU_CODE_BASE + 10;
constexpr int SECOND = ZTL_MENU_CODE_BASE + 11;

TEST(QtDesktop, MenusGoBeforeHelpAndTheirCodesReachTheHandler) {
    ztl_menu_handler(record_menu_code);
    ASSERT_EQ(ztl_menu_add("\x91\xce\x8b\xc7\x91\x8a\x8e\xe8", "First", FIRST), 1);  // "対局相手"
    ASSERT_EQ(ztl_menu_add("\x91\xce\x8b\xc7\x91\x8a\x8e\xe8", "Second", SECOND), 1);
    EXPECT_EQ(ztl_menu_add("Bad", "code", 'a'), 0);
    std::vector<QString> titles = menu_titles();
    ASSERT_GE(titles.size(), 3u);
    EXPECT_EQ(titles.front(), "&Program");
    EXPECT_EQ(titles[titles.size() - 2], QString::fromUtf8("対局相手"));
    EXPECT_EQ(titles.back(), "&Help");

    ztl_menu_check(SECOND, 1);
    bool checked = false;
    on_window([&checked] {
        QAction* second = item_of(QString::fromUtf8("対局相手"), "Second");
        ASSERT_NE(second, nullptr);
        checked = second->isChecked();
        second->trigger();
        ztl_qt_send_key(Qt::Key_Q, 0, "q");
    });
    EXPECT_TRUE(checked);
    EXPECT_EQ(ztl_get_key(50), 'q');  // the menu code went to the handler
    EXPECT_EQ(handled, std::vector<int>{SECOND});
    ztl_menu_handler(nullptr);
}

TEST(QtDesktop, QuestionsAnswerOrCancelThroughQtDialogs) {
    char text[32] = "localhost:4081";
    answer_next_dialog([](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        if (dialog == nullptr) {
            ADD_FAILURE() << "another dialog is open";
            modal->close();
            return;
        }
        EXPECT_EQ(dialog->textValue(), "localhost:4081");
        dialog->setTextValue(QString::fromUtf8("相手:4082"));
        dialog->accept();
    });
    EXPECT_EQ(ztl_ask_text("Peer", "host:port", text, sizeof text), 1);
    EXPECT_STREQ(text, "\x91\x8a\x8e\xe8:4082");  // Shift-JIS

    answer_next_dialog([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(ztl_ask_text("Peer", "host:port", text, sizeof text), 0);
    EXPECT_STREQ(text, "\x91\x8a\x8e\xe8:4082");

    char path[256];
    const std::string chosen = std::string(std::getenv("XDG_CONFIG_HOME")) + "/engine";
    std::fclose(std::fopen(chosen.c_str(), "w"));
    answer_next_dialog([chosen](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr) {
            ADD_FAILURE() << "another dialog is open";
            modal->close();
            return;
        }
        dialog->selectFile(QString::fromStdString(chosen));
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(ztl_choose_file("Engine", path, sizeof path), 1);
    EXPECT_EQ(std::string(path), chosen);
}

TEST(QtDesktop, SettingsAreStoredInTheUsersConfiguration) {
    char value[16];
    EXPECT_EQ(ztl_config_read("test/missing", value, sizeof value), 0);
    ztl_config_write("test/opponent", "gpsusi");
    EXPECT_EQ(ztl_config_read("test/opponent", value, sizeof value), 1);
    EXPECT_STREQ(value, "gpsusi");
    QString file;
    on_window([&file] { file = QCoreApplication::applicationName(); });
    std::string path = std::string(std::getenv("XDG_CONFIG_HOME")) + "/" + file.toStdString() + ".conf";
    FILE* stored = std::fopen(path.c_str(), "r");
    ASSERT_NE(stored, nullptr) << path;
    std::fclose(stored);
}

// --- zoom ------------------------------------------------------------------

QWidget* client_area() { return main_window()->centralWidget(); }

void choose_view_item(const QString& text) {
    on_window([text] {
        QAction* item = item_of(QString::fromUtf8("表示"), text);
        ASSERT_NE(item, nullptr) << text.toStdString();
        item->trigger();
    });
}

// A known screen: every pixel a level from a fixed sequence.
int known_level(int x, int y) { return (x * 7 + y * 13 + x * y) % 4; }

void draw_known_screen() {
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 640; ++x) {
            ztl_set_color(known_level(x, y));
            ztl_pset(x, y);
        }
    ztl_get_key(0);  // refreshes
}

TEST(QtZoom, EachFactorShowsTheScreenAsWholeSquaresAndRemembersIt) {
    draw_known_screen();
    for (int factor = 1; factor <= 4; ++factor) {
        SCOPED_TRACE(::testing::Message() << "x" << factor);
        choose_view_item(QString::fromUtf8("×%1").arg(factor));
        QImage shown;
        on_window([&shown] { shown = client_area()->grab().toImage().convertToFormat(QImage::Format_Grayscale8); });
        ASSERT_EQ(shown.size(), QSize(640 * factor, 240 * factor));
        int wrong = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                wrong += shown.pixelColor(x, y).red() != 0x55 * (3 - known_level(x / factor, y / factor));
        EXPECT_EQ(wrong, 0);
        char remembered[8] = "";
        EXPECT_EQ(ztl_config_read("window/zoom", remembered, sizeof remembered), 1);
        EXPECT_EQ(std::string(remembered), std::to_string(factor));
    }
}

void send_mouse(QEvent::Type type, QPoint at) {
    on_window([type, at] {
        QMouseEvent event(type, QPointF(at), QPointF(client_area()->mapToGlobal(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(client_area(), &event);
    });
}

constexpr int PEN_DOWN = 0x301, PEN_DRAG = 0x302, PEN_UP = 0x303;

struct PenCode {
    int code, x, y;
    bool operator==(const PenCode&) const = default;
};

std::vector<PenCode> pen_codes() {
    std::vector<PenCode> codes;
    for (int code = ztl_get_key(0); code != -1; code = ztl_get_key(0)) codes.push_back({code, ztl_pen_x, ztl_pen_y});
    return codes;
}

// Presses, drags and releases at the last device pixel of screen pixels'
// squares reach those screen pixels at every factor; a press beside the drawn
// screen is nothing, as a click outside the window is.
TEST(QtZoom, PenEventsAtScaledPositionsReachTheSameScreenPixels) {
    ztl_area* pad = ztl_area_new_codes(0, 0, 640, 240, PEN_DOWN, PEN_DRAG, PEN_UP);
    ztl_area_attach(nullptr, pad);
    pen_codes();
    struct Stroke {
        int down_x, down_y, drag_x, drag_y, up_x, up_y;
    };
    const Stroke strokes[] = {{0, 0, 1, 1, 639, 239}, {216, 16, 300, 100, 217, 17}, {639, 0, 0, 239, 320, 120}};
    for (int factor = 1; factor <= 4; ++factor) {
        SCOPED_TRACE(::testing::Message() << "x" << factor);
        choose_view_item(QString::fromUtf8("×%1").arg(factor));
        auto corner = [factor](int x, int y) { return QPoint(x * factor + factor - 1, y * factor + factor - 1); };
        for (const Stroke& s : strokes) {
            send_mouse(QEvent::MouseButtonPress, corner(s.down_x, s.down_y));
            send_mouse(QEvent::MouseMove, corner(s.drag_x, s.drag_y));
            send_mouse(QEvent::MouseButtonRelease, corner(s.up_x, s.up_y));
            EXPECT_EQ(pen_codes(), (std::vector<PenCode>{{PEN_DOWN, s.down_x, s.down_y},
                                                         {PEN_DRAG, s.drag_x, s.drag_y},
                                                         {PEN_UP, s.up_x, s.up_y}}));
        }
    }
    // In a larger window at "fit", the screen is centred: x2 in 1400 x 600
    // leaves 60 and 60 device pixels beside it.
    choose_view_item(QString::fromUtf8("ウィンドウに合わせる"));
    on_window([] { client_area()->resize(1400, 600); });
    send_mouse(QEvent::MouseButtonPress, QPoint(59, 300));  // beside: ignored, and so its release
    send_mouse(QEvent::MouseButtonRelease, QPoint(100, 300));
    EXPECT_EQ(pen_codes(), std::vector<PenCode>{});
    send_mouse(QEvent::MouseButtonPress, QPoint(60, 60));
    send_mouse(QEvent::MouseMove, QPoint(59, 59));  // dragged off the screen: beyond its edge
    send_mouse(QEvent::MouseButtonRelease, QPoint(60 + 1279, 60 + 479));
    std::vector<PenCode> codes = pen_codes();
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(codes[0], (PenCode{PEN_DOWN, 0, 0}));
    EXPECT_EQ(codes[1], (PenCode{PEN_UP, 639, 239}));
    ztl_area_remove(pad, 1);
    choose_view_item(QString::fromUtf8("×1"));
}

}  // namespace

int app_main(int, char**) {
    ztl_init();
    static char name[] = "ztl_qt_window_test";
    char* arguments[] = {name, nullptr};
    int count = 1;
    ::testing::InitGoogleTest(&count, arguments);
    std::exit(RUN_ALL_TESTS());
}
