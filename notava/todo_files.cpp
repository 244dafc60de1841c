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

std::uint32_t ReadLittleEndian32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

std::uint64_t FileSize(std::FILE* file) {
    struct stat status {};
    if (fstat(fileno(file), &status) != 0 || status.st_size < 0) return 0;
    return static_cast<std::uint64_t>(status.st_size);
}

// The bytes of one data record that the file holds: a record that reaches
// past the end of the file is cut there, so a length field never decides an
// allocation on its own.
bool ReadDataRecord(std::FILE* dataFile, std::uint64_t dataFileSize, const TodoIndexRecord& index,
                    std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (index.dataOffset >= dataFileSize) return true;
    const std::uint64_t available = dataFileSize - index.dataOffset;
    const std::uint64_t wanted = std::min<std::uint64_t>({index.dataLength, available, kTodoRecordMaxBytes});
    bytes.resize(wanted);
    if (wanted == 0) return true;
    if (fseeko(dataFile, static_cast<off_t>(index.dataOffset), SEEK_SET) != 0) return false;
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), dataFile));
    return !std::ferror(dataFile);
}

bool ReadRecords(std::FILE* indexFile, std::FILE* dataFile, std::vector<TodoRecord>& records) {
    const std::uint64_t dataFileSize = FileSize(dataFile);
    std::uint8_t raw[kTodoIndexRecordBytes];
    while (records.size() < kMaxTodoRecords &&
           std::fread(raw, 1, sizeof raw, indexFile) == sizeof raw) {
        TodoRecord record;
        record.index = {ReadLittleEndian32(raw + 4), ReadLittleEndian32(raw + 8)};
        if (!ReadDataRecord(dataFile, dataFileSize, record.index, record.data)) return false;
        records.push_back(std::move(record));
    }
    return !std::ferror(indexFile);
}

// A view of a record whose reads past its end give nothing.
class RecordReader {
public:
    explicit RecordReader(std::span<const std::uint8_t> record) : record_(record) {}

    bool Has(std::size_t offset, std::size_t size) const {
        return offset <= record_.size() && size <= record_.size() - offset;
    }
    std::uint8_t Byte(std::size_t offset, std::uint8_t missing) const {
        return Has(offset, 1) ? record_[offset] : missing;
    }
    TodoDate Date(std::size_t offset) const {
        return Has(offset, 8) ? ParseTodoDate(record_.subspan(offset).first<8>()) : TodoDate{};
    }
    // Up to `length` bytes from `offset`, as many as the record holds.
    std::string Text(std::size_t offset, std::size_t length) const {
        if (offset >= record_.size()) return {};
        const std::size_t size = std::min(length, record_.size() - offset);
        return {reinterpret_cast<const char*>(record_.data() + offset), size};
    }

private:
    std::span<const std::uint8_t> record_;
};

int ParseDigits(std::span<const std::uint8_t> digits) {
    int value = 0;
    for (std::uint8_t c : digits) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

TodoPairPaths TodoPairFor(const std::string& chosenPath) {
    const std::size_t nameStart = chosenPath.find_last_of('/') + 1;  // npos + 1 == 0
    const std::size_t dot = chosenPath.find_last_of('.');
    const std::string stem =
        dot != std::string::npos && dot >= nameStart ? chosenPath.substr(0, dot) : chosenPath;
    return {stem + ".idx", stem + ".dat"};
}

bool LoadTodoFiles(const std::string& path, TodoData& data) {
    const TodoPairPaths pair = TodoPairFor(path);
    File indexFile{std::fopen(pair.index.c_str(), "rb")};
    File dataFile{std::fopen(pair.data.c_str(), "rb")};
    if (!indexFile || !dataFile) return false;

    TodoData loaded;
    if (!ReadRecords(indexFile.get(), dataFile.get(), loaded.records)) return false;
    loaded.entryCount = static_cast<int>(loaded.records.size());
    loaded.entries.resize(std::max<std::size_t>(loaded.records.size(), 1));
    for (std::size_t i = 1; i < loaded.records.size(); ++i)
        loaded.entries[i] = DecodeTodoEntry(loaded.records[i].data);
    data = std::move(loaded);
    return true;
}

TodoEntry DecodeTodoEntry(std::span<const std::uint8_t> record) {
    const RecordReader reader(record);
    TodoEntry entry;
    entry.limitDate = reader.Date(kLimitDateOffset);
    entry.entryDate = reader.Date(kEntryDateOffset);
    entry.deleted = reader.Byte(kDeletedOffset, '0') != '0';
    entry.rank = reader.Byte(kRankOffset, 0);
    entry.secret = reader.Byte(kSecretOffset, '0') != '0';
    const std::size_t requestLength = reader.Byte(kRequestLengthOffset, 0);
    const std::size_t clientLength = reader.Byte(kClientLengthOffset, 0);
    const std::size_t contentLength = reader.Byte(kContentLengthOffset, 0);
    entry.request = reader.Text(kTextsOffset, requestLength);
    entry.client = reader.Text(kTextsOffset + requestLength, clientLength);
    entry.content = reader.Text(kTextsOffset + requestLength + clientLength, contentLength);
    return entry;
}

TodoDate ParseTodoDate(std::span<const std::uint8_t, 8> text) {
    return {ParseDigits(text.first<4>()), ParseDigits(text.subspan<4, 2>()),
            ParseDigits(text.subspan<6, 2>())};
}

std::string FormatTodoDate(const TodoDate& date) {
    return std::to_string(date.year) + "年" + std::to_string(date.month) + "月" +
           std::to_string(date.day) + "日";
}

int DateKey(const TodoDate& date) { return (date.year * 100 + date.month) * 100 + date.day; }
