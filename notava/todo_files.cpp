#include "todo_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t readLittleEndian32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

std::uint64_t fileSize(std::FILE* file) {
    struct stat status {};
    if (fstat(fileno(file), &status) != 0 || status.st_size < 0) return 0;
    return static_cast<std::uint64_t>(status.st_size);
}

// The bytes of one data record that the file holds: a record that reaches
// past the end of the file is cut there, so a length field never decides an
// allocation on its own.
bool readDataRecord(std::FILE* dataFile, std::uint64_t dataFileSize, const TodoIndexRecord& index,
                    std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (index.dataOffset >= dataFileSize) return true;
    const std::uint64_t available = dataFileSize - index.dataOffset;
    const std::uint64_t wanted = std::min<std::uint64_t>({index.dataLength, available, TODO_RECORD_MAX_BYTES});
    bytes.resize(wanted);
    if (wanted == 0) return true;
    if (fseeko(dataFile, static_cast<off_t>(index.dataOffset), SEEK_SET) != 0) return false;
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), dataFile));
    return !std::ferror(dataFile);
}

bool readRecords(std::FILE* indexFile, std::FILE* dataFile, std::vector<TodoRecord>& records) {
    const std::uint64_t dataFileSize = fileSize(dataFile);
    std::uint8_t raw[TODO_INDEX_RECORD_BYTES];
    while (records.size() < MAX_TODO_RECORDS &&
           std::fread(raw, 1, sizeof raw, indexFile) == sizeof raw) {
        TodoRecord record;
        record.index = {readLittleEndian32(raw + 4), readLittleEndian32(raw + 8)};
        if (!readDataRecord(dataFile, dataFileSize, record.index, record.data)) return false;
        records.push_back(std::move(record));
    }
    return !std::ferror(indexFile);
}

// A view of a record whose reads past its end give nothing.
class RecordReader {
public:
    explicit RecordReader(std::span<const std::uint8_t> record) : record_(record) {}

    bool has(std::size_t offset, std::size_t size) const {
        return offset <= record_.size() && size <= record_.size() - offset;
    }
    std::uint8_t byte(std::size_t offset, std::uint8_t missing) const {
        return has(offset, 1) ? record_[offset] : missing;
    }
    TodoDate date(std::size_t offset) const {
        return has(offset, 8) ? parseTodoDate(record_.subspan(offset).first<8>()) : TodoDate{};
    }
    // Up to `length` bytes from `offset`, as many as the record holds.
    std::string text(std::size_t offset, std::size_t length) const {
        if (offset >= record_.size()) return {};
        const std::size_t size = std::min(length, record_.size() - offset);
        return {reinterpret_cast<const char*>(record_.data() + offset), size};
    }

private:
    std::span<const std::uint8_t> record_;
};

// `wanted` itself when it exists, else a file of its folder whose name
// differs from it only in the case of the extension, else `wanted`.
std::string existingInAnyCase(const std::string& wanted) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path path(wanted);
    if (fs::exists(path, error)) return wanted;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const std::string stem = path.stem().string();
    const std::string extension = asciiLower(path.extension().string());
    std::vector<std::string> matches;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path name = it->path().filename();
        if (name.stem().string() == stem && asciiLower(name.extension().string()) == extension)
            matches.push_back((path.parent_path() / name).string());
    }
    if (matches.empty()) return wanted;
    std::sort(matches.begin(), matches.end());  // the same choice on every run
    return matches.front();
}

// Opens `path` for reading; on failure says why, naming the file.
File openForReading(const std::string& path, std::string& whyNot) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        whyNot = "\"" + path + "\" is a folder, not a ToDo file";
        return nullptr;
    }
    File file{std::fopen(path.c_str(), "rb")};
    if (!file) whyNot = "Cannot open \"" + path + "\": " + std::strerror(errno);
    return file;
}

