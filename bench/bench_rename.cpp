// Renaming every photograph of a folder from the real main window, shown offscreen (its file
// list, its batch list, its progress bar, its re-read of the folder at the end), against the
// floor a user's shell script could reach: a minimal program that opens the folder once and,
// per file, opens the file relative to the folder's descriptor, makes 4 preads, closes it and
// calls renameat2(RENAME_NOREPLACE) on the folder's descriptor. By numbers, the window is also
// set against renames alone (the renameat2 only), which is shown but not held to the goal.
// By capture-date prefix (mode 0) and by three-digit numbers (mode 5), for 10,000 and 100,000
// files, on tmpfs (/dev/shm) and on the build folder's file system. The goal is at most 1.0
// times the minimal program's time for the date prefix, whose reading runs ahead on a second
// core while the window moves, and 1.3 times for the numbers. Repetitions of the window and of the minimal
// program are interleaved in random order, so a machine busy with other work slows both alike.
//
// Every window batch ends with one fsync of its folder, so its renames are on the medium when
// the batch ends: FolderSync times that call alone, right after the minimal program's renames
// of every file, and the table gives it beside the window's batch.
//
// `bench_rename --trace` instead runs one window batch of each mode over 10,000 files on
// tmpfs under `strace -f -c` and prints the system calls per file; `bench_rename --profile
// <file> [files] [disk]` runs such batches under `perf record`, on tmpfs or on the disk.

#include "app/filelistbox.h"
#include "app/mainform.h"
#include "platform/folder.h"
#include "ui_mainform.h"

#include "benchphotos.h"
#include "ratioreporter.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr double DateGoal = 1.0;
constexpr double NumberGoal = 1.3;

using benchphotos::exifDate;
using benchphotos::originalName;
using benchphotos::photograph;

std::string numberedName(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "%.*d.jpg", 3, i + 1);
    return name;
}

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "bench_rename: %s\n", what);
        std::abort();
    }
}

/** One folder of photographs with a main window over it; made when a benchmark first needs it. */
struct Scene
{
    std::string fileSystem; // "tmpfs" or "disk"
    std::string base;
    int count;

    std::string folder;
    int descriptor = -1;
    std::vector<std::string> names;    // as the camera named them, in the file list's order
    std::vector<std::string> renamed[2]; // what mode 0 and mode 5 make of them
    TMainForm *form = nullptr;

    Scene(std::string system, std::string under, int files)
        : fileSystem(std::move(system)), base(std::move(under)), count(files)
    {
    }
    Scene(const Scene &) = delete;
    Scene &operator=(const Scene &) = delete;

