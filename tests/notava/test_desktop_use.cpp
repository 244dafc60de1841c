// What the viewer adds for today's desktop, and the faults mended on the way:
// the List check mark follows the list window, a failed load says why and
// changes nothing (capitals pairs load), the year box after the invalid-date
// error, export from the window, the last five pairs, dropped files and the
// list window's filter box.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QSpinBox>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "recent_pairs.h"
#include "viewer_fixture.h"

namespace {

const QDate START(2000, 4, 10);

QString qPath(const std::string& path) { return QString::fromStdString(path); }

std::vector<int> shownEntries(const ListWindow& list) {
    std::vector<int> entries;
    for (int row = 1; row < list.rowCount(); ++row)
        if (const int entry = list.hiddenValue(row, ListWindow::ENTRY_NUMBER_VALUE)) entries.push_back(entry);
    return entries;
}

void clearRecentPairs() { QSettings("zentrio", "notava").clear(); }

TEST(DesktopUse, ListCheckMarkFollowsTheWindow) {
    Viewer viewer(START);
    viewer.open(pairOf({dueOn("20000410", "x")}));
    QAction* list = viewer.mainWindow.controls().listAction;
    ASSERT_TRUE(viewer.listWindow().isVisible());
    for (int time = 0; time < 3; ++time) {  // chosen again while open: still open, still checked
        list->trigger();
        EXPECT_TRUE(viewer.listWindow().isVisible()) << time;
        EXPECT_TRUE(list->isChecked()) << time;
    }
    viewer.listWindow().close();
    EXPECT_FALSE(list->isChecked());
    list->trigger();
    EXPECT_TRUE(list->isChecked());
}

TEST(DesktopUse, CapitalsPairOpensAndAFailedOpenSaysWhy) {
    Viewer viewer(START);
    viewer.open(pairOf({dueOn("20000410", "kept")}));
    pairOf({dueOn("20000410", "capitals")}).write(viewer.folder.file("CARD"));
    std::filesystem::rename(viewer.folder.file("CARD.idx"), viewer.folder.file("CARD.IDX"));
    std::filesystem::rename(viewer.folder.file("CARD.dat"), viewer.folder.file("CARD.DAT"));
    pairOf({dueOn("20000410", "half")}).write(viewer.folder.file("half"));
    std::filesystem::remove(viewer.folder.file("half.dat"));

    EXPECT_FALSE(viewer.mainWindow.openTodoFile(qPath(viewer.folder.file("half.idx"))));
    const QStringList boxes = Viewer::errorBoxes();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].contains(qPath(viewer.folder.file("half.dat")))) << boxes[0].toStdString();
    EXPECT_EQ(viewer.content(), "kept");
    EXPECT_EQ(viewer.listWindow().cellText(ListWindow::CONTENT, 1), "kept");
    Viewer::closeErrorBoxes();

    EXPECT_TRUE(viewer.mainWindow.openTodoFile(qPath(viewer.folder.file("CARD.IDX"))));
    EXPECT_EQ(viewer.content(), "capitals");
    EXPECT_TRUE(Viewer::errorBoxes().isEmpty());
}

// 29 February 2000 selected, year up to 2001: refused, and both boxes show
// the calendar's date again.
TEST(DesktopUse, BoxesShowTheCalendarAfterTheInvalidDateError) {
    Viewer viewer(QDate(2000, 2, 29));
    QSpinBox* year = viewer.mainWindow.controls().yearBox;
    year->stepUp();
    EXPECT_EQ(Viewer::errorBoxes(), QStringList{"日付に変換できない値が渡されました"});
    EXPECT_EQ(viewer.calendarDate(), QDate(2000, 2, 29));
    EXPECT_EQ(year->value(), 2000);
    EXPECT_EQ(viewer.mainWindow.controls().monthBox->text(), "2");
    Viewer::closeErrorBoxes();
    year->stepUp();  // the next try starts from 2000 again
    EXPECT_EQ(Viewer::errorBoxes().size(), 1);
    year->setValue(2004);
    EXPECT_EQ(viewer.calendarDate(), QDate(2004, 2, 29));
}

TEST(DesktopUse, ExportFromTheWindow) {
    Viewer viewer(START);
    QAction* exportAction = viewer.mainWindow.controls().exportAction;
    EXPECT_FALSE(exportAction->isEnabled());
    viewer.open(pairOf({dueOn("20000410", "one"), dueOn("20000411", "two")}));
    EXPECT_TRUE(exportAction->isEnabled());
    EXPECT_TRUE(viewer.mainWindow.exportTo(qPath(viewer.folder.file("out.csv"))));
    std::ifstream csv(viewer.folder.file("out.csv"));
    std::string header, first;
    std::getline(csv, header);
    std::getline(csv, first);
    EXPECT_EQ(first, "1,A,1999-01-01,2000-04-10,,,one,0,0\r");
    EXPECT_FALSE(viewer.mainWindow.exportTo(qPath(viewer.folder.file("out.txt"))));
    ASSERT_EQ(Viewer::errorBoxes().size(), 1);
    EXPECT_TRUE(Viewer::errorBoxes()[0].contains("must end in .ics"));
}

