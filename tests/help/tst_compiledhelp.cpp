// The help file's container on hostile input: our own compiled help file, damaged by seeded byte
// flips aimed at its header, directory, compression data and compressed stream, cut short, or
// rewritten to declare absurd sizes and counts. Every file either opens, with every object read
// within the caps, or is refused with a message; the process lives and stays within its memory.
#include "help/backgroundread.h"
#include "help/compiledhelp.h"
#include "help/mspackaccess.h"
#include "fuzzseed.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>
#include <mspack.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray &builtFile()
{
    static const QByteArray bytes = fileBytes(QStringLiteral(QUARIMO_BUILT_HELP_FILE));
    return bytes;
}

struct Region
{
    qint64 start = 0;
    qint64 size = 0;
};

// Where the parts of the pristine built file lie, as the container library lists them.
struct Layout
{
    Region directory;  // the headers and the directory chunks, up to the first object
    Region control;
    Region resetTable;
    Region content;    // the compressed stream
    qint64 directoryChunk = 0;
};

const Layout &builtLayout()
{
    static const Layout layout = [] {
        Layout found;
        // The library reads only the standard header identifiers; a copy with them in place is shown to it.
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("standard.chm"));
        QByteArray bytes = builtFile();
        bytes[0x28] = '\x11';
        QFile out(copy);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            return found;
        out.close();
        mschm_decompressor *decompressor = mspack_create_chm_decompressor(nullptr);
        mschmd_header *header = decompressor->open(decompressor, QFile::encodeName(copy).constData());
        if (header) {
            const auto region = [header](const mschmd_file *file) {
                return file ? Region{header->sec0.offset + file->offset, file->length} : Region{};
            };
            found.directory = {0, header->sec0.offset};
            found.control = region(header->sec1.control);
            found.resetTable = region(header->sec1.rtable);
            found.content = region(header->sec1.content);
            found.directoryChunk = header->dir_offset;
            decompressor->close(decompressor, header);
        }
        mspack_destroy_chm_decompressor(decompressor);
        return found;
    }();
    return layout;
}

// The process's peak memory so far, in bytes.
qint64 peakMemory()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

class HostileHelpFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(builtFile().isEmpty()) << "the build compiles the help before the tests run";
        ASSERT_GT(builtLayout().resetTable.size, 0) << "our help file has a compressed section";
    }

    QString write(const QByteArray &bytes, const QString &name = QStringLiteral("rename.chm"))
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }

    // Opens `bytes` and reads all it offers; a failure names `row`. Whether the file opened.
    bool opensOrIsRefused(const QByteArray &bytes, const std::string &row)
    {
        const CompiledHelp help(write(bytes));
        const bool foreign = bytes.left(0x38) != builtFile().left(0x38);
        if (!help.isOpen()) {
            EXPECT_TRUE(foreign || !help.refusal().isEmpty()) << row << ": refused without a message";
        } else {
            EXPECT_TRUE(help.refusal().isEmpty()) << row;
            QStringList objects = help.pages();
            objects << help.contentsFile() << help.indexFile() << help.defaultTopic() << QStringLiteral("/#SYSTEM")
                    << QStringLiteral("/icon.png") << QStringLiteral("/help.css");
            (void)help.title();
            for (const QString &object : objects) {
                const std::optional<QByteArray> read = help.read(object);
                EXPECT_TRUE(!read || read->size() <= CompiledHelp::largestObject) << row;
            }
        }
        EXPECT_LT(peakMemory(), 500LL * 1024 * 1024) << row;
        return help.isOpen();
    }

    QTemporaryDir m_dir;
};

struct FlipRow
{
    const char *name;
    Region Layout::*region;  // nullptr: anywhere in the file
};

