#include "batchtestutil.h"
#include "platform/errors.h"
#include "platform/folder.h"
#include "platform/readonlyfile.h"
#include "rename/datereadahead.h"
#include "rename/namingrules.h"
#include "rename/renameselected.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace {

using batchtest::exifJpeg;
using batchtest::FakeBatchHost;
using batchtest::TempFolder;
using Names = std::vector<std::string>;
using namespace std::chrono_literals;

const std::string Stamp = "2015-09-27 15-05-30";

enum class Outcome { Stamp, Refuse, Fail };

Names photos(int count)
{
    Names names;
    for (int i = 0; i < count; ++i)
        names.push_back("p" + std::to_string(100 + i) + ".jpg");
    return names;
}

// Plays the capture-date reader by a script: every file gets Stamp, except those the script
// refuses or fails. While it reads a file it holds the file open for real, a little while,
// so that readings overlap and the files open at once can be counted.
class ScriptedReader
{
public:
    std::map<std::string, Outcome> script;

    DateReader reader()
    {
        return [this](const platform::Folder &folder, const std::string &name, std::string &stamp,
                      RefusalNotice &notice) { return read(folder, name, stamp, notice); };
    }

    int calls() const { return m_calls; }
    int mostOpen() const { return m_mostOpen; }
    int openNow() const
    {
        const std::lock_guard lock(m_mutex);
        return static_cast<int>(m_open.size());
    }
    bool isOpen(const std::string &name) const
    {
        const std::lock_guard lock(m_mutex);
        return m_open.count(name) != 0;
    }

private:
    bool read(const platform::Folder &folder, const std::string &name, std::string &stamp, RefusalNotice &notice)
    {
        ++m_calls;
        {
            platform::ReadOnlyFile file(folder, name);
            {
                const std::lock_guard lock(m_mutex);
                m_open.insert(name);
                m_mostOpen = std::max(m_mostOpen.load(), static_cast<int>(m_open.size()));
            }
            std::this_thread::sleep_for(300us);
            const std::lock_guard lock(m_mutex);
            m_open.erase(name);
        }
        const auto step = script.find(name);
        switch (step == script.end() ? Outcome::Stamp : step->second) {
        case Outcome::Stamp:
            stamp = Stamp;
            return true;
        case Outcome::Refuse:
            notice.refused("Not a valid JPEG image");
            return false;
        case Outcome::Fail:
            throw EInOutError(IoCode::AccessDenied);
        }
        return false;
    }

    mutable std::mutex m_mutex;
    std::set<std::string> m_open;
    std::atomic<int> m_calls{0};
    std::atomic<int> m_mostOpen{0};
};

// The fake window, with a look at the folder and the reader whenever a box opens or a file
// has been moved.
class WatchingHost : public FakeBatchHost
{
public:
    using FakeBatchHost::FakeBatchHost;
    std::function<void()> atRefusal, atInformation, afterMove;

    void refused(const std::string &message) override
    {
        FakeBatchHost::refused(message);
        if (atRefusal)
            atRefusal();
    }
    void showInformation(const std::string &message) override
    {
        FakeBatchHost::showInformation(message);
        if (atInformation)
            atInformation();
    }
    void ListFiles() override
    {
        FakeBatchHost::ListFiles();
        if (afterMove)
            afterMove();
    }
};

class ReadAhead : public testing::Test
{
protected:
    /** Writes `names` as photographs and puts a window over the folder. */
    void make(const Names &names)
    {
        for (const std::string &name : names)
            folder.write(name, exifJpeg("2015:09:27 15:05:30"));
        host = std::make_unique<WatchingHost>(folder.path());
    }
    void run(int mode, int window)
    {
        host->selectAll();
        host->setMode(mode);
        RenameSelected(*host, reader.reader(), window);
    }
    /** Every name up to `moved` with the date in front, the rest as they were; sorted. */
    static Names movedUpTo(const Names &names, std::size_t moved)
    {
        Names expected;
        for (std::size_t i = 0; i < names.size(); ++i)
            expected.push_back(i < moved ? Stamp + " " + names[i] : names[i]);
        std::sort(expected.begin(), expected.end());
        return expected;
    }

