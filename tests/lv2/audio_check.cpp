// Makes and compares the audio files that the LV2 host checks pass through real hosts.
//   audio_check make OUT FRAMES        stereo test signal: noise and two sines, 44.1 kHz float
//   audio_check dry IN OUT DELAY [any-phase]
//       OUT must be IN delayed by DELAY samples under the dry path's window gain; the lag is
//       found by correlation and must equal DELAY. With any-phase, where the hop grid lies
//       is found too (a host that ran the plug-in before the file started moves it).
//   audio_check same A B               A and B must hold identical samples
//   audio_check join LEFT RIGHT OUT    two mono files as one stereo file
// Exit status 0 when the check holds, 1 when it fails, 2 on bad use or unreadable files.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kHop = 1024;

struct Audio {
    int channels = 0;
    int rate = 0;
    std::vector<float> samples; // interleaved

    size_t frames() const { return channels == 0 ? 0 : samples.size() / channels; }
    float at(size_t frame, int channel) const {
        return samples[frame * static_cast<size_t>(channels) + static_cast<size_t>(channel)];
    }
};

bool readAudio(const char* path, Audio& audio) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "cannot read %s: %s\n", path, sf_strerror(nullptr));
        return false;
    }
    audio.channels = info.channels;
    audio.rate = info.samplerate;
    audio.samples.resize(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
    const sf_count_t got = sf_readf_float(file, audio.samples.data(), info.frames);
    sf_close(file);
    audio.samples.resize(static_cast<size_t>(got) * static_cast<size_t>(info.channels));
    return true;
}

bool writeAudio(const char* path, const Audio& audio) {
    SF_INFO info{};
    info.channels = audio.channels;
    info.samplerate = audio.rate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path, SFM_WRITE, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "cannot write %s: %s\n", path, sf_strerror(nullptr));
        return false;
    }
    const auto frames = static_cast<sf_count_t>(audio.frames());
    const bool ok = sf_writef_float(file, audio.samples.data(), frames) == frames;
    sf_close(file);
    return ok;
}

/// The dry path's gain at output position q of a hop: both overlapping windows.
double dryGain(size_t q) {
    const double x = std::numbers::pi * static_cast<double>(q % kHop) / 2048.0;
    return std::sin(x) + std::cos(x);
}

int make(const char* path, long frames) {
    std::mt19937 random(2024);
    std::uniform_real_distribution<float> noise(-0.25f, 0.25f);
    Audio audio{2, 44100, std::vector<float>(static_cast<size_t>(frames) * 2)};
    for (long i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / 44100.0;
        audio.samples[2 * i] =
            static_cast<float>(0.4 * std::sin(2 * std::numbers::pi * 440 * t)) + noise(random);
        audio.samples[2 * i + 1] =
            static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * 97 * t)) + noise(random);
    }
    return writeAudio(path, audio) ? 0 : 2;
}

