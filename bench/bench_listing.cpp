// Listing a folder of 10,000 photographs into the file list: the real FileListBox, shown
// offscreen, against a minimal program that reads the same directory and sorts the names
// with the same collation. The goal is at most 3 times the minimal program's time.

#include "browser/collation.h"
#include "app/filelistbox.h"

#include <QApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int FileCount = 10000;

// Camera names in both letter cases and some of the user's own, created in shuffled order
// so the directory does not hand them over sorted.
std::string makeFolder()
{
    char pattern[] = "/tmp/quarimo-bench-listing-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    std::vector<std::string> names;
    for (int i = 0; i < FileCount; ++i) {
        char name[64];
        switch (i % 4) {
        case 0: std::snprintf(name, sizeof name, "IMG_%04d.JPG", i); break;
        case 1: std::snprintf(name, sizeof name, "P100%04d.jpg", i); break;
        case 2: std::snprintf(name, sizeof name, "2015-09-27 15-05-%05d.jpg", i); break;
        default: std::snprintf(name, sizeof name, "Holiday photo %d.Jpg", i); break;
        }
        names.push_back(name);
    }
    std::shuffle(names.begin(), names.end(), std::mt19937(42));
    for (const std::string &name : names)
        std::ofstream(folder + "/" + name) << 'x';
    std::filesystem::create_directory(folder + "/a folder");
    return folder;
}

const std::string &folder()
{
    static const std::string made = makeFolder();
    return made;
}

std::vector<std::string> minimalReadAndSort(const std::string &path)
{
    std::vector<std::string> names;
    DIR *dir = ::opendir(path.c_str());
    while (const dirent *entry = ::readdir(dir))
        if (entry->d_type != DT_DIR)
            names.emplace_back(entry->d_name);
    ::closedir(dir);
    sortNames(names);
    return names;
}

FileListBox &listBox()
{
    static FileListBox *list = [] {
        auto *box = new FileListBox;
        box->resize(193, 193);
        box->showFolder(folder());
        box->show();
        QApplication::processEvents();
        return box;
    }();
    return *list;
}

void listIntoTheWindow()
{
    FileListBox &list = listBox();
    list.listFiles();
    QApplication::processEvents(); // the view's layout and paint of the visible lines
}

void BM_MinimalReadAndSort(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(minimalReadAndSort(folder()));
}
BENCHMARK(BM_MinimalReadAndSort)->Unit(benchmark::kMillisecond);

void BM_FileListBoxListFiles(benchmark::State &state)
{
    listIntoTheWindow();
    if (listBox().lineCount() != FileCount) {
        state.SkipWithError("the list does not hold every photograph");
        return;
    }
    for (auto _ : state)
        listIntoTheWindow();
}
BENCHMARK(BM_FileListBoxListFiles)->Unit(benchmark::kMillisecond);

template <typename F>
double bestOf(int runs, F work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv); // also takes the user's locale for the collation
    benchmark::Initialize(&argc, argv);
    listBox(); // the folder is made before anything is timed
    benchmark::RunSpecifiedBenchmarks();

    const double minimal = bestOf(20, [] { minimalReadAndSort(folder()); });
    const double window = bestOf(20, [] { listIntoTheWindow(); });
    std::printf("ListFiles into the window: %.2f ms, minimal read and sort: %.2f ms, ratio %.2f (goal <= 3)\n",
                window, minimal, window / minimal);
    std::filesystem::remove_all(folder());
    benchmark::Shutdown();
    return 0;
}
