// The main window: loading a pair, the entries of a day with Prev and Next,
// the calendar moves of ShowEntry and Today, the year box, the rank, the marks,
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

const QDate kStart(2000, 4, 10);

TEST(MainForm, NothingLoadedOnlyClearsTheFields) {
    Viewer viewer(kStart);
    TForm1& form = viewer.form1;
    EXPECT_FALSE(form.List1->isEnabled());
    EXPECT_EQ(form.Data().entryCount, 0);
    EXPECT_EQ(form.Today(), (TodoDate{2000, 4, 10}));
    EXPECT_EQ(form.SpinYear->value(), 2000);
    EXPECT_EQ(form.MonthEdit->text(), "4");
    for (int day : {11, 12, 30}) {
        form.Calendar1->SetDay(day);
        EXPECT_TRUE(form.EntryDate->text().isEmpty());
        EXPECT_TRUE(viewer.Content().isEmpty());
        EXPECT_FALSE(form.PrevBtn->isEnabled());
        EXPECT_FALSE(form.NextBtn->isEnabled());
        EXPECT_EQ(form.RankButtons->checkedId(), 0);
    }
    EXPECT_FALSE(form.List1->isEnabled());
    EXPECT_FALSE(viewer.viewForm.isVisible());
}

TEST(MainForm, ADayWithOneEntryShowsItsFields) {
    Viewer viewer(kStart);
    viewer.Open(PairOf({{"20000412", "20000301", '1', 'B', '1', "\x8d\xb2\x93\xa1", "\x97\xe9\x96\xd8", "line 1\r\nline 2"}}));
    TForm1& form = viewer.form1;
    form.Calendar1->SetDay(12);
    EXPECT_EQ(form.EntryDate->text(), "2000年3月1日");
    EXPECT_EQ(form.LimitDate->text(), "2000年4月12日");
    EXPECT_EQ(form.Request->text(), "佐藤");
    EXPECT_EQ(form.Client->text(), "鈴木");
    EXPECT_EQ(viewer.Content(), "line 1\nline 2");
    EXPECT_EQ(form.RankButtons->checkedId(), 1);
    EXPECT_TRUE(form.Deleted->isChecked());
    EXPECT_TRUE(form.Secret->isChecked());
    EXPECT_FALSE(form.PrevBtn->isEnabled());
    EXPECT_FALSE(form.NextBtn->isEnabled());
    form.Calendar1->SetDay(13);  // a day without entries clears everything
    EXPECT_TRUE(form.LimitDate->text().isEmpty());
    EXPECT_EQ(form.RankButtons->checkedId(), 0);
    EXPECT_FALSE(form.Deleted->isChecked());
    EXPECT_FALSE(form.Secret->isChecked());
}

TEST(MainForm, PrevAndNextWalkTheEntriesOfADay) {
    Viewer viewer(kStart);
    viewer.Open(PairOf({DueOn("20000415", "a"), DueOn("20000416", "other"), DueOn("20000415", "b"),
                        DueOn("20000415", "c")}));
    TForm1& form = viewer.form1;
    form.Calendar1->SetDay(15);
    EXPECT_EQ(form.DayList(), (std::vector<int>{1, 3, 4}));
    const struct {
        void (TForm1::*click)();
        const char* content;
        bool prev, next;
    } steps[] = {
        {nullptr, "a", false, true},
        {&TForm1::NextBtnClick, "b", true, true},
        {&TForm1::NextBtnClick, "c", true, false},
        {&TForm1::PrevBtnClick, "b", true, true},
        {&TForm1::PrevBtnClick, "a", false, true},
    };
    for (const auto& step : steps) {
        if (step.click) (form.*step.click)();
        EXPECT_EQ(viewer.Content(), step.content);
        EXPECT_EQ(form.PrevBtn->isEnabled(), step.prev) << step.content;
        EXPECT_EQ(form.NextBtn->isEnabled(), step.next) << step.content;
        EXPECT_EQ(viewer.CalendarDate(), QDate(2000, 4, 15));
    }
    QTest::mouseClick(form.NextBtn, Qt::LeftButton);  // the buttons are wired to the handlers
    EXPECT_EQ(viewer.Content(), "b");
    form.Calendar1->SetDay(14);
    form.Calendar1->SetDay(15);  // any date change starts again at the first entry
    EXPECT_EQ(viewer.Content(), "a");
    EXPECT_EQ(form.DayListPos(), 0);
}

// A date may carry any number of entries; Next reaches every one.
TEST(MainForm, MoreThanThirtyOneEntriesOnADay) {
    Viewer viewer(kStart);
    TodoPairBuilder pair;
    pair.AddIndex(0, 0);
    for (int i = 1; i <= 40; ++i) pair.AddRecord(DueOn("20000420", std::to_string(i)));
    viewer.Open(pair);
    TForm1& form = viewer.form1;
    form.Calendar1->SetDay(20);
    int steps = 0;
    while (form.NextBtn->isEnabled() && steps < 100) {
        form.NextBtnClick();
        ++steps;
    }
    EXPECT_EQ(steps, 39);
    EXPECT_EQ(viewer.Content(), "40");
    form.NextBtnClick();  // nothing after the last
    EXPECT_EQ(viewer.Content(), "40");
    while (form.PrevBtn->isEnabled()) form.PrevBtnClick();
    EXPECT_EQ(viewer.Content(), "1");
    form.PrevBtnClick();
    EXPECT_EQ(viewer.Content(), "1");
}

