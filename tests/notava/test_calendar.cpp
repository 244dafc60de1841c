// The month calendar: grid layout, date setters and their change events, the
// month step, selection by mouse and keys, sizes, and the painted cells.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QLocale>
#include <QTest>

#include "painted_pixels.h"

#include "calendar.h"

namespace {

const QDate TODAY(2000, 4, 10);

// A calendar of the main window's size that counts its change events.
struct Calendar {
    explicit Calendar(QDate today = TODAY) : widget([today] { return today; }) {
        widget.resize(320, 120);
        widget.setChangeHandler([this](MonthCalendar* sender) {
            EXPECT_EQ(sender, &widget);
            ++changes;
        });
    }
    // Sets the date without counting.
    void standOn(QDate date) {
        widget.setDate(date);
        changes = 0;
    }
    MarkedCalendar widget;
    int changes = 0;
};

QPoint cellOfText(const MonthCalendar& calendar, const QString& text) {
    for (int row = 1; row < MonthCalendar::ROWS; ++row)
        for (int column = 0; column < MonthCalendar::COLUMNS; ++column)
            if (calendar.cellText(column, row) == text) return {column, row};
    return {-1, -1};
}

TEST(CalendarGrid, DayOneLandsWhereTheMonthStarts) {
    const struct {
        QDate date;
        int offset;
        QPoint first, last;
    } cases[] = {
        {QDate(2000, 10, 15), 1, {0, 1}, {2, 5}},   // starts on a Sunday
        {QDate(2000, 4, 15), -5, {6, 1}, {0, 6}},   // starts on a Saturday, 30 days
        {QDate(2000, 7, 15), -5, {6, 1}, {1, 6}},   // starts on a Saturday, 31 days: ends in row 6
        {QDate(2001, 2, 15), -3, {4, 1}, {3, 5}},   // starts on a Thursday
    };
    for (const auto& c : cases) {
        Calendar calendar;
        calendar.standOn(c.date);
        EXPECT_EQ(calendar.widget.monthOffset(), c.offset) << c.date.toString().toStdString();
        EXPECT_EQ(cellOfText(calendar.widget, "1"), c.first);
        EXPECT_EQ(cellOfText(calendar.widget, QString::number(c.date.daysInMonth())), c.last);
        EXPECT_EQ(calendar.widget.selectedCell(), cellOfText(calendar.widget, "15"));
    }
}

// Every month of some years and every first weekday: each day shows once,
// in reading order, under the name of its own weekday.
TEST(CalendarGrid, EveryDayUnderItsWeekday) {
    Calendar calendar;
    for (int year : {1899, 1900, 1999, 2000, 2001, 9999}) {
        for (int month = 1; month <= 12; ++month) {
            for (int start = 1; start <= 7; ++start) {
                calendar.widget.setStartOfWeek(start);
                calendar.widget.setDate(QDate(year, month, 1));
                const int offset = calendar.widget.monthOffset();
                ASSERT_GE(offset, -5);
                ASSERT_LE(offset, 1);
                int expected = 1;
                for (int row = 1; row < MonthCalendar::ROWS; ++row) {
                    for (int column = 0; column < MonthCalendar::COLUMNS; ++column) {
                        const QString text = calendar.widget.cellText(column, row);
                        if (text.isEmpty()) continue;
                        ASSERT_EQ(text.toInt(), expected) << year << "-" << month << " start " << start;
                        const QDate day(year, month, expected++);
                        ASSERT_EQ(calendar.widget.cellText(column, 0),
                                  QLocale().dayName(day.dayOfWeek(), QLocale::ShortFormat));
                    }
                }
                ASSERT_EQ(expected, QDate(year, month, 1).daysInMonth() + 1);
            }
        }
    }
}

TEST(CalendarGrid, LeapYears) {
    Calendar calendar;
    calendar.standOn(QDate(2000, 2, 1));
    EXPECT_EQ(calendar.widget.daysInMonth(), 29);
    EXPECT_NE(cellOfText(calendar.widget, "29"), QPoint(-1, -1));
    calendar.standOn(QDate(1900, 2, 1));
    EXPECT_EQ(calendar.widget.daysInMonth(), 28);
    EXPECT_EQ(cellOfText(calendar.widget, "29"), QPoint(-1, -1));
    calendar.standOn(QDate(2004, 2, 1));
    EXPECT_EQ(calendar.widget.daysInMonth(), 29);
}

TEST(CalendarGrid, StartsOnTodaySundayFirst) {
    Calendar calendar;
    EXPECT_EQ(calendar.widget.date(), TODAY);
    EXPECT_TRUE(calendar.widget.useCurrentDate());
    EXPECT_EQ(calendar.widget.startOfWeek(), 7);
    EXPECT_EQ(calendar.widget.cellText(0, 0), QLocale().dayName(7, QLocale::ShortFormat));
    EXPECT_EQ(calendar.widget.cellText(6, 0), QLocale().dayName(6, QLocale::ShortFormat));
    EXPECT_EQ(calendar.widget.selectedCell(), cellOfText(calendar.widget, "10"));
    EXPECT_EQ(calendar.changes, 0);
}

// An invalid first weekday becomes Monday without a new layout.
TEST(CalendarGrid, InvalidStartOfWeekFallsBackToMonday) {
    Calendar calendar;
    const int offset = calendar.widget.monthOffset();
    calendar.widget.setStartOfWeek(9);
    EXPECT_EQ(calendar.widget.startOfWeek(), 1);
    EXPECT_EQ(calendar.widget.monthOffset(), offset);
    calendar.widget.setStartOfWeek(0);
    EXPECT_EQ(calendar.widget.startOfWeek(), 1);
    calendar.widget.setStartOfWeek(7);
    calendar.widget.setStartOfWeek(1);
    EXPECT_NE(calendar.widget.monthOffset(), offset);  // a valid change lays out again
}

enum class Part { Year, Month, Day };

TEST(CalendarSetters, ChangesRaiseOneEventAndIgnoredOnesNone) {
    const struct {
        QDate from;
        Part part;
        int value;
        QDate to;  // invalid: the setting fails
    } cases[] = {
        {QDate(2000, 4, 10), Part::Day, 11, QDate(2000, 4, 11)},
        {QDate(2000, 4, 10), Part::Day, 31, QDate(2000, 4, 10)},  // April has 30 days
        {QDate(2000, 4, 10), Part::Day, 10, QDate(2000, 4, 10)},
        {QDate(2000, 4, 10), Part::Day, 0, QDate(2000, 4, 10)},
        {QDate(2000, 4, 10), Part::Month, 5, QDate(2000, 5, 10)},
        {QDate(2000, 4, 10), Part::Month, 13, QDate(2000, 4, 10)},
        {QDate(2000, 4, 10), Part::Month, -1, QDate(2000, 4, 10)},
        {QDate(2000, 1, 30), Part::Month, 2, QDate()},  // 30 February
        {QDate(2000, 1, 31), Part::Month, 4, QDate()},
        {QDate(2000, 4, 10), Part::Year, 2000, QDate(2000, 4, 10)},
        {QDate(2000, 4, 10), Part::Year, 0, QDate(2000, 4, 10)},
        {QDate(2000, 4, 10), Part::Year, 1999, QDate(1999, 4, 10)},
        {QDate(2000, 2, 29), Part::Year, 2004, QDate(2004, 2, 29)},
        {QDate(2000, 2, 29), Part::Year, 2001, QDate()},
        {QDate(2000, 4, 10), Part::Year, 10000, QDate()},
    };
    for (const auto& c : cases) {
        Calendar calendar;
        calendar.standOn(c.from);
        auto set = [&] {
            switch (c.part) {
            case Part::Year: return calendar.widget.setYear(c.value);
            case Part::Month: return calendar.widget.setMonth(c.value);
            case Part::Day: return calendar.widget.setDay(c.value);
            }
        };
        const std::string name = c.from.toString(Qt::ISODate).toStdString() + " part " +
                                 std::to_string(static_cast<int>(c.part)) + " = " + std::to_string(c.value);
        if (!c.to.isValid()) {
            try {
                set();
                ADD_FAILURE() << name << ": no error";
            } catch (const InvalidDateError& error) {
                EXPECT_STREQ(error.what(), "日付に変換できない値が渡されました");
            }
            EXPECT_EQ(calendar.widget.date(), c.from) << name;
            EXPECT_EQ(calendar.changes, 0) << name;
            continue;
        }
        set();
        EXPECT_EQ(calendar.widget.date(), c.to) << name;
        EXPECT_EQ(calendar.changes, c.to != c.from ? 1 : 0) << name;
        EXPECT_EQ(calendar.widget.selectedCell(), cellOfText(calendar.widget, QString::number(c.to.day()))) << name;
    }
}

TEST(CalendarSetters, UseCurrentDate) {
    Calendar calendar;
    calendar.widget.setDay(3);
    EXPECT_FALSE(calendar.widget.useCurrentDate());
    calendar.changes = 0;
    calendar.widget.setUseCurrentDate(true);
    EXPECT_TRUE(calendar.widget.useCurrentDate());
    EXPECT_EQ(calendar.widget.date(), TODAY);
    EXPECT_EQ(calendar.changes, 1);
    calendar.widget.setUseCurrentDate(true);
    EXPECT_EQ(calendar.changes, 1);
}

// A change handler may set the date again; each change raises its own event.
TEST(CalendarSetters, ChangeHandlerMaySetTheDateAgain) {
    Calendar calendar;
    std::vector<QDate> seen;
    calendar.widget.setChangeHandler([&](MonthCalendar* sender) {
        seen.push_back(sender->date());
        sender->setDay(20);  // ignored once the day is 20
    });
    calendar.widget.setMonth(5);
    EXPECT_EQ(seen, (std::vector<QDate>{QDate(2000, 5, 10), QDate(2000, 5, 20)}));
    EXPECT_EQ(calendar.widget.date(), QDate(2000, 5, 20));
}

TEST(CalendarStepMonth, KeepsTheDayWhereTheMonthHasIt) {
    const struct {
        QDate from;
        int delta;
        QDate to;
    } cases[] = {
        {QDate(2001, 1, 31), +1, QDate(2001, 2, 28)}, {QDate(2000, 3, 31), -1, QDate(2000, 2, 29)},
        {QDate(2000, 5, 15), -1, QDate(2000, 4, 15)}, {QDate(2000, 12, 31), +1, QDate(2001, 1, 31)},
        {QDate(2000, 1, 1), -1, QDate(1999, 12, 1)},  {QDate(2000, 1, 30), +1, QDate(2000, 2, 29)},
    };
    for (const auto& c : cases) {
        Calendar calendar;
        calendar.standOn(c.from);
        calendar.widget.stepMonth(c.delta);
        EXPECT_EQ(calendar.widget.date(), c.to) << c.from.toString().toStdString();
        EXPECT_EQ(calendar.changes, 1);
        EXPECT_FALSE(calendar.widget.useCurrentDate());
    }
}

// Past the calendar's first or last year the step fails like any other setting.
TEST(CalendarStepMonth, StopsAtTheEndsOfTheCalendar) {
    for (auto [from, delta] : {std::pair{QDate(9999, 12, 5), +1}, {QDate(1, 1, 5), -1}}) {
        Calendar calendar;
        calendar.standOn(from);
        EXPECT_THROW(calendar.widget.stepMonth(delta), InvalidDateError);
        EXPECT_EQ(calendar.widget.date(), from);
        EXPECT_EQ(calendar.changes, 0);
    }
}

void click(MonthCalendar& calendar, QPoint cell) {
    QTest::mouseClick(&calendar, Qt::LeftButton, {}, calendar.cellRect(cell.x(), cell.y()).center());
}

TEST(CalendarSelection, ClickingADayCellSetsTheDay) {
    Calendar calendar;
    calendar.standOn(QDate(2000, 4, 10));  // 1 April 2000 is a Saturday: row 1 is blank but for it
    click(calendar.widget, cellOfText(calendar.widget, "18"));
    EXPECT_EQ(calendar.widget.day(), 18);
    EXPECT_EQ(calendar.changes, 1);
    click(calendar.widget, cellOfText(calendar.widget, "18"));  // already selected
    EXPECT_EQ(calendar.changes, 1);
    for (QPoint blank : {QPoint(0, 1), QPoint(3, 0), QPoint(5, 6)}) {  // blank, weekday name, blank
        click(calendar.widget, blank);
        EXPECT_EQ(calendar.widget.day(), 18);
        EXPECT_EQ(calendar.widget.selectedCell(), cellOfText(calendar.widget, "18"));
    }
    QTest::mouseClick(&calendar.widget, Qt::LeftButton, {}, QPoint(319, 119));  // outside every cell
    EXPECT_EQ(calendar.changes, 1);
}

// The day is taken on release, where the drag ended.
TEST(CalendarSelection, DragTakesTheDayOfTheReleaseCell) {
    Calendar calendar;
    MonthCalendar& widget = calendar.widget;
    QTest::mousePress(&widget, Qt::LeftButton, {}, widget.cellRect(1, 2).center());
    EXPECT_EQ(calendar.changes, 0);
    QMouseEvent move(QEvent::MouseMove, widget.cellRect(3, 3).center(), widget.mapToGlobal(widget.cellRect(3, 3).center()),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&widget, &move);
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, widget.cellRect(3, 3).center());
    EXPECT_EQ(widget.day(), widget.cellText(3, 3).toInt());
    EXPECT_EQ(calendar.changes, 1);
}