int parseDigits(std::span<const std::uint8_t> digits) {
    int value = 0;
    for (std::uint8_t c : digits) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

TodoPairPaths todoPairFor(const std::string& chosenPath) {
    const std::size_t nameStart = chosenPath.find_last_of('/') + 1;  // npos + 1 == 0
    const std::size_t dot = chosenPath.find_last_of('.');
    const std::string stem =
        dot != std::string::npos && dot >= nameStart ? chosenPath.substr(0, dot) : chosenPath;
    return {stem + ".idx", stem + ".dat"};
}

TodoPairPaths findTodoPair(const std::string& chosenPath) {
    const TodoPairPaths lowerCase = todoPairFor(chosenPath);
    return {existingInAnyCase(lowerCase.index), existingInAnyCase(lowerCase.data)};
}

bool loadTodoFiles(const std::string& path, TodoData& data) {
    std::string ignored;
    return loadTodoFiles(path, data, ignored);
}

bool loadTodoFiles(const std::string& path, TodoData& data, std::string& whyNot) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        whyNot = "\"" + path + "\" is a folder; choose the .idx or .dat file of a ToDo pair";
        return false;
    }
    const TodoPairPaths pair = findTodoPair(path);
    File indexFile = openForReading(pair.index, whyNot);
    if (!indexFile) return false;
    File dataFile = openForReading(pair.data, whyNot);
    if (!dataFile) return false;

    TodoData loaded;
    if (!readRecords(indexFile.get(), dataFile.get(), loaded.records)) {
        whyNot = "Cannot read \"" + pair.index + "\" or \"" + pair.data + "\"";
        return false;
    }
    loaded.entryCount = static_cast<int>(loaded.records.size());
    loaded.entries.resize(std::max<std::size_t>(loaded.records.size(), 1));
    for (std::size_t i = 1; i < loaded.records.size(); ++i)
        loaded.entries[i] = decodeTodoEntry(loaded.records[i].data);
    data = std::move(loaded);
    return true;
}

TodoEntry decodeTodoEntry(std::span<const std::uint8_t> record) {
    const RecordReader reader(record);
    TodoEntry entry;
    entry.limitDate = reader.date(LIMIT_DATE_OFFSET);
    entry.entryDate = reader.date(ENTRY_DATE_OFFSET);
    entry.deleted = reader.byte(DELETED_OFFSET, '0') != '0';
    entry.rank = reader.byte(RANK_OFFSET, 0);
    entry.secret = reader.byte(SECRET_OFFSET, '0') != '0';
    const std::size_t requestLength = reader.byte(REQUEST_LENGTH_OFFSET, 0);
    const std::size_t clientLength = reader.byte(CLIENT_LENGTH_OFFSET, 0);
    const std::size_t contentLength = reader.byte(CONTENT_LENGTH_OFFSET, 0);
    entry.request = reader.text(TEXTS_OFFSET, requestLength);
    entry.client = reader.text(TEXTS_OFFSET + requestLength, clientLength);
    entry.content = reader.text(TEXTS_OFFSET + requestLength + clientLength, contentLength);
    return entry;
}

TodoDate parseTodoDate(std::span<const std::uint8_t, 8> text) {
    return {parseDigits(text.first<4>()), parseDigits(text.subspan<4, 2>()),
            parseDigits(text.subspan<6, 2>())};
}

std::string formatTodoDate(const TodoDate& date) {
    return std::to_string(date.year) + "年" + std::to_string(date.month) + "月" +
           std::to_string(date.day) + "日";
}

int dateKey(const TodoDate& date) { return (date.year * 100 + date.month) * 100 + date.day; }

bool isRealDate(const TodoDate& date) {
    static constexpr int DAYS_IN_MONTH[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1) return false;
    const bool leap = date.year % 4 == 0 && (date.year % 100 != 0 || date.year % 400 == 0);
    return date.day <= DAYS_IN_MONTH[date.month - 1] + (date.month == 2 && leap ? 1 : 0);
}

std::string asciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}
