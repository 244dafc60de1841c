#include "todo_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
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

bool loadTodoFiles(const std::string& path, TodoData& data) {
    const TodoPairPaths pair = todoPairFor(path);
    File indexFile{std::fopen(pair.index.c_str(), "rb")};
    File dataFile{std::fopen(pair.data.c_str(), "rb")};
    if (!indexFile || !dataFile) return false;

    TodoData loaded;
    if (!readRecords(indexFile.get(), dataFile.get(), loaded.records)) return false;
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