TEST(CalendarSelection, KeysWalkTheDaysOfTheMonth) {
    const struct {
        int fromDay;
        Qt::Key key;
        QDate to;
    } cases[] = {
        {10, Qt::Key_Right, QDate(2000, 4, 11)}, {10, Qt::Key_Left, QDate(2000, 4, 9)},
        {10, Qt::Key_Down, QDate(2000, 4, 17)},  {10, Qt::Key_Up, QDate(2000, 4, 3)},
        {8, Qt::Key_Right, QDate(2000, 4, 9)},   // from Saturday on to Sunday
        {1, Qt::Key_Left, QDate(2000, 4, 1)},    {3, Qt::Key_Up, QDate(2000, 4, 3)},
        {30, Qt::Key_Right, QDate(2000, 4, 30)}, {25, Qt::Key_Down, QDate(2000, 4, 25)},
        {10, Qt::Key_Home, QDate(2000, 4, 1)},   {10, Qt::Key_End, QDate(2000, 4, 30)},
        {31, Qt::Key_PageUp, QDate(2000, 4, 30)}, {30, Qt::Key_PageDown, QDate(2000, 5, 30)},
    };
    for (const auto& c : cases) {
        Calendar calendar;
        const QDate from(2000, c.fromDay <= 30 ? 4 : 5, c.fromDay);
        calendar.standOn(from);
        QTest::keyClick(&calendar.widget, c.key);
        EXPECT_EQ(calendar.widget.date(), c.to) << c.fromDay << " key " << c.key;
        EXPECT_EQ(calendar.changes, c.to != from || c.key == Qt::Key_PageUp || c.key == Qt::Key_PageDown ? 1 : 0);
    }
}

