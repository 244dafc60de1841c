// Settings files: key order, value reading, formation rules, messages and the
// failure paths of the loader, and the files shipped in data/.
#include <gtest/gtest.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "settings.h"

namespace fs = std::filesystem;

namespace {

const EngineSettings ZERO_SETTINGS{};

// Every test runs in a fresh temporary working directory with zeroed records.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        char pattern[] = "/tmp/banrei_settings_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        fs::current_path(dir_);
        engine_settings[0] = EngineSettings{};
        engine_settings[1] = EngineSettings{};
        std::strcpy(settings_path[0], "sente.ini");
        std::strcpy(settings_path[1], "gote.ini");
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(dir_);
    }

    static void write(const char* name, const std::string& text) {
        std::ofstream out(name, std::ios::binary);
        out << text;
    }

    // Loads `text` as side's file into a zeroed record, as at program start;
    // the loader's output goes to `output`.
    int load(int side, const std::string& text, std::string* output = nullptr) {
        engine_settings[side] = EngineSettings{};
        write(side == 0 ? "sente.ini" : "gote.ini", text);
        testing::internal::CaptureStdout();
        int ok = load_engine_settings(side);
        std::string out = testing::internal::GetCapturedStdout();
        if (output != nullptr) *output = out;
        return ok;
    }

    fs::path previous_;
    fs::path dir_;
};

TEST_F(SettingsFile, CommentsAndEmptyLinesLoadAsAllZero) {
    std::string out;
    EXPECT_EQ(load(0, "# sente\n\n#DEPTH_MAX: 4\n\n", &out), 1);
    EXPECT_EQ(out, "sente.ini\n loading...done\n");
    EXPECT_EQ(std::memcmp(&engine_settings[0], &ZERO_SETTINGS, sizeof ZERO_SETTINGS), 0);
}

TEST_F(SettingsFile, EveryKeyReachesItsOwnField) {
    const char* phases[] = {"JOBAN", "CHUBAN", "SHUBAN"};
    std::string text = "DEPTH_MAX: 1\nSASITE_MAX: 2\n";
    int v = 10;
    for (const char* table : {"Sef", "Tef"})
        for (const char* phase : phases)
            for (char coef : {'A', 'B', 'C'})
                text += std::string(table) + "_" + phase + "_coef" + coef + ": " + std::to_string(v++) + "\n";
    const char* values[] = {"KING",   "GOLD",     "BISHOP", "ROOK",     "SILVER",   "KNIGHT",  "LANCE",
                            "PAWN",   "ReBISHOP", "ReROOK", "ReSILVER", "ReKNIGHT", "ReLANCE", "RePAWN"};
    for (const char* key : values) text += std::string(key) + ": " + std::to_string(v++) + "\n";
    text += "RAND_MAX: 7\nNUMBER_OF_FORMATION: 3\nFORMATION: 2\n";
    ASSERT_EQ(load(0, text), 1);

    const EngineSettings& es = engine_settings[0];
    EXPECT_EQ(es.depth, 1);
    EXPECT_EQ(es.width, 2);
    EXPECT_EQ(es.sef[JOBAN][COEF_A], 10);
    EXPECT_EQ(es.sef[CHUBAN][COEF_C], 15);
    EXPECT_EQ(es.sef[SHUBAN][COEF_B], 17);
    EXPECT_EQ(es.tef[JOBAN][COEF_A], 19);
    EXPECT_EQ(es.tef[SHUBAN][COEF_C], 27);
    EXPECT_EQ(es.value[KING], 28);
    EXPECT_EQ(es.value[GOLD], 29);
    // The crossed keys: BISHOP: sets the rook's value, ROOK: the bishop's.
    EXPECT_EQ(es.value[ROOK], 30);
    EXPECT_EQ(es.value[BISHOP], 31);
    EXPECT_EQ(es.value[PAWN], 35);
    EXPECT_EQ(es.value[PROMOTED_ROOK], 36);
    EXPECT_EQ(es.value[PROMOTED_BISHOP], 37);
    EXPECT_EQ(es.value[PROMOTED_PAWN], 41);
    EXPECT_EQ(es.random_range, 8);
    EXPECT_EQ(es.formation_count, 3);
    EXPECT_EQ(es.formation, 2);
}

