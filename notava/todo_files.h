// The handheld's ToDo list: a pair of files with one stem, an index file
// (".idx", 16-byte records) and a data file (".dat", one record per entry,
// placed by the index). The viewer only reads them. Texts stay Shift-JIS bytes
// as stored; they are converted for display only (sjis_text.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct TodoDate {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const TodoDate&, const TodoDate&) = default;
};

// The two words of an index record that the viewer uses; the first and last
// four bytes of the 16 are not interpreted.
struct TodoIndexRecord {
    std::uint32_t dataOffset = 0;
    std::uint32_t dataLength = 0;
};

// One slot of the record table: the index record and the bytes of its data
// record that the data file really holds (see LoadTodoFiles).
struct TodoRecord {
    TodoIndexRecord index;
    std::vector<std::uint8_t> data;
};

struct TodoEntry {
    TodoDate limitDate;
    TodoDate entryDate;
    bool deleted = false;
    unsigned char rank = 0;
    bool secret = false;
    std::string request;  // Shift-JIS bytes, shown under 依頼元
    std::string client;   // Shift-JIS bytes, shown under 依頼先
    std::string content;  // Shift-JIS bytes
};

// A loaded pair. Record 0 is kept but is no entry: entries are 1 to
// entryCount - 1, and entry i is described by index record i. entries[0]
// exists and stays empty.
struct TodoData {
    std::vector<TodoRecord> records;
    std::vector<TodoEntry> entries;
    int entryCount = 0;
};

inline constexpr std::size_t TODO_INDEX_RECORD_BYTES = 16;
// Offsets in a data record.
inline constexpr std::size_t LIMIT_DATE_OFFSET = 0x0B;
inline constexpr std::size_t ENTRY_DATE_OFFSET = 0x13;
inline constexpr std::size_t DELETED_OFFSET = 0x1B;
inline constexpr std::size_t RANK_OFFSET = 0x1C;
inline constexpr std::size_t SECRET_OFFSET = 0x1D;
inline constexpr std::size_t REQUEST_LENGTH_OFFSET = 0x1E;
inline constexpr std::size_t CLIENT_LENGTH_OFFSET = 0x1F;
inline constexpr std::size_t CONTENT_LENGTH_OFFSET = 0x21;
inline constexpr std::size_t TEXTS_OFFSET = 0x25;
// No field reaches past the three longest texts, so no more of a record is kept.
inline constexpr std::size_t TODO_RECORD_MAX_BYTES = TEXTS_OFFSET + 3 * 255;
// The handheld writes at most 255 records. Bigger index files are read up to
// this many, which keeps the list view's quadratic orders instant.
inline constexpr int MAX_TODO_RECORDS = 4096;

struct TodoPairPaths {
    std::string index;
    std::string data;
};

// The pair that belongs to the file the user chose: the name's extension
// (from its last '.') replaced by ".idx" and ".dat". A name without a '.'
// is the stem itself; a '.' in a folder name is no extension.
TodoPairPaths todoPairFor(const std::string& chosenPath);

// The pair as it stands on disk: like todoPairFor, but a partner whose
// extension is written in other case (TODO.IDX / TODO.DAT, as copied from
// the handheld's card) is found too. Where no file of a member exists, its
// path is todoPairFor's.
TodoPairPaths findTodoPair(const std::string& chosenPath);

// Reads the pair of `path` into `data`. Returns false, leaving `data` as it
// was, when either file cannot be opened or read; `whyNot` then names the
// file and the reason.
bool loadTodoFiles(const std::string& path, TodoData& data, std::string& whyNot);
bool loadTodoFiles(const std::string& path, TodoData& data);

// A day of the Gregorian calendar in years 1 to 9999 (parsed dates may be
// anything, 0 and month 99 included).
bool isRealDate(const TodoDate& date);

// The fields of one data record. Fields that lie past the end of the record
// are empty: dates 0, flags clear, rank 0, texts cut at the record's end.
TodoEntry decodeTodoEntry(std::span<const std::uint8_t> record);

// Eight characters YYYYMMDD. A field whose characters are not all decimal
// digits is 0, so no date is made up from other bytes.
TodoDate parseTodoDate(std::span<const std::uint8_t, 8> text);

// "2000年4月1日" (UTF-8), numbers without leading zeros.
std::string formatTodoDate(const TodoDate& date);

// Orders dates chronologically (year, then month, then day); parsed months
// and days have two digits, so they never spill into the next field.
int dateKey(const TodoDate& date);

// Only the letters A to Z are lowered: file extensions and such.
std::string asciiLower(std::string text);
