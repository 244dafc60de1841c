// Whatever a person does, no game and no record breaks: random keys, taps and
// drags through whole program runs, and kills at random moments of a game.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>

#include <ctime>
#include <random>

#include "game_test_support.h"

namespace {

// --- the monkey ------------------------------------------------------------------------------

constexpr int MONKEY_INPUTS = 3000;  // per seed, over as many program runs as it takes
constexpr int RUN_INPUTS = 300;      // then the run is ended with q

const int MONKEY_KEYS[] = {'n', 'c', 'f', 'b', 'r', 'h', 'y', 'x', '\r', ' ', '\t', 0x1B};
const int MONKEY_SPECIAL_KEYS[] = {ZTL_VK_LEFT, ZTL_VK_RIGHT, ZTL_VK_UP, ZTL_VK_DOWN};

// A place on the screen: mostly the board, then the stands, the menu, anywhere.
void random_point(std::mt19937& random, int* x, int* y) {
    switch (random() % 4) {
        case 0:
        case 1:
            *x = 216 + static_cast<int>(random() % 207);
            *y = 16 + static_cast<int>(random() % 207);
            break;
        case 2: {
            int upright = random() % 2;
            *x = (upright ? 457 : 22) + static_cast<int>(random() % 160);
            *y = (upright ? 132 : 12) + static_cast<int>(random() % 96);
            break;
        }
        default:
            *x = static_cast<int>(random() % 660) - 10;
            *y = static_cast<int>(random() % 260) - 10;
    }
}

// Waits until the program has taken all input (or ended); fails on a hang.
void wait_for_program(const GameThread& program) {
    std::time_t deadline = std::time(nullptr) + 300;  // real time: the game's clock stands still
    while (!program.finished() && !ztl_headless_wait_for_idle(50))
        ASSERT_LT(std::time(nullptr), deadline) << "the program stopped taking input";
}

// A tap on a piece of the side to move and one on a square it may go to, the
// way a person plays; read while the game waits, so the position stands still.
void purposeful_move(std::mt19937& random, const GameThread& program) {
    wait_for_program(program);
    std::vector<std::pair<int, int>> moves;
    for (int from = 0; from < SQUARES; ++from) {
        if (Board[from] == NO_PIECE || PieceTable[Board[from]].owner != side_to_move) continue;
        for (int to = 0; to < SQUARES; ++to)
            if (can_move(from, to, Board, PieceTable)) moves.push_back({from, to});
    }
    if (moves.empty()) return;
    auto [from, to] = moves[random() % moves.size()];
    tap_square(from);
    tap_square(to);
}

void random_input(std::mt19937& random, const GameThread& program) {
    int x, y;
    switch (random() % 12) {
        case 0:
        case 1:
        case 2: {
            char key[2] = {static_cast<char>(MONKEY_KEYS[random() % std::size(MONKEY_KEYS)]), 0};
            type(key);
            break;
        }
        case 3:
        case 4:
            press(MONKEY_SPECIAL_KEYS[random() % std::size(MONKEY_SPECIAL_KEYS)]);
            break;
        case 5:
        case 6:
        case 7:
            random_point(random, &x, &y);
            tap(x, y);
            break;
        case 8: {
            random_point(random, &x, &y);
            ztl_headless_pen_down(x, y);
            for (int step = static_cast<int>(random() % 6); step > 0; --step) {
                random_point(random, &x, &y);
                ztl_headless_pen_move(x, y);
            }
            ztl_headless_pen_up(x, y);
            break;
        }
        case 9:
        case 10:
            purposeful_move(random, program);
            break;
        default:
            // A new game now and then, seldom quitting, so that games get long.
            type(random() % 20 == 0 ? "q" : "n");
    }
}

// Every run starts a game between people, or a person and the computer.
void start_game(std::mt19937& random) {
    const char* players[] = {"nhhx", "nhcx", "nchx"};
    type(players[random() % 3]);
}

void expect_sound_record() {
    int moves = 0;
    expect_every_move_allowed(read_file("banrei.csa"), &moves);
    if (record_matches_board) expect_board_is_live_board();
}

TEST(Monkey, RandomInputNeverBreaksAGameOrItsRecord) {
    WorkingDirectory directory;
    ::testing::internal::CaptureStdout();
    for (unsigned seed : {1u, 2u}) {
        std::mt19937 random(seed);
        int inputs = 0;
        while (inputs < MONKEY_INPUTS) {
            GameThread program(run_app_main);
            GameThread::settle();
            start_game(random);
            for (int n = 0; n < RUN_INPUTS && !program.finished(); ++n, ++inputs) {
                // Inputs come in bursts: the monkey waits for the game only now and then.
                if (random() % 3 == 0) wait_for_program(program);
                random_input(random, program);
                if (::testing::Test::HasFatalFailure()) return;
            }
            while (!program.finished())  // quit from wherever it waits
                if (ztl_headless_wait_for_idle(50)) type("q");
            EXPECT_EQ(program.result(), 0);
            expect_sound_record();
            if (::testing::Test::HasFailure()) return;
        }
    }
    ::testing::internal::GetCapturedStdout();
}

// --- kills -----------------------------------------------------------------------------------

// The child: the computer plays itself; after each completed move it reports
// how many moves are done through the pipe, until it is killed.
[[noreturn]] void play_until_killed(int report) {
    clock_set_time_source(nullptr);
    pthread_t app;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 32 << 20);
    pthread_create(&app, &attributes, [](void*) -> void* { return reinterpret_cast<void*>(run_app_main()); }, nullptr);
    ztl_headless_wait_for_idle(10000);
    type("ncc");
    ztl_headless_wait_for_idle(10000);
    type("\r");
    int reported = 0;
    for (;;) {
        int done = move_number - 1;
        if (done > reported) {
            reported = done;
            if (write(report, &done, sizeof done) != sizeof done) _exit(1);
        }
        usleep(200);
    }
}

TEST(Kill, ARecordKilledAtAnyMomentReplaysAndHoldsEveryCompletedMove) {
    std::mt19937 random(3);
    for (int round = 0; round < 8; ++round) {
        WorkingDirectory directory;
        int report[2];
        ASSERT_EQ(pipe(report), 0);
        std::fflush(stdout);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(report[0]);
            std::freopen("/dev/null", "w", stdout);
            play_until_killed(report[1]);
        }
        close(report[1]);
        usleep(100000 + static_cast<useconds_t>(random() % 1500000));
        fcntl(report[0], F_SETFL, O_NONBLOCK);
        int done = 0;
        for (int value; read(report[0], &value, sizeof value) == sizeof value;) done = value;
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        close(report[0]);

        std::string record = read_file("banrei.csa");
        int moves = 0;
        expect_every_move_allowed(record, &moves);
        EXPECT_GE(moves, done) << "round " << round;
        // Whole lines, or a game that ended with the resignation, which has no line end.
        const std::string resignation = "%TORYO";
        int resigned = record.size() >= resignation.size() &&
                       record.compare(record.size() - resignation.size(), resignation.size(), resignation) == 0;
        if (!record.empty() && !resigned) {
            EXPECT_EQ(record.back(), '\n') << "round " << round;
        }
        if (::testing::Test::HasFailure()) return;
    }
}

}  // namespace
