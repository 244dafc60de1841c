// The game record: move texts written and read back, replays of hand-edited
// and damaged files, and the file on disk after every kind of rewrite.
#include <random>

#include "game_test_support.h"

namespace {

using RecordTest = GameScreenTest;

std::string captured_replay(const std::string& moves, int n, int rewrite, int* result) {
    write_file("banrei.csa", RECORD_HEADER_HUMANS + moves);
    ::testing::internal::CaptureStdout();
    *result = replay_record(n, rewrite);
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

TEST(MoveText, MovesDropsAndPromotionsAreWrittenInCsaNotation) {
    struct Case {
        int kind, from, to, side;
        const char* text;
    } cases[] = {
        {PAWN, sq(7, 7), sq(7, 6), SENTE, "+7776FU"},
        {PAWN, sq(3, 3), sq(3, 4), GOTE, "-3334FU"},
        {BISHOP, GOTE_HAND_BASE + 3, sq(5, 5), GOTE, "-0055KA"},
        {PROMOTED_PAWN, sq(2, 4), sq(2, 3), SENTE, "+2423TO"},
        {PROMOTED_BISHOP, sq(8, 8), sq(2, 2), SENTE, "+8822UM"},
        {KING, sq(1, 1), sq(9, 9), GOTE, "-1199OU"},
    };
    for (const Case& c : cases) {
        char text[MOVE_TEXT_SIZE];
        format_move(c.kind, c.from, c.to, c.side, text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST_F(RecordTest, MoveTextsThatDoNotParseSayWhy) {
    struct Case {
        const char* text;
        int side;
        const char* message;
    } cases[] = {
        {"+7776fu", SENTE, "RS232C receive error!\n"},
        {"+7776XX", SENTE, "RS232C receive error!\n"},
        {"+0055KA", SENTE, "A piece is not found!\n"},
        {"+7775FU", SENTE, "Movable error!\n"},
        {"+3334FU", SENTE, "Movable error!\n"},  // gote's pawn moved for sente
        {"-7776FU", GOTE, "Movable error!\n"},
        {"+7076FU", SENTE, "Movable error!\n"},  // rank 0 of a file: no square
        {"+777", SENTE, ""},
        {"+7776F", SENTE, ""},
        {"+", SENTE, ""},
        {"", SENTE, ""},
    };
    for (const Case& c : cases) {
        side_to_move = c.side;
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(parse_move(c.text), 0) << c.text;
        std::fflush(stdout);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.message) << c.text;
    }
}

// Every move the rules allow, written and read back, is the same move.
TEST_F(RecordTest, WrittenMovesReadBackAsTheSameMove) {
    std::mt19937 random(7);
    int checked = 0;
    for (int turn = 0; turn < 300; ++turn) {
        int s = side_to_move;
        std::vector<std::pair<int, int>> moves;
        for (int from = 0; from < BOARD_CELLS; ++from) {
            if (Board[from] == NO_PIECE || PieceTable[Board[from]].owner != s) continue;
            for (int to = 0; to < SQUARES; ++to)
                if (can_move(from, to, Board, PieceTable) && (Board[to] == NO_PIECE || PieceTable[Board[to]].kind != KING))
                    moves.push_back({from, to});
        }
        if (moves.empty()) break;
        auto [from, to] = moves[random() % moves.size()];
        int kind = PieceTable[Board[from]].kind;
        int promote = may_promote(from, to, s, Board, PieceTable) && random() % 2;
        int written_kind = promote ? kind + PROMOTION_OFFSET : kind;
        char text[MOVE_TEXT_SIZE];
        format_move(written_kind, from, to, s, text);
        ASSERT_EQ(parse_move(text), 1) << text;
        EXPECT_EQ(last_move.to, to) << text;
        EXPECT_EQ(last_move.promote, written_kind > PAWN) << text;  // any promoted code
        // A drop names the kind, not the cell: the first one of that kind is taken.
        if (from < SENTE_HAND_BASE) EXPECT_EQ(last_move.from, from) << text;
        else EXPECT_EQ(PieceTable[Board[last_move.from]].kind, kind) << text;
        player_kind[s] = PLAYER_REMOTE;  // promote exactly as the text says
        play_move(last_move.from, last_move.to, s, last_move.promote);
        side_to_move = 1 - s;
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

TEST_F(RecordTest, ADropAndAPromotionReplayWithoutAQuestion) {
    int result;
    std::string moves = "+7776FU\nT3\n-3334FU\nT1\n+8822UM\nT2\n-3122GI\nT1\n+2726FU\nT1\n-0055KA\nT4\n"
                        "+2625FU\nT1\n-5566KA\nT1\n+2524FU\nT1\n-8384FU\nT1\n+2423TO\nT1\n";
    type("n");  // a question would take this answer
    EXPECT_EQ(captured_replay(moves, 100, 0, &result), "");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(ztl_get_key(0), 'n');
    EXPECT_EQ(PieceTable[Board[sq(2, 3)]].kind, PROMOTED_PAWN);
    EXPECT_EQ(PieceTable[Board[sq(6, 6)]].kind, BISHOP);
    EXPECT_EQ(PieceTable[Board[sq(6, 6)]].owner, GOTE);
    EXPECT_EQ(move_number, 12);
    EXPECT_EQ(side_to_move, GOTE);
    EXPECT_EQ(clock_total[SENTE], 3 + 2 + 1 + 1 + 1 + 1);
    EXPECT_EQ(clock_total[GOTE], 1 + 1 + 4 + 1 + 1);
    EXPECT_EQ(player_kind[SENTE], PLAYER_HUMAN);  // the players are left as they were
}

TEST_F(RecordTest, AMoveTheReaderRefusesStopsTheReplay) {
    int result;
    EXPECT_EQ(captured_replay("+7776FU\nT1\n-3334fu\nT1\n", 2, 0, &result), "RS232C receive error!\nWhite error!\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(PieceTable[Board[sq(7, 6)]].kind, PAWN);  // reached so far
}

// A hand-made record may take a king: the replay refuses that move as play
// does, with the win message, and stops there.
TEST_F(RecordTest, AMoveThatTakesAKingStopsTheReplayWithTheWinMessage) {
    int result;
    type("ab");  // the message box and the wait after it take one input each
    EXPECT_EQ(captured_replay("+7776FU\nT1\n-3334FU\nT1\n+8822UM\nT1\n-9394FU\nT1\n+2231UM\nT1\n"
                              "-9495FU\nT1\n+3141UM\nT1\n-9596FU\nT1\n+4151UM\nT1\n",
                              99, 0, &result),
              "Black error!\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ztl_get_key(0), -1);
    EXPECT_EQ(PieceTable[Board[sq(5, 1)]].kind, KING);
    EXPECT_EQ(PieceTable[Board[sq(4, 1)]].kind, PROMOTED_BISHOP);
    EXPECT_EQ(move_number, 9);
}

TEST_F(RecordTest, AResignationReplaysUpToItAndARewriteDropsIt) {
    int result;
    captured_replay("+7776FU\nT1\n-3334FU\nT1\n%TORYO", 99, 0, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(move_number, 3);
    captured_replay("+7776FU\nT1\n-3334FU\nT1\n%TORYO", 2, 1, &result);
    EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS + "+7776FU\nT1\n-3334FU\nT1\n");
}

TEST_F(RecordTest, AMoveWithoutItsTimeLineBreaksTheAlternation) {
    int result;
    captured_replay("+7776FU\n-3334FU\nT1\n+2726FU\nT1\n-8384FU\nT1\n", 99, 0, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(PieceTable[Board[sq(7, 6)]].kind, PAWN);  // executed
    EXPECT_EQ(Board[sq(3, 4)], NO_PIECE);                // fell on the wrong side
    EXPECT_EQ(Board[sq(2, 6)], NO_PIECE);
    EXPECT_EQ(Board[sq(8, 4)], NO_PIECE);
    EXPECT_EQ(move_number, 4);  // the time lines still count moves
    EXPECT_EQ(side_to_move, GOTE);
}

// Rooks shuffle back and forth: 4 moves a round, each with its time line.
std::string shuffling_rooks(int move_count) {
    std::string moves;
    const char* round[] = {"+2858HI", "-8252HI", "+5828HI", "-5282HI"};
    for (int i = 0; i < move_count; ++i) moves += std::string(round[i % 4]) + "\nT1\n";
    return moves;
}

TEST_F(RecordTest, TheReaderTakesEveryMoveInSlotsOfNineCharacters) {
    int result;
    captured_replay(shuffling_rooks(1200), 10000, 0, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(move_number, 1201);
    EXPECT_EQ(clock_total[GOTE], 600);
    // A long line is read in pieces of nine characters; the rest is skipped.
    captured_replay("+7776FU" + std::string(40, 'x') + "\nT1\n-3334FU\nT1\n", 99, 0, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(move_number, 3);
}

// Stepping through a long game and going on from its end keeps every move.
TEST_F(RecordTest, ALongGameKeepsEveryMoveThroughForwardBackAndEscape) {
    const std::string record = RECORD_HEADER_HUMANS + shuffling_rooks(1200);
    write_file("banrei.csa", record);
    ASSERT_EQ(replay_record(1200, 1), 1);
    EXPECT_EQ(read_file("banrei.csa"), record);
    type("bbff\x1b");
    EXPECT_EQ(show_menu(), 1);
    EXPECT_EQ(move_number, 1201);
    EXPECT_EQ(read_file("banrei.csa"), record);
    type("b\x1b");  // one move taken back, exactly one
    EXPECT_EQ(show_menu(), 1);
    EXPECT_EQ(move_number, 1200);
    EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS + shuffling_rooks(1199));
}

// A rewriting replay that stops early or cannot read the file leaves the
// record on disk as it was, and says why.
TEST_F(RecordTest, ARecordThatDoesNotReplayWholeIsLeftUntouched) {
    const std::string bad_move = "+7776FU\nT1\n-3334FU\nT1\n+7775FU\nT1\n-2233KA\nT1\n";
    int result;
    EXPECT_EQ(captured_replay(bad_move, 99, 1, &result), "Movable error!\nBlack error!\n");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS + bad_move);
    EXPECT_FALSE(record_matches_board);

    std::remove("banrei.csa");
    std::filesystem::create_directory("banrei.csa");
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(replay_record(99, 1), 0);
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "read: banrei.csa: Is a directory\n");
    EXPECT_TRUE(std::filesystem::is_directory("banrei.csa"));
}

TEST_F(RecordTest, RewritingReplaysWriteTheRecordAsRead) {
    int result;
    std::string moves = "+7776FU\nT12\n-3334FU\nT1\n+2726FU\nT1\n";
    captured_replay(moves, 2, 1, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS + "+7776FU\nT12\n-3334FU\nT1\n");
    EXPECT_EQ(clock_total[SENTE], 12);
    EXPECT_TRUE(record_matches_board);
}

TEST_F(RecordTest, AMoveAndItsTimeAreAppendedTogether) {
    move_time = 7;
    record_move(PAWN, sq(7, 7), sq(7, 6), SENTE);
    EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS + "+7776FU\nT7\n");
    append_resignation();
    EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS + "+7776FU\nT7\n%TORYO");
    EXPECT_FALSE(record_matches_board);
}

TEST_F(RecordTest, ARecordThatCannotBeWrittenIsReported) {
    std::remove("banrei.csa");
    std::filesystem::create_directory("banrei.csa");
    ::testing::internal::CaptureStdout();
    write_record_header(PLAYER_HUMAN, PLAYER_COMPUTER);
    EXPECT_EQ(append_record_line("+7776FU\nT1\n"), 0);
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "open: banrei.csa: Is a directory\nopen: banrei.csa: Is a directory\n");
}

// Arbitrary bytes as a record: a replay reads, plays what it accepts and
// stops or finishes; the position stays consistent and nothing faults.
TEST_F(RecordTest, AnyBytesReplayWithoutFaults) {
    std::mt19937 random(11);
    const std::string alphabet = "+-T%'\n0123456789FUKAHIOUGIKEKYRYUMNGNKNYTO\r\t \x81\x9f\xff";
    std::string valid = "+7776FU\nT1\n-3334FU\nT1\n+8822UM\nT1\n-3122GI\nT1\n+0055KA\nT1\n";
    for (int round = 0; round < 300; ++round) {
        std::string text = round % 2 ? RECORD_HEADER_HUMANS + valid : std::string();
        int length = static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i)
            text.insert(text.begin() + random() % (text.size() + 1),
                        round % 3 ? alphabet[random() % alphabet.size()] : static_cast<char>(random()));
        write_file("banrei.csa", text);
        ::testing::internal::CaptureStdout();
        type("nnnn");  // answers for any win message a replayed king capture shows
        int rewrite = round % 4 == 0;
        replay_record(static_cast<int>(random() % 40), rewrite);
        ::testing::internal::GetCapturedStdout();
        drain_input();
        for (int piece = 0; piece < PIECE_COUNT; ++piece) ASSERT_EQ(Board[PieceTable[piece].square], piece);
    }
}

}  // namespace
