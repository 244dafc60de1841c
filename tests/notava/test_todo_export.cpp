// Finding a pair whatever the case of its extensions, the messages of a
// failed load, the iCalendar and CSV writers (escaping, folding, fields,
// stable UIDs, undecodable bytes) and the command line.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "command_line.h"
#include "todo_export.h"
#include "todo_pair_files.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// The unfolded content lines of an .ics text.
std::vector<std::string> unfoldedLines(const std::string& ics) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = ics.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = ics.substr(start, end - start);
        if (!line.empty() && line[0] == ' ') lines.back() += line.substr(1);
        else lines.push_back(line);
    }
    EXPECT_EQ(start, ics.size()) << "text after the last CR LF";
    return lines;
}

std::vector<std::string> linesOfTodo(const std::string& ics, int todo) {
    std::vector<std::string> lines;
    int seen = 0;
    for (const std::string& line : unfoldedLines(ics)) {
        if (line == "BEGIN:VTODO") ++seen;
        else if (line == "END:VTODO") continue;
        else if (seen == todo) lines.push_back(line);
    }
    return lines;
}

TEST(TodoPairOnDisk, PartnerIsFoundWhateverTheCaseOfItsExtension) {
    TempFolder folder;
    pairOf({dueOn("20000401", "capitals")}).write(folder.file("TODO"));
    std::filesystem::rename(folder.file("TODO.idx"), folder.file("TODO.IDX"));
    std::filesystem::rename(folder.file("TODO.dat"), folder.file("TODO.DAT"));
    for (const char* chosen : {"TODO.IDX", "TODO.DAT", "TODO.idx", "TODO"}) {
        const TodoPairPaths pair = findTodoPair(folder.file(chosen));
        EXPECT_EQ(pair.index, folder.file("TODO.IDX")) << chosen;
        EXPECT_EQ(pair.data, folder.file("TODO.DAT")) << chosen;
        TodoData data;
        ASSERT_TRUE(loadTodoFiles(folder.file(chosen), data)) << chosen;
        EXPECT_EQ(data.entries[1].content, "capitals");
    }
    std::ofstream(folder.file("TODO.dat")) << "";  // an exact match goes first
    EXPECT_EQ(findTodoPair(folder.file("TODO.IDX")).data, folder.file("TODO.dat"));
    EXPECT_EQ(findTodoPair(folder.file("none.idx")).data, folder.file("none.dat"));
}

TEST(TodoPairOnDisk, FailedLoadNamesTheFileAndKeepsTheData) {
    TempFolder folder;
    pairOf({dueOn("20000401", "kept")}).write(folder.file("kept"));
    pairOf({dueOn("20000401", "x")}).write(folder.file("lonely"));
    std::filesystem::remove(folder.file("lonely.DAT"));
    std::filesystem::remove(folder.file("lonely.dat"));
    std::filesystem::create_directory(folder.file("folder"));
    std::filesystem::create_directory(folder.file("dirdat.dat"));
    std::ofstream(folder.file("dirdat.idx")) << "";
    TodoData data;
    ASSERT_TRUE(loadTodoFiles(folder.file("kept.idx"), data));
    const struct {
        std::string chosen, named;
    } cases[] = {
        {folder.file("missing.idx"), folder.file("missing.idx") + "\": No such file"},
        {folder.file("lonely.idx"), folder.file("lonely.dat") + "\": No such file"},
        {folder.file("folder"), folder.file("folder") + "\" is a folder"},
        {folder.file("dirdat.idx"), folder.file("dirdat.dat") + "\" is a folder"},
    };
    for (const auto& c : cases) {
        std::string whyNot;
        EXPECT_FALSE(loadTodoFiles(c.chosen, data, whyNot)) << c.chosen;
        EXPECT_NE(whyNot.find(c.named), std::string::npos) << whyNot;
        EXPECT_EQ(data.entries[1].content, "kept");
    }
}