TEST(MainForm, OpeningOnADueDayShowsItAtOnce) {
    Viewer viewer(kStart);
    viewer.Open(PairOf({DueOn("20000402", "x"), DueOn("20000410", "today's"), DueOn("20000410", "second"),
                        DueOn("20000501", "may"), DueOn("20000400", "day 0"), DueOn("20000432", "day 32")}));
    TForm1& form = viewer.form1;
    EXPECT_EQ(viewer.Content(), "today's");
    EXPECT_TRUE(form.NextBtn->isEnabled());
    EXPECT_TRUE(form.List1->isEnabled());
    EXPECT_TRUE(form.List1->isChecked());
    EXPECT_TRUE(viewer.viewForm.isVisible());
    for (int day = 1; day <= 31; ++day) EXPECT_EQ(form.Calendar1->IsMarked(day), day == 2 || day == 10) << day;
    form.NextMonthClick();
    EXPECT_EQ(form.MonthEdit->text(), "5");
    for (int day = 1; day <= 31; ++day) EXPECT_EQ(form.Calendar1->IsMarked(day), day == 1) << day;
}

TEST(MainForm, FailedLoadKeepsThePairOnDisplay) {
    Viewer viewer(kStart);
    viewer.Open(PairOf({DueOn("20000410", "kept")}));
    viewer.form1.OpenTodoFile(QString::fromStdString(viewer.folder.File("missing.idx")));
    EXPECT_EQ(viewer.form1.Data().entryCount, 2);
    EXPECT_EQ(viewer.Content(), "kept");
    EXPECT_TRUE(viewer.form1.Calendar1->IsMarked(10));
}

// The calendar moves to the entry's due date; the fields show that entry
// while Prev and Next belong to the new date, at its first entry.
TEST(MainForm, ShowEntryMovesTheCalendar) {
    Viewer viewer(kStart);
    viewer.Open(PairOf({DueOn("20010301", "first"), DueOn("20010301", "second"), DueOn("20010230", "no such day"),
                        DueOn("20000229", "leap")}));
    TForm1& form = viewer.form1;
    form.ShowEntry(2);
    EXPECT_EQ(viewer.CalendarDate(), QDate(2001, 3, 1));
    EXPECT_EQ(viewer.Content(), "second");
    EXPECT_EQ(form.DayListPos(), 0);
    EXPECT_TRUE(form.NextBtn->isEnabled());
    EXPECT_EQ(form.SpinYear->value(), 2001);
    EXPECT_EQ(form.MonthEdit->text(), "3");
    EXPECT_TRUE(form.Calendar1->IsMarked(1));

    form.ShowEntry(4);  // to 29 February 2000
    EXPECT_EQ(viewer.CalendarDate(), QDate(2000, 2, 29));
    form.ShowEntry(1);  // from 29 February into a year without it
    EXPECT_EQ(viewer.CalendarDate(), QDate(2001, 3, 1));
    EXPECT_EQ(viewer.Content(), "first");
    form.ShowEntry(3);  // a due date that is no day: the calendar stays
    EXPECT_EQ(viewer.CalendarDate(), QDate(2001, 3, 1));
    EXPECT_EQ(viewer.Content(), "no such day");
    EXPECT_EQ(form.LimitDate->text(), "2001年2月30日");
    EXPECT_TRUE(Viewer::ErrorBoxes().isEmpty());
    form.ShowEntry(99);  // no such entry: cleared
    EXPECT_TRUE(viewer.Content().isEmpty());
}

TEST(MainForm, TodayGoesToTheClocksDate) {
    Viewer viewer(QDate(2000, 2, 10));
    viewer.Open(PairOf({DueOn("20000430", "due today")}));
    viewer.clock = QDate(2000, 4, 30);
    QTest::mouseClick(viewer.form1.TodayButton, Qt::LeftButton);
    EXPECT_EQ(viewer.CalendarDate(), QDate(2000, 4, 30));
    EXPECT_EQ(viewer.form1.MonthEdit->text(), "4");
    EXPECT_EQ(viewer.Content(), "due today");
    EXPECT_EQ(viewer.form1.Today(), (TodoDate{2000, 2, 10}));  // taken once at start
}

