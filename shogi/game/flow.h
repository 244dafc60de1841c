// The referee: whose turn it is, where the move comes from, executing it on
// the live position, promotion, the end of a game, the menu and the dialogs.
#pragma once

constexpr int DIALOG_MESSAGE = 0;       // closed by any key or a pen touch
constexpr int DIALOG_YES_NO = 1;        // [Yes]/[No] buttons report 'y' / 'n'
constexpr int DIALOG_HUMAN_COMPUTER = 2;  // [Human]/[Computer] buttons report 'h' / 'c'
constexpr int DIALOG_HUMAN_COMPUTER_REMOTE = 3;  // and a third line, [Remote], reporting 'r'

// Plays or handles one turn of side_to_move; 0 ends the program.
int turn_step(void);
// Executes a move on the live position, asking the mover's source whether to
// promote where it may; 0 when it would take a king (refused, with the win message).
int play_move(int from, int to, int side, int promote);
// 1 when a move to `to` would take a king: the move is refused and the
// winner announced.
int refuse_king_capture(int to, int side);
// A modal box centred on the board; returns the code that closed it, 0 when
// it does not fit the screen.
int dialog(const char* text, int mode);
// 1 go on with the game, 0 end the program.
int show_menu(void);
// 1 when both sides were chosen; 0 when cancelled, player_kind unchanged.
int choose_players(void);
void resign(int side);

// Waits for the next input code for at most a tenth of a second; -1 if none.
// Used where the game polls in a loop, so that waiting does not spin a core.
int poll_input(void);
