// What the editor window costs on its thread, off-screen (the drawing is the same as in
// a host's window; only the upload differs): opening it, a host idle at 30 Hz while
// nothing changes, an idle while a slider sweeps, and the memory one open window holds.
// The thread's load at 30 Hz is 30 x the time per idle.
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <memory>

#include "editor/editor.h"
#include "platform/gui/offscreen_window.h"
#include "plugin/parameters.h"

namespace {

VstIntPtr quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct OpenEditor {
    OpenEditor() : vst(new QB_DSP_VST(quietHost, qbCreateEditor)) {
        editor = dynamic_cast<QB_GUI_Editor*>(vst->getEditor());
        editor->openInWindow(std::make_unique<QB_OffscreenWindow>(540, 529, nullptr));
        clock = std::chrono::steady_clock::now();
    }
    // One host idle, the clock moved on by ms.
    void idle(int ms) {
        clock += std::chrono::milliseconds(ms);
        editor->service(clock);
    }
    std::unique_ptr<QB_DSP_VST> vst;
    QB_GUI_Editor* editor = nullptr;
    std::chrono::steady_clock::time_point clock;
};

void BM_EditorOpenAndClose(benchmark::State& state) {
    std::unique_ptr<QB_DSP_VST> vst(new QB_DSP_VST(quietHost, qbCreateEditor));
    auto* editor = dynamic_cast<QB_GUI_Editor*>(vst->getEditor());
    size_t held = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        editor->openInWindow(std::make_unique<QB_OffscreenWindow>(540, 529, nullptr));
        held = mallinfo2().uordblks - before;
        editor->close();
    }
    state.counters["open_window_bytes"] = static_cast<double>(held);
}
BENCHMARK(BM_EditorOpenAndClose)->Unit(benchmark::kMillisecond);

// A 30 Hz host idle with nothing changing: pumps, ticks, finds nothing dirty.
void BM_EditorIdleUnchanged30Hz(benchmark::State& state) {
    OpenEditor e;
    for (int i = 0; i < 100; ++i) e.idle(33);  // glides and animations at rest
    for (auto _ : state) e.idle(33);
}
BENCHMARK(BM_EditorIdleUnchanged30Hz)->Unit(benchmark::kMicrosecond);

// A 30 Hz host idle while the host sweeps a gain slider: the head and its readout redraw.
void BM_EditorIdleWhileASliderSweeps30Hz(benchmark::State& state) {
    OpenEditor e;
    float x = 0.f;
    for (auto _ : state) {
        x = x >= 1.f ? 0.f : x + 0.01f;
        e.vst->setParameter(QB_Control::kBass, x);
        e.idle(33);
    }
}
BENCHMARK(BM_EditorIdleWhileASliderSweeps30Hz)->Unit(benchmark::kMicrosecond);

// The same in a real child window of a parent made on the X display (DISPLAY), with the
// upload: opening, and a 30 Hz idle unchanged and while a slider sweeps.
struct X11Parent {
    X11Parent() {
        // A server busy with many connections refuses one for a moment: try again.
        for (int attempt = 0; attempt < 20 && display == nullptr; ++attempt) {
            display = XOpenDisplay(nullptr);
            if (display == nullptr) usleep(10000);
        }
        if (display == nullptr) return;
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 540, 529, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
    }
    ~X11Parent() {
        if (display == nullptr) return;
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }
    void* id() const { return reinterpret_cast<void*>(parent); }
    Display* display = nullptr;
    Window parent = 0;
};

// A processor with its (closed) editor beside a parent window, or nothing (the benchmark
// then skips) without a display.
struct X11Rig {
    explicit X11Rig(benchmark::State& state) {
        if (host.display == nullptr) {
            state.SkipWithError("no X display");
            return;
        }
        vst.reset(new QB_DSP_VST(quietHost, qbCreateEditor));
        editor = dynamic_cast<QB_GUI_Editor*>(vst->getEditor());
    }
    X11Parent host;
    std::unique_ptr<QB_DSP_VST> vst;
    QB_GUI_Editor* editor = nullptr;
};

void BM_EditorInX11OpenAndClose(benchmark::State& state) {
    X11Rig rig(state);
    if (rig.editor == nullptr) return;
    for (auto _ : state) {
        rig.editor->openIn(rig.host.id(), rig.host.display);
        rig.editor->close();
    }
}
BENCHMARK(BM_EditorInX11OpenAndClose)->Unit(benchmark::kMillisecond);

void BM_EditorInX11Idle30Hz(benchmark::State& state) {
    X11Rig rig(state);
    if (rig.editor == nullptr) return;
    QB_GUI_Editor* editor = rig.editor;
    QB_DSP_VST* vst = rig.vst.get();
    editor->openIn(rig.host.id(), rig.host.display);
    auto clock = std::chrono::steady_clock::now();
    const bool sweep = state.range(0) != 0;
    float x = 0.f;
    for (int i = 0; i < 100; ++i) editor->service(clock += std::chrono::milliseconds(33));
    for (auto _ : state) {
        if (sweep) {
            x = x >= 1.f ? 0.f : x + 0.01f;
            vst->setParameter(QB_Control::kBass, x);
        }
        editor->service(clock += std::chrono::milliseconds(33));
    }
    editor->close();
}
BENCHMARK(BM_EditorInX11Idle30Hz)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
