#include "line_link.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace {

constexpr int WRITE_PATIENCE_MS = 2000;  // a peer that reads nothing for this long is gone

int is_socket(int fd) {
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISSOCK(info.st_mode);
}

// Writes all of text; sockets refuse SIGPIPE per call, and the pipes' writer
// ignores it process-wide (the peer process module does that).
int write_all(int fd, const char* text, std::size_t length) {
    int socket = is_socket(fd);
    while (length > 0) {
        ssize_t n = socket ? send(fd, text, length, MSG_NOSIGNAL) : write(fd, text, length);
        if (n > 0) {
            text += n;
            length -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        pollfd p{fd, POLLOUT, 0};
        if (n < 0 && errno == EAGAIN && poll(&p, 1, WRITE_PATIENCE_MS) == 1 && !(p.revents & (POLLERR | POLLHUP)))
            continue;
        return 0;
    }
    return 1;
}

}  // namespace

void LineLink::attach(int read_fd, int write_fd) {
    close_link();
    in_ = read_fd;
    out_ = write_fd;
    fcntl(in_, F_SETFL, fcntl(in_, F_GETFL) | O_NONBLOCK);
    fcntl(out_, F_SETFL, fcntl(out_, F_GETFL) | O_NONBLOCK);
}

void LineLink::close_link(void) {
    if (out_ >= 0 && out_ != in_) close(out_);
    if (in_ >= 0) close(in_);
    in_ = out_ = -1;
    buffer_.clear();
    partial_ = 0;
    discarding_ = dropped_ = closed_ = 0;
}

int LineLink::send_line(const std::string& text) {
    if (out_ < 0) return 0;
    std::string line = text + "\n";
    return write_all(out_, line.data(), line.size());
}

int LineLink::take_line(std::string& line) {
    std::size_t end = buffer_.find('\n');
    if (end == std::string::npos) return 0;
    line.assign(buffer_, 0, end);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    buffer_.erase(0, end + 1);
    return 1;
}

// Reads what has arrived into the buffer, waiting at most wait_ms for the
// first byte; an over-long line is dropped as it comes. 1 when bytes came,
// 0 when none, -1 when the peer closed its end.
int LineLink::fill(int wait_ms) {
    pollfd p{in_, POLLIN, 0};
    if (poll(&p, 1, wait_ms) <= 0) return 0;
    char chunk[4096];
    ssize_t n = read(in_, chunk, sizeof chunk);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
    if (n <= 0) return -1;
    for (ssize_t i = 0; i < n; ++i) {
        char c = chunk[i];
        if (discarding_) {
            discarding_ = c != '\n';
        } else if (c == '\n') {
            buffer_ += c;
            partial_ = 0;
        } else if (partial_ == longest_) {
            buffer_.erase(buffer_.size() - partial_);
            partial_ = 0;
            discarding_ = 1;
            dropped_ = 1;
        } else {
            buffer_ += c;
            ++partial_;
        }
    }
    return 1;
}

LineStatus LineLink::read_line(std::string& line, int wait_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
    for (;;) {
        if (take_line(line)) return LINE_READ;
        if (dropped_) {
            dropped_ = 0;
            return LINE_TOO_LONG;
        }
        if (in_ < 0 || closed_) return LINE_CLOSED;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        int wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        int got = fill(wait);
        if (got < 0) closed_ = 1;
        if (got == 0 && wait == 0) return LINE_NONE;
    }
}
