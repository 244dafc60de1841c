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

}  // namespace

int app_main(int, char**) {
    ztl_init();
    static char name[] = "ztl_qt_window_test";
    char* arguments[] = {name, nullptr};
    int count = 1;
    ::testing::InitGoogleTest(&count, arguments);
    std::exit(RUN_ALL_TESTS());
}
