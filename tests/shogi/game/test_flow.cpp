// The referee: promotion, captures and the king, dialogs, the choice of
// players, the menu by keys and pen, and the clocks' charge.
#include "game_test_support.h"

namespace {

using FlowTest = GameScreenTest;

void relocate(int from, int to) {
    int piece = Board[from];
    Board[from] = NO_PIECE;
    Board[to] = piece;
    PieceTable[piece].square = to;
}

// The dialog "成りますか？": 12 bytes wide, centred on the board.
constexpr int QUESTION_X = 268;
constexpr int QUESTION_Y = 99;
constexpr int QUESTION_W = 104;
constexpr int QUESTION_H = 40;

TEST_F(FlowTest, ResetsKeepTheFormationTheFirstOneChose) {
    for (int side : {SENTE, GOTE}) {
        engine_settings[side].formation = -1;
        engine_settings[side].formation_count = 7;
    }
    reset_game();
    int chosen[2] = {engine_settings[SENTE].formation, engine_settings[GOTE].formation};
    EXPECT_GE(chosen[SENTE], 0);
    EXPECT_GE(chosen[GOTE], 0);
    for (int i = 1; i <= 20; ++i) {
        fake_seconds += i;  // another random seed every time
        reset_game();
        EXPECT_EQ(engine_settings[SENTE].formation, chosen[SENTE]);
        EXPECT_EQ(engine_settings[GOTE].formation, chosen[GOTE]);
    }
    EXPECT_EQ(move_number, 1);
    EXPECT_EQ(last_move.to, NO_SQUARE);
}

TEST_F(FlowTest, TheQuestionIsAnsweredByKeysAndButtons) {
    struct Case {
        const char* what;
        void (*answer)();
        int promoted;
    } cases[] = {
        {"y", [] { type("y"); }, 1},
        {"Y", [] { type("Y"); }, 1},
        {"Enter", [] { type("\r"); }, 1},
        {"Escape", [] { type("\x1b"); }, 1},
        {"[Yes]", [] { tap(QUESTION_X + 12, QUESTION_Y + 26); }, 1},
        {"n", [] { type("n"); }, 0},
        {"N", [] { type("N"); }, 0},
        {"[No]", [] { tap(QUESTION_X + 60, QUESTION_Y + 26); }, 0},
    };
    for (const Case& c : cases) {
        reset_game();
        relocate(sq(7, 7), 29);
        int piece = Board[29];
        GameThread move([] { return play_move(29, 20, SENTE, 0); });
        GameThread::settle();
        c.answer();
        EXPECT_EQ(move.result(), 1) << c.what;
        EXPECT_EQ(PieceTable[piece].kind, c.promoted ? PROMOTED_PAWN : PAWN) << c.what;
        EXPECT_EQ(Board[20], piece) << c.what;
        drain_input();
    }
}

TEST_F(FlowTest, TheQuestionBoxSitsOnTheBoardAndIgnoresTouchesBesideItsButtons) {
    std::string board = screen_picture(216, 16, 208, 208);
    relocate(sq(7, 7), 29);
    GameThread move([] { return play_move(29, 20, SENTE, 0); });
    GameThread::settle();
    EXPECT_EQ(screen_picture(QUESTION_X, QUESTION_Y, 4, 4), "0000\n0000\n0033\n0030\n");
    EXPECT_EQ(ztl_headless_screen_level(QUESTION_X + QUESTION_W - 3, QUESTION_Y + QUESTION_H - 3), 3);
    EXPECT_EQ(ztl_headless_screen_level(QUESTION_X + QUESTION_W, QUESTION_Y + 10), 0);
    tap(300, 40);  // on the board, outside the box: not an answer
    GameThread::settle();
    EXPECT_FALSE(move.finished());
    type("n");
    EXPECT_EQ(move.result(), 1);
    EXPECT_EQ(PieceTable[Board[20]].kind, PAWN);
    // The box is gone; only the two squares of the move changed.
    redraw_board();
    play({});
    EXPECT_EQ(screen_picture(216, 16, 208, 208), board);
}

TEST_F(FlowTest, AMessageBoxClosesOnAnyTouch) {
    GameThread message([] { return dialog("対局開始！", DIALOG_MESSAGE); });
    GameThread::settle();
    EXPECT_FALSE(message.finished());
    ztl_headless_pen_down(10, 10);
    EXPECT_EQ(message.result(), PEN_DOWN);
}

TEST_F(FlowTest, ABoxTooLargeForTheScreenIsNotShown) {
    std::string before = screen_picture(0, 0, 640, 240);
    layout(100, 20);
    EXPECT_EQ(dialog("成りますか？", DIALOG_YES_NO), 0);
    layout(ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT);
    EXPECT_EQ(screen_picture(0, 0, 640, 240), before);
}

TEST_F(FlowTest, CapturesGoDemotedIntoTheHand) {
    play({"+7776FU", "-3334FU", "+8822UM"});  // the bishop takes and promotes
    int horse = Board[sq(2, 2)];
    EXPECT_EQ(PieceTable[horse].kind, PROMOTED_BISHOP);
    type("n");  // gote's silver takes the horse: no question for a capture by a silver on rank 2
    EXPECT_EQ(play_move(sq(3, 1), sq(2, 2), GOTE, 0), 1);
    EXPECT_EQ(Board[GOTE_HAND_BASE], horse);
    EXPECT_EQ(PieceTable[horse].kind, BISHOP);
    EXPECT_EQ(PieceTable[horse].owner, GOTE);
    EXPECT_EQ(PieceTable[horse].square, GOTE_HAND_BASE);
    drain_input();
}

TEST_F(FlowTest, TakingAKingShowsTheWinnerAndWaitsForTwoInputs) {
    int board[BOARD_CELLS];
    std::memcpy(board, Board, sizeof board);
    type("ab");
    EXPECT_EQ(play_move(sq(5, 9), sq(5, 1), GOTE, 0), 0);
    EXPECT_EQ(ztl_get_key(0), -1);  // both inputs were taken
    EXPECT_EQ(std::memcmp(board, Board, sizeof board), 0);
}

TEST_F(FlowTest, TheComputerTakingTheKingEndsInTheMenuWithTheKingStillThere) {
    play({"+7776FU", "-5142OU", "+8833UM", "-1112KY"});
    player_kind[SENTE] = PLAYER_COMPUTER;
    int king = Board[sq(4, 2)];
    type("x");   // read after the think: neither q nor Escape, so the move is played
    type("ab");  // the win message, the extra wait
    type("q");   // then the menu
    EXPECT_EQ(turn_step(), 0);
    EXPECT_EQ(Board[sq(4, 2)], king);
    EXPECT_EQ(PieceTable[king].kind, KING);
    EXPECT_EQ(side_to_move, SENTE);
}

TEST_F(FlowTest, PlayersAreChosenOrLeftAsTheyWere) {
    struct Case {
        const char* keys;
        int result, sente, gote;
    } cases[] = {
        {"hc", 1, PLAYER_HUMAN, PLAYER_COMPUTER},
        {"ch", 1, PLAYER_COMPUTER, PLAYER_HUMAN},
        {"x", 0, PLAYER_NOBODY, PLAYER_REMOTE},
        {"c\x1b", 0, PLAYER_NOBODY, PLAYER_REMOTE},
    };
    for (const Case& c : cases) {
        player_kind[SENTE] = PLAYER_NOBODY;
        player_kind[GOTE] = PLAYER_REMOTE;
        type(c.keys);
        EXPECT_EQ(choose_players(), c.result) << c.keys;
        EXPECT_EQ(player_kind[SENTE], c.sente) << c.keys;
        EXPECT_EQ(player_kind[GOTE], c.gote) << c.keys;
    }
}

TEST_F(FlowTest, TheMenuAnswersKeysSelectionAndPenButtons) {
    struct Case {
        const char* what;
        void (*input)();
        int result, rotation;
    } cases[] = {
        {"q", [] { type("q"); }, 0, 0},
        {"r", [] { type("r"); }, 1, 1},
        {"down to r, Enter", [] { for (int i = 0; i < 4; ++i) press(ZTL_VK_DOWN); type("\r"); }, 1, 1},
        {"down past q, space", [] { for (int i = 0; i < 9; ++i) press(ZTL_VK_DOWN); type(" "); }, 0, 0},
        {"up stays on n, Enter, cancel", [] { press(ZTL_VK_UP); type("\r"); type("x"); }, 1, 0},
        {"pen on r", [] { tap(20, 4 + 6 * 16 + 8); }, 1, 1},
        {"pen on q", [] { tap(20, 4 + 7 * 16 + 8); }, 0, 0},
        {"other keys", [] { type("zf"); type("q"); }, 0, 0},
    };
    for (const Case& c : cases) {
        board_rotation = 0;
        GameThread menu(show_menu);
        GameThread::settle();
        c.input();
        EXPECT_EQ(menu.result(), c.result) << c.what;
        EXPECT_EQ(board_rotation, c.rotation) << c.what;
        drain_input();
    }
}

TEST_F(FlowTest, TheMenuOpensOverTheTopLeftCornerAndLeavesNoTrace) {
    GameThread menu(show_menu);
    GameThread::settle();
    // The frame two pixels inside the panel, the first entry highlighted.
    EXPECT_EQ(ztl_headless_screen_level(2, 2), 3);
    EXPECT_EQ(ztl_headless_screen_level(133, 133), 3);
    EXPECT_EQ(ztl_headless_screen_level(5, 4 + 2 * 16 + 1), 3);
    EXPECT_EQ(ztl_headless_screen_level(5, 4 + 3 * 16 + 1), 0);
    press(ZTL_VK_DOWN);
    GameThread::settle();
    EXPECT_EQ(ztl_headless_screen_level(5, 4 + 2 * 16 + 1), 0);
    EXPECT_EQ(ztl_headless_screen_level(5, 4 + 3 * 16 + 1), 3);
    type("q");
    EXPECT_EQ(menu.result(), 0);
    EXPECT_EQ(ink_in(0, 0, 20, 12), 0);  // the stand and white around it again
    EXPECT_EQ(ztl_headless_screen_level(27, 100), 1);
}

TEST_F(FlowTest, ForwardAtTheLatestMoveAndBackAtTheFirstDoNothing) {
    play({"+7776FU", "-3334FU"});
    int board[BOARD_CELLS];
    std::memcpy(board, Board, sizeof board);
    type("fq");
    EXPECT_EQ(show_menu(), 0);
    EXPECT_EQ(std::memcmp(board, Board, sizeof board), 0);
    EXPECT_EQ(move_number, 3);

    reset_game();
    write_record_header(PLAYER_HUMAN, PLAYER_HUMAN);
    type("bq");
    EXPECT_EQ(show_menu(), 0);
    EXPECT_EQ(move_number, 1);
}

const std::string FOUR_MOVES = RECORD_HEADER_HUMANS + "+7776FU\nT1\n-3334FU\nT1\n+2726FU\nT1\n-8384FU\nT1\n";

TEST_F(FlowTest, BackTwiceThenEscapeTakesTwoMovesBack) {
    play({"+7776FU", "-3334FU", "+2726FU", "-8384FU"});
    type("bb\x1b");
    EXPECT_EQ(show_menu(), 1);
    EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS + "+7776FU\nT1\n-3334FU\nT1\n");
    EXPECT_EQ(move_number, 3);
    EXPECT_EQ(side_to_move, SENTE);
    EXPECT_EQ(PieceTable[Board[sq(2, 7)]].kind, PAWN);
}

