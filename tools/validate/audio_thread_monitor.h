// Counts heap and lock calls that a thread makes while it is inside a plug-in's
// processing call, by interposing the allocator and pthread_mutex_lock in this process.
#pragma once

#include <cstdint>

namespace vorlen::validate {

/// Calls seen on audio-marked threads since the last reset.
struct AudioThreadCounts {
    std::uint64_t allocations = 0; ///< malloc, calloc, realloc, aligned forms, operator new
    std::uint64_t releases = 0;    ///< free and operator delete of non-null pointers
    std::uint64_t locks = 0;       ///< pthread_mutex_lock and pthread_mutex_trylock
};

/// Marks the calling thread as inside processReplacing until endAudioCall.
void beginAudioCall() noexcept;
/// Ends the mark of beginAudioCall on the calling thread.
void endAudioCall() noexcept;
/// What the marked threads have called since the last reset.
AudioThreadCounts audioThreadCounts() noexcept;
/// Starts counting afresh.
void resetAudioThreadCounts() noexcept;
/// Installs the sanitizer allocator hooks where a sanitizer owns malloc; idempotent.
/// Returns false when the allocator cannot be observed in this build.
bool installAllocationMonitor() noexcept;

} // namespace vorlen::validate
