#include "io/helper_thread.h"

#include <sched.h>
#include <system_error>

namespace varlen::io {

HelperThread::HelperThread(std::function<void()> work) : m_work(std::move(work)) {
    pthread_attr_t attributes;
    if (const int error = pthread_attr_init(&attributes); error != 0)
        throw std::system_error(error, std::generic_category(), "cannot start a thread");
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
    if (error != 0) throw std::system_error(error, std::generic_category(), "cannot start a thread");
    m_joinable = true;
}

HelperThread::~HelperThread() {
    Join();
}

void HelperThread::Join() {
    if (!m_joinable) return;
    pthread_join(m_thread, nullptr);
    m_joinable = false;
}

void* HelperThread::Run(void* self) noexcept {
    static_cast<HelperThread*>(self)->m_work();
    return nullptr;
}

} // namespace varlen::io