TEST_F(FlowTest, BackThenForwardThenContinueKeepsTheWholeGame) {
    play({"+7776FU", "-3334FU", "+2726FU", "-8384FU"});
    type("bbf");
    type("c");
    type("hh");
    EXPECT_EQ(show_menu(), 1);
    EXPECT_EQ(move_number, 4);
    EXPECT_EQ(side_to_move, GOTE);
    EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS + "+7776FU\nT1\n-3334FU\nT1\n+2726FU\nT1\n");
}

// Leaving the menu without a rewrite after stepping back would append the
// next move to the longer game; the record is cut at the position shown.
TEST_F(FlowTest, LeavingTheMenuAnyOtherWayCutsTheRecordAtThePositionShown) {
    for (const char* keys : {"br", "bnx", "bcx"}) {
        play({"+7776FU", "-3334FU", "+2726FU", "-8384FU"});
        type(keys);
        EXPECT_EQ(show_menu(), 1) << keys;
        EXPECT_EQ(move_number, 4) << keys;
        EXPECT_EQ(side_to_move, GOTE) << keys;
        EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS + "+7776FU\nT1\n-3334FU\nT1\n+2726FU\nT1\n") << keys;
        drain_input();
        board_rotation = 0;
    }
}

// Each way the menu clears the record panel starts its lines again at the top.
TEST_F(FlowTest, TheRecordPanelStartsAtItsTopAfterItIsCleared) {
    const PanelRect& r = panels[PANEL_RECORD];
    play({"+7776FU"});
    const std::string first_line = screen_picture(r.x, r.y, r.w, r.h);
    play({"+7776FU", "-3334FU", "+2726FU"});
    const std::string three_lines = screen_picture(r.x, r.y, r.w, r.h);
    for (const char* keys : {"\x1b", "chh", "nhhx"}) {
        play({"+7776FU", "-3334FU", "+2726FU"});
        type(keys);
        EXPECT_EQ(show_menu(), 1) << keys;
        if (keys[0] == 'n') {
            show_kifu_line(PAWN, sq(7, 7), sq(7, 6), SENTE);  // the new game's first move
            EXPECT_EQ(screen_picture(r.x, r.y, r.w, r.h), first_line) << keys;
        } else {
            EXPECT_EQ(screen_picture(r.x, r.y, r.w, r.h), three_lines) << keys;
        }
        drain_input();
    }
}