/// The lag in [-range, range] at which `output` best matches `input` (left channel), by the
/// normalised correlation over a stretch in the middle of the input.
long findLag(const Audio& input, const Audio& output, long range) {
    const long n = static_cast<long>(std::min(input.frames(), output.frames()));
    const long from = n / 2 - 4096;
    const long length = 8192;
    long best = 0;
    double bestScore = -1.0;
    for (long lag = -range; lag <= range; ++lag) {
        if (from + lag < 0 || from + lag + length > static_cast<long>(output.frames())) {
            continue;
        }
        double dot = 0.0, energy = 1e-30;
        for (long i = from; i < from + length; ++i) {
            const double y = output.at(static_cast<size_t>(i + lag), 0);
            dot += input.at(static_cast<size_t>(i), 0) * y;
            energy += y * y;
        }
        const double score = dot / std::sqrt(energy);
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

/// Largest |output(t + delay) - input(t) * gain| over the frames both hold, but `skip` frames
/// at either end, with the hop grid shifted by `phase`; also the input's peak there.
double dryResidual(const Audio& input, const Audio& output, long delay, long phase, long skip,
                   long step, double& peak) {
    double worst = 0.0;
    peak = 0.0;
    const long end =
        std::min(static_cast<long>(input.frames()), static_cast<long>(output.frames()) - delay) -
        skip;
    for (long t = std::max(skip, -delay); t < end; t += step) {
        const double gain = dryGain(static_cast<size_t>(t + delay + phase));
        for (int c = 0; c < 2; ++c) {
            const double in = input.at(static_cast<size_t>(t), c);
            const double out = output.at(static_cast<size_t>(t + delay), c);
            worst = std::max(worst, std::abs(out - in * gain));
            peak = std::max(peak, std::abs(in));
        }
    }
    return worst;
}

int dry(const char* inPath, const char* outPath, long delay, bool anyPhase) {
    Audio input, output;
    if (!readAudio(inPath, input) || !readAudio(outPath, output)) {
        return 2;
    }
    if (input.channels != 2 || output.channels != 2 || input.frames() < 20000) {
        std::fprintf(stderr, "expected two stereo files of at least 20000 frames\n");
        return 2;
    }
    const long lag = findLag(input, output, 8192);
    std::printf("lag of the output: %ld samples (expected %ld)\n", lag, delay);
    if (lag != delay) {
        return 1;
    }
    // The first frames after a start hold less than two windows' worth of input, and a host
    // may fade a region's ends.
    const long skip = 2 * kHop;
    long phase = 0;
    if (anyPhase) {
        double best = INFINITY, peak = 0.0;
        for (long p = 0; p < kHop; ++p) {
            const double r = dryResidual(input, output, delay, p, skip, 61, peak);
            if (r < best) {
                best = r;
                phase = p;
            }
        }
        std::printf("hop grid offset: %ld samples\n", phase);
    }
    double peak = 0.0;
    const double residual = dryResidual(input, output, delay, phase, skip, 1, peak);
    std::printf("largest residual: %.3g (input peak %.3g, %ld frames compared)\n", residual, peak,
                static_cast<long>(input.frames()) - 2 * skip);
    // Double arithmetic rounded once to float: a few float steps of the largest sample.
    return residual <= 4e-7 * std::max(peak, 1.0) ? 0 : 1;
}

int same(const char* aPath, const char* bPath) {
    Audio a, b;
    if (!readAudio(aPath, a) || !readAudio(bPath, b)) {
        return 2;
    }
    if (a.channels != b.channels || a.frames() != b.frames()) {
        std::printf("shapes differ: %d x %zu against %d x %zu\n", a.channels, a.frames(),
                    b.channels, b.frames());
        return 1;
    }
    size_t differing = 0;
    double largest = 0.0;
    for (size_t i = 0; i < a.samples.size(); ++i) {
        if (a.samples[i] != b.samples[i]) {
            ++differing;
            largest = std::max(largest, std::abs(static_cast<double>(a.samples[i]) - b.samples[i]));
        }
    }
    std::printf("%zu of %zu samples differ (largest difference %.3g)\n", differing,
                a.samples.size(), largest);
    return differing == 0 ? 0 : 1;
}

int join(const char* leftPath, const char* rightPath, const char* outPath) {
    Audio left, right;
    if (!readAudio(leftPath, left) || !readAudio(rightPath, right)) {
        return 2;
    }
    if (left.channels != 1 || right.channels != 1 || left.frames() != right.frames()) {
        std::fprintf(stderr, "expected two mono files of one length\n");
        return 2;
    }
    Audio stereo{2, left.rate, std::vector<float>(2 * left.frames())};
    for (size_t i = 0; i < left.frames(); ++i) {
        stereo.samples[2 * i] = left.samples[i];
        stereo.samples[2 * i + 1] = right.samples[i];
    }
    return writeAudio(outPath, stereo) ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "make" && argc == 4) {
        return make(argv[2], std::atol(argv[3]));
    }
    if (command == "dry" && (argc == 5 || (argc == 6 && std::string(argv[5]) == "any-phase"))) {
        return dry(argv[2], argv[3], std::atol(argv[4]), argc == 6);
    }
    if (command == "same" && argc == 4) {
        return same(argv[2], argv[3]);
    }
    if (command == "join" && argc == 5) {
        return join(argv[2], argv[3], argv[4]);
    }
    std::fprintf(stderr, "usage: audio_check make OUT FRAMES | dry IN OUT DELAY [any-phase] | "
                         "same A B | join LEFT RIGHT OUT\n");
    return 2;
}
