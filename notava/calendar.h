// The month calendar of the main window. TCalendar is the month grid (7 x 7
// cells: a header row of weekday names and six rows of days) with its date
// model, selection and change event; FCalendar adds the Sunday and Saturday
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

class TCalendar : public QWidget {
public:
    using DateSource = std::function<QDate()>;
    static constexpr int kColumns = 7;
    static constexpr int kRows = 7;
    static constexpr int kMinYear = 1;
    static constexpr int kMaxYear = 9999;

    // Starts on the current date of `currentDate` (the system clock by default).
    explicit TCalendar(DateSource currentDate = &QDate::currentDate, QWidget* parent = nullptr);

    int Year() const { return date_.year(); }
    int Month() const { return date_.month(); }
    int Day() const { return date_.day(); }
    QDate CalendarDate() const { return date_; }
    // Each setter ignores a value below 1 or one that changes nothing and
    // throws InvalidDateError for a date that does not exist; a change lays
    // out the grid and raises OnChange once.
    void SetYear(int year);
    void SetMonth(int month);
    void SetDay(int day);
    // The whole date at once; raises OnChange even when the date stays.
    void SetCalendarDate(const QDate& date);
    // The previous (-1) or next (+1) month, on the same day where it exists,
    // else on its last day.
    void StepMonth(int delta);

    int StartOfWeek() const { return startOfWeek_; }  // 1 = Monday ... 7 = Sunday
    void SetStartOfWeek(int startOfWeek);
    bool UseCurrentDate() const { return useCurrentDate_; }
    void SetUseCurrentDate(bool use);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int width);

    int MonthOffset() const { return monthOffset_; }
    int DaysInMonth() const { return date_.daysInMonth(); }
    // What the cell shows: a weekday name in row 0, a day number or nothing below.
    QString CellText(int column, int row) const;
    QPoint SelectedCell() const { return selected_; }  // (column, row)
    QRect CellRect(int column, int row) const;
    // The 7 x 7 cells fill the control, the lines between them included.
    QSize CellSize() const;

    // Called with the control as sender after every effective date change.
    std::function<void(TCalendar*)> OnChange;

protected:
    // Draws the text of a cell whose background is painted already.
    virtual void DrawCell(QPainter& painter, int column, int row, const QRect& rect, bool selected);
    // Draws `text` centred in `rect` and clipped to it, in the painter's font and pen.
    static void DrawCentredText(QPainter& painter, const QRect& rect, const QString& text);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int DayOfCell(int column, int row) const;  // 0 for header and blank cells
    QPoint CellOfDay(int day) const;
    QPoint CellAt(const QPoint& position) const;  // (-1, -1) outside every cell
    void SetTakenDate(const QDate& date);
    void LayoutGrid();
    void SelectDayCell(const QPoint& cell);
    void ChooseSelectedDay();

    DateSource currentDate_;
    QDate date_;
    int startOfWeek_ = 1;
    bool useCurrentDate_ = true;
    bool readOnly_ = false;
    int gridLineWidth_ = 1;
    int monthOffset_ = 0;
    QPoint selected_;
    bool mouseSelecting_ = false;
};

class FCalendar : public TCalendar {
public:
    explicit FCalendar(DateSource currentDate = &QDate::currentDate, QWidget* parent = nullptr);

    QColor SundayColor() const { return sundayColor_; }
    void SetSundayColor(const QColor& color);
    QColor SaturdayColor() const { return saturdayColor_; }
    void SetSaturdayColor(const QColor& color);

    // Marks of days 1 to 31; neither operation redraws.
    void ClearMarks() { marks_.reset(); }
    void SetMark(int day);
    bool IsMarked(int day) const { return day >= 1 && day <= 31 && marks_.test(day); }

    struct CellLook {
        QColor color;
        bool bold = false;
    };
    // Font colour and weight of a cell.
    CellLook LookOfCell(int column, int row, bool selected) const;

protected:
    void DrawCell(QPainter& painter, int column, int row, const QRect& rect, bool selected) override;

private:
    QColor sundayColor_{255, 0, 0};
    QColor saturdayColor_{0, 0, 255};
    std::bitset<32> marks_;
};