    TempFolder folder;
    ScriptedReader reader;
    std::unique_ptr<WatchingHost> host;
};

struct TurnCase
{
    const char *label;
    Outcome outcome;
    std::size_t at;
};

class OutcomeAtItsTurn : public ReadAhead, public testing::WithParamInterface<TurnCase>
{
};

// A refusal's box opens at its file's turn, after the files before it were moved and before
// any after it, with its file closed; a failure ends the batch at its file, with nothing
// after it moved and no reading left under way.
TEST_P(OutcomeAtItsTurn, ComesAtItsFilesTurnAsReadingOneByOneWould)
{
    const TurnCase &c = GetParam();
    const Names names = photos(8);
    make(names);
    reader.script[names[c.at]] = c.outcome;
    Names atBox;
    bool closedAtBox = false;
    host->atRefusal = [&] {
        atBox = folder.entries();
        closedAtBox = !reader.isOpen(names[c.at]);
    };

    if (c.outcome == Outcome::Refuse) {
        run(0, 3);
        EXPECT_EQ(host->refusals, Names{"Not a valid JPEG image"});
        EXPECT_EQ(atBox, movedUpTo(names, c.at));
        EXPECT_TRUE(closedAtBox);
        Names expected = movedUpTo(names, names.size());
        std::replace(expected.begin(), expected.end(), Stamp + " " + names[c.at], names[c.at]);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(folder.entries(), expected);
        EXPECT_EQ(host->progress.size(), names.size());
    } else {
        EXPECT_THROW(run(0, 3), EInOutError);
        EXPECT_TRUE(host->refusals.empty());
        EXPECT_EQ(folder.entries(), movedUpTo(names, c.at));
        EXPECT_EQ(reader.openNow(), 0) << "a reading outlived the batch";
        EXPECT_LE(reader.calls(), static_cast<int>(c.at) + 1 + 3);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, OutcomeAtItsTurn,
                         testing::Values(TurnCase{"RefusalOfTheFirst", Outcome::Refuse, 0},
                                         TurnCase{"RefusalInTheMiddle", Outcome::Refuse, 4},
                                         TurnCase{"RefusalOfTheLast", Outcome::Refuse, 7},
                                         TurnCase{"FailureOfTheFirst", Outcome::Fail, 0},
                                         TurnCase{"FailureInTheMiddle", Outcome::Fail, 4},
                                         TurnCase{"FailureOfTheLast", Outcome::Fail, 7}),
                         [](const testing::TestParamInfo<TurnCase> &info) { return std::string(info.param.label); });

// The date that is the whole name ends a mode-3 batch: the reading has stopped before the box
// opens and nothing more is read while it is open.
TEST_F(ReadAhead, TheWholeNameEndStopsTheReading)
{
    Names names{"0 2015-09-27.jpg", "1 2015-09-27.jpg", "2015-09-27 15-05-30.jpg"};
    for (int i = 0; i < 30; ++i)
        names.push_back(std::to_string(300 + i) + " 2015-09-27.jpg");
    make(names);
    int underWayAtBox = -1, readWhileBoxOpen = -1;
    host->atInformation = [&] {
        underWayAtBox = reader.openNow();
        const int before = reader.calls();
        std::this_thread::sleep_for(20ms);
        readWhileBoxOpen = reader.calls() - before;
    };

    run(3, 4);
    EXPECT_EQ(host->informations, Names{DateIsWholeNameMessage});
    EXPECT_EQ(underWayAtBox, 0);
    EXPECT_EQ(readWhileBoxOpen, 0);
    EXPECT_LE(reader.calls(), 3 + 4);
    Names expected(names.begin() + 2, names.end());
    expected.insert(expected.begin(), {"0.jpg", "1.jpg"});
    EXPECT_EQ(folder.entries(), expected);
}

class WindowBound : public ReadAhead, public testing::WithParamInterface<int>
{
};

// The next file is read while the current one is moved; while the batch is held, the reading
// goes on up to the window and no further; and never more files than the window are open at once.
TEST_P(WindowBound, ReadsAheadWithNoMoreFilesOpenThanTheWindow)
{
    const int window = GetParam();
    const Names names = photos(40);
    make(names);
    bool readAheadWhileMoving = false;
    int readWhileHeld = 0;
    host->afterMove = [&] {
        if (host->listFilesCalls != 1)
            return;
        // The first file was read and moved: the batch is held here until the readers have
        // filled the window; they stop at its end.
        while (reader.calls() < std::max(window, 2))
            std::this_thread::sleep_for(1ms);
        readAheadWhileMoving = true;
        std::this_thread::sleep_for(20ms);
        readWhileHeld = reader.calls();
    };

    run(0, window);
    EXPECT_TRUE(readAheadWhileMoving);
    EXPECT_LE(readWhileHeld, 1 + window) << "read past the window";
    EXPECT_LE(reader.mostOpen(), window);
    EXPECT_EQ(reader.calls(), static_cast<int>(names.size()));
    EXPECT_EQ(folder.entries(), movedUpTo(names, names.size()));
}

INSTANTIATE_TEST_SUITE_P(Windows, WindowBound, testing::Values(1, 2, 3, 8));

class NumberMode : public ReadAhead, public testing::WithParamInterface<int>
{
};

TEST_P(NumberMode, ReadsNoDate)
{
    make(photos(5));
    run(GetParam(), 4);
    EXPECT_EQ(reader.calls(), 0);
    EXPECT_EQ(host->listFilesCalls, 5);
}

INSTANTIATE_TEST_SUITE_P(Modes, NumberMode, testing::Values(4, 5, 6, 7, 8, 9));

// --- The read-ahead alone, driven as a batch takes its files --------------------------

// Plays the capture-date reader for files that need not exist: each file's stamp is its own
// name, so an outcome given to the wrong file shows. Gated, every reading waits until the test
// releases its file, as on a volume that answers late. It records which threads read, how many
// readings were under way at once, and which files were started.
class NamedReader
{
public:
    explicit NamedReader(bool gated = false) : m_gated(gated) {}

    DateReader reader()
    {
        return [this](const platform::Folder &, const std::string &name, std::string &stamp, RefusalNotice &) {
            read(name);
            stamp = name;
            return true;
        };
    }

    /** Waits until `name`'s reading has begun, then lets it end. */
    void release(const std::string &name)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_started.count(name) != 0; });
        m_released.insert(name);
        m_changed.notify_all();
    }

    int started() const
    {
        const std::lock_guard lock(m_mutex);
        return static_cast<int>(m_started.size());
    }
    int mostAtOnce() const
    {
        const std::lock_guard lock(m_mutex);
        return m_mostAtOnce;
    }
    /** The threads other than `batch` that read. */
    int readerThreads(std::thread::id batch) const
    {
        const std::lock_guard lock(m_mutex);
        return static_cast<int>(m_threads.size() - m_threads.count(batch));
    }

