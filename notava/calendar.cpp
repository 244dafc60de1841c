#include "calendar.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "handler_guard.h"

InvalidDateError::InvalidDateError() : std::runtime_error("日付に変換できない値が渡されました") {}

namespace {

bool IsCalendarDate(const QDate& date) {
    return date.isValid() && date.year() >= TCalendar::kMinYear && date.year() <= TCalendar::kMaxYear;
}

// 1 = Sunday ... 7 = Saturday.
int SundayFirstWeekday(const QDate& date) { return date.dayOfWeek() % 7 + 1; }

}  // namespace

TCalendar::TCalendar(DateSource currentDate, QWidget* parent)
    : QWidget(parent), currentDate_(std::move(currentDate)), date_(currentDate_()) {
    setFocusPolicy(Qt::StrongFocus);
    LayoutGrid();
}

void TCalendar::SetYear(int year) {
    if (year < 1 || year == Year()) return;
    SetTakenDate(QDate(year, Month(), Day()));
}

void TCalendar::SetMonth(int month) {
    if (month < 1 || month > 12 || month == Month()) return;
    SetTakenDate(QDate(Year(), month, Day()));
}

void TCalendar::SetDay(int day) {
    if (day < 1 || day > DaysInMonth() || day == Day()) return;
    SetTakenDate(QDate(Year(), Month(), day));
}

void TCalendar::SetTakenDate(const QDate& date) {
    if (!IsCalendarDate(date)) throw InvalidDateError();
    date_ = date;
    useCurrentDate_ = false;
    LayoutGrid();
    if (OnChange) OnChange(this);
}

void TCalendar::SetCalendarDate(const QDate& date) {
    if (!IsCalendarDate(date)) throw InvalidDateError();
    if (date != date_) useCurrentDate_ = false;
    date_ = date;
    LayoutGrid();
    if (OnChange) OnChange(this);
}

void TCalendar::StepMonth(int delta) {
    const int day = Day();
    const QDate edge = delta > 0 ? QDate(Year(), Month(), DaysInMonth()) : QDate(Year(), Month(), 1);
    const QDate landed = edge.addDays(delta);
    if (!IsCalendarDate(landed)) throw InvalidDateError();
    SetCalendarDate(QDate(landed.year(), landed.month(), std::min(day, landed.daysInMonth())));
}

void TCalendar::SetStartOfWeek(int startOfWeek) {
    if (startOfWeek < 1 || startOfWeek > 7) {
        startOfWeek_ = 1;
        return;
    }
    if (startOfWeek == startOfWeek_) return;
    startOfWeek_ = startOfWeek;
    LayoutGrid();
}

void TCalendar::SetUseCurrentDate(bool use) {
    useCurrentDate_ = use;
    if (!use) return;
    const QDate now = currentDate_();
    if (now == date_) return;
    date_ = now;
    LayoutGrid();
    if (OnChange) OnChange(this);
}

void TCalendar::SetGridLineWidth(int width) {
    gridLineWidth_ = std::max(width, 0);
    update();
}

void TCalendar::LayoutGrid() {
    const int weekdayOfFirst = SundayFirstWeekday(QDate(Year(), Month(), 1));
    const int shift = (weekdayOfFirst - startOfWeek_ + 7) % 7;
    monthOffset_ = shift == 0 ? -5 : 2 - shift;
    selected_ = CellOfDay(Day());
    update();
}

QString TCalendar::CellText(int column, int row) const {
    if (row == 0) {
        const int weekday = (column + startOfWeek_) % 7;  // 0 = Sunday
        return QLocale().dayName(weekday == 0 ? 7 : weekday, QLocale::ShortFormat);
    }
    const int day = DayOfCell(column, row);
    return day == 0 ? QString() : QString::number(day);
}

int TCalendar::DayOfCell(int column, int row) const {
    if (column < 0 || column >= kColumns || row < 1 || row >= kRows) return 0;
    const int day = monthOffset_ + column + 7 * (row - 1);
    return day >= 1 && day <= DaysInMonth() ? day : 0;
}

QPoint TCalendar::CellOfDay(int day) const {
    return {(day - monthOffset_) % 7, (day - monthOffset_) / 7 + 1};
}

QSize TCalendar::CellSize() const {
    return {std::max((width() - 6 * gridLineWidth_) / 7, 0), std::max((height() - 6 * gridLineWidth_) / 7, 0)};
}

QRect TCalendar::CellRect(int column, int row) const {
    const QSize cell = CellSize();
    return {column * (cell.width() + gridLineWidth_), row * (cell.height() + gridLineWidth_), cell.width(),
            cell.height()};
}

QPoint TCalendar::CellAt(const QPoint& position) const {
    for (int row = 0; row < kRows; ++row)
        for (int column = 0; column < kColumns; ++column)
            if (CellRect(column, row).contains(position)) return {column, row};
    return {-1, -1};
}

