#pragma once

// A test that hangs must fail, and fail soon: a batch or a read-ahead that waits for ever cannot
// be unwound, so the watchdog ends the whole process with a message naming the test.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

class Watchdog
{
public:
    /** A batch over a few dozen files takes milliseconds, even under ThreadSanitizer. */
    static constexpr std::chrono::seconds DefaultLimit{5};

    explicit Watchdog(std::chrono::seconds limit = DefaultLimit) : m_thread([this, limit] { watch(limit); }) {}
    ~Watchdog()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_ended.notify_one();
        m_thread.join();
    }

    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    void watch(std::chrono::seconds limit)
    {
        std::unique_lock lock(m_mutex);
        if (m_ended.wait_for(lock, limit, [this] { return m_done; }))
            return;
        const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
        std::fprintf(stderr, "\n[  FAILED  ] %s.%s still runs after %lld s: it hangs\n",
                     test ? test->test_suite_name() : "?", test ? test->name() : "?",
                     static_cast<long long>(limit.count()));
        std::fflush(stderr);
        std::_Exit(EXIT_FAILURE);
    }

    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_done = false;
    std::thread m_thread; // last: it starts watching once the rest is made
};