// Flips one to four bytes of the region, each to a value other than its own, from the seed.
QByteArray flipped(const QByteArray &original, Region region, quint32 seed)
{
    QByteArray bytes = original;
    QRandomGenerator random(seed);
    const int flips = 1 + int(random.bounded(4));
    for (int i = 0; i < flips; ++i) {
        const qint64 at = region.start + qint64(random.bounded(quint64(region.size)));
        bytes[at] = char(bytes[at] ^ char(1 + random.bounded(255)));
    }
    return bytes;
}

class FlippedHelpFile : public HostileHelpFile, public ::testing::WithParamInterface<FlipRow>
{
};

TEST_P(FlippedHelpFile, opensOrIsRefusedWithAMessage)
{
    const FlipRow row = GetParam();
    const Region region = row.region ? builtLayout().*row.region : Region{0, builtFile().size()};
    ASSERT_GT(region.size, 0);
    int opened = 0;
    constexpr quint32 seeds = 150;
    for (quint32 seed = 1; seed <= seeds; ++seed)
        opened += opensOrIsRefused(flipped(builtFile(), region, seed), std::string(row.name) + " seed " + std::to_string(seed));
    // Our own file, untouched, opens: the flips are what the rows test.
    EXPECT_TRUE(opensOrIsRefused(builtFile(), "untouched"));
    RecordProperty("opened", opened);
}

