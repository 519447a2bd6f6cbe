// A small stereo gain plug-in that can carry one deliberate fault, chosen by the environment
// variable VORLEN_FAULT, for proving that the validator catches what it claims to catch.
// Without a fault it passes every test, which shows that the validator assumes nothing
// peculiar to Vorlen. One library serves every fault so that the build compiles it once.
#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string_view>
#include <thread>
#include <vector>

#include "audioeffectx.h"

namespace {

/// The faults the plug-in can carry.
enum class Fault {
    none,
    allocates,           ///< heap allocation inside processReplacing
    locks,               ///< a mutex inside processReplacing
    usesRand,            ///< the C library's rand, which takes a process-wide lock
    wakesAThread,        ///< signals a worker through a condition variable: a futex call
    staleAfterResume,    ///< an echo whose memory survives suspend and resume
    crashes,             ///< a segmentation fault for one opcode and index no host sends
    hangs,               ///< spins for ever on one block size
    poisonedByAudio,     ///< a filter state that keeps a NaN forever
    poisonedByParameter, ///< a parameter smoother that keeps a NaN target forever
    mutesAfterBadInput,  ///< "protects" the host by muting for good
    subnormalOutput,     ///< output scaled into the subnormal range
    unstableParameter,   ///< getParameter does not return what was set
    textOverrun,         ///< a parameter name written past its limit of 8
    controlInText,       ///< a parameter label holding a tab
    race,                ///< the gain is a plain float shared between threads
    leaks,               ///< each instance loses a buffer
};

Fault faultFromEnvironment() {
    const char* value = std::getenv("VORLEN_FAULT");
    const std::string_view name = value != nullptr ? value : "";
    constexpr std::pair<std::string_view, Fault> kNames[] = {
        {"allocates", Fault::allocates},
        {"locks", Fault::locks},
        {"uses_rand", Fault::usesRand},
        {"wakes_a_thread", Fault::wakesAThread},
        {"stale_after_resume", Fault::staleAfterResume},
        {"crashes", Fault::crashes},
        {"hangs", Fault::hangs},
        {"poisoned_by_audio", Fault::poisonedByAudio},
        {"poisoned_by_parameter", Fault::poisonedByParameter},
        {"mutes_after_bad_input", Fault::mutesAfterBadInput},
        {"subnormal_output", Fault::subnormalOutput},
        {"unstable_parameter", Fault::unstableParameter},
        {"text_overrun", Fault::textOverrun},
        {"control_in_text", Fault::controlInText},
        {"race", Fault::race},
        {"leaks", Fault::leaks}};
    for (const auto& [text, fault] : kNames) {
        if (name == text) {
            return fault;
        }
    }
    return Fault::none;
}

class FaultyGain : public AudioEffectX {
public:
    explicit FaultyGain(audioMasterCallback master) noexcept
        : AudioEffectX(master, 1, 1), fault(faultFromEnvironment()) {
        if (fault == Fault::leaks) {
            leaked = new (std::nothrow) float[4096]; // never released
        }
        if (fault == Fault::wakesAThread) {
            worker = std::thread([this] {
                std::unique_lock<std::mutex> lock(workerMutex);
                while (!stopWorker) {
                    workToDo.wait(lock);
                }
            });
        }
        setNumInputs(2);
        setNumOutputs(2);
        setUniqueID(VST_FOURCC('f', 'l', 't', 'y'));
    }

