#include "todo_display.h"

#include <QRegularExpression>

#include "sjis_text.h"

QString displayText(const std::string& sjis) {
    static const QRegularExpression lineBreak("\r\n|\r");
    return QString::fromStdString(sjisToUtf8(sjis)).replace(lineBreak, "\n");
}

QString displayLine(const std::string& sjis) {
    static const QRegularExpression lineBreak("\r\n|\r|\n");
    return QString::fromStdString(sjisToUtf8(sjis)).replace(lineBreak, " ");
}

QString displayRank(unsigned char rank) {
    return rank == 0 ? QString() : displayLine(std::string(1, static_cast<char>(rank)));
}

QString displayDate(const TodoDate& date) { return QString::fromStdString(formatTodoDate(date)); }

QDate ToQDate(const TodoDate& date) {
    if (date.year < 1) return {};  // QDate has no year 0 and counts years before it
    return QDate(date.year, date.month, date.day);
}

TodoDate toTodoDate(const QDate& date) { return {date.year(), date.month(), date.day()}; }

QFont gothicFont(int pixelSize, bool proportional) {
    QFont font(proportional ? "IPAPGothic" : "IPAGothic");
    font.setStyleHint(proportional ? QFont::SansSerif : QFont::Monospace);
    font.setPixelSize(pixelSize);
    return font;
}
