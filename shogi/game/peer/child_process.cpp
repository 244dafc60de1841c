#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstring>

extern char** environ;

namespace {

void close_pair(int fds[2]) {
    close(fds[0]);
    close(fds[1]);
}

// The parent writes to children that may die: a broken pipe must give an
// error, not end the game. The child gets the default action back.
void ignore_broken_pipes(void) { signal(SIGPIPE, SIG_IGN); }

}  // namespace

int start_child(const std::vector<std::string>& command, ChildProcess& child, std::string& reason) {
    if (command.empty() || command[0].empty()) {
        reason = "no program named";
        return 0;
    }
    ignore_broken_pipes();
    int to[2], from[2];
    if (pipe2(to, O_CLOEXEC) != 0) {
        reason = std::strerror(errno);
        return 0;
    }
    if (pipe2(from, O_CLOEXEC) != 0) {
        reason = std::strerror(errno);
        close_pair(to);
        return 0;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, to[0], 0);
    posix_spawn_file_actions_adddup2(&actions, from[1], 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    int error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(to[0]);
    close(from[1]);
    if (error != 0) {
        reason = command[0] + ": " + std::strerror(error);
        close(to[1]);
        close(from[0]);
        return 0;
    }
    child = ChildProcess{pid, to[1], from[0]};
    return 1;
}

int child_running(ChildProcess& child) {
    if (child.pid <= 0) return 0;
    if (waitpid(child.pid, nullptr, WNOHANG) == 0) return 1;
    child.pid = -1;
    return 0;
}

void end_child(ChildProcess& child, int patience_ms) {
    for (int waited = 0; child_running(child) && waited < patience_ms; waited += 10) {
        timespec pause{0, 10 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    if (child.pid <= 0) return;
    kill(child.pid, SIGKILL);
    waitpid(child.pid, nullptr, 0);
    child.pid = -1;
}
