#include "settings.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

EngineSettings engine_settings[2];
char settings_path[2][SETTINGS_PATH_SIZE] = {"sente.ini", "gote.ini"};

Side engine_side;
Side engine_opponent;
int engine_hand_cell;
int opponent_hand_cell;
int game_phase;
int width[2];
int depth_limit[2];

namespace {

const char* const BARE_NAMES[2] = {"sente.ini", "gote.ini"};
const char* const FALLBACK_DIRECTORY = "/usr/share/banrei";
constexpr int LINE_SIZE = 256;
constexpr char FORMATION_PREFIX[] = "FORMATION_";
constexpr int FORMATION_PREFIX_LENGTH = sizeof FORMATION_PREFIX - 1;
constexpr int FORMATION_ENTRIES = 20;  // written in the file; 20..39 are mirrored

// Keys with one plain value, in the order they are tried. The value keys run
// in piece-kind order (the crossed BISHOP:/ROOK: names included).
const char* const PLAIN_KEYS[] = {
    "DEPTH_MAX:",          "SASITE_MAX:",
    "Sef_JOBAN_coefA:",    "Sef_JOBAN_coefB:",     "Sef_JOBAN_coefC:",
    "Sef_CHUBAN_coefA:",   "Sef_CHUBAN_coefB:",    "Sef_CHUBAN_coefC:",
    "Sef_SHUBAN_coefA:",   "Sef_SHUBAN_coefB:",    "Sef_SHUBAN_coefC:",
    "Tef_JOBAN_coefA:",    "Tef_JOBAN_coefB:",     "Tef_JOBAN_coefC:",
    "Tef_CHUBAN_coefA:",   "Tef_CHUBAN_coefB:",    "Tef_CHUBAN_coefC:",
    "Tef_SHUBAN_coefA:",   "Tef_SHUBAN_coefB:",    "Tef_SHUBAN_coefC:",
    "KING:",   "GOLD:",   "BISHOP:",   "ROOK:",   "SILVER:",   "KNIGHT:",   "LANCE:",
    "PAWN:",   "ReBISHOP:", "ReROOK:", "ReSILVER:", "ReKNIGHT:", "ReLANCE:", "RePAWN:",
    "RAND_MAX:",           "NUMBER_OF_FORMATION:", "FORMATION:",
    "NODE_MAX:",           "TIME_MAX:",            "QUIESCE_MAX:",  "KING_SAFETY:",
};
constexpr int PLAIN_KEY_COUNT = sizeof PLAIN_KEYS / sizeof PLAIN_KEYS[0];
constexpr int KEY_SEF = 2;
constexpr int KEY_TEF = KEY_SEF + SCORED_PHASES * 3;
constexpr int KEY_VALUE = KEY_TEF + SCORED_PHASES * 3;
constexpr int KEY_RAND_MAX = KEY_VALUE + PIECE_KINDS;
constexpr int KEY_FORMATION_COUNT = KEY_RAND_MAX + 1;
constexpr int KEY_FORMATION = KEY_FORMATION_COUNT + 1;
constexpr int KEY_NODE_MAX = KEY_FORMATION + 1;
constexpr int KEY_TIME_MAX = KEY_NODE_MAX + 1;
constexpr int KEY_QUIESCE_MAX = KEY_TIME_MAX + 1;
constexpr int KEY_KING_SAFETY = KEY_QUIESCE_MAX + 1;
static_assert(KEY_KING_SAFETY + 1 == PLAIN_KEY_COUNT);

int* plain_field(EngineSettings* es, int key) {
    if (key == 0) return &es->depth;
    if (key == 1) return &es->width;
    if (key < KEY_TEF) return &es->sef[(key - KEY_SEF) / 3][(key - KEY_SEF) % 3];
    if (key < KEY_VALUE) return &es->tef[(key - KEY_TEF) / 3][(key - KEY_TEF) % 3];
    if (key < KEY_RAND_MAX) return &es->value[key - KEY_VALUE];
    if (key == KEY_RAND_MAX) return &es->random_range;
    if (key == KEY_FORMATION_COUNT) return &es->formation_count;
    if (key == KEY_FORMATION) return &es->formation;
    if (key == KEY_NODE_MAX) return &es->node_budget;
    if (key == KEY_TIME_MAX) return &es->time_budget;
    if (key == KEY_QUIESCE_MAX) return &es->quiescence;
    return &es->king_safety;
}

// Decimal integer with optional sign; stops at the first non-digit, no digits
// give 0. Saturates at the int range instead of overflowing.
int parse_int(const char* text) {
    int negative = 0;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    long long magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > 2147483648LL) magnitude = 2147483648LL;
    }
    long long v = negative ? -magnitude : magnitude;
    if (v > INT_MAX) v = INT_MAX;
    return static_cast<int>(v);
}

int has_mark(const char* line, char mark) { return std::strchr(line, mark) != nullptr; }

