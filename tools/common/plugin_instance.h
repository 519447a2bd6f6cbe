// One open effect of a loaded plug-in, driven the way a host drives it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "aeffect.h"
#include "host_callback.h"
#include "plugin_library.h"

namespace vorlen::tools {

/// An effect created through a library's entry point. Move-only; destruction
/// suspends it if it was resumed and then sends effClose, after which the
/// record is gone. As in a host, parameter and processing calls may come
/// from different threads, but nothing may overlap the lifecycle calls
/// (open, rate, block size, resume, suspend, destruction).
class PluginInstance {
public:
    /// Calls the entry point with our host callback and checks the record it
    /// returns (not null, magic 'VstP'). Sends no opcode: the caller decides
    /// when to send effOpen. On failure returns nothing and sets `error`.
    static std::optional<PluginInstance> create(const PluginLibrary& library, std::string& error);

    PluginInstance(PluginInstance&& other) noexcept;
    PluginInstance& operator=(PluginInstance&& other) noexcept;
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;
    /// Suspends (if resumed) and closes the effect.
    ~PluginInstance();

    /// The effect's record; valid until this object is destroyed.
    AEffect* effect() const noexcept { return effect_; }
    /// The answers our host callback gives this instance; set them before the
    /// effect may ask.
    HostContext& context() noexcept { return *context_; }

    /// Sends one opcode through the record's dispatcher and returns its answer.
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) const noexcept;

    /// effOpen.
    void open() noexcept;
    /// effSetSampleRate, remembered for the effect's own questions.
    void setSampleRate(float rate) noexcept;
    /// effSetBlockSize, remembered for the effect's own questions.
    void setBlockSize(VstInt32 frames) noexcept;
    /// effMainsChanged 1: processing may start.
    void resume() noexcept;
    /// effMainsChanged 0: processing has stopped.
    void suspend() noexcept;

    /// Sets a parameter to a host value (nominally 0..1).
    void setParameter(VstInt32 index, float value) const noexcept;
    /// Reads a parameter as a host value.
    float getParameter(VstInt32 index) const noexcept;
    /// Whether the record offers the replacing entry that processReplacing uses.
    bool canProcessReplacing() const noexcept {
        return effect_ != nullptr && effect_->processReplacing != nullptr;
    }
    /// Processes `frames` samples through the replacing entry; does nothing
    /// when the record has none.
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) const noexcept;

    /// A text the effect writes into a host buffer (names, labels, displays,
    /// identity strings). The buffer is far larger than any limit an effect
    /// should respect, and zero-terminated by us whatever it writes.
    std::string text(VstInt32 opcode, VstInt32 index = 0) const;
    /// effGetParamName of `index`.
    std::string parameterName(VstInt32 index) const { return text(effGetParamName, index); }
    /// effGetParamLabel of `index`.
    std::string parameterLabel(VstInt32 index) const { return text(effGetParamLabel, index); }
    /// effGetParamDisplay of `index`.
    std::string parameterDisplay(VstInt32 index) const { return text(effGetParamDisplay, index); }
    /// effGetEffectName.
    std::string effectName() const { return text(effGetEffectName); }
    /// effGetVendorString.
    std::string vendorString() const { return text(effGetVendorString); }
    /// effGetProductString.
    std::string productString() const { return text(effGetProductString); }

    /// Size of the buffer `text` hands the effect; bytes beyond it are never written.
    static constexpr std::size_t kTextBufferSize = 512;

private:
    PluginInstance(PluginLibrary library, AEffect* effect, std::unique_ptr<HostContext> context)
        : library_(std::move(library)), effect_(effect), context_(std::move(context)) {}
    void close() noexcept;

    // Declared first so that it is destroyed last: the code behind `effect_`
    // must stay loaded until effClose has returned.
    PluginLibrary library_;
    AEffect* effect_;
    // On the heap because the record's `user` field points at it across moves.
    std::unique_ptr<HostContext> context_;
    bool resumed_ = false;
};

/// "abcd" for a four-character code, or its hexadecimal value when one of its
/// bytes is not printable.
std::string fourCharCode(VstInt32 code);

} // namespace vorlen::tools
