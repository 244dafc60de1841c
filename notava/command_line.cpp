#include "command_line.h"

#include <ostream>

#include "todo_export.h"

namespace {

CommandLine failure(std::string message, bool windowless) {
    CommandLine line;
    line.action = CommandLine::Action::Error;
    line.windowless = windowless;
    line.error = std::move(message);
    return line;
}

bool asksForNoWindow(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments)
        if (argument == "--help" || argument == "-h" || argument == "--export") return true;
    return false;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    const bool windowless = asksForNoWindow(arguments);
    CommandLine line;
    line.windowless = windowless;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            operands.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (argument == "--export") {
            line.action = CommandLine::Action::Export;
        } else {
            return failure("unknown option '" + argument + "'", windowless);
        }
    }
    if (line.action == CommandLine::Action::Export) {
        if (operands.size() != 2) return failure("--export needs a ToDo file and an output file", true);
        line.pairPath = operands[0];
        line.outPath = operands[1];
        return line;
    }
    if (operands.size() > 1) return failure("only one ToDo file can be opened", windowless);
    if (!operands.empty()) line.pairPath = operands[0];
    return line;
}

std::string usageText() {
    return "Usage: notava [FILE]\n"
           "       notava --export FILE OUT\n"
           "       notava --help\n"
           "Shows the ToDo list of the Zentrio handheld: a pair of files STEM.idx and STEM.dat.\n"
           "\n"
           "  FILE               open this pair at start (either file of the pair)\n"
           "  --export FILE OUT  write the entries of FILE's pair to OUT without a window:\n"
           "                     OUT ending in .ics gives iCalendar (one VTODO per entry),\n"
           "                     .csv gives CSV with a header row; both UTF-8\n"
           "  -h, --help         show this help and exit\n";
}

int runExport(const std::string& pairPath, const std::string& outPath, std::ostream& out, std::ostream& err) {
    TodoData data;
    std::string whyNot;
    if (!loadTodoFiles(pairPath, data, whyNot) || !exportTodoFile(data, pairPath, outPath, whyNot)) {
        err << "notava: " << whyNot << "\n";
        return 1;
    }
    const int entries = std::max(data.entryCount - 1, 0);
    out << "notava: " << entries << (entries == 1 ? " entry" : " entries") << " written to " << outPath << "\n";
    return 0;
}
