#include "level_menu.h"

#include <iconv.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "settings.h"
#include "ztl_desktop.h"

char levels_directory[256] = "/usr/share/banrei/styles";

namespace {

const char* const MENU_TITLE = "レベル";
const char* const SIDE_LABELS[2] = {"先手 ", "後手 "};
const char* const SETTINGS_NAMES[2] = {"sente.ini", "gote.ini"};
constexpr char NAME_KEY[] = "#NAME:";
constexpr long MAX_FILE_SIZE = 1 << 20;  // a settings file is a few kilobytes

struct Level {
    int installed;
    std::string path;
};

Level levels[MAX_LEVELS];
int first_code;
int chosen_since_last_game[2];

// The whole file, or "" with *ok = 0 when it cannot be read (or is absurdly large).
std::string read_file(const std::string& path, int* ok) {
    std::string text;
    *ok = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && static_cast<long>(text.size()) <= MAX_FILE_SIZE)
        text.append(buffer, n);
    *ok = !std::ferror(f) && static_cast<long>(text.size()) <= MAX_FILE_SIZE;
    std::fclose(f);
    return text;
}

// Written beside the target and renamed over it, so that a failed write
// never leaves half a settings file.
int write_file(const std::string& path, const std::string& text) {
    std::string temporary = path + ".new";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (f == nullptr) return 0;
    int ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) std::remove(temporary.c_str());
    return ok;
}

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The text after "#NAME:" on the first line that starts with it (UTF-8).
std::string name_line(const std::string& text) {
    constexpr size_t KEY_LENGTH = sizeof NAME_KEY - 1;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (end - start >= KEY_LENGTH && text.compare(start, KEY_LENGTH, NAME_KEY) == 0)
            return trimmed(text.substr(start + KEY_LENGTH, end - start - KEY_LENGTH));
        start = end + 1;
    }
    return "";
}

// UTF-8 to the Shift-JIS bytes every ZTL text is; "" when it does not convert.
std::string to_shift_jis(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return "";
    char out[LEVEL_NAME_SIZE];
    std::string in = utf8;
    char* in_p = in.data();
    size_t in_left = in.size();
    char* out_p = out;
    size_t out_left = sizeof out - 1;
    size_t r = iconv(cd, &in_p, &in_left, &out_p, &out_left);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) return "";
    return std::string(out, static_cast<size_t>(out_p - out));
}

std::string item_text(int side, int level, const std::string& file_text) {
    std::string name = to_shift_jis(name_line(file_text));
    if (name.empty()) name = "level" + std::to_string(level + 1);
    return SIDE_LABELS[side] + std::to_string(level + 1) + " " + name;
}

int code_of(int side, int level) { return first_code + side * MAX_LEVELS + level; }

// The settings file a side's next game loads: the game's directory's, else
// the shipped one beside the styles.
std::string settings_in_use(int side, int* ok) {
    std::string text = read_file(SETTINGS_NAMES[side], ok);
    if (*ok) return text;
    return read_file(std::string(levels_directory) + "/../" + SETTINGS_NAMES[side], ok);
}

// Ticks the level named as the side's settings file is (none for a file of
// the player's own without a name).
void show_checks(int side) {
    int ok = 0;
    std::string name = name_line(settings_in_use(side, &ok));
    for (int level = 0; level < MAX_LEVELS; ++level) {
        if (!levels[level].installed) continue;
        int read = 0;
        std::string text = read_file(levels[level].path, &read);
        ztl_menu_check(code_of(side, level), ok && read && !name.empty() && name_line(text) == name);
    }
}

// A settings file that is none of the levels is the player's own: it is
// kept as sente.ini.bak (or gote.ini.bak) before a level replaces it.
int keep_own_file(int side) {
    int ok = 0;
    std::string current = read_file(SETTINGS_NAMES[side], &ok);
    if (!ok) return 1;
    for (const Level& level : levels) {
        int read = 0;
        if (level.installed && read_file(level.path, &read) == current && read) return 1;
    }
    return write_file(std::string(SETTINGS_NAMES[side]) + ".bak", current);
}

}  // namespace

void add_level_menu(int first) {
    first_code = first;
    for (int level = 0; level < MAX_LEVELS; ++level) {
        levels[level].path = std::string(levels_directory) + "/level" + std::to_string(level + 1) + ".ini";
        int ok = 0;
        std::string text = read_file(levels[level].path, &ok);
        levels[level].installed = ok;
        if (!ok) continue;
        for (int side = SENTE; side <= GOTE; ++side)
            ztl_menu_add(MENU_TITLE, item_text(side, level, text).c_str(), code_of(side, level));
    }
    for (int side = SENTE; side <= GOTE; ++side) show_checks(side);
}

void choose_level(int index) {
    if (index < 0 || index >= 2 * MAX_LEVELS) return;
    int side = index / MAX_LEVELS;
    const Level& level = levels[index % MAX_LEVELS];
    if (!level.installed) return;
    int ok = 0;
    std::string text = read_file(level.path, &ok);
    if (!ok || !keep_own_file(side) || !write_file(SETTINGS_NAMES[side], text)) {
        std::printf("%s: level not written\n", SETTINGS_NAMES[side]);
        return;
    }
    chosen_since_last_game[side] = 1;
    show_checks(side);
}

void load_chosen_levels(void) {
    for (int side = SENTE; side <= GOTE; ++side) {
        if (!chosen_since_last_game[side]) continue;
        chosen_since_last_game[side] = 0;
        EngineSettings before = engine_settings[side];
        char path_before[SETTINGS_PATH_SIZE];
        std::memcpy(path_before, settings_path[side], sizeof path_before);
        // As at start-up: a zeroed record, the bare name in the game's directory.
        engine_settings[side] = EngineSettings{};
        std::snprintf(settings_path[side], SETTINGS_PATH_SIZE, "%s", SETTINGS_NAMES[side]);
        if (load_engine_settings(side)) continue;
        engine_settings[side] = before;
        std::memcpy(settings_path[side], path_before, sizeof path_before);
    }
}
