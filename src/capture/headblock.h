#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {
class ReadOnlyFile;
}

namespace filedate_detail {

/**
 * The reads of one reading. The first read fetches one block from the start of the file;
 * a piece that lies wholly inside the bytes that block delivered is then copied from
 * memory, and any other piece (past the block, before the start of the file, or reaching
 * past the end of a file shorter than the block) is read from the file on its own, so it
 * delivers and fails exactly as a read of its own always did. A block of size 0 reads every
 * piece on its own.
 */
class HeadBlock
{
public:
    /**
     * One page: it holds the directories and the date text of the usual camera, which sit
     * within the first kilobyte or two of the APP1 segment, and one read of it costs less
     * than the four small reads it replaces. A 64 KiB block would hold a whole APP1 segment,
     * but copying it costs four to five times the small reads (measured on tmpfs and ext4).
     */
    static constexpr std::size_t Capacity = 4096;

    /** size is at most Capacity. */
    HeadBlock(platform::ReadOnlyFile &file, std::size_t size) noexcept;

    HeadBlock(const HeadBlock &) = delete;
    HeadBlock &operator=(const HeadBlock &) = delete;

    /** As ReadOnlyFile::readAt: up to `size` bytes at `position`, and how many arrived. */
    std::size_t readAt(std::int64_t position, void *buffer, std::size_t size);

private:
    platform::ReadOnlyFile &m_file;
    std::size_t m_size;
    std::size_t m_delivered = 0;
    bool m_fetched = false;
    unsigned char m_bytes[Capacity];
};

} // namespace filedate_detail
