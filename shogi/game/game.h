// The game front end's shared state and its frame: start-up, one game, reset.
// Everything here runs on the application thread; the engine only reads the
// live position and turn state (position.h) that this front end writes.
#pragma once

#include "position.h"

// Who plays a side; the names are written into the game record.
constexpr int PLAYER_HUMAN = 0;
constexpr int PLAYER_COMPUTER = 1;
constexpr int PLAYER_REMOTE = 2;
constexpr int PLAYER_NOBODY = 3;  // "MATTA": the side's turn opens the menu
extern const char* const PLAYER_NAMES[4];

// Input codes the game reacts to, besides printable characters.
constexpr int KEY_TAB = 0x09;
constexpr int KEY_ENTER = 0x0D;
constexpr int KEY_ESCAPE = 0x1B;
constexpr int KEY_SPACE = 0x20;
constexpr int KEY_HAND = 0xAB00;  // switches to the hand like Tab; no desktop key makes it
constexpr int PEN_DOWN = 0x201;
constexpr int PEN_UP = 0x202;
constexpr int PEN_DRAG = 0x203;

constexpr int FILE_NAME_SIZE = 256;
extern char front_end_version[16];
extern char core_version[16];
extern char record_file_name[FILE_NAME_SIZE];

extern int player_kind[2];
extern int board_cursor_column;  // 0..8 in screen orientation
extern int board_cursor_row;

// Entered by ZTL on the application thread; returns 0 after a normal end.
int app_main(int argc, char** argv);
// The command line's usage, which "--help" prints.
const char* app_usage(void);
// The initial position and a fresh turn state; the opening formations are
// chosen at the first reset of a run and kept afterwards.
void reset_game(void);
// One game, from screen set-up to teardown.
void run_game(void);
