#include "gnushogi_player.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>

#include "position.h"

namespace {

const char* const PROGRAM = "/usr/games/gnushogi";

// "12. 7g7f" echoes a move it accepted, "12. ... 3c3d" is its own; the
// number may follow a prompt on the same line.
const std::regex MOVE_LINE(R"((\d+)\. (\.\.\. )?([1-9][a-i][1-9][a-i]\+?|[PLNSGBR]\*[1-9][a-i]))");

}  // namespace

GnuShogi::~GnuShogi() { stop(); }

void GnuShogi::stop(void) {
    if (pid_ <= 0) return;
    send("quit\n");
    close(to_);
    close(from_);
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

void GnuShogi::send(const std::string& text) {
    ssize_t written = write(to_, text.data(), text.size());
    (void)written;  // a dead program shows as silence on the next read
}

int GnuShogi::read_line(std::string& line) {
    for (;;) {
        size_t end = buffer_.find('\n');
        if (end != std::string::npos) {
            line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return 1;
        }
        pollfd p{from_, POLLIN, 0};
        if (poll(&p, 1, 1000 * limits_.answer_seconds) <= 0) return 0;
        char chunk[512];
        ssize_t n = read(from_, chunk, sizeof chunk);
        if (n <= 0) return 0;
        buffer_.append(chunk, static_cast<size_t>(n));
    }
}

GnuShogi::Reply GnuShogi::read_reply(std::string& token, std::string& reason) {
    std::string line;
    while (read_line(line)) {
        std::smatch m;
        if (line.find("Illegal move") != std::string::npos) {
            reason = "refused: " + line;
            winner_ = opponent(engine_side_);
            return REFUSED;
        }
        if (line.find("mates!") != std::string::npos) {
            int its_win = line.find("Computer") != std::string::npos ||
                          line.find(engine_side_ == SENTE ? "White" : "Black") != std::string::npos;
            winner_ = its_win ? opponent(engine_side_) : engine_side_;
            reason = line;
            return ENDED;
        }
        if (line.find("Resigns") != std::string::npos) {
            winner_ = engine_side_;
            reason = "it resigned";
            return ENDED;
        }
        if (line.find("Drawn") != std::string::npos || line.find("Repetition") != std::string::npos) {
            winner_ = -1;
            reason = line;
            return ENDED;
        }
        if (std::regex_search(line, m, MOVE_LINE)) {
            token = m[3];
            return m[2].matched ? ITS_MOVE : ECHO;
        }
    }
    winner_ = -1;
    reason = "no answer";
    return SILENT;
}

int GnuShogi::start_game(int engine_side, std::string& reason) {
    stop();
    engine_side_ = engine_side;
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) {
        reason = "no pipe";
        return 0;
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(out[1], 2);
        close(in[1]);
        close(out[0]);
        execl(PROGRAM, PROGRAM, static_cast<char*>(nullptr));
        std::perror(PROGRAM);
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to_ = in[1];
    from_ = out[0];
    buffer_.clear();
    send("new\n");
    // "level 0 M:SS" is a fixed time per move. A time given on the command
    // line does not hold: "new" brings back a five-minute game clock.
    if (limits_.seconds > 0) {
        char level[48];
        std::snprintf(level, sizeof level, "level 0 %d:%02d\n", limits_.seconds / 60, limits_.seconds % 60);
        send(level);
    }
    if (limits_.depth > 0) send("depth\n" + std::to_string(limits_.depth) + "\n");
    if (limits_.randomised) send("random\n");
    if (engine_side == GOTE) send("go\n");
    return 1;
}

int GnuShogi::tell_move(const PlayedMove& move, std::string& reason) {
    send(move_text(move) + "\n");
    std::string token;
    return read_reply(token, reason) == ECHO;
}

int GnuShogi::ask_move(PlayedMove& move, std::string& reason) {
    std::string token;
    for (;;) {
        Reply r = read_reply(token, reason);
        if (r == ECHO) continue;
        if (r != ITS_MOVE) return 0;
        if (parse_move_text(token, opponent(engine_side_), move)) return 1;
        reason = "its move " + token + " is not a move here";
        winner_ = -1;
        return 0;
    }
}

int GnuShogi::winner_of_end(int) const { return winner_; }
