// The editor's 14 ms refresh. Each service runs as many refresh ticks as 14 ms periods
// have passed since the last (at most kMaxTicks, so a stalled host does not get a burst),
// so widget glides and animations keep their timing whatever rate the host idles at.
// Every timer is listed process-wide while it exists.
#pragma once

#include <chrono>
#include <cstdint>

class QB_GUI_Editor;

class QB_Frame_Timer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kPeriod{14};
    static constexpr int kMaxTicks = 8;

    QB_Frame_Timer(QB_GUI_Editor* editor, Clock::time_point start);
    ~QB_Frame_Timer();
    QB_Frame_Timer(const QB_Frame_Timer&) = delete;
    QB_Frame_Timer& operator=(const QB_Frame_Timer&) = delete;

    // Runs the ticks due by now on the editor (its refresh hook); answers how many ran.
    int service(Clock::time_point now);
    // How many timers exist in the process.
    static int count();

private:
    QB_GUI_Editor* editor_;
    Clock::time_point next_;
    QB_Frame_Timer* previous_ = nullptr;
    QB_Frame_Timer* following_ = nullptr;
};
