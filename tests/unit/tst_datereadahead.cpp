#include "batchtestutil.h"
#include "platform/errors.h"
#include "platform/folder.h"
#include "platform/readonlyfile.h"
#include "rename/namingrules.h"
#include "rename/renameselected.h"

#include <atomic>
#include <chrono>
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
    static Names photos(int count)
    {
        Names names;
        for (int i = 0; i < count; ++i)
            names.push_back("p" + std::to_string(100 + i) + ".jpg");
        return names;
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

// The next file is read while the current one is moved, and never more files than the
// window are open at once.
TEST_P(WindowBound, ReadsAheadWithNoMoreFilesOpenThanTheWindow)
{
    const int window = GetParam();
    const Names names = photos(40);
    make(names);
    bool readAheadWhileMoving = false;
    host->afterMove = [&] {
        if (host->listFilesCalls != 1)
            return;
        // The first file was read and moved: the second one's reading has begun by now, or begins soon.
        for (int i = 0; i < 500 && !readAheadWhileMoving; ++i) {
            readAheadWhileMoving = reader.calls() >= 2;
            std::this_thread::sleep_for(10ms);
        }
    };

    run(0, window);
    EXPECT_TRUE(readAheadWhileMoving);
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

} // namespace
