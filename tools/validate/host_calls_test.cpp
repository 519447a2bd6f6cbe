// The calls a host makes besides audio and parameters, each in the form hosts send it:
// capability questions, program changes, state saved and restored as chunks, events around
// processing, and the start and stop of processing.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "guarded_text.h"
#include "isolated_check.h"
#include "stream.h"
#include "validator_tests.h"

namespace vorlen::validate {
namespace {

// The event list as hosts lay it out: a count, a reserved word, then pointers to events.
struct MidiEvent {
    VstInt32 type = 1;        // a MIDI event
    VstInt32 byteSize = 32;   // the size of this record
    VstInt32 deltaFrames = 0; // offset into the next block
    VstInt32 flags = 0;
    VstInt32 noteLength = 0;
    VstInt32 noteOffset = 0;
    unsigned char midiData[4] = {0, 0, 0, 0};
    signed char detune = 0;
    unsigned char noteOffVelocity = 0;
    unsigned char reserved[2] = {0, 0};
};
static_assert(sizeof(MidiEvent) == 32);

struct EventList {
    VstInt32 numEvents = 0;
    VstIntPtr reserved = 0;
    MidiEvent* events[2] = {nullptr, nullptr};
};

VstIntPtr canDo(const tools::PluginInstance& instance, const char* what) {
    std::vector<char> text(what, what + std::strlen(what) + 1);
    return instance.dispatch(effCanDo, 0, 0, text.data());
}

std::string processFinite(Stream& stream, WhiteNoise& noise, const char* after) {
    SampleScan scan;
    stream.processNoise(noise, 4096, 512, &scan);
    return scan.finite() ? "" : std::string("after ") + after + ": " + scan.describe();
}

} // namespace

Outcome testHostCalls(const tools::PluginLibrary& library) {
    std::string error;
    auto stream = Stream::open(library, 48000.0f, 512, error);
    if (!stream) {
        return failure(error);
    }
    tools::PluginInstance& instance = stream->instance();
    const AEffect& record = *instance.effect();
    WhiteNoise noise(23);
    std::string detail;

    noteStep("effCanDo");
    const char* const questions[] = {"receiveVstEvents", "receiveVstMidiEvent",
                                     "sendVstEvents",    "bypass",
                                     "offline",          "noRealTime"};
    for (const char* question : questions) {
        const VstIntPtr answer = canDo(instance, question);
        if (answer < -1 || answer > 1) {
            return failure(std::string("canDo \"") + question + "\" answered " +
                           std::to_string(answer) + ", not -1, 0 or 1");
        }
    }
    const bool takesEvents =
        canDo(instance, "receiveVstEvents") > 0 || canDo(instance, "receiveVstMidiEvent") > 0;
    (void)instance.dispatch(effGetPlugCategory);
    (void)instance.dispatch(effGetTailSize);

    // Hosts that announce processing around it (effStartProcess, effStopProcess).
    noteStep("effStartProcess");
    instance.dispatch(effStartProcess);
    if (std::string fault = processFinite(*stream, noise, "effStartProcess"); !fault.empty()) {
        return failure(fault);
    }

    for (VstInt32 program = 0; program < record.numPrograms; ++program) {
        noteStep("effSetProgram %d", static_cast<int>(program));
        instance.dispatch(effSetProgram, 0, program);
        const VstIntPtr current = instance.dispatch(effGetProgram);
        if (current != program) {
            return failure("effSetProgram " + std::to_string(program) + ", then effGetProgram " +
                           std::to_string(current));
        }
        const GuardedText name = askGuardedText(instance, effGetProgramName, 0, kProgramNameLimit);
        const GuardedText indexed =
            askGuardedText(instance, effGetProgramNameIndexed, program, kProgramNameLimit);
        if (!name.ok() || !indexed.ok()) {
            return failure("program " + std::to_string(program) + " name " + name.describe() +
                           ", indexed " + indexed.describe());
        }
    }
    if (record.numPrograms > 0) {
        instance.dispatch(effSetProgram, 0, 0);
        detail += "programs 0.." + std::to_string(record.numPrograms - 1) + ", ";
    }

    // State saved and restored as a host does with a session: what comes back is what was
    // there. Parameters are moved in between, so that restoring must really set them.
    if ((record.flags & effFlagsProgramChunks) != 0) {
        for (const VstInt32 isProgram : {0, 1}) {
            const char* what = isProgram != 0 ? "program chunk" : "bank chunk";
            std::vector<float> saved;
            saved.reserve(static_cast<std::size_t>(std::max(record.numParams, 0)));
            for (VstInt32 p = 0; p < record.numParams; ++p) {
                saved.push_back(instance.getParameter(p));
            }
            noteStep("effGetChunk of the %s", what);
            void* data = nullptr;
            const VstIntPtr size = instance.dispatch(effGetChunk, isProgram, 0, &data);
            if (size < 0 || (size > 0 && data == nullptr)) {
                return failure(std::string(what) + ": size " + std::to_string(size) +
                               (data == nullptr ? " and no data" : ""));
            }
            const auto* bytes = static_cast<const unsigned char*>(data);
            std::vector<unsigned char> copy(bytes, bytes + size);
            for (VstInt32 p = 0; p < record.numParams; ++p) {
                instance.setParameter(p, noise.unit());
            }
            noteStep("effSetChunk of the %s, %lld bytes", what, static_cast<long long>(size));
            instance.dispatch(effSetChunk, isProgram, size, copy.empty() ? nullptr : copy.data());
            for (VstInt32 p = 0; p < record.numParams; ++p) {
                const float restored = instance.getParameter(p);
                if (size > 0 &&
                    !(std::fabs(restored - saved[static_cast<std::size_t>(p)]) <= 1e-6f)) {
                    return failure(std::string(what) + " restored parameter " + std::to_string(p) +
                                   " as " + std::to_string(restored) + ", saved as " +
                                   std::to_string(saved[p]));
                }
            }
            if (std::string fault = processFinite(*stream, noise, what); !fault.empty()) {
                return failure(fault);
            }
            detail += std::string(what) + " of " + std::to_string(size) + " bytes, ";
        }
    }

    // An empty list, as hosts send every block; notes only to a plug-in that takes them.
    noteStep("effProcessEvents with no events");
    EventList list;
    instance.dispatch(effProcessEvents, 0, 0, &list);
    if (std::string fault = processFinite(*stream, noise, "no events"); !fault.empty()) {
        return failure(fault);
    }
    if (takesEvents) {
        MidiEvent on;
        on.midiData[0] = 0x90;
        on.midiData[1] = 60;
        on.midiData[2] = 100;
        MidiEvent off = on;
        off.midiData[0] = 0x80;
        off.midiData[2] = 0;
        off.deltaFrames = 256;
        list.numEvents = 2;
        list.events[0] = &on;
        list.events[1] = &off;
        noteStep("effProcessEvents with a note on and off");
        instance.dispatch(effProcessEvents, 0, 0, &list);
        if (std::string fault = processFinite(*stream, noise, "a note"); !fault.empty()) {
            return failure(fault);
        }
        detail += "MIDI notes, ";
    }

    noteStep("effStopProcess");
    instance.dispatch(effStopProcess);
    return {true, detail + "canDo answers, start and stop of processing"};
}

} // namespace vorlen::validate