TEST(ICalendarText, EscapingAndFolding) {
    EXPECT_EQ(escapeICalendarText("a\\b;c,d\ne:f\"g"), "a\\\\b\\;c\\,d\\ne:f\"g");
    EXPECT_EQ(foldContentLine("SUMMARY:short"), "SUMMARY:short\r\n");
    EXPECT_EQ(foldContentLine(std::string(75, 'x')), std::string(75, 'x') + "\r\n");
    EXPECT_EQ(foldContentLine(std::string(76, 'x')), std::string(75, 'x') + "\r\n x\r\n");
    // Property: every physical line has at most 75 octets, none starts inside
    // a UTF-8 character, and unfolding gives the line back.
    std::mt19937 random(5545);
    const std::string pieces[] = {"a", "日", "\xEF\xBF\xBD", "\xF0\x9F\x98\x80", ",", " "};
    for (int round = 0; round < 300; ++round) {
        std::string line = "DESCRIPTION:";
        for (int n = random() % 200; n > 0; --n) line += pieces[random() % std::size(pieces)];
        const std::string folded = foldContentLine(line);
        std::size_t start = 0;
        for (std::size_t end; (end = folded.find("\r\n", start)) != std::string::npos; start = end + 2) {
            ASSERT_LE(end - start, 75u);
            const std::size_t first = start == 0 ? 0 : start + 1;
            if (first < end) {
                ASSERT_NE(static_cast<unsigned char>(folded[first]) & 0xC0, 0x80);
            }
        }
        ASSERT_EQ(unfoldedLines(folded), std::vector<std::string>{line});
    }
}

TEST(CsvText, FieldsAreQuotedOnlyWhenTheyNeedIt) {
    EXPECT_EQ(csvField("plain 日本"), "plain 日本");
    EXPECT_EQ(csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(csvField(""), "");
}

TEST(TodoExport, EveryFieldIsMapped) {
    TodoData data;
    TempFolder folder;
    TodoRecordFields first{"20000412", "20000301", '1', 'B', '1', "\x8d\xb2\x93\xa1", "a;b", "line 1\r\nline, 2"};
    TodoRecordFields second{"20000230", "00000000", '0', 'Q', '0', "", "", ""};
    pairOf({first, second, dueOn("20000101", "C")}).write(folder.file("todo"));
    ASSERT_TRUE(loadTodoFiles(folder.file("todo.idx"), data));
    const std::string ics = toICalendar(data, "todo");
    EXPECT_EQ(ics.substr(0, 15), "BEGIN:VCALENDAR");
    EXPECT_EQ(linesOfTodo(ics, 1), (std::vector<std::string>{
                                       "UID:todo-1-20000301-20000412@notava", "DTSTAMP:20000301T000000Z",
                                       "CREATED:20000301T000000Z", "DUE;VALUE=DATE:20000412", "SUMMARY:line 1",
                                       "DESCRIPTION:line 1\\nline\\, 2", "PRIORITY:5", "CLASS:PRIVATE",
                                       "STATUS:COMPLETED", "X-ZENTRIO-REQUESTER:佐藤", "X-ZENTRIO-REQUESTEE:a\\;b"}));
    // No real dates, an unknown rank, no texts: what cannot be said is left out.
    EXPECT_EQ(linesOfTodo(ics, 2), (std::vector<std::string>{"UID:todo-2-00000000-20000230@notava",
                                                              "DTSTAMP:19700101T000000Z", "SUMMARY:",
                                                              "STATUS:NEEDS-ACTION"}));
    EXPECT_EQ(toCsv(data), "entry,rank,entered,due,requester,requestee,content,secret,processed\r\n"
                           "1,B,2000-03-01,2000-04-12,佐藤,a;b,\"line 1\nline, 2\",1,1\r\n"
                           "2,Q,,,,,,0,0\r\n"
                           "3,A,1999-01-01,2000-01-01,,,C,0,0\r\n");
}

// Bytes that are no Shift-JIS and control characters become U+FFFD; the
// entry stays.
TEST(TodoExport, UndecodableBytesBecomeReplacementCharacters) {
    TodoData data;
    TempFolder folder;
    TodoRecordFields broken = dueOn("20000401", "ok\x81\x20\xFF\x01" "end");
    broken.request = "\xA0\x85";
    pairOf({broken}).write(folder.file("todo"));
    ASSERT_TRUE(loadTodoFiles(folder.file("todo.idx"), data));
    const std::string ics = toICalendar(data, "todo");
    const std::vector<std::string> lines = linesOfTodo(ics, 1);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "DESCRIPTION:ok\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD" "end"),
              lines.end()) << ics;
    EXPECT_NE(toCsv(data).find("ok\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD" "end"), std::string::npos);
}

