#include "calendar.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "handler_guard.h"

InvalidDateError::InvalidDateError() : std::runtime_error("日付に変換できない値が渡されました") {}

namespace {

bool isCalendarDate(const QDate& date) {
    return date.isValid() && date.year() >= MonthCalendar::MIN_YEAR && date.year() <= MonthCalendar::MAX_YEAR;
}

// 1 = Sunday ... 7 = Saturday.
int sundayFirstWeekday(const QDate& date) { return date.dayOfWeek() % 7 + 1; }

}  // namespace

MonthCalendar::MonthCalendar(DateSource currentDate, QWidget* parent)
    : QWidget(parent), currentDate_(std::move(currentDate)), date_(currentDate_()) {
    setFocusPolicy(Qt::StrongFocus);
    layoutGrid();
}

void MonthCalendar::setYear(int newYear) {
    if (newYear < 1 || newYear == year()) return;
    setTakenDate(QDate(newYear, month(), day()));
}

void MonthCalendar::setMonth(int newMonth) {
    if (newMonth < 1 || newMonth > 12 || newMonth == month()) return;
    setTakenDate(QDate(year(), newMonth, day()));
}

void MonthCalendar::setDay(int newDay) {
    if (newDay < 1 || newDay > daysInMonth() || newDay == day()) return;
    setTakenDate(QDate(year(), month(), newDay));
}

void MonthCalendar::setTakenDate(const QDate& date) {
    if (!isCalendarDate(date)) throw InvalidDateError();
    date_ = date;
    useCurrentDate_ = false;
    layoutGrid();
    if (onChange_) onChange_(this);
}

void MonthCalendar::setDate(const QDate& date) {
    if (!isCalendarDate(date)) throw InvalidDateError();
    if (date != date_) useCurrentDate_ = false;
    date_ = date;
    layoutGrid();
    if (onChange_) onChange_(this);
}

void MonthCalendar::stepMonth(int delta) {
    const int keptDay = day();
    const QDate edge = delta > 0 ? QDate(year(), month(), daysInMonth()) : QDate(year(), month(), 1);
    const QDate landed = edge.addDays(delta);
    if (!isCalendarDate(landed)) throw InvalidDateError();
    setDate(QDate(landed.year(), landed.month(), std::min(keptDay, landed.daysInMonth())));
}

void MonthCalendar::setStartOfWeek(int startOfWeek) {
    if (startOfWeek < 1 || startOfWeek > 7) {
        startOfWeek_ = 1;
        return;
    }
    if (startOfWeek == startOfWeek_) return;
    startOfWeek_ = startOfWeek;
    layoutGrid();
}

void MonthCalendar::setUseCurrentDate(bool use) {
    useCurrentDate_ = use;
    if (!use) return;
    const QDate now = currentDate_();
    if (now == date_) return;
    date_ = now;
    layoutGrid();
    if (onChange_) onChange_(this);
}

void MonthCalendar::setGridLineWidth(int width) {
    gridLineWidth_ = std::max(width, 0);
    update();
}

void MonthCalendar::layoutGrid() {
    const int weekdayOfFirst = sundayFirstWeekday(QDate(year(), month(), 1));
    const int shift = (weekdayOfFirst - startOfWeek_ + 7) % 7;
    monthOffset_ = shift == 0 ? -5 : 2 - shift;
    selected_ = cellOfDay(day());
    update();
}

QString MonthCalendar::cellText(int column, int row) const {
    if (row == 0) {
        const int weekday = (column + startOfWeek_) % 7;  // 0 = Sunday
        return QLocale().dayName(weekday == 0 ? 7 : weekday, QLocale::ShortFormat);
    }
    const int day = dayOfCell(column, row);
    return day == 0 ? QString() : QString::number(day);
}

int MonthCalendar::dayOfCell(int column, int row) const {
    if (column < 0 || column >= COLUMNS || row < 1 || row >= ROWS) return 0;
    const int day = monthOffset_ + column + 7 * (row - 1);
    return day >= 1 && day <= daysInMonth() ? day : 0;
}

QPoint MonthCalendar::cellOfDay(int day) const {
    return {(day - monthOffset_) % 7, (day - monthOffset_) / 7 + 1};
}

QSize MonthCalendar::cellSize() const {
    return {std::max((width() - 6 * gridLineWidth_) / 7, 0), std::max((height() - 6 * gridLineWidth_) / 7, 0)};
}

QRect MonthCalendar::cellRect(int column, int row) const {
    const QSize cell = cellSize();
    return {column * (cell.width() + gridLineWidth_), row * (cell.height() + gridLineWidth_), cell.width(),
            cell.height()};
}

QPoint MonthCalendar::cellAt(const QPoint& position) const {
    for (int row = 0; row < ROWS; ++row)
        for (int column = 0; column < COLUMNS; ++column)
            if (cellRect(column, row).contains(position)) return {column, row};
    return {-1, -1};
}