TEST_F(SettingsFile, ValuesAreReadAfterTheColonSpacesAndTabs) {
    const char* lines[] = {"DEPTH_MAX:3\n", "DEPTH_MAX: \t 3\n", "DEPTH_MAX: 3 plies\n", "DEPTH_MAX:+3\n",
                           "DEPTH_MAX: 3"};
    for (const char* line : lines) {
        ASSERT_EQ(load(0, line), 1) << line;
        EXPECT_EQ(engine_settings[0].depth, 3) << line;
    }
    ASSERT_EQ(load(0, "SASITE_MAX: -12x\nPAWN: plenty\nGOLD: 2147483648999\nLANCE: -99999999999\n"), 1);
    EXPECT_EQ(engine_settings[0].width, -12);
    EXPECT_EQ(engine_settings[0].value[PAWN], 0);
    EXPECT_EQ(engine_settings[0].value[GOLD], INT_MAX);
    EXPECT_EQ(engine_settings[0].value[LANCE], INT_MIN);
}

TEST_F(SettingsFile, LaterLineOverwritesAndAnythingMayFollowTheKey) {
    ASSERT_EQ(load(0, "DEPTH_MAX: 3\nSASITE_MAX: 9 # narrow\nDEPTH_MAX: 5\n"), 1);
    EXPECT_EQ(engine_settings[0].depth, 5);
    EXPECT_EQ(engine_settings[0].width, 9);
}

struct LoadCase {
    const char* text;
    int expected;
};

TEST_F(SettingsFile, RandMaxIsStoredPlusOne) {
    const LoadCase cases[] = {{"RAND_MAX: 9\n", 10},
                              {"RAND_MAX: -1\n", 0},
                              {"DEPTH_MAX: 1\n", 0},
                              {"RAND_MAX: 2147483647\n", INT_MAX}};
    for (const LoadCase& c : cases) {
        ASSERT_EQ(load(0, c.text), 1);
        EXPECT_EQ(engine_settings[0].random_range, c.expected) << c.text;
    }
}

TEST_F(SettingsFile, FormationIndexIsCheckedAgainstTheCountReadSoFar) {
    const LoadCase cases[] = {{"NUMBER_OF_FORMATION: 2\nFORMATION: 5\n", 0},
                              {"FORMATION: 1\nNUMBER_OF_FORMATION: 2\n", 0},
                              {"NUMBER_OF_FORMATION: 2\nFORMATION: 1\n", 1},
                              {"NUMBER_OF_FORMATION: 2\nFORMATION: -1\n", -1}};
    for (const LoadCase& c : cases) {
        ASSERT_EQ(load(0, c.text), 1);
        EXPECT_EQ(engine_settings[0].formation, c.expected) << c.text;
    }
}

TEST_F(SettingsFile, FormationEntryIsMirroredForTheOtherSide) {
    ASSERT_EQ(load(0, "NUMBER_OF_FORMATION: 2\nFORMATION_0_00: 4, 50\nFORMATION_1_19:\t60 ,\t-3\n"), 1);
    const EngineSettings& es = engine_settings[0];
    EXPECT_EQ(es.formations[0][0].target, 4);
    EXPECT_EQ(es.formations[0][0].weight, 50);
    EXPECT_EQ(es.formations[0][20].target, 76);
    EXPECT_EQ(es.formations[0][20].weight, 50);
    EXPECT_EQ(es.formations[1][19].target, 60);
    EXPECT_EQ(es.formations[1][19].weight, -3);
    EXPECT_EQ(es.formations[1][39].target, 20);
    EXPECT_EQ(es.formations[1][39].weight, -3);
    EXPECT_EQ(es.formations[1][0].weight, 0);
}

