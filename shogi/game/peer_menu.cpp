#include "peer_menu.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "peers.h"
#include "ztl_desktop.h"

namespace {

const char* const MENU_TITLE = "対局相手";
const char* const ITEM_TEXTS[PEER_ITEMS] = {
    "なし（人とコンピュータ）", "fairy-stockfish", "gpsusi", "USIエンジンを選ぶ...", "ネットワークで待つ...",
    "ネットワークで接続する...",
};
const char* const ENGINES_BY_NAME[PEER_ITEMS] = {nullptr, "fairy-stockfish", "gpsusi"};

// The remembered choice: its kind ("usi", "listen", "connect" or "none") and
// the program or address it needs.
const char* const KIND_KEY = "peer/kind";
const char* const PROGRAM_KEY = "peer/program";
const char* const ADDRESS_KEY = "peer/address";
constexpr int SETTING_SIZE = 1024;

int first_menu_code = -1;

std::string remembered(const char* key) {
    char value[SETTING_SIZE] = {};
    return ztl_config_read(key, value, sizeof value) ? value : "";
}

void check_only(int item) {
    for (int i = 0; i < PEER_ITEMS; ++i) ztl_menu_check(first_menu_code + i, i == item);
}

int item_of_program(const std::string& program) {
    for (int i = 0; i < PEER_ITEMS; ++i)
        if (ENGINES_BY_NAME[i] != nullptr && program == ENGINES_BY_NAME[i]) return i;
    return PEER_ITEM_ENGINE_FILE;
}

// Plays with the engine program and remembers it; the menu shows the choice.
void choose_engine(const std::string& program) {
    drop_peer();
    use_usi_engine(configured_usi_settings(program));
    ztl_config_write(KIND_KEY, "usi");
    ztl_config_write(PROGRAM_KEY, program.c_str());
    check_only(item_of_program(program));
}

void choose_network(int listen, const std::string& address) {
    drop_peer();
    if (!use_network_peer(listen, address)) {
        check_only(PEER_ITEM_NONE);
        return;
    }
    ztl_config_write(KIND_KEY, listen ? "listen" : "connect");
    ztl_config_write(ADDRESS_KEY, address.c_str());
    check_only(listen ? PEER_ITEM_LISTEN : PEER_ITEM_CONNECT);
}

void ask_network(int listen) {
    std::string proposal = remembered(ADDRESS_KEY);
    if (proposal.empty()) proposal = listen ? "4081" : "localhost:4081";
    char text[SETTING_SIZE];
    std::snprintf(text, sizeof text, "%s", proposal.c_str());
    const char* label = listen ? "待ち受けるポート（[アドレス:]ポート）" : "接続先（ホスト:ポート）";
    if (ztl_ask_text(MENU_TITLE, label, text, sizeof text)) choose_network(listen, text);
}

void restore_remembered_peer(void) {
    std::string kind = remembered(KIND_KEY);
    if (kind == "usi" && !remembered(PROGRAM_KEY).empty()) {
        choose_engine(remembered(PROGRAM_KEY));
    } else if ((kind == "listen" || kind == "connect") && !remembered(ADDRESS_KEY).empty()) {
        choose_network(kind == "listen", remembered(ADDRESS_KEY));
    } else {
        check_only(PEER_ITEM_NONE);
    }
}

}  // namespace

void add_peer_menu(int first_code) {
    first_menu_code = first_code;
    for (int item = 0; item < PEER_ITEMS; ++item) {
        // Engines by name only when they are installed.
        if (ENGINES_BY_NAME[item] != nullptr && find_program(ENGINES_BY_NAME[item]).empty()) continue;
        ztl_menu_add(MENU_TITLE, ITEM_TEXTS[item], first_code + item);
    }
    if (!peer_chosen()) restore_remembered_peer();
}

void choose_peer(int item) {
    char path[SETTING_SIZE] = {};
    switch (item) {
        case PEER_ITEM_NONE:
            drop_peer();
            ztl_config_write(KIND_KEY, "none");
            check_only(PEER_ITEM_NONE);
            break;
        case PEER_ITEM_FAIRY_STOCKFISH:
        case PEER_ITEM_GPSUSI:
            choose_engine(ENGINES_BY_NAME[item]);
            break;
        case PEER_ITEM_ENGINE_FILE:
            if (ztl_choose_file("USIエンジン", path, sizeof path)) choose_engine(path);
            break;
        case PEER_ITEM_LISTEN:
        case PEER_ITEM_CONNECT:
            ask_network(item == PEER_ITEM_LISTEN);
            break;
        default:
            break;
    }
}
