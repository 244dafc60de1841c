// notava's command line: open a pair at start, export one without a window,
// or show the help. Plain C++, so that exporting needs no display.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

struct CommandLine {
    enum class Action { Window, Help, Export, Error };
    Action action = Action::Window;
    // True when the arguments ask for no window (--help, --export), also when
    // they are wrong: the message then needs no display either.
    bool windowless = false;
    std::string pairPath;  // the pair to open or export; may be empty for the window
    std::string outPath;   // where --export writes
    std::string error;     // for Action::Error
};

// `arguments` without the program name.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

std::string usageText();

// Exports the pair of `pairPath` to `outPath` (format by its extension);
// one line to `out` on success, a message naming the file to `err` and
// status 1 on failure.
int runExport(const std::string& pairPath, const std::string& outPath, std::ostream& out, std::ostream& err);
