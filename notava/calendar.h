// The month calendar of the main window. MonthCalendar is the month grid (7 x 7
// cells: a header row of weekday names and six rows of days) with its date
// model, selection and change event; MarkedCalendar adds the Sunday and Saturday
// colours and bold marks on chosen days. Both are painted by us.
#pragma once

#include <QColor>
#include <QDate>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <bitset>
#include <functional>
#include <stdexcept>

class QPainter;

// Raised by a setting that would make a date that does not exist.
class InvalidDateError : public std::runtime_error {
public:
    InvalidDateError();
};

class MonthCalendar : public QWidget {
public:
    using DateSource = std::function<QDate()>;
    static constexpr int COLUMNS = 7;
    static constexpr int ROWS = 7;
    static constexpr int MIN_YEAR = 1;
    static constexpr int MAX_YEAR = 9999;

    // Starts on the current date of `currentDate` (the system clock by default).
    explicit MonthCalendar(DateSource currentDate = &QDate::currentDate, QWidget* parent = nullptr);

    int year() const { return date_.year(); }
    int month() const { return date_.month(); }
    int day() const { return date_.day(); }
    QDate date() const { return date_; }
    // Each setter ignores a value below 1 or one that changes nothing and
    // throws InvalidDateError for a date that does not exist; a change lays
    // out the grid and raises the change handler once.
    void setYear(int year);
    void setMonth(int month);
    void setDay(int day);
    // The whole date at once; raises the change handler even when the date stays.
    void setDate(const QDate& date);
    // The previous (-1) or next (+1) month, on the same day where it exists,
    // else on its last day.
    void stepMonth(int delta);

    int startOfWeek() const { return startOfWeek_; }  // 1 = Monday ... 7 = Sunday
    void setStartOfWeek(int startOfWeek);
    bool useCurrentDate() const { return useCurrentDate_; }
    void setUseCurrentDate(bool use);
    bool isReadOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    int gridLineWidth() const { return gridLineWidth_; }
    void setGridLineWidth(int width);

    int monthOffset() const { return monthOffset_; }
    int daysInMonth() const { return date_.daysInMonth(); }
    // What the cell shows: a weekday name in row 0, a day number or nothing below.
    QString cellText(int column, int row) const;
    QPoint selectedCell() const { return selected_; }  // (column, row)
    QRect cellRect(int column, int row) const;
    // The 7 x 7 cells fill the control, the lines between them included.
    QSize cellSize() const;

    using ChangeHandler = std::function<void(MonthCalendar*)>;
    // Called with the control as sender after every effective date change.
    void setChangeHandler(ChangeHandler handler) { onChange_ = std::move(handler); }

protected:
    // Draws the text of a cell whose background is painted already.
    virtual void drawCell(QPainter& painter, int column, int row, const QRect& rect, bool selected);
    // Draws `text` centred in `rect` and clipped to it, in the painter's font and pen.
    static void drawCentredText(QPainter& painter, const QRect& rect, const QString& text);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int dayOfCell(int column, int row) const;  // 0 for header and blank cells
    QPoint cellOfDay(int day) const;
    QPoint cellAt(const QPoint& position) const;  // (-1, -1) outside every cell
    void setTakenDate(const QDate& date);
    void layoutGrid();
    void selectDayCell(const QPoint& cell);
    void chooseSelectedDay();

    DateSource currentDate_;
    QDate date_;
    int startOfWeek_ = 1;
    bool useCurrentDate_ = true;
    bool readOnly_ = false;
    int gridLineWidth_ = 1;
    int monthOffset_ = 0;
    QPoint selected_;
    bool mouseSelecting_ = false;
    ChangeHandler onChange_;
};

class MarkedCalendar : public MonthCalendar {
public:
    explicit MarkedCalendar(DateSource currentDate = &QDate::currentDate, QWidget* parent = nullptr);

    QColor sundayColor() const { return sundayColor_; }
    void setSundayColor(const QColor& color);
    QColor saturdayColor() const { return saturdayColor_; }
    void setSaturdayColor(const QColor& color);

    // Marks of days 1 to 31; neither operation redraws.
    void clearMarks() { marks_.reset(); }
    void setMark(int day);
    bool isMarked(int day) const { return day >= 1 && day <= 31 && marks_.test(day); }

    struct CellLook {
        QColor color;
        bool bold = false;
    };
    // Font colour and weight of a cell.
    CellLook lookOfCell(int column, int row, bool selected) const;

protected:
    void drawCell(QPainter& painter, int column, int row, const QRect& rect, bool selected) override;

private:
    QColor sundayColor_{255, 0, 0};
    QColor saturdayColor_{0, 0, 255};
    std::bitset<32> marks_;
};