TEST_F(SettingsFile, FormationNumbersAreTruncatedToSignedBytes) {
    ASSERT_EQ(load(0, "NUMBER_OF_FORMATION: 1\nFORMATION_0_05: 300, 200\n"), 1);
    EXPECT_EQ(engine_settings[0].formations[0][5].target, 44);   // 300 - 256
    EXPECT_EQ(engine_settings[0].formations[0][5].weight, -56);  // 200 - 256
    EXPECT_EQ(engine_settings[0].formations[0][25].target, 36);
}

TEST_F(SettingsFile, FormationLinesBeyondTheCountAreIgnoredSilently) {
    std::string out;
    ASSERT_EQ(load(0, "FORMATION_0_00: 4, 50\nNUMBER_OF_FORMATION: 1\nFORMATION_1_00: 4, 50\n"
                      "FORMATION_12_00: 4, 50\nFORMATION_0_20: 4, 50\nFORMATION_9_99 no comma\n",
                   &out),
              1);
    EXPECT_EQ(out, "sente.ini\n loading...done\n");
    EXPECT_EQ(std::memcmp(&engine_settings[0].formations, &ZERO_SETTINGS.formations, sizeof ZERO_SETTINGS.formations),
              0);
}

// More formations than the table holds: entries of formation 10 and up are
// never written, so nothing lands past the table.
TEST_F(SettingsFile, FormationCountAboveTheTableStaysInside) {
    ASSERT_EQ(load(0, "NUMBER_OF_FORMATION: 15\nFORMATION_9_19: 7, 9\n"), 1);
    EXPECT_EQ(engine_settings[0].formations[9][19].target, 7);
    EXPECT_EQ(std::memcmp(&engine_settings[1], &ZERO_SETTINGS, sizeof ZERO_SETTINGS), 0);
}

TEST_F(SettingsFile, FormationLineWithoutCommaOrColonIsRejected) {
    std::string out;
    EXPECT_EQ(load(0, "NUMBER_OF_FORMATION: 1\nFORMATION_0_03: 13 20\nDEPTH_MAX: 3\n", &out), 0);
    EXPECT_EQ(out, "sente.ini\n loading...FORMATION_0_03: 13 20\n <- mismatch\n");
    EXPECT_EQ(engine_settings[0].formations[0][3].weight, 0);
    EXPECT_EQ(engine_settings[0].depth, 0);  // not read further
    EXPECT_EQ(load(0, "NUMBER_OF_FORMATION: 1\nFORMATION_0_03 13, 20\n", &out), 0);
    EXPECT_EQ(out, "sente.ini\n loading...FORMATION_0_03 13, 20\n <- mismatch\n");
}

// How FORMATION_ keys were first matched: every name "FORMATION_%1d_%02d" of
// the formations declared so far (at most the table's ten) against the first
// 14 characters of the line. The loader must name exactly the same entries.
int entry_named_by_search(const std::string& line, int count, int* formation, int* entry) {
    char name[64];
    for (int i = 0; i < std::min(count, MAX_FORMATIONS); ++i)
        for (int jj = 0; jj < 20; ++jj) {
            std::snprintf(name, sizeof name, "FORMATION_%1d_%02d", i, jj);
            if (std::strncmp(line.c_str(), name, 14) == 0) {
                *formation = i;
                *entry = jj;
                return 1;
            }
        }
    return 0;
}

