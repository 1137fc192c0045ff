#include "io/helper_thread.h"

#include <atomic>
#include <sched.h>

namespace varlen::io {
namespace {

std::atomic<bool> g_refused{false};

} // namespace

void RefuseHelperThreadsForTesting(bool refuse) {
    g_refused = refuse;
}

HelperThread::HelperThread(std::function<void()> work) : m_work(std::move(work)) {
    if (g_refused) return;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return;
    // Every core this process may use but the starter's, when there is another.
    cpu_set_t others;
    CPU_ZERO(&others);
    const int here = sched_getcpu();
    bool elsewhere = here >= 0 && here < CPU_SETSIZE && sched_getaffinity(0, sizeof others, &others) == 0 &&
                     CPU_ISSET(here, &others) && CPU_COUNT(&others) > 1;
    if (elsewhere) {
        CPU_CLR(here, &others);
        elsewhere = pthread_attr_setaffinity_np(&attributes, sizeof others, &others) == 0;
    }
    int error = pthread_create(&m_thread, &attributes, &HelperThread::Run, this);
    if (error != 0 && elsewhere) error = pthread_create(&m_thread, nullptr, &HelperThread::Run, this);
    pthread_attr_destroy(&attributes);
    m_started = error == 0;
}

HelperThread::~HelperThread() {
    Join();
}

void HelperThread::Join() {
    if (m_done) return;
    m_done = true;
    if (m_started)
        pthread_join(m_thread, nullptr);
    else
        m_work();
}

void* HelperThread::Run(void* self) noexcept {
    static_cast<HelperThread*>(self)->m_work();
    return nullptr;
}

} // namespace varlen::io
