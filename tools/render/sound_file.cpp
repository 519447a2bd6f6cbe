#include "sound_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <utility>

#include "tool_error.h"

namespace vorlen::render {
namespace {

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Names people use that libsndfile does not list as a format's extension.
int majorFromAlias(const std::string& extension) {
    if (extension == "aif" || extension == "aifc") {
        return SF_FORMAT_AIFF;
    }
    if (extension == "wave") {
        return SF_FORMAT_WAV;
    }
    if (extension == "ogg" || extension == "oga" || extension == "opus") {
        return SF_FORMAT_OGG;
    }
    if (extension == "mp3") {
        return SF_FORMAT_MPEG;
    }
    return 0;
}

int majorFromExtension(const std::string& extension) {
    if (const int alias = majorFromAlias(extension); alias != 0) {
        return alias;
    }
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO format{};
        format.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &format, sizeof format) == 0 &&
            format.extension != nullptr && lowercase(format.extension) == extension) {
            return format.format;
        }
    }
    return 0;
}

} // namespace

std::string libraryMessage(SNDFILE* file) {
    std::string message = sf_strerror(file);
    while (!message.empty() && (message.back() == '.' || message.back() == '\n')) {
        message.pop_back();
    }
    return message;
}

SoundFile SoundFile::openForReading(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        throw badInput("cannot read '" + path + "': it is a folder");
    }
    // Asking the system first gives "No such file or directory" rather than
    // libsndfile's wrapping of it.
    const int probe = ::open(path.c_str(), O_RDONLY);
    if (probe < 0) {
        throw badInput("cannot read '" + path + "': " + std::strerror(errno));
    }
    ::close(probe);
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        throw badInput("cannot read '" + path + "': " + libraryMessage(nullptr));
    }
    return SoundFile(file, info, path);
}

SoundFile SoundFile::openForWriting(int fd, const std::string& shownPath, int format, int channels,
                                    int sampleRate) {
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRate;
    if (!sf_format_check(&info)) {
        throw badInput("cannot write '" + shownPath + "' in that format at " +
                       std::to_string(sampleRate) + " Hz with " + std::to_string(channels) +
                       " channels");
    }
    SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
    if (file == nullptr) {
        throw badInput("cannot write '" + shownPath + "': " + libraryMessage(nullptr));
    }
    // Integer formats would otherwise wrap samples beyond full scale around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return SoundFile(file, info, shownPath);
}

void SoundFile::close() {
    SNDFILE* file = file_.release();
    if (file != nullptr && sf_close(file) != 0) {
        throw ToolError(kExitFailure, "cannot finish writing '" + path_ + "'");
    }
}

int outputFormatFor(const std::string& path) {
    std::string extension = lowercase(std::filesystem::path(path).extension().string());
    if (extension.empty()) {
        return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    }
    extension.erase(0, 1);
    const int major = majorFromExtension(extension);
    if (major == 0) {
        throw badInput("unsupported output format '." + extension + "' for '" + path +
                       "' (try .wav, .aiff, .flac or .ogg)");
    }
    const int preferred = extension == "opus" ? SF_FORMAT_OPUS : 0;
    const int subtypes[] = {
        preferred,        SF_FORMAT_FLOAT, SF_FORMAT_PCM_24,        SF_FORMAT_PCM_16,
        SF_FORMAT_VORBIS, SF_FORMAT_OPUS,  SF_FORMAT_MPEG_LAYER_III};
    for (const int subtype : subtypes) {
        SF_INFO probe{};
        probe.format = major | subtype;
        probe.channels = 2;
        probe.samplerate = 48000;
        if (subtype != 0 && sf_format_check(&probe)) {
            return probe.format;
        }
    }
    throw badInput("libsndfile cannot write '." + extension + "' files");
}

} // namespace vorlen::render
