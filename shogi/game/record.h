// The game record: banrei.csa in the working directory, written line by line
// as the game is played, and read back to step through the game.
#pragma once

constexpr int MOVE_TEXT_SIZE = 16;

// 1 while the record ends exactly at the position on the board: cleared by a
// replay that does not rewrite and by a resignation, set again by a rewrite.
extern int record_matches_board;

// A fresh record (truncating any earlier one): the header naming both players.
void write_record_header(int sente_kind, int gote_kind);
// Appends text as given; 0 when the file could not be written.
int append_record_line(const char* text);
// The move text without line end, e.g. "+7776FU" or "-0055KA".
void format_move(int kind, int from, int to, int side, char buffer[MOVE_TEXT_SIZE]);
// Appends the move line and its time line in one write, so that no kill
// between the two can leave a move without its time.
void record_move(int kind, int from, int to, int side);
void append_resignation(void);

// Reads one move text for side_to_move into last_move; 1 on success.
int parse_move(const char* text);
// Resets the game and replays the record's first n moves; with rewrite the
// file is rewritten to end after them. 1 on success, 0 on failure.
int replay_record(int n, int rewrite);
// replay_record, and on failure a box telling the person why before the
// program ends.
int replay_or_explain(int n, int rewrite);
