#include "audio_thread_monitor.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <dlfcn.h>
#include <new>
#include <pthread.h>

// A sanitizer runtime already replaces malloc and operator new; defining them here as well
// would take its bookkeeping away. There we observe the allocator through the hooks the
// runtime offers; elsewhere we replace the allocator entry points ourselves and forward
// them to the C library's own allocator.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VORLEN_SANITIZER_OWNS_MALLOC 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VORLEN_SANITIZER_OWNS_MALLOC 1
#endif
#endif

namespace vorlen::validate {
namespace {

// Static TLS of the executable: reading it never allocates, so the allocator may test it.
__attribute__((tls_model("initial-exec"))) thread_local bool insideAudioCall = false;

std::atomic<std::uint64_t> allocationCount{0};
std::atomic<std::uint64_t> releaseCount{0};
std::atomic<std::uint64_t> lockCount{0};
std::atomic<std::uint64_t> libraryLockCount{0};
std::atomic<std::uint64_t> futexCount{0};
std::atomic<const char*> firstLibraryCall{nullptr};

void noteAllocation() noexcept {
    if (insideAudioCall) {
        allocationCount.fetch_add(1, std::memory_order_relaxed);
    }
}

void noteRelease(const volatile void* pointer) noexcept {
    if (insideAudioCall && pointer != nullptr) {
        releaseCount.fetch_add(1, std::memory_order_relaxed);
    }
}

void noteLock() noexcept {
    if (insideAudioCall) {
        lockCount.fetch_add(1, std::memory_order_relaxed);
    }
}

} // namespace

void detail::noteLibraryLock(const char* name) noexcept {
    if (insideAudioCall) {
        libraryLockCount.fetch_add(1, std::memory_order_relaxed);
        const char* none = nullptr;
        firstLibraryCall.compare_exchange_strong(none, name);
    }
}

void detail::noteFutex() noexcept {
    if (insideAudioCall) {
        futexCount.fetch_add(1, std::memory_order_relaxed);
    }
}

void beginAudioCall() noexcept {
    insideAudioCall = true;
}

void endAudioCall() noexcept {
    insideAudioCall = false;
}

AudioThreadCounts audioThreadCounts() noexcept {
    return {allocationCount.load(),  releaseCount.load(), lockCount.load(),
            libraryLockCount.load(), futexCount.load(),   firstLibraryCall.load()};
}

void resetAudioThreadCounts() noexcept {
    allocationCount = 0;
    releaseCount = 0;
    lockCount = 0;
    libraryLockCount = 0;
    futexCount = 0;
    firstLibraryCall = nullptr;
}

} // namespace vorlen::validate

using vorlen::validate::noteAllocation;
using vorlen::validate::noteLock;
using vorlen::validate::noteRelease;

#ifdef VORLEN_SANITIZER_OWNS_MALLOC

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*,
                                                                            std::size_t),
                                                         void (*freeHook)(const volatile void*));

namespace {
void sanitizerMallocHook(const volatile void*, std::size_t) {
    noteAllocation();
}
void sanitizerFreeHook(const volatile void* pointer) {
    noteRelease(pointer);
}
} // namespace

bool vorlen::validate::installAllocationMonitor() noexcept {
    static const bool installed =
        __sanitizer_install_malloc_and_free_hooks(&sanitizerMallocHook, &sanitizerFreeHook) != 0;
    return installed;
}

#else

bool vorlen::validate::installAllocationMonitor() noexcept {
    return true;
}

// The C library's allocator under its internal names, which it exports for replacements
// like this one.
extern "C" {
void* __libc_malloc(std::size_t size);
void __libc_free(void* pointer);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void* __libc_valloc(std::size_t size);
void* __libc_pvalloc(std::size_t size);

__attribute__((visibility("default"))) void* malloc(std::size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}
__attribute__((visibility("default"))) void free(void* pointer) {
    noteRelease(pointer);
    __libc_free(pointer);
}
__attribute__((visibility("default"))) void* calloc(std::size_t count, std::size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}
__attribute__((visibility("default"))) void* realloc(void* pointer, std::size_t size) {
    noteAllocation();
    return __libc_realloc(pointer, size);
}
__attribute__((visibility("default"))) void* memalign(std::size_t alignment, std::size_t size) {
    noteAllocation();
    return __libc_memalign(alignment, size);
}
__attribute__((visibility("default"))) void* aligned_alloc(std::size_t alignment,
                                                           std::size_t size) {
    noteAllocation();
    return __libc_memalign(alignment, size);
}
__attribute__((visibility("default"))) int posix_memalign(void** out, std::size_t alignment,
                                                          std::size_t size) {
    noteAllocation();
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) {
        return 22; // EINVAL
    }
    void* pointer = __libc_memalign(alignment, size);
    if (pointer == nullptr) {
        return 12; // ENOMEM
    }
    *out = pointer;
    return 0;
}
__attribute__((visibility("default"))) void* valloc(std::size_t size) {
    noteAllocation();
    return __libc_valloc(size);
}
__attribute__((visibility("default"))) void* pvalloc(std::size_t size) {
    noteAllocation();
    return __libc_pvalloc(size);
}
} // extern "C"

