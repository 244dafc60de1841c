// Export of a loaded ToDo pair for the calendar and task programs of today:
// iCalendar (RFC 5545, one VTODO per entry) and CSV (RFC 4180 with a header
// row), both UTF-8. Texts are converted from Shift-JIS with the viewer's own
// converter; an undecodable byte becomes U+FFFD and the entry stays.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "todo_files.h"

enum class ExportFormat { ICalendar, Csv };

// The format an output file's extension asks for (".ics" or ".csv", in any
// case); nothing for any other name.
std::optional<ExportFormat> exportFormatFor(const std::string& outPath);

// The whole .ics file. `pairName` (the pair's stem without folder) goes into
// every UID, together with the entry's number and dates, so exporting the
// same file again gives the same UIDs and a second import updates.
std::string toICalendar(const TodoData& data, const std::string& pairName);

// The whole .csv file: a header row, then one row per entry in entry order.
std::string toCsv(const TodoData& data);

// Writes `data` to `outPath` in the format its extension names. Returns false
// with `whyNot` naming the file and the reason when it cannot be written.
bool exportTodoFile(const TodoData& data, const std::string& pairPath, const std::string& outPath,
                    std::string& whyNot);

// RFC 5545 pieces, open for tests: TEXT escaping (backslash, ';', ',' and
// line breaks) and folding of a content line at 75 octets, never inside a
// UTF-8 character; lines end in CR LF.
std::string escapeICalendarText(std::string_view utf8);
std::string foldContentLine(std::string_view line);
// An RFC 4180 field: quoted when it holds a comma, quote or line break.
std::string csvField(std::string_view utf8);
