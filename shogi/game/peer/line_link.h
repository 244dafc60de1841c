// One line-oriented conversation with a peer over file descriptors (a child's
// pipes or a socket): lines go out whole, lines come in without blocking
// longer than asked, and an endless line costs no more memory than the limit.
#pragma once

#include <string>

enum LineStatus {
    LINE_READ,      // a whole line, without its end
    LINE_NONE,      // nothing whole within the wait
    LINE_TOO_LONG,  // a line over the limit arrived and was thrown away
    LINE_CLOSED,    // the peer closed its end, or the link is not open
};

class LineLink {
public:
    explicit LineLink(std::size_t longest_line) : longest_(longest_line) {}
    ~LineLink() { close_link(); }
    LineLink(const LineLink&) = delete;
    LineLink& operator=(const LineLink&) = delete;

    // Takes both descriptors (the same one for a socket) and makes reading non-blocking.
    void attach(int read_fd, int write_fd);
    void close_link(void);
    int is_open(void) const { return in_ >= 0; }

    // Sends text and a line feed; 0 when the peer is gone (never a SIGPIPE).
    int send_line(const std::string& text);
    // Waits at most wait_ms (0: only what has arrived) for the next line.
    LineStatus read_line(std::string& line, int wait_ms);

private:
    int take_line(std::string& line);
    int fill(int wait_ms);

    std::size_t longest_;
    int in_ = -1;
    int out_ = -1;
    std::string buffer_;
    std::size_t partial_ = 0;  // bytes of the unfinished last line in the buffer
    int discarding_ = 0;       // inside a line over the limit, until its end
    int dropped_ = 0;          // a line over the limit was thrown away, not yet told
    int closed_ = 0;           // the peer's end is closed; what is buffered may still be read
};
