// The link to a remote player: CSA move texts and "%TORYO" as messages. The
// port itself is a seam; the desktop build has none, so sending does nothing
// and nothing is ever received.
#pragma once

constexpr int SERIAL_MESSAGE_SIZE = 256;

struct SerialPort {
    void (*send)(const char* text);
    // Places the next message, NUL-terminated, into buffer; 0 when none waits.
    int (*receive)(char buffer[SERIAL_MESSAGE_SIZE]);
};

// Plugs a port in; null goes back to the desktop's empty one.
void serial_use_port(const SerialPort* port);
void serial_send(const char* text);
int serial_receive(char buffer[SERIAL_MESSAGE_SIZE]);

// The peer's move for side_to_move into last_move; 0 when there is no usable move.
int remote_move(void);
// Sends a move just executed by the local side when the other side is the peer.
void send_move(int kind, int from, int to, int side);
// Sends "%TORYO" when side resigns and the other side is the peer.
void send_resignation(int side);