TEST_F(SettingsFile, FormationKeysNameTheSameEntriesAsTheNameSearch) {
    // Loads one FORMATION_ line after a count line and checks return value,
    // messages and the whole record against what the search above names.
    auto expect_as_by_search = [this](const std::string& key, int count) {
        const std::string tails[] = {": 13, 20\n", ": 13 20\n", " 13, 20\n"};  // readable, no comma, no colon
        for (const std::string& tail : tails) {
            std::string line = key + tail, out;
            int ok = load(0, "NUMBER_OF_FORMATION: " + std::to_string(count) + "\n" + line, &out);
            EngineSettings expected{};
            expected.formation_count = count;
            int formation = 0, entry = 0;
            bool named = entry_named_by_search(line, count, &formation, &entry);
            bool readable = tail == tails[0];
            if (named && readable) {
                expected.formations[formation][entry] = FormationEntry{13, 20};
                expected.formations[formation][entry + 20] = FormationEntry{67, 20};
            }
            std::string context = "line \"" + line + "\" after count " + std::to_string(count);
            EXPECT_EQ(ok, named && !readable ? 0 : 1) << context;
            std::string said = named && !readable ? line + " <- mismatch\n" : "done\n";
            EXPECT_EQ(out, "sente.ini\n loading..." + said) << context;
            EXPECT_EQ(std::memcmp(&engine_settings[0], &expected, sizeof expected), 0) << context;
        }
    };

    struct KeyCase {
        std::string key;
        bool named_with_two;  // with NUMBER_OF_FORMATION: 2
    };
    const KeyCase cases[] = {
        {"FORMATION_0_00", true},   {"FORMATION_1_19", true},    {"FORMATION_0_07x", true},
        {"FORMATION_1_005", true},  {"FORMATION_2_00", false},   {"FORMATION_9_19", false},
        {"FORMATION_0_20", false},  {"FORMATION_0_99", false},   {"FORMATION_12_00", false},
        {"FORMATION_0_0", false},   {"FORMATION_0_", false},     {"FORMATION_", false},
        {"FORMATION__0_00", false}, {"FORMATION_0__00", false},  {"FORMATION_0-00", false},
        {"FORMATION_0_ 1", false},  {"FORMATION_0_+1", false},   {"FORMATION_0_-1", false},
        {"FORMATION_ 0_00", false}, {"FORMATION_a_00", false},   {"FORMATION_:_00", false},
        {"FORMATION_/_00", false},  {"FORMATION_0_1/", false},   {"FORMATION_0_/1", false},
        {"FORMATION_0_0\t1", false}, {std::string("FORMATION_") + "\x82" "\x4f" + "_00", false},
    };
    for (const KeyCase& c : cases) {
        int formation, entry;
        EXPECT_EQ(entry_named_by_search(c.key + ":", 2, &formation, &entry) == 1, c.named_with_two) << c.key;
        for (int count : {-1, 0, 1, 2, 9, 10, 15}) expect_as_by_search(c.key, count);
    }
    // Random spellings near the real ones.
    std::mt19937 gen(77);
    const std::string alphabet = "0123456789012_:/ -+a";
    for (int round = 0; round < 300; ++round) {
        std::string key = "FORMATION_";
        for (int n = gen() % 6; n > 0; --n) key += alphabet[gen() % alphabet.size()];
        expect_as_by_search(key, static_cast<int>(gen() % 12));
    }
}

// Large generated files: 300 000 FORMATION_ lines, every entry of ten
// formations written 1 500 times, load at once and keep the last values.
TEST_F(SettingsFile, HundredsOfThousandsOfFormationLinesLoadQuickly) {
    constexpr int LINES = 300000;
    std::string text = "NUMBER_OF_FORMATION: 10\n";
    FormationEntry last[MAX_FORMATIONS][20] = {};
    char line[64];
    for (int n = 0; n < LINES; ++n) {
        int i = n % 10, jj = n / 10 % 20;
        std::snprintf(line, sizeof line, "FORMATION_%d_%02d: %d, %d\n", i, jj, n % 81, n % 100 - 50);
        text += line;
        last[i][jj] = FormationEntry{static_cast<signed char>(n % 81), static_cast<signed char>(n % 100 - 50)};
    }
    timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    ASSERT_EQ(load(0, text), 1);
    clock_gettime(CLOCK_MONOTONIC, &end);
    double seconds = static_cast<double>(end.tv_sec - start.tv_sec) +
                     static_cast<double>(end.tv_nsec - start.tv_nsec) / 1e9;
    EXPECT_LT(seconds, 1.0);
    for (int i = 0; i < MAX_FORMATIONS; ++i)
        for (int jj = 0; jj < 20; ++jj) {
            EXPECT_EQ(engine_settings[0].formations[i][jj].target, last[i][jj].target);
            EXPECT_EQ(engine_settings[0].formations[i][jj].weight, last[i][jj].weight);
            EXPECT_EQ(engine_settings[0].formations[i][jj + 20].target, 80 - last[i][jj].target);
        }
}

