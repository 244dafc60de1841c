// A USI engine as the remote player of whole games on the headless screen:
// its moves arrive through the serial seam, it is sent the whole game, it
// is spared moves USI cannot say, and each way it can fail ends in a message
// and the menu with the record intact. Then a whole game of the built-in
// computer against fairy-stockfish through the same port.
#include <sys/stat.h>
#include <sys/wait.h>

#include "game_test_support.h"
#include "peers.h"
#include "serial.h"

namespace {


// Logs what it hears to "heard" and answers with the first line of the file
// "answers" not yet given (3c3d when there is none).
const char* const SCRIPTED_ENGINE =
    "#!/bin/sh\n"
    "cd \"$(dirname \"$0\")\"\n"
    "n=0\n"
    "while read -r line; do echo \"$line\" >>heard\n"
    "  case \"$line\" in\n"
    "    usi) echo usiok;;\n"
    "    isready) echo readyok;;\n"
    "    go*) n=$((n+1)); a=$(sed -n \"${n}p\" answers 2>/dev/null); echo \"bestmove ${a:-3c3d}\";;\n"
    "    quit) exit 0;;\n"
    "  esac\n"
    "done\n";

class UsiGameTest : public RemoteGameTest {
protected:
    void SetUp() override {
        RemoteGameTest::SetUp();
    }
    void TearDown() override {
        drop_peer();
        GameScreenTest::TearDown();
        EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);  // no child left behind
    }
    void use_engine(const char* script, const std::string& answers = "") {
        std::string path = (directory.path() / "engine").string();
        write_file(path, script);
        chmod(path.c_str(), 0755);
        if (!answers.empty()) write_file("answers", answers);
        UsiSettings settings = configured_usi_settings(path);
        settings.answer_ms = 500;
        settings.think_ms = 1500;
        use_usi_engine(settings);
    }
};

TEST_F(UsiGameTest, TheEnginesAnswerIsPlayedAndTheWholeGameIsSentEachTime) {
    use_engine(SCRIPTED_ENGINE, "3c3d\n8c8d\n");
    sente_plays_7776();
    EXPECT_EQ(turn_step(), 1);
    EXPECT_EQ(read_file("banrei.csa"), HEADER_HUMAN_REMOTE + "+7776FU\nT1\n-3334FU\nT1\n");
    // A game continued from a replayed record: the engine hears all of it.
    play({"+7776FU", "-3334FU", "+2726FU"});
    EXPECT_EQ(turn_step(), 1);
    EXPECT_EQ(read_file("banrei.csa"), HEADER_HUMAN_REMOTE + "+7776FU\nT1\n-3334FU\nT1\n+2726FU\nT1\n-8384FU\nT1\n");
    EXPECT_EQ(read_file("heard"),
              "usi\nisready\nusinewgame\nposition startpos moves 7g7f\ngo btime 0 wtime 0 byoyomi 3000\n"
              "position startpos moves 7g7f 3c3d 2g2f\ngo btime 0 wtime 0 byoyomi 3000\n");
}

// Sente's king walks onto the open diagonal of gote's bishop: the rules of
// the game allow it, USI cannot say it, so the bridge takes the king itself.
TEST_F(UsiGameTest, AKingLeftOpenIsTakenForTheEngine) {
    use_engine(SCRIPTED_ENGINE);
    play({"+7776FU", "-3334FU", "+5968OU", "-4132KI", "+6877OU"});
    GameThread turn(turn_step);
    GameThread::settle();
    type("x");  // "後手の勝ち！"
    type("x");  // the one more input
    type("q");  // the menu
    EXPECT_EQ(turn.result(), 0);
    EXPECT_EQ(read_file("heard").find("go"), std::string::npos);
    EXPECT_EQ(PieceTable[SENTE_KING_PIECE].square, sq(7, 7));
}

struct EngineFault {
    const char* name;
    const char* script;   // null: no such program
    const char* answers;  // the engine's bestmove texts
    const char* said;     // on standard output
    const char* record;   // after sente's 7776
    int messages;         // boxes shown before the menu
};

const char* const DIES_THINKING =
    "#!/bin/sh\nwhile read -r line; do case \"$line\" in usi) echo usiok;; isready) echo readyok;; go*) exit 1;; "
    "esac; done\n";
const char* const NOT_USI = "#!/bin/sh\nwhile read -r line; do echo 'what?'; done\n";

const EngineFault ENGINE_FAULTS[] = {
    {"missing", nullptr, "", "cannot start the USI engine", "", 1},
    {"not USI", NOT_USI, "", "never said usiok", "", 1},
    {"dies thinking", DIES_THINKING, "", "the USI engine ended", "", 1},
    {"empty square", SCRIPTED_ENGINE, "5e5d\n", "\"5e5d\" is not a move here", "", 1},
    {"sente's pawn", SCRIPTED_ENGINE, "7f7e\n", "\"7f7e\" is not a move here", "", 1},
    {"not a move", SCRIPTED_ENGINE, "zzzz\n", "\"zzzz\" is not a move here", "", 1},
    {"blocked rook", SCRIPTED_ENGINE, "8b8h\n", "\"8b8h\" is not a move here", "", 1},
    {"resigns", SCRIPTED_ENGINE, "resign\n", "", "%TORYO", 1},
    {"declares a win", SCRIPTED_ENGINE, "win\n", "declares that it wins", "", 0},
};

