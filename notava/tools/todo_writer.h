// Writes ToDo pairs in the handheld's layout: the sample generator and the
// tests build their files with it. The viewer itself never writes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The fields of one data record as stored: dates as eight characters,
// flags and rank as their bytes, texts as Shift-JIS bytes of at most 255.
struct TodoRecordFields {
    std::string limitDate = "20000101";
    std::string entryDate = "20000101";
    char deleted = '0';
    char rank = 'A';
    char secret = '0';
    std::string request;
    std::string client;
    std::string content;
};

// The bytes of a data record; throws std::length_error for a date that is
// not eight characters or a text longer than 255 bytes.
std::vector<std::uint8_t> encodeTodoRecord(const TodoRecordFields& fields);

// Collects the data file and its index, record by record.
class TodoPairBuilder {
public:
    // Appends `record` to the data file and an index record that points to it.
    void addRecord(std::span<const std::uint8_t> record);
    void addRecord(const TodoRecordFields& fields) { addRecord(encodeTodoRecord(fields)); }
    // An index record with any offset and length, for files the handheld would not write.
    void addIndex(std::uint32_t dataOffset, std::uint32_t dataLength);
    // Appends bytes to the data file without indexing them; returns their offset.
    std::uint32_t appendData(std::span<const std::uint8_t> bytes);

    const std::vector<std::uint8_t>& indexBytes() const { return index_; }
    const std::vector<std::uint8_t>& dataBytes() const { return data_; }

    // Writes stem + ".idx" and stem + ".dat"; false when either fails.
    bool write(const std::string& stem) const;

private:
    std::vector<std::uint8_t> index_;
    std::vector<std::uint8_t> data_;
};
