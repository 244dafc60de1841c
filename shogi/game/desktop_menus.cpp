#include "desktop_menus.h"

#include "level_menu.h"
#include "peer_menu.h"

namespace {

int in_block(int code, int first) { return code >= first && code < first + MENU_CODE_BLOCK; }

void dispatch_menu_code(int code) {
    if (in_block(code, LEVEL_MENU_CODES)) choose_level(code - LEVEL_MENU_CODES);
    if (in_block(code, PEER_MENU_CODES)) choose_peer(code - PEER_MENU_CODES);
}

}  // namespace

void install_desktop_menus(void) {
    add_level_menu(LEVEL_MENU_CODES);
    add_peer_menu(PEER_MENU_CODES);
    ztl_menu_handler(dispatch_menu_code);
}
