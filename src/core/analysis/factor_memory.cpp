#include "analysis/factor_memory.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <vector>

#include <sys/mman.h>

#include <SuiteSparse_config.h>

#include "analysis/solver_library.h"
#include "io/helper_thread.h"

namespace varlen::analysis {
namespace {

constexpr std::size_t kPage = 4096;
// Below this one thread faults a block in sooner than a second one is worth starting.
constexpr std::size_t kTwoCoreFault = std::size_t{64} << 20;

struct Mapping {
    void* start = nullptr;
    std::size_t length = 0;
};

struct Allocator {
    std::mutex mutex;
    int scopes = 0;
    bool installed = false;
    SuiteSparse_config_struct previous{};
    std::vector<Mapping> mappings; // a handful at most: the factor and CHOLMOD's largest workspaces
    std::size_t mappedBytes = 0;
};

// Never destroyed: CHOLMOD may free a block while the program's statics are being torn down.
Allocator& TheAllocator() {
    static auto* allocator = new Allocator;
    return *allocator;
}

void FaultIn(char* start, std::size_t length) {
    auto populate = [](char* from, std::size_t bytes) noexcept {
        if (::madvise(from, bytes, MADV_POPULATE_WRITE) == 0) return;
        // Kernels before 5.14 do not know the advice.
        for (std::size_t at = 0; at < bytes; at += kPage)
            static_cast<volatile char*>(from)[at] = 0;
    };
    if (length >= kTwoCoreFault) {
        const std::size_t half = length / 2 / kPage * kPage;
        io::HelperThread other([&] { populate(start + half, length - half); });
        populate(start, half);
        other.Join();
        return;
    }
    populate(start, length);
}

// In small pages. Fresh memory faulted in as transparent huge pages took five times as long on this
// project's machine, a virtual one (2.2 s against 0.45 s for 2 GiB on two cores), and the factorisation
// of a million-joint lattice ran 1.5 to 2.5 s faster in all, though its TLB covers less.
void* MapLarge(std::size_t bytes) {
    if (bytes > std::numeric_limits<std::size_t>::max() - kPage) return nullptr;
    const std::size_t length = (bytes + kPage - 1) / kPage * kPage;
    void* mapped = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    char* start = static_cast<char*>(mapped);
    ::madvise(start, length, MADV_NOHUGEPAGE); // where the system gives huge pages unasked
    Allocator& allocator = TheAllocator();
    try {
        const std::lock_guard lock(allocator.mutex);
        allocator.mappings.push_back({start, length});
        allocator.mappedBytes += length;
    } catch (const std::bad_alloc&) {
        ::munmap(start, length);
        return nullptr;
    }
    FaultIn(start, length);
    return start;
}

void RestoreIfDone(Allocator& allocator) {
    if (!allocator.installed || allocator.scopes > 0 || !allocator.mappings.empty()) return;
    SuiteSparseConfig() = allocator.previous;
    allocator.installed = false;
}

// The length of the mapping starting at `p`, taken out of the list, or 0 when `p` is not one.
std::size_t TakeMapping(void* p) {
    Allocator& allocator = TheAllocator();
    const std::lock_guard lock(allocator.mutex);
    const auto found = std::find_if(allocator.mappings.begin(), allocator.mappings.end(),
                                    [p](const Mapping& m) { return m.start == p; });
    if (found == allocator.mappings.end()) return 0;
    const std::size_t length = found->length;
    allocator.mappings.erase(found);
    allocator.mappedBytes -= length;
    RestoreIfDone(allocator);
    return length;
}

std::size_t MappedLength(void* p) {
    Allocator& allocator = TheAllocator();
    const std::lock_guard lock(allocator.mutex);
    for (const Mapping& m : allocator.mappings)
        if (m.start == p) return m.length;
    return 0;
}

// The previous hooks cannot change while these are installed: they are read without the lock.
void* FactorMalloc(std::size_t bytes) {
    return bytes >= kFactorLargeBlock ? MapLarge(bytes) : TheAllocator().previous.malloc_func(bytes);
}

void* FactorCalloc(std::size_t count, std::size_t size) {
    if (size != 0 && count > std::numeric_limits<std::size_t>::max() / size) return nullptr;
    // Fresh mappings are zero already.
    return count * size >= kFactorLargeBlock ? MapLarge(count * size)
                                             : TheAllocator().previous.calloc_func(count, size);
}

void FactorFree(void* p) {
    if (!p) return;
    if (const std::size_t length = TakeMapping(p)) {
        ::munmap(p, length);
        return;
    }
    TheAllocator().previous.free_func(p);
}

void* FactorRealloc(void* p, std::size_t bytes) {
    const std::size_t mapped = p ? MappedLength(p) : 0;
    if (mapped == 0) return TheAllocator().previous.realloc_func(p, bytes);
    void* moved = FactorMalloc(bytes);
    if (!moved) return nullptr; // the old block stays, as realloc leaves it
    std::memcpy(moved, p, std::min(bytes, mapped));
    FactorFree(p);
    return moved;
}

// CHOLMOD brings its own OpenMP runtime when it was built with one; it is looked up among the libraries
// CHOLMOD brought rather than linked, so the core depends on no OpenMP of its own and works with a
// CHOLMOD without.
struct OpenMpLevels {
    void (*set)(int) = nullptr;
    int (*get)() = nullptr;
};

const OpenMpLevels& OpenMp() {
    static const OpenMpLevels levels = [] {
        OpenMpLevels found;
        found.set = reinterpret_cast<void (*)(int)>(SolverSymbol("omp_set_max_active_levels"));
        found.get = reinterpret_cast<int (*)()>(SolverSymbol("omp_get_max_active_levels"));
        return found.set && found.get ? found : OpenMpLevels{};
    }();
    return levels;
}

} // namespace

FactorScope::FactorScope() {
    if (const OpenMpLevels& openMp = OpenMp(); openMp.set) {
        m_openMpLevels = openMp.get();
        openMp.set(0);
    }
    Allocator& allocator = TheAllocator();
    const std::lock_guard lock(allocator.mutex);
    ++allocator.scopes;
    if (allocator.installed) return;
    SuiteSparse_config_struct& config = SuiteSparseConfig();
    allocator.previous = config;
    config.malloc_func = FactorMalloc;
    config.calloc_func = FactorCalloc;
    config.realloc_func = FactorRealloc;
    config.free_func = FactorFree;
    allocator.installed = true;
}

FactorScope::~FactorScope() {
    if (m_openMpLevels >= 0) OpenMp().set(m_openMpLevels);
    Allocator& allocator = TheAllocator();
    const std::lock_guard lock(allocator.mutex);
    --allocator.scopes;
    RestoreIfDone(allocator);
}

std::size_t FactorMemoryMapped() {
    Allocator& allocator = TheAllocator();
    const std::lock_guard lock(allocator.mutex);
    return allocator.mappedBytes;
}

bool FactorMemoryHooksInstalled() {
    Allocator& allocator = TheAllocator();
    const std::lock_guard lock(allocator.mutex);
    return allocator.installed;
}

} // namespace varlen::analysis
