#include "capture/headblock.h"

#include "platform/errors.h"
#include "platform/readonlyfile.h"

#include <algorithm>
#include <cstring>

namespace filedate_detail {

HeadBlock::HeadBlock(platform::ReadOnlyFile &file, std::size_t size) noexcept
    : m_file(file), m_size(std::min(size, Capacity))
{
}

std::size_t HeadBlock::readAt(std::int64_t position, void *buffer, std::size_t size)
{
    if (!m_fetched && m_size > 0 && position >= 0) {
        m_fetched = true;
        try {
            m_delivered = m_file.readAt(0, m_bytes, m_size);
        } catch (const EInOutError &) {
            // Nothing is held: the piece below meets the failure on its own, where and as
            // the reading always met it.
            m_delivered = 0;
        }
    }
    if (position >= 0 && static_cast<std::uint64_t>(position) + size <= m_delivered) {
        std::memcpy(buffer, m_bytes + position, size);
        return size;
    }
    return m_file.readAt(position, buffer, size);
}

} // namespace filedate_detail
