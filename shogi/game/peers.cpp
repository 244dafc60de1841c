// Choosing the remote player from the command line: a USI engine or a
// second banrei across the network.
#include "peers.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game.h"
#include "serial.h"
#include "ztl_desktop.h"

namespace {

const char* const USAGE =
    "usage: banrei [--usi PROGRAM | --listen [ADDRESS:]PORT | --connect HOST:PORT] [--help]\n"
    "  --usi PROGRAM             a USI engine can play a side (answer r in the player choice)\n"
    "  --listen [ADDRESS:]PORT   a second banrei connects here (loopback unless ADDRESS is named)\n"
    "  --connect HOST:PORT       connect to a second banrei that listens there\n"
    "The link to a second banrei is plain TCP without authentication, meant for a home network.\n";

int chosen = 0;

// Where Debian puts game programs, searched after the PATH, which may lack it.
const char* const GAMES_FOLDER = "/usr/games";

int is_program(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

std::string configured(const char* key) {
    char value[1024] = {};
    return ztl_config_read(key, value, sizeof value) ? value : "";
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    for (std::size_t begin = 0; begin <= text.size();) {
        std::size_t end = text.find(separator, begin);
        if (end == std::string::npos) end = text.size();
        parts.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

}  // namespace

const char* app_usage(void) { return USAGE; }

void drop_peer(void) {
    quit_usi_engine();
    close_network_peer();
    serial_use_port(nullptr);
    chosen = 0;
}

int peer_chosen(void) { return chosen; }

std::string find_program(const std::string& name) {
    if (name.find('/') != std::string::npos) return is_program(name) ? name : "";
    const char* path = std::getenv("PATH");
    for (const std::string& folder : split(std::string(path != nullptr ? path : "") + ":" + GAMES_FOLDER, ':'))
        if (!folder.empty() && is_program(folder + "/" + name)) return folder + "/" + name;
    return "";
}

// The engine's extra words, options and time, from the user's settings:
//   usi/arguments  words after the program, split at spaces
//   usi/options    NAME=VALUE pairs split at ";", each sent as setoption
//   usi/go         what follows "go" (default: byoyomi of three seconds)
UsiSettings configured_usi_settings(const std::string& program) {
    UsiSettings settings;
    std::string found = find_program(program);
    settings.command = {found.empty() ? program : found};
    for (const std::string& word : split(configured("usi/arguments"), ' '))
        if (!word.empty()) settings.command.push_back(word);
    for (const std::string& option : split(configured("usi/options"), ';')) {
        std::size_t equals = option.find('=');
        if (equals != std::string::npos && equals > 0)
            settings.options.emplace_back(option.substr(0, equals), option.substr(equals + 1));
    }
    std::string go = configured("usi/go");
    if (!go.empty()) settings.go = go;
    return settings;
}

void note_peer_chosen(void) { chosen = 1; }

PeerOptions read_peer_options(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--help") == 0) {
            std::printf("%s", USAGE);
            return PEER_OPTIONS_HELP;
        }
        int usi = std::strcmp(option, "--usi") == 0;
        int listen = std::strcmp(option, "--listen") == 0;
        if (!usi && !listen && std::strcmp(option, "--connect") != 0) continue;  // not ours
        if (i + 1 >= argc) {
            std::printf("banrei: %s needs a value\n%s", option, USAGE);
            return PEER_OPTIONS_BAD;
        }
        const char* value = argv[++i];
        if (usi) {
            UsiSettings settings = configured_usi_settings(value);
            use_usi_engine(settings);
        } else if (!use_network_peer(listen, value)) {
            std::printf("banrei: %s %s: cannot be used\n%s", option, value, USAGE);
            return PEER_OPTIONS_BAD;
        }
    }
    return PEER_OPTIONS_OK;
}
