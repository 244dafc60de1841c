// A full handheld pair (254 entries with texts of every length): loading it,
// the row order of each sorted tab, and refilling the list view's grid for a
// tab (on the offscreen platform unless a display is chosen).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QTabBar>
#include <filesystem>
#include <random>

#include "about_form.h"
#include "main_form.h"
#include "todo_writer.h"
#include "view_form.h"

namespace {

constexpr int kEntries = 254;

std::string FullPairStem() {
    static const std::string stem = [] {
        const std::string path = (std::filesystem::temp_directory_path() / "notava_bench").string();
        std::mt19937 random(254);
        TodoPairBuilder pair;
        pair.AddIndex(0, 0);
        for (int i = 0; i < kEntries; ++i) {
            TodoRecordFields fields;
            fields.limitDate = "2000" + std::to_string(10 + random() % 3) + std::to_string(10 + random() % 18);
            fields.deleted = random() % 2 ? '1' : '0';
            fields.request = std::string(random() % 20, static_cast<char>('a' + random() % 26));
            fields.client = std::string(random() % 20, static_cast<char>('a' + random() % 26));
            fields.content.clear();
            for (std::size_t n = random() % 120; n > 0; --n) fields.content += "\x93\xfa";  // 日
            pair.AddRecord(fields);
        }
        pair.Write(path);
        return path;
    }();
    return stem;
}

void BM_LoadTodoFiles(benchmark::State& state) {
    const std::string path = FullPairStem() + ".idx";
    TodoData data;
    for (auto _ : state) benchmark::DoNotOptimize(LoadTodoFiles(path, data));
}
BENCHMARK(BM_LoadTodoFiles)->Unit(benchmark::kMicrosecond);

void BM_ListRowsFor(benchmark::State& state) {
    TodoData data;
    LoadTodoFiles(FullPairStem() + ".idx", data);
    const auto tab = static_cast<ListTab>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(ListRowsFor(data, tab));
}
BENCHMARK(BM_ListRowsFor)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

void BM_FillListTab(benchmark::State& state) {
    TForm1 form1;
    TViewForm viewForm(form1);
    TAboutForm aboutForm;
    form1.SetForms(&viewForm, &aboutForm);
    form1.OpenTodoFile(QString::fromStdString(FullPairStem() + ".idx"));
    int tab = 0;
    for (auto _ : state) {
        tab = tab == 1 ? 2 : 1;
        viewForm.TabControl1->setCurrentIndex(tab);
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
    std::filesystem::remove(FullPairStem() + ".idx");
    std::filesystem::remove(FullPairStem() + ".dat");
    return 0;
}
