// A host for tests: it records every request an effect makes and answers from
// a table, so tests can check both what was asked and how the effect reacts.
#pragma once

#include <map>
#include <vector>

#include "aeffect.h"

/// One request as the effect sent it to the host callback.
struct HostCall {
    AEffect* effect;
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    void* ptr;
    float opt;
};

/// A host that records every request and answers from a table (0 for opcodes not in it).
class FakeHost {
public:
    /// Becomes the current host of this thread; the previous one returns on destruction.
    FakeHost() : previous_(current()) { current() = this; }
    ~FakeHost() { current() = previous_; }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    /// The callback handed to effects; records into the current FakeHost of this thread.
    static VstIntPtr VSTCALLBACK callback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt) {
        FakeHost* host = current();
        if (host == nullptr) {
            return 0;
        }
        host->calls.push_back(HostCall{effect, opcode, index, value, ptr, opt});
        const auto found = host->answers.find(opcode);
        return found == host->answers.end() ? 0 : found->second;
    }

    /// The requests of one opcode, in the order they arrived.
    std::vector<HostCall> callsOf(VstInt32 opcode) const {
        std::vector<HostCall> result;
        for (const HostCall& call : calls) {
            if (call.opcode == opcode) {
                result.push_back(call);
            }
        }
        return result;
    }

    std::map<VstInt32, VstIntPtr> answers; ///< opcode -> answer
    std::vector<HostCall> calls;           ///< every request, oldest first

private:
    // An inline function-local thread_local keeps one instance across all test
    // translation units without a separate source file.
    static FakeHost*& current() {
        thread_local FakeHost* host = nullptr;
        return host;
    }

    FakeHost* previous_;
};
