// The audio thread may neither allocate nor wait on a lock. The C library's rand, which the
// effect's noise is specified to use, serialises on the library's internal lock rather than
// pthread_mutex_lock, so the monitor does not count it: that is the exemption hosts accept.
#include <cstdlib>
#include <mutex>
#include <new>

#include "audio_thread_monitor.h"
#include "stream.h"
#include "validator_tests.h"

namespace vorlen::validate {
namespace {

std::string describe(const AudioThreadCounts& counts) {
    return std::to_string(counts.allocations) + " allocations, " + std::to_string(counts.releases) +
           " releases, " + std::to_string(counts.locks) + " locks";
}

// A monitor that sees nothing would pass every plug-in: prove that it sees.
bool monitorSeesCalls() {
    resetAudioThreadCounts();
    beginAudioCall();
    void* volatile block = std::malloc(24);
    std::free(block);
    void* volatile object = ::operator new(40);
    ::operator delete(object);
    std::mutex mutex;
    mutex.lock();
    mutex.unlock();
    endAudioCall();
    const AudioThreadCounts seen = audioThreadCounts();
    resetAudioThreadCounts();
    return seen.allocations >= 2 && seen.releases >= 2 && seen.locks >= 1;
}

} // namespace

Outcome testAudioThread(const tools::PluginLibrary& library) {
    if (!installAllocationMonitor() || !monitorSeesCalls()) {
        return failure("this build cannot observe the allocator or locks");
    }
    std::string error;
    auto stream = Stream::open(library, 44100.0f, 4096, error);
    if (!stream) {
        return failure(error);
    }
    tools::PluginInstance& instance = stream->instance();
    ChannelBuffers& buffers = stream->buffers();
    const VstInt32 params = instance.effect()->numParams;
    WhiteNoise noise(5);
    std::uint64_t calls = 0;
    for (const int block : {1, 64, 1000, 4096}) {
        stream->changeBlockSize(block);
        for (std::uint64_t done = 0; done < 8192; done += static_cast<std::uint64_t>(block)) {
            // Parameter changes between blocks, so that a hop after a change is covered.
            if (done % 2048 < static_cast<std::uint64_t>(block)) {
                for (VstInt32 p = 0; p < params; ++p) {
                    instance.setParameter(p, noise.unit());
                }
            }
            buffers.fillInputs(noise, block);
            beginAudioCall();
            instance.processReplacing(buffers.inputs(), buffers.outputs(), block);
            endAudioCall();
            ++calls;
        }
    }
    const AudioThreadCounts counts = audioThreadCounts();
    resetAudioThreadCounts();
    if (counts.allocations != 0 || counts.releases != 0 || counts.locks != 0) {
        return failure(describe(counts) + " in " + std::to_string(calls) +
                       " processReplacing calls");
    }
    return {true, describe(counts) + " in " + std::to_string(calls) + " processReplacing calls"};
}

} // namespace vorlen::validate
