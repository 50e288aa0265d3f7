// Renaming all 10,000 photographs of a 10,000-photograph folder from the real main window,
// shown offscreen (its file list, its re-reads, its batch list and progress bar), against a
// minimal program that makes the same capture-date reads, the same existence tests and the
// same renameat2 calls, and reads the folder once at the end to show the outcome.
// By capture-date prefix (mode 0) and by three-digit numbers (mode 5).
// The goal is at most 3 times the minimal program's time.

#include "app/filelistbox.h"
#include "app/mainform.h"
#include "ui_mainform.h"

#include <QApplication>
#include <algorithm>
#include "ratioreporter.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int FileCount = 10000;

// A JPEG head with an APP1 EXIF segment whose DateTimeOriginal is `date`: big-endian TIFF
// header at 12, IFD0 at 12 + 8 with one entry (the EXIF pointer, to 12 + 26), the EXIF
// directory with one entry (DateTimeOriginal, its text at 12 + 44), then some image bytes.
std::string photograph(const char *date)
{
    static const unsigned char head[] = {
        0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x48, 'E', 'x', 'i', 'f', 0, 0,         // SOI, APP1, identifier
        0x4D, 0x4D, 0x00, 0x2A, 0x00, 0x00, 0x00, 0x08,                      // TIFF header
        0x00, 0x01, 0x87, 0x69, 0x00, 0x04, 0, 0, 0, 1, 0, 0, 0, 0x1A, 0, 0, 0, 0, // IFD0
        0x00, 0x01, 0x90, 0x03, 0x00, 0x02, 0, 0, 0, 0x14, 0, 0, 0, 0x2C, 0, 0, 0, 0}; // EXIF directory
    std::string bytes(reinterpret_cast<const char *>(head), sizeof head);
    bytes.append(date, 19);
    bytes.push_back('\0');
    bytes.append(4096, '\x5A');
    return bytes;
}

std::string originalName(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "DSC%05d.jpg", i);
    return name;
}

std::string exifDate(int i)
{
    char date[32];
    std::snprintf(date, sizeof date, "2015:09:%02d %02d:%02d:%02d", 1 + i / 3600 % 28, i / 3600 % 24, i / 60 % 60,
                  i % 60);
    return date;
}

std::string stampOf(int i)
{
    std::string stamp = exifDate(i);
    stamp[4] = stamp[7] = stamp[13] = stamp[16] = '-';
    return stamp;
}

std::string makeFolder()
{
    char pattern[] = "/tmp/quarimo-bench-rename-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    for (int i = 0; i < FileCount; ++i) {
        const std::string bytes = photograph(exifDate(i).c_str());
        const int fd = ::open((folder + "/" + originalName(i)).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            std::abort();
        ::close(fd);
    }
    return folder;
}

// What each rule makes of file i, in the file list's order (which is i's order here).
std::string newName(int mode, int i)
{
    if (mode == 0)
        return stampOf(i) + " " + originalName(i);
    char name[32];
    std::snprintf(name, sizeof name, "%.*d.jpg", 3, i + 1);
    return name;
}

void putBack(const std::string &folder, int mode)
{
    for (int i = 0; i < FileCount; ++i)
        if (::rename((folder + "/" + newName(mode, i)).c_str(), (folder + "/" + originalName(i)).c_str()) != 0)
            std::abort();
}

// ---- the minimal program ---------------------------------------------------------------

int number(const unsigned char *b, int size, bool little)
{
    unsigned v = 0;
    for (int i = 0; i < size; ++i)
        v = v << 8 | b[little ? size - 1 - i : i];
    return static_cast<int>(v);
}

long long findEntry(int fd, long long directory, unsigned wanted, bool little)
{
    unsigned char b[2];
    if (::pread(fd, b, 2, directory) != 2)
        return -1;
    const int count = number(b, 2, little);
    for (long long entry = directory + 2; entry < directory + 2 + 12LL * count; entry += 12) {
        if (::pread(fd, b, 2, entry) != 2)
            return -1;
        const unsigned tag = static_cast<unsigned>(number(b, 2, little));
        if (tag == 0)
            return -1;
        if (tag == wanted)
            return entry;
    }
    return -1;
}

// The same reads as the program's reader: markers, byte order, three offsets, the date text.
bool readDate(const char *path, char date[20])
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    unsigned char b[4];
    bool ok = false;
    long long tiff = 12;
    bool little = false;
    long long entry;
    ::pread(fd, b, 2, 0);
    if (::pread(fd, b, 2, 2) != 2 || b[0] != 0xFF || (b[1] != 0xE1 && b[1] != 0xE0))
        goto done;
    if (b[1] == 0xE0) {
        if (::pread(fd, b, 2, 20) != 2 || b[0] != 0xFF || b[1] != 0xE1)
            goto done;
        tiff = 30;
    }
    little = ::pread(fd, b, 2, tiff) == 2 && b[0] == 'I' && b[1] == 'I';
    if (::pread(fd, b, 4, tiff + 4) != 4)
        goto done;
    entry = findEntry(fd, tiff + number(b, 4, little), 0x8769, little);
    if (entry < 0 || ::pread(fd, b, 4, entry + 8) != 4)
        goto done;
    entry = findEntry(fd, tiff + number(b, 4, little), 0x9003, little);
    if (entry < 0 || ::pread(fd, b, 4, entry + 8) != 4)
        goto done;
    if (::pread(fd, date, 19, tiff + number(b, 4, little)) == 19) {
        date[4] = date[7] = date[13] = date[16] = '-';
        date[19] = 0;
        ok = true;
    }
