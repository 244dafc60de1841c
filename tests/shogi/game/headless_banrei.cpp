// banrei without a window, for whole-program tests across processes: the
// program's own app_main with the command line given, a clock that stands
// still (every move is charged one second), and keys typed from BANREI_KEYS,
// one each time the game waits for input; after them, q until the program
// ends.
#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <string>

#include "clock.h"
#include "game.h"
#include "headless.h"

namespace {

struct Program {
    int argc;
    char** argv;
    std::atomic<bool> finished{false};
    int status = 0;
};

std::time_t standing_clock(std::time_t* out) {
    std::time_t now = 1000000;
    if (out != nullptr) *out = now;
    return now;
}

void* run(void* data) {
    auto* program = static_cast<Program*>(data);
    program->status = app_main(program->argc, program->argv);
    program->finished.store(true);
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    clock_set_time_source(standing_clock);
    const char* keys = std::getenv("BANREI_KEYS");
    std::string script = keys != nullptr ? keys : "";
    Program program{argc, argv};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 32 << 20);  // the engine's search recurses deeply
    pthread_t thread;
    if (pthread_create(&thread, &attributes, run, &program) != 0) return 1;
    std::size_t next = 0;
    while (!program.finished.load()) {
        if (!ztl_headless_wait_for_idle(100)) continue;
        char key[2] = {next < script.size() ? script[next++] : 'q', '\0'};
        ztl_headless_type(key);
    }
    pthread_join(thread, nullptr);
    return program.status;
}
