// The remote player: moves and resignations exchanged as CSA texts with a
// test peer plugged into the serial seam.
#include <deque>
#include <random>

#include "game_test_support.h"
#include "generators.h"
#include "search.h"
#include "serial.h"

namespace {

std::deque<std::string> inbox;  // what the peer sends, oldest first
std::vector<std::string> sent;  // what the game sent to the peer

void peer_receives(const char* text) { sent.push_back(text); }
int peer_sends(char buffer[SERIAL_MESSAGE_SIZE]) {
    if (inbox.empty()) return 0;
    std::snprintf(buffer, SERIAL_MESSAGE_SIZE, "%s", inbox.front().c_str());
    inbox.pop_front();
    return 1;
}
constexpr SerialPort TEST_PEER = {peer_receives, peer_sends};


class SerialTest : public RemoteGameTest {
protected:
    void SetUp() override {
        RemoteGameTest::SetUp();
        serial_use_port(&TEST_PEER);
        inbox.clear();
        sent.clear();
    }
    void TearDown() override {
        serial_use_port(nullptr);
        GameScreenTest::TearDown();
    }
};

TEST_F(SerialTest, ALocalMoveGoesOutAndThePeersAnswerIsPlayedAndRecorded) {
    sente_plays_7776();
    EXPECT_EQ(sent, std::vector<std::string>{"+7776FU"});
    inbox.push_back("-3334FU");
    EXPECT_EQ(turn_step(), 1);
    EXPECT_EQ(PieceTable[Board[sq(3, 4)]].owner, GOTE);
    EXPECT_EQ(read_file("banrei.csa"), HEADER_HUMAN_REMOTE + "+7776FU\nT1\n-3334FU\nT1\n");
    EXPECT_EQ(sent.size(), 1u);  // the peer's move is not sent back
}

TEST_F(SerialTest, AMoveForTheWrongSideOpensTheMenu) {
    sente_plays_7776();
    inbox.push_back("+3334FU");
    type("q");  // the menu
    EXPECT_EQ(turn_step(), 0);
    EXPECT_EQ(read_file("banrei.csa"), HEADER_HUMAN_REMOTE + "+7776FU\nT1\n");
    EXPECT_EQ(side_to_move, GOTE);
}

TEST_F(SerialTest, ThePeersResignationIsRecordedAndShown) {
    sente_plays_7776();
    inbox.push_back("%TORYO");
    GameThread turn(turn_step);
    GameThread::settle();
    // "m(__)m 後手投了": 15 bytes wide, framed two pixels inside the box.
    EXPECT_EQ(ztl_headless_screen_level(256 + 2, 107 + 2), 3);
    type("x");  // the message, then the menu
    type("q");
    EXPECT_EQ(turn.result(), 0);
    EXPECT_EQ(read_file("banrei.csa"), HEADER_HUMAN_REMOTE + "+7776FU\nT1\n%TORYO");
    EXPECT_EQ(sent.size(), 1u);
}

TEST_F(SerialTest, MessagesThatAreNoMoveGiveNothing) {
    side_to_move = GOTE;
    std::string full(SERIAL_MESSAGE_SIZE + 10, '-');
    for (const std::string& text : {std::string(""), std::string("-"), std::string("%CHUDAN"),
                                    std::string("%TORY"), std::string("hello"), std::string("-3334"), full}) {
        inbox.push_back(text);
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(remote_move(), 0) << text;
        ::testing::internal::GetCapturedStdout();
    }
    EXPECT_EQ(read_file("banrei.csa"), HEADER_HUMAN_REMOTE);
}

TEST_F(SerialTest, TheLocalComputerResignsToThePeer) {
    player_kind[SENTE] = PLAYER_COMPUTER;
    engine_settings[SENTE].node_budget = 0;  // the search of the phases,
    engine_settings[SENTE].width = 0;        // with no candidate moves: the computer gives up
    type("x");                         // the resignation message
    type("q");                         // the menu
    EXPECT_EQ(turn_step(), 0);
    EXPECT_EQ(sent, std::vector<std::string>{"%TORYO"});
    EXPECT_EQ(read_file("banrei.csa"), HEADER_HUMAN_REMOTE + "%TORYO");
}

// A peer that plays gote by a random move the rules allow, never a king capture.
std::mt19937 peer_random(5);
int random_peer_sends(char buffer[SERIAL_MESSAGE_SIZE]) {
    std::vector<std::pair<int, int>> moves;
    for (int from = 0; from < BOARD_CELLS; ++from) {
        if (Board[from] == NO_PIECE || PieceTable[Board[from]].owner != GOTE) continue;
        for (int to = 0; to < SQUARES; ++to)
            if (can_move(from, to, Board, PieceTable) && (Board[to] == NO_PIECE || PieceTable[Board[to]].kind != KING))
                moves.push_back({from, to});
    }
    if (moves.empty()) return 0;
    auto [from, to] = moves[peer_random() % moves.size()];
    format_move(PieceTable[Board[from]].kind, from, to, GOTE, buffer);
    return 1;
}
constexpr SerialPort RANDOM_PEER = {peer_receives, random_peer_sends};

// Plays turns until the program would end; the king's capture ends in a
// message, one more input and the menu, which the test answers.
void play_to_the_end() {
    GameThread game([] {
        while (turn_step()) {
        }
        return 0;
    });
    while (!game.finished())
        if (ztl_headless_wait_for_idle(100)) type("q");
    game.result();
}

// The engine plays a whole game against a peer, which is then replayed by a
// peer that sends the first peer's moves from the record: the engine, without
// randomness, plays the very same game and the records are equal.
TEST_F(SerialTest, TheEngineFinishesAGameAgainstAPeerReplayingARecordedGame) {
    for (int side : {SENTE, GOTE}) {
        engine_settings[side].random_range = 0;
        engine_settings[side].value[PAWN] = 0;  // no random pawn bonus either
    }
    player_kind[SENTE] = PLAYER_COMPUTER;
    auto start = [] {
        std::memset(RecentMoves, 0, sizeof RecentMoves);
        reset_game();
        draw_position();
        clock_start_both();
        ztl_refresh();
        write_record_header(PLAYER_COMPUTER, PLAYER_REMOTE);
        sent.clear();
    };
    start();
    serial_use_port(&RANDOM_PEER);
    play_to_the_end();
    std::string first = read_file("banrei.csa");
    std::vector<std::string> sente_moves = sent;
    ASSERT_GT(sente_moves.size(), 10u);

    std::istringstream lines(first);
    for (std::string line; std::getline(lines, line);)
        if (line[0] == '-') inbox.push_back(line);
    start();
    serial_use_port(&TEST_PEER);
    play_to_the_end();
    EXPECT_EQ(read_file("banrei.csa"), first);
    EXPECT_EQ(sent, sente_moves);
    EXPECT_TRUE(inbox.empty());
}

}  // namespace
