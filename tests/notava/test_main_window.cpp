// The main window: loading a pair, the entries of a day with Prev and Next,
// the calendar moves of showEntry and Today, the year box, the rank, the marks,
// the fixed window itself and the about box.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>

#include "viewer_fixture.h"

namespace {

const QDate START(2000, 4, 10);

TEST(MainWindow, NothingLoadedOnlyClearsTheFields) {
    Viewer viewer(START);
    MainWindow& form = viewer.mainWindow;
    EXPECT_FALSE(form.controls().listAction->isEnabled());
    EXPECT_EQ(form.data().entryCount, 0);
    EXPECT_EQ(form.today(), (TodoDate{2000, 4, 10}));
    EXPECT_EQ(form.controls().yearBox->value(), 2000);
    EXPECT_EQ(form.controls().monthBox->text(), "4");
    for (int day : {11, 12, 30}) {
        form.controls().calendar->setDay(day);
        EXPECT_TRUE(form.controls().entryDateEdit->text().isEmpty());
        EXPECT_TRUE(viewer.content().isEmpty());
        EXPECT_FALSE(form.controls().prevEntryButton->isEnabled());
        EXPECT_FALSE(form.controls().nextEntryButton->isEnabled());
        EXPECT_EQ(form.controls().rankButtons->checkedId(), 0);
    }
    EXPECT_FALSE(form.controls().listAction->isEnabled());
    EXPECT_FALSE(viewer.listWindow().isVisible());
}

TEST(MainWindow, ADayWithOneEntryShowsItsFields) {
    Viewer viewer(START);
    viewer.open(pairOf({{"20000412", "20000301", '1', 'B', '1', "\x8d\xb2\x93\xa1", "\x97\xe9\x96\xd8", "line 1\r\nline 2"}}));
    MainWindow& form = viewer.mainWindow;
    form.controls().calendar->setDay(12);
    EXPECT_EQ(form.controls().entryDateEdit->text(), "2000年3月1日");
    EXPECT_EQ(form.controls().limitDateEdit->text(), "2000年4月12日");
    EXPECT_EQ(form.controls().requestEdit->text(), "佐藤");
    EXPECT_EQ(form.controls().clientEdit->text(), "鈴木");
    EXPECT_EQ(viewer.content(), "line 1\nline 2");
    EXPECT_EQ(form.controls().rankButtons->checkedId(), 1);
    EXPECT_TRUE(form.controls().deletedBox->isChecked());
    EXPECT_TRUE(form.controls().secretBox->isChecked());
    EXPECT_FALSE(form.controls().prevEntryButton->isEnabled());
    EXPECT_FALSE(form.controls().nextEntryButton->isEnabled());
    form.controls().calendar->setDay(13);  // a day without entries clears everything
    EXPECT_TRUE(form.controls().limitDateEdit->text().isEmpty());
    EXPECT_EQ(form.controls().rankButtons->checkedId(), 0);
    EXPECT_FALSE(form.controls().deletedBox->isChecked());
    EXPECT_FALSE(form.controls().secretBox->isChecked());
}

TEST(MainWindow, PrevAndNextWalkTheEntriesOfADay) {
    Viewer viewer(START);
    viewer.open(pairOf({dueOn("20000415", "a"), dueOn("20000416", "other"), dueOn("20000415", "b"),
                        dueOn("20000415", "c")}));
    MainWindow& form = viewer.mainWindow;
    form.controls().calendar->setDay(15);
    EXPECT_EQ(form.dayList(), (std::vector<int>{1, 3, 4}));
    const struct {
        void (MainWindow::*click)();
        const char* content;
        bool prev, next;
    } steps[] = {
        {nullptr, "a", false, true},
        {&MainWindow::onNextEntryClicked, "b", true, true},
        {&MainWindow::onNextEntryClicked, "c", true, false},
        {&MainWindow::onPrevEntryClicked, "b", true, true},
        {&MainWindow::onPrevEntryClicked, "a", false, true},
    };
    for (const auto& step : steps) {
        if (step.click) (form.*step.click)();
        EXPECT_EQ(viewer.content(), step.content);
        EXPECT_EQ(form.controls().prevEntryButton->isEnabled(), step.prev) << step.content;
        EXPECT_EQ(form.controls().nextEntryButton->isEnabled(), step.next) << step.content;
        EXPECT_EQ(viewer.calendarDate(), QDate(2000, 4, 15));
    }
    QTest::mouseClick(form.controls().nextEntryButton, Qt::LeftButton);  // the buttons are wired to the handlers
    EXPECT_EQ(viewer.content(), "b");
    form.controls().calendar->setDay(14);
    form.controls().calendar->setDay(15);  // any date change starts again at the first entry
    EXPECT_EQ(viewer.content(), "a");
    EXPECT_EQ(form.dayListPos(), 0);
}

// A date may carry any number of entries; Next reaches every one.
TEST(MainWindow, MoreThanThirtyOneEntriesOnADay) {
    Viewer viewer(START);
    TodoPairBuilder pair;
    pair.addIndex(0, 0);
    for (int i = 1; i <= 40; ++i) pair.addRecord(dueOn("20000420", std::to_string(i)));
    viewer.open(pair);
    MainWindow& form = viewer.mainWindow;
    form.controls().calendar->setDay(20);
    int steps = 0;
    while (form.controls().nextEntryButton->isEnabled() && steps < 100) {
        form.onNextEntryClicked();
        ++steps;
    }
    EXPECT_EQ(steps, 39);
    EXPECT_EQ(viewer.content(), "40");
    form.onNextEntryClicked();  // nothing after the last
    EXPECT_EQ(viewer.content(), "40");
    while (form.controls().prevEntryButton->isEnabled()) form.onPrevEntryClicked();
    EXPECT_EQ(viewer.content(), "1");
    form.onPrevEntryClicked();
    EXPECT_EQ(viewer.content(), "1");
}

TEST(MainWindow, OpeningOnADueDayShowsItAtOnce) {
    Viewer viewer(START);
    viewer.open(pairOf({dueOn("20000402", "x"), dueOn("20000410", "today's"), dueOn("20000410", "second"),
                        dueOn("20000501", "may"), dueOn("20000400", "day 0"), dueOn("20000432", "day 32")}));
    MainWindow& form = viewer.mainWindow;
    EXPECT_EQ(viewer.content(), "today's");
    EXPECT_TRUE(form.controls().nextEntryButton->isEnabled());
    EXPECT_TRUE(form.controls().listAction->isEnabled());
    EXPECT_TRUE(form.controls().listAction->isChecked());
    EXPECT_TRUE(viewer.listWindow().isVisible());
    for (int day = 1; day <= 31; ++day) EXPECT_EQ(form.controls().calendar->isMarked(day), day == 2 || day == 10) << day;
    form.onNextMonthClicked();
    EXPECT_EQ(form.controls().monthBox->text(), "5");
    for (int day = 1; day <= 31; ++day) EXPECT_EQ(form.controls().calendar->isMarked(day), day == 1) << day;
}

TEST(MainWindow, FailedLoadKeepsThePairOnDisplay) {
    Viewer viewer(START);
    viewer.open(pairOf({dueOn("20000410", "kept")}));
    viewer.mainWindow.openTodoFile(QString::fromStdString(viewer.folder.file("missing.idx")));
    EXPECT_EQ(viewer.mainWindow.data().entryCount, 2);
    EXPECT_EQ(viewer.content(), "kept");
    EXPECT_TRUE(viewer.mainWindow.controls().calendar->isMarked(10));
}

// The calendar moves to the entry's due date; the fields show that entry
// while Prev and Next belong to the new date, at its first entry.
TEST(MainWindow, ShowEntryMovesTheCalendar) {
    Viewer viewer(START);
    viewer.open(pairOf({dueOn("20010301", "first"), dueOn("20010301", "second"), dueOn("20010230", "no such day"),
                        dueOn("20000229", "leap")}));
    MainWindow& form = viewer.mainWindow;
    form.showEntry(2);
    EXPECT_EQ(viewer.calendarDate(), QDate(2001, 3, 1));
    EXPECT_EQ(viewer.content(), "second");
    EXPECT_EQ(form.dayListPos(), 0);
    EXPECT_TRUE(form.controls().nextEntryButton->isEnabled());
    EXPECT_EQ(form.controls().yearBox->value(), 2001);
    EXPECT_EQ(form.controls().monthBox->text(), "3");
    EXPECT_TRUE(form.controls().calendar->isMarked(1));

    form.showEntry(4);  // to 29 February 2000
    EXPECT_EQ(viewer.calendarDate(), QDate(2000, 2, 29));
    form.showEntry(1);  // from 29 February into a year without it
    EXPECT_EQ(viewer.calendarDate(), QDate(2001, 3, 1));
    EXPECT_EQ(viewer.content(), "first");
    form.showEntry(3);  // a due date that is no day: the calendar stays
    EXPECT_EQ(viewer.calendarDate(), QDate(2001, 3, 1));
    EXPECT_EQ(viewer.content(), "no such day");
    EXPECT_EQ(form.controls().limitDateEdit->text(), "2001年2月30日");
    EXPECT_TRUE(Viewer::errorBoxes().isEmpty());
    form.showEntry(99);  // no such entry: cleared
    EXPECT_TRUE(viewer.content().isEmpty());
}

TEST(MainWindow, TodayGoesToTheClocksDate) {
    Viewer viewer(QDate(2000, 2, 10));
    viewer.open(pairOf({dueOn("20000430", "due today")}));
    viewer.clock = QDate(2000, 4, 30);
    QTest::mouseClick(viewer.mainWindow.controls().todayButton, Qt::LeftButton);
    EXPECT_EQ(viewer.calendarDate(), QDate(2000, 4, 30));
    EXPECT_EQ(viewer.mainWindow.controls().monthBox->text(), "4");
    EXPECT_EQ(viewer.content(), "due today");
    EXPECT_EQ(viewer.mainWindow.today(), (TodoDate{2000, 2, 10}));  // taken once at start
}

TEST(MainWindow, MonthButtonsStepTheCalendar) {
    Viewer viewer(QDate(2000, 3, 31));
    QTest::mouseClick(viewer.mainWindow.controls().prevMonthButton, Qt::LeftButton);
    EXPECT_EQ(viewer.calendarDate(), QDate(2000, 2, 29));
    QTest::mouseClick(viewer.mainWindow.controls().nextMonthButton, Qt::LeftButton);
    EXPECT_EQ(viewer.calendarDate(), QDate(2000, 3, 29));
    EXPECT_EQ(viewer.mainWindow.controls().monthBox->text(), "3");
}

TEST(MainWindow, YearBoxStaysWithinItsRange) {
    Viewer viewer(START);
    MainWindow& form = viewer.mainWindow;
    form.controls().yearBox->setValue(1989);
    EXPECT_EQ(form.controls().yearBox->value(), 1990);
    EXPECT_EQ(form.controls().calendar->year(), 1990);
    form.controls().yearBox->stepDown();
    EXPECT_EQ(form.controls().calendar->year(), 1990);
    form.controls().yearBox->stepUp();
    EXPECT_EQ(form.controls().calendar->year(), 1991);
    form.controls().yearBox->setValue(2200);
    form.controls().calendar->setMonth(12);
    form.onNextMonthClicked();  // past the box's range with the month button
    EXPECT_EQ(form.controls().calendar->year(), 2201);
    EXPECT_EQ(form.controls().yearBox->value(), 2200);
    form.onPrevMonthClicked();
    EXPECT_EQ(viewer.calendarDate(), QDate(2200, 12, 10));
}

// The calendar's invalid-date error reaches the user in an error box and
// leaves the date as it was.
TEST(MainWindow, YearWithoutTheSelectedDayIsRefused) {
    Viewer viewer(QDate(2000, 2, 29));
    viewer.mainWindow.controls().yearBox->setValue(2001);
    EXPECT_EQ(Viewer::errorBoxes(), QStringList{"日付に変換できない値が渡されました"});
    EXPECT_EQ(viewer.calendarDate(), QDate(2000, 2, 29));
    viewer.mainWindow.controls().yearBox->setValue(2004);
    EXPECT_EQ(viewer.calendarDate(), QDate(2004, 2, 29));
}

TEST(MainWindow, RankByteSelectsItsButton) {
    Viewer viewer(START);
    const std::pair<char, int> ranks[] = {{'A', 0}, {'B', 1}, {'C', 2}, {'D', 2}, {'z', 2}, {'@', -1}, {'\0', -1}};
    TodoPairBuilder pair;
    pair.addIndex(0, 0);
    for (auto [rank, button] : ranks) {
        TodoRecordFields fields = dueOn("20000410", "");
        fields.rank = rank;
        pair.addRecord(fields);
    }
    viewer.open(pair);
    for (std::size_t i = 0; i < std::size(ranks); ++i) {
        viewer.mainWindow.showEntry(static_cast<int>(i) + 1);
        EXPECT_EQ(viewer.mainWindow.controls().rankButtons->checkedId(), ranks[i].second) << ranks[i].first;
    }
}

TEST(MainWindow, FixedClientAreaUnderTheMenu) {
    Viewer viewer(START);
    MainWindow& form = viewer.mainWindow;
    form.show();
    EXPECT_EQ(form.centralWidget()->size(), QSize(323, 337));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.height(), 337 + form.menuBar()->height());
}

