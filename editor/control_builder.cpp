#include "editor/control_builder.h"

#include <cctype>
#include <cstring>
#include <string>

#include "editor/anim_button.h"
#include "editor/button_hub.h"
#include "editor/editor.h"
#include "editor/hv_slider.h"
#include "editor/image_views.h"
#include "editor/knob.h"
#include "editor/number_entry.h"
#include "editor/on_off_button.h"
#include "editor/options.h"
#include "plugin/control_kinds.h"

using namespace VSTGUI;

int32_t qbCountOptions(const char* options) {
    int32_t n = 0;
    for (const char* p = options; p != nullptr && *p != '\0'; ++p)
        if (*p == ',') ++n;
    return n;
}

std::string qbOptionEntry(const char* options, int32_t i) {
    const char* p = options;
    for (int32_t k = 0; p != nullptr && k < i; ++k) {
        p = std::strchr(p, ',');
        if (p != nullptr) ++p;
    }
    if (p == nullptr) return {};
    const char* end = std::strchr(p, ',');
    return end != nullptr ? std::string(p, end) : std::string(p);
}

namespace {

CColor colourAt(int32_t index) {
    if (index < 0 || index >= 16) return kTransparentCColor;
    const uint8_t* c = kControlColours[index];
    return CColor{c[0], c[1], c[2], c[3]};
}

bool hasBitmap(const QB_ControlDescriptor& d) { return d.bitmap != nullptr && d.bitmap[0] != '\0'; }

// A frame strip's geometry: frames (override, or as many square frames as the strip
// holds) and the height of one. A missing or empty bitmap gives one frame of height 0.
void stripGeometry(const CBitmap* b, int32_t override, int32_t& frames, CCoord& frameHeight) {
    const CCoord w = b != nullptr ? b->getWidth() : 0, h = b != nullptr ? b->getHeight() : 0;
    frames = override > 0 ? override : (w > 0 ? h / w : 0);
    if (frames <= 0) frames = 1;
    frameHeight = h / frames;
}

}  // namespace

QB_ControlBuilder::QB_ControlBuilder(QB_GUI_Editor* editor, const QB_ControlDescriptor* table, int32_t length)
    : editor_(editor), table_(table), length_(length) {}

QB_ControlBuilder::~QB_ControlBuilder() {
    if (font_ != nullptr) font_->forget();
    for (auto& named : bitmaps_) named.second->forget();
}

CBitmap* QB_ControlBuilder::bitmapOf(const QB_ControlDescriptor& d) {
    if (!hasBitmap(d)) return nullptr;
    // Widgets that name the same image share one decoded bitmap.
    std::string key = d.bitmap;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto it = bitmaps_.find(key);
    if (it == bitmaps_.end()) it = bitmaps_.emplace(key, new CBitmap(d.bitmap)).first;
    it->second->remember();  // the caller's reference, released after handing it on
    return it->second;
}

void QB_ControlBuilder::styleText(CControl* widget, int16_t kind) {
    auto* display = dynamic_cast<CParamDisplay*>(widget);
    if (display == nullptr) return;
    if (font_ != nullptr) display->setFont(font_);
    display->setFontColor(fontColour_);
    display->setBackColor(backColour_);
    display->setFrameColor(frameColour_);
    if (kind == QB_Kind::kOptionsText) display->setHoriAlign(kCenterText);
}

