#include "todo_export.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "sjis_text.h"

namespace {

constexpr std::string_view REPLACEMENT_CHARACTER = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
constexpr std::size_t FOLD_OCTETS = 75;

// One entry with its texts converted once, shared by both formats.
struct ExportedEntry {
    int number = 0;
    const TodoEntry* entry = nullptr;
    std::string rank;
    std::string request;
    std::string client;
    std::string content;
};

// UTF-8 of a stored text: line breaks (CR LF, CR, LF) become LF, and control
// characters that neither format may carry become U+FFFD.
std::string exportText(const std::string& sjis) {
    const std::string utf8 = sjisToUtf8(sjis);
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c == '\r') {
            out += '\n';
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
        } else if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F) {
            out += REPLACEMENT_CHARACTER;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::vector<ExportedEntry> convertEntries(const TodoData& data) {
    std::vector<ExportedEntry> entries;
    for (int n = 1; n < data.entryCount; ++n) {
        const TodoEntry& entry = data.entries[n];
        entries.push_back({n, &entry, entry.rank == 0 ? std::string() : exportText(std::string(1, static_cast<char>(entry.rank))),
                           exportText(entry.request), exportText(entry.client), exportText(entry.content)});
    }
    return entries;
}

std::string digits(int value, int width) {
    std::string text = std::to_string(value < 0 ? 0 : value);
    return text.size() < static_cast<std::size_t>(width) ? std::string(width - text.size(), '0') + text : text;
}

// YYYYMMDD of whatever was stored, for the UID.
std::string compactDate(const TodoDate& date) { return digits(date.year, 4) + digits(date.month, 2) + digits(date.day, 2); }

std::string isoDate(const TodoDate& date) {
    if (!isRealDate(date)) return {};
    return digits(date.year, 4) + "-" + digits(date.month, 2) + "-" + digits(date.day, 2);
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

class ContentLines {
public:
    void add(std::string_view name, std::string_view value) {
        text_ += foldContentLine(std::string(name) + ":" + std::string(value));
    }
    void addText(std::string_view name, const std::string& utf8) { add(name, escapeICalendarText(utf8)); }
    std::string text() && { return std::move(text_); }

private:
    std::string text_;
};

void addTodo(ContentLines& lines, const ExportedEntry& exported, const std::string& pairName) {
    const TodoEntry& entry = *exported.entry;
    lines.add("BEGIN", "VTODO");
    lines.addText("UID", pairName + "-" + std::to_string(exported.number) + "-" + compactDate(entry.entryDate) + "-" +
                             compactDate(entry.limitDate) + "@notava");
    // DTSTAMP is required; an entry without a real entry date gets a fixed one
    // so that exporting again still gives the same file.
    const bool entered = isRealDate(entry.entryDate);
    const std::string stamp = (entered ? compactDate(entry.entryDate) : "19700101") + "T000000Z";
    lines.add("DTSTAMP", stamp);
    if (entered) lines.add("CREATED", stamp);
    if (isRealDate(entry.limitDate)) lines.add("DUE;VALUE=DATE", compactDate(entry.limitDate));
    lines.addText("SUMMARY", firstLine(exported.content));
    if (!exported.content.empty()) lines.addText("DESCRIPTION", exported.content);
    if (entry.rank >= 'A' && entry.rank <= 'C') lines.add("PRIORITY", std::to_string(1 + 4 * (entry.rank - 'A')));
    if (entry.secret) lines.add("CLASS", "PRIVATE");
    lines.add("STATUS", entry.deleted ? "COMPLETED" : "NEEDS-ACTION");
    if (!exported.request.empty()) lines.addText("X-ZENTRIO-REQUESTER", exported.request);
    if (!exported.client.empty()) lines.addText("X-ZENTRIO-REQUESTEE", exported.client);
    lines.add("END", "VTODO");
}

std::string csvRow(std::initializer_list<std::string_view> fields) {
    std::string row;
    for (std::string_view field : fields) {
        if (!row.empty()) row += ',';
        row += csvField(field);
    }
    return row + "\r\n";
}

// Writes `content` beside `outPath` and renames it into place, so a failed
// export never leaves a half-written file where an older one stood.
bool writeWhole(const std::string& outPath, const std::string& content, std::string& whyNot) {
    namespace fs = std::filesystem;
    if (::access(outPath.c_str(), F_OK) == 0 && ::access(outPath.c_str(), W_OK) != 0) {
        whyNot = "Cannot write \"" + outPath + "\": " + std::strerror(errno);
        return false;
    }
    const fs::path target(outPath);
    std::string temporary = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) {
        whyNot = "Cannot write \"" + outPath + "\": " + std::strerror(errno);
        return false;
    }
    const mode_t mask = ::umask(0);  // the file gets the mode a plain create would give
    ::umask(mask);
    ::fchmod(descriptor, 0666 & ~mask);
    std::FILE* file = fdopen(descriptor, "wb");
    const bool written = file && std::fwrite(content.data(), 1, content.size(), file) == content.size();
    const int savedErrno = errno;
    const bool closed = file ? std::fclose(file) == 0 : ::close(descriptor) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), outPath.c_str()) != 0) {
        whyNot = "Cannot write \"" + outPath + "\": " + std::strerror(written && closed ? errno : savedErrno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::optional<ExportFormat> exportFormatFor(const std::string& outPath) {
    const std::string extension = asciiLower(std::filesystem::path(outPath).extension().string());
    if (extension == ".ics") return ExportFormat::ICalendar;
    if (extension == ".csv") return ExportFormat::Csv;
    return std::nullopt;
}

std::string toICalendar(const TodoData& data, const std::string& pairName) {
    ContentLines lines;
    lines.add("BEGIN", "VCALENDAR");
    lines.add("VERSION", "2.0");
    lines.add("PRODID", "-//Zentrio suite//notava//EN");
    for (const ExportedEntry& exported : convertEntries(data)) addTodo(lines, exported, pairName);
    lines.add("END", "VCALENDAR");
    return std::move(lines).text();
}

std::string toCsv(const TodoData& data) {
    std::string csv = csvRow({"entry", "rank", "entered", "due", "requester", "requestee", "content", "secret",
                              "processed"});
    for (const ExportedEntry& exported : convertEntries(data)) {
        const TodoEntry& entry = *exported.entry;
        csv += csvRow({std::to_string(exported.number), exported.rank, isoDate(entry.entryDate),
                       isoDate(entry.limitDate), exported.request, exported.client, exported.content,
                       entry.secret ? "1" : "0", entry.deleted ? "1" : "0"});
    }
    return csv;
}

bool exportTodoFile(const TodoData& data, const std::string& pairPath, const std::string& outPath,
                    std::string& whyNot) {
    std::error_code error;
    if (std::filesystem::is_directory(outPath, error)) {
        whyNot = "\"" + outPath + "\" is a folder; give a file name ending in .ics or .csv";
        return false;
    }
    const std::optional<ExportFormat> format = exportFormatFor(outPath);
    if (!format) {
        whyNot = "\"" + outPath + "\": the output name must end in .ics (iCalendar) or .csv";
        return false;
    }
    const std::string pairName = std::filesystem::path(todoPairFor(pairPath).index).stem().string();
    return writeWhole(outPath, *format == ExportFormat::ICalendar ? toICalendar(data, pairName) : toCsv(data),
                      whyNot);
}

std::string escapeICalendarText(std::string_view utf8) {
    std::string out;
    for (char c : utf8) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case ';': out += "\\;"; break;
        case ',': out += "\\,"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out;
}

std::string foldContentLine(std::string_view line) {
    std::string out;
    std::size_t limit = FOLD_OCTETS;  // the first line; later ones start with a space
    while (line.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
        out.append(line.substr(0, cut)).append("\r\n ");
        line.remove_prefix(cut);
        limit = FOLD_OCTETS - 1;
    }
    return out.append(line).append("\r\n");
}

std::string csvField(std::string_view utf8) {
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(utf8);
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}
