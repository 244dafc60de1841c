// A person's move, by keys or pen: pick a piece on the board or in hand, then
// point at the destination; only moves that can_move accepts are entered.
#pragma once

// 1: the move is in last_move (promote flag 0; the question comes later);
// 0: the person quits; 2: the menu is wanted.
int human_move(void);
