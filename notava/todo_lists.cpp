#include "todo_lists.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <string>

namespace {

std::vector<int> AllEntries(const TodoData& data) {
    std::vector<int> numbers(std::max(data.entryCount - 1, 0));
    std::iota(numbers.begin(), numbers.end(), 1);
    return numbers;
}

std::vector<int> EntriesWhere(const TodoData& data, const std::function<bool(const TodoEntry&)>& keep) {
    std::vector<int> numbers;
    for (int i = 1; i < data.entryCount; ++i)
        if (keep(data.entries[i])) numbers.push_back(i);
    return numbers;
}

// For each position j, every later position k whose entry is less than the
// one now at j is exchanged with it. Equal keys therefore do not keep their
// entry order; the list has always shown them so.
void ExchangeSort(std::vector<int>& numbers, const std::function<bool(int, int)>& less) {
    for (std::size_t j = 0; j < numbers.size(); ++j)
        for (std::size_t k = j; k < numbers.size(); ++k)
            if (less(numbers[k], numbers[j])) std::swap(numbers[j], numbers[k]);
}

// Byte by byte as unsigned bytes; a prefix is the smaller text.
bool BytesLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

std::vector<int> SortedBy(const TodoData& data, const std::function<bool(const TodoEntry&, const TodoEntry&)>& less) {
    std::vector<int> numbers = AllEntries(data);
    ExchangeSort(numbers, [&](int a, int b) { return less(data.entries[a], data.entries[b]); });
    return numbers;
}

}  // namespace

std::vector<int> EntriesDueOn(const TodoData& data, const TodoDate& date) {
    return EntriesWhere(data, [&](const TodoEntry& e) { return e.limitDate == date; });
}

std::bitset<32> DueDaysOfMonth(const TodoData& data, int year, int month) {
    std::bitset<32> days;
    for (int i = 1; i < data.entryCount; ++i) {
        const TodoDate& due = data.entries[i].limitDate;
        if (due.year == year && due.month == month && due.day >= 1 && due.day <= 31) days.set(due.day);
    }
    return days;
}

std::vector<int> ListRowsFor(const TodoData& data, ListTab tab) {
    switch (tab) {
    case ListTab::EntryOrder:
        return AllEntries(data);
    case ListTab::ByLimitDate:
        return SortedBy(data, [](const TodoEntry& a, const TodoEntry& b) {
            return DateKey(a.limitDate) < DateKey(b.limitDate);
        });
    case ListTab::ByClient:
        return SortedBy(data, [](const TodoEntry& a, const TodoEntry& b) { return BytesLess(a.client, b.client); });
    case ListTab::ByRequest:
        return SortedBy(data, [](const TodoEntry& a, const TodoEntry& b) { return BytesLess(a.request, b.request); });
    case ListTab::Processed:
        return EntriesWhere(data, [](const TodoEntry& e) { return e.deleted; });
    case ListTab::Unprocessed:
        return EntriesWhere(data, [](const TodoEntry& e) { return !e.deleted; });
    }
    return {};
}

DueState DueStateOf(int limitDateKey, int todayKey) {
    if (limitDateKey < todayKey) return DueState::Overdue;
    return limitDateKey == todayKey ? DueState::Today : DueState::Later;
}
