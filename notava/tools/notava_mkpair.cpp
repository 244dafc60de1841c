// Writes a ToDo pair from a UTF-8 text description, one entry per line:
//   limitDate <TAB> entryDate <TAB> deleted <TAB> rank <TAB> secret <TAB> request <TAB> client <TAB> content
// Dates are YYYYMMDD; deleted, rank and secret are the single bytes to store.
// "\n" in a text stands for a line break (CR LF). Empty lines and lines that
// start with '#' are skipped.
// Usage: notava_mkpair description.tsv output-stem
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "sjis_text.h"
#include "todo_writer.h"

namespace {

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, '\t')) fields.push_back(field);
    if (!line.empty() && line.back() == '\t') fields.emplace_back();
    return fields;
}

std::string expandLineBreaks(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\n") == 0) {
            out += "\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string toSjis(const std::string& utf8) {
    std::optional<std::string> sjis = utf8ToSjis(expandLineBreaks(utf8));
    if (!sjis) throw std::runtime_error("text has a character that Shift-JIS lacks: " + utf8);
    return *sjis;
}

char singleByte(const std::string& field, const char* name) {
    if (field.size() != 1) throw std::runtime_error(std::string(name) + " must be one byte: '" + field + "'");
    return field[0];
}

TodoRecordFields parseLine(const std::string& line) {
    const std::vector<std::string> f = splitTabs(line);
    if (f.size() != 8) throw std::runtime_error("expected 8 tab-separated fields, got " + std::to_string(f.size()));
    return {f[0], f[1], singleByte(f[2], "deleted"), singleByte(f[3], "rank"), singleByte(f[4], "secret"),
            toSjis(f[5]), toSjis(f[6]), toSjis(f[7])};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: notava_mkpair description.tsv output-stem\n";
        return 2;
    }
    std::ifstream description(argv[1]);
    if (!description) {
        std::perror(argv[1]);
        return 1;
    }
    TodoPairBuilder pair;
    pair.addIndex(0, 0);  // record 0 is no entry
    std::string line;
    for (int number = 1; std::getline(description, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        try {
            pair.addRecord(parseLine(line));
        } catch (const std::exception& error) {
            std::cerr << argv[1] << ":" << number << ": " << error.what() << "\n";
            return 1;
        }
    }
    if (!pair.write(argv[2])) {
        std::perror(argv[2]);
        return 1;
    }
    return 0;
}
