#include "help/compiledhelp.h"

#include "help/containercheck.h"
#include "help/mspackaccess.h"
#include "help/topicpath.h"

#include <QFileInfo>
#include <QtEndian>
#include <algorithm>

namespace {

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1);
}

// Messages name the file by its name alone, and nothing the file holds goes into them: a message
// box takes a text that looks like markup for rich text.
QString refused(const QString &path, const QString &why)
{
    return QStringLiteral("The help file \"%1\" is refused: %2").arg(QFileInfo(path).fileName(), why);
}

const QString damaged = QStringLiteral("it is damaged and cannot be read");

QString objectPath(const QByteArray &named)
{
    return TopicPath::rooted(QString::fromUtf8(named));
}

QStringList pageSuffixes()
{
    return {QStringLiteral(".htm"), QStringLiteral(".html")};
}

} // namespace

QMap<quint16, QByteArray> parseSystemEntries(const QByteArray &system)
{
    QMap<quint16, QByteArray> entries;
    qsizetype at = 4;
    while (at + 4 <= system.size()) {
        const quint16 code = qFromLittleEndian<quint16>(system.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(system.constData() + at + 2);
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

CompiledHelp::CompiledHelp(const QString &path)
    : m_path(path), m_access(std::make_unique<MspackAccess>(path, largestDirectory))
{
    if (!m_access->isOpen())
        return;
    const containercheck::Header kind = containercheck::headerOf(m_access->readAt(0, containercheck::headerSize));
    if (kind == containercheck::Header::foreign)
        return;
    if (kind == containercheck::Header::repeatedIdentifier)
        m_access->correct(containercheck::standardSecondIdentifier());
    const auto readAt = [this](qint64 position, qint64 size) { return m_access->readAt(position, size); };
    if (const auto first = containercheck::firstListingChunk(readAt))
        m_access->correct(*first);
    const MspackAccess::Call call(*m_access);
    int selfTest = MSPACK_ERR_OK;
    MSPACK_SYS_SELFTEST(selfTest);
    if (selfTest == MSPACK_ERR_OK)
        m_decompressor.reset(mspack_create_chm_decompressor(m_access->system()));
    if (m_decompressor)
        m_header = {m_decompressor->open(m_decompressor.get(), MspackAccess::inputName), {m_decompressor.get()}};
    const QString why = m_header                   ? indexEntries()
                        : m_access->budgetSpent() ? QStringLiteral("its directory lists more entries than the viewer reads")
                                                  : damaged;
    if (why.isEmpty()) {
        if (const std::optional<QByteArray> system = read(QStringLiteral("/#SYSTEM")))
            m_system = parseSystemEntries(*system);
        return;
    }
    m_refusal = refused(m_path, why);
    m_byPath.clear();
    m_objects.clear();
    m_header.reset();
}

CompiledHelp::~CompiledHelp() = default;

void CompiledHelp::CloseHeader::operator()(mschmd_header *header) const
{
    decompressor->close(decompressor, header);
}

// The library lists the entries whose names begin with "::" (the machinery of the compressed
// section) apart from the others, the objects: pages, pictures, sitemaps and the "/#SYSTEM" data.
QString CompiledHelp::indexEntries()
{
    const QString tooMuch = QStringLiteral("its pages and pictures come to more than the %1 MB the viewer reads from one "
                                           "help file").arg(megabytes(largestTotal));
    qint64 total = 0;
    qint64 extent = 0;
    bool compressed = false;
    for (mschmd_file *file = m_header->files; file; file = file->next) {
        if (file->length > largestObject)
            return QStringLiteral("one of its pages or pictures declares %1 MB, more than the %2 MB the viewer reads for one")
                .arg(megabytes(file->length), megabytes(largestObject));
        // An entry that cannot be read is left out, as if it were not listed.
        if (file->offset < 0 || file->length < 0)
            continue;
        total += file->length;
        if (total > largestTotal)
            return tooMuch;
        if (file->section->id == 1) {
            if (file->offset > largestTotal - file->length)
                return tooMuch;
            compressed = true;
            extent = std::max<qint64>(extent, file->offset + file->length);
        } else if (file->offset > m_access->fileSize()) {
            continue;
        }
        m_objects.append(file);
        const QByteArray key = QByteArray(file->filename).toLower();
        if (!m_byPath.contains(key))
            m_byPath.insert(key, file);
    }
    if (compressed && !compressedSectionIsSound(extent))
        return damaged;
    return {};
}

bool CompiledHelp::compressedSectionIsSound(qint64 extent)
{
    const mschmd_sec_mscompressed &section = m_header->sec1;
    const auto uncompressed = [](const mschmd_file *file, qint64 largest) {
        return file && file->section->id == 0 && file->length >= 0 && file->length <= largest;
    };
    if (!section.content || section.content->section->id != 0 || !uncompressed(section.control, 0x1C)
        || !uncompressed(section.rtable, 1000000))
        return false;
    const std::optional<QByteArray> control = extract(section.control);
    const std::optional<QByteArray> resetTable = extract(section.rtable);
    return control && resetTable
           && containercheck::compressedSectionIsSound(*control, *resetTable, extent, section.content->length);
}

std::optional<QByteArray> CompiledHelp::read(const QString &objectPath, qint64 atMost) const
{
    mschmd_file *file = entry(objectPath);
    return file ? extract(file, atMost) : std::nullopt;
}

// The library stops decompressing at the first write that is not taken whole: past `atMost`.
std::optional<QByteArray> CompiledHelp::extract(mschmd_file *file, qint64 atMost) const
{
    const MspackAccess::Call call(*m_access);
    const qint64 wanted = std::clamp<qint64>(atMost, 0, file->length);
    QByteArray bytes;
    bytes.reserve(qsizetype(wanted));
    m_access->setOutput(&bytes, wanted);
    const int error = m_decompressor->extract(m_decompressor.get(), file, MspackAccess::outputName);
    m_access->setOutput(nullptr, 0);
    const bool whole = error == MSPACK_ERR_OK && bytes.size() == file->length;
    const bool start = error == MSPACK_ERR_WRITE && wanted < file->length && bytes.size() == wanted;
    return whole || start ? std::optional<QByteArray>(std::move(bytes)) : std::nullopt;
}

QStringList CompiledHelp::objectsEndingWith(const QStringList &suffixes) const
{
    QStringList found;
    for (const mschmd_file *file : m_objects) {
        // Only the objects of the help's own tree: not the compiler's "/#" and "/$" data.
        const char *name = file->filename;
        if (name[0] != '/' || name[1] == '#' || name[1] == '$')
            continue;
        const QString path = QString::fromUtf8(name);
        if (std::any_of(suffixes.cbegin(), suffixes.cend(),
                        [&path](const QString &suffix) { return path.endsWith(suffix, Qt::CaseInsensitive); }))
            found.append(path);
    }
    return found;
}

QStringList CompiledHelp::pages() const
{
    return objectsEndingWith(pageSuffixes());
}

QString CompiledHelp::defaultTopic() const
{
    return namedOrFirst(systemDefaultTopic, pageSuffixes(), QStringLiteral("/index.html"));
}

QString CompiledHelp::namedOrFirst(quint16 code, const QStringList &suffixes, const QString &none) const
{
    const QByteArray named = m_system.value(code);
    if (!named.isEmpty() && contains(objectPath(named)))
        return objectPath(named);
    const QStringList found = objectsEndingWith(suffixes);
    return found.isEmpty() ? none : found.first();
}

QString CompiledHelp::contentsFile() const
{
    return namedOrFirst(systemContentsFile, {QStringLiteral(".hhc")}, {});
}

QString CompiledHelp::indexFile() const
{
    return namedOrFirst(systemIndexFile, {QStringLiteral(".hhk")}, {});
}
