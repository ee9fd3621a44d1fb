#include "support/editor_rig.h"

namespace {
thread_local EditorRig* tlsRig = nullptr;

VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
    if (opcode == audioMasterVersion) return 2400;
    if (tlsRig != nullptr && (opcode == audioMasterAutomate || opcode == audioMasterBeginEdit ||
                              opcode == audioMasterEndEdit))
        tlsRig->calls.push_back({opcode, index, opt});
    return 0;
}
}  // namespace

EditorRig::EditorRig() : clock_(std::chrono::steady_clock::now()) {
    tlsRig = this;
    vst_.reset(new QB_DSP_VST(recordingHost, qbCreateEditor));
    editor_ = dynamic_cast<QB_GUI_Editor*>(vst_->getEditor());
    vst_->setSampleRate(44100.f);
    vst_->setBlockSize(512);
    vst_->resume();
}

EditorRig::~EditorRig() {
    vst_.reset();
    tlsRig = nullptr;
}

bool EditorRig::open() { return openWith(false); }
bool EditorRig::openWithKeeper() { return openWith(true); }

bool EditorRig::openWithKeeper(std::unique_ptr<QB_OffscreenWindow> window) {
    return openWith(true, std::move(window));
}

bool EditorRig::openWith(bool keeper, std::unique_ptr<QB_OffscreenWindow> window) {
    if (window == nullptr) window = std::make_unique<QB_OffscreenWindow>(540, 529, nullptr);
    QB_OffscreenWindow* w = window.get();
    if (editor_ == nullptr || !editor_->openInWindow(std::move(window), keeper)) return false;
    window_ = w;
    clock_ = editor_->openedAt();  // the frame timer counts from the open, however slow it was
    return true;
}

void EditorRig::idle(int ms) {
    clock_ += std::chrono::milliseconds(ms);
    editor_->service(clock_);
}

void EditorRig::inject(QB_InputEvent::Type type, int x, int y, uint32_t buttons) {
    QB_InputEvent e;
    e.type = type;
    e.x = x;
    e.y = y;
    e.buttons = buttons;
    window_->inject(e);
    idle(0);
}

void EditorRig::press(int x, int y, uint32_t buttons) { inject(QB_InputEvent::Type::mouseDown, x, y, buttons); }
void EditorRig::move(int x, int y, uint32_t buttons) { inject(QB_InputEvent::Type::mouseMove, x, y, buttons); }
void EditorRig::release(int x, int y, uint32_t buttons) { inject(QB_InputEvent::Type::mouseUp, x, y, buttons); }

void EditorRig::click(int x, int y, uint32_t buttons) {
    press(x, y, buttons);
    release(x, y, buttons & ~(kQbLeftButton | kQbMiddleButton | kQbRightButton | kQbDoubleClick));
}

void EditorRig::type(const std::string& text) {
    for (char c : text) {
        QB_InputEvent e;
        e.type = QB_InputEvent::Type::keyDown;
        e.key = QB_Key::character;
        e.text[0] = c;
        window_->inject(e);
    }
    idle(0);
}

void EditorRig::key(QB_Key k, uint32_t modifiers) {
    QB_InputEvent e;
    e.type = QB_InputEvent::Type::keyDown;
    e.key = k;
    e.buttons = modifiers;
    window_->inject(e);
    idle(0);
}

uint32_t EditorRig::pixel(int x, int y) {
    const std::vector<uint32_t> p = window_->canvas().pixels();
    return p[static_cast<size_t>(y) * 540 + static_cast<size_t>(x)];
}

bool EditorRig::savePng(const std::string& path) { return window_->canvas().writePng(path.c_str()); }

std::vector<HostCall> EditorRig::callsOf(VstInt32 opcode) const {
    std::vector<HostCall> out;
    for (const HostCall& c : calls)
        if (c.opcode == opcode) out.push_back(c);
    return out;
}
