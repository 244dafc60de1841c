// The game's menus in the desktop window's menu bar. Each menu owns a block
// of menu codes; one handler hands every chosen code to the menu it belongs to.
#pragma once

#include "ztl_desktop.h"

constexpr int MENU_CODE_BLOCK = 0x100;                                  // codes per menu
constexpr int LEVEL_MENU_CODES = ZTL_MENU_CODE_BASE;                   // the level menu (level_menu.h)
constexpr int PEER_MENU_CODES = ZTL_MENU_CODE_BASE + MENU_CODE_BLOCK;  // the opponent menu (peer_menu.h)

// Adds every menu and registers the handler; after ztl_init.
void install_desktop_menus(void);
