#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class Folder;

/**
 * A file opened for reading only, closed when the object goes away. Every read is
 * one operating-system read at an explicit position; nothing is buffered or mapped.
 * Failures raise EInOutError with the mapped code.
 */
class ReadOnlyFile
{
public:
    /**
     * Opens the existing entry `name` of a held folder by its descriptor; a failure raises
     * EInOutError at once, as opening the joined path would.
     */
    ReadOnlyFile(const Folder &folder, const std::string &name);
    ~ReadOnlyFile();

    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    /**
     * Reads up to `size` bytes at `position` and returns how many arrived: fewer, down
     * to 0, at or past the end of the file, which is no error. A position before the
     * start of the file is a positioning failure (EInOutError, "I/O error 22").
     */
    std::size_t readAt(std::int64_t position, void *buffer, std::size_t size);

    /** The file's size when it is a regular file; nothing for a pipe, a device or a folder. */
    std::optional<std::int64_t> regularFileSize() const;

    /** Closes the file now; a failing close raises EInOutError. Later closes do nothing. */
    void close();

    bool isOpen() const noexcept { return m_fd >= 0; }

private:
    void open(int at, const char *relative);
    [[noreturn]] void fail(int err) const;

    std::string m_name;
    const Folder &m_folder;
    int m_fd = -1;
};

} // namespace platform
