#include "editor/frame_timer.h"

#include <mutex>

#include "editor/editor.h"

namespace {
// The process-wide list; editors of several instances open and close on their own threads.
std::mutex gListMutex;
QB_Frame_Timer* gFirst = nullptr;
int gCount = 0;
}  // namespace

QB_Frame_Timer::QB_Frame_Timer(QB_GUI_Editor* editor, Clock::time_point start)
    : editor_(editor), next_(start + kPeriod) {
    std::lock_guard<std::mutex> lock(gListMutex);
    following_ = gFirst;
    if (gFirst != nullptr) gFirst->previous_ = this;
    gFirst = this;
    ++gCount;
}

QB_Frame_Timer::~QB_Frame_Timer() {
    std::lock_guard<std::mutex> lock(gListMutex);
    if (previous_ != nullptr) previous_->following_ = following_;
    else gFirst = following_;
    if (following_ != nullptr) following_->previous_ = previous_;
    --gCount;
}

int QB_Frame_Timer::count() {
    std::lock_guard<std::mutex> lock(gListMutex);
    return gCount;
}

int QB_Frame_Timer::service(Clock::time_point now) {
    int ticks = 0;
    while (now >= next_ && ticks < kMaxTicks) {
        editor_->doIdleStuff();
        next_ += kPeriod;
        ++ticks;
    }
    // Periods beyond the bound are dropped rather than caught up later.
    if (now >= next_) next_ = now + kPeriod;
    return ticks;
}
