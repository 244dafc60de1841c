// A second banrei across TCP, played by a fake peer on a socket: addresses,
// moves both ways, and each bad message or a disconnect ending in the menu
// with the record intact and the window live.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "game_test_support.h"
#include "peers.h"
#include "serial.h"
#include "tcp_link.h"

namespace {

TEST(TcpAddresses, ListenAndConnectTextsAreSplitOrRefused) {
    struct Row {
        const char* text;
        int listening;
        const char* host;  // null: refused
        const char* port;
    };
    const Row rows[] = {
        {"4081", 1, "127.0.0.1", "4081"},     {"0.0.0.0:4081", 1, "0.0.0.0", "4081"},
        {"[::1]:4081", 1, "::1", "4081"},     {"example.net:4081", 0, "example.net", "4081"},
        {"4081", 0, nullptr, nullptr},        {"host:", 0, nullptr, nullptr},
        {":4081", 0, nullptr, nullptr},       {"host:65536", 0, nullptr, nullptr},
        {"host:40x1", 0, nullptr, nullptr},   {"", 1, nullptr, nullptr},
        {"host:123456", 0, nullptr, nullptr}, {"-1", 1, nullptr, nullptr},
    };
    for (const Row& row : rows) {
        std::string host, port, reason;
        int ok = split_address(row.text, row.listening, host, port, reason);
        EXPECT_EQ(ok, row.host != nullptr) << row.text;
        if (ok && row.host != nullptr) {
            EXPECT_EQ(host, row.host) << row.text;
            EXPECT_EQ(port, row.port) << row.text;
        } else {
            EXPECT_FALSE(reason.empty()) << row.text;
        }
    }
}


// The fake friend: a plain socket connected to the game's listening port.
class FakeFriend {
public:
    explicit FakeFriend(int port) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~FakeFriend() { leave(); }
    bool connected() const { return connected_; }
    void say(const std::string& text) {
        for (std::size_t sent = 0; sent < text.size();) {
            ssize_t n = send(fd_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<std::size_t>(n);
        }
    }
    // Everything the game sent so far (waits a little for it).
    std::string heard() {
        std::string text;
        timeval wait{0, 200000};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        char chunk[512];
        for (ssize_t n; (n = recv(fd_, chunk, sizeof chunk, 0)) > 0;) text.append(chunk, static_cast<std::size_t>(n));
        return text;
    }
    void leave() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
};

class TcpGameTest : public RemoteGameTest {
protected:
    void SetUp() override {
        RemoteGameTest::SetUp();
        ASSERT_TRUE(use_network_peer(1, "0"));  // the loopback, a free port
    }
    void TearDown() override {
        drop_peer();
        GameScreenTest::TearDown();
    }
    // Gote's turn with what the friend says; keys answer the boxes and the menu.
    static int gote_turn(FakeFriend& peer, const std::string& said, const char* keys) {
        GameThread turn(turn_step);
        peer.say(said);
        for (const char* k = keys; *k != '\0'; ++k) {
            GameThread::settle();
            char key[2] = {*k, '\0'};
            type(key);
        }
        return turn.result();
    }
};

TEST_F(TcpGameTest, MovesCrossBothWaysAsLines) {
    sente_plays_7776();  // made before the friend is there: sent once it connects
    FakeFriend peer(network_peer_port());
    ASSERT_TRUE(peer.connected());
    EXPECT_EQ(gote_turn(peer, "-3334FU\n", ""), 1);
    EXPECT_EQ(peer.heard(), "+7776FU\n");
    EXPECT_EQ(read_file("banrei.csa"), HEADER_HUMAN_REMOTE + "+7776FU\nT1\n-3334FU\nT1\n");
}

TEST_F(TcpGameTest, BadMessagesAndADisconnectEndInTheMenuWithTheRecordIntact) {
    sente_plays_7776();
    struct Row {
        const char* name;
        std::string said;
        const char* keys;  // after the message: the boxes, then the menu's q
    };
    const Row rows[] = {
        {"garbage", "hello there\n", "q"},
        {"sente's move", "+2726FU\n", "q"},
        {"an impossible move", "-5554FU\n", "q"},
        {"a line of 1 MB", std::string(1 << 20, 'x') + "\n", "q"},
        {"a line of 256 bytes", "-3334FU" + std::string(249, ' ') + "\n", "q"},
        {"another % message", "%CHUDAN\n", "q"},
    };
    FakeFriend peer(network_peer_port());
    ASSERT_TRUE(peer.connected());
    ::testing::internal::CaptureStdout();
    for (const Row& row : rows) {
        EXPECT_EQ(gote_turn(peer, row.said, row.keys), 0) << row.name;
        EXPECT_EQ(read_file("banrei.csa"), HEADER_HUMAN_REMOTE + "+7776FU\nT1\n") << row.name;
        EXPECT_EQ(side_to_move, GOTE) << row.name;
    }
    // A line of exactly 255 bytes is a message: its move is played.
    EXPECT_EQ(gote_turn(peer, "-3334FU" + std::string(248, ' ') + "\n", ""), 1);
    EXPECT_EQ(read_file("banrei.csa"), HEADER_HUMAN_REMOTE + "+7776FU\nT1\n-3334FU\nT1\n");

    // The friend goes away: a message, the menu, nothing lost.
    play({"+7776FU", "-3334FU", "+2726FU"});
    peer.leave();
    EXPECT_EQ(gote_turn(peer, "", "xq"), 0);
    EXPECT_EQ(read_file("banrei.csa"), HEADER_HUMAN_REMOTE + "+7776FU\nT1\n-3334FU\nT1\n+2726FU\nT1\n");
    std::string said = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find("The network peer has gone away."), std::string::npos) << said;
    EXPECT_NE(said.find("more than 255 bytes"), std::string::npos) << said;
}

TEST_F(TcpGameTest, TheFriendsResignationIsRecordedAndAnotherFriendMayComeLater) {
    sente_plays_7776();
    {
        FakeFriend first(network_peer_port());
        EXPECT_EQ(gote_turn(first, "%TORYO\n", "xq"), 0);  // "m(__)m 後手投了", then the menu
        EXPECT_EQ(read_file("banrei.csa"), HEADER_HUMAN_REMOTE + "+7776FU\nT1\n%TORYO");
    }
    ::testing::internal::CaptureStdout();
    FakeFriend nobody(0);                       // the turn only needs someone to say nothing
    EXPECT_EQ(gote_turn(nobody, "", "xq"), 0);  // the first friend left: a message, the menu
    ::testing::internal::GetCapturedStdout();
    FakeFriend second(network_peer_port());
    ASSERT_TRUE(second.connected());
    EXPECT_EQ(gote_turn(second, "-3334FU\n", ""), 1);
}

// With a peer chosen the player choice has a third line, [Remote], answered
// by r or its pen button; the new game's record names the peer's side.
TEST_F(TcpGameTest, ThePlayerChoiceOffersThePeer) {
    player_kind[SENTE] = player_kind[GOTE] = PLAYER_COMPUTER;
    GameThread menu(show_menu);
    for (const char* key : {"n", "r"}) {
        GameThread::settle();
        type(key);
    }
    GameThread::settle();
    // The third line of the box: "[Remote]" under "[Human]/[Computer]".
    int x = board_left + board_size / 2 - (17 * 8 + 8) / 2;
    x = x + 4 - x % 4;
    int y = board_top + board_size / 2 - (16 + 8 + 32) / 2;
    EXPECT_GT(ink_in(x + 8, y + 2 * 16 + 4, 7 * 8, 16), 20);
    tap(x + 8 + 3 * 8, y + 2 * 16 + 4 + 8);  // gote by the pen button
    GameThread::settle();
    type("x");  // "対局開始！"
    EXPECT_EQ(menu.result(), 1);
    EXPECT_EQ(player_kind[SENTE], PLAYER_REMOTE);
    EXPECT_EQ(player_kind[GOTE], PLAYER_REMOTE);
    EXPECT_EQ(read_file("banrei.csa"), "'Players\nN+RS232C\nN-RS232C\n'HIRATE( normal )\nPI\n'Black\n+\n'Kifu & Time\n");
}

TEST_F(GameScreenTest, WithoutAPeerTheAnswerRCancelsThePlayerChoice) {
    player_kind[SENTE] = PLAYER_HUMAN;
    player_kind[GOTE] = PLAYER_COMPUTER;
    GameThread choice(choose_players);
    GameThread::settle();
    type("r");
    EXPECT_EQ(choice.result(), 0);
    EXPECT_EQ(player_kind[SENTE], PLAYER_HUMAN);
    EXPECT_EQ(player_kind[GOTE], PLAYER_COMPUTER);
}

}  // namespace
