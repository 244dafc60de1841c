// A second banrei across TCP: one side listens, the other connects, and each
// message travels as one line. Nothing here blocks longer than asked; the
// link is plain TCP without authentication, meant for a home network.
#pragma once

#include <string>

#include "line_link.h"

constexpr std::size_t TCP_LONGEST_LINE = 255;  // a message's bytes, its line feed aside

// Splits "[ADDRESS:]PORT" (listening: loopback unless an address is named)
// or "HOST:PORT" (connecting); 0 with the reason when the text is neither.
int split_address(const std::string& text, int listening, std::string& host, std::string& port, std::string& reason);

class TcpLink {
public:
    TcpLink() : lines_(TCP_LONGEST_LINE) {}
    ~TcpLink() { close_all(); }
    TcpLink(const TcpLink&) = delete;
    TcpLink& operator=(const TcpLink&) = delete;

    // Opens the listening socket; the peer is taken when it comes.
    int listen_on(const std::string& host, const std::string& port, std::string& reason);
    // Starts connecting; the connection completes in wait_for_peer.
    int connect_to(const std::string& host, const std::string& port, std::string& reason);
    // Waits at most wait_ms for the peer to be there: 1 connected, 0 not yet,
    // -1 failed (reason). A listener takes the next peer after one went away.
    int wait_for_peer(int wait_ms, std::string& reason);
    int connected(void) const { return lines_.is_open() && !connecting_; }
    LineLink& lines(void) { return lines_; }
    void close_all(void);
    // The port actually listened on (for a listener given port 0).
    int local_port(void) const;

private:
    int listener_ = -1;
    int connecting_ = 0;
    int socket_ = -1;  // the connection, once attached to lines_
    LineLink lines_;
};
