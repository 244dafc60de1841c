// The USI engine peer against small scripted fake engines (shell scripts run
// without a shell, like any engine) and against fairy-stockfish: the
// handshake and its options, the whole move list, stop, and every way an
// engine can fail, each ending in a reason and never in a hang or a zombie.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>
#include <string>

#include "line_link.h"
#include "usi_engine.h"

namespace {

double seconds_now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

class FakeEngines : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/usi-test-XXXXXX";
        folder_ = mkdtemp(pattern);
    }
    void TearDown() override {
        std::filesystem::remove_all(folder_);
        // Every child was reaped: none is left, running or zombie.
        EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
        EXPECT_EQ(errno, ECHILD);
    }
    // A fake engine: a shell script whose input is logged to "heard".
    std::string fake(const std::string& name, const std::string& body) {
        std::string path = folder_ + "/" + name;
        std::ofstream(path) << "#!/bin/sh\nexec 2>/dev/null\n" << body;
        chmod(path.c_str(), 0755);
        return path;
    }
    std::string heard() const {
        std::ifstream in(folder_ + "/heard");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    UsiSettings settings_for(const std::string& program) const {
        UsiSettings s;
        s.command = {program};
        s.go = "depth 1";
        s.answer_ms = 400;
        s.think_ms = 2000;
        return s;
    }
    std::string folder_;
};

// A well-behaved engine that logs what it hears and answers 3c3d, or what a
// "bestmove" file next to it says.
const char* const GOOD_ENGINE =
    "cd \"$(dirname \"$0\")\"\n"
    "while read -r line; do echo \"$line\" >>heard\n"
    "  case \"$line\" in\n"
    "    usi) echo 'id name fake'; echo usiok;;\n"
    "    isready) echo readyok;;\n"
    "    go*) if [ -f bestmove ]; then echo \"bestmove $(cat bestmove)\"; else echo 'info depth 1'; echo 'bestmove 3c3d'; fi;;\n"
    "    quit) exit 0;;\n"
    "  esac\n"
    "done\n";

// Steps until the engine answers or fails; the answer or "FAILED: reason".
std::string answer_of(UsiEngine& engine, int limit_ms = 5000) {
    std::string bestmove;
    for (int waited = 0; waited < limit_ms; waited += 20) {
        UsiEvent event = engine.step(20, bestmove);
        if (event == USI_BESTMOVE) return bestmove;
        if (event == USI_FAILED) return "FAILED: " + engine.reason();
    }
    return "STILL WAITING";
}

TEST_F(FakeEngines, TheHandshakeOptionsAndTheWholeMoveListReachTheEngine) {
    UsiEngine engine;
    UsiSettings s = settings_for(fake("good", GOOD_ENGINE));
    s.options = {{"Skill Level", "3"}, {"USI_Hash", "16"}};
    ASSERT_TRUE(engine.start(s));
    engine.think({"7g7f"});
    EXPECT_EQ(answer_of(engine), "3c3d");
    engine.think({"7g7f", "3c3d", "2g2f"});  // the same game goes on
    EXPECT_EQ(answer_of(engine), "3c3d");
    engine.think({"2g2f"});  // another game
    EXPECT_EQ(answer_of(engine), "3c3d");
    engine.game_over("win");
    engine.quit();
    EXPECT_EQ(heard(),
              "usi\nsetoption name Skill Level value 3\nsetoption name USI_Hash value 16\nisready\n"
              "usinewgame\nposition startpos moves 7g7f\ngo depth 1\n"
              "position startpos moves 7g7f 3c3d 2g2f\ngo depth 1\n"
              "usinewgame\nposition startpos moves 2g2f\ngo depth 1\ngameover win\nquit\n");
}

TEST_F(FakeEngines, AStoppedMovesLateAnswerIsDropped) {
    // Thinks until told to stop, then answers with the move it stopped at.
    std::string program = fake("slow",
                               "n=0\n"
                               "while read -r line; do case \"$line\" in\n"
                               "  usi) echo usiok;; isready) echo readyok;;\n"
                               "  stop) n=$((n+1)); echo \"bestmove 1g1f\";;\n"
                               "  go*) if [ $n -gt 0 ]; then echo 'bestmove 9g9f'; fi;;\n"
                               "  quit) exit 0;; esac; done\n");
    UsiEngine engine;
    ASSERT_TRUE(engine.start(settings_for(program)));
    engine.think({});
    EXPECT_EQ(answer_of(engine, 200), "STILL WAITING");
    engine.stop_thinking();
    engine.think({});
    EXPECT_EQ(answer_of(engine), "9g9f");
}

