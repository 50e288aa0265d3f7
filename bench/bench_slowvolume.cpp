// Renaming 1,000 photographs on a slow volume: a FUSE passthrough of our own (slowfs) that
// answers every call 1 ms late, with no rename flags and no hard links, as many SMB shares
// and card readers behave. The real main window, shown offscreen, renames them by three
// rules ("Add Date as Prefix", "Replace existing Names by Numbers {nnn}" and the Canon
// camera-ready rename), each timed from the click, against a sequential loop on the same
// mount that makes the same reads and the same no-replace moves file by file, as the renamers
// of the field walk: per file an open, one read of the head and a close where the rule needs
// dates, then renameat2(RENAME_NOREPLACE), on its refusal link and unlink, on theirs the check
// and renameat. For information the window is also set against a loop that already knows the
// volume's method (only the check and renameat per move). Goal: the date rule at most 0.4
// times the sequential loop.
//
// The volume needs a usable /dev/fuse; elsewhere the program says why it skips and ends.
//
//   bench_slowvolume [files] [repetitions]

#include "app/filelistbox.h"
#include "app/mainform.h"
#include "ui_mainform.h"

#include "benchphotos.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr double Goal = 0.4;
constexpr long DelayMicroseconds = 1000;
constexpr long FuseMagic = 0x65735546;
// The kernel keeps what a lookup on the mount found for a second (libfuse's default); a run
// starts only after what the last one left has run out, so every run meets the volume alike.
constexpr auto CacheLifetime = 1200ms;

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "bench_slowvolume: %s\n", what);
        std::abort();
    }
}

// ---- the volume ------------------------------------------------------------------------

class SlowVolume
{
public:
    ~SlowVolume() { unmount(); }

    /** Mounts the backing folder; an empty text when it is up, else why it could not be. */
    std::string mount()
    {
        const int fuse = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
        if (fuse < 0)
            return std::string("/dev/fuse cannot be used here (") + std::strerror(errno) + ")";
        ::close(fuse);

        std::string backing = "/dev/shm/quarimo-slow-backing-XXXXXX";
        std::string mountPoint = "/tmp/quarimo-slow-mount-XXXXXX";
        require(::mkdtemp(backing.data()) && ::mkdtemp(mountPoint.data()), "cannot make the folders");
        m_backing = backing;
        m_mountPoint = mountPoint;

        m_server = ::fork();
        require(m_server >= 0, "cannot fork");
        if (m_server == 0) {
            const std::string delay = std::to_string(DelayMicroseconds);
            ::execl(QUARIMO_SLOWFS, "slowfs", m_backing.c_str(), m_mountPoint.c_str(), delay.c_str(), nullptr);
            ::_exit(127);
        }
        for (int tries = 0; tries < 500; ++tries) {
            struct statfs facts {};
            if (::statfs(m_mountPoint.c_str(), &facts) == 0 && facts.f_type == FuseMagic)
                return {};
            int status = 0;
            if (::waitpid(m_server, &status, WNOHANG) == m_server) {
                m_server = -1;
                return "the slow file system could not be mounted";
            }
            std::this_thread::sleep_for(10ms);
        }
        return "the slow file system did not come up";
    }

    const std::string &backing() const { return m_backing; }
    const std::string &mountPoint() const { return m_mountPoint; }

private:
    void unmount()
    {
        if (m_server > 0) {
            if (::umount2(m_mountPoint.c_str(), 0) != 0) {
                const std::string command = "fusermount3 -u '" + m_mountPoint + "'";
                if (std::system(command.c_str()) != 0)
                    ::kill(m_server, SIGTERM);
            }
            int status = 0;
            ::waitpid(m_server, &status, 0);
        }
        std::error_code ignored;
        if (!m_mountPoint.empty())
            std::filesystem::remove(m_mountPoint, ignored);
        if (!m_backing.empty())
            std::filesystem::remove_all(m_backing, ignored);
    }

    std::string m_backing, m_mountPoint;
    pid_t m_server = -1;
};

// ---- the rules ---------------------------------------------------------------------------

struct Rule
{
    const char *title;
    bool readsDates;
    std::function<std::string(int)> newName;
    std::function<void(Ui::TMainForm &)> pick, start; // in the window
};

std::vector<Rule> rules()
{
    return {
        {"Add Date as Prefix", true,
         [](int i) { return benchphotos::dateStamp(i) + " " + benchphotos::originalName(i); },
         [](Ui::TMainForm &u) { u.bname00->click(); }, [](Ui::TMainForm &u) { u.Rename->click(); }},
        {"Replace existing Names by Numbers {nnn}", false,
         [](int i) {
             char name[32];
             std::snprintf(name, sizeof name, "%.*d.jpg", 3, i + 1);
             return std::string(name);
         },
         [](Ui::TMainForm &u) { u.bname05->click(); }, [](Ui::TMainForm &u) { u.Rename->click(); }},
        {"Canon camera-ready rename", false,
         [](int i) {
             char name[32];
             std::snprintf(name, sizeof name, "IMG_%.*d.jpg", 4, i + 1);
             return std::string(name);
         },
         [](Ui::TMainForm &) {}, [](Ui::TMainForm &u) { u.Canon1->trigger(); }},
    };
}

// ---- the sequential loops ------------------------------------------------------------------

// What the program's reader does for these photographs: open, one read of the head, close.
std::string readDate(int folder, const char *name)
{
    const int fd = ::openat(folder, name, O_RDONLY | O_CLOEXEC);
    require(fd >= 0, "the loop cannot open a photograph");
    char head[4096];
    require(::pread(fd, head, sizeof head, 0) >= 56 + 19, "the loop cannot read a photograph");
    ::close(fd);
    std::string date(head + 56, 19);
    date[4] = date[7] = date[13] = date[16] = '-';
    return date;
}

