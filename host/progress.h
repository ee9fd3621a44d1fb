// A progress bar on stderr for renders that take more than a second, drawn only when
// stderr is a terminal, so logs and pipes stay clean.
#pragma once

#include <cstdint>

class ProgressBar {
public:
    // total: frames the render will process (0 when unknown).
    ProgressBar(int64_t total, int sampleRate, bool enabled);
    ~ProgressBar();
    void update(int64_t done);
    // Clears the bar's line.
    void finish();

private:
    double elapsed() const;
    int64_t total_;
    int sampleRate_;
    bool enabled_;
    bool shown_ = false;
    double start_;
    double lastDraw_ = 0;
};
