// The walks over the entries that both windows share, and the Shift-JIS
// conversion for display.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "sjis_text.h"
#include "todo_lists.h"

namespace {

// Entries built in memory: entry i + 1 is made from element i.
TodoData dataOf(const std::vector<TodoEntry>& list) {
    TodoData data;
    data.entryCount = static_cast<int>(list.size()) + 1;
    data.records.resize(list.size() + 1);
    data.entries.push_back({});
    data.entries.insert(data.entries.end(), list.begin(), list.end());
    return data;
}

TodoEntry due(TodoDate date) {
    TodoEntry e;
    e.limitDate = date;
    return e;
}

TodoEntry texts(std::string request, std::string client) {
    TodoEntry e;
    e.request = std::move(request);
    e.client = std::move(client);
    return e;
}

TEST(EntriesDueOn, FindsEveryEntryOfTheDateInEntryOrder) {
    const TodoData data = dataOf({due({2000, 4, 10}), due({2000, 4, 11}), due({2000, 4, 10}), due({2001, 4, 10}),
                                  due({2000, 4, 10})});
    EXPECT_EQ(entriesDueOn(data, {2000, 4, 10}), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(entriesDueOn(data, {2000, 4, 11}), (std::vector<int>{2}));
    EXPECT_TRUE(entriesDueOn(data, {2000, 4, 12}).empty());
    EXPECT_TRUE(entriesDueOn(TodoData{}, {2000, 4, 10}).empty());
}

TEST(EntriesDueOn, HasNoLimitOfEntriesPerDay) {
    const TodoData data = dataOf(std::vector<TodoEntry>(40, due({2000, 4, 10})));
    EXPECT_EQ(entriesDueOn(data, {2000, 4, 10}).size(), 40u);
}

// Due days outside 1..31 mark nothing, and do not end the walk either.
TEST(DueDaysOfMonth, MarksTheDueDaysOfThatMonthOnly) {
    const TodoData data = dataOf({due({2000, 4, 0}), due({2000, 4, 3}), due({2000, 4, 99}), due({2000, 5, 4}),
                                  due({1999, 4, 5}), due({2000, 4, 31}), due({2000, 4, 3})});
    const std::bitset<32> days = dueDaysOfMonth(data, 2000, 4);
    EXPECT_EQ(days.count(), 2u);
    EXPECT_TRUE(days.test(3));
    EXPECT_TRUE(days.test(31));
    EXPECT_FALSE(days.test(0));
}

bool isPermutationOfAll(const std::vector<int>& rows, int entries) {
    std::vector<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < entries; ++i)
        if (sorted.size() != static_cast<std::size_t>(entries) || sorted[i] != i + 1) return false;
    return true;
}

// Random lists: the sorted tabs hold every entry once in ascending order,
// the two filters split the entries in entry order.
TEST(ListRowsFor, SortedTabsAndFiltersOnRandomLists) {
    std::mt19937 random(42);
    for (int round = 0; round < 200; ++round) {
        std::vector<TodoEntry> list(random() % 30);
        for (TodoEntry& e : list) {
            e.limitDate = {1999 + static_cast<int>(random() % 3), 1 + static_cast<int>(random() % 12),
                           1 + static_cast<int>(random() % 3)};
            e.deleted = random() % 2;
            e.client = std::string(random() % 3, static_cast<char>(0x80 + random() % 3));
            e.request = std::string(random() % 3, static_cast<char>('a' + random() % 2));
        }
        const TodoData data = dataOf(list);
        const int n = static_cast<int>(list.size());
        EXPECT_EQ(listRowsFor(data, ListTab::EntryOrder).size(), list.size());
        const std::vector<int> byDate = listRowsFor(data, ListTab::ByLimitDate);
        ASSERT_TRUE(isPermutationOfAll(byDate, n));
        for (std::size_t i = 1; i < byDate.size(); ++i)
            EXPECT_LE(dateKey(data.entries[byDate[i - 1]].limitDate), dateKey(data.entries[byDate[i]].limitDate));
        for (auto [tab, text] : {std::pair{ListTab::ByClient, &TodoEntry::client}, {ListTab::ByRequest, &TodoEntry::request}}) {
            const std::vector<int> rows = listRowsFor(data, tab);
            ASSERT_TRUE(isPermutationOfAll(rows, n));
            for (std::size_t i = 1; i < rows.size(); ++i)
                EXPECT_LE(data.entries[rows[i - 1]].*text, data.entries[rows[i]].*text);  // unsigned-byte order
        }
        std::vector<int> processed = listRowsFor(data, ListTab::Processed);
        const std::vector<int> open = listRowsFor(data, ListTab::Unprocessed);
        EXPECT_TRUE(std::is_sorted(processed.begin(), processed.end()));
        EXPECT_TRUE(std::is_sorted(open.begin(), open.end()));
        for (int i : processed) EXPECT_TRUE(data.entries[i].deleted);
        for (int i : open) EXPECT_FALSE(data.entries[i].deleted);
        processed.insert(processed.end(), open.begin(), open.end());
        EXPECT_TRUE(isPermutationOfAll(processed, n));
    }
}

// Equal keys come out in the order of the exchange loops, not in entry
// order. Keys 2, 1, 2, 1: j = 0 takes entry 2 forward (2 1 3 4), j = 1 then
// exchanges entry 1 with entry 4 (2 4 3 1), so entry 3 ends before entry 1.
TEST(ListRowsFor, EqualKeysKeepTheExchangeOrder) {
    const TodoData byDate = dataOf({due({2000, 4, 2}), due({2000, 4, 1}), due({2000, 4, 2}), due({2000, 4, 1})});
    EXPECT_EQ(listRowsFor(byDate, ListTab::ByLimitDate), (std::vector<int>{2, 4, 3, 1}));
    const TodoData byText = dataOf({texts("b", "y"), texts("a", "x"), texts("b", "y"), texts("a", "x")});
    EXPECT_EQ(listRowsFor(byText, ListTab::ByRequest), (std::vector<int>{2, 4, 3, 1}));
    EXPECT_EQ(listRowsFor(byText, ListTab::ByClient), (std::vector<int>{2, 4, 3, 1}));
}

TEST(ListRowsFor, TextsCompareAsUnsignedBytesWithPrefixesFirst) {
    // Shift-JIS lead bytes (0x82) come after ASCII; an empty client comes first.
    const TodoData data = dataOf({texts("", "\x82\xa0"), texts("", "ab"), texts("", ""), texts("", "a"), texts("", "\x82")});
    EXPECT_EQ(listRowsFor(data, ListTab::ByClient), (std::vector<int>{3, 4, 2, 5, 1}));
}

TEST(ListRowsFor, NoEntriesGiveNoRows) {
    for (int tab = 0; tab < LIST_TAB_COUNT; ++tab) {
        EXPECT_TRUE(listRowsFor(TodoData{}, static_cast<ListTab>(tab)).empty());
        EXPECT_TRUE(listRowsFor(dataOf({}), static_cast<ListTab>(tab)).empty());
    }
}

TEST(DueStateOf, OverdueTodayAndLater) {
    const struct {
        TodoDate due, today;
        DueState state;
    } cases[] = {
        {{2000, 3, 31}, {2000, 4, 1}, DueState::Overdue}, {{2000, 4, 1}, {2000, 4, 1}, DueState::Today},
        {{2000, 4, 2}, {2000, 4, 1}, DueState::Later},    {{1999, 12, 20}, {2000, 1, 5}, DueState::Overdue},
        {{0, 0, 0}, {2000, 1, 5}, DueState::Overdue},
    };
    for (const auto& c : cases) EXPECT_EQ(dueStateOf(dateKey(c.due), dateKey(c.today)), c.state) << dateKey(c.due);
}

TEST(SjisText, ConvertsBothWays) {
    const struct {
        std::string sjis, utf8;
    } cases[] = {
        {"ToDo", "ToDo"},
        {"\x93\xfa\x95\x74", "日付"},
        {"\xb6\xc0\xb6\xc5", "ｶﾀｶﾅ"},  // half-width katakana, one byte each
        {"\x81\x60", "～"},             // code page 932's wave dash
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sjisToUtf8(c.sjis), c.utf8);
        EXPECT_EQ(utf8ToSjis(c.utf8), c.sjis);
    }
}

TEST(SjisText, BrokenBytesBecomeReplacementCharacters) {
    EXPECT_EQ(sjisToUtf8("a\x82"), "a\xEF\xBF\xBD");         // lead byte at the end
    EXPECT_EQ(sjisToUtf8("\xa0" "b"), "\xEF\xBF\xBD" "b");  // no character
    EXPECT_EQ(utf8ToSjis("한"), std::nullopt);               // Shift-JIS lacks it
    std::string random(5000, '\0');
    std::mt19937 generator(1);
    for (char& c : random) c = static_cast<char>(generator());
    EXPECT_FALSE(sjisToUtf8(random).empty());
}

}  // namespace
