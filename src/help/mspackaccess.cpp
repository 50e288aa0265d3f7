#include "help/mspackaccess.h"

#include <QFile>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char inputFileName[] = "help file";
const char outputFileName[] = "memory";

// Each allocation carries its owner and size in front, for free(), which gets no owner.
struct alignas(16) AllocationHead
{
    void *owner;
    size_t size;
};

thread_local MspackAccess *t_calling = nullptr;

} // namespace

MspackAccess::Call::Call(MspackAccess &access) : m_previous(t_calling)
{
    t_calling = &access;
}

MspackAccess::Call::~Call()
{
    t_calling = m_previous;
}

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
    // Not blocking, so that a pipe put where the help file should be does not hold the window.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return;
    struct stat info{};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_size = info.st_size;
}

MspackAccess::~MspackAccess()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

const char *MspackAccess::inputName()
{
    return inputFileName;
}

const char *MspackAccess::outputName()
{
    return outputFileName;
}

QByteArray MspackAccess::readAt(qint64 position, qint64 size) const
{
    if (m_fd < 0 || position < 0 || size <= 0 || position >= m_size)
        return {};
    QByteArray bytes(qsizetype(std::min(size, m_size - position)), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(m_fd, bytes.data() + done, size_t(bytes.size() - done), off_t(position + done));
        if (got <= 0)
            break;
        done += got;
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
    bool input = false;
    if (mode == MSPACK_SYS_OPEN_READ && std::strcmp(name, inputFileName) == 0 && owner->m_fd >= 0) {
        // The library opens the file again only to search the directory on disk, which it would do
        // for a part missing from the listing it read at the start; the listing is all we trust.
        if (owner->m_outputOpen)
            return nullptr;
        input = true;
    } else if (!(mode == MSPACK_SYS_OPEN_WRITE && std::strcmp(name, outputFileName) == 0 && owner->m_output)) {
        return nullptr;
    }
    if (!input)
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
    if (handle->input || !output || bytes < 0 || output->size() + qint64(bytes) > handle->owner->m_outputLimit)
        return -1;
    output->append(static_cast<const char *>(buffer), bytes);
    return bytes;
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
    MspackAccess *owner = t_calling;
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