CControl* QB_ControlBuilder::makeControl(const QB_ControlDescriptor& d, int32_t control) {
    using namespace QB_Kind;
    const int16_t kind = d.kind;
    const CCoord x = d.x, y = d.y;
    CBitmap* bitmap = bitmapOf(d);
    const CCoord bw = bitmap != nullptr ? bitmap->getWidth() : 0, bh = bitmap != nullptr ? bitmap->getHeight() : 0;
    const CRect half(x, y, x + bw, y + bh / 2);
    const CRect text = bitmap != nullptr ? CRect(x, y, x + bw, y + bh) : CRect(x, y, x + textWidth_, y + textHeight_);
    const CRect defaultText(x, y, x + textWidth_, y + textHeight_);
    CControl* w = nullptr;
    int32_t frames = 1;
    CCoord frameHeight = 0;

    if (kind == kKnob || kind == kSpringKnob) {
        stripGeometry(bitmap, knobFrames_, frames, frameHeight);
        w = new QB_Knob(CRect(x, y, x + bw, y + frameHeight), editor_, control, frames, frameHeight, bitmap,
                        kind - kKnob);
    } else if (kind == kRotateKnob || kind == kRotateKnob + 1) {
        stripGeometry(bitmap, rotateFrames_, frames, frameHeight);
        w = new QB_Rotate_Knob(CRect(x, y, x + bw, y + frameHeight), editor_, control, frames, bitmap, angleStart_,
                               angleEnd_, rotateSpeed_, kind - kRotateKnob);
    } else if (kind == kSlider || kind == kSpringSlider) {
        w = new QB_HV_Slider(CRect(x, y, x + sliderWidth_, y + sliderHeight_), editor_, control, bitmap,
                             sliderVertical_, kind - kSlider);
    } else if (kind >= kAnimButton && kind <= kLastAnimButton) {
        stripGeometry(bitmap, animFrames_, frames, frameHeight);
        w = new QB_AnimButton(CRect(x, y, x + bw, y + frameHeight), editor_, control, frames, frameHeight, bitmap,
                              animSpeed_, kind - kAnimButton);
    } else if (kind >= kToggleButton && kind <= kSelectButton) {
        w = new QB_COnOffButton(half, editor_, control, bitmap, kind - kToggleButton);
    } else if (kind == kButtonHub) {
        w = new QB_GUI_Multi_Button_Hub(editor_, control);
        qbControlMaps().setOptionCount(control, static_cast<int16_t>(qbCountOptions(d.options)));
    } else if (kind == kExclusiveButton || kind == kExclusiveButtonKeepOne) {
        w = new QB_ExclusiveButton(half, editor_, control, bitmap, kind == kExclusiveButton);
    } else if (kind == kOptionsText) {
        w = new QB_COptionsText(text, editor_, control, d.options, bitmap);
        qbControlMaps().setOptionCount(control, static_cast<int16_t>(qbCountOptions(d.options)));
    } else if (kind >= kOptionsImage && kind <= kLastOptionsImage) {
        const int32_t n = qbCountOptions(d.options);
        if (animFrames_ == 0) animFrames_ = n;
        stripGeometry(bitmap, animFrames_, frames, frameHeight);
        const bool animated = kind >= kOptionsImage + 2;
        w = new QB_COptionsImage(CRect(x, y, x + bw, y + frameHeight), editor_, control, d.options, bitmap, frames,
                                 animated ? kind - (kOptionsImage + 2) : 1, animated ? animSpeed_ : 1.f,
                                 animated && animControl_ != 0, (kind % 2) != 0, angleStart_, angleEnd_);
        qbControlMaps().setOptionCount(control, static_cast<int16_t>(n));
    } else if (kind >= kNumberEntry && kind <= kLastNumberEntry) {
        w = new QB_CNumberEntry(text, editor_, control, kind - kNumberEntry);
    } else if (kind == kGlobalNumberDisplay) {
        w = new QB_GlobalNumberDisplay(defaultText, editor_, control);
        editor_->state().setGlobalNumberDisplayIndex(control);
    } else if (kind == kGlobalNameDisplay) {
        w = new QB_GlobalNameDisplay(defaultText, editor_, control);
        editor_->state().setGlobalNameDisplayIndex(control);
    }
    if (bitmap != nullptr) bitmap->forget();  // the widget keeps its own reference
    if (w == nullptr) return nullptr;
    if (kind == kOptionsText || (kind >= kNumberEntry && kind <= kGlobalNameDisplay)) styleText(w, kind);
    return w;
}

