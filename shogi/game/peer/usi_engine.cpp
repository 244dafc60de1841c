#include "usi_engine.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr int QUIT_PATIENCE_MS = 300;

long long now_ms(void) {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
}

// The first word of a line and the rest after it.
std::string first_word(const std::string& line, std::string* rest = nullptr) {
    std::size_t begin = line.find_first_not_of(' ');
    if (begin == std::string::npos) return "";
    std::size_t end = line.find(' ', begin);
    if (rest != nullptr) *rest = end == std::string::npos ? "" : line.substr(end + 1);
    return line.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

int continues(const std::vector<std::string>& longer, const std::vector<std::string>& shorter) {
    return longer.size() >= shorter.size() && std::equal(shorter.begin(), shorter.end(), longer.begin());
}

}  // namespace

int UsiEngine::start(const UsiSettings& settings) {
    quit();
    settings_ = settings;
    failure_ = USI_NO_FAILURE;
    reason_.clear();
    asked_.clear();
    has_pending_ = in_game_ = 0;
    std::string why;
    if (!start_child(settings.command, child_, why)) {
        state_ = FAILED;
        failure_ = USI_CANNOT_START;
        reason_ = "cannot start the USI engine: " + why;
        return 0;
    }
    link_.attach(child_.from_child, child_.to_child);
    expect(WAIT_USIOK, settings_.answer_ms);
    send("usi");
    return state_ != FAILED;
}

void UsiEngine::send(const std::string& line) {
    if (state_ == FAILED || state_ == OFF) return;
    if (!link_.send_line(line)) fail(USI_GONE, "the USI engine went away (writing \"" + line + "\")");
}

void UsiEngine::fail(UsiFailure failure, const std::string& reason) {
    if (state_ == FAILED) return;
    failure_ = failure;
    reason_ = reason;
    link_.close_link();
    end_child(child_, 0);
    state_ = FAILED;
}

void UsiEngine::expect(State state, int within_ms) {
    state_ = state;
    deadline_ms_ = now_ms() + within_ms;
}

void UsiEngine::ask_if_pending(void) {
    if (state_ != IDLE || !has_pending_) return;
    has_pending_ = 0;
    if (!in_game_ || !continues(pending_, asked_)) {
        send("usinewgame");
        in_game_ = 1;
    }
    asked_ = pending_;
    std::string position = "position startpos";
    if (!asked_.empty()) position += " moves";
    for (const std::string& move : asked_) position += " " + move;
    send(position);
    send("go " + settings_.go);
    if (state_ == IDLE) expect(THINKING, settings_.think_ms);
}

void UsiEngine::think(const std::vector<std::string>& moves) {
    pending_ = moves;
    has_pending_ = 1;
    ask_if_pending();
}

// Carries the handshake and the answers forward; 1 when a bestmove is due to the caller.
int UsiEngine::handle(const std::string& line, std::string& bestmove) {
    std::string rest;
    std::string word = first_word(line, &rest);
    if (state_ == WAIT_USIOK && word == "usiok") {
        for (const auto& [name, value] : settings_.options) send("setoption name " + name + " value " + value);
        send("isready");
        if (state_ != FAILED) expect(WAIT_READYOK, settings_.answer_ms);
    } else if (state_ == WAIT_READYOK && word == "readyok") {
        state_ = IDLE;
        ask_if_pending();
    } else if ((state_ == THINKING || state_ == STOPPING) && word == "bestmove") {
        int wanted = state_ == THINKING;
        state_ = IDLE;
        if (wanted) {
            bestmove = first_word(rest);
            return 1;
        }
        ask_if_pending();
    }
    return 0;
}

UsiEvent UsiEngine::step(int wait_ms, std::string& bestmove) {
    if (state_ == FAILED || state_ == OFF) return USI_FAILED;
    long long until = now_ms() + wait_ms;
    for (;;) {
        long long now = now_ms();
        if (state_ != IDLE && now >= deadline_ms_) {
            fail(USI_NO_ANSWER, state_ == WAIT_USIOK     ? "the program never said usiok: is it a USI engine?"
                                : state_ == WAIT_READYOK ? "the USI engine never said readyok"
                                                         : "the USI engine never gave its bestmove");
            return USI_FAILED;
        }
        long long limit = state_ == IDLE ? until : std::min(until, deadline_ms_);
        int wait = static_cast<int>(std::max(0LL, limit - now));
        std::string line;
        LineStatus status = link_.read_line(line, wait);
        if (status == LINE_CLOSED) {
            fail(USI_GONE, "the USI engine ended");
            return USI_FAILED;
        }
        if (status == LINE_READ && handle(line, bestmove)) return USI_BESTMOVE;
        if (state_ == FAILED) return USI_FAILED;
        if (status == LINE_NONE && now_ms() >= until) return USI_WAITING;
    }
}

void UsiEngine::stop_thinking(void) {
    has_pending_ = 0;
    if (state_ != THINKING) return;
    send("stop");
    if (state_ != FAILED) expect(STOPPING, settings_.answer_ms);
}

void UsiEngine::game_over(const char* result) {
    stop_thinking();
    if (!in_game_) return;
    send(std::string("gameover ") + result);
    in_game_ = 0;
}

void UsiEngine::quit(void) {
    if (state_ != OFF && state_ != FAILED) {
        send("quit");
        link_.close_link();
        end_child(child_, QUIT_PATIENCE_MS);
    }
    link_.close_link();
    end_child(child_, 0);
    state_ = OFF;
}
