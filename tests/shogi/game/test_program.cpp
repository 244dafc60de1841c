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

// An independent replay of a record's moves: every move line must be a move
// the rules allow for the side to move, executed as the game executes it.
void expect_every_move_allowed(const std::string& record, int* moves) {
    int board[BOARD_CELLS];
    PieceRecord pieces[PIECE_RECORDS];
    set_up_position(board, pieces);
    std::istringstream lines(record);
    std::string line;
    int side = SENTE;
    *moves = 0;
    const std::string codes = "OUKIHIKAGIKEKYFURYUMNGNKNYTO";
    while (std::getline(lines, line)) {
        if (line.empty() || (line[0] != '+' && line[0] != '-') || line.size() != 7) continue;
        ASSERT_EQ(line[0], side == SENTE ? '+' : '-') << line;
        int kind = static_cast<int>(codes.find(line.substr(5, 2))) / 2;
        int to = sq(line[3] - '0', line[4] - '0');
        int from = -1;
        if (line[1] == '0') {
            for (int cell = hand_base(side); cell < hand_base(side) + HAND_SLOTS && from < 0; ++cell)
                if (board[cell] != NO_PIECE && pieces[board[cell]].kind == kind) from = cell;
        } else {
            from = sq(line[1] - '0', line[2] - '0');
        }
        ASSERT_GE(from, 0) << line;
        ASSERT_TRUE(can_move(from, to, board, pieces)) << "move " << *moves + 1 << ": " << line;
        ASSERT_EQ(pieces[board[from]].owner, side) << line;
        int taken = board[to];
        if (taken != NO_PIECE) {
            ASSERT_NE(pieces[taken].kind, KING) << line;
            if (pieces[taken].kind > PAWN) pieces[taken].kind -= PROMOTION_OFFSET;
            pieces[taken].owner = side;
            board[hand_base(side) + HAND_SLOTS - 1] = taken;
        }
        pieces[board[from]].kind = kind;
        board[to] = board[from];
        pieces[board[to]].square = to;
        board[from] = NO_PIECE;
        sort_hand(board, pieces, side);
        side = 1 - side;
        ++*moves;
    }
    for (int cell = 0; cell < BOARD_CELLS; ++cell) EXPECT_EQ(board[cell], Board[cell]) << "cell " << cell;
}

TEST_F(ProgramTest, TheComputerPlaysItselfToTheEnd) {
    ::testing::internal::CaptureStdout();
    GameThread program(run_app_main);
    GameThread::settle();
    type("ncc");  // new game, computer against computer
    GameThread::settle();
    type("x");  // "対局開始！": the game runs until a king is taken or a side resigns
    GameThread::settle(600000);
    std::string record = read_file("banrei.csa");
    int moves = 0;
    expect_every_move_allowed(record, &moves);
    EXPECT_GT(moves, 10);
    EXPECT_EQ(record.rfind("'Players\nN+Zentrio\nN-Zentrio\n", 0), 0u);
    EXPECT_EQ(quit(program), 0);
    ::testing::internal::GetCapturedStdout();
}

}  // namespace