// Random records (any bytes, lengths past the record's end): every entry
// gives one VTODO and one CSV row, lines stay within 75 octets, and the
// output is valid UTF-8.
TEST(TodoExport, SurvivesRandomRecords) {
    auto validUtf8 = [](const std::string& text) {
        std::size_t i = 0;
        while (i < text.size()) {
            const auto c = static_cast<unsigned char>(text[i]);
            const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
            if (length == 0 || i + length > text.size()) return false;
            for (std::size_t k = 1; k < length; ++k)
                if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
            i += length;
        }
        return true;
    };
    std::mt19937 random(24);
    TempFolder folder;
    for (int round = 0; round < 40; ++round) {
        TodoPairBuilder pair;
        pair.addIndex(0, 0);
        const int entries = 1 + random() % 30;
        for (int n = 0; n < entries; ++n) {
            std::vector<std::uint8_t> record(random() % 400);
            for (std::uint8_t& byte : record) byte = static_cast<std::uint8_t>(random());
            pair.addRecord(record);
        }
        pair.write(folder.file("random"));
        TodoData data;
        ASSERT_TRUE(loadTodoFiles(folder.file("random.idx"), data));
        const std::string ics = toICalendar(data, "random");
        const std::string csv = toCsv(data);
        ASSERT_TRUE(validUtf8(ics));
        ASSERT_TRUE(validUtf8(csv));
        std::size_t todos = 0;
        std::size_t start = 0;
        for (std::size_t end; (end = ics.find("\r\n", start)) != std::string::npos; start = end + 2) {
            ASSERT_LE(end - start, 75u);
            if (ics.compare(start, end - start, "BEGIN:VTODO") == 0) ++todos;
        }
        EXPECT_EQ(todos, static_cast<std::size_t>(entries));
    }
}

TEST(TodoExport, FormatFollowsTheExtensionAndUidsStayTheSame) {
    EXPECT_EQ(exportFormatFor("a/b.ics"), ExportFormat::ICalendar);
    EXPECT_EQ(exportFormatFor("B.ICS"), ExportFormat::ICalendar);
    EXPECT_EQ(exportFormatFor("list.Csv"), ExportFormat::Csv);
    for (const char* other : {"list", "list.txt", "ics", "a.ics/b", "list.ics.bak"})
        EXPECT_FALSE(exportFormatFor(other).has_value()) << other;

    TempFolder folder;
    pairOf({dueOn("20000401", "a"), dueOn("20000401", "a")}).write(folder.file("todo"));
    TodoData data;
    ASSERT_TRUE(loadTodoFiles(folder.file("todo.idx"), data));
    std::string whyNot;
    ASSERT_TRUE(exportTodoFile(data, folder.file("todo.dat"), folder.file("one.ics"), whyNot)) << whyNot;
    ASSERT_TRUE(exportTodoFile(data, folder.file("todo.idx"), folder.file("two.ics"), whyNot)) << whyNot;
    EXPECT_EQ(readFile(folder.file("one.ics")), readFile(folder.file("two.ics")));
    EXPECT_NE(linesOfTodo(readFile(folder.file("one.ics")), 1)[0], linesOfTodo(readFile(folder.file("one.ics")), 2)[0]);
    struct stat status {};
    ASSERT_EQ(stat(folder.file("one.ics").c_str(), &status), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask) << "the mode of any new file, not the temporary one's";
}