TEST(MainForm, MonthButtonsStepTheCalendar) {
    Viewer viewer(QDate(2000, 3, 31));
    QTest::mouseClick(viewer.form1.PrevMonth, Qt::LeftButton);
    EXPECT_EQ(viewer.CalendarDate(), QDate(2000, 2, 29));
    QTest::mouseClick(viewer.form1.NextMonth, Qt::LeftButton);
    EXPECT_EQ(viewer.CalendarDate(), QDate(2000, 3, 29));
    EXPECT_EQ(viewer.form1.MonthEdit->text(), "3");
}

TEST(MainForm, YearBoxStaysWithinItsRange) {
    Viewer viewer(kStart);
    TForm1& form = viewer.form1;
    form.SpinYear->setValue(1989);
    EXPECT_EQ(form.SpinYear->value(), 1990);
    EXPECT_EQ(form.Calendar1->Year(), 1990);
    form.SpinYear->stepDown();
    EXPECT_EQ(form.Calendar1->Year(), 1990);
    form.SpinYear->stepUp();
    EXPECT_EQ(form.Calendar1->Year(), 1991);
    form.SpinYear->setValue(2200);
    form.Calendar1->SetMonth(12);
    form.NextMonthClick();  // past the box's range with the month button
    EXPECT_EQ(form.Calendar1->Year(), 2201);
    EXPECT_EQ(form.SpinYear->value(), 2200);
    form.PrevMonthClick();
    EXPECT_EQ(viewer.CalendarDate(), QDate(2200, 12, 10));
}

// The calendar's invalid-date error reaches the user in an error box and
// leaves the date as it was.
TEST(MainForm, YearWithoutTheSelectedDayIsRefused) {
    Viewer viewer(QDate(2000, 2, 29));
    viewer.form1.SpinYear->setValue(2001);
    EXPECT_EQ(Viewer::ErrorBoxes(), QStringList{"日付に変換できない値が渡されました"});
    EXPECT_EQ(viewer.CalendarDate(), QDate(2000, 2, 29));
    viewer.form1.SpinYear->setValue(2004);
    EXPECT_EQ(viewer.CalendarDate(), QDate(2004, 2, 29));
}

TEST(MainForm, RankByteSelectsItsButton) {
    Viewer viewer(kStart);
    const std::pair<char, int> ranks[] = {{'A', 0}, {'B', 1}, {'C', 2}, {'D', 2}, {'z', 2}, {'@', -1}, {'\0', -1}};
    TodoPairBuilder pair;
    pair.AddIndex(0, 0);
    for (auto [rank, button] : ranks) {
        TodoRecordFields fields = DueOn("20000410", "");
        fields.rank = rank;
        pair.AddRecord(fields);
    }
    viewer.Open(pair);
    for (std::size_t i = 0; i < std::size(ranks); ++i) {
        viewer.form1.ShowEntry(static_cast<int>(i) + 1);
        EXPECT_EQ(viewer.form1.RankButtons->checkedId(), ranks[i].second) << ranks[i].first;
    }
}

TEST(MainForm, FixedClientAreaUnderTheMenu) {
    Viewer viewer(kStart);
    TForm1& form = viewer.form1;
    form.show();
    EXPECT_EQ(form.centralWidget()->size(), QSize(323, 337));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.height(), 337 + form.menuBar()->height());
}

// Tab passes the entry fields by.
TEST(MainForm, TabSkipsTheEntryFields) {
    Viewer viewer(kStart);
    TForm1& form = viewer.form1;
    form.show();
    QApplication::setActiveWindow(&form);
    form.SpinYear->setFocus();
    const QList<QWidget*> skipped = {form.EntryDate, form.LimitDate, form.Content, form.Request,
                                     form.Client,    form.Secret,    form.Deleted};
    QList<QWidget*> visited;
    for (int i = 0; i < 20; ++i) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        visited << focused;
        EXPECT_FALSE(skipped.contains(focused)) << focused->objectName().toStdString();
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    EXPECT_TRUE(visited.contains(form.Calendar1));
    EXPECT_TRUE(visited.contains(form.TodayButton));
}

TEST(MainForm, MenuOpensTheOtherWindows) {
    Viewer viewer(kStart);
    TForm1& form = viewer.form1;
    form.show();
    form.About2->trigger();
    EXPECT_TRUE(viewer.aboutForm.isVisible());
    const QRect screen = viewer.aboutForm.screen()->geometry();
    EXPECT_EQ(viewer.aboutForm.size(), QSize(290, 153));
    EXPECT_EQ(viewer.aboutForm.pos(), QPoint(screen.width() / 2 - 145, screen.height() / 2 - 153 / 2));
    QTest::mouseClick(viewer.aboutForm.findChild<QPushButton*>("Button1"), Qt::LeftButton);
    EXPECT_FALSE(viewer.aboutForm.isVisible());

    viewer.Open(PairOf({DueOn("20000410", "x")}));
    viewer.viewForm.close();
    EXPECT_FALSE(form.List1->isChecked());
    form.List1->trigger();
    EXPECT_TRUE(viewer.viewForm.isVisible());
    EXPECT_TRUE(form.List1->isChecked());
    form.Exit1->trigger();
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
