// What the windows show of an entry: Shift-JIS texts converted for display,
// dates as text and as calendar dates, and the viewer's Japanese gothic fonts.
#pragma once

#include <QDate>
#include <QFont>
#include <QString>
#include <string>

#include "todo_files.h"

// The text for a multi-line field: line breaks (CR LF, CR or LF) become new lines.
QString displayText(const std::string& sjis);
// The text for a one-line field or a grid cell: line breaks become spaces.
QString displayLine(const std::string& sjis);
// The rank byte as a one-character text; nothing for a 0 byte.
QString displayRank(unsigned char rank);
QString displayDate(const TodoDate& date);

// An invalid QDate when `date` is no day of the calendar.
QDate ToQDate(const TodoDate& date);
TodoDate toTodoDate(const QDate& date);

// IPAGothic (fixed pitch) or IPAPGothic (proportional), sized in pixels.
QFont gothicFont(int pixelSize, bool proportional);
