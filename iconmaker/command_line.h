// iconmaker without a window: --convert turns pictures into icons (and icons
// into PNG pictures to look at), one line a file, for scripts and folders of icons.
#pragma once

#include <QStringList>
#include <QTextStream>

// True when the arguments (without the program name) ask for the command line
// rather than the window.
bool wantsCommandLine(const QStringList& arguments);

// Runs the command line; the exit status: 0 when every file was converted,
// 1 when any was refused, 2 for a command line that cannot be followed.
int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err);