TEST(DesktopUse, FileMenuKeepsTheLastFivePairs) {
    clearRecentPairs();
    Viewer viewer(START);
    QMenu* recent = viewer.mainWindow.controls().recentMenu;
    EXPECT_FALSE(recent->isEnabled());
    for (int i = 1; i <= 7; ++i) viewer.open(pairOf({dueOn("20000410", "pair " + std::to_string(i))}), "p" + std::to_string(i));
    viewer.mainWindow.openTodoFile(qPath(viewer.folder.file("p6.dat")));  // the same pair as p6.idx
    QStringList expected;
    for (const char* name : {"p6.dat", "p7.idx", "p5.idx", "p4.idx", "p3.idx"}) expected << qPath(viewer.folder.file(name));
    EXPECT_EQ(RecentPairs().paths(), expected);
    ASSERT_EQ(recent->actions().size(), 5);
    EXPECT_EQ(recent->actions()[1]->text(), "&2 " + expected[1]);

    Viewer later(START);  // a new start remembers them
    QMenu* laterRecent = later.mainWindow.controls().recentMenu;
    ASSERT_EQ(laterRecent->actions().size(), 5);
    laterRecent->actions()[2]->trigger();
    EXPECT_EQ(later.listWindow().cellText(ListWindow::CONTENT, 1), "pair 5");
    clearRecentPairs();
}

TEST(DesktopUse, DroppedIdxOrDatFileOpens) {
    clearRecentPairs();
    Viewer viewer(START);
    pairOf({dueOn("20000410", "dropped")}).write(viewer.folder.file("drop"));
    std::ofstream(viewer.folder.file("note.txt")) << "x";
    auto drop = [&](const std::string& name) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(qPath(viewer.folder.file(name)))});
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&viewer.mainWindow, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped({10, 10}, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&viewer.mainWindow, &dropped);
        return true;
    };
    EXPECT_FALSE(drop("note.txt"));
    EXPECT_EQ(viewer.mainWindow.data().entryCount, 0);
    EXPECT_TRUE(drop("drop.dat"));
    EXPECT_EQ(viewer.content(), "dropped");
    clearRecentPairs();
}

// Hidden, the filter takes no room: the grid stands where it always stood.
TEST(DesktopUse, FilterBoxNarrowsTheRowsOfTheShownTab) {
    Viewer viewer(QDate(2000, 4, 1));
    TodoRecordFields kana = dueOn("20000402", "\xB6\xC5 half-width kana");  // ｶﾅ
    kana.client = "Suzuki";
    viewer.open(pairOf({dueOn("20000405", "Buy MILK"), kana, dueOn("20000403", "\x83\x4a\x83\x69"),  // カナ
                        dueOn("20000401", "milk again")}));
    ListWindow& list = viewer.listWindow();
    list.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    QTest::qWait(300);  // the window is fitted to its frame shortly after it shows
    const QRect gridBefore = list.grid()->geometry();
    EXPECT_FALSE(list.filterEdit()->isVisible());

    QTest::keyClick(&list, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(list.filterEdit()->isVisible());
    EXPECT_TRUE(list.filterEdit()->hasFocus());
    QTest::keyClicks(list.filterEdit(), "Milk");
    EXPECT_EQ(shownEntries(list), (std::vector<int>{1, 4}));
    list.tabBar()->setCurrentIndex(static_cast<int>(ListTab::ByLimitDate));
    EXPECT_EQ(shownEntries(list), (std::vector<int>{4, 1}));
    const struct {
        const char* typed;
        std::vector<int> rows;
    } cases[] = {
        {"カナ", {2, 3}}, {"ｶﾅ", {2, 3}}, {"ＭＩＬＫ", {4, 1}}, {"suzuki", {2}}, {"4月3日", {3}}, {"nothing", {}},
    };
    for (const auto& c : cases) {
        list.filterEdit()->setText(QString::fromUtf8(c.typed));
        EXPECT_EQ(shownEntries(list), c.rows) << c.typed;
    }
    EXPECT_EQ(list.rowCount(), 2);  // one blank row when nothing matches
    EXPECT_EQ(list.hiddenValue(1, ListWindow::ENTRY_NUMBER_VALUE), 0);

    QTest::keyClick(list.filterEdit(), Qt::Key_Escape);
    EXPECT_FALSE(list.filterEdit()->isVisible());
    EXPECT_TRUE(list.filterEdit()->text().isEmpty());
    EXPECT_EQ(shownEntries(list), (std::vector<int>{4, 2, 3, 1}));
    QApplication::processEvents();  // the layout settles in the event loop
    EXPECT_EQ(list.grid()->geometry(), gridBefore);
}

}  // namespace