TEST_F(UsiGameTest, EveryEngineFaultEndsInTheMenuWithTheRecordIntact) {
    for (const EngineFault& f : ENGINE_FAULTS) {
        drop_peer();
        reset_game();
        write_record_header(PLAYER_HUMAN, PLAYER_REMOTE);
        std::filesystem::remove("heard");
        if (f.script != nullptr) {
            use_engine(f.script, f.answers);
        } else {
            UsiSettings missing;
            missing.command = {"/no/such/usi-engine"};
            use_usi_engine(missing);
        }
        sente_plays_7776();
        ::testing::internal::CaptureStdout();
        GameThread turn(turn_step);
        for (int i = 0; i < f.messages; ++i) {
            GameThread::settle();
            type("x");
        }
        GameThread::settle();
        type("q");
        EXPECT_EQ(turn.result(), 0) << f.name;
        std::string said = ::testing::internal::GetCapturedStdout();
        EXPECT_NE(said.find(f.said), std::string::npos) << f.name << ": " << said;
        EXPECT_EQ(read_file("banrei.csa"), HEADER_HUMAN_REMOTE + "+7776FU\nT1\n" + f.record) << f.name;
    }
}

TEST_F(UsiGameTest, AfterTheEngineDiedTheGameGoesOnWithAPerson) {
    use_engine(DIES_THINKING);
    sente_plays_7776();
    ::testing::internal::CaptureStdout();
    GameThread turn(turn_step);
    GameThread::settle();
    type("x");     // the engine's end
    type("c");     // continue
    type("h");     // sente a person
    type("h");     // gote a person
    EXPECT_EQ(turn.result(), 1);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(read_file("banrei.csa"), RECORD_HEADER_HUMANS + "+7776FU\nT1\n");
    EXPECT_EQ(side_to_move, GOTE);
}

// Thinks until told to stop; its late answer must not be played.
const char* const THINKS_UNTIL_STOPPED =
    "#!/bin/sh\ncd \"$(dirname \"$0\")\"\n"
    "while read -r line; do echo \"$line\" >>heard; case \"$line\" in usi) echo usiok;; isready) echo readyok;; "
    "stop) echo 'bestmove 3c3d';; quit) exit 0;; esac; done\n";

TEST_F(UsiGameTest, EscapeWhileTheEngineThinksOpensTheMenuAndItsLateAnswerIsDropped) {
    use_engine(THINKS_UNTIL_STOPPED);
    sente_plays_7776();
    GameThread turn(turn_step);
    usleep(300 * 1000);
    EXPECT_FALSE(turn.finished());
    type("\x1b");
    GameThread::settle();  // the menu
    type("q");
    EXPECT_EQ(turn.result(), 0);
    EXPECT_EQ(read_file("banrei.csa"), HEADER_HUMAN_REMOTE + "+7776FU\nT1\n");
    drop_peer();
    EXPECT_NE(read_file("heard").find("go btime 0 wtime 0 byoyomi 3000\nstop\n"), std::string::npos);
}

// The built-in computer against fairy-stockfish at depth 1, to the end of
// the game: every move of the record is one the rules allow and the record
// replays. Capped in plies to stay quick under the sanitizers.
TEST_F(UsiGameTest, TheComputerPlaysAWholeGameAgainstFairyStockfish) {
    if (find_program("fairy-stockfish").empty()) GTEST_SKIP() << "fairy-stockfish is not installed";
    UsiSettings settings = configured_usi_settings("fairy-stockfish");
    settings.go = "depth 1";
    use_usi_engine(settings);
    player_kind[SENTE] = PLAYER_COMPUTER;
    write_record_header(PLAYER_COMPUTER, PLAYER_REMOTE);
    constexpr int MOST_PLIES = 160;
    ::testing::internal::CaptureStdout();
    GameThread game([] {
        while (move_number <= MOST_PLIES && turn_step()) {
        }
        return 0;
    });
    while (!game.finished())
        if (ztl_headless_wait_for_idle(100)) type("q");  // the end's messages, then the menu
    game.result();
    std::string said = ::testing::internal::GetCapturedStdout();
    std::string record = read_file("banrei.csa");
    int moves = 0;
    expect_every_move_allowed(record, &moves);
    EXPECT_GT(moves, 20) << said;
    EXPECT_EQ(said.find("not a move"), std::string::npos) << said;
    int last = move_number - 1;
    ASSERT_EQ(replay_record(last, 0), 1);
    EXPECT_EQ(move_number, last + 1);
}

}  // namespace