namespace {
void* allocateOrThrow(std::size_t size, std::size_t alignment) {
    noteAllocation();
    void* pointer = alignment <= alignof(std::max_align_t) ? __libc_malloc(size == 0 ? 1 : size)
                                                           : __libc_memalign(alignment, size);
    if (pointer == nullptr) {
        throw std::bad_alloc();
    }
    return pointer;
}
void* allocateOrNull(std::size_t size, std::size_t alignment) noexcept {
    noteAllocation();
    return alignment <= alignof(std::max_align_t) ? __libc_malloc(size == 0 ? 1 : size)
                                                  : __libc_memalign(alignment, size);
}
void release(void* pointer) noexcept {
    noteRelease(pointer);
    __libc_free(pointer);
}
constexpr std::size_t kPlain = alignof(std::max_align_t);
} // namespace

void* operator new(std::size_t size) {
    return allocateOrThrow(size, kPlain);
}
void* operator new[](std::size_t size) {
    return allocateOrThrow(size, kPlain);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocateOrNull(size, kPlain);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocateOrNull(size, kPlain);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocateOrNull(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocateOrNull(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* pointer) noexcept {
    release(pointer);
}
void operator delete[](void* pointer) noexcept {
    release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    release(pointer);
}
void operator delete(void* pointer, std::align_val_t) noexcept {
    release(pointer);
}
void operator delete[](void* pointer, std::align_val_t) noexcept {
    release(pointer);
}
void operator delete(void* pointer, std::size_t, std::align_val_t) noexcept {
    release(pointer);
}
void operator delete[](void* pointer, std::size_t, std::align_val_t) noexcept {
    release(pointer);
}
void operator delete(void* pointer, const std::nothrow_t&) noexcept {
    release(pointer);
}
void operator delete[](void* pointer, const std::nothrow_t&) noexcept {
    release(pointer);
}
void operator delete(void* pointer, std::align_val_t, const std::nothrow_t&) noexcept {
    release(pointer);
}
void operator delete[](void* pointer, std::align_val_t, const std::nothrow_t&) noexcept {
    release(pointer);
}

#endif // VORLEN_SANITIZER_OWNS_MALLOC

// Locks are observed the same way in every build: the next definition in load order (the
// C library's, or a sanitizer's interceptor) does the work.
namespace {
using MutexCall = int (*)(pthread_mutex_t*);

MutexCall resolveNext(const char* name) noexcept {
    return reinterpret_cast<MutexCall>(dlsym(RTLD_NEXT, name));
}

// Resolved before main so that no two threads race to look them up.
std::atomic<MutexCall> nextLock{nullptr};
std::atomic<MutexCall> nextTryLock{nullptr};
__attribute__((constructor)) void resolveLockCalls() {
    nextLock = resolveNext("pthread_mutex_lock");
    nextTryLock = resolveNext("pthread_mutex_trylock");
}
} // namespace

extern "C" __attribute__((visibility("default"))) int pthread_mutex_lock(pthread_mutex_t* mutex) {
    noteLock();
    MutexCall next = nextLock.load(std::memory_order_relaxed);
    if (next == nullptr) {
        next = resolveNext("pthread_mutex_lock");
        nextLock = next;
    }
    return next(mutex);
}

extern "C" __attribute__((visibility("default"))) int
pthread_mutex_trylock(pthread_mutex_t* mutex) {
    noteLock();
    MutexCall next = nextTryLock.load(std::memory_order_relaxed);
    if (next == nullptr) {
        next = resolveNext("pthread_mutex_trylock");
        nextTryLock = next;
    }
    return next(mutex);
}
