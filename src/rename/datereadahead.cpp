#include "rename/datereadahead.h"

#include "capture/filedate.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <utility>

namespace {

// A reading from the page cache takes microseconds. Waiting this long for two readings in a
// row means the volume makes every call wait, and more readings at once hide its round trips;
// one such wait alone may be no more than a thread that was not given a core for a moment.
constexpr auto SlowReading = std::chrono::milliseconds(1);
constexpr int SlowWaitsBeforeAnotherReader = 2;

// A reading costs about as many round trips as a move, so a few threads keep ahead of the batch.
// More gained nothing on a slow volume and only put more lookups in flight beside the batch's own
// check and move, which then wait longer.
constexpr int MaxReaders = 4;

// Keeps what the reader tells of a refusal until the file's turn comes.
class RecordedRefusal : public RefusalNotice
{
public:
    void refused(const std::string &message) override { this->message = message; }
    std::string message;
};

} // namespace

DateReadAhead::DateReadAhead(const platform::Folder &folder, const std::vector<std::string> &names,
                             DateReader reader, int window, int first)
    : m_folder(folder), m_names(names), m_reader(std::move(reader)), m_window(std::max(window, 1)),
      m_count(static_cast<int>(names.size())), m_slots(static_cast<std::size_t>(m_window)), m_next(first),
      m_taken(first)
{
    // The batch reads its first file itself, so a single file costs no thread.
    if (m_count - first > 1) {
        const std::lock_guard lock(m_mutex);
        addReader();
    }
}

DateReadAhead::~DateReadAhead()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_workToDo.notify_all();
    for (std::thread &reader : m_readers)
        reader.join();
}

// Called with the mutex held. A thread that cannot be had leaves the work to the others, or
// to the batch itself, which reads every file no thread has started.
void DateReadAhead::addReader()
{
    if (static_cast<int>(m_readers.size()) >= std::min(m_window, MaxReaders))
        return;
    try {
        m_readers.emplace_back([this] { work(); });
    } catch (const std::system_error &) {
    }
}

// Called with the mutex held, whenever the batch had to wait for a file's reading.
void DateReadAhead::noteWait(bool slow)
{
    if (!slow) {
        m_slowWaits = 0;
    } else if (++m_slowWaits >= SlowWaitsBeforeAnotherReader) {
        addReader();
        m_slowWaits = 0;
    }
}

DateReadAhead::Outcome DateReadAhead::read(int index) const noexcept
{
    Outcome outcome;
    try {
        RecordedRefusal notice;
        outcome.stamped = m_reader(m_folder, m_names[static_cast<std::size_t>(index)], outcome.stamp, notice);
        if (!outcome.stamped)
            outcome.refusal = std::move(notice.message);
    } catch (...) {
        outcome.failure = std::current_exception();
    }
    return outcome;
}

bool DateReadAhead::mayClaim() const noexcept
{
    return m_next < m_count && m_next < m_taken + m_window;
}

void DateReadAhead::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_stopping)
            return;
        if (!mayClaim()) {
            ++m_idleReaders;
            m_workToDo.wait(lock);
            --m_idleReaders;
            continue;
        }
        const int index = m_next++;
        slotOf(index).state = SlotState::Reading;
        lock.unlock();
        Outcome outcome = read(index);
        lock.lock();
        Slot &slot = slotOf(index);
        slot.outcome = std::move(outcome);
        slot.state = SlotState::Done;
        if (m_batchWaiting && index == m_taken)
            m_outcomeIn.notify_one();
    }
}

bool DateReadAhead::take(int index, std::string &stamp, RefusalNotice &notice)
{
    Outcome outcome;
    {
        std::unique_lock lock(m_mutex);
        if (index >= m_next) {
            // No thread has started it: reading it here costs less than waiting for one. When
            // that takes long, the threads are behind a slow volume as much as when waiting.
            m_next = index + 1;
            lock.unlock();
            const auto start = std::chrono::steady_clock::now();
            outcome = read(index);
            const bool slow = std::chrono::steady_clock::now() - start > SlowReading;
            lock.lock();
            noteWait(slow);
        } else {
            Slot &slot = slotOf(index);
            m_batchWaiting = true;
            if (slot.state != SlotState::Done) {
                const bool slow = !m_outcomeIn.wait_for(lock, SlowReading, [&] { return slot.state == SlotState::Done; });
                noteWait(slow);
                m_outcomeIn.wait(lock, [&] { return slot.state == SlotState::Done; });
            }
            m_batchWaiting = false;
            outcome = std::move(slot.outcome);
            slot = Slot();
        }
        m_taken = index + 1;
        // Readers wake in groups, half a window at a time, so that a reader that keeps ahead of
        // the batch is not woken for every file.
        if (m_idleReaders > 0 && mayClaim() && (m_next - m_taken) * 2 <= m_window)
            m_workToDo.notify_all();
    }

    if (outcome.failure)
        std::rethrow_exception(outcome.failure);
    if (!outcome.stamped) {
        notice.refused(outcome.refusal);
        return false;
    }
    stamp = std::move(outcome.stamp);
    return true;
}