TEST_F(SettingsFile, UnknownLinesStopTheLoadWithTheLineAsRead) {
    std::string out;
    EXPECT_EQ(load(0, "depth_max: 3\n", &out), 0);
    EXPECT_EQ(out, "sente.ini\n loading...depth_max: 3\n <- mismatch\n");
    EXPECT_EQ(load(0, "# windows\r\n\r\nDEPTH_MAX: 3\r\n", &out), 0);
    EXPECT_EQ(out, "sente.ini\n loading...\r\n <- mismatch\n");
    EXPECT_EQ(load(0, " DEPTH_MAX: 3", &out), 0);
    EXPECT_EQ(out, "sente.ini\n loading... DEPTH_MAX: 3 <- mismatch\n");
    // Every key ends in its colon: a key without one is no key at all.
    EXPECT_EQ(load(0, "DEPTH_MAX 3\n", &out), 0);
    EXPECT_EQ(out, "sente.ini\n loading...DEPTH_MAX 3\n <- mismatch\n");
}

TEST_F(SettingsFile, LongLineContinuesAsTheNextLine) {
    std::string out;
    std::string comment = "#" + std::string(254, 'c');  // 255 characters: one buffer full
    EXPECT_EQ(load(0, comment + "X\n", &out), 0);
    EXPECT_EQ(out, "sente.ini\n loading...X\n <- mismatch\n");
    EXPECT_EQ(load(0, comment + "\nDEPTH_MAX: 4\n"), 1);
    EXPECT_EQ(engine_settings[0].depth, 4);
}

TEST_F(SettingsFile, MissingFileTriesTheSharedDirectory) {
    testing::internal::CaptureStdout();
    int ok = load_engine_settings(1);
    std::string out = testing::internal::GetCapturedStdout();
    const std::string shared = "/usr/share/banrei/gote.ini";
    EXPECT_STREQ(settings_path[1], shared.c_str());
    if (fs::exists(shared)) {
        EXPECT_EQ(ok, 1);
        EXPECT_EQ(out, "gote.ini\n loading...not found!\n" + shared + "\n loading...done\n");
    } else {
        EXPECT_EQ(ok, 0);
        EXPECT_EQ(out, "gote.ini\n loading...not found!\n" + shared + "\n loading...not found!\nLoad failed!\n");
    }
}

// The keys of the deeper search reach their fields, one table row per
// value as a file may write it: read like every other key (sign, digits up
// to the first non-digit, none giving 0, saturating at the int range).
// Keys that merely begin like an older key (KING_SAFETY: and KING:) are not
// mistaken for it.
TEST_F(SettingsFile, DeeperSearchKeysAreReadLikeTheOthers) {
    struct Row {
        const char* text;
        int expected;
    };
    const Row rows[] = {{"150000", 150000}, {"-5", -5}, {"abc", 0}, {"", 0},
                        {"99999999999", INT_MAX}, {"-99999999999", INT_MIN}, {"12 positions", 12}};
    for (const Row& row : rows) {
        std::string v = row.text;
        ASSERT_EQ(load(0, "KING: 7\nNODE_MAX: " + v + "\nTIME_MAX: " + v + "\nQUIESCE_MAX: " + v +
                              "\nKING_SAFETY: " + v + "\n"),
                  1);
        const EngineSettings& es = engine_settings[0];
        EXPECT_EQ(es.node_budget, row.expected) << v;
        EXPECT_EQ(es.time_budget, row.expected) << v;
        EXPECT_EQ(es.quiescence, row.expected) << v;
        EXPECT_EQ(es.king_safety, row.expected) << v;
        EXPECT_EQ(es.value[KING], 7);
    }
    ASSERT_EQ(load(0, "node_max: 5\n"), 0) << "keys are case-sensitive";
}

