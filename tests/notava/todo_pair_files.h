// Test helper: ToDo pairs written into a fresh temporary folder.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "todo_writer.h"

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "notava_test_XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// A pair with record 0 (no entry) followed by the given entries.
inline TodoPairBuilder pairOf(std::initializer_list<TodoRecordFields> entries) {
    TodoPairBuilder pair;
    pair.addIndex(0, 0);
    for (const TodoRecordFields& fields : entries) pair.addRecord(fields);
    return pair;
}

// An entry due on `limitDate` whose content names it.
inline TodoRecordFields dueOn(const std::string& limitDate, const std::string& content) {
    TodoRecordFields fields;
    fields.limitDate = limitDate;
    fields.entryDate = "19990101";
    fields.content = content;
    return fields;
}