TEST(CalendarSelection, ReadOnlyRefusesTheUser) {
    Calendar calendar;
    calendar.widget.setReadOnly(true);
    click(calendar.widget, cellOfText(calendar.widget, "18"));
    QTest::keyClick(&calendar.widget, Qt::Key_Right);
    QTest::keyClick(&calendar.widget, Qt::Key_PageDown);
    EXPECT_EQ(calendar.widget.date(), TODAY);
    EXPECT_EQ(calendar.changes, 0);
    calendar.widget.setDay(18);  // the program still may
    EXPECT_EQ(calendar.widget.selectedCell(), cellOfText(calendar.widget, "18"));
}

TEST(CalendarSize, SevenBySevenCellsFillTheControl) {
    const struct {
        QSize size;
        int lineWidth;
        QSize cell;
    } cases[] = {
        {{320, 120}, 1, {44, 16}}, {{320, 120}, 2, {44, 15}}, {{700, 350}, 1, {99, 49}}, {{10, 10}, 1, {0, 0}},
    };
    for (const auto& c : cases) {
        Calendar calendar;
        calendar.widget.setGridLineWidth(c.lineWidth);
        calendar.widget.resize(c.size);
        EXPECT_EQ(calendar.widget.cellSize(), c.cell);
        const QRect last = calendar.widget.cellRect(6, 6);
        EXPECT_LE(last.right(), c.size.width() - 1);
        EXPECT_EQ(last.left(), 6 * (c.cell.width() + c.lineWidth));
    }
}

