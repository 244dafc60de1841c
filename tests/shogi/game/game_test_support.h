// Shared helpers of the game tests: a fresh working directory with the shipped
// settings, a clock that stands still unless a test moves it, the screen set
// up as the game does, scripted input, and the whole program on its own thread.
#pragma once

#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "clock.h"
#include "display.h"
#include "flow.h"
#include "game.h"
#include "headless.h"
#include "human_input.h"
#include "input_internal.h"
#include "record.h"
#include "rules.h"
#include "settings.h"
#include "ztl.h"

inline std::atomic<long long> fake_seconds{1000000};
inline std::time_t fake_clock(std::time_t* out) {
    std::time_t now = static_cast<std::time_t>(fake_seconds.load());
    if (out != nullptr) *out = now;
    return now;
}

inline std::string read_file(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void write_file(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
}

inline const std::string RECORD_HEADER_HUMANS =
    "'Players\nN+Human\nN-Human\n'HIRATE( normal )\nPI\n'Black\n+\n'Kifu & Time\n";

// The shipped settings made light for tests that are not about them: the
// same keys and values, with the search capped at the depth and width the
// game first shipped with (and the deeper search at a few thousand
// positions), so whole games stay quick under the sanitizers.
constexpr int LIGHT_DEPTH = 4;
constexpr int LIGHT_WIDTH = 16;
constexpr int LIGHT_NODES = 5000;

inline std::string capped_line(const std::string& line, const char* key, int cap) {
    if (line.rfind(key, 0) != 0) return line;
    int value = std::atoi(line.c_str() + std::strlen(key));
    return std::string(key) + " " + std::to_string(value < cap ? value : cap);
}

inline std::string light_settings(const std::string& shipped) {
    std::istringstream lines(shipped);
    std::string light;
    for (std::string line; std::getline(lines, line);)
        light += capped_line(capped_line(capped_line(line, "DEPTH_MAX:", LIGHT_DEPTH), "SASITE_MAX:", LIGHT_WIDTH),
                             "NODE_MAX:", LIGHT_NODES) +
                 "\n";
    return light;
}

// A temporary working directory holding the settings files: light ones, or
// copies of the shipped ones once a test asks for them.
class WorkingDirectory {
public:
    WorkingDirectory() {
        char pattern[] = "/tmp/banrei-test-XXXXXX";
        path_ = mkdtemp(pattern);
        for (const char* name : SETTINGS_NAMES) write_file(path_ / name, light_settings(read_file(shipped(name))));
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~WorkingDirectory() {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(path_);
    }
    const std::filesystem::path& path() const { return path_; }
    void use_shipped_settings() const {
        for (const char* name : SETTINGS_NAMES)
            std::filesystem::copy_file(shipped(name), path_ / name, std::filesystem::copy_options::overwrite_existing);
    }

private:
    static constexpr const char* SETTINGS_NAMES[] = {"sente.ini", "gote.ini"};
    static std::string shipped(const char* name) { return std::string(SHIPPED_SETTINGS_DIR) + "/" + name; }
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

// --- scripted input ----------------------------------------------------------------

inline void press(int virtual_key) { ztl_headless_key(virtual_key); }
inline void type(const char* text) { ztl_headless_type(text); }
inline void tap(int x, int y) { ztl_headless_tap(x, y); }
inline void drain_input() {
    while (ztl_get_key(0) != -1) {
    }
}

// The centre of a board square on the screen.
inline int square_centre_x(int square) {
    int x, y;
    square_origin(square, &x, &y);
    return x + cell_size / 2;
}
inline int square_centre_y(int square) {
    int x, y;
    square_origin(square, &x, &y);
    return y + cell_size / 2;
}
inline void tap_square(int square) { tap(square_centre_x(square), square_centre_y(square)); }

// Square of a file (1..9) and rank (1..9) as the record writes them.
constexpr int sq(int file, int rank) { return (rank - 1) * 9 + (9 - file); }

// Rows of digits, one per pixel of the screen: failures show the picture.
inline std::string screen_picture(int x, int y, int w, int h) {
    std::string out;
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) out += static_cast<char>('0' + ztl_headless_screen_level(x + c, y + r));
        out += '\n';
    }
    return out;
}
inline int ink_in(int x, int y, int w, int h) {
    int ink = 0;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) ink += ztl_headless_screen_level(x + c, y + r) == 3;
    return ink;
}

// --- the game screen, driven by direct calls ------------------------------------------

// The screen and a fresh game as run_game sets them up, on the test's own
// thread: input must be queued before a call that reads it.
class GameScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_set_time_source(fake_clock);
        std::snprintf(record_file_name, sizeof record_file_name, "%s", "banrei.csa");
        ASSERT_TRUE(load_engine_settings(SENTE));
        ASSERT_TRUE(load_engine_settings(GOTE));
        ztl_init();
        drain_input();
        board_rotation = 0;
        player_kind[SENTE] = player_kind[GOTE] = PLAYER_HUMAN;
        reset_game();
        set_up_screen(ZTL_SCREEN_WIDTH, ZTL_SCREEN_HEIGHT);
        write_record_header(player_kind[SENTE], player_kind[GOTE]);
    }
    void TearDown() override {
        tear_down_screen();
        drain_input();
        clock_set_time_source(nullptr);
    }

    // Puts a position in place the way the menu does: the moves (CSA texts,
    // each charged one second) are written as the record and replayed.
    void play(const std::vector<std::string>& moves) {
        std::string text = RECORD_HEADER_HUMANS;
        for (const std::string& m : moves) text += m + "\nT1\n";
        write_file("banrei.csa", text);
        ASSERT_EQ(replay_record(static_cast<int>(moves.size()), 1), 1);
        draw_position();
        clock_start_both();
        ztl_refresh();
    }

    WorkingDirectory directory;
};

