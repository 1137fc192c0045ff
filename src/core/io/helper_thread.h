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
    // Starts `work`. When the system will not give another thread, the work is done by the thread that
    // joins, in Join() or the destructor: it is done either way, only not beside the starter. An
    // exception that escapes `work` ends the program, as it would from a std::thread.
    explicit HelperThread(std::function<void()> work);
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;
    ~HelperThread(); // waits for the work

    // Waits for the work (or does it, when no thread was had); a later call does nothing.
    void Join();

private:
    static void* Run(void* self) noexcept;

    std::function<void()> m_work;
    pthread_t m_thread{};
    bool m_started = false; // on a thread of its own
    bool m_done = false;
};

// For tests: while set, no helper gets a thread, as when the system has none to give.
void RefuseHelperThreadsForTesting(bool refuse);

} // namespace varlen::io