// Tab passes the entry fields by.
TEST(MainWindow, TabSkipsTheEntryFields) {
    Viewer viewer(START);
    MainWindow& form = viewer.mainWindow;
    form.show();
    QApplication::setActiveWindow(&form);
    form.controls().yearBox->setFocus();
    const QList<QWidget*> skipped = {form.controls().entryDateEdit, form.controls().limitDateEdit, form.controls().contentEdit, form.controls().requestEdit,
                                     form.controls().clientEdit,    form.controls().secretBox,    form.controls().deletedBox};
    QList<QWidget*> visited;
    for (int i = 0; i < 20; ++i) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        visited << focused;
        EXPECT_FALSE(skipped.contains(focused)) << focused->objectName().toStdString();
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    EXPECT_TRUE(visited.contains(form.controls().calendar));
    EXPECT_TRUE(visited.contains(form.controls().todayButton));
}

TEST(MainWindow, MenuOpensTheOtherWindows) {
    Viewer viewer(START);
    MainWindow& form = viewer.mainWindow;
    form.show();
    form.controls().aboutAction->trigger();
    EXPECT_TRUE(viewer.aboutBox().isVisible());
    const QRect screen = viewer.aboutBox().screen()->geometry();
    EXPECT_EQ(viewer.aboutBox().size(), QSize(290, 153));
    EXPECT_EQ(viewer.aboutBox().pos(), QPoint(screen.width() / 2 - 145, screen.height() / 2 - 153 / 2));
    QTest::mouseClick(viewer.aboutBox().findChild<QPushButton*>("Button1"), Qt::LeftButton);
    EXPECT_FALSE(viewer.aboutBox().isVisible());

    viewer.open(pairOf({dueOn("20000410", "x")}));
    viewer.listWindow().close();
    EXPECT_FALSE(form.controls().listAction->isChecked());
    form.controls().listAction->trigger();
    EXPECT_TRUE(viewer.listWindow().isVisible());
    EXPECT_TRUE(form.controls().listAction->isChecked());
    form.controls().exitAction->trigger();
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
