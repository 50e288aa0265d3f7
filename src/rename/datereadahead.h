#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class RefusalNotice;

namespace platform {
class Folder;
}

/** The capture-date reader as a batch calls it: ReadCaptureDate, or a test's stand-in. */
using DateReader =
    std::function<bool(const platform::Folder &folder, const std::string &name, std::string &stamp, RefusalNotice &notice)>;

/**
 * Reads the capture dates of a batch's files ahead of the batch while it moves the files
 * before them, on a few threads of its own; the batch takes the outcomes strictly in its own
 * order. The reader runs once per file, unchanged: the read-ahead only decides when.
 *
 * Each outcome comes out at its file's turn as the reader gave it: a stamp; a refusal, told
 * to the batch's notice only then (the reader closed the file before it reported); or a
 * failure, raised only then. The reading threads touch nothing but the folder's files and
 * their own outcomes: every box and every move stays on the batch's thread.
 *
 * At most `window` files are read ahead of the one the batch takes next, so never more than
 * that many files are open at once. Destroying the read-ahead (the batch's end, early or
 * not) stops the reading, waits for the readings under way and throws their outcomes away.
 *
 * A single thread reads while the files are quick to read. When the batch finds itself
 * waiting long for readings, as on a network share or a slow card, another thread joins, up
 * to four and never more than the window, so the round trips of several files overlap. When
 * the batch would take a file that no thread has started, it reads that file itself.
 */
class DateReadAhead
{
public:
    /** Enough for a reader that keeps ahead to be woken only every few dozen files. */
    static constexpr int DefaultWindow = 64;

    /** Starts reading at `names[first]`; `folder`, `names` and the reader outlive the read-ahead. */
    DateReadAhead(const platform::Folder &folder, const std::vector<std::string> &names, DateReader reader,
                  int window = DefaultWindow, int first = 0);
    ~DateReadAhead();

    DateReadAhead(const DateReadAhead &) = delete;
    DateReadAhead &operator=(const DateReadAhead &) = delete;

    /**
     * The outcome for `names[index]`, as the reader gives it: true with `stamp` set; false
     * after `notice` was told of the refusal; or the reader's failure, raised. Called once
     * for every index from `first` on, in order; waits while that file is being read.
     */
    bool take(int index, std::string &stamp, RefusalNotice &notice);

private:
    enum class SlotState { Free, Reading, Done };
    struct Outcome
    {
        bool stamped = false;
        std::string stamp;             // when stamped
        std::string refusal;           // the reader's message, when refused
        std::exception_ptr failure;    // when the reader raised
    };
    struct Slot
    {
        SlotState state = SlotState::Free;
        Outcome outcome;
    };

    Outcome read(int index) const noexcept;
    void work();
    bool mayClaim() const noexcept;
    void addReader();
    void noteWait(bool slow);
    Slot &slotOf(int index) { return m_slots[static_cast<std::size_t>(index % m_window)]; }

    const platform::Folder &m_folder;
    const std::vector<std::string> &m_names;
    const DateReader m_reader;
    const int m_window;
    const int m_count;

    std::mutex m_mutex;
    std::condition_variable m_workToDo;   // a reader waits here while the window is full
    std::condition_variable m_outcomeIn;  // the batch waits here for the file it takes
    std::vector<Slot> m_slots;            // file i's outcome lives in slot i % window
    int m_next;                           // the first file no one has started
    int m_taken;                          // the file the batch takes next
    int m_idleReaders = 0;
    int m_slowWaits = 0;                  // the batch's long waits for a reading, in a row
    bool m_batchWaiting = false;
    bool m_stopping = false;
    std::vector<std::thread> m_readers;
};
