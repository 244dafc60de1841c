// Time from process start to the first painted board, and resident memory
// while the computer plays itself, of the real banrei in an X server.
// Usage (DISPLAY set, e.g. by bench_startup.sh): bench_startup BANREI SETTINGS_DIR [RUNS]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

Window find_window(Display* display, Window parent, const char* title) {
    Window root, up, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name != nullptr) {
            if (std::strcmp(name, title) == 0) found = children[i];
            XFree(name);
        }
        if (found == 0) found = find_window(display, children[i], title);
    }
    if (children != nullptr) XFree(children);
    return found;
}

// Whether the board's top-left grid pixel (216, 16 of the client area) is black.
bool board_painted(Display* display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) return false;
    int menu_height = attributes.height - 240;
    if (menu_height < 0) return false;
    XImage* image = XGetImage(display, window, 216, 16 + menu_height, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    bool black = (XGetPixel(image, 0, 0) & 0xFFFFFF) == 0;
    XDestroyImage(image);
    return black;
}

long resident_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup BANREI SETTINGS_DIR [RUNS]\n");
        return 2;
    }
    std::string banrei = std::filesystem::absolute(argv[1]);
    std::string settings = std::filesystem::absolute(argv[2]);
    int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 1;
    std::vector<double> startup_ms, peak_mib;
    for (int run = 0; run < runs; ++run) {
        std::filesystem::path dir = std::filesystem::temp_directory_path() / ("banrei-bench-" + std::to_string(run));
        std::filesystem::create_directories(dir);
        for (const char* name : {"sente.ini", "gote.ini"})
            std::filesystem::copy_file(settings + "/" + name, dir / name,
                                       std::filesystem::copy_options::overwrite_existing);
        std::fflush(stdout);  // the child must not print this process's buffer again
        Clock::time_point start = Clock::now();
        pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir.c_str()) != 0 || !std::freopen("/dev/null", "w", stdout)) _exit(1);
            execl(banrei.c_str(), banrei.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        Window window = 0;
        while (window == 0 || !board_painted(display, window)) {
            if (window == 0) window = find_window(display, DefaultRootWindow(display), "ZTL for Win32");
            usleep(500);
        }
        startup_ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());

        // The computer plays itself for five seconds: new game, Computer, Computer, start.
        std::string keys =
            "xdotool mousemove 600 200 key --window " + std::to_string(window) + " n c c Return 2>/dev/null";
        std::fflush(stdout);
        if (std::system(keys.c_str()) != 0) std::fprintf(stderr, "xdotool failed\n");
        long peak = 0;
        for (int i = 0; i < 50; ++i) {
            peak = std::max(peak, resident_kib(pid));
            usleep(100000);
        }
        peak_mib.push_back(peak / 1024.0);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        std::ifstream record(dir / "banrei.csa");
        int moves = 0;
        for (std::string line; std::getline(record, line);) moves += line[0] == 'T';
        std::filesystem::remove_all(dir);
        std::printf("run %d: first board %.1f ms, peak resident %.1f MiB over a game of %d moves\n", run + 1,
                    startup_ms.back(), peak_mib.back(), moves);
    }
    std::printf("median: first board %.1f ms, peak resident %.1f MiB over %d runs\n", median(startup_ms),
                median(peak_mib), runs);
    XCloseDisplay(display);
    return 0;
}
