// The link to a remote player: CSA move texts and "%TORYO" as messages. The
// port itself is a seam; the desktop build has none, so sending does nothing
// and nothing is ever received, unless a peer (a USI engine, a second banrei
// across the network) is plugged in.
#pragma once

constexpr int SERIAL_MESSAGE_SIZE = 256;
constexpr int PEER_BROKEN = -1;  // receive: the peer is gone or failed; its fault says why

struct SerialPort {
    void (*send)(const char* text);
    // Places the next message, NUL-terminated, into buffer and returns 1; 0
    // when none waits; PEER_BROKEN when none will come.
    int (*receive)(char buffer[SERIAL_MESSAGE_SIZE]);
    // Set for a peer that answers in its own time: its turn waits for it in
    // short slices (receive may block for one slice), and this is called when
    // the person stops waiting, so that the peer's late answer is dropped.
    void (*abandon)(void) = nullptr;
    // Why the peer broke, for the person; set when receive can say PEER_BROKEN.
    const char* (*fault)(void) = nullptr;
};

// What the peer's turn brought.
enum RemoteResult {
    REMOTE_NOTHING = 0,  // no usable move: the menu opens
    REMOTE_MOVE = 1,     // last_move holds the peer's move
    REMOTE_RESIGNED,     // the peer resigned
    REMOTE_BROKEN,       // the peer went away or failed; serial_fault() says why
    REMOTE_MENU,         // the person asked for the menu while waiting
    REMOTE_QUIT,         // the person asked to quit while waiting
};

// Plugs a port in; null goes back to the desktop's empty one.
void serial_use_port(const SerialPort* port);
void serial_send(const char* text);
int serial_receive(char buffer[SERIAL_MESSAGE_SIZE]);
// The reason of the last REMOTE_BROKEN, for the person.
const char* serial_fault(void);

// Waits for the peer's message for side_to_move (keeping its clock and the
// window live when the peer takes its time) and says what it brought.
RemoteResult remote_move(void);
// Sends a move just executed by the local side when the other side is the peer.
void send_move(int kind, int from, int to, int side);
// Sends "%TORYO" when side resigns and the other side is the peer.
void send_resignation(int side);
