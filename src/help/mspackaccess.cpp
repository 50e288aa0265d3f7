#include "help/mspackaccess.h"

#include "platform/errors.h"
#include "platform/folder.h"
#include "platform/readonlyfile.h"

#include <QFile>
#include <cstdlib>
#include <cstring>

namespace {

// Each allocation carries its owner and size in front, for free(), which gets no owner.
struct alignas(16) AllocationHead
{
    void *owner;
    size_t size;
};

} // namespace

struct MspackAccess::Handle
{
    MspackAccess *owner;
    bool input;
    qint64 position = 0;
};

MspackAccess::MspackAccess(const QString &path, qint64 allocationBudget) : m_budget(allocationBudget)
{
    m_hooks.system = {&MspackAccess::open, &MspackAccess::close, &MspackAccess::read,  &MspackAccess::write,
                      &MspackAccess::seek, &MspackAccess::tell,  &MspackAccess::message, &MspackAccess::alloc,
                      &MspackAccess::free, &MspackAccess::copy,  nullptr};
    m_hooks.owner = this;
    // By path: the file's own descriptor is the only one. A file that cannot be opened, or is no
    // regular file (a pipe put where the help file should be), is not read.
    const auto [folder, name] = platform::splitPath(QFile::encodeName(path).toStdString());
    m_folder = std::make_unique<platform::Folder>(folder, platform::Folder::Access::ByPath);
    try {
        auto file = std::make_unique<platform::ReadOnlyFile>(*m_folder, name);
        if (const std::optional<std::int64_t> size = file->regularFileSize()) {
            m_size = *size;
            m_file = std::move(file);
        }
    } catch (const EInOutError &) {
    }
}

MspackAccess::~MspackAccess() = default;

QByteArray MspackAccess::readAt(qint64 position, qint64 size) const
{
    if (!m_file || position < 0 || size <= 0 || position >= m_size)
        return {};
    QByteArray bytes(qsizetype(std::min(size, m_size - position)), Qt::Uninitialized);
    qsizetype done = 0;
    // A failed read ends the bytes there; the exception never reaches the library's own frames.
    try {
        for (std::size_t got = 1; done < bytes.size() && got > 0; done += qsizetype(got))
            got = m_file->readAt(position + done, bytes.data() + done, std::size_t(bytes.size() - done));
    } catch (const EInOutError &) {
    }
    bytes.truncate(done);
    for (const containercheck::Correction &correction : m_corrections) {
        const qint64 from = std::max(position, correction.position);
        const qint64 to = std::min(position + bytes.size(), correction.position + correction.bytes.size());
        for (qint64 at = from; at < to; ++at)
            bytes[qsizetype(at - position)] = correction.bytes[qsizetype(at - correction.position)];
    }
    return bytes;
}

void MspackAccess::setOutput(QByteArray *buffer, qint64 limit)
{
    m_output = buffer;
    m_outputLimit = limit;
}

mspack_file *MspackAccess::open(mspack_system *self, const char *name, int mode)
{
    MspackAccess *owner = reinterpret_cast<Hooks *>(self)->owner;
    const bool input = mode == MSPACK_SYS_OPEN_READ && std::strcmp(name, inputName) == 0 && owner->m_file;
    const bool output = mode == MSPACK_SYS_OPEN_WRITE && std::strcmp(name, outputName) == 0 && owner->m_output;
    // The library opens the file again only to search the directory on disk, which it would do
    // for a part missing from the listing it read at the start; the listing is all we trust.
    if (input ? owner->m_outputOpen : !output)
        return nullptr;
    if (output)
        owner->m_outputOpen = true;
    return reinterpret_cast<mspack_file *>(new Handle{owner, input});
}

void MspackAccess::close(mspack_file *file)
{
    auto *handle = reinterpret_cast<Handle *>(file);
    if (!handle->input)
        handle->owner->m_outputOpen = false;
    delete handle;
}

int MspackAccess::read(mspack_file *file, void *buffer, int bytes)
{
    auto *handle = reinterpret_cast<Handle *>(file);
    if (!handle->input || bytes < 0)
        return -1;
    const QByteArray got = handle->owner->readAt(handle->position, bytes);
    std::memcpy(buffer, got.constData(), size_t(got.size()));
    handle->position += got.size();
    return int(got.size());
}

int MspackAccess::write(mspack_file *file, void *buffer, int bytes)
{
    auto *handle = reinterpret_cast<Handle *>(file);
    QByteArray *output = handle->owner->m_output;
    if (handle->input || !output || bytes < 0)
        return -1;
    // What fits is kept: a reader that wants only the start of an object stops the library here.
    const qint64 taken = std::min<qint64>(bytes, handle->owner->m_outputLimit - output->size());
    output->append(static_cast<const char *>(buffer), qsizetype(taken));
    return taken == bytes ? bytes : -1;
}

int MspackAccess::seek(mspack_file *file, off_t offset, int mode)
{
    auto *handle = reinterpret_cast<Handle *>(file);
    if (!handle->input)
        return -1;
    qint64 from = 0;
    if (mode == MSPACK_SYS_SEEK_CUR)
        from = handle->position;
    else if (mode == MSPACK_SYS_SEEK_END)
        from = handle->owner->m_size;
    else if (mode != MSPACK_SYS_SEEK_START)
        return -1;
    qint64 to = 0;
    if (qAddOverflow(from, qint64(offset), &to) || to < 0 || to > handle->owner->m_size)
        return -1;
    handle->position = to;
    return 0;
}

off_t MspackAccess::tell(mspack_file *file)
{
    return off_t(reinterpret_cast<Handle *>(file)->position);
}

// The library's warnings about a damaged file change nothing here: what it reads is checked anyway.
void MspackAccess::message(mspack_file *, const char *, ...) {}

void *MspackAccess::alloc(mspack_system *, size_t bytes)
{
    MspackAccess *owner = s_calling;
    if (!owner)
        return nullptr;
    if (bytes > size_t(owner->m_budget - owner->m_allocated)) {
        owner->m_budgetSpent = true;
        return nullptr;
    }
    auto *head = static_cast<AllocationHead *>(std::malloc(sizeof(AllocationHead) + bytes));
    if (!head)
        return nullptr;
    *head = {owner, bytes};
    owner->m_allocated += qint64(bytes);
    return head + 1;
}

void MspackAccess::free(void *memory)
{
    if (!memory)
        return;
    AllocationHead *head = static_cast<AllocationHead *>(memory) - 1;
    static_cast<MspackAccess *>(head->owner)->m_allocated -= qint64(head->size);
    std::free(head);
}

void MspackAccess::copy(void *source, void *destination, size_t bytes)
{
    std::memmove(destination, source, bytes);
}
