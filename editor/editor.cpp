#include "editor/editor.h"

#include <cstdio>

#include "editor/control_builder.h"
#include "editor/frame_timer.h"
#include "editor/knob.h"
#include "editor/number_entry.h"
#include "platform/bit_ops.h"
#include "platform/gui/offscreen_window.h"
#include "plugin/control_table.h"
#include "toolkit/option_menu.h"

using namespace VSTGUI;

namespace {

// A key the host passed (effEditKeyDown): its virtual key, else its character.
CKeyEvent keyFromHost(const VstKeyCode& k) {
    CKeyEvent e;
    switch (k.virt) {
        case VKEY_BACK: e.key = QB_Key::backspace; break;
        case VKEY_TAB: e.key = QB_Key::tab; break;
        case VKEY_RETURN:
        case VKEY_ENTER: e.key = QB_Key::enter; break;
        case VKEY_ESCAPE: e.key = QB_Key::escape; break;
        case VKEY_END: e.key = QB_Key::end; break;
        case VKEY_HOME: e.key = QB_Key::home; break;
        case VKEY_LEFT: e.key = QB_Key::left; break;
        case VKEY_UP: e.key = QB_Key::up; break;
        case VKEY_RIGHT: e.key = QB_Key::right; break;
        case VKEY_DOWN: e.key = QB_Key::down; break;
        case VKEY_DELETE: e.key = QB_Key::deleteKey; break;
        case VKEY_SPACE:
            e.key = QB_Key::character;
            e.text[0] = ' ';
            break;
        case 0:
            if (k.character > 0 && k.character < 0x80) {
                e.key = QB_Key::character;
                e.text[0] = static_cast<char>(k.character);
            } else {
                e.key = QB_Key::other;
            }
            break;
        default: e.key = QB_Key::other; break;
    }
    if ((k.modifier & MODIFIER_SHIFT) != 0) e.modifiers |= kShift;
    if ((k.modifier & (MODIFIER_CONTROL | MODIFIER_COMMAND)) != 0) e.modifiers |= kControl;
    if ((k.modifier & MODIFIER_ALTERNATE) != 0) e.modifiers |= kAlt;
    return e;
}

}  // namespace

AEffEditor* qbCreateEditor(QB_DSP_VST* processor) { return new (std::nothrow) QB_GUI_Editor(processor); }

QB_GUI_Editor::QB_GUI_Editor(QB_DSP_VST* processor)
    : AEffEditor(processor),
      processor_(processor),
      table_(kControlTable),
      tableLength_(kControlTableLength),
      created_(std::chrono::steady_clock::now()) {
    for (auto& v : posted_) v.store(0.f, std::memory_order_relaxed);
    background_ = new CBitmap(kControlTable[0].bitmap);
    rect_ = ERect{0, 0, static_cast<VstInt16>(background_->getHeight()), static_cast<VstInt16>(background_->getWidth())};
}

QB_GUI_Editor::~QB_GUI_Editor() {
    close();
    background_->forget();
}

bool QB_GUI_Editor::getRect(ERect** rect) {
    if (rect == nullptr) return false;
    *rect = &rect_;
    return true;
}

CControl* QB_GUI_Editor::widget(int32_t control) const { return dynamic_cast<CControl*>(slot(control)); }

bool QB_GUI_Editor::openIn(void* parent, void* hostDisplay) {
    if (frame_ != nullptr) close();
    if (rect_.right <= 0 || rect_.bottom <= 0) return false;
    std::lock_guard<std::recursive_mutex> ui(uiMutex_);
    editorThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    auto* frame = new CFrame(CRect(0, 0, rect_.right, rect_.bottom), parent, hostDisplay, this);
    systemWindow = parent;
    return finishOpen(frame, true);
}

bool QB_GUI_Editor::openInWindow(std::unique_ptr<QB_Window> window, bool keeper) {
    if (frame_ != nullptr) close();
    if (window == nullptr || rect_.right <= 0 || rect_.bottom <= 0) return false;
    std::lock_guard<std::recursive_mutex> ui(uiMutex_);
    editorThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    auto* frame = new CFrame(CRect(0, 0, rect_.right, rect_.bottom), std::move(window), this);
    systemWindow = frame;
    return finishOpen(frame, keeper);
}

