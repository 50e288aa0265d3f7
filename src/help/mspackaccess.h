#pragma once

#include "help/containercheck.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <utility>
#include <mspack.h>

namespace platform {
class Folder;
class ReadOnlyFile;
} // namespace platform

/**
 * The only way the container library reaches the outside. It reads one help file, through one descriptor
 * opened read-only at construction; it "writes" only into one memory buffer at a time; its allocations come
 * out of a fixed budget. Any other name it asks to open is refused, so nothing in the file can make it
 * open another file or write one.
 */
class MspackAccess
{
public:
    /** Opens `path` read-only; isOpen() tells whether it is a regular file that could be opened. */
    MspackAccess(const QString &path, qint64 allocationBudget);
    ~MspackAccess();
    MspackAccess(const MspackAccess &) = delete;
    MspackAccess &operator=(const MspackAccess &) = delete;

    bool isOpen() const { return m_file != nullptr; }
    qint64 fileSize() const { return m_size; }

    mspack_system *system() { return &m_hooks.system; }

    /** The names under which the library opens the help file for reading, and the memory buffer for writing. */
    static constexpr const char *inputName = "help file";
    static constexpr const char *outputName = "memory";

    /** The file's bytes from `position`, straight from the descriptor; fewer at its end. */
    QByteArray readAt(qint64 position, qint64 size) const;

    /** Makes the input read as holding the correction's bytes in their place (see containercheck). */
    void correct(const containercheck::Correction &correction) { m_corrections.append(correction); }

    /**
     * Where the next output goes: `buffer`, which takes up to `limit` bytes and refuses the write that
     * brings more, keeping what fits. While the output is open, the help file cannot be opened again.
     */
    void setOutput(QByteArray *buffer, qint64 limit);

    /**
     * Held around every call into the library: its allocations are charged to this file's budget. (The
     * library hands its allocator a copy of the hooks, so the allocator cannot find its owner through them.)
     */
    class Call
    {
    public:
        explicit Call(MspackAccess &access) : m_previous(std::exchange(s_calling, &access)) {}
        ~Call() { s_calling = m_previous; }
        Call(const Call &) = delete;
        Call &operator=(const Call &) = delete;

    private:
        MspackAccess *m_previous;
    };

    bool budgetSpent() const { return m_budgetSpent; }

private:
    struct Hooks
    {
        mspack_system system;
        MspackAccess *owner;
    };
    struct Handle;
    static inline thread_local MspackAccess *s_calling = nullptr;

    static mspack_file *open(mspack_system *self, const char *name, int mode);
    static void close(mspack_file *file);
    static int read(mspack_file *file, void *buffer, int bytes);
    static int write(mspack_file *file, void *buffer, int bytes);
    static int seek(mspack_file *file, off_t offset, int mode);
    static off_t tell(mspack_file *file);
    static void message(mspack_file *file, const char *format, ...);
    static void *alloc(mspack_system *self, size_t bytes);
    static void free(void *memory);
    static void copy(void *source, void *destination, size_t bytes);

    Hooks m_hooks;
    std::unique_ptr<platform::Folder> m_folder;
    std::unique_ptr<platform::ReadOnlyFile> m_file;
    qint64 m_size = 0;
    QList<containercheck::Correction> m_corrections;
    QByteArray *m_output = nullptr;
    qint64 m_outputLimit = 0;
    bool m_outputOpen = false;
    qint64 m_budget = 0;
    qint64 m_allocated = 0;
    bool m_budgetSpent = false;
};
