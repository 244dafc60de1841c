// A second banrei behind the serial seam: each message one line over TCP.
// A listener takes the next connection after its peer went away, a
// connecting side connects again at the peer's next turn.
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

#include "peers.h"
#include "serial.h"
#include "tcp_link.h"

namespace {

constexpr std::size_t MOST_UNSENT = 64;  // moves made before the peer connected

TcpLink link;
int listening = 0;
std::string host, port;
std::deque<std::string> unsent;
const char* fault_text = "";

int broken(const char* screen_text, const std::string& reason) {
    std::printf("%s\n", reason.c_str());
    std::fflush(stdout);
    fault_text = screen_text;
    return PEER_BROKEN;
}

int open_link(std::string& reason) {
    return listening ? link.listen_on(host, port, reason) : link.connect_to(host, port, reason);
}

void flush_unsent(void) {
    while (!unsent.empty() && link.connected() && link.lines().send_line(unsent.front())) unsent.pop_front();
}

void tcp_send(const char* text) {
    if (unsent.size() < MOST_UNSENT) unsent.push_back(text);
    flush_unsent();
}

int tcp_receive(char buffer[SERIAL_MESSAGE_SIZE]) {
    std::string reason;
    if (!link.connected()) {
        int ready = link.wait_for_peer(PEER_SLICE_MS, reason);
        if (ready < 0 && !listening && open_link(reason)) ready = link.wait_for_peer(PEER_SLICE_MS, reason);
        if (ready < 0) return broken("対局相手に接続できません", "The network peer: " + reason);
        if (ready == 0) return 0;
        flush_unsent();
    }
    std::string line;
    switch (link.lines().read_line(line, PEER_SLICE_MS)) {
        case LINE_READ:
            std::snprintf(buffer, SERIAL_MESSAGE_SIZE, "%s", line.c_str());
            return 1;
        case LINE_TOO_LONG:
            std::printf("The network peer sent a line of more than %zu bytes.\n", TCP_LONGEST_LINE);
            buffer[0] = '\0';  // no message: answered like any bad one
            return 1;
        case LINE_CLOSED:
            link.lines().close_link();
            return broken("対局相手が切断しました", "The network peer has gone away.");
        default:
            return 0;
    }
}

// A friend's move that comes after the person stopped waiting is kept: it is
// read at the peer's next turn.
void tcp_abandon(void) {}

const char* tcp_fault(void) { return fault_text; }

const SerialPort TCP_PORT = {tcp_send, tcp_receive, tcp_abandon, tcp_fault};

}  // namespace

int use_network_peer(int listen, const std::string& address) {
    std::string reason;
    listening = listen;
    unsent.clear();
    if (!split_address(address, listen, host, port, reason) || !open_link(reason)) {
        std::printf("%s\n", reason.c_str());
        return 0;
    }
    serial_use_port(&TCP_PORT);
    note_peer_chosen();
    return 1;
}

void close_network_peer(void) {
    link.close_all();
    unsent.clear();
}

int network_peer_port(void) { return link.local_port(); }