bool QB_GUI_Editor::finishOpen(CFrame* frame, bool keeper) {
    if (!frame->isOpen()) {
        frame->forget();
        systemWindow = nullptr;
        editorThread_.store(std::thread::id(), std::memory_order_relaxed);
        return false;
    }
    frame->setBackground(background_);
    state().setEditorBuilding(true);
    postedBits_.store(0, std::memory_order_relaxed);  // the values pushed below are newer
    postedProgramBits_.store(0, std::memory_order_relaxed);
    for (auto& s : slots_) s = nullptr;
    for (auto& c : containers_) c = nullptr;
    state().setGlobalNumberDisplayIndex(0);
    state().setGlobalNameDisplayIndex(0);
    state().setGlobalDisplayTag(0);
    QB_ControlBuilder(this, table_, tableLength_).build(frame, 1);
    tooltips_ = std::make_unique<CTooltipSupport>(frame);
    frame_ = frame;
    // Knobs and buttons of the controls beyond the host parameters (Bypass) show the
    // processor's value too: no link brings it, and a reopened window would show them off.
    for (int32_t k = kNumParams; k < kNumControls; ++k)
        if (auto* knob = dynamic_cast<QB_Knob*>(slot(k)))
            knob->setValue(qbNormalised(k, processor_->controlValue(k) * 10.f));
    for (int32_t i = 0; i < kNumParams; ++i) applyParameter(i, processor_->getParameter(i));
    state().setEditorBuilding(false);
    const auto now = std::chrono::steady_clock::now();
    timer_ = std::make_unique<QB_Frame_Timer>(this, now);
    opened_ = now;
    ticks_ = 0;
    // Draw at once: a host may take a while to call idle the first time.
    doIdleStuff();
    frame_->redrawDirty();
    lastHostService_.store(now.time_since_epoch().count(), std::memory_order_relaxed);
    keeperServices_.store(0, std::memory_order_relaxed);
    // A window whose system times it on the editor's thread needs no keeper: the window's
    // own timer services it there, host idle or not.
    const bool ownTimer = keeper && frame_->window()->runTimer(static_cast<uint32_t>(QB_Frame_Timer::kPeriod.count()),
                                                               [this] { service(std::chrono::steady_clock::now()); });
    if (keeper && !ownTimer) {
        keeperStop_ = false;
        keeper_ = std::thread([this] { keeperLoop(); });
    }
    return true;
}

void QB_GUI_Editor::keeperLoop() {
    std::unique_lock<std::mutex> wait(keeperMutex_);
    while (!keeperWake_.wait_for(wait, QB_Frame_Timer::kPeriod, [this] { return keeperStop_; })) {
        const auto now = std::chrono::steady_clock::now();
        const auto last = std::chrono::steady_clock::time_point(
            std::chrono::steady_clock::duration(lastHostService_.load(std::memory_order_relaxed)));
        if (now - last < kIdleMissing) continue;
        wait.unlock();
        {
            std::lock_guard<std::recursive_mutex> ui(uiMutex_);
            if (frame_ != nullptr) {
                editorThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
                serviceLocked(now);
                keeperServices_.fetch_add(1, std::memory_order_relaxed);
            }
        }
        wait.lock();
    }
}

void QB_GUI_Editor::stopKeeper() {
    if (!keeper_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(keeperMutex_);
        keeperStop_ = true;
    }
    keeperWake_.notify_all();
    keeper_.join();
}

bool QB_GUI_Editor::writeSnapshot(const char* path) {
    if (path == nullptr || frame_ != nullptr) return false;
    auto window = std::make_unique<QB_OffscreenWindow>(rect_.right, rect_.bottom, nullptr);
    QB_OffscreenWindow* w = window.get();
    if (!openInWindow(std::move(window))) return false;
    const bool written = w->canvas().writePng(path);
    close();
    return written;
}

void QB_GUI_Editor::close() {
    stopKeeper();  // before the lock: the keeper may be waiting for it
    std::lock_guard<std::recursive_mutex> ui(uiMutex_);
    timer_.reset();  // no refresh tick after this
    if (frame_ != nullptr) {
        tooltips_.reset();
        CFrame* f = frame_;
        frame_ = nullptr;
        f->forget();  // destroys every widget, nested container and the window
    }
    for (auto& s : slots_) s = nullptr;
    for (auto& c : containers_) c = nullptr;
    systemWindow = nullptr;
    editorThread_.store(std::thread::id(), std::memory_order_relaxed);
}

void QB_GUI_Editor::idle() { service(std::chrono::steady_clock::now()); }

void QB_GUI_Editor::service(std::chrono::steady_clock::time_point now) {
    lastHostService_.store(std::chrono::steady_clock::now().time_since_epoch().count(), std::memory_order_relaxed);
    std::lock_guard<std::recursive_mutex> ui(uiMutex_);
    editorThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
    serviceLocked(now);
}

void QB_GUI_Editor::serviceLocked(std::chrono::steady_clock::time_point now) {
    if (frame_ == nullptr || timer_ == nullptr) return;
    frame_->pumpEvents();
    if (frame_ == nullptr) return;  // an event may not close the window, but be safe
    applyPosted();
    timer_->service(now);
    frame_->redrawDirty();
}

void QB_GUI_Editor::doIdleStuff() {
    if (frame_ == nullptr || !frame_->isOpen()) return;
    for (CView* w : slots_)
        if (w != nullptr) w->idle();
    if (tooltips_ != nullptr) tooltips_->idle();
    ++ticks_;
}