// After a resignation the menu's way out rewrites the record without its
// "%TORYO", so the next move is appended where it belongs.
TEST_F(FlowTest, LeavingTheMenuAfterAResignationTakesItOutOfTheRecord) {
    for (const char* keys : {"r", "nx", "cx"}) {
        play({"+7776FU", "-3334FU"});
        append_resignation();
        type(keys);
        EXPECT_EQ(show_menu(), 1) << keys;
        EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS + "+7776FU\nT1\n-3334FU\nT1\n") << keys;
        EXPECT_TRUE(record_matches_board) << keys;
        move_time = 4;
        record_move(PAWN, sq(2, 7), sq(2, 6), SENTE);
        EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS + "+7776FU\nT1\n-3334FU\nT1\n+2726FU\nT4\n") << keys;
        drain_input();
        board_rotation = 0;
    }
}

TEST_F(FlowTest, ANewGameRewritesTheRecordForTheNewPlayers) {
    play({"+7776FU", "-3334FU"});
    type("nhcx");  // new game, Human against the computer, close "対局開始！"
    EXPECT_EQ(show_menu(), 1);
    EXPECT_EQ(read_file("banrei.csa"),
              "'Players\nN+Human\nN-Zentrio\n'HIRATE( normal )\nPI\n'Black\n+\n'Kifu & Time\n");
    EXPECT_EQ(move_number, 1);
    EXPECT_EQ(player_kind[GOTE], PLAYER_COMPUTER);
    EXPECT_EQ(PieceTable[Board[sq(7, 7)]].kind, PAWN);
}

