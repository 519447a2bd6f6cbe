// A progress bar on stderr for long renderings.
#pragma once

#include <chrono>
#include <cstdint>

namespace vorlen::render {

/// Draws "[#####.....]  50%" on stderr, at most ten times a second, and only
/// when stderr is a terminal: redirected output stays free of it.
class ProgressBar {
public:
    /// `total` frames make 100%; 0 or less means the length is unknown.
    explicit ProgressBar(std::int64_t total);
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;
    /// Clears the bar so that the next line starts clean.
    ~ProgressBar();

    /// Reports that `done` frames are finished.
    void update(std::int64_t done);

private:
    std::int64_t total_;
    bool enabled_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point lastDraw_;
};

} // namespace vorlen::render
