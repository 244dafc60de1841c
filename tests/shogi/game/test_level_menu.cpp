// The level menu: what it lists for the installed levels, what a choice
// writes into the game's directory (a file of the player's own kept aside),
// and that the chosen level plays from the next new game on.
#include "desktop_menus.h"
#include "game_test_support.h"
#include "level_menu.h"

namespace {

std::string style(const char* name) { return std::string(SHIPPED_SETTINGS_DIR) + "/styles/" + name; }

int code_of(int side, int level) { return LEVEL_MENU_CODES + side * MAX_LEVELS + level - 1; }

// The items of the level menu (the other menus add theirs too).
std::vector<ztl_headless_menu_item> level_items() {
    std::vector<ztl_headless_menu_item> items;
    for (const ztl_headless_menu_item& item : ztl_headless_menu_items())
        if (item.menu == "レベル") items.push_back(item);
    return items;
}

int checked(int code) {
    for (const ztl_headless_menu_item& item : ztl_headless_menu_items())
        if (item.code == code) return item.checked;
    return -1;
}

// Hands the queued menu codes to the handler, as a wait for input does.
void handle_menu_codes() { ztl_get_key(0); }

class LevelMenu : public ::testing::Test {
protected:
    void SetUp() override {
        ztl_headless_desktop_reset();
        std::snprintf(levels_directory, sizeof levels_directory, "%s/styles", SHIPPED_SETTINGS_DIR);
        ztl_init();
        drain_input();
    }
    void TearDown() override {
        ztl_menu_handler(nullptr);
        ztl_headless_desktop_reset();
        std::snprintf(levels_directory, sizeof levels_directory, "%s", "/usr/share/banrei/styles");
    }
    WorkingDirectory directory;
};

TEST_F(LevelMenu, ListsEveryInstalledLevelForEachSideUnderItsName) {
    install_desktop_menus();
    std::vector<ztl_headless_menu_item> items = level_items();
    ASSERT_EQ(items.size(), 10u);
    const char* names[] = {"入門", "初級", "中級", "上級", "最強"};
    for (int level = 1; level <= 5; ++level) {
        for (int side = SENTE; side <= GOTE; ++side) {
            const ztl_headless_menu_item& item = items[2 * (level - 1) + side];
            EXPECT_EQ(item.item, std::string(side == SENTE ? "先手 " : "後手 ") + std::to_string(level) + " " +
                                     names[level - 1]);
            EXPECT_EQ(item.code, code_of(side, level));
            // The light copies of the shipped files keep their name, level 4's.
            EXPECT_EQ(item.checked, level == 4) << "level " << level;
        }
    }
}

TEST_F(LevelMenu, NothingIsListedWhereNoLevelIsInstalled) {
    std::snprintf(levels_directory, sizeof levels_directory, "%s", directory.path().c_str());
    install_desktop_menus();
    EXPECT_TRUE(level_items().empty());
}

TEST_F(LevelMenu, AChoiceIsWrittenTickedAndLoadedAtTheNextNewGame) {
    write_file("sente.ini", "DEPTH_MAX: 2\n");
    ASSERT_TRUE(load_engine_settings(SENTE));
    install_desktop_menus();
    ASSERT_TRUE(ztl_headless_choose_menu(code_of(SENTE, 5)));
    handle_menu_codes();
    EXPECT_EQ(read_file("sente.ini"), read_file(style("level5.ini")));
    EXPECT_EQ(read_file("sente.ini.bak"), "DEPTH_MAX: 2\n") << "the player's own file is kept";
    EXPECT_EQ(checked(code_of(SENTE, 5)), 1);
    EXPECT_EQ(checked(code_of(SENTE, 4)), 0);
    EXPECT_EQ(checked(code_of(GOTE, 5)), 0);
    EXPECT_EQ(checked(code_of(GOTE, 4)), 1);
    EXPECT_EQ(engine_settings[SENTE].node_budget, 0) << "nothing changes before a new game";

    ::testing::internal::CaptureStdout();
    load_chosen_levels();
    ::testing::internal::GetCapturedStdout();
    EXPECT_GT(engine_settings[SENTE].node_budget, 0);
    EXPECT_EQ(engine_settings[SENTE].depth, 32);

    // Back to a level of the search of the phases: the record is read afresh,
    // so no key of the former level stays behind; the copy kept is untouched.
    ASSERT_TRUE(ztl_headless_choose_menu(code_of(SENTE, 2)));
    handle_menu_codes();
    EXPECT_EQ(checked(code_of(SENTE, 5)), 0);
    EXPECT_EQ(checked(code_of(SENTE, 2)), 1);
    ::testing::internal::CaptureStdout();
    load_chosen_levels();
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(engine_settings[SENTE].node_budget, 0);
    EXPECT_EQ(engine_settings[SENTE].depth, 4);
    EXPECT_EQ(read_file("sente.ini.bak"), "DEPTH_MAX: 2\n");
}

// A level that no longer loads (here: the file in the game's directory was
// spoilt after the choice) leaves the side's settings as they were.
TEST_F(LevelMenu, AChosenFileThatDoesNotLoadChangesNothing) {
    ASSERT_TRUE(load_engine_settings(GOTE));
    EngineSettings before = engine_settings[GOTE];
    install_desktop_menus();
    ASSERT_TRUE(ztl_headless_choose_menu(code_of(GOTE, 3)));
    handle_menu_codes();
    write_file("gote.ini", "not a key\n");
    ::testing::internal::CaptureStdout();
    load_chosen_levels();
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("<- mismatch"), std::string::npos);
    EXPECT_EQ(std::memcmp(&engine_settings[GOTE], &before, sizeof before), 0);
    EXPECT_STREQ(settings_path[GOTE], "gote.ini");
}

}  // namespace
