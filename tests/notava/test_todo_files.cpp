// The ToDo pair on disk: finding the pair, reading records and entries, the
// date routines, and files the handheld would never write.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "todo_files.h"
#include "todo_pair_files.h"

namespace {

std::vector<std::uint8_t> bytesOf(std::string_view text) { return {text.begin(), text.end()}; }

TodoDate parse(std::string_view eight) {
    const std::vector<std::uint8_t> bytes = bytesOf(eight);
    return parseTodoDate(std::span<const std::uint8_t, 8>(bytes.data(), 8));
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

TodoData loaded(const TodoPairBuilder& pair, const TempFolder& folder) {
    pair.write(folder.file("todo"));
    TodoData data;
    EXPECT_TRUE(loadTodoFiles(folder.file("todo.idx"), data));
    return data;
}

TEST(TodoPairFor, ReplacesTheExtensionOfTheFileName) {
    const struct {
        std::string chosen, stem;
    } cases[] = {
        {"todo.idx", "todo"},
        {"todo.dat", "todo"},
        {"todo.bak", "todo"},
        {"/home/u/todo.v2.idx", "/home/u/todo.v2"},
        {"/home/u.name/todo", "/home/u.name/todo"},  // a '.' in a folder is no extension
        {"todo", "todo"},
        {"todo.", "todo"},
        {"dir/.idx", "dir/"},
        {std::string(300, 'a') + ".idx", std::string(300, 'a')},  // no path buffer to overflow
    };
    for (const auto& c : cases) {
        const TodoPairPaths pair = todoPairFor(c.chosen);
        EXPECT_EQ(pair.index, c.stem + ".idx") << c.chosen;
        EXPECT_EQ(pair.data, c.stem + ".dat") << c.chosen;
    }
}

TEST(TodoDates, ParseReadsDigitFieldsAndNothingElse) {
    const struct {
        std::string text;
        TodoDate date;
    } cases[] = {
        {"20000401", {2000, 4, 1}},   {"19991231", {1999, 12, 31}}, {"00000000", {0, 0, 0}},
        {"99999999", {9999, 99, 99}}, {"2000ab01", {2000, 0, 1}},   {" 2000401", {0, 4, 1}},
        {"-0010401", {0, 4, 1}},      {"2000/4/1", {2000, 0, 0}},      {std::string("2000\0\0" "01", 8), {2000, 0, 1}},
    };
    for (const auto& c : cases) EXPECT_EQ(parse(c.text), c.date) << c.text;
}

TEST(TodoDates, FormatWritesNumbersWithoutLeadingZeros) {
    EXPECT_EQ(formatTodoDate({2000, 4, 1}), "2000年4月1日");
    EXPECT_EQ(formatTodoDate({1999, 12, 31}), "1999年12月31日");
    EXPECT_EQ(formatTodoDate({0, 0, 0}), "0年0月0日");
}

TEST(TodoDates, DateKeyOrdersLikeTheCalendar) {
    const TodoDate ordered[] = {{0, 0, 0}, {1999, 12, 20}, {1999, 12, 31}, {2000, 1, 3},
                                {2000, 1, 5}, {2000, 2, 1}, {2000, 12, 99}, {9999, 99, 99}};
    for (std::size_t i = 1; i < std::size(ordered); ++i)
        EXPECT_LT(dateKey(ordered[i - 1]), dateKey(ordered[i])) << i;
    EXPECT_EQ(dateKey({2000, 4, 1}), dateKey(parse("20000401")));
}

TEST(LoadTodoFiles, AnyMemberOfThePairLoadsIt) {
    TempFolder folder;
    pairOf({dueOn("20000401", "a"), dueOn("20000402", "b")}).write(folder.file("todo"));
    std::ofstream(folder.file("todo.bak")) << "not read";
    for (const char* chosen : {"todo.idx", "todo.dat", "todo.bak", "todo"}) {
        TodoData data;
        ASSERT_TRUE(loadTodoFiles(folder.file(chosen), data)) << chosen;
        EXPECT_EQ(data.entryCount, 3) << chosen;
        EXPECT_EQ(data.entries[2].content, "b") << chosen;
    }
}

TEST(LoadTodoFiles, EveryFieldOfAnEntryIsRead) {
    TempFolder folder;
    TodoRecordFields fields{"20000401", "20000315", '1', 'B', '1', "\x8d\xb2\x93\xa1", "client", "\x93\xe0\x97\x65"};
    const TodoData data = loaded(pairOf({fields}), folder);
    ASSERT_EQ(data.entryCount, 2);
    ASSERT_EQ(data.records.size(), 2u);
    const TodoEntry& e = data.entries[1];
    EXPECT_EQ(e.limitDate, (TodoDate{2000, 4, 1}));
    EXPECT_EQ(e.entryDate, (TodoDate{2000, 3, 15}));
    EXPECT_TRUE(e.deleted);
    EXPECT_EQ(e.rank, 'B');
    EXPECT_TRUE(e.secret);
    EXPECT_EQ(e.request, fields.request);  // Shift-JIS bytes as stored
    EXPECT_EQ(e.client, fields.client);
    EXPECT_EQ(e.content, fields.content);
}

TEST(LoadTodoFiles, IndexFilesWithoutEntries) {
    TempFolder folder;
    for (int records : {0, 1}) {
        TodoPairBuilder pair;
        if (records == 1) pair.addIndex(0, 0);
        const TodoData data = loaded(pair, folder);
        EXPECT_EQ(data.entryCount, records);
        EXPECT_EQ(data.records.size(), static_cast<std::size_t>(records));
    }
}

TEST(LoadTodoFiles, TrailingPartialIndexRecordIsIgnored) {
    TempFolder folder;
    TodoPairBuilder pair = pairOf({dueOn("20000401", "a")});
    pair.write(folder.file("todo"));
    std::vector<std::uint8_t> index = pair.indexBytes();
    for (std::size_t extra = 1; extra < TODO_INDEX_RECORD_BYTES; ++extra) {
        index.push_back(0x01);
        writeBytes(folder.file("todo.idx"), index);
        TodoData data;
        ASSERT_TRUE(loadTodoFiles(folder.file("todo.idx"), data));
        EXPECT_EQ(data.entryCount, 2) << extra;
        EXPECT_EQ(data.entries[1].content, "a");
    }
}

TEST(LoadTodoFiles, TextsOfEveryLengthAreReadWhole) {
    TempFolder folder;
    for (std::size_t length : {0u, 1u, 128u, 255u}) {
        TodoRecordFields fields;
        fields.request = std::string(length, 'r');
        fields.client = std::string(255 - length, 'c');
        fields.content = std::string(length, '\x82');
        const TodoData data = loaded(pairOf({fields}), folder);
        EXPECT_EQ(data.entries[1].request, fields.request) << length;
        EXPECT_EQ(data.entries[1].client, fields.client) << length;
        EXPECT_EQ(data.entries[1].content, fields.content) << length;
    }
}

TEST(LoadTodoFiles, OnlyTheByteZeroCharacterMeansNotSet) {
    TempFolder folder;
    for (char flag : {'0', '1', 'X', '\0', ' '}) {
        TodoRecordFields fields;
        fields.deleted = flag;
        fields.secret = flag;
        const TodoData data = loaded(pairOf({fields}), folder);
        EXPECT_EQ(data.entries[1].deleted, flag != '0') << int(flag);
        EXPECT_EQ(data.entries[1].secret, flag != '0') << int(flag);
    }
}

TEST(LoadTodoFiles, RecordsMayShareAndReorderTheData) {
    TempFolder folder;
    TodoPairBuilder pair;
    pair.addIndex(0, 0);
    const std::uint32_t gap = pair.appendData(std::vector<std::uint8_t>(7, 0xEE));
    const std::vector<std::uint8_t> first = encodeTodoRecord(dueOn("20000401", "first"));
    const std::vector<std::uint8_t> second = encodeTodoRecord(dueOn("20000402", "second"));
    const std::uint32_t at = pair.appendData(first);
    const std::uint32_t atSecond = pair.appendData(second);
    pair.addIndex(atSecond, static_cast<std::uint32_t>(second.size()));
    pair.addIndex(at, static_cast<std::uint32_t>(first.size()));
    pair.addIndex(at, static_cast<std::uint32_t>(first.size()));
    const TodoData data = loaded(pair, folder);
    ASSERT_EQ(data.entryCount, 4);
    EXPECT_EQ(gap, 0u);
    EXPECT_EQ(data.entries[1].content, "second");
    EXPECT_EQ(data.entries[2].content, "first");
    EXPECT_EQ(data.entries[3].content, "first");
}

TEST(LoadTodoFiles, FailedLoadKeepsWhatWasLoaded) {
    TempFolder folder;
    pairOf({dueOn("20000401", "one"), dueOn("20000402", "two")}).write(folder.file("first"));
    pairOf({dueOn("20000501", "three")}).write(folder.file("second"));
    pairOf({}).write(folder.file("nodata"));
    std::filesystem::remove(folder.file("nodata.dat"));
    std::filesystem::create_directory(folder.file("folder.idx"));
    std::ofstream(folder.file("folder.dat")) << "";

    TodoData data;
    ASSERT_TRUE(loadTodoFiles(folder.file("first.idx"), data));
    for (const char* failing : {"missing.idx", "nodata.idx", "folder.idx"}) {
        EXPECT_FALSE(loadTodoFiles(folder.file(failing), data)) << failing;
        ASSERT_EQ(data.entryCount, 3) << failing;
        EXPECT_EQ(data.entries[2].content, "two") << failing;
    }
    ASSERT_TRUE(loadTodoFiles(folder.file("second.idx"), data));
    EXPECT_EQ(data.entryCount, 2);
    EXPECT_EQ(data.records.size(), 2u);
    EXPECT_EQ(data.entries.size(), 2u);
    EXPECT_EQ(data.entries[1].content, "three");
}

// Index records that point outside the data file, or data records too short
// for their fields: nothing is read outside the file, nothing is made up,
// and the well-formed entries around them are untouched.
TEST(LoadTodoFiles, RecordsOutsideTheDataFileAreCut) {
    TempFolder folder;
    TodoPairBuilder pair;
    pair.addIndex(0, 0);
    pair.addRecord(dueOn("20000401", "good"));
    const std::vector<std::uint8_t> full = encodeTodoRecord(dueOn("20000402", "tail"));
    const std::uint32_t size = static_cast<std::uint32_t>(pair.dataBytes().size());
    pair.addIndex(0xFFFFFFF0u, 0xFFFFFFFFu);  // offset near 4 GiB
    pair.addIndex(size, 0xFFFFFFFFu);         // length far past the end
    pair.addIndex(size + 5000, 10);           // offset past the end
    pair.addIndex(0, 20);                     // shorter than the flags
    pair.addRecord(dueOn("20000403", "also good"));
    std::vector<std::uint8_t> cut(full.begin(), full.end() - 2);
    pair.addRecord(cut);  // its content length reaches past the record
    const TodoData data = loaded(pair, folder);

    ASSERT_EQ(data.entryCount, 8);
    EXPECT_EQ(data.entries[1].content, "good");
    EXPECT_TRUE(data.records[2].data.empty());
    EXPECT_EQ(data.entries[2].limitDate, TodoDate{});
    EXPECT_EQ(data.entries[2].rank, 0);
    EXPECT_FALSE(data.entries[2].deleted);
    const std::size_t left = pair.dataBytes().size() - size;
    EXPECT_EQ(data.records[3].data.size(), std::min(left, TODO_RECORD_MAX_BYTES));
    EXPECT_EQ(data.entries[3].limitDate, (TodoDate{2000, 4, 3}));  // the next record's bytes are in the file
    EXPECT_TRUE(data.records[4].data.empty());
    EXPECT_EQ(data.records[5].data.size(), 20u);
    EXPECT_EQ(data.entries[5].limitDate, (TodoDate{2000, 4, 1}));
    EXPECT_EQ(data.entries[5].entryDate, TodoDate{});  // 0x13..0x1A is not all in the record
    EXPECT_EQ(data.entries[5].content, "");
    EXPECT_EQ(data.entries[6].content, "also good");
    EXPECT_EQ(data.entries[7].content, "ta");
}

TEST(LoadTodoFiles, LongRecordsKeepOnlyTheBytesTheFieldsReach) {
    TempFolder folder;
    TodoPairBuilder pair;
    pair.addIndex(0, 0);
    std::vector<std::uint8_t> record = encodeTodoRecord(dueOn("20000401", "x"));
    record.resize(5000, 0x41);
    pair.addRecord(record);
    const TodoData data = loaded(pair, folder);
    EXPECT_EQ(data.records[1].index.dataLength, 5000u);
    EXPECT_EQ(data.records[1].data.size(), TODO_RECORD_MAX_BYTES);
    EXPECT_EQ(data.entries[1].content, "x");
}

TEST(LoadTodoFiles, IndexBeyondTheRecordLimitIsCut) {
    TempFolder folder;
    TodoPairBuilder pair;
    pair.addIndex(0, 0);
    for (int i = 1; i < 300; ++i) pair.addRecord(dueOn("20000401", std::to_string(i)));
    EXPECT_EQ(loaded(pair, folder).entryCount, 300);  // more than the handheld's 255 still load
    const std::vector<std::uint8_t> record = encodeTodoRecord(dueOn("20000401", "same"));
    pair.addRecord(record);
    for (int i = 0; i < MAX_TODO_RECORDS; ++i) pair.addIndex(0, static_cast<std::uint32_t>(record.size()));
    const TodoData data = loaded(pair, folder);
    EXPECT_EQ(data.entryCount, MAX_TODO_RECORDS);
    EXPECT_EQ(data.entries[299].content, "299");
}

// Random index and data files: every load succeeds without reading outside
// a buffer (the sanitizer build checks), records stay within the file and
// the layout's reach, texts within their length bytes.
TEST(LoadTodoFiles, SurvivesRandomPairs) {
    TempFolder folder;
    std::mt19937 random(20000401);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::uint8_t> index(random() % 400), data(random() % 3000);
        for (auto& byte : data) byte = static_cast<std::uint8_t>(random());
        for (std::size_t i = 0; i < index.size(); ++i) {
            // Mostly plausible offsets and lengths, sometimes anything.
            const bool wild = random() % 4 == 0;
            index[i] = static_cast<std::uint8_t>(wild || i % 4 != 1 ? random() : random() % 16);
        }
        writeBytes(folder.file("r.idx"), index);
        writeBytes(folder.file("r.dat"), data);
        TodoData loaded;
        ASSERT_TRUE(loadTodoFiles(folder.file("r.dat"), loaded));
        ASSERT_EQ(loaded.entryCount, static_cast<int>(index.size() / TODO_INDEX_RECORD_BYTES));
        for (int i = 1; i < loaded.entryCount; ++i) {
            const TodoRecord& record = loaded.records[i];
            ASSERT_LE(record.data.size(), std::min<std::size_t>(record.index.dataLength, TODO_RECORD_MAX_BYTES));
            const TodoEntry& e = loaded.entries[i];
            const std::size_t texts = e.request.size() + e.client.size() + e.content.size();
            ASSERT_LE(texts, record.data.size() > TEXTS_OFFSET ? record.data.size() - TEXTS_OFFSET : 0);
        }
    }
}

// A well-formed pair with random bytes flipped in its data file: the entries
// whose records were not touched read exactly as written.
TEST(LoadTodoFiles, DamageStaysInTheDamagedRecords) {
    TempFolder folder;
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        TodoPairBuilder pair;
        pair.addIndex(0, 0);
        std::vector<TodoRecordFields> written;
        std::vector<std::pair<std::size_t, std::size_t>> spans;
        for (int i = 0; i < 20; ++i) {
            TodoRecordFields fields = dueOn("2000040" + std::to_string(1 + i % 9), std::string(random() % 40, 'a' + i));
            fields.request = std::string(random() % 30, 'q');
            written.push_back(fields);
            const std::size_t start = pair.dataBytes().size();
            pair.addRecord(fields);
            spans.emplace_back(start, pair.dataBytes().size());
        }
        std::vector<std::uint8_t> data = pair.dataBytes();
        const std::size_t damaged = random() % data.size();
        data[damaged] ^= 0xFF;
        pair.write(folder.file("d"));
        writeBytes(folder.file("d.dat"), data);
        TodoData loaded;
        ASSERT_TRUE(loadTodoFiles(folder.file("d.idx"), loaded));
        for (int i = 0; i < 20; ++i) {
            if (damaged >= spans[i].first && damaged < spans[i].second) continue;
            EXPECT_EQ(loaded.entries[i + 1].content, written[i].content);
            EXPECT_EQ(loaded.entries[i + 1].request, written[i].request);
        }
    }
}

}  // namespace
