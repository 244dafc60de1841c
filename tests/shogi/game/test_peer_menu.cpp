// The menu "対局相手" in the window's menu bar: choosing a USI engine (by
// name or by file) or a network peer, the engine's settings from the user's
// configuration, the choice remembered for the next start, and the choice
// reaching the game while it waits for input.
#include "desktop_menus.h"
#include "game_test_support.h"
#include "peer_menu.h"
#include "peers.h"

namespace {

class PeerMenuTest : public GameScreenTest {
protected:
    void SetUp() override {
        GameScreenTest::SetUp();
        ztl_headless_desktop_reset();
        drop_peer();
    }
    void TearDown() override {
        drop_peer();
        ztl_menu_handler(nullptr);
        ztl_headless_desktop_reset();
        GameScreenTest::TearDown();
    }
    static std::string setting(const char* key) {
        char value[256] = {};
        return ztl_config_read(key, value, sizeof value) ? value : "<none>";
    }
    static int checked_item() {
        for (const ztl_headless_menu_item& item : ztl_headless_menu_items())
            if (item.checked) return item.code - PEER_MENU_CODES;
        return -1;
    }
};

TEST_F(PeerMenuTest, EachChoiceIsPluggedInCheckedAndRemembered) {
    add_peer_menu(PEER_MENU_CODES);
    std::vector<ztl_headless_menu_item> items = ztl_headless_menu_items();
    ASSERT_GE(items.size(), 4u);
    for (const ztl_headless_menu_item& item : items) EXPECT_EQ(item.menu, "対局相手");
    EXPECT_EQ(checked_item(), PEER_ITEM_NONE);
    EXPECT_FALSE(peer_chosen());

    ztl_headless_answer_next(1, "/opt/engines/my-usi");
    choose_peer(PEER_ITEM_ENGINE_FILE);
    EXPECT_TRUE(peer_chosen());
    EXPECT_EQ(setting("peer/kind"), "usi");
    EXPECT_EQ(setting("peer/program"), "/opt/engines/my-usi");
    EXPECT_EQ(checked_item(), PEER_ITEM_ENGINE_FILE);

    ztl_headless_answer_next(1, "0");  // listen on the loopback, any free port
    choose_peer(PEER_ITEM_LISTEN);
    EXPECT_TRUE(peer_chosen());
    EXPECT_GT(network_peer_port(), 0);
    EXPECT_EQ(setting("peer/kind"), "listen");
    EXPECT_EQ(setting("peer/address"), "0");
    EXPECT_EQ(checked_item(), PEER_ITEM_LISTEN);

    ztl_headless_answer_next(0, "");  // a cancelled question changes nothing
    choose_peer(PEER_ITEM_CONNECT);
    EXPECT_EQ(setting("peer/kind"), "listen");
    EXPECT_EQ(checked_item(), PEER_ITEM_LISTEN);

    ::testing::internal::CaptureStdout();
    ztl_headless_answer_next(1, "no port here");  // not an address: no peer, said why
    choose_peer(PEER_ITEM_CONNECT);
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("is not HOST:PORT"), std::string::npos);
    EXPECT_FALSE(peer_chosen());
    EXPECT_EQ(checked_item(), PEER_ITEM_NONE);

    choose_peer(PEER_ITEM_NONE);
    EXPECT_FALSE(peer_chosen());
    EXPECT_EQ(setting("peer/kind"), "none");
    EXPECT_EQ(ztl_headless_questions().size(), 4u);
}

