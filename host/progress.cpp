#include "host/progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr double kDelay = 1.0;     // seconds before the bar appears
constexpr double kInterval = 0.1;  // seconds between redraws
constexpr int kWidth = 32;

double now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

}  // namespace

ProgressBar::ProgressBar(int64_t total, int sampleRate, bool enabled)
    : total_(total), sampleRate_(sampleRate), enabled_(enabled && total > 0 && isatty(STDERR_FILENO) != 0),
      start_(now()) {}

ProgressBar::~ProgressBar() { finish(); }

double ProgressBar::elapsed() const { return now() - start_; }

void ProgressBar::update(int64_t done) {
    if (!enabled_) return;
    const double t = elapsed();
    if (t < kDelay || t - lastDraw_ < kInterval) return;
    lastDraw_ = t;
    const double fraction = std::clamp(static_cast<double>(done) / static_cast<double>(total_), 0.0, 1.0);
    char bar[kWidth + 1];
    const int filled = static_cast<int>(fraction * kWidth);
    for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = '\0';
    std::fprintf(stderr, "\rrendering [%s] %3d%%  %.1f of %.1f s", bar, static_cast<int>(fraction * 100),
                 static_cast<double>(done) / sampleRate_, static_cast<double>(total_) / sampleRate_);
    std::fflush(stderr);
    shown_ = true;
}

void ProgressBar::finish() {
    if (!shown_) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    shown_ = false;
}
