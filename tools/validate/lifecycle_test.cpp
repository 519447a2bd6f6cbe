#include <vector>

#include "stream.h"
#include "validator_tests.h"

namespace vorlen::validate {

Outcome testOpenClose(const tools::PluginLibrary& library) {
    constexpr int kInARow = 100;
    constexpr int kAtOnce = 8;
    std::string error;
    for (int i = 0; i < kInARow; ++i) {
        auto instance = tools::PluginInstance::create(library, error);
        if (!instance) {
            return failure("instance " + std::to_string(i) + ": " + error);
        }
        instance->open();
    }

    // Instances alive together must not share state: each processes its own noise, and
    // each must come back finite.
    std::vector<Stream> streams;
    for (int i = 0; i < kAtOnce; ++i) {
        auto stream = Stream::open(library, 44100.0f, 512, error);
        if (!stream) {
            return failure("instance " + std::to_string(i) + " of " + std::to_string(kAtOnce) +
                           ": " + error);
        }
        for (Stream& other : streams) {
            if (other.instance().effect() == stream->instance().effect()) {
                return failure("two open instances share one record");
            }
        }
        streams.push_back(std::move(*stream));
    }
    WhiteNoise noise(1);
    SampleScan scan;
    for (int round = 0; round < 12; ++round) {
        for (Stream& stream : streams) {
            stream.processNoise(noise, 512, 512, &scan);
        }
    }
    if (!scan.clean()) {
        return failure("instances open at once gave " + scan.describe());
    }
    return {true, std::to_string(kInARow) + " in a row, " + std::to_string(kAtOnce) + " at once"};
}

} // namespace vorlen::validate
