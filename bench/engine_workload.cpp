// One fixed workload for counting instructions under callgrind: ten seconds of stereo white
// noise at 44.1 kHz streamed through one engine in host blocks of 512 samples. The argument
// picks the engine: "vorlen" (the default), "peer", or "none", which only prepares the
// buffers. Counting is meant to be switched on only inside the stream* functions (callgrind
// --toggle-collect), so set-up is left out. Where only the whole program can be counted (an
// emulator's instruction count), a second argument gives the number of samples, and a run
// of "none" of the same length is the set-up to subtract.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "fftw_peer.h"
#include "vorlen.h"

namespace {

constexpr int kDefaultSamples = 441000;
constexpr int kBlock = 512;
// Ten seconds unless the command line asks for fewer.
int gSamples = kDefaultSamples;

} // namespace

/// Every sample of `input` through `effect`, block by block, into `output`.
__attribute__((noinline)) void streamVorlen(vstVorlen& effect,
                                            const vorlen::bench::StereoNoise& input,
                                            vorlen::bench::StereoNoise& output) {
    for (int done = 0; done < gSamples; done += kBlock) {
        const int count = std::min(kBlock, gSamples - done);
        float* inputs[2] = {const_cast<float*>(input.left.data() + done),
                            const_cast<float*>(input.right.data() + done)};
        float* outputs[2] = {output.left.data() + done, output.right.data() + done};
        effect.processReplacing(inputs, outputs, count);
    }
}

/// The same stream through the FFTW peer.
__attribute__((noinline)) void streamPeer(vorlen::bench::FftwPeer& peer,
                                          const vorlen::bench::StereoNoise& input,
                                          vorlen::bench::StereoNoise& output) {
    for (int done = 0; done < gSamples; done += kBlock) {
        const int count = std::min(kBlock, gSamples - done);
        peer.process(input.left.data() + done, input.right.data() + done, output.left.data() + done,
                     output.right.data() + done, count);
    }
}

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "vorlen";
    const bool peer = std::strcmp(mode, "peer") == 0;
    const bool none = std::strcmp(mode, "none") == 0;
    if (argc > 2) {
        gSamples = std::clamp(std::atoi(argv[2]), 0, kDefaultSamples);
    }
    const vorlen::bench::StereoNoise input(gSamples);
    vorlen::bench::StereoNoise output(gSamples);
    if (none) {
        // The buffers alone.
    } else if (peer) {
        auto engine = std::make_unique<vorlen::bench::FftwPeer>();
        streamPeer(*engine, input, output);
    } else {
        auto engine = std::make_unique<vstVorlen>(nullptr);
        streamVorlen(*engine, input, output);
    }
    double energy = 0.0;
    for (int i = 0; i < gSamples; ++i) {
        energy +=
            double{output.left[i]} * output.left[i] + double{output.right[i]} * output.right[i];
    }
    // Printed so that the work cannot be optimised away, and as a quick sanity check.
    std::printf("%s: %d stereo samples in blocks of %d, output energy %.6g\n", mode, gSamples,
                kBlock, energy);
    return 0;
}
