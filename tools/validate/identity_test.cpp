#include <cmath>

#include "guarded_text.h"
#include "stream.h"
#include "validator_tests.h"

namespace vorlen::validate {

Outcome testIdentity(const tools::PluginLibrary& library) {
    std::string error;
    auto instance = tools::PluginInstance::create(library, error);
    if (!instance) {
        return failure(error);
    }
    instance->open();
    const AEffect& record = *instance->effect();
    if (record.numInputs < 0 || record.numOutputs < 1 || record.numParams < 0 ||
        record.numPrograms < 0) {
        return failure("record counts out of range: " + std::to_string(record.numInputs) + " in, " +
                       std::to_string(record.numOutputs) + " out, " +
                       std::to_string(record.numParams) + " parameters");
    }
    if (record.initialDelay < 0) {
        return failure("negative latency " + std::to_string(record.initialDelay));
    }
    if ((record.flags & effFlagsCanReplacing) == 0 || record.processReplacing == nullptr) {
        return failure("no processReplacing offered");
    }
    if (record.object == nullptr || record.user == nullptr) {
        return failure("record's object or host field is not kept");
    }

    struct Identity {
        const char* what;
        VstInt32 opcode;
        std::size_t limit;
    };
    std::string detail;
    for (const Identity& item : {Identity{"name", effGetEffectName, kEffectNameLimit},
                                 Identity{"vendor", effGetVendorString, kVendorTextLimit},
                                 Identity{"product", effGetProductString, kVendorTextLimit}}) {
        const GuardedText text = askGuardedText(*instance, item.opcode, 0, item.limit);
        if (!text.ok()) {
            return failure(std::string(item.what) + " " + text.describe());
        }
        detail += std::string(item.what) + " " + text.describe() + ", ";
    }
    detail += "ID " + tools::fourCharCode(record.uniqueID) + ", " +
              std::to_string(record.numInputs) + " in, " + std::to_string(record.numOutputs) +
              " out, latency " + std::to_string(record.initialDelay) + ", VST version " +
              std::to_string(instance->dispatch(effGetVstVersion));
    return {true, detail};
}

Outcome testParameters(const tools::PluginLibrary& library) {
    std::string error;
    auto instance = tools::PluginInstance::create(library, error);
    if (!instance) {
        return failure(error);
    }
    instance->open();
    const VstInt32 count = instance->effect()->numParams;
    std::string detail = std::to_string(count) + " parameters:";
    for (VstInt32 p = 0; p < count; ++p) {
        const std::string which = "parameter " + std::to_string(p);
        const GuardedText name = askGuardedText(*instance, effGetParamName, p, kParamTextLimit);
        const GuardedText label = askGuardedText(*instance, effGetParamLabel, p, kParamTextLimit);
        if (!name.ok() || !label.ok()) {
            return failure(which + " name " + name.describe() + ", label " + label.describe());
        }
        detail.append(" ").append(name.describe()).append(" [").append(label.text).append("]");

        const float initial = instance->getParameter(p);
        for (const float value : {0.0f, 0.5f, 1.0f}) {
            instance->setParameter(p, value);
            const float first = instance->getParameter(p);
            // A host writes back what it read (undo, automation lanes): that must not move it.
            instance->setParameter(p, first);
            const float second = instance->getParameter(p);
            const float third = instance->getParameter(p);
            if (!std::isfinite(first) || first < 0.0f || first > 1.0f) {
                return failure(which + " set to " + std::to_string(value) + " reads back " +
                               std::to_string(first) + ", outside 0..1");
            }
            if (first != second || second != third) {
                return failure(which + " set to " + std::to_string(value) + " reads " +
                               std::to_string(first) + ", then " + std::to_string(second) +
                               " after writing that back");
            }
            const GuardedText display =
                askGuardedText(*instance, effGetParamDisplay, p, kParamTextLimit);
            if (!display.ok()) {
                return failure(which + " at " + std::to_string(value) + " displays " +
                               display.describe());
            }
        }
        instance->setParameter(p, initial);
    }
    return {true, detail};
}

} // namespace vorlen::validate
