#include "help/compiledhelp.h"

#include <QFile>
#include <chm_lib.h>

namespace {

// A larger object is taken for a damaged file rather than read into memory.
constexpr LONGUINT64 largestObject = 64 * 1024 * 1024;

quint16 littleEndian16(const QByteArray &bytes, qsizetype at)
{
    return quint16(quint8(bytes[at]) | quint8(bytes[at + 1]) << 8);
}

QString objectPath(const QByteArray &named)
{
    QString path = QString::fromUtf8(named);
    if (!path.startsWith(QLatin1Char('/')))
        path.prepend(QLatin1Char('/'));
    return path;
}

} // namespace

QMap<quint16, QByteArray> parseSystemEntries(const QByteArray &system)
{
    QMap<quint16, QByteArray> entries;
    qsizetype at = 4;
    while (at + 4 <= system.size()) {
        const quint16 code = littleEndian16(system, at);
        const quint16 length = littleEndian16(system, at + 2);
        at += 4;
        if (at + length > system.size())
            break;
        QByteArray data = system.mid(at, length);
        const qsizetype nul = data.indexOf('\0');
        if (nul >= 0)
            data.truncate(nul);
        entries.insert(code, data);
        at += length;
    }
    return entries;
}

CompiledHelp::CompiledHelp(const QString &path) : m_path(path)
{
    m_file = chm_open(QFile::encodeName(path).constData());
}

CompiledHelp::~CompiledHelp()
{
    if (m_file)
        chm_close(m_file);
}

bool CompiledHelp::contains(const QString &objectPath) const
{
    chmUnitInfo unit{};
    return m_file && chm_resolve_object(m_file, objectPath.toUtf8().constData(), &unit) == CHM_RESOLVE_SUCCESS;
}

std::optional<QByteArray> CompiledHelp::read(const QString &objectPath) const
{
    if (!m_file)
        return std::nullopt;
    chmUnitInfo unit{};
    if (chm_resolve_object(m_file, objectPath.toUtf8().constData(), &unit) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    if (unit.length > largestObject)
        return std::nullopt;
    QByteArray bytes(qsizetype(unit.length), Qt::Uninitialized);
    if (unit.length == 0)
        return bytes;
    const LONGINT64 got = chm_retrieve_object(m_file, &unit, reinterpret_cast<unsigned char *>(bytes.data()), 0,
                                              LONGINT64(unit.length));
    if (got != LONGINT64(unit.length))
        return std::nullopt;
    return bytes;
}

QStringList CompiledHelp::objectsEndingWith(const QStringList &suffixes) const
{
    struct Search
    {
        const QStringList &suffixes;
        QStringList found;
    } search{suffixes, {}};
    if (!m_file)
        return search.found;
    const auto collect = [](chmFile *, chmUnitInfo *unit, void *context) -> int {
        auto *search = static_cast<Search *>(context);
        const QString path = QString::fromUtf8(unit->path);
        for (const QString &suffix : search->suffixes) {
            if (path.endsWith(suffix, Qt::CaseInsensitive)) {
                search->found.append(path);
                break;
            }
        }
        return CHM_ENUMERATOR_CONTINUE;
    };
    chm_enumerate(m_file, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collect, &search);
    return search.found;
}

QStringList CompiledHelp::pages() const
{
    return objectsEndingWith({QStringLiteral(".htm"), QStringLiteral(".html")});
}

QMap<quint16, QByteArray> CompiledHelp::systemEntries() const
{
    const std::optional<QByteArray> system = read(QStringLiteral("/#SYSTEM"));
    return system ? parseSystemEntries(*system) : QMap<quint16, QByteArray>{};
}

QString CompiledHelp::defaultTopic() const
{
    const QByteArray named = systemEntries().value(systemDefaultTopic);
    if (!named.isEmpty() && contains(objectPath(named)))
        return objectPath(named);
    const QStringList all = pages();
    return all.isEmpty() ? QStringLiteral("/index.html") : all.first();
}

QString CompiledHelp::title() const
{
    return QString::fromUtf8(systemEntries().value(systemTitle)).trimmed();
}

QString CompiledHelp::sitemapFile(quint16 code, const QString &suffix) const
{
    const QByteArray named = systemEntries().value(code);
    if (!named.isEmpty() && contains(objectPath(named)))
        return objectPath(named);
    const QStringList found = objectsEndingWith({suffix});
    return found.isEmpty() ? QString() : found.first();
}

QString CompiledHelp::contentsFile() const
{
    return sitemapFile(systemContentsFile, QStringLiteral(".hhc"));
}

QString CompiledHelp::indexFile() const
{
    return sitemapFile(systemIndexFile, QStringLiteral(".hhk"));
}