struct Fault {
    const char* name;
    const char* script;  // null: the program does not exist
    UsiFailure failure;
};

const Fault FAULTS[] = {
    {"missing", nullptr, USI_CANNOT_START},
    {"silent", "while read -r line; do :; done\n", USI_NO_ANSWER},
    {"chatter", "while read -r line; do echo 'hello there'; done\n", USI_NO_ANSWER},
    {"no_readyok", "while read -r line; do [ \"$line\" = usi ] && echo usiok; done\n", USI_NO_ANSWER},
    {"exits", "exit 3\n", USI_GONE},
    {"dies_thinking",
     "while read -r line; do case \"$line\" in usi) echo usiok;; isready) echo readyok;; go*) exit 1;; esac; done\n",
     USI_GONE},
    {"never_moves", "while read -r line; do case \"$line\" in usi) echo usiok;; isready) echo readyok;; esac; done\n",
     USI_NO_ANSWER},
    {"flood_then_silence",
     "head -c 1048576 /dev/zero | tr '\\0' x; echo; while read -r line; do :; done\n", USI_NO_ANSWER},
};

TEST_F(FakeEngines, EveryFaultEndsWithAReasonInsteadOfAHang) {
    for (const Fault& f : FAULTS) {
        UsiEngine engine;
        std::string program = f.script != nullptr ? fake(f.name, f.script) : folder_ + "/no-such-engine";
        UsiSettings s = settings_for(program);
        s.think_ms = 400;
        double start = seconds_now();
        if (engine.start(s)) {
            engine.think({"7g7f"});
            EXPECT_EQ(answer_of(engine).rfind("FAILED: ", 0), 0u) << f.name;
        }
        EXPECT_EQ(engine.failure(), f.failure) << f.name << ": " << engine.reason();
        EXPECT_FALSE(engine.reason().empty()) << f.name;
        EXPECT_LT(seconds_now() - start, 3.0) << f.name;
    }
    // A file that is there but cannot be run.
    std::string text = folder_ + "/not-a-program";
    std::ofstream(text) << "just text\n";
    UsiEngine engine;
    EXPECT_FALSE(engine.start(settings_for(text)));
    EXPECT_EQ(engine.failure(), USI_CANNOT_START);
}

TEST_F(FakeEngines, AHugeLineBeforeTheHandshakeIsSkippedAndTheEngineStillPlays) {
    std::string program = fake("flood", std::string("head -c 1048576 /dev/zero | tr '\\0' x; echo\n") + GOOD_ENGINE);
    UsiEngine engine;
    ASSERT_TRUE(engine.start(settings_for(program)));
    engine.think({});
    EXPECT_EQ(answer_of(engine), "3c3d");
}

TEST(LineLink, AnOverLongLineIsDroppedAndTheNextLineComesWhole) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    LineLink link(255);
    link.attach(fds[0], fds[0]);
    std::string flood(1 << 20, 'x');
    std::string payload = "+7776FU\n" + flood + "\n-3334FU\r\nlast";
    std::thread writer([&] {
        for (std::size_t i = 0; i < payload.size(); i += 5000) {
            ssize_t n = write(fds[1], payload.data() + i, std::min<std::size_t>(5000, payload.size() - i));
            ASSERT_GT(n, 0);
        }
        close(fds[1]);
    });
    std::string line;
    std::vector<std::string> got;
    for (LineStatus s; (s = link.read_line(line, 2000)) != LINE_CLOSED;)
        got.push_back(s == LINE_READ ? line : s == LINE_TOO_LONG ? "<too long>" : "<none>");
    writer.join();
    EXPECT_EQ(got, (std::vector<std::string>{"+7776FU", "<too long>", "-3334FU"}));
}

// fairy-stockfish, when installed, through the same code: a shogi game's
// first answers, an illegal position it rejects or not, and a clean quit.
TEST(RealEngine, FairyStockfishAnswersAtDepthOne) {
    const char* program = "/usr/games/fairy-stockfish";
    if (access(program, X_OK) != 0) GTEST_SKIP() << "fairy-stockfish is not installed";
    UsiEngine engine;
    UsiSettings s;
    s.command = {program};
    s.options = {{"UCI_Variant", "shogi"}};
    s.go = "depth 1";
    ASSERT_TRUE(engine.start(s));
    engine.think({"7g7f"});
    std::string answer = answer_of(engine, 10000);
    EXPECT_EQ(answer.size() >= 4 && answer.size() <= 5, true) << answer;
}

}  // namespace