inline const std::string HEADER_HUMAN_REMOTE =
    "'Players\nN+Human\nN-RS232C\n'HIRATE( normal )\nPI\n'Black\n+\n'Kifu & Time\n";

// Sente a person, gote the remote player, with a fresh record saying so.
class RemoteGameTest : public GameScreenTest {
protected:
    void SetUp() override {
        GameScreenTest::SetUp();
        player_kind[SENTE] = PLAYER_HUMAN;
        player_kind[GOTE] = PLAYER_REMOTE;
        write_record_header(PLAYER_HUMAN, PLAYER_REMOTE);
    }
    // Sente's 7七 to 7六 by keys from the centre of the board.
    static void sente_plays_7776() {
        for (int k : {ZTL_VK_LEFT, ZTL_VK_LEFT, ZTL_VK_DOWN, ZTL_VK_DOWN}) press(k);
        type("\r");
        press(ZTL_VK_UP);
        type("\r");
        ASSERT_EQ(turn_step(), 1);
    }
};

// The same on a 400 x 240 screen: no room for panels beside or above the
// board, so the hands are the compact columns. What the layout printed is kept.
class NarrowScreenTest : public GameScreenTest {
protected:
    void SetUp() override {
        GameScreenTest::SetUp();
        tear_down_screen();
        ::testing::internal::CaptureStdout();
        set_up_screen(400, 240);
        std::fflush(stdout);
        layout_output = ::testing::internal::GetCapturedStdout();
    }
    std::string layout_output;
};

// --- the record checked on its own -----------------------------------------------------------

// The position an independent replay of a record reached.
inline int replayed_board[BOARD_CELLS];
inline PieceRecord replayed_pieces[PIECE_RECORDS];

// Replays a record's moves on replayed_board without the game's code: after
// the header, move lines and time lines alternate (a resignation may end the
// file), and every move is one the rules allow the side to move. *moves
// counts them.
inline void expect_every_move_allowed(const std::string& record, int* moves) {
    set_up_position(replayed_board, replayed_pieces);
    int* board = replayed_board;
    PieceRecord* pieces = replayed_pieces;
    std::istringstream lines(record);
    std::string line;
    for (int i = 0; i < 8 && std::getline(lines, line); ++i) {
    }
    int side = SENTE;
    *moves = 0;
    const std::string codes = "OUKIHIKAGIKEKYFURYUMNGNKNYTO";
    while (std::getline(lines, line)) {
        if (line == "%TORYO" && lines.peek() == EOF) break;
        ASSERT_EQ(line.size(), 7u) << "move " << *moves + 1 << ": " << line;
        ASSERT_EQ(line[0], side == SENTE ? '+' : '-') << line;
        size_t code = codes.find(line.substr(5, 2));
        ASSERT_TRUE(code != std::string::npos && code % 2 == 0) << line;
        int kind = static_cast<int>(code) / 2;
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
        ASSERT_TRUE(std::getline(lines, line)) << "move " << *moves + 1 << " has no time line";
        ASSERT_TRUE(line.size() > 1 && line[0] == 'T') << line;
        side = 1 - side;
        ++*moves;
    }
}

// The independently replayed position is the one the game holds.
inline void expect_board_is_live_board() {
    for (int cell = 0; cell < BOARD_CELLS; ++cell) ASSERT_EQ(replayed_board[cell], Board[cell]) << "cell " << cell;
}

// --- game calls on a thread of their own ------------------------------------------------

// Runs a call of the game on a thread with the application stack size, so a
// test can look at the screen and type while the call waits for input.
class GameThread {
public:
    explicit GameThread(std::function<int()> call) : call_(std::move(call)) {
        pthread_attr_t attributes;
        pthread_attr_init(&attributes);
        pthread_attr_setstacksize(&attributes, 32 << 20);
        running_ = pthread_create(&thread_, &attributes, run, this) == 0;
        pthread_attr_destroy(&attributes);
    }
    ~GameThread() {
        if (!running_) return;
        // A test that failed midway: quit from wherever the game waits.
        for (int i = 0; i < 100 && !finished_.load(); ++i) {
            type("q");
            usleep(50000);
        }
        pthread_join(thread_, nullptr);
    }
    // Waits until the game has handled all input and waits for more.
    static void settle(int timeout_ms = 120000) { ASSERT_EQ(ztl_headless_wait_for_idle(timeout_ms), 1); }
    // What the call returned, once it has.
    int result() {
        pthread_join(thread_, nullptr);
        running_ = false;
        return result_;
    }
    bool finished() const { return finished_.load(); }

private:
    static void* run(void* self) {
        auto* me = static_cast<GameThread*>(self);
        me->result_ = me->call_();
        std::fflush(stdout);
        me->finished_.store(true);
        return nullptr;
    }
    std::function<int()> call_;
    pthread_t thread_{};
    bool running_ = false;
    int result_ = -1;
    std::atomic<bool> finished_{false};
};

// The whole program as ZTL runs it: app_main with the clock standing still.
inline int run_app_main() {
    clock_set_time_source(fake_clock);
    board_rotation = 0;
    char name[] = "banrei";
    char* argv[] = {name, nullptr};
    return app_main(1, argv);
}
