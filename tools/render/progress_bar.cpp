#include "progress_bar.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace vorlen::render {

ProgressBar::ProgressBar(std::int64_t total)
    : total_(total), enabled_(isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
    if (drawn_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
}

void ProgressBar::update(std::int64_t done) {
    if (!enabled_ || total_ <= 0) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(100)) {
        return;
    }
    lastDraw_ = now;
    drawn_ = true;
    constexpr int kWidth = 40;
    const double fraction =
        std::clamp(static_cast<double>(done) / static_cast<double>(total_), 0.0, 1.0);
    const int filled = static_cast<int>(fraction * kWidth);
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i) {
        bar[i] = i < filled ? '#' : '.';
    }
    bar[kWidth] = '\0';
    std::fprintf(stderr, "\rRendering [%s] %3d%%", bar, static_cast<int>(fraction * 100.0));
    std::fflush(stderr);
}

} // namespace vorlen::render