TEST(CalendarLook, ColoursOfColumnsSelectionAndMarks) {
    Calendar calendar;  // 10 April 2000, a Monday
    MarkedCalendar& widget = calendar.widget;
    widget.setMark(9);   // Sunday
    widget.setMark(15);  // Saturday
    widget.setMark(10);  // selected
    widget.setMark(12);
    widget.setMark(0);   // no such day
    widget.setMark(32);
    const QColor text = widget.palette().color(QPalette::Text);
    const QColor highlight = widget.palette().color(QPalette::HighlightedText);
    const struct {
        QString day;
        bool selected;
        QColor color;
        bool bold;
    } cases[] = {
        {"9", false, QColor(255, 0, 0), true},  {"15", false, QColor(0, 0, 255), true},
        {"12", false, text, true},              {"13", false, text, false},
        {"16", false, QColor(255, 0, 0), false}, {"10", true, highlight, true},
    };
    for (const auto& c : cases) {
        const QPoint cell = cellOfText(widget, c.day);
        const MarkedCalendar::CellLook look = widget.lookOfCell(cell.x(), cell.y(), c.selected);
        EXPECT_EQ(look.color, c.color) << c.day.toStdString();
        EXPECT_EQ(look.bold, c.bold) << c.day.toStdString();
    }
    EXPECT_FALSE(widget.lookOfCell(0, 0, false).bold);  // header names are never bold
    EXPECT_EQ(widget.lookOfCell(0, 0, false).color, QColor(255, 0, 0));
    widget.clearMarks();
    EXPECT_FALSE(widget.isMarked(9));
    widget.setSundayColor(Qt::green);
    EXPECT_EQ(widget.lookOfCell(0, 3, false).color, QColor(Qt::green));
}

