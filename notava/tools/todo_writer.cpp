#include "todo_writer.h"

#include <fstream>
#include <stdexcept>

#include "todo_files.h"

namespace {

void PutLittleEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutText(std::vector<std::uint8_t>& out, std::size_t offset, const std::string& text) {
    std::copy(text.begin(), text.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::uint8_t TextLength(const std::string& text) {
    if (text.size() > 255) throw std::length_error("ToDo text longer than 255 bytes");
    return static_cast<std::uint8_t>(text.size());
}

void PutDate(std::vector<std::uint8_t>& out, std::size_t offset, const std::string& date) {
    if (date.size() != 8) throw std::length_error("ToDo date is not eight characters: " + date);
    PutText(out, offset, date);
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

}  // namespace

std::vector<std::uint8_t> EncodeTodoRecord(const TodoRecordFields& fields) {
    const std::uint8_t requestLength = TextLength(fields.request);
    const std::uint8_t clientLength = TextLength(fields.client);
    const std::uint8_t contentLength = TextLength(fields.content);
    std::vector<std::uint8_t> record(kTextsOffset + requestLength + clientLength + contentLength, 0);
    PutDate(record, kLimitDateOffset, fields.limitDate);
    PutDate(record, kEntryDateOffset, fields.entryDate);
    record[kDeletedOffset] = static_cast<std::uint8_t>(fields.deleted);
    record[kRankOffset] = static_cast<std::uint8_t>(fields.rank);
    record[kSecretOffset] = static_cast<std::uint8_t>(fields.secret);
    record[kRequestLengthOffset] = requestLength;
    record[kClientLengthOffset] = clientLength;
    record[kContentLengthOffset] = contentLength;
    PutText(record, kTextsOffset, fields.request);
    PutText(record, kTextsOffset + requestLength, fields.client);
    PutText(record, kTextsOffset + requestLength + clientLength, fields.content);
    return record;
}

void TodoPairBuilder::AddRecord(std::span<const std::uint8_t> record) {
    const std::uint32_t offset = AppendData(record);
    AddIndex(offset, static_cast<std::uint32_t>(record.size()));
}

void TodoPairBuilder::AddIndex(std::uint32_t dataOffset, std::uint32_t dataLength) {
    PutLittleEndian32(index_, static_cast<std::uint32_t>(index_.size() / kTodoIndexRecordBytes));
    PutLittleEndian32(index_, dataOffset);
    PutLittleEndian32(index_, dataLength);
    PutLittleEndian32(index_, 0);
}

std::uint32_t TodoPairBuilder::AppendData(std::span<const std::uint8_t> bytes) {
    const auto offset = static_cast<std::uint32_t>(data_.size());
    data_.insert(data_.end(), bytes.begin(), bytes.end());
    return offset;
}

bool TodoPairBuilder::Write(const std::string& stem) const {
    return WriteFile(stem + ".idx", index_) && WriteFile(stem + ".dat", data_);
}
