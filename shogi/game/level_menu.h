// The level menu: the installed levels (styles named level1.ini, level2.ini,
// ...) for sente and for gote, each under the name its "#NAME:" line gives.
// Choosing one copies its file into the game's directory as sente.ini or
// gote.ini, the files the game loads, and the next new game loads it; the
// check marks show which level each side's file is now, by its name.
#pragma once

constexpr int MAX_LEVELS = 9;          // level1.ini .. level9.ini
constexpr int LEVEL_NAME_SIZE = 64;    // Shift-JIS bytes of a level's name
extern char levels_directory[256];     // where the levels are installed

// Finds the installed levels and adds their items with codes from first_code on.
void add_level_menu(int first_code);
// The item `index` (side * MAX_LEVELS + level - 1) was chosen.
void choose_level(int index);
// Before a new game: loads the file of each side whose level was chosen
// since; a file that does not load leaves that side's settings as they were.
void load_chosen_levels(void);