TEST_F(SettingsFile, ArbitraryBytesNeverCrashTheLoader) {
    std::mt19937 gen(12345);
    const std::string seeds[] = {"FORMATION_0_0", "NUMBER_OF_FORMATION: 9\n", "RAND_MAX:", "#", "\n", ",", ":"};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        int pieces = gen() % 12;
        for (int i = 0; i < pieces; ++i) {
            if (gen() % 2) text += seeds[gen() % 7];
            int bytes = gen() % 40;
            for (int b = 0; b < bytes; ++b) text += static_cast<char>(gen() % 256);
        }
        std::string out;
        int ok = load(round % 2, text, &out);
        ASSERT_TRUE(ok == 0 || ok == 1);
        const std::string tail = ok ? "done\n" : " <- mismatch\n";
        ASSERT_GE(out.size(), tail.size());
        EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    }
}

TEST(ChooseFormations, NegativeIndexIsDrawnOnceSideZeroFirst) {
    engine_settings[0] = EngineSettings{};
    engine_settings[1] = EngineSettings{};
    engine_settings[0].formation_count = 3;
    engine_settings[0].formation = -1;
    engine_settings[1].formation_count = 2;
    engine_settings[1].formation = -1;
    std::srand(99);
    int first = std::rand();
    int second = std::rand();
    int third = std::rand();
    std::srand(99);
    choose_formations();
    EXPECT_EQ(engine_settings[0].formation, first % 3);
    EXPECT_EQ(engine_settings[1].formation, second % 2);
    // Once chosen the index stays, and no more numbers are drawn.
    choose_formations();
    EXPECT_EQ(engine_settings[0].formation, first % 3);
    EXPECT_EQ(engine_settings[1].formation, second % 2);
    EXPECT_EQ(std::rand(), third);
}

TEST(ChooseFormations, NoFormationsOrTooManyStayInsideTheTable) {
    engine_settings[0] = EngineSettings{};
    engine_settings[1] = EngineSettings{};
    engine_settings[0].formation = -1;  // count 0: nothing to pick
    engine_settings[1].formation = -1;
    engine_settings[1].formation_count = 50;
    for (int seed = 0; seed < 40; ++seed) {
        std::srand(seed);
        engine_settings[1].formation = -1;
        choose_formations();
        EXPECT_EQ(engine_settings[0].formation, -1);
        EXPECT_GE(engine_settings[1].formation, 0);
        EXPECT_LT(engine_settings[1].formation, MAX_FORMATIONS);
    }
}

// The files a player gets: the shipped defaults and the styles, each loaded
// as the side's file. They load, search to an even depth (ending on the
// opponent's reply) and keep the usual proportions between the pieces
// (through the crossed key names).
struct OfferedFile {
    const char* path;  // from the source tree's root
    int side;
};

const OfferedFile OFFERED_FILES[] = {
    {"data/sente.ini", 0},
    {"data/gote.ini", 1},
    {"data/styles/quick.ini", 0},
    {"data/styles/ranging-rook.ini", 1},
    {"data/styles/static-rook.ini", 0},
    {"data/styles/gentle.ini", 1},
    {"data/styles/level1.ini", 0},
    {"data/styles/level2.ini", 1},
    {"data/styles/level3.ini", 0},
    {"data/styles/level4.ini", 1},
};

fs::path source_root(void) { return ZENTRIO_SOURCE_ROOT; }

class ShippedSettings : public SettingsFile, public ::testing::WithParamInterface<OfferedFile> {
protected:
    // Loads the file as the side's own; the loaded record, or nullptr.
    static const EngineSettings* load_as_side(const char* path, int side) {
        const char* name = side == 0 ? "sente.ini" : "gote.ini";
        fs::path source = source_root() / path;
        if (!fs::exists(source)) return nullptr;
        fs::copy_file(source, name, fs::copy_options::overwrite_existing);
        testing::internal::CaptureStdout();
        int ok = load_engine_settings(side);
        std::string out = testing::internal::GetCapturedStdout();
        if (out != std::string(name) + "\n loading...done\n") return nullptr;
        return ok ? &engine_settings[side] : nullptr;
    }
};

