#include "todo_lists.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <string>

namespace {

std::vector<int> allEntries(const TodoData& data) {
    std::vector<int> numbers(std::max(data.entryCount - 1, 0));
    std::iota(numbers.begin(), numbers.end(), 1);
    return numbers;
}

std::vector<int> entriesWhere(const TodoData& data, const std::function<bool(const TodoEntry&)>& keep) {
    std::vector<int> numbers;
    for (int i = 1; i < data.entryCount; ++i)
        if (keep(data.entries[i])) numbers.push_back(i);
    return numbers;
}

// For each position j, every later position k whose entry is less than the
// one now at j is exchanged with it. Equal keys therefore do not keep their
// entry order; the list has always shown them so.
void exchangeSort(std::vector<int>& numbers, const std::function<bool(int, int)>& less) {
    for (std::size_t j = 0; j < numbers.size(); ++j)
        for (std::size_t k = j; k < numbers.size(); ++k)
            if (less(numbers[k], numbers[j])) std::swap(numbers[j], numbers[k]);
}

// Byte by byte as unsigned bytes; a prefix is the smaller text.
bool bytesLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

std::vector<int> sortedBy(const TodoData& data, const std::function<bool(const TodoEntry&, const TodoEntry&)>& less) {
    std::vector<int> numbers = allEntries(data);
    exchangeSort(numbers, [&](int a, int b) { return less(data.entries[a], data.entries[b]); });
    return numbers;
}

}  // namespace

std::vector<int> entriesDueOn(const TodoData& data, const TodoDate& date) {
    return entriesWhere(data, [&](const TodoEntry& e) { return e.limitDate == date; });
}

std::bitset<32> dueDaysOfMonth(const TodoData& data, int year, int month) {
    std::bitset<32> days;
    for (int i = 1; i < data.entryCount; ++i) {
        const TodoDate& due = data.entries[i].limitDate;
        if (due.year == year && due.month == month && due.day >= 1 && due.day <= 31) days.set(due.day);
    }
    return days;
}

std::vector<int> listRowsFor(const TodoData& data, ListTab tab) {
    switch (tab) {
    case ListTab::EntryOrder:
        return allEntries(data);
    case ListTab::ByLimitDate:
        return sortedBy(data, [](const TodoEntry& a, const TodoEntry& b) {
            return dateKey(a.limitDate) < dateKey(b.limitDate);
        });
    case ListTab::ByClient:
        return sortedBy(data, [](const TodoEntry& a, const TodoEntry& b) { return bytesLess(a.client, b.client); });
    case ListTab::ByRequest:
        return sortedBy(data, [](const TodoEntry& a, const TodoEntry& b) { return bytesLess(a.request, b.request); });
    case ListTab::Processed:
        return entriesWhere(data, [](const TodoEntry& e) { return e.deleted; });
    case ListTab::Unprocessed:
        return entriesWhere(data, [](const TodoEntry& e) { return !e.deleted; });
    }
    return {};
}

DueState dueStateOf(int limitDateKey, int todayKey) {
    if (limitDateKey < todayKey) return DueState::Overdue;
    return limitDateKey == todayKey ? DueState::Today : DueState::Later;
}
