// A full handheld pair (254 entries with texts of every length): loading it,
// the row order of each sorted tab, and refilling the list view's grid for a
// tab (on the offscreen platform unless a display is chosen).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QTabBar>
#include <filesystem>
#include <random>

#include "main_window.h"
#include "todo_writer.h"
#include "list_window.h"

namespace {

constexpr int ENTRIES = 254;

std::string fullPairStem() {
    static const std::string stem = [] {
        const std::string path = (std::filesystem::temp_directory_path() / "notava_bench").string();
        std::mt19937 random(254);
        TodoPairBuilder pair;
        pair.addIndex(0, 0);
        for (int i = 0; i < ENTRIES; ++i) {
            TodoRecordFields fields;
            fields.limitDate = "2000" + std::to_string(10 + random() % 3) + std::to_string(10 + random() % 18);
            fields.deleted = random() % 2 ? '1' : '0';
            fields.request = std::string(random() % 20, static_cast<char>('a' + random() % 26));
            fields.client = std::string(random() % 20, static_cast<char>('a' + random() % 26));
            fields.content.clear();
            for (std::size_t n = random() % 120; n > 0; --n) fields.content += "\x93\xfa";  // 日
            pair.addRecord(fields);
        }
        pair.write(path);
        return path;
    }();
    return stem;
}

void BM_LoadTodoFiles(benchmark::State& state) {
    const std::string path = fullPairStem() + ".idx";
    TodoData data;
    for (auto _ : state) benchmark::DoNotOptimize(loadTodoFiles(path, data));
}
BENCHMARK(BM_LoadTodoFiles)->Unit(benchmark::kMicrosecond);

void BM_ListRowsFor(benchmark::State& state) {
    TodoData data;
    loadTodoFiles(fullPairStem() + ".idx", data);
    const auto tab = static_cast<ListTab>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(listRowsFor(data, tab));
}
BENCHMARK(BM_ListRowsFor)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

void BM_FillListTab(benchmark::State& state) {
    MainWindow mainWindow;
    mainWindow.openTodoFile(QString::fromStdString(fullPairStem() + ".idx"));
    int tab = 0;
    for (auto _ : state) {
        tab = tab == 1 ? 2 : 1;
        mainWindow.listWindow().tabBar()->setCurrentIndex(tab);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_FillListTab)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove(fullPairStem() + ".idx");
    std::filesystem::remove(fullPairStem() + ".dat");
    return 0;
}
