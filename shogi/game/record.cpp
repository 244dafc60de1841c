#include "record.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "clock.h"
#include "display.h"
#include "flow.h"
#include "game.h"
#include "rules.h"

int record_matches_board;

namespace {

const char* const PIECE_CODES[PIECE_KINDS] = {"OU", "KI", "HI", "KA", "GI", "KE", "KY",
                                              "FU", "RY", "UM", "NG", "NK", "NY", "TO"};

// The reader takes the file in slots of at most 9 characters: a longer line
// is split over several slots, each read like a line of its own.
constexpr int SLOT_SIZE = 11;
constexpr int SLOT_READ = 9;

enum ReplayFailure { REPLAY_UNREADABLE, REPLAY_BAD_MOVE };
ReplayFailure last_failure;

void report_file_error(const char* operation) {
    std::printf("%s: %s: %s\n", operation, record_file_name, std::strerror(errno));
}

// Writes text to the record file opened with mode; 0 on failure.
int write_record(const char* mode, const char* text, std::size_t length) {
    std::FILE* file = std::fopen(record_file_name, mode);
    if (file == nullptr) {
        report_file_error("open");
        return 0;
    }
    int written = std::fwrite(text, 1, length, file) == length;
    if (std::fclose(file) != 0) written = 0;
    if (!written) report_file_error("write");
    return written;
}

std::string header_text(int sente_kind, int gote_kind) {
    std::string text = "'Players\nN+";
    text += PLAYER_NAMES[sente_kind];
    text += "\nN-";
    text += PLAYER_NAMES[gote_kind];
    text += "\n'HIRATE( normal )\nPI\n'Black\n+\n'Kifu & Time\n";
    return text;
}

int is_ascii_digit(char c) { return c >= '0' && c <= '9'; }
int is_ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Advances *p to the next character that passes the test; 0 at the end of text.
int find_next(const char** p, int (*test)(char)) {
    while (**p != '\0' && !test(**p)) ++*p;
    return **p != '\0';
}

int piece_code_kind(const char letters[3]) {
    for (int kind = 0; kind < PIECE_KINDS; ++kind)
        if (std::strcmp(PIECE_CODES[kind], letters) == 0) return kind;
    return -1;
}

// The first cell of the mover's hand that holds a piece of this kind, or -1.
int hand_cell_of_kind(int kind) {
    int base = hand_base(side_to_move);
    for (int cell = base; cell < base + HAND_SLOTS; ++cell)
        if (Board[cell] != NO_PIECE && PieceTable[Board[cell]].kind == kind) return cell;
    return -1;
}

int is_own_piece(int cell) {
    return cell >= 0 && cell < BOARD_CELLS && Board[cell] != NO_PIECE && PieceTable[Board[cell]].owner == side_to_move;
}

int square_of(int file, int rank) { return (rank - 1) * 9 + (9 - file); }

// Plays the move parse_move left in last_move, promoted exactly as the record
// writes it; a move that takes a king is refused as in play.
int play_recorded_move(int side) {
    if (refuse_king_capture(last_move.to, side)) return 0;
    execute_game_move(last_move.from, last_move.to, side, last_move.promote == 1, Board, PieceTable);
    return 1;
}

// Plays the record's slots, read one by one, up to n moves; the rewritten
// record grows in *out when given. Every slot is read however long the game.
int walk_slots(std::FILE* file, int n, std::string* out) {
    char line[SLOT_SIZE] = {};
    while (move_number <= n && std::fgets(line, SLOT_READ + 1, file) != nullptr) {
        if (line[0] == '\n' || line[0] == '\'' || !(is_ascii_digit(line[1]) || is_ascii_letter(line[1]))) continue;
        int side = side_to_move;
        if ((line[0] == '+' && side == SENTE) || (line[0] == '-' && side == GOTE)) {
            if (!parse_move(line) || !play_recorded_move(side)) {
                std::puts(line[0] == '+' ? "Black error!" : "White error!");
                return 0;
            }
            if (out != nullptr) {
                show_kifu_line(PieceTable[Board[last_move.to]].kind, last_move.from, last_move.to, side);
                *out += line;
            }
        } else if (line[0] == 'T') {
            clock_add_to_total(side, std::atoi(line + 1));
            side_to_move = 1 - side;
            move_number += 1;
            if (out != nullptr) *out += line;
        } else if (line[0] == '%') {
            break;
        }
    }
    return 1;
}

}  // namespace