    ~Scene()
    {
        delete form;
        if (descriptor >= 0) {
            ::close(descriptor);
            require(::chdir("/") == 0, "cannot leave the folder");
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    }

    bool made() const { return descriptor >= 0; }

    void make()
    {
        std::string pattern = base + "/quarimo-bench-rename-XXXXXX";
        require(::mkdtemp(pattern.data()) != nullptr, "cannot make the folder");
        folder = pattern;
        descriptor = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        require(descriptor >= 0, "cannot open the folder");
        for (int i = 0; i < count; ++i) {
            const std::string date = exifDate(i);
            names.push_back(originalName(i));
            std::string stamp = date;
            stamp[4] = stamp[7] = stamp[13] = stamp[16] = '-';
            renamed[0].push_back(stamp + " " + names.back());
            renamed[1].push_back(numberedName(i));
            const std::string bytes = photograph(date);
            const int fd = ::openat(descriptor, names.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            require(fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()),
                    "cannot write a photograph");
            ::close(fd);
        }
        settle();

        require(::chdir(folder.c_str()) == 0, "cannot enter the folder");
        form = new TMainForm;
        form->show();
        QApplication::processEvents();
        require(form->ui()->File001->lineCount() == count, "the window does not list every photograph");
    }

    // Nothing of the setup left to write back while a run is timed.
    void settle() const
    {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::syncfs(fd);
        ::close(fd);
    }

    void putBack(int mode) const
    {
        const std::vector<std::string> &from = renamed[mode == 0 ? 0 : 1];
        for (int i = 0; i < count; ++i)
            require(::renameat(descriptor, from[i].c_str(), descriptor, names[i].c_str()) == 0, "cannot put back");
        settle();
    }

    void selectEverything() const
    {
        form->ui()->File001->listFiles();
        QApplication::processEvents();
        form->ui()->AllPics->click();
    }

    void checkRenamed(int mode) const
    {
        struct stat st;
        const std::string &last = renamed[mode == 0 ? 0 : 1].back();
        if (form->ui()->File001->lineCount() != count || ::fstatat(descriptor, last.c_str(), &st, 0) != 0
            || form->ui()->ProgressBar1->value() != 100) {
            std::fprintf(stderr, "mode %d: the window did not rename every file\n", mode);
            std::abort();
        }
    }

    void pickMode(int mode) const { (mode == 0 ? form->ui()->bname00 : form->ui()->bname05)->click(); }
};

// ---- the minimal program ---------------------------------------------------------------

unsigned bigEndian(const unsigned char *b, int size)
{
    unsigned v = 0;
    for (int i = 0; i < size; ++i)
        v = v << 8 | b[i];
    return v;
}

// Four reads for the layout every photograph of the scene has: the head up to IFD0's count,
// IFD0's entry, the EXIF directory's count and entry, the date text.
bool readDate(int folder, const char *name, char date[19])
{
    const int fd = ::openat(folder, name, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    unsigned char b[22];
    constexpr long tiff = 12;
    bool ok = ::pread(fd, b, 22, 0) == 22 && b[2] == 0xFF && b[3] == 0xE1;
    const long ifd0 = tiff + bigEndian(b + 16, 4);
    ok = ok && ::pread(fd, b, 12, ifd0 + 2) == 12 && bigEndian(b, 2) == 0x8769;
    const long exif = tiff + bigEndian(b + 8, 4);
    ok = ok && ::pread(fd, b, 14, exif) == 14 && bigEndian(b + 2, 2) == 0x9003;
    ok = ok && ::pread(fd, date, 19, tiff + bigEndian(b + 10, 4)) == 19;
    ::close(fd);
    date[4] = date[7] = date[13] = date[16] = '-';
    return ok;
}

// reads: the program described above, which reads each file's date whatever the mode; without,
// by numbers, it only renames: the floor for mode 5 of a script that knows it needs no dates.
void minimalBatch(const Scene &scene, int mode, bool reads)
{
    const int folder = ::open(scene.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    char to[300];
    for (int i = 0; i < scene.count; ++i) {
        const char *from = scene.names[i].c_str();
        if (reads)
            require(readDate(folder, from, to), "the minimal program cannot read a date");
        if (mode == 0) {
            to[19] = ' ';
            std::strcpy(to + 20, from);
        } else {
            std::snprintf(to, sizeof to, "%.*d.jpg", 3, i + 1);
        }
        require(::renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0, "the minimal program cannot rename");
    }
    ::close(folder);
}

// ---- the runs --------------------------------------------------------------------------

void windowRename(benchmark::State &state, Scene *scene, int mode)
{
    if (!scene->made())
        scene->make();
    scene->pickMode(mode);
    for (auto _ : state) {
        state.PauseTiming();
        scene->selectEverything();
        state.ResumeTiming();
        scene->form->ui()->Rename->click();
        state.PauseTiming();
        scene->checkRenamed(mode);
        scene->putBack(mode);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * scene->count);
}

void minimalRename(benchmark::State &state, Scene *scene, int mode, bool reads)
{
    if (!scene->made())
        scene->make();
    for (auto _ : state) {
        minimalBatch(*scene, mode, reads);
        state.PauseTiming();
        scene->putBack(mode);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * scene->count);
}

// The one fsync a batch ends with, after every file of the folder was renamed.
void folderSync(benchmark::State &state, Scene *scene)
{
    if (!scene->made())
        scene->make();
    for (auto _ : state) {
        state.PauseTiming();
        minimalBatch(*scene, 5, false);
        const platform::Folder folder(scene->folder);
        state.ResumeTiming();
        require(folder.sync() == 0, "cannot sync the folder");
        state.PauseTiming();
        scene->putBack(5);
        state.ResumeTiming();
    }
}

const char *modeName(int mode)
{
    return mode == 0 ? "DatePrefix" : "Numbers";
}

std::string benchName(const char *who, int mode, const Scene &scene)
{
    return std::string(who) + "/" + modeName(mode) + "/" + scene.fileSystem + "/" + std::to_string(scene.count);
}

std::string buildFolderFileSystem()
{
    return QUARIMO_BUILD_DIR;
}

// ---- the trace -------------------------------------------------------------------------

// Runs a tool attached to this process (strace or perf, given the process id last) for as
// long as the object lives, then stops it with SIGINT, which makes either write its output.
class Attached
{
public:
    explicit Attached(std::vector<std::string> args)
    {
        args.push_back(std::to_string(::getpid()));
        const bool tracer = args.front() == "strace";
        m_pid = ::fork();
        require(m_pid >= 0, "cannot fork");
        if (m_pid == 0) {
            std::vector<char *> argv;
            for (std::string &arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        // strace has attached once this process has a tracer; perf gets a moment to start.
        for (int tries = 0; tries < 500 && tracer && !traced(); ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!tracer)
            std::this_thread::sleep_for(std::chrono::seconds(2));
        require(!tracer || traced(), "strace did not attach");
    }
    ~Attached()
    {
        ::kill(m_pid, SIGINT);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }

private:
    static bool traced()
    {
        FILE *status = std::fopen("/proc/self/status", "r");
        char line[256];
        int tracer = 0;
        while (status && std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "TracerPid: %d", &tracer) == 1)
                break;
        if (status)
            std::fclose(status);
        return tracer != 0;
    }
    pid_t m_pid;
};

// One window batch of each mode over 10,000 (or `files`) files on tmpfs or the disk, under `perf record`,
// into `output`-0 and `output`-5: where the time of a batch goes.
int profileBatches(const std::string &output, int files, bool onDisk)
{
    Scene scene(onDisk ? "disk" : "tmpfs", onDisk ? buildFolderFileSystem() : "/dev/shm", files);
    scene.make();
    for (int mode : {0, 5}) {
        scene.pickMode(mode);
        scene.selectEverything();
        {
            const Attached perf({"perf", "record", "-q", "-F", "10000", "--call-graph", "dwarf,16384", "-o", output + "-" + std::to_string(mode),
                                 "-p"});
            scene.form->ui()->Rename->click();
        }
        scene.checkRenamed(mode);
        scene.putBack(mode);
    }
    return 0;
}

int traceBatches()
{
    Scene scene("tmpfs", "/dev/shm", 10000);
    scene.make();
    for (int mode : {0, 5}) {
        scene.pickMode(mode);
        scene.selectEverything();
        const std::string output = scene.base + "/quarimo-trace-" + std::to_string(mode) + ".txt";
        {
            const Attached trace({"strace", "-f", "-c", "-o", output, "-p"});
            scene.form->ui()->Rename->click();
        }
        scene.checkRenamed(mode);
        scene.putBack(mode);
        std::printf("mode %d, one batch of %d files under strace -f -c (calls per file in the last column):\n", mode,
                    scene.count);
        FILE *table = std::fopen(output.c_str(), "r");
        char line[512];
        while (table && std::fgets(line, sizeof line, table)) {
            std::string text = line;
            double share, seconds;
            long usecs, calls;
            if (std::sscanf(line, "%lf %lf %ld %ld", &share, &seconds, &usecs, &calls) == 4) {
                text.pop_back();
                char perFile[32];
                std::snprintf(perFile, sizeof perFile, "  %8.4f", double(calls) / scene.count);
                text += perFile;
                text += "\n";
            }
            std::fputs(text.c_str(), stdout);
        }
        if (table)
            std::fclose(table);
        std::remove(output.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--trace") == 0)
        return traceBatches();
    if (argc > 2 && std::strcmp(argv[1], "--profile") == 0)
        return profileBatches(argv[2], argc > 3 ? std::atoi(argv[3]) : 10000,
                              argc > 4 && std::strcmp(argv[4], "disk") == 0);

    std::vector<char *> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());

    const std::string disk = buildFolderFileSystem();
    struct Row
    {
        std::string fileSystem;
        int files;
        int mode;
        double window, minimal, renamesOnly, sync;
    };
    std::vector<Row> rows;
    for (const int files : {10000, 100000}) {
        for (const auto &[system, base] : {std::pair<std::string, std::string>{"tmpfs", "/dev/shm"}, {"disk", disk}}) {
            // One scene at a time: its files are made only when one of its runs is wanted.
            Scene scene(system, base, files);
            for (const int mode : {0, 5}) {
                benchmark::RegisterBenchmark(benchName("Window", mode, scene).c_str(), windowRename, &scene, mode)
                    ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
                benchmark::RegisterBenchmark(benchName("Minimal", mode, scene).c_str(), minimalRename, &scene, mode, true)
                    ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
            }
            benchmark::RegisterBenchmark(benchName("RenamesOnly", 5, scene).c_str(), minimalRename, &scene, 5, false)
                ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
            benchmark::RegisterBenchmark(benchName("FolderSync", 5, scene).c_str(), folderSync, &scene)
                ->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
            RatioReporter reporter;
            benchmark::RunSpecifiedBenchmarks(&reporter);
            benchmark::ClearRegisteredBenchmarks();
            for (const int mode : {0, 5}) {
                const auto window = reporter.medians.find(benchName("Window", mode, scene));
                const auto minimal = reporter.medians.find(benchName("Minimal", mode, scene));
                const auto renames = reporter.medians.find(benchName("RenamesOnly", mode, scene));
                const auto sync = reporter.medians.find(benchName("FolderSync", 5, scene));
                if (window != reporter.medians.end() && minimal != reporter.medians.end())
                    rows.push_back({system, files, mode, window->second, minimal->second,
                                    renames == reporter.medians.end() ? 0.0 : renames->second,
                                    sync == reporter.medians.end() ? -1.0 : sync->second});
            }
        }
    }
    benchmark::Shutdown();

    std::printf("\nRenaming every file of a folder: the window against the minimal program (median of 5, ms);\n"
                "by numbers also against renames alone, for information\n");
    std::printf("%8s  %-6s  %-10s  %10s  %10s  %6s  %12s  %6s  %10s\n", "files", "fs", "mode", "window", "minimal",
                "ratio", "renames only", "ratio", "its fsync");
    bool met = true;
    for (const Row &row : rows) {
        const double ratio = row.window / row.minimal;
        const double goal = row.mode == 0 ? DateGoal : NumberGoal;
        met = met && ratio <= goal;
        std::printf("%8d  %-6s  %-10s  %10.1f  %10.1f  %6.2f", row.files, row.fileSystem.c_str(),
                    row.mode == 0 ? "0 (date)" : "5 (number)", row.window, row.minimal, ratio);
        if (row.renamesOnly > 0)
            std::printf("  %12.1f  %6.2f", row.renamesOnly, row.window / row.renamesOnly);
        else
            std::printf("  %12s  %6s", "", "");
        if (row.sync >= 0)
            std::printf("  %10.2f", row.sync);
        else
            std::printf("  %10s", "");
        std::printf("%s\n", ratio <= goal ? "" : "  NOT MET");
    }
    std::printf("Goal: by date at most %.2f, by numbers at most %.2f - %s\n", DateGoal, NumberGoal,
                met ? "met" : "NOT MET");
    std::printf("its fsync: the one sync of the folder a batch ends with, timed alone (ms), part of the window's time\n");
    return 0;
}