done:
    ::close(fd);
    return ok;
}

void minimalBatch(const std::string &folder, int mode, const std::vector<std::string> &names)
{
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        const std::string from = folder + "/" + names[i];
        std::string to;
        if (mode == 0) {
            char date[20];
            if (!readDate(from.c_str(), date))
                std::abort();
            to = std::string(date) + " " + names[i];
        } else {
            char name[32];
            std::snprintf(name, sizeof name, "%.*d.jpg", 3, i + 1);
            to = name;
        }
        struct stat st;
        if (::stat(to.c_str(), &st) == 0) // bare name: the folder is the working directory
            std::abort();
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, (folder + "/" + to).c_str(), RENAME_NOREPLACE) != 0)
            std::abort();
    }
    // The outcome, read once as a window would show it.
    std::vector<std::string> after;
    DIR *dir = ::opendir(folder.c_str());
    while (const dirent *entry = ::readdir(dir))
        if (entry->d_type != DT_DIR)
            after.emplace_back(entry->d_name);
    ::closedir(dir);
    std::sort(after.begin(), after.end());
    benchmark::DoNotOptimize(after.data());
}

// ---- the window ------------------------------------------------------------------------

struct Window
{
    std::string folder = makeFolder();
    TMainForm *form = nullptr;

    Window()
    {
        if (::chdir(folder.c_str()) != 0)
            std::abort();
        form = new TMainForm;
        form->show();
        QApplication::processEvents();
        if (form->ui()->File001->lineCount() != FileCount)
            std::abort();
    }
};

Window &window()
{
    static Window made;
    return made;
}

void selectEverything(Window &w)
{
    w.form->ui()->File001->listFiles();
    QApplication::processEvents();
    w.form->ui()->AllPics->click();
}

void checkRenamed(Window &w, int mode)
{
    FileListBox &list = *w.form->ui()->File001;
    struct stat st;
    if (list.lineCount() != FileCount || ::stat((w.folder + "/" + newName(mode, FileCount - 1)).c_str(), &st) != 0
        || w.form->ui()->ProgressBar1->value() != 100) {
        std::fprintf(stderr, "mode %d: the window did not rename every file\n", mode);
        std::abort();
    }
}

void windowRename(benchmark::State &state, int mode)
{
    Window &w = window();
    (mode == 0 ? w.form->ui()->bname00 : w.form->ui()->bname05)->click();
    for (auto _ : state) {
        state.PauseTiming();
        selectEverything(w);
        state.ResumeTiming();
        w.form->ui()->Rename->click();
        state.PauseTiming();
        checkRenamed(w, mode);
        putBack(w.folder, mode);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * FileCount);
}

void minimalRename(benchmark::State &state, int mode)
{
    Window &w = window();
    std::vector<std::string> names;
    for (int i = 0; i < FileCount; ++i)
        names.push_back(originalName(i));
    for (auto _ : state) {
        minimalBatch(w.folder, mode, names);
        state.PauseTiming();
        putBack(w.folder, mode);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * FileCount);
}


} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    for (int mode : {0, 5}) {
        const std::string suffix = mode == 0 ? "DatePrefix" : "Numbers";
        benchmark::RegisterBenchmark(("Window" + suffix).c_str(), windowRename, mode)
            ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
        benchmark::RegisterBenchmark(("Minimal" + suffix).c_str(), minimalRename, mode)
            ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const std::string folder = window().folder;
    delete window().form;
    if (::chdir("/") == 0) {
        const std::string command = "rm -rf '" + folder + "'";
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "could not remove %s\n", folder.c_str());
    }

    for (const char *suffix : {"DatePrefix", "Numbers"}) {
        const std::string windowName = std::string("Window") + suffix;
        const std::string minimalName = std::string("Minimal") + suffix;
        if (reporter.medians.count(windowName) && reporter.medians.count(minimalName)) {
            const double ratio = reporter.medians[windowName] / reporter.medians[minimalName];
            std::printf("Renaming %d of %d files (%s): the window takes %.2f times the minimal program "
                        "(goal: at most 3.00) %s\n",
                        FileCount, FileCount, suffix, ratio, ratio <= 3.0 ? "- met" : "- NOT MET");
        }
    }
    return 0;
}