// The painted control, read back cell by cell.
TEST(CalendarLook, PaintedCellsShowColoursAndBoldMarks) {
    Calendar calendar;
    MarkedCalendar& widget = calendar.widget;
    const QColor background = widget.palette().color(QPalette::Base);
    const QColor highlight = widget.palette().color(QPalette::Highlight);
    const QColor highlightText = widget.palette().color(QPalette::HighlightedText);
    auto ink = [&](const QImage& image, const QString& day) {
        const QPoint cell = cellOfText(widget, day);
        const QColor ground = cell == widget.selectedCell() ? highlight : background;
        return pixelsIn(image, widget.cellRect(cell.x(), cell.y()), [&](QColor c) { return c != ground; });
    };
    auto cellOf = [&](const QString& day) {
        const QPoint cell = cellOfText(widget, day);
        return widget.cellRect(cell.x(), cell.y());
    };

    const QImage plain = widget.grab().toImage();
    widget.setMark(16);
    widget.setMark(22);
    widget.setMark(10);
    const QImage marked = widget.grab().toImage();

    EXPECT_GT(pixelsIn(plain, cellOf("16"), reddish), 5);   // Sunday
    EXPECT_GT(pixelsIn(plain, cellOf("22"), bluish), 5);    // Saturday
    EXPECT_EQ(pixelsIn(plain, cellOf("18"), reddish) + pixelsIn(plain, cellOf("18"), bluish), 0);
    EXPECT_GT(ink(marked, "16"), ink(plain, "16"));  // bold
    EXPECT_GT(pixelsIn(marked, cellOf("16"), reddish), pixelsIn(plain, cellOf("16"), reddish));
    EXPECT_GT(pixelsIn(marked, cellOf("22"), bluish), pixelsIn(plain, cellOf("22"), bluish));
    EXPECT_EQ(ink(marked, "18"), ink(plain, "18"));
    // The selected day: highlight background, text in the highlight-text colour, bold when marked.
    const QRect selected = cellOf("10");
    EXPECT_GT(pixelsIn(plain, selected, [&](QColor c) { return c == highlight; }), selected.width() * selected.height() / 2);
    auto highlightInk = [&](QColor c) { return c == highlightText; };
    EXPECT_GT(pixelsIn(plain, selected, highlightInk), 3);
    EXPECT_GT(pixelsIn(marked, selected, highlightInk), pixelsIn(plain, selected, highlightInk));
}

}  // namespace
