// What the windows show of an entry: Shift-JIS texts converted for display,
// dates as text and as calendar dates, and the viewer's Japanese gothic fonts.
#pragma once

#include <QDate>
#include <QFont>
#include <QString>
#include <string>

#include "todo_files.h"

// The text for a multi-line field: line breaks (CR LF, CR or LF) become new lines.
QString DisplayText(const std::string& sjis);
// The text for a one-line field or a grid cell: line breaks become spaces.
QString DisplayLine(const std::string& sjis);
// The rank byte as a one-character text; nothing for a 0 byte.
QString DisplayRank(unsigned char rank);
QString DisplayDate(const TodoDate& date);

// An invalid QDate when `date` is no day of the calendar.
QDate ToQDate(const TodoDate& date);
TodoDate ToTodoDate(const QDate& date);

// IPAGothic (fixed pitch) or IPAPGothic (proportional), sized in pixels.
QFont GothicFont(int pixelSize, bool proportional);