void write_record_header(int sente_kind, int gote_kind) {
    std::string text = header_text(sente_kind, gote_kind);
    write_record("w+", text.data(), text.size());
    record_matches_board = 1;
}

int append_record_line(const char* text) { return write_record("a", text, std::strlen(text)); }

void format_move(int kind, int from, int to, int side, char buffer[MOVE_TEXT_SIZE]) {
    int drop = is_drop(from);
    const char text[] = {side == SENTE ? '+' : '-',
                         static_cast<char>('0' + (drop ? 0 : 9 - from % 9)),
                         static_cast<char>('0' + (drop ? 0 : from / 9 + 1)),
                         static_cast<char>('0' + 9 - to % 9),
                         static_cast<char>('0' + to / 9 + 1),
                         PIECE_CODES[kind][0],
                         PIECE_CODES[kind][1],
                         '\0'};
    std::memcpy(buffer, text, sizeof text);
}

void record_move(int kind, int from, int to, int side) {
    char move[MOVE_TEXT_SIZE];
    format_move(kind, from, to, side, move);
    char lines[MOVE_TEXT_SIZE + 24];
    std::snprintf(lines, sizeof lines, "%s\nT%d\n", move, move_time);
    append_record_line(lines);
}

void append_resignation(void) {
    append_record_line("%TORYO");
    record_matches_board = 0;
}

int parse_move(const char* text) {
    const char* p = text[0] != '\0' ? text + 1 : text;
    int digits[4];
    for (int& digit : digits) {
        if (!find_next(&p, is_ascii_digit)) return 0;
        digit = *p++ - '0';
    }
    char letters[3] = {0, 0, 0};
    for (int i = 0; i < 2; ++i) {
        if (!find_next(&p, is_ascii_letter)) return 0;
        letters[i] = *p++;
    }
    int kind = piece_code_kind(letters);
    if (kind < 0) {
        std::puts("RS232C receive error!");
        return 0;
    }
    int from;
    if (digits[0] == 0 && digits[1] == 0) {
        from = hand_cell_of_kind(kind);
        if (from < 0) {
            std::puts("A piece is not found!");
            return 0;
        }
    } else {
        from = square_of(digits[0], digits[1]);
    }
    int to = square_of(digits[2], digits[3]);
    // A move text may only move a piece of the side to move.
    if (!is_own_piece(from) || !can_move(from, to, Board, PieceTable)) {
        std::puts("Movable error!");
        return 0;
    }
    last_move = LastMove{from, to, kind > PAWN ? 1 : 0};
    return 1;
}

int replay_record(int n, int rewrite) {
    std::FILE* file = std::fopen(record_file_name, "r");
    if (file == nullptr) {
        report_file_error("open");
        last_failure = REPLAY_UNREADABLE;
        return 0;
    }
    reset_game();
    std::string rewritten;
    if (rewrite) {
        rewritten = header_text(player_kind[SENTE], player_kind[GOTE]);
        record_panel_clear();
    }
    int replayed = walk_slots(file, n, rewrite ? &rewritten : nullptr);
    int read_whole = !std::ferror(file);
    if (!read_whole) {
        report_file_error("read");
        last_failure = REPLAY_UNREADABLE;
    } else if (!replayed) {
        last_failure = REPLAY_BAD_MOVE;
    }
    std::fclose(file);
    // A record that did not replay is left as it is. The rewritten one goes to
    // disk in one write, so a kill cannot leave half of it.
    int rewritten_now = rewrite && replayed && read_whole;
    if (rewritten_now) write_record("w+", rewritten.data(), rewritten.size());
    record_matches_board = rewritten_now;
    return replayed && read_whole;
}

int replay_or_explain(int n, int rewrite) {
    if (replay_record(n, rewrite)) return 1;
    dialog(last_failure == REPLAY_UNREADABLE ? "棋譜ファイルを読めません" : "棋譜を再生できません", DIALOG_MESSAGE);
    return 0;
}