void TCalendar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect lastCell = CellRect(kColumns - 1, kRows - 1);
    painter.fillRect(QRect(QPoint(0, 0), lastCell.bottomRight()), palette().mid());  // the lines
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const QRect cell = CellRect(column, row);
            const bool selected = QPoint(column, row) == selected_;
            const QBrush& background = selected ? palette().highlight()
                                       : row == 0 ? palette().button()
                                                  : palette().base();
            painter.fillRect(cell, background);
            painter.save();
            DrawCell(painter, column, row, cell, selected);
            painter.restore();
        }
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = CellRect(selected_.x(), selected_.y()).adjusted(1, 1, -1, -1);
        focus.backgroundColor = palette().highlight().color();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void TCalendar::DrawCell(QPainter& painter, int column, int row, const QRect& rect, bool selected) {
    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    DrawCentredText(painter, rect, CellText(column, row));
}

void TCalendar::DrawCentredText(QPainter& painter, const QRect& rect, const QString& text) {
    const QFontMetrics metrics = painter.fontMetrics();
    const int left = rect.left() + (rect.width() - metrics.horizontalAdvance(text)) / 2;
    const int top = rect.top() + (rect.height() - metrics.height()) / 2;
    painter.setClipRect(rect);
    painter.drawText(left, top + metrics.ascent(), text);
}

void TCalendar::SelectDayCell(const QPoint& cell) {
    if (DayOfCell(cell.x(), cell.y()) == 0) return;
    selected_ = cell;
    update();
}

// The day of the selected cell becomes the date's day.
void TCalendar::ChooseSelectedDay() {
    const int day = DayOfCell(selected_.x(), selected_.y());
    RunHandler(this, [&] { SetDay(day); });
}

void TCalendar::mousePressEvent(QMouseEvent* event) {
    if (readOnly_ || event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    mouseSelecting_ = true;
    SelectDayCell(CellAt(event->position().toPoint()));
}

void TCalendar::mouseMoveEvent(QMouseEvent* event) {
    if (!mouseSelecting_) return QWidget::mouseMoveEvent(event);
    SelectDayCell(CellAt(event->position().toPoint()));
}

void TCalendar::mouseReleaseEvent(QMouseEvent* event) {
    if (!mouseSelecting_ || event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    mouseSelecting_ = false;
    ChooseSelectedDay();
}

// Arrows walk the days of the month (left and right go on across the week's
// end), Home and End go to its first and last day, Page Up and Page Down to
// the previous and next month.
void TCalendar::keyPressEvent(QKeyEvent* event) {
    if (readOnly_) return QWidget::keyPressEvent(event);
    int day = 0;
    switch (event->key()) {
    case Qt::Key_Left: day = Day() - 1; break;
    case Qt::Key_Right: day = Day() + 1; break;
    case Qt::Key_Up: day = Day() - 7; break;
    case Qt::Key_Down: day = Day() + 7; break;
    case Qt::Key_Home: day = 1; break;
    case Qt::Key_End: day = DaysInMonth(); break;
    case Qt::Key_PageUp: return RunHandler(this, [&] { StepMonth(-1); });
    case Qt::Key_PageDown: return RunHandler(this, [&] { StepMonth(+1); });
    default: return QWidget::keyPressEvent(event);
    }
    if (day < 1 || day > DaysInMonth()) return;
    SelectDayCell(CellOfDay(day));
    ChooseSelectedDay();
}

FCalendar::FCalendar(DateSource currentDate, QWidget* parent) : TCalendar(std::move(currentDate), parent) {
    SetStartOfWeek(7);
}

void FCalendar::SetSundayColor(const QColor& color) {
    sundayColor_ = color;
    update();
}

void FCalendar::SetSaturdayColor(const QColor& color) {
    saturdayColor_ = color;
    update();
}

void FCalendar::SetMark(int day) {
    if (day >= 1 && day <= 31) marks_.set(day);
}

FCalendar::CellLook FCalendar::LookOfCell(int column, int row, bool selected) const {
    CellLook look{palette().color(QPalette::Text)};
    if (column == 0) look.color = sundayColor_;
    if (column == kColumns - 1) look.color = saturdayColor_;
    if (selected) look.color = palette().color(QPalette::HighlightedText);
    const QString text = CellText(column, row);
    look.bold = row >= 1 && !text.isEmpty() && IsMarked(text.toInt());
    return look;
}

void FCalendar::DrawCell(QPainter& painter, int column, int row, const QRect& rect, bool selected) {
    const CellLook look = LookOfCell(column, row, selected);
    QFont font = painter.font();
    font.setBold(look.bold);
    painter.setFont(font);
    painter.setPen(look.color);
    DrawCentredText(painter, rect, CellText(column, row));
}