void MonthCalendar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect lastCell = cellRect(COLUMNS - 1, ROWS - 1);
    painter.fillRect(QRect(QPoint(0, 0), lastCell.bottomRight()), palette().mid());  // the lines
    for (int row = 0; row < ROWS; ++row) {
        for (int column = 0; column < COLUMNS; ++column) {
            const QRect cell = cellRect(column, row);
            const bool selected = QPoint(column, row) == selected_;
            const QBrush& background = selected ? palette().highlight()
                                       : row == 0 ? palette().button()
                                                  : palette().base();
            painter.fillRect(cell, background);
            painter.save();
            drawCell(painter, column, row, cell, selected);
            painter.restore();
        }
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = cellRect(selected_.x(), selected_.y()).adjusted(1, 1, -1, -1);
        focus.backgroundColor = palette().highlight().color();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void MonthCalendar::drawCell(QPainter& painter, int column, int row, const QRect& rect, bool selected) {
    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    drawCentredText(painter, rect, cellText(column, row));
}

void MonthCalendar::drawCentredText(QPainter& painter, const QRect& rect, const QString& text) {
    const QFontMetrics metrics = painter.fontMetrics();
    const int left = rect.left() + (rect.width() - metrics.horizontalAdvance(text)) / 2;
    const int top = rect.top() + (rect.height() - metrics.height()) / 2;
    painter.setClipRect(rect);
    painter.drawText(left, top + metrics.ascent(), text);
}

void MonthCalendar::selectDayCell(const QPoint& cell) {
    if (dayOfCell(cell.x(), cell.y()) == 0) return;
    selected_ = cell;
    update();
}

// The day of the selected cell becomes the date's day.
void MonthCalendar::chooseSelectedDay() {
    const int day = dayOfCell(selected_.x(), selected_.y());
    runHandler(this, [&] { setDay(day); });
}

void MonthCalendar::mousePressEvent(QMouseEvent* event) {
    if (readOnly_ || event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    mouseSelecting_ = true;
    selectDayCell(cellAt(event->position().toPoint()));
}

void MonthCalendar::mouseMoveEvent(QMouseEvent* event) {
    if (!mouseSelecting_) return QWidget::mouseMoveEvent(event);
    selectDayCell(cellAt(event->position().toPoint()));
}

void MonthCalendar::mouseReleaseEvent(QMouseEvent* event) {
    if (!mouseSelecting_ || event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    mouseSelecting_ = false;
    chooseSelectedDay();
}

// Arrows walk the days of the month (left and right go on across the week's
// end), Home and End go to its first and last day, Page Up and Page Down to
// the previous and next month.
void MonthCalendar::keyPressEvent(QKeyEvent* event) {
    if (readOnly_) return QWidget::keyPressEvent(event);
    int target = 0;
    switch (event->key()) {
    case Qt::Key_Left: target = day() - 1; break;
    case Qt::Key_Right: target = day() + 1; break;
    case Qt::Key_Up: target = day() - 7; break;
    case Qt::Key_Down: target = day() + 7; break;
    case Qt::Key_Home: target = 1; break;
    case Qt::Key_End: target = daysInMonth(); break;
    case Qt::Key_PageUp: return runHandler(this, [&] { stepMonth(-1); });
    case Qt::Key_PageDown: return runHandler(this, [&] { stepMonth(+1); });
    default: return QWidget::keyPressEvent(event);
    }
    if (target < 1 || target > daysInMonth()) return;
    selectDayCell(cellOfDay(target));
    chooseSelectedDay();
}

MarkedCalendar::MarkedCalendar(DateSource currentDate, QWidget* parent) : MonthCalendar(std::move(currentDate), parent) {
    setStartOfWeek(7);
}

void MarkedCalendar::setSundayColor(const QColor& color) {
    sundayColor_ = color;
    update();
}

void MarkedCalendar::setSaturdayColor(const QColor& color) {
    saturdayColor_ = color;
    update();
}

void MarkedCalendar::setMark(int day) {
    if (day >= 1 && day <= 31) marks_.set(day);
}

MarkedCalendar::CellLook MarkedCalendar::lookOfCell(int column, int row, bool selected) const {
    CellLook look{palette().color(QPalette::Text)};
    if (column == 0) look.color = sundayColor_;
    if (column == COLUMNS - 1) look.color = saturdayColor_;
    if (selected) look.color = palette().color(QPalette::HighlightedText);
    const QString text = cellText(column, row);
    look.bold = row >= 1 && !text.isEmpty() && isMarked(text.toInt());
    return look;
}

void MarkedCalendar::drawCell(QPainter& painter, int column, int row, const QRect& rect, bool selected) {
    const CellLook look = lookOfCell(column, row, selected);
    QFont font = painter.font();
    font.setBold(look.bold);
    painter.setFont(font);
    painter.setPen(look.color);
    drawCentredText(painter, rect, cellText(column, row));
}