    void processReplacing(float** inputs, float** outputs, VstInt32 frames) noexcept override {
        if (fault == Fault::allocates) {
            std::vector<float> scratch(static_cast<std::size_t>(frames > 0 ? frames : 1));
            sink = scratch.data();
        }
        if (fault == Fault::locks) {
            mutex.lock();
            mutex.unlock();
        }
        if (fault == Fault::wakesAThread) {
            workToDo.notify_one();
        }
        if (fault == Fault::usesRand) {
            sink = reinterpret_cast<float*>(static_cast<std::intptr_t>(std::rand()));
        }
        if (fault == Fault::hangs && frames == 1000) {
            for (;;) {
                spins = spins + 1;
            }
        }
        const float target = currentGain();
        for (VstInt32 i = 0; i < frames; ++i) {
            smoothedGain = 0.999f * smoothedGain + 0.001f * target;
            for (int c = 0; c < 2; ++c) {
                float y = inputs[c][i] * smoothedGain;
                if (fault == Fault::poisonedByAudio) {
                    memory[c] = 0.5f * memory[c] + y;
                    y = memory[c];
                } else if (fault == Fault::mutesAfterBadInput) {
                    muted = muted || !std::isfinite(y);
                    y = muted ? 0.0f : y;
                } else if (fault == Fault::subnormalOutput) {
                    y *= 1e-39f;
                } else if (fault == Fault::staleAfterResume) {
                    float& delayed = echo[c][echoPosition];
                    const float input = y;
                    y += 0.5f * delayed;
                    delayed = input;
                }
                // Sums near zero can be subnormal: a sound plug-in flushes them.
                if (fault != Fault::subnormalOutput && std::fabs(y) < FLT_MIN) {
                    y = 0.0f;
                }
                outputs[c][i] = y;
            }
            echoPosition = (echoPosition + 1) % kEchoFrames;
        }
    }

    ~FaultyGain() override {
        if (worker.joinable()) {
            {
                std::lock_guard<std::mutex> lock(workerMutex);
                stopWorker = true;
            }
            workToDo.notify_one();
            worker.join();
        }
    }

    void resume() noexcept override {
        // A sound plug-in starts clean; only the stale fault keeps its memory.
        memory[0] = memory[1] = 0.0f;
        muted = false;
        if (fault != Fault::staleAfterResume) {
            std::fill(&echo[0][0], &echo[0][0] + 2 * kEchoFrames, 0.0f);
        }
    }

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) noexcept override {
        if (fault == Fault::crashes && opcode == effGetTailSize && index == -1) {
            std::raise(SIGSEGV);
        }
        return AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
    }

    void setParameter(VstInt32 index, float value) noexcept override {
        if (index != 0) {
            return;
        }
        if (fault != Fault::poisonedByParameter) {
            value = std::isfinite(value) ? std::fmin(std::fmax(value, 0.0f), 1.0f) : 1.0f;
        }
        if (fault == Fault::race) {
            racyGain = value;
        } else {
            gain = value;
        }
    }
    float getParameter(VstInt32 index) noexcept override {
        if (index != 0) {
            return 0.0f;
        }
        return fault == Fault::unstableParameter ? currentGain() * 0.9f : currentGain();
    }
    void getParameterName(VstInt32 index, char* text) noexcept override {
        if (index == 0) {
            if (fault == Fault::textOverrun) {
                std::strcpy(text, "Gain of the effect");
            } else {
                std::strncpy(text, "Gain", 9);
            }
        }
    }
    void getParameterLabel(VstInt32 index, char* text) noexcept override {
        // UTF-8 within the limit of 8 bytes: what hosts show as "°C". Only a control
        // character makes a text unusable.
        const char* label = fault == Fault::controlInText ? "\tC"
                                                          : "\xC2\xB0"
                                                            "C";
        std::strncpy(text, index == 0 ? label : "", 9);
    }
    bool getEffectName(char* text) noexcept override {
        std::strncpy(text, "Faulty", 33);
        return true;
    }
    bool getVendorString(char* text) noexcept override {
        std::strncpy(text, "Vorlen tests", 65);
        return true;
    }
    bool getProductString(char* text) noexcept override {
        std::strncpy(text, "Faulty", 65);
        return true;
    }

private:
    float currentGain() const noexcept { return fault == Fault::race ? racyGain : gain.load(); }

    const Fault fault;
    std::atomic<float> gain = 1.0f;
    float racyGain = 1.0f; // written by the host's parameter thread while audio reads it
    float smoothedGain = 1.0f;
    float memory[2] = {0.0f, 0.0f};
    bool muted = false;
    std::mutex mutex;
    float* volatile sink = nullptr;
    float* leaked = nullptr;
    static constexpr int kEchoFrames = 1000;
    float echo[2][kEchoFrames] = {};
    int echoPosition = 0;
    volatile unsigned spins = 0;
    std::mutex workerMutex;
    std::condition_variable workToDo;
    bool stopWorker = false;
    std::thread worker;
};

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect*
VSTPluginMain(audioMasterCallback master) {
    auto* effect = new (std::nothrow) FaultyGain(master);
    return effect != nullptr ? effect->getAeffect() : nullptr;
}