void QB_ControlBuilder::directive(const QB_ControlDescriptor& d, int32_t control, CViewContainer* container,
                                  int32_t& record) {
    using namespace QB_Kind;
    switch (d.kind) {
        case kLinkPartners:
            if (auto* b = dynamic_cast<QB_ExclusiveButton*>(editor_->slot(control)))
                for (int32_t p : {static_cast<int32_t>(d.aux), static_cast<int32_t>(d.x), static_cast<int32_t>(d.y)})
                    if (p != -1) b->addPartner(p);
            break;
        case kLinkContainers:
            if (auto* b = dynamic_cast<QB_ExclusiveButton*>(editor_->slot(control)))
                for (int32_t c : {static_cast<int32_t>(d.aux), static_cast<int32_t>(d.x), static_cast<int32_t>(d.y)})
                    if (c >= 0 && c < QB_GUI_Editor::kMaxContainers) b->addContainer(editor_->containers_[c]);
            break;
        case kOneWayLink:
        case kTwoWayLink: {
            CView* self = editor_->slot(control);
            CView* other = editor_->slot(d.x);
            if (self == nullptr || other == nullptr) break;
            qbSendLink(self, other, kLinkRegister, d.aux, 0.f);
            if (d.kind == kTwoWayLink) qbSendLink(other, self, kLinkRegister, d.aux, 0.f);
            break;
        }
        case kNumberPairing: {
            auto* entry = dynamic_cast<QB_CNumberEntry*>(editor_->slot(control));
            if (entry == nullptr) break;
            entry->setSource(d.aux);
            const int32_t source = d.aux >= 0 && d.aux < kNumControls ? d.aux : 0;
            const int16_t sourceKind = kControlTable[qbControlMaps().parameterEntry[source]].kind;
            if (sourceKind >= kKnob && sourceKind <= kSpringSlider)
                if (auto* knob = dynamic_cast<QB_Knob*>(editor_->slot(source))) knob->setPairedEntry(control);
            break;
        }
        case kTextStyle:
            textWidth_ = d.x;
            textHeight_ = d.y;
            fontColour_ = colourAt(d.aux);
            backColour_ = colourAt(d.aux + 1);
            frameColour_ = colourAt(d.aux + 2);
            break;
        case kKnobFrames: knobFrames_ = d.x; break;
        case kAnimSettings:
            animControl_ = control;
            animFrames_ = rotateFrames_ = d.aux;
            angleStart_ = d.x;
            angleEnd_ = d.y;
            animSpeed_ = rotateSpeed_ = d.min;
            break;
        case kSliderSettings:
            sliderWidth_ = d.x;
            sliderHeight_ = d.y;
            sliderVertical_ = d.aux;
            break;
        case kContainerSettings:
            containerX_ = d.x;
            containerY_ = d.y;
            containerFlag_ = d.aux;
            containerSpeed_ = d.min;
            break;
        case kFont:
            if (font_ != nullptr) font_->forget();
            font_ = new CFontDesc(d.bitmap != nullptr && d.bitmap[0] != '\0' ? d.bitmap : "Arial", 12.0);
            break;
        case kContainer:
        case kHiddenContainer: {
            CBitmap* bitmap = bitmapOf(d);
            const CCoord w = bitmap != nullptr ? bitmap->getWidth() : 0, h = bitmap != nullptr ? bitmap->getHeight() : 0;
            auto* nested = new CViewContainer(CRect(d.x, d.y, d.x + w, d.y + h));
            nested->setBackground(bitmap);
            if (bitmap != nullptr) bitmap->forget();
            if (d.kind == kHiddenContainer || containerFlag_ != 0) nested->setVisible(false);
            container->addView(nested);
            if (control >= 0 && control < QB_GUI_Editor::kMaxContainers) editor_->containers_[control] = nested;
            record = build(nested, record + 1);  // continues after its kind 75 record
            break;
        }
        default:
            break;  // other directives create nothing
    }
}

int32_t QB_ControlBuilder::build(CViewContainer* container, int32_t first) {
    int32_t r = first;
    for (; r < length_; ++r) {
        const QB_ControlDescriptor& d = table_[r];
        if (d.kind >= QB_Kind::kEndOfTable) return r;
        if (d.kind == QB_Kind::kEndOfContainer) return r;
        const int32_t control = d.controlNumber() < kNumControls ? d.controlNumber() : 0;
        if (d.kind >= QB_Kind::kFirstDirective) {
            directive(d, control, container, r);
            continue;
        }
        CView* view = nullptr;
        if (d.kind == QB_Kind::kImage) {
            CBitmap* bitmap = bitmapOf(d);
            const int32_t frames = d.aux > 0 ? d.aux : 1;
            const CCoord w = bitmap != nullptr ? bitmap->getWidth() : 0;
            const CCoord h = bitmap != nullptr ? bitmap->getHeight() / frames : 0;
            view = new QB_GUI_Image(CRect(d.x, d.y, d.x + w, d.y + h), bitmap, frames, d.min != 0.f);
            if (bitmap != nullptr) bitmap->forget();
        } else if (d.kind == QB_Kind::kTextOnly) {
            auto* t = new QB_GUI_TextOnly(CRect(d.x, d.y, d.x + textWidth_, d.y + textHeight_), d.options);
            t->setStyle(font_, fontColour_, frameColour_, backColour_);
            view = t;
        } else if (CControl* c = makeControl(d, control)) {
            c->setListener(editor_);
            c->setTag(control);
            view = c;
        }
        if (view == nullptr) continue;
        if (d.tooltip != nullptr && d.kind != QB_Kind::kButtonHub)
            view->setAttribute(kCViewTooltipAttribute, d.tooltip, static_cast<int32_t>(std::strlen(d.tooltip)) + 1);
        editor_->slots_[control] = view;
        container->addView(view);
    }
    return r;
}
