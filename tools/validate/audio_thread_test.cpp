// The audio thread may neither allocate nor wait on a lock: not a mutex of its own, not a
// lock inside the C library (rand's generator, stdio streams, time zones, locales), not any
// wait the kernel sees as a futex.
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <new>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

#include "audio_thread_monitor.h"
#include "isolated_check.h"
#include "stream.h"
#include "validator_tests.h"

namespace vorlen::validate {
namespace {

std::string describe(const AudioThreadCounts& counts, bool futexWatched) {
    std::string text = std::to_string(counts.allocations) + " allocations, " +
                       std::to_string(counts.releases) + " releases, " +
                       std::to_string(counts.locks) + " locks, " +
                       std::to_string(counts.libraryLocks) + " locking library calls";
    if (counts.firstLibraryCall != nullptr) {
        text += std::string(" (first: ") + counts.firstLibraryCall + ")";
    }
    text += futexWatched ? ", " + std::to_string(counts.futexes) + " futex calls"
                         : ", futex calls not observable here";
    return text;
}

/// A thread that runs one job at a time for another. The hand-over goes through pipes,
/// whose blocking reads are not futex waits, so that the thread makes no futex call of its
/// own and still sleeps rather than spins while it waits (which, on a loaded machine, would
/// slow every hand-over to the scheduler's time slice).
class AudioThread {
public:
    AudioThread() {
        if (pipe(toAudio_) != 0 || pipe(fromAudio_) != 0) {
            return;
        }
        thread_ = std::thread([this] {
            futexWatched_ = watchFutexOnThisThread();
            signal(fromAudio_[1]);
            while (wait(toAudio_[0]) && !quit_) {
                job_();
                signal(fromAudio_[1]);
            }
        });
        working_ = wait(fromAudio_[0]);
    }
    ~AudioThread() {
        if (thread_.joinable()) {
            quit_ = true;
            signal(toAudio_[1]);
            thread_.join();
        }
        for (const int end : {toAudio_[0], toAudio_[1], fromAudio_[0], fromAudio_[1]}) {
            if (end >= 0) {
                close(end);
            }
        }
    }
    AudioThread(const AudioThread&) = delete;
    AudioThread& operator=(const AudioThread&) = delete;

    /// Whether the thread runs and takes jobs.
    bool working() const noexcept { return working_; }
    /// Runs `job` on the thread and waits for it.
    template <typename Job>
    void run(Job&& job) {
        job_ = std::forward<Job>(job);
        signal(toAudio_[1]);
        working_ = working_ && wait(fromAudio_[0]);
    }
    /// Whether its futex calls are trapped and counted.
    bool futexWatched() const noexcept { return futexWatched_; }

private:
    static void signal(int end) noexcept {
        const char byte = 1;
        while (write(end, &byte, 1) < 0 && errno == EINTR) {
        }
    }
    static bool wait(int end) noexcept {
        char byte = 0;
        ssize_t got = 0;
        while ((got = read(end, &byte, 1)) < 0 && errno == EINTR) {
        }
        return got == 1;
    }

    int toAudio_[2] = {-1, -1};
    int fromAudio_[2] = {-1, -1};
    std::function<void()> job_;
    bool quit_ = false;
    bool futexWatched_ = false;
    bool working_ = false;
    std::thread thread_;
};

// A monitor that sees nothing would pass every plug-in: prove that it sees each kind.
std::string monitorBlindSpot(AudioThread& audio) {
    resetAudioThreadCounts();
    audio.run([] {
        beginAudioCall();
        void* volatile block = std::malloc(24);
        std::free(block);
        void* volatile object = ::operator new(40);
        ::operator delete(object);
        std::mutex mutex;
        mutex.lock();
        mutex.unlock();
        (void)std::rand();
        endAudioCall();
    });
    AudioThreadCounts seen = audioThreadCounts();
    if (seen.allocations < 2 || seen.releases < 2 || seen.locks < 1 || seen.libraryLocks < 1) {
        return "this build cannot observe the allocator, locks or the C library: " +
               describe(seen, false);
    }
    if (audio.futexWatched()) {
        resetAudioThreadCounts();
        audio.run([] {
            int word = 0;
            beginAudioCall();
            // Raw, as the C library's internal locks make it.
            syscall(SYS_futex, &word, 1 /* FUTEX_WAKE */, 1, nullptr, nullptr, 0);
            endAudioCall();
        });
        seen = audioThreadCounts();
        if (seen.futexes < 1) {
            return "the futex trap is installed but counts nothing";
        }
    }
    resetAudioThreadCounts();
    return "";
}

} // namespace

Outcome testAudioThread(const tools::PluginLibrary& library) {
    if (!installAllocationMonitor()) {
        return failure("this build cannot observe the allocator");
    }
    AudioThread audio;
    if (!audio.working()) {
        return failure("cannot start the processing thread");
    }
    if (const std::string blind = monitorBlindSpot(audio); !blind.empty()) {
        return failure(blind);
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
            noteStep("processReplacing of %d samples on the watched thread", block);
            audio.run([&] {
                beginAudioCall();
                instance.processReplacing(buffers.inputs(), buffers.outputs(), block);
                endAudioCall();
            });
            ++calls;
        }
    }
    const AudioThreadCounts counts = audioThreadCounts();
    resetAudioThreadCounts();
    const std::string detail = describe(counts, audio.futexWatched()) + " in " +
                               std::to_string(calls) + " processReplacing calls";
    if (counts.allocations != 0 || counts.releases != 0 || counts.locks != 0 ||
        counts.libraryLocks != 0 || counts.futexes != 0) {
        return failure(detail);
    }
    return {true, detail};
}

} // namespace vorlen::validate
