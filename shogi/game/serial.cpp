#include "serial.h"

#include <cstring>

#include "clock.h"
#include "game.h"
#include "record.h"
#include "ztl.h"

namespace {

void send_nothing(const char*) {}
int receive_nothing(char*) { return 0; }

constexpr SerialPort DESKTOP_PORT = {send_nothing, receive_nothing};
const SerialPort* port = &DESKTOP_PORT;

int is_letter_or_digit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// What one message from the peer means for side s.
RemoteResult interpret(char buffer[SERIAL_MESSAGE_SIZE], int s) {
    buffer[SERIAL_MESSAGE_SIZE - 1] = '\0';  // a peer that fills the buffer still ends the text
    int i = 1;
    while (buffer[0] != '\0' && buffer[i] != '\0' && !is_letter_or_digit(buffer[i])) ++i;
    if (buffer[0] == '\0' || buffer[i] == '\0') return REMOTE_NOTHING;
    char sign = buffer[i - 1];
    if ((sign == '+' && s == GOTE) || (sign == '-' && s == SENTE)) return REMOTE_NOTHING;
    if (sign == '+' || sign == '-') return parse_move(buffer) ? REMOTE_MOVE : REMOTE_NOTHING;
    if (sign == '%' && std::strncmp(buffer + i, "TORYO", 5) == 0) return REMOTE_RESIGNED;
    return REMOTE_NOTHING;
}

}  // namespace

void serial_use_port(const SerialPort* p) { port = p != nullptr ? p : &DESKTOP_PORT; }

void serial_send(const char* text) { port->send(text); }

int serial_receive(char buffer[SERIAL_MESSAGE_SIZE]) { return port->receive(buffer); }

const char* serial_fault(void) { return port->fault != nullptr ? port->fault() : ""; }

RemoteResult remote_move(void) {
    char buffer[SERIAL_MESSAGE_SIZE] = {};
    int s = side_to_move;
    for (;;) {
        int received = serial_receive(buffer);
        if (received == PEER_BROKEN) return REMOTE_BROKEN;
        if (received != 0) return interpret(buffer, s);
        if (port->abandon == nullptr) return REMOTE_NOTHING;
        // The peer thinks: its clock runs, and the person may stop waiting.
        clock_tick(s);
        int code = ztl_get_key(0);
        if (code == 'q' || code == KEY_ESCAPE) {
            port->abandon();
            return code == 'q' ? REMOTE_QUIT : REMOTE_MENU;
        }
    }
}

void send_move(int kind, int from, int to, int side) {
    if (player_kind[side] == PLAYER_REMOTE || player_kind[1 - side] != PLAYER_REMOTE) return;
    char text[MOVE_TEXT_SIZE];
    format_move(kind, from, to, side, text);
    serial_send(text);
}

void send_resignation(int side) {
    if (player_kind[1 - side] == PLAYER_REMOTE) serial_send("%TORYO");
}
