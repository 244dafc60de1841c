// A program run as a child without a shell, its standard input and output
// on pipes; ended and reaped by its owner, so no zombie is left behind.
#pragma once

#include <string>
#include <vector>

struct ChildProcess {
    int pid = -1;
    int to_child = -1;    // the child's standard input
    int from_child = -1;  // the child's standard output
};

// Starts command[0] (looked up on the PATH) with the rest as its arguments.
// 0 with the reason when it cannot be started (missing, not executable).
int start_child(const std::vector<std::string>& command, ChildProcess& child, std::string& reason);
// 1 while the child runs (a child that ended is reaped here).
int child_running(ChildProcess& child);
// Waits up to patience_ms for the child to end by itself, then kills it;
// reaps it either way. The pipes are the caller's to close.
void end_child(ChildProcess& child, int patience_ms);
