#include "serial.h"

#include <cstring>

#include "flow.h"
#include "game.h"
#include "record.h"

namespace {

void send_nothing(const char*) {}
int receive_nothing(char*) { return 0; }

constexpr SerialPort DESKTOP_PORT = {send_nothing, receive_nothing};
const SerialPort* port = &DESKTOP_PORT;

int is_letter_or_digit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

void serial_use_port(const SerialPort* p) { port = p != nullptr ? p : &DESKTOP_PORT; }

void serial_send(const char* text) { port->send(text); }

int serial_receive(char buffer[SERIAL_MESSAGE_SIZE]) { return port->receive(buffer); }

int remote_move(void) {
    char buffer[SERIAL_MESSAGE_SIZE] = {};
    if (!serial_receive(buffer)) return 0;
    buffer[SERIAL_MESSAGE_SIZE - 1] = '\0';  // a peer that fills the buffer still ends the text
    int s = side_to_move;
    int i = 1;
    while (buffer[0] != '\0' && buffer[i] != '\0' && !is_letter_or_digit(buffer[i])) ++i;
    if (buffer[0] == '\0' || buffer[i] == '\0') return 0;
    char sign = buffer[i - 1];
    if ((sign == '+' && s == GOTE) || (sign == '-' && s == SENTE)) return 0;
    if (sign == '+' || sign == '-') return parse_move(buffer);
    if (sign == '%' && std::strncmp(buffer + i, "TORYO", 5) == 0) resign(s);
    return 0;
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
