#include "plugin_instance.h"

#include <cstdio>
#include <vector>

namespace vorlen::tools {

std::optional<PluginInstance> PluginInstance::create(const PluginLibrary& library,
                                                     std::string& error) {
    AEffect* effect = nullptr;
    try {
        effect = library.entryPoint()(&hostCallback);
    } catch (...) {
        error = "plug-in '" + library.path() + "' threw an exception from its entry point";
        return std::nullopt;
    }
    if (effect == nullptr) {
        error = "plug-in '" + library.path() + "' returned no effect (null record)";
        return std::nullopt;
    }
    if (effect->magic != kEffectMagic) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(effect->magic));
        error = "plug-in '" + library.path() + "' returned a record with bad magic " + hex +
                " (expected 'VstP')";
        // A record without the magic may not even have a dispatcher: leak it
        // rather than call into it.
        return std::nullopt;
    }
    auto context = std::make_unique<HostContext>();
    effect->user = context.get();
    return PluginInstance(library, effect, std::move(context));
}

PluginInstance::PluginInstance(PluginInstance&& other) noexcept
    : library_(std::move(other.library_)), effect_(other.effect_),
      context_(std::move(other.context_)), resumed_(other.resumed_) {
    other.effect_ = nullptr;
    other.resumed_ = false;
}

PluginInstance& PluginInstance::operator=(PluginInstance&& other) noexcept {
    if (this != &other) {
        close();
        library_ = std::move(other.library_);
        effect_ = other.effect_;
        context_ = std::move(other.context_);
        resumed_ = other.resumed_;
        other.effect_ = nullptr;
        other.resumed_ = false;
    }
    return *this;
}

PluginInstance::~PluginInstance() {
    close();
}

void PluginInstance::close() noexcept {
    if (effect_ == nullptr) {
        return;
    }
    suspend();
    dispatch(effClose);
    effect_ = nullptr;
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) const noexcept {
    if (effect_ == nullptr || effect_->dispatcher == nullptr) {
        return 0;
    }
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginInstance::open() noexcept {
    dispatch(effOpen);
}

void PluginInstance::setSampleRate(float rate) noexcept {
    context_->sampleRate = rate;
    dispatch(effSetSampleRate, 0, 0, nullptr, rate);
}

void PluginInstance::setBlockSize(VstInt32 frames) noexcept {
    context_->blockSize = frames;
    dispatch(effSetBlockSize, 0, frames);
}

void PluginInstance::resume() noexcept {
    dispatch(effMainsChanged, 0, 1);
    resumed_ = true;
}

void PluginInstance::suspend() noexcept {
    if (resumed_) {
        dispatch(effMainsChanged, 0, 0);
        resumed_ = false;
    }
}

void PluginInstance::setParameter(VstInt32 index, float value) const noexcept {
    if (effect_ != nullptr && effect_->setParameter != nullptr) {
        effect_->setParameter(effect_, index, value);
    }
}

float PluginInstance::getParameter(VstInt32 index) const noexcept {
    if (effect_ == nullptr || effect_->getParameter == nullptr) {
        return 0.0f;
    }
    return effect_->getParameter(effect_, index);
}

void PluginInstance::processReplacing(float** inputs, float** outputs,
                                      VstInt32 frames) const noexcept {
    if (canProcessReplacing()) {
        effect_->processReplacing(effect_, inputs, outputs, frames);
    }
}

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index) const {
    std::vector<char> buffer(kTextBufferSize, '\0');
    dispatch(opcode, index, 0, buffer.data());
    buffer.back() = '\0';
    return std::string(buffer.data());
}

std::string fourCharCode(VstInt32 code) {
    const auto bits = static_cast<unsigned>(code);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned c = (bits >> shift) & 0xFFu;
        if (c < 0x20 || c > 0x7E) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", bits);
            return hex;
        }
        text.push_back(static_cast<char>(c));
    }
    return text;
}

} // namespace vorlen::tools
