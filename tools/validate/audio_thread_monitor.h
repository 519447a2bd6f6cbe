// Counts heap and lock calls that a thread makes while it is inside a plug-in's
// processing call: by interposing the allocator, pthread_mutex_lock and the C-library
// functions that serialise on a process-wide lock in this process, and by trapping the
// futex system calls of the processing thread.
#pragma once

#include <cstdint>

namespace vorlen::validate {

/// Calls seen on audio-marked threads since the last reset.
struct AudioThreadCounts {
    std::uint64_t allocations = 0; ///< malloc, calloc, realloc, aligned forms, operator new
    std::uint64_t releases = 0;    ///< free and operator delete of non-null pointers
    std::uint64_t locks = 0;       ///< pthread_mutex_lock and pthread_mutex_trylock
    /// C-library calls that take a lock shared by the whole process: rand and random, stdio,
    /// time zone and locale functions.
    std::uint64_t libraryLocks = 0;
    /// futex system calls, which every blocking wait ends in; counted on a thread that
    /// watchFutexOnThisThread has set up.
    std::uint64_t futexes = 0;
    /// The name of the first library call counted in libraryLocks, or null.
    const char* firstLibraryCall = nullptr;
};

/// Marks the calling thread as inside processReplacing until endAudioCall.
void beginAudioCall() noexcept;
/// Ends the mark of beginAudioCall on the calling thread.
void endAudioCall() noexcept;
/// What the marked threads have called since the last reset.
AudioThreadCounts audioThreadCounts() noexcept;
/// Starts counting afresh.
void resetAudioThreadCounts() noexcept;
/// Traps every futex system call of the calling thread for the rest of its life, counting
/// those made inside beginAudioCall..endAudioCall, then making them. The filter cannot be
/// removed: use a thread of its own and discard it afterwards. Returns false where this
/// cannot be done (no seccomp, a processor this does not know, ThreadSanitizer).
bool watchFutexOnThisThread() noexcept;
/// Installs the sanitizer allocator hooks where a sanitizer owns malloc; idempotent.
/// Returns false when the allocator cannot be observed in this build.
bool installAllocationMonitor() noexcept;

namespace detail {
/// Counts one call of `name` if the calling thread is inside an audio call.
void noteLibraryLock(const char* name) noexcept;
/// Counts one futex call if the calling thread is inside an audio call; signal-safe.
void noteFutex() noexcept;
} // namespace detail

} // namespace vorlen::validate