private:
    void read(const std::string &name)
    {
        std::unique_lock lock(m_mutex);
        m_started.insert(name);
        m_threads.insert(std::this_thread::get_id());
        m_mostAtOnce = std::max(m_mostAtOnce, ++m_underWay);
        m_changed.notify_all();
        if (m_gated)
            m_changed.wait(lock, [&] { return m_released.count(name) != 0; });
        --m_underWay;
    }

    const bool m_gated;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<std::string> m_started, m_released;
    std::set<std::thread::id> m_threads;
    int m_underWay = 0;
    int m_mostAtOnce = 0;
};

class ReadAheadAlone : public testing::Test
{
protected:
    /**
     * Takes every file from `first` on, in order, and checks that each gets its own outcome;
     * `taking` tells which file the batch is about to take.
     */
    static void takeAll(DateReadAhead &readAhead, const Names &names, int first, std::atomic<int> *taking = nullptr)
    {
        RecordingNotice notice;
        for (int index = first; index < static_cast<int>(names.size()); ++index) {
            if (taking)
                *taking = index;
            std::string stamp;
            ASSERT_TRUE(readAhead.take(index, stamp, notice));
            ASSERT_EQ(stamp, names[static_cast<std::size_t>(index)]) << "the outcome of another file";
        }
    }