// The no-replace move of a walk that does not know the volume: every method in turn.
bool walkingMove(int folder, const char *from, const char *to)
{
    if (::renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL)
        return false;
    if (::linkat(folder, from, folder, to, 0) == 0)
        return ::unlinkat(folder, from, 0) == 0;
    if (errno != EPERM)
        return false;
    struct stat st {};
    if (::fstatat(folder, to, &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
        return false;
    return ::renameat(folder, from, folder, to) == 0;
}

// The same move of a loop that knows the volume takes neither the flag nor links.
bool knowingMove(int folder, const char *from, const char *to)
{
    struct stat st {};
    if (::fstatat(folder, to, &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
        return false;
    return ::renameat(folder, from, folder, to) == 0;
}

void sequentialLoop(const std::string &folderPath, const Rule &rule, int count, bool knowsTheVolume)
{
    const int folder = ::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < count; ++i) {
        const std::string from = benchphotos::originalName(i);
        const std::string to = rule.readsDates ? readDate(folder, from.c_str()) + " " + from : rule.newName(i);
        const bool moved = knowsTheVolume ? knowingMove(folder, from.c_str(), to.c_str())
                                          : walkingMove(folder, from.c_str(), to.c_str());
        require(moved, "the loop cannot move a photograph");
    }
    ::close(folder);
}

// The listing a window makes before its batch, so that every run meets the same kernel caches.
void listFolder(const std::string &folderPath)
{
    if (DIR *dir = ::opendir(folderPath.c_str())) {
        while (::readdir(dir)) {
        }
        ::closedir(dir);
    }
}

// ---- the runs --------------------------------------------------------------------------------

struct Scene
{
    const SlowVolume &volume;
    int count;
    TMainForm *form = nullptr;

    void make()
    {
        for (int i = 0; i < count; ++i) {
            const std::string bytes = benchphotos::photograph(benchphotos::exifDate(i));
            const std::string path = volume.backing() + "/" + benchphotos::originalName(i);
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            require(fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()),
                    "cannot write a photograph");
            ::close(fd);
        }
        require(::chdir(volume.mountPoint().c_str()) == 0, "cannot enter the mount");
        form = new TMainForm;
        form->show();
        QApplication::processEvents();
        require(form->ui()->File001->lineCount() == count, "the window does not list every photograph");
    }

    // Behind the volume's back, then long enough for the kernel to forget what it saw.
    void putBack(const Rule &rule) const
    {
        for (int i = 0; i < count; ++i) {
            const std::string from = volume.backing() + "/" + rule.newName(i);
            const std::string to = volume.backing() + "/" + benchphotos::originalName(i);
            require(::rename(from.c_str(), to.c_str()) == 0, "cannot put back");
        }
        std::this_thread::sleep_for(CacheLifetime);
    }

    double window(const Rule &rule) const
    {
        Ui::TMainForm &u = *form->ui();
        rule.pick(u);
        u.File001->listFiles();
        QApplication::processEvents();
        u.AllPics->click();
        const auto start = Clock::now();
        rule.start(u);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        struct stat st {};
        const std::string last = volume.backing() + "/" + rule.newName(count - 1);
        require(u.File001->lineCount() == count && u.ProgressBar1->value() == 100, "the window did not rename every file");
        require(::stat(last.c_str(), &st) == 0, "the window gave other names");
        return seconds;
    }

    double loop(const Rule &rule, bool knowsTheVolume) const
    {
        listFolder(volume.mountPoint());
        const auto start = Clock::now();
        sequentialLoop(volume.mountPoint(), rule, count, knowsTheVolume);
        return std::chrono::duration<double>(Clock::now() - start).count();
    }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 3;

    SlowVolume volume;
    if (const std::string why = volume.mount(); !why.empty()) {
        std::printf("bench_slowvolume: skipped: %s\n", why.c_str());
        return 0;
    }
    Scene scene{volume, count};
    scene.make();

    struct Row
    {
        std::vector<double> window, walking, knowing;
    };
    const std::vector<Rule> all = rules();
    std::vector<Row> rows(all.size());
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        for (std::size_t r = 0; r < all.size(); ++r) {
            // The three runs of a rule take turns at going first.
            for (int turn = 0; turn < 3; ++turn) {
                switch ((turn + repetition) % 3) {
                case 0: rows[r].window.push_back(scene.window(all[r])); break;
                case 1: rows[r].walking.push_back(scene.loop(all[r], false)); break;
                case 2: rows[r].knowing.push_back(scene.loop(all[r], true)); break;
                }
                scene.putBack(all[r]);
            }
        }
    }
    require(::chdir("/") == 0, "cannot leave the mount");
    delete scene.form;

    std::printf("\n%d photographs on a volume that answers every call %ld ms late, without rename flags and hard\n"
                "links: the window against the sequential loop (median of %d, s)\n",
                count, DelayMicroseconds / 1000, repetitions);
    std::printf("%-42s  %8s  %8s  %6s  %14s  %6s\n", "rule", "window", "loop", "ratio", "knowing loop", "ratio");
    bool met = true;
    for (std::size_t r = 0; r < all.size(); ++r) {
        const double window = median(rows[r].window), walking = median(rows[r].walking),
                     knowing = median(rows[r].knowing);
        const bool held = !all[r].readsDates || window / walking <= Goal;
        met = met && held;
        std::printf("%-42s  %8.2f  %8.2f  %6.2f  %14.2f  %6.2f%s\n", all[r].title, window, walking, window / walking,
                    knowing, window / knowing, held ? "" : "  NOT MET");
    }
    std::printf("Goal: the date rule at most %.2f times the loop - %s\n", Goal, met ? "met" : "NOT MET");
    return 0;
}
