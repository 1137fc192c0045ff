// A second thread for a piece of work that is to run beside the thread that starts it.
//
// It starts on another core than its starter's. Left to choose, the scheduler of this project's
// machine, a virtual one, keeps a new thread on its starter's core: queued behind it, or ahead of it,
// for up to 3 ms, so the two took turns instead of running side by side. A small truss's run lost
// 2.4 ms to it at each of its two threads; started on the other core, the thread ran within 0.1 ms.
#pragma once

#include <functional>
#include <pthread.h>

namespace varlen::io {

class HelperThread {
public:
    // Starts `work`. Throws std::system_error when no thread can be had, as std::thread does; an
    // exception that escapes `work` ends the program, as it would from a std::thread.
    explicit HelperThread(std::function<void()> work);
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;
    ~HelperThread(); // waits for the work

    // Waits for the work; a later call does nothing.
    void Join();

private:
    static void* Run(void* self) noexcept;

    std::function<void()> m_work;
    pthread_t m_thread{};
    bool m_joinable = false;
};

} // namespace varlen::io
