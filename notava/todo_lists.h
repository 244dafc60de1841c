// The walks over the loaded entries that the day view and the list view
// share: the entries of one due date, the due days of a month, the rows of
// each list tab and the colour class of a due date.
#pragma once

#include <bitset>
#include <vector>

#include "todo_files.h"

// Entry numbers whose limitDate equals `date`, in entry order.
std::vector<int> entriesDueOn(const TodoData& data, const TodoDate& date);

// Bit d is set when an entry is due on day d of the month. Due days outside
// 1..31 belong to no day of the grid and are skipped.
std::bitset<32> dueDaysOfMonth(const TodoData& data, int year, int month);

// The six tabs of the list view, in tab order.
enum class ListTab { EntryOrder, ByLimitDate, ByClient, ByRequest, Processed, Unprocessed };
inline constexpr int LIST_TAB_COUNT = 6;

// Entry numbers in the row order of `tab`. The three sorted tabs use one
// exchange sort whose order of equal keys is part of the viewer's behaviour.
std::vector<int> listRowsFor(const TodoData& data, ListTab tab);

enum class DueState { Later, Today, Overdue };
DueState dueStateOf(int limitDateKey, int todayKey);