INSTANTIATE_TEST_SUITE_P(Regions, FlippedHelpFile,
                         ::testing::Values(FlipRow{"headers and directory", &Layout::directory},
                                           FlipRow{"control data", &Layout::control},
                                           FlipRow{"reset table", &Layout::resetTable},
                                           FlipRow{"compressed stream", &Layout::content},
                                           FlipRow{"anywhere", nullptr}),
                         [](const auto &info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

TEST_F(HostileHelpFile, cutShortOpensOrIsRefused)
{
    const Layout &layout = builtLayout();
    for (const qint64 size : {qint64(0), qint64(0x37), qint64(0x60), layout.directoryChunk + 100, layout.directory.size,
                              layout.resetTable.start + 10, layout.content.start + layout.content.size / 2,
                              qint64(builtFile().size() - 1)})
        opensOrIsRefused(builtFile().left(size), "cut to " + std::to_string(size));
}

// A directory entry: name, then section, offset and length as variable-length integers.
struct Entry
{
    QByteArray name;
    quint64 section = 0, offset = 0, length = 0;
};

void appendNumber(QByteArray &out, quint64 value)
{
    QByteArray digits;
    do {
        digits.prepend(char((value & 0x7F) | (digits.isEmpty() ? 0 : 0x80)));
        value >>= 7;
    } while (value);
    out += digits;
}

// Rewrites the file's one directory chunk (PMGL: 20 bytes head, entries, entry count in the last two
// bytes) with `change` applied to its entries; the quick-reference area is left empty.
QByteArray rewrittenDirectory(const QByteArray &original, const std::function<void(QList<Entry> &)> &change)
{
    QByteArray bytes = original;
    const qint64 at = builtLayout().directoryChunk;
    const QByteArray chunk = bytes.mid(at, 4096);
    const auto number = [&chunk](qsizetype &p) {
        quint64 value = 0;
        do
            value = value << 7 | (quint8(chunk[p]) & 0x7F);
        while (quint8(chunk[p++]) & 0x80);
        return value;
    };
    QList<Entry> entries;
    qsizetype p = 20;
    for (int count = qFromLittleEndian<quint16>(chunk.constData() + 4094); count > 0; --count) {
        Entry entry;
        const qsizetype length = qsizetype(number(p));
        entry.name = chunk.mid(p, length);
        p += length;
        entry.section = number(p);
        entry.offset = number(p);
        entry.length = number(p);
        entries.append(entry);
    }
    change(entries);
    QByteArray rewritten = chunk.left(20);
    for (const Entry &entry : entries) {
        appendNumber(rewritten, quint64(entry.name.size()));
        rewritten += entry.name;
        appendNumber(rewritten, entry.section);
        appendNumber(rewritten, entry.offset);
        appendNumber(rewritten, entry.length);
    }
    rewritten = rewritten.leftJustified(4094, '\0', true);
    const quint16 count = quint16(entries.size());
    rewritten += QByteArray(reinterpret_cast<const char *>(&count), 2);
    qToLittleEndian<quint32>(2, rewritten.data() + 4);  // quick-reference area: the count alone
    return bytes.replace(at, 4096, rewritten);
}

Entry *named(QList<Entry> &entries, const char *name)
{
    for (Entry &entry : entries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

QByteArray patched(QByteArray bytes, qint64 at, quint64 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char(value >> (8 * i));
    return bytes;
}

struct CraftedRow
{
    const char *name;
    std::function<QByteArray()> make;
    const char *refusal;  // a part of the message; empty: the file opens
};

class CraftedHelpFile : public HostileHelpFile, public ::testing::WithParamInterface<CraftedRow>
{
};

TEST_P(CraftedHelpFile, opensOrIsRefusedAsItShould)
{
    const CraftedRow row = GetParam();
    const QByteArray bytes = row.make();
    writeFuzzSeed(row.name, bytes);
    const bool opened = opensOrIsRefused(bytes, row.name);
    const CompiledHelp help(write(bytes));
    if (*row.refusal) {
        EXPECT_FALSE(opened);
        EXPECT_TRUE(help.refusal().contains(QLatin1String(row.refusal))) << help.refusal().toStdString();
        EXPECT_TRUE(help.refusal().startsWith(QLatin1String("The help file \"rename.chm\" is refused: ")));
    } else {
        EXPECT_TRUE(opened) << help.refusal().toStdString();
        EXPECT_EQ(help.defaultTopic(), QStringLiteral("/index.htm"));
    }
}

const char *const damaged = "it is damaged";
const char *const objectCap = "more than the 16.0 MB the viewer reads for one";
const char *const totalCap = "more than the 128.0 MB the viewer reads from one help file";

QByteArray withEntry(const char *name, const std::function<void(Entry &)> &change)
{
    return rewrittenDirectory(builtFile(), [&](QList<Entry> &entries) { change(*named(entries, name)); });
}

qint64 resetTableAt(qint64 field)
{
    return builtLayout().resetTable.start + field;
}

qint64 controlAt(qint64 field)
{
    return builtLayout().control.start + field;
}

// The header section that describes the directory: chunk size at 0x10, index root at 0x1C, first
// and last listing chunk at 0x20 and 0x24, chunk count at 0x2C.
qint64 directoryHeaderAt(qint64 field)
{
    return builtLayout().directoryChunk - 0x54 + field;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CraftedHelpFile,
    ::testing::Values(
        CraftedRow{"rewritten_unchanged", [] { return rewrittenDirectory(builtFile(), [](QList<Entry> &) {}); }, ""},
        CraftedRow{"standard_identifiers", [] { return patched(builtFile(), 0x28, 0x11, 1); }, ""},
        CraftedRow{"page_of_a_terabyte",
                   [] { return withEntry("/index.htm", [](Entry &e) { e.length = 1ULL << 40; }); }, objectCap},
        CraftedRow{"page_just_over_the_cap",
                   [] { return withEntry("/rules.htm", [](Entry &e) { e.length = CompiledHelp::largestObject + 1; }); },
                   objectCap},
        CraftedRow{"pages_that_add_up",
                   [] {
                       return rewrittenDirectory(builtFile(), [](QList<Entry> &entries) {
                           for (Entry &entry : entries)
                               if (entry.name.endsWith(".htm"))
                                   entry.length = 16 * 1024 * 1024;
                       });
                   },
                   totalCap},
        CraftedRow{"compressed_page_far_out",
                   [] { return withEntry("/camera.htm", [](Entry &e) { e.offset = 1ULL << 33; }); }, totalCap},
        CraftedRow{"compressed_page_past_the_stream",
                   [] { return withEntry("/camera.htm", [](Entry &e) { e.offset = 100000; }); }, damaged},
        CraftedRow{"no_reset_table",
                   [] {
                       return rewrittenDirectory(builtFile(), [](QList<Entry> &entries) {
                           entries.removeIf([](const Entry &e) { return e.name.endsWith("ResetTable"); });
                       });
                   },
                   damaged},
        CraftedRow{"control_data_in_the_compressed_section",
                   [] { return withEntry("::DataSpace/Storage/MSCompressed/ControlData", [](Entry &e) { e.section = 1; }); },
                   damaged},
        CraftedRow{"a_thousand_entries_claimed", [] { return patched(builtFile(), builtLayout().directoryChunk + 4094, 0xFFFF, 2); },
                   ""},
        CraftedRow{"chunk_count_absurd", [] { return patched(builtFile(), directoryHeaderAt(0x2C), 0xFFFFFFFF, 4); }, damaged},
        CraftedRow{"chunk_offset_past_64_bits",
                   [] {
                       QByteArray bytes = patched(builtFile(), directoryHeaderAt(0x10), 0xFFFFFFFF, 4);
                       bytes = patched(bytes, directoryHeaderAt(0x20), 0x80000001, 4);
                       return patched(bytes, directoryHeaderAt(0x2C), 0xFFFFFFFF, 4);
                   },
                   damaged},
        CraftedRow{"chunk_size_zero", [] { return patched(builtFile(), directoryHeaderAt(0x10), 0, 4); }, damaged},
        CraftedRow{"last_chunk_absurd", [] { return patched(builtFile(), directoryHeaderAt(0x24), 0xFFFFFFF0, 4); }, damaged},
        CraftedRow{"index_root_on_itself", [] { return patched(builtFile(), directoryHeaderAt(0x1C), 0, 4); }, ""},
        CraftedRow{"reset_entries_none", [] { return patched(builtFile(), resetTableAt(4), 0, 4); }, damaged},
        CraftedRow{"reset_entry_size_odd", [] { return patched(builtFile(), resetTableAt(8), 3, 4); }, damaged},
        CraftedRow{"reset_table_offset_absurd", [] { return patched(builtFile(), resetTableAt(0xC), 0xFFFFFFF8, 4); }, damaged},
        CraftedRow{"uncompressed_length_short", [] { return patched(builtFile(), resetTableAt(0x10), 100, 8); }, damaged},
        CraftedRow{"uncompressed_length_negative", [] { return patched(builtFile(), resetTableAt(0x10), ~0ULL, 8); }, damaged},
        CraftedRow{"reset_point_outside_the_stream", [] { return patched(builtFile(), resetTableAt(0x28), 1ULL << 40, 8); },
                   damaged},
        CraftedRow{"frame_length_wrong", [] { return patched(builtFile(), resetTableAt(0x20), 0x10000, 4); }, damaged},
        CraftedRow{"window_absurd", [] { return patched(builtFile(), controlAt(0x10), 0xFFFFFFFF, 4); }, damaged},
        // The decompressor multiplies the frames in 32 bits: 0x20001 frames become one.
        CraftedRow{"reset_interval_wraps", [] { return patched(builtFile(), controlAt(0xC), 0x20001, 4); }, damaged},
        CraftedRow{"reset_interval_zero", [] { return patched(builtFile(), controlAt(0xC), 0, 4); }, damaged},
        CraftedRow{"control_version_unknown", [] { return patched(builtFile(), controlAt(8), 7, 4); }, damaged}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(HostileHelpFile, readsThePagesAsTheyWereWritten)
{
    const CompiledHelp help(QStringLiteral(QUARIMO_BUILT_HELP_FILE));
    ASSERT_TRUE(help.isOpen());
    const QStringList pages = help.pages();
    ASSERT_EQ(pages.size(), 8);
    for (const QString &page : pages) {
        const QByteArray written = fileBytes(QStringLiteral(QUARIMO_HELP_SOURCES) + page);
        EXPECT_EQ(help.read(page), written) << page.toStdString();
        EXPECT_EQ(help.read(page.toUpper()), written) << "found without regard to case";
    }
    EXPECT_EQ(help.read(QStringLiteral("/../") + pages.first()), std::nullopt) << "paths never leave the file";
}

// A page's start is all the viewer shows and indexes: decompressing stops there.
TEST_F(HostileHelpFile, readsTheStartOfAnObjectOnly)
{
    const CompiledHelp help(QStringLiteral(QUARIMO_BUILT_HELP_FILE));
    for (const QString &page : help.pages()) {
        const QByteArray whole = help.read(page).value_or(QByteArray());
        ASSERT_GT(whole.size(), 100);
        EXPECT_EQ(help.read(page, 100), whole.left(100)) << page.toStdString();
        EXPECT_EQ(help.read(page, whole.size() + 1), whole);
    }
}

// What the library allocates for a directory is charged to the file's budget: a directory larger
// than the budget is not read, however little the file itself declares.
TEST_F(HostileHelpFile, directoryIsReadWithinTheAllocationBudget)
{
    const auto opens = [](qint64 budget) {
        MspackAccess access(QStringLiteral(QUARIMO_BUILT_HELP_FILE), budget);
        access.correct(containercheck::standardSecondIdentifier());  // as the help compiler wrote it
        const MspackAccess::Call call(access);
        mschm_decompressor *decompressor = mspack_create_chm_decompressor(access.system());
        mschmd_header *header = decompressor ? decompressor->open(decompressor, MspackAccess::inputName) : nullptr;
        if (header)
            decompressor->close(decompressor, header);
        if (decompressor)
            mspack_destroy_chm_decompressor(decompressor);
        return std::make_pair(header != nullptr, access.budgetSpent());
    };
    EXPECT_EQ(opens(CompiledHelp::largestDirectory), std::make_pair(true, false));
    EXPECT_EQ(opens(4096), std::make_pair(false, true));
}

// Whatever the work on a worker thread throws ends its future, and nothing else.
TEST_F(HostileHelpFile, backgroundWorkEndsInItsFutureWhateverItThrows)
{
    const auto outcome = [](const QString &path, const std::function<void()> &work) {
        QFuture<int> future = readInBackground<int>(path, [work](QPromise<int> &promise, const CompiledHelp &) {
            work();
            promise.addResult(1);
        });
        try {
            future.waitForFinished();
            return future.resultCount() == 1 ? std::string("done") : std::string("no result");
        } catch (const std::exception &e) {
            return std::string(e.what());
        }
    };
    const QString built = QStringLiteral(QUARIMO_BUILT_HELP_FILE);
    EXPECT_EQ(outcome(built, [] {}), "done");
    EXPECT_EQ(outcome(built, [] { throw std::bad_alloc(); }), std::bad_alloc().what());
    EXPECT_EQ(outcome(built, [] { throw std::runtime_error("thrown"); }), "thrown");
    EXPECT_EQ(outcome(m_dir.filePath(QStringLiteral("gone.chm")), [] {}), "the help file can no longer be read");
}

TEST_F(HostileHelpFile, opensNothingButARegularFile)
{
    const QString pipe = m_dir.filePath(QStringLiteral("pipe.chm"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString zero = m_dir.filePath(QStringLiteral("zero.chm"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    for (const QString &path : {pipe, zero, m_dir.path(), m_dir.filePath(QStringLiteral("none.chm"))}) {
        const CompiledHelp help(path);
        EXPECT_FALSE(help.isOpen()) << path.toStdString();
        EXPECT_EQ(help.refusal(), QString()) << "no compiled help file to speak of";
    }
}

} // namespace