TEST_F(PeerMenuTest, TheRememberedPeerComesBackAtTheNextStartButTheCommandLineWins) {
    ztl_config_write("peer/kind", "connect");
    ztl_config_write("peer/address", "127.0.0.1:9");
    add_peer_menu(PEER_MENU_CODES);
    EXPECT_TRUE(peer_chosen());
    EXPECT_EQ(checked_item(), PEER_ITEM_CONNECT);

    drop_peer();
    ztl_headless_desktop_reset();
    ztl_config_write("peer/kind", "usi");
    ztl_config_write("peer/program", "/opt/engines/my-usi");
    char program[] = "banrei", option[] = "--listen", address[] = "0";
    char* argv[] = {program, option, address};
    ASSERT_EQ(read_peer_options(3, argv), PEER_OPTIONS_OK);
    add_peer_menu(PEER_MENU_CODES);
    EXPECT_GT(network_peer_port(), 0);  // still the command line's listener
    EXPECT_EQ(checked_item(), -1);
}

TEST_F(PeerMenuTest, TheEnginesArgumentsOptionsAndTimeComeFromTheConfiguration) {
    UsiSettings plain = configured_usi_settings("/opt/engines/my-usi");
    EXPECT_EQ(plain.command, std::vector<std::string>{"/opt/engines/my-usi"});
    EXPECT_TRUE(plain.options.empty());
    EXPECT_EQ(plain.go, "btime 0 wtime 0 byoyomi 3000");

    ztl_config_write("usi/arguments", "--threads 1  --quiet");
    ztl_config_write("usi/options", "Skill Level=3;USI_Hash=64;no equals sign;=5");
    ztl_config_write("usi/go", "depth 4");
    UsiSettings s = configured_usi_settings("/opt/engines/my-usi");
    EXPECT_EQ(s.command, (std::vector<std::string>{"/opt/engines/my-usi", "--threads", "1", "--quiet"}));
    ASSERT_EQ(s.options.size(), 2u);
    EXPECT_EQ(s.options[0], (std::pair<std::string, std::string>{"Skill Level", "3"}));
    EXPECT_EQ(s.options[1], (std::pair<std::string, std::string>{"USI_Hash", "64"}));
    EXPECT_EQ(s.go, "depth 4");
}

TEST_F(PeerMenuTest, AChoiceMadeWhileTheMenuWaitsIsOfferedAtOnce) {
    install_desktop_menus();
    player_kind[SENTE] = PLAYER_HUMAN;
    player_kind[GOTE] = PLAYER_COMPUTER;
    GameThread menu(show_menu);
    GameThread::settle();
    ztl_headless_answer_next(1, "0");
    ASSERT_TRUE(ztl_headless_choose_menu(PEER_MENU_CODES + PEER_ITEM_LISTEN));
    GameThread::settle();
    EXPECT_TRUE(peer_chosen());
    for (const char* key : {"n", "h", "r"}) {
        type(key);
        GameThread::settle();
    }
    type("x");  // "対局開始！"
    EXPECT_EQ(menu.result(), 1);
    EXPECT_EQ(player_kind[GOTE], PLAYER_REMOTE);
}

TEST(PeerOptions, TheCommandLineIsReadOrRefused) {
    struct Row {
        std::vector<std::string> words;
        PeerOptions result;
    };
    const Row rows[] = {
        {{"banrei"}, PEER_OPTIONS_OK},
        {{"banrei", "-platform", "xcb"}, PEER_OPTIONS_OK},  // not ours: left alone
        {{"banrei", "--help"}, PEER_OPTIONS_HELP},
        {{"banrei", "--usi"}, PEER_OPTIONS_BAD},
        {{"banrei", "--connect", "nohost"}, PEER_OPTIONS_BAD},
        {{"banrei", "--listen", "99999"}, PEER_OPTIONS_BAD},
        {{"banrei", "--usi", "/no/such/engine"}, PEER_OPTIONS_OK},  // found missing at its first turn
    };
    for (const Row& row : rows) {
        std::vector<char*> argv;
        std::vector<std::string> words = row.words;
        for (std::string& w : words) argv.push_back(w.data());
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(read_peer_options(static_cast<int>(argv.size()), argv.data()), row.result) << row.words.back();
        std::string said = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(said.find("usage: banrei") != std::string::npos, row.result != PEER_OPTIONS_OK) << said;
        drop_peer();
    }
}

}  // namespace
