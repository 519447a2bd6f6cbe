// Audio files through libsndfile: opening for reading and choosing the format
// to write from a file name.
#pragma once

#include <memory>
#include <string>

#include <sndfile.h>

namespace vorlen::render {

/// An open libsndfile handle, closed on destruction.
class SoundFile {
public:
    /// Opens `path` for reading; throws ToolError (exit status 2) with
    /// libsndfile's reason when it is missing, unreadable or not audio.
    static SoundFile openForReading(const std::string& path);
    /// Prepares `fd`, an empty file that the caller keeps and closes, for
    /// writing `format`; throws ToolError when libsndfile refuses the combination.
    static SoundFile openForWriting(int fd, const std::string& shownPath, int format, int channels,
                                    int sampleRate);

    /// The handle to pass to sf_ calls.
    SNDFILE* handle() const noexcept { return file_.get(); }
    /// Frames, channels, sample rate and format as libsndfile reports them.
    const SF_INFO& info() const noexcept { return info_; }
    /// Closes the file, reporting a failure to flush (disk full, ...) as ToolError.
    void close();

private:
    struct Closer {
        void operator()(SNDFILE* file) const noexcept { sf_close(file); }
    };
    SoundFile(SNDFILE* file, const SF_INFO& info, std::string path)
        : file_(file), info_(info), path_(std::move(path)) {}

    std::unique_ptr<SNDFILE, Closer> file_;
    SF_INFO info_;
    std::string path_;
};

/// libsndfile's last error for `file` (null: the last failed open), without
/// its closing full stop, to fit in our own sentences.
std::string libraryMessage(SNDFILE* file);

/// The libsndfile format for writing `path`, chosen from its extension (case
/// ignored): the major format whose usual extension it is, with the richest
/// sample type that format takes (32-bit float where possible). A name without
/// an extension gives 32-bit float WAV. Throws ToolError for an unknown one.
int outputFormatFor(const std::string& path);

} // namespace vorlen::render