    TempFolder folder;
    const platform::Folder held{folder.path()};
    Watchdog watchdog; // a read-ahead that never hands over a file, or never stops, fails here

private:
    struct RecordingNotice : RefusalNotice
    {
        void refused(const std::string &message) override { ADD_FAILURE() << "refused: " << message; }
    };
};

struct TakeCase
{
    int count, window, first;
};

void PrintTo(const TakeCase &c, std::ostream *out)
{
    *out << c.count << " files, window " << c.window << ", from " << c.first;
}

class TakesInOrder : public ReadAheadAlone, public testing::WithParamInterface<TakeCase>
{
};

// Every file from the first on comes out with its own outcome, whatever the window, and the
// read-ahead ends when the batch ends. A single file to read costs no thread.
TEST_P(TakesInOrder, EveryFileGetsItsOwnOutcomeAndTheReadingEnds)
{
    const TakeCase &c = GetParam();
    const Names names = photos(c.count);
    NamedReader reader;
    {
        DateReadAhead readAhead(held, names, reader.reader(), c.window, c.first);
        takeAll(readAhead, names, c.first);
    }
    EXPECT_EQ(reader.started(), c.count - c.first);
    if (c.count - c.first == 1)
        EXPECT_EQ(reader.readerThreads(std::this_thread::get_id()), 0);
}

INSTANTIATE_TEST_SUITE_P(Batches, TakesInOrder,
                         testing::Values(TakeCase{1, 64, 0}, TakeCase{1, 1, 0}, TakeCase{2, 1, 0},
                                         TakeCase{2, 64, 0}, TakeCase{5, 2, 0}, TakeCase{40, 1, 0},
                                         TakeCase{40, 3, 0}, TakeCase{40, 8, 0}, TakeCase{40, 64, 0},
                                         TakeCase{10, 4, 7}, TakeCase{10, 4, 9}));

class WindowEnd : public ReadAheadAlone, public testing::WithParamInterface<int>
{
};

// Before the batch takes anything, the readers read the first `window` files and stop there.
TEST_P(WindowEnd, ReadingStopsAtTheWindowUntilTheBatchTakes)
{
    const int window = GetParam();
    const Names names = photos(3 * window + 2);
    NamedReader reader;
    DateReadAhead readAhead(held, names, reader.reader(), window);
    while (reader.started() < window)
        std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(reader.started(), window) << "read past the window";
    takeAll(readAhead, names, 0);
}

INSTANTIATE_TEST_SUITE_P(Windows, WindowEnd, testing::Values(1, 2, 3, 8));

class SlowVolume : public ReadAheadAlone, public testing::WithParamInterface<int>
{
};

// Each reading answers only after the batch has waited for it a few milliseconds, so every wait
// is long (well above the millisecond that counts as slow): threads join until there are four, or as many as the window, and never more files
// are under way than there are threads or than the window holds.
TEST_P(SlowVolume, ThreadsJoinUpToFourAndTheWindow)
{
    const int window = GetParam();
    const int expected = std::min(window, 4);
    const Names names = photos(30);
    NamedReader reader(true);
    std::atomic<int> taking{-1};
    std::thread volume([&] {
        for (int index = 0; index < static_cast<int>(names.size()); ++index) {
            while (taking < index)
                std::this_thread::sleep_for(100us);
            std::this_thread::sleep_for(3ms); // the batch waits for this file meanwhile
            reader.release(names[static_cast<std::size_t>(index)]);
        }
    });
    {
        DateReadAhead readAhead(held, names, reader.reader(), window);
        takeAll(readAhead, names, 0, &taking);
    }
    volume.join();
    EXPECT_EQ(reader.readerThreads(std::this_thread::get_id()), expected);
    EXPECT_LE(reader.mostAtOnce(), expected);
}

INSTANTIATE_TEST_SUITE_P(Windows, SlowVolume, testing::Values(2, 8, 64));

} // namespace
