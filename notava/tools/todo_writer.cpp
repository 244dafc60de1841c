#include "todo_writer.h"

#include <fstream>
#include <stdexcept>

#include "todo_files.h"

namespace {

void putLittleEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putText(std::vector<std::uint8_t>& out, std::size_t offset, const std::string& text) {
    std::copy(text.begin(), text.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::uint8_t textLength(const std::string& text) {
    if (text.size() > 255) throw std::length_error("ToDo text longer than 255 bytes");
    return static_cast<std::uint8_t>(text.size());
}

void putDate(std::vector<std::uint8_t>& out, std::size_t offset, const std::string& date) {
    if (date.size() != 8) throw std::length_error("ToDo date is not eight characters: " + date);
    putText(out, offset, date);
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

}  // namespace

std::vector<std::uint8_t> encodeTodoRecord(const TodoRecordFields& fields) {
    const std::uint8_t requestLength = textLength(fields.request);
    const std::uint8_t clientLength = textLength(fields.client);
    const std::uint8_t contentLength = textLength(fields.content);
    std::vector<std::uint8_t> record(TEXTS_OFFSET + requestLength + clientLength + contentLength, 0);
    putDate(record, LIMIT_DATE_OFFSET, fields.limitDate);
    putDate(record, ENTRY_DATE_OFFSET, fields.entryDate);
    record[DELETED_OFFSET] = static_cast<std::uint8_t>(fields.deleted);
    record[RANK_OFFSET] = static_cast<std::uint8_t>(fields.rank);
    record[SECRET_OFFSET] = static_cast<std::uint8_t>(fields.secret);
    record[REQUEST_LENGTH_OFFSET] = requestLength;
    record[CLIENT_LENGTH_OFFSET] = clientLength;
    record[CONTENT_LENGTH_OFFSET] = contentLength;
    putText(record, TEXTS_OFFSET, fields.request);
    putText(record, TEXTS_OFFSET + requestLength, fields.client);
    putText(record, TEXTS_OFFSET + requestLength + clientLength, fields.content);
    return record;
}

void TodoPairBuilder::addRecord(std::span<const std::uint8_t> record) {
    const std::uint32_t offset = appendData(record);
    addIndex(offset, static_cast<std::uint32_t>(record.size()));
}

void TodoPairBuilder::addIndex(std::uint32_t dataOffset, std::uint32_t dataLength) {
    putLittleEndian32(index_, static_cast<std::uint32_t>(index_.size() / TODO_INDEX_RECORD_BYTES));
    putLittleEndian32(index_, dataOffset);
    putLittleEndian32(index_, dataLength);
    putLittleEndian32(index_, 0);
}

std::uint32_t TodoPairBuilder::appendData(std::span<const std::uint8_t> bytes) {
    const auto offset = static_cast<std::uint32_t>(data_.size());
    data_.insert(data_.end(), bytes.begin(), bytes.end());
    return offset;
}

bool TodoPairBuilder::write(const std::string& stem) const {
    return writeFile(stem + ".idx", index_) && writeFile(stem + ".dat", data_);
}