TEST(TodoExport, UnwritablePlacesAreRefusedAndNothingIsLeft) {
    TempFolder folder;
    std::filesystem::create_directory(folder.file("folder"));
    TodoData data;
    for (const std::string& out : {folder.file("folder"), folder.file("none/x.ics"), std::string("/proc/x.ics"),
                                   folder.file("x.txt")}) {
        std::string whyNot;
        EXPECT_FALSE(exportTodoFile(data, "todo.idx", out, whyNot)) << out;
        EXPECT_NE(whyNot.find(out), std::string::npos) << whyNot;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.file("")), {}), 1);  // only "folder"
}

TEST(CommandLine, OptionsAndOperands) {
    using Action = CommandLine::Action;
    const struct {
        std::vector<std::string> arguments;
        Action action;
        bool windowless;
        std::string pair, out, error;
    } cases[] = {
        {{}, Action::Window, false, "", "", ""},
        {{"todo.idx"}, Action::Window, false, "todo.idx", "", ""},
        {{"--", "-odd.idx"}, Action::Window, false, "-odd.idx", "", ""},
        {{"--help"}, Action::Help, true, "", "", ""},
        {{"a.idx", "-h"}, Action::Help, true, "", "", ""},
        {{"--export", "a.idx", "b.ics"}, Action::Export, true, "a.idx", "b.ics", ""},
        {{"a.idx", "--export", "b.csv"}, Action::Export, true, "a.idx", "b.csv", ""},
        {{"--export", "a.idx"}, Action::Error, true, "", "", "--export needs a ToDo file and an output file"},
        {{"--export", "a", "b", "c"}, Action::Error, true, "", "", "--export needs a ToDo file and an output file"},
        {{"--export", "a", "b", "--bogus"}, Action::Error, true, "", "", "unknown option '--bogus'"},
        {{"--bogus"}, Action::Error, false, "", "", "unknown option '--bogus'"},
        {{"a.idx", "b.idx"}, Action::Error, false, "", "", "only one ToDo file can be opened"},
    };
    for (const auto& c : cases) {
        const CommandLine line = parseCommandLine(c.arguments);
        const std::string where = c.arguments.empty() ? "(none)" : c.arguments[0];
        EXPECT_EQ(line.action, c.action) << where;
        EXPECT_EQ(line.windowless, c.windowless) << where;
        EXPECT_EQ(line.pairPath, c.pair) << where;
        EXPECT_EQ(line.outPath, c.out) << where;
        EXPECT_EQ(line.error, c.error) << where;
    }
}

TEST(CommandLine, ExportReportsSuccessAndFailure) {
    TempFolder folder;
    pairOf({dueOn("20000401", "a")}).write(folder.file("todo"));
    std::ostringstream out, err;
    EXPECT_EQ(runExport(folder.file("todo.idx"), folder.file("todo.csv"), out, err), 0);
    EXPECT_EQ(out.str(), "notava: 1 entry written to " + folder.file("todo.csv") + "\n");
    EXPECT_EQ(err.str(), "");
    std::ostringstream out2, err2;
    EXPECT_EQ(runExport(folder.file("gone.idx"), folder.file("gone.csv"), out2, err2), 1);
    EXPECT_EQ(out2.str(), "");
    EXPECT_EQ(err2.str().rfind("notava: Cannot open \"" + folder.file("gone.idx") + "\"", 0), 0u) << err2.str();
    EXPECT_FALSE(std::filesystem::exists(folder.file("gone.csv")));
}

}  // namespace
