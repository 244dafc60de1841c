// The whole program as a person meets it: start-up, a game between two
// people by keys and pen written byte for byte, and the computer playing
// itself to the end with every recorded move allowed by the rules.
#include "game_test_support.h"

namespace {

const std::string FRESH_RECORD = "'Players\nN+MATTA\nN-Zentrio\n'HIRATE( normal )\nPI\n'Black\n+\n'Kifu & Time\n";

class ProgramTest : public ::testing::Test {
protected:
    WorkingDirectory directory;
};

// Ends the program from wherever it waits: message boxes take any key, the
// menu and a person's turn take q.
int quit(GameThread& program) {
    for (int i = 0; i < 10 && !program.finished(); ++i) {
        type("q");
        usleep(20000);
    }
    return program.result();
}

TEST_F(ProgramTest, AFreshStartShowsTheBoardWithTheMenuAndQuits) {
    ::testing::internal::CaptureStdout();
    GameThread program(run_app_main);
    GameThread::settle();
    EXPECT_EQ(ztl_headless_window_title(), "ZTL for Win32");
    EXPECT_EQ(screen_picture(0, 0, 4, 4), "0000\n0000\n0033\n0030\n");  // the menu's frame
    EXPECT_EQ(ztl_headless_screen_level(216, 16), 3);                 // the board's grid
    EXPECT_EQ(read_file("banrei.csa"), FRESH_RECORD);
    type("q");
    EXPECT_EQ(program.result(), 0);
    std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(output.rfind("BanreiZTL version 1.1.0\nBanrei-core version 1.1\nsente.ini\n", 0), 0u) << output;
    EXPECT_EQ(ink_in(0, 0, 640, 240), 0);
    EXPECT_EQ(screen_picture(0, 0, 1, 1), "0\n");
}

TEST_F(ProgramTest, UnloadableSettingsEndTheProgramBeforeTheScreenIsUsed) {
    write_file("gote.ini", "NOT_A_KEY: 1\n");
    EXPECT_EXIT(run_app_main(), ::testing::ExitedWithCode(0), "");
}

// Two people: moves by keys, by taps, by a drag, a promotion, a drop; then q.
TEST_F(ProgramTest, AGameBetweenTwoPeopleIsRecordedByteForByte) {
    GameThread program(run_app_main);
    GameThread::settle();
    type("nhhx");  // new game, Human / Human, close "対局開始！"
    GameThread::settle();
    for (int k : {ZTL_VK_LEFT, ZTL_VK_LEFT, ZTL_VK_DOWN, ZTL_VK_DOWN}) press(k);
    type("\r");
    press(ZTL_VK_UP);
    type("\r");  // 7七 to 7六
    GameThread::settle();
    tap_square(sq(3, 3));
    tap_square(sq(3, 4));
    GameThread::settle();
    tap_square(sq(8, 8));
    tap_square(sq(2, 2));  // the bishop takes the bishop ...
    GameThread::settle();
    type("y");  // ... and promotes
    GameThread::settle();
    int x = square_centre_x(sq(3, 1));
    ztl_headless_pen_down(x, square_centre_y(sq(3, 1)));
    ztl_headless_pen_move(x + 8, square_centre_y(sq(3, 1)) + 8);
    ztl_headless_pen_move(square_centre_x(sq(2, 2)), square_centre_y(sq(2, 2)));
    ztl_headless_pen_up(square_centre_x(sq(2, 2)), square_centre_y(sq(2, 2)));  // the silver takes the horse
    GameThread::settle();
    tap(457 + 8, 132 + 12);  // sente's bishop in hand ...
    tap_square(sq(5, 5));    // ... dropped on 5五
    GameThread::settle();
    type("q");
    EXPECT_EQ(program.result(), 0);
    EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS +
                                           "+7776FU\nT1\n-3334FU\nT1\n+8822UM\nT1\n-3122GI\nT1\n+0055KA\nT1\n");
}

#if defined(__SANITIZE_ADDRESS__)
constexpr int SHIPPED_GAME_MOVES = 6;  // an opening think takes seconds under the sanitizers
#else
// A whole game of the shipped settings against themselves can run to
// hundreds of moves of up to seconds each; the opening and the start of the
// middle game show whether the program plays them.
constexpr int SHIPPED_GAME_MOVES = 60;
#endif

// The one game test with the shipped settings as they are.
TEST_F(ProgramTest, TheComputerPlaysItselfWithTheShippedSettings) {
    directory.use_shipped_settings();
    ::testing::internal::CaptureStdout();
    GameThread program(run_app_main);
    GameThread::settle();
    type("ncc");  // new game, computer against computer
    GameThread::settle();
    type("x");  // "対局開始！": the game runs until a king is taken or a side resigns
    while (!ztl_headless_wait_for_idle(100) && move_number <= SHIPPED_GAME_MOVES) {
    }
    if (move_number > SHIPPED_GAME_MOVES) type("\x1b");  // the menu opens after the move being thought
    GameThread::settle(600000);
    std::string record = read_file("banrei.csa");
    int moves = 0;
    expect_every_move_allowed(record, &moves);
    expect_board_is_live_board();
    EXPECT_GT(moves, std::min(10, SHIPPED_GAME_MOVES - 2));
    EXPECT_EQ(record.rfind("'Players\nN+Zentrio\nN-Zentrio\n", 0), 0u);
    EXPECT_EQ(quit(program), 0);
    ::testing::internal::GetCapturedStdout();
}

}  // namespace