TEST_F(FlowTest, ARecordThatCannotBeReadEndsTheGameWithAMessage) {
    play({"+7776FU"});
    std::remove("banrei.csa");
    ::testing::internal::CaptureStdout();
    GameThread menu(show_menu);
    type("b");
    GameThread::settle();
    // The message box is up on the board: 24 bytes wide, its frame two pixels in.
    EXPECT_EQ(screen_picture(220, 107, 4, 4), "0000\n0000\n0033\n0030\n");
    type("x");
    EXPECT_EQ(menu.result(), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "open: banrei.csa: No such file or directory\n");
}

TEST_F(FlowTest, KeysTypedWhileTheComputerThinksAreReadAfterItsMove) {
    player_kind[SENTE] = PLAYER_COMPUTER;
    int board[BOARD_CELLS];
    std::memcpy(board, Board, sizeof board);
    type("q");
    EXPECT_EQ(turn_step(), 0);
    EXPECT_EQ(std::memcmp(board, Board, sizeof board), 0);

    type("\x1b");
    type("q");
    EXPECT_EQ(turn_step(), 0);
    EXPECT_EQ(std::memcmp(board, Board, sizeof board), 0);
    EXPECT_EQ(move_number, 1);
}

TEST_F(FlowTest, AMoveIsChargedTheWholeSecondsOfItsLastTickPlusOne) {
    // 7七 to 7六 by keys from the centre of the board.
    auto enter_move = [] {
        for (int k : {ZTL_VK_LEFT, ZTL_VK_LEFT, ZTL_VK_DOWN, ZTL_VK_DOWN}) press(k);
        type("\r");
        press(ZTL_VK_UP);
        type("\r");
    };
    enter_move();
    EXPECT_EQ(turn_step(), 1);
    EXPECT_EQ(clock_total[SENTE], 1);
    EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS + "+7776FU\nT1\n");
    // Sente's line reads 00:00 for the move and 00:01 in total.
    std::string shown = screen_picture(461, 80, 152, 20);
    draw_clock(0, 1, SENTE);
    EXPECT_EQ(screen_picture(461, 80, 152, 20), shown);

    GameThread turn(turn_step);
    GameThread::settle();
    fake_seconds += 5;
    // The cursor stayed on 7六; 3三 is four columns right and three rows up.
    for (int k : {ZTL_VK_RIGHT, ZTL_VK_RIGHT, ZTL_VK_RIGHT, ZTL_VK_RIGHT, ZTL_VK_UP, ZTL_VK_UP, ZTL_VK_UP}) press(k);
    type("\r");
    press(ZTL_VK_DOWN);
    type("\r");
    EXPECT_EQ(turn.result(), 1);
    EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS + "+7776FU\nT1\n-3334FU\nT6\n");
    EXPECT_EQ(clock_total[GOTE], 6);
}

}  // namespace