TEST_P(ShippedSettings, LoadsWithSaneValues) {
    const EngineSettings* loaded = load_as_side(GetParam().path, GetParam().side);
    ASSERT_NE(loaded, nullptr) << GetParam().path;
    const EngineSettings& es = *loaded;
    EXPECT_GE(es.depth, 2);
    EXPECT_LE(es.depth, 6);
    EXPECT_EQ(es.depth % 2, 0);
    EXPECT_GE(es.width, 8);
    EXPECT_LE(es.width, 64);
    EXPECT_GT(es.random_range, 1);
    EXPECT_LE(es.random_range, 100);
    EXPECT_GE(es.formation_count, 2);
    EXPECT_LE(es.formation_count, MAX_FORMATIONS);
    EXPECT_GE(es.formation, -1);
    EXPECT_LT(es.formation, es.formation_count);
    const int* v = es.value;
    EXPECT_GT(v[KING], 10 * v[ROOK]);
    EXPECT_GT(v[ROOK], v[BISHOP]);
    EXPECT_GT(v[BISHOP], v[GOLD]);
    EXPECT_GT(v[GOLD], v[SILVER]);
    EXPECT_GT(v[SILVER], v[KNIGHT]);
    EXPECT_GT(v[KNIGHT], v[PAWN]);
    EXPECT_GT(v[LANCE], v[PAWN]);
    EXPECT_GT(v[PAWN], 0);
    EXPECT_GT(v[PROMOTED_ROOK], v[ROOK]);
    EXPECT_GT(v[PROMOTED_BISHOP], v[BISHOP]);
    EXPECT_GT(v[PROMOTED_PAWN], v[PAWN]);
    for (int phase = JOBAN; phase <= SHUBAN; ++phase) {
        EXPECT_GT(es.sef[phase][COEF_B], 0);
        EXPECT_GT(es.tef[phase][COEF_B], 0);
    }
    // Every formation moves pieces toward squares on the board, and the file
    // is written from gote's side, so sente's entries mirror them.
    for (int f = 0; f < es.formation_count; ++f) {
        int used = 0;
        for (int piece = 0; piece < 20; ++piece) {
            const FormationEntry& e = es.formations[f][piece];
            if (e.weight == 0) continue;
            ++used;
            EXPECT_GE(e.target, 0);
            EXPECT_LE(e.target, 80);
        }
        EXPECT_GE(used, 4) << "formation " << f;
    }
}

INSTANTIATE_TEST_SUITE_P(OfferedFiles, ShippedSettings, ::testing::ValuesIn(OFFERED_FILES));

// sente.ini and gote.ini differ only in their formations: a tuning applied
// to one file alone would make the computer play each side differently.
TEST_F(SettingsFile, ShippedSidesWeighAlike) {
    fs::path data = source_root() / "data";
    fs::copy_file(data / "sente.ini", "sente.ini");
    fs::copy_file(data / "gote.ini", "gote.ini");
    testing::internal::CaptureStdout();
    ASSERT_TRUE(load_engine_settings(0));
    ASSERT_TRUE(load_engine_settings(1));
    testing::internal::GetCapturedStdout();
    const EngineSettings& sente = engine_settings[0];
    const EngineSettings& gote = engine_settings[1];
    EXPECT_EQ(sente.depth, gote.depth);
    EXPECT_EQ(sente.width, gote.width);
    EXPECT_EQ(std::memcmp(sente.sef, gote.sef, sizeof sente.sef), 0);
    EXPECT_EQ(std::memcmp(sente.tef, gote.tef, sizeof sente.tef), 0);
    EXPECT_EQ(std::memcmp(sente.value, gote.value, sizeof sente.value), 0);
    EXPECT_EQ(sente.random_range, gote.random_range);
    EXPECT_EQ(sente.formation_count, gote.formation_count);
}

}  // namespace