void QB_GUI_Editor::setParameter(VstInt32 index, float value) {
    if (index < 0 || index >= kNumControls) return;
    if (onEditorThread()) {
        std::lock_guard<std::recursive_mutex> ui(uiMutex_);
        applyParameter(index, value);
        return;
    }
    // Another thread (the host's parameter thread, the audio thread): store it for the
    // editor's thread. Lock-free, no allocation.
    const uint64_t bit = uint64_t{1} << index;
    posted_[index].store(value, std::memory_order_relaxed);
    if (state().programChanging()) postedProgramBits_.fetch_or(bit, std::memory_order_relaxed);
    else postedProgramBits_.fetch_and(~bit, std::memory_order_relaxed);
    postedBits_.fetch_or(bit, std::memory_order_release);
}

void QB_GUI_Editor::applyPosted() {
    uint64_t bits = postedBits_.exchange(0, std::memory_order_acquire);
    const uint64_t program = postedProgramBits_.exchange(0, std::memory_order_relaxed);
    while (bits != 0) {
        const int32_t k = qbLowestSetBit(bits);
        bits &= bits - 1;
        applyingProgram_ = (program >> k & 1u) != 0;
        // A host parameter shows what the processor holds, not the value posted: the host
        // and the audio thread (MIDI) may post for one parameter at once, in another order
        // than their changes reach the processor, and the widget must end where it does.
        applyParameter(k, k < kNumParams ? processor_->getParameter(k) : posted_[k].load(std::memory_order_relaxed));
    }
    applyingProgram_ = false;
}

void QB_GUI_Editor::applyParameter(int32_t index, float value) {
    if (frame_ == nullptr) return;
    if (CControl* w = widget(index)) w->setValue(value);
}

void QB_GUI_Editor::showInGlobalDisplays(int32_t control, float value) {
    if (auto* number = dynamic_cast<QB_GlobalNumberDisplay*>(slot(state().globalNumberDisplayIndex()))) {
        number->show(control);
        number->setValue(value);
    }
    if (auto* name = dynamic_cast<QB_GlobalNameDisplay*>(slot(state().globalNameDisplayIndex()))) name->show(control);
}

void QB_GUI_Editor::forwardToGlobalDisplay(int32_t control, float value) {
    const int32_t display = state().globalNumberDisplayIndex();
    if (display == 0 || control != state().globalDisplayTag()) return;
    if (CControl* d = widget(display)) d->setValue(value);
    // The name display too: it forgets the control when a program change or an open
    // pushes the value.
    if (CControl* n = widget(state().globalNameDisplayIndex())) n->setValue(value);
}

void QB_GUI_Editor::beginEdit(int32_t index) {
    // The host knows only its parameters; the other controls never reach it.
    if (index >= 0 && index < kNumParams) processor_->beginEdit(index);
}

void QB_GUI_Editor::endEdit(int32_t index) {
    if (index >= 0 && index < kNumParams) processor_->endEdit(index);
}

void QB_GUI_Editor::valueChanged(CControl* control) {
    if (control != nullptr) processor_->setParameterAutomated(control->getTag(), control->getValue());
}

void QB_GUI_Editor::openMidiLearnMenu(CControl* control, const CPoint& where) {
    if (frame_ == nullptr || control == nullptr) return;
    const int32_t n = control->getTag();
    if (n < 0 || n >= kNumParams) return;
    const int32_t assigned = processor_->getMidiController(n);
    auto* menu = new COptionMenu(CRect(where.x, where.y, where.x, where.y), nullptr, 0);
    menu->setMenuStyle(26);
    menu->addEntry("None");
    for (int cc = 0; cc < 128; ++cc) {
        char text[16];
        std::snprintf(text, sizeof text, "CC %d", cc);
        menu->addEntry(text);
    }
    menu->checkEntry(assigned + 1, true);
    QB_DSP_VST* processor = processor_;
    menu->popup(frame_, where, [processor, n](int32_t chosen) {
        // Dismissed: nothing changes. "None" stores -1, "CC k" stores k.
        if (chosen >= 0) processor->setMidiController(n, chosen - 1);
    });
    menu->forget();
}

bool QB_GUI_Editor::onKeyDown(VstKeyCode& keyCode) {
    std::lock_guard<std::recursive_mutex> ui(uiMutex_);
    if (frame_ == nullptr) return false;
    return frame_->onKey(keyFromHost(keyCode));
}

bool QB_GUI_Editor::onKeyUp(VstKeyCode& keyCode) { return false; }

bool QB_GUI_Editor::onWheel(float distance) {
    std::lock_guard<std::recursive_mutex> ui(uiMutex_);
    if (frame_ == nullptr) return false;
    CView* under = frame_->viewAt(frame_->mousePosition(), 0);
    return under != nullptr && under->onWheel(qbToParentCoordinates(under, frame_->mousePosition()), distance, 0);
}