// The number after the first `mark` of the line and any spaces and tabs;
// 0 when the line has no such mark.
int value_after(const char* line, char mark) {
    const char* p = std::strchr(line, mark);
    if (p == nullptr) return 0;
    ++p;
    while (*p == ' ' || *p == '\t') ++p;
    return parse_int(p);
}

void store_plain(EngineSettings* es, int key, int value) {
    if (key == KEY_RAND_MAX) {
        // Stored plus one so that 0 can mean "no random term".
        es->random_range = value == INT_MAX ? INT_MAX : value + 1;
    } else if (key == KEY_FORMATION) {
        es->formation = value >= es->formation_count ? 0 : value;
    } else {
        *plain_field(es, key) = value;
    }
}

int find_plain_key(const char* line) {
    for (int key = 0; key < PLAIN_KEY_COUNT; ++key)
        if (std::strncmp(line, PLAIN_KEYS[key], std::strlen(PLAIN_KEYS[key])) == 0) return key;
    return -1;
}

int is_digit(char c) { return c >= '0' && c <= '9'; }

// The formation and entry that a FORMATION_ line names in its first 14
// characters, "FORMATION_%1d_%02d" (FORMATION_3_07: formation 3, entry 7);
// 0 when they are not of that shape. Whatever follows them does not count.
int formation_key(const char* line, int* formation, int* entry) {
    const char* digits = line + FORMATION_PREFIX_LENGTH;
    if (!is_digit(digits[0]) || digits[1] != '_' || !is_digit(digits[2]) || !is_digit(digits[3])) return 0;
    *formation = digits[0] - '0';
    *entry = 10 * (digits[2] - '0') + (digits[3] - '0');
    return 1;
}

// A FORMATION_ line: 1 when read or ignored, 0 when it names an entry but lacks
// the ':' before its target or the ',' before its weight (then it is rejected
// like an unknown line rather than guessed at). Only formations below the count
// read so far, and below the table's size, are named.
int read_formation_line(EngineSettings* es, const char* line) {
    int count = es->formation_count < MAX_FORMATIONS ? es->formation_count : MAX_FORMATIONS;
    int i, jj;
    if (!formation_key(line, &i, &jj) || i >= count || jj >= FORMATION_ENTRIES) return 1;
    if (!has_mark(line, ',') || !has_mark(line, ':')) return 0;
    int weight = value_after(line, ',');
    int target = value_after(line, ':');
    signed char a = static_cast<signed char>(target);
    signed char b = static_cast<signed char>(weight);
    es->formations[i][jj] = FormationEntry{a, b};
    es->formations[i][jj + FORMATION_ENTRIES] = FormationEntry{static_cast<signed char>(80 - a), b};
    return 1;
}

// 1 when the line was understood (or is a comment), 0 for a mismatch.
int read_line(EngineSettings* es, const char* line) {
    if (line[0] == '\n' || line[0] == '#') return 1;
    int key = find_plain_key(line);
    if (key >= 0) {
        store_plain(es, key, value_after(line, ':'));
        return 1;
    }
    if (std::strncmp(line, FORMATION_PREFIX, FORMATION_PREFIX_LENGTH) == 0) return read_formation_line(es, line);
    return 0;
}

FILE* open_settings_file(int side) {
    char* path = settings_path[side];
    FILE* file = std::fopen(path, "r");
    std::printf("%s\n loading...", path);
    if (file != nullptr) return file;
    std::printf("not found!\n");
    std::snprintf(path, SETTINGS_PATH_SIZE, "%s/%s", FALLBACK_DIRECTORY, BARE_NAMES[side]);
    file = std::fopen(path, "r");
    std::printf("%s\n loading...", path);
    if (file == nullptr) std::printf("not found!\nLoad failed!\n");
    return file;
}

}  // namespace

void set_engine_side(Side side) {
    engine_side = side;
    engine_opponent = opponent(side);
    engine_hand_cell = hand_base(side);
    opponent_hand_cell = hand_base(engine_opponent);
}

int load_engine_settings(Side side) {
    FILE* file = open_settings_file(side);
    if (file == nullptr) {
        std::fflush(stdout);
        return 0;
    }
    EngineSettings* es = &engine_settings[side];
    char line[LINE_SIZE];
    int ok = 1;
    while (ok && std::fgets(line, sizeof line, file) != nullptr) {
        ok = read_line(es, line);
        if (!ok) std::printf("%s <- mismatch\n", line);
    }
    std::fclose(file);
    if (ok) std::printf("done\n");
    std::fflush(stdout);
    return ok;
}

void choose_formations(void) {
    for (int side = 0; side < 2; ++side) {
        EngineSettings* es = &engine_settings[side];
        if (es->formation >= 0 || es->formation_count <= 0) continue;
        // Pick among the formations the table can hold.
        int count = es->formation_count < MAX_FORMATIONS ? es->formation_count : MAX_FORMATIONS;
        es->formation = std::rand() % count;
    }
}
