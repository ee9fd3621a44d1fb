// The editor lives on its own thread while the host sets parameters and programs on
// another and the audio thread drives a parameter from MIDI: the values other threads set
// only reach the widgets through the editor's thread, race-free, and the last one wins.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "editor/hv_slider.h"
#include "support/editor_rig.h"

namespace {

TEST(EditorThreads, ParameterAndMidiChangesFromOtherThreadsReachTheOpenEditorRaceFree) {
    EditorRig rig;
    QB_DSP_VST& v = rig.vst();
    v.setMidiController(QB_Control::kBasic, 7);
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<float> in(128, 0.f), outL(128), outR(128);
        float* ins[2] = {in.data(), in.data()};
        float* outs[2] = {outL.data(), outR.data()};
        int n = 0;
        while (!stop.load(std::memory_order_acquire)) {
            VstMidiEvent cc{kVstMidiType, sizeof(VstMidiEvent), 0, 0, 0, 0,
                            {static_cast<char>(0xB0), 7, static_cast<char>(n++ % 128), 0}, 0, 0, 0, 0};
            VstEvents events{1, 0, {reinterpret_cast<VstEvent*>(&cc), nullptr}};
            v.processEvents(&events);
            v.processReplacing(ins, outs, 128);
        }
    });
    std::atomic<bool> hostDone{false};
    std::thread host([&] {
        for (int round = 0; round < 1500; ++round) {
            if (round % 100 == 0) v.setProgram(round / 100 % kNumPrograms);
            v.setParameter(QB_Control::kBass + round % QB_Control::kNumGains, static_cast<float>(round % 11) / 10.f);
            v.setParameter(QB_Control::kStyle, static_cast<float>(round % 3) / 2.f);
        }
        v.setParameter(QB_Control::kBass, 0.25f);
        hostDone.store(true, std::memory_order_release);
    });
    ASSERT_TRUE(rig.open());
    while (!hostDone.load(std::memory_order_acquire)) rig.idle(14);
    host.join();
    stop.store(true, std::memory_order_release);
    audio.join();
    rig.idle(14);
    auto* bass = dynamic_cast<QB_HV_Slider*>(rig.editor().slot(QB_Control::kBass));
    ASSERT_NE(bass, nullptr);
    EXPECT_EQ(bass->getValue(), 0.25f);
    EXPECT_EQ(rig.editor().widget(QB_Control::kBasic)->getValue(), v.getParameter(QB_Control::kBasic));
}

// Two producers may post for one parameter in another order than their changes reach the
// processor (a host write and a MIDI change at once): a post that arrives late, with a value
// the processor no longer holds, must not leave the widget away from the processor's value.
TEST(EditorThreads, ALatePostForAHostParameterShowsWhatTheProcessorHolds) {
    EditorRig rig;
    ASSERT_TRUE(rig.open());
    std::thread other([&] {
        rig.vst().setParameter(QB_Control::kBasic, 0.3f);
        rig.editor().setParameter(QB_Control::kBasic, 0.9f);  // the racing producer's stale post
    });
    other.join();
    rig.idle(14);
    EXPECT_EQ(rig.vst().getParameter(QB_Control::kBasic), 0.3f);
    EXPECT_EQ(rig.editor().widget(QB_Control::kBasic)->getValue(), 0.3f);
}

}  // namespace

namespace {

// A host that never calls idle: the editor's keeper thread keeps the window refreshed
// and applies the values other threads set.
TEST(EditorThreads, WithoutIdleTheKeeperThreadRefreshesTheWindowAndCloseStopsIt) {
    EditorRig rig;
    ASSERT_TRUE(rig.openWithKeeper());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (rig.editor().keeperServices() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GT(rig.editor().keeperServices(), 0);
    rig.vst().setParameter(QB_Control::kBass, 1.f);
    float shown = 0.f;
    while (shown != 1.f && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        rig.editor().withWindow([&] { shown = rig.editor().widget(QB_Control::kBass)->getValue(); });
    }
    EXPECT_EQ(shown, 1.f);
    rig.close();
    const int64_t services = rig.editor().keeperServices();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(rig.editor().keeperServices(), services);
}

}  // namespace

namespace {

// An off-screen window that says it runs a timer of its own, as the Win32 one does; the
// test plays that timer.
class TimedWindow : public QB_OffscreenWindow {
public:
    TimedWindow() : QB_OffscreenWindow(540, 529, nullptr) {}
    bool runTimer(uint32_t periodMs, std::function<void()> tick) override {
        period = periodMs;
        this->tick = std::move(tick);
        return true;
    }
    uint32_t period = 0;
    std::function<void()> tick;
};

TEST(EditorThreads, AWindowWithATimerOfItsOwnGetsNoKeeperAndItsTicksServiceTheEditor) {
    EditorRig rig;
    auto window = std::make_unique<TimedWindow>();
    TimedWindow* w = window.get();
    ASSERT_TRUE(rig.openWithKeeper(std::move(window)));
    EXPECT_EQ(w->period, 14u);
    ASSERT_TRUE(w->tick != nullptr);
    // Past the time the keeper waits for idle: no thread of the editor's touches the window.
    std::this_thread::sleep_for(QB_GUI_Editor::kIdleMissing + std::chrono::milliseconds(100));
    EXPECT_EQ(rig.editor().keeperServices(), 0);
    const int64_t ticks = rig.editor().ticksRun();
    w->tick();  // the window's timer, on this thread
    EXPECT_GT(rig.editor().ticksRun(), ticks);
}

}  // namespace
