// Two passive views: QB_GUI_Image shows one frame of a strip, changed by frame commands
// through its links and faded in or out; QB_GUI_TextOnly is a fixed text.
#pragma once

#include <string>

#include "editor/link_message.h"
#include "toolkit/font.h"
#include "toolkit/view.h"

constexpr int32_t kImageNextFrame = 100;
constexpr int32_t kImagePreviousFrame = 101;
constexpr int32_t kImageFade = 102;
constexpr int32_t kImageFrameByValue = 103;
constexpr int32_t kImageFrame = 104;

class QB_GUI_Image : public VSTGUI::CView {
public:
    // frames: how many frames the strip holds; visible: shown and opaque from the start.
    QB_GUI_Image(const VSTGUI::CRect& size, VSTGUI::CBitmap* bitmap, int32_t frames, bool visible);

    void notify(VSTGUI::CView* sender, const void* message) override;
    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where, const int32_t& buttons) override;
    void idle() override;
    void setDrawOffset(const VSTGUI::CPoint& offset) { offset_ = offset; invalid(); }
    int32_t frame() const { return frame_; }
    int32_t alpha() const { return alpha_; }

private:
    void setFrame(int32_t frame);

    VSTGUI::CCoord frameHeight_;
    int32_t lastFrame_;
    int32_t frame_ = 0;
    int32_t lastPushed_ = -1;
    VSTGUI::CPoint offset_;
    int32_t alpha_;
    float fadeStep_ = 0.f;
    QB_LinkList<8> links_;
};

class QB_GUI_TextOnly : public VSTGUI::CView {
public:
    QB_GUI_TextOnly(const VSTGUI::CRect& size, const char* text);
    ~QB_GUI_TextOnly() override;

    void draw(VSTGUI::CDrawContext* context) override;
    bool hitTest(const VSTGUI::CPoint&, const int32_t&) override { return false; }
    void setStyle(VSTGUI::CFontDesc* font, const VSTGUI::CColor& fontColour, const VSTGUI::CColor& frameColour,
                  const VSTGUI::CColor& backColour);
    void setText(const char* text) { text_ = text != nullptr ? text : ""; invalid(); }
    const std::string& text() const { return text_; }

private:
    std::string text_;
    VSTGUI::CFontDesc* font_ = nullptr;
    VSTGUI::CColor fontColour_ = VSTGUI::kWhiteCColor;
    VSTGUI::CColor frameColour_ = VSTGUI::kTransparentCColor;
    VSTGUI::CColor backColour_ = VSTGUI::kTransparentCColor;
};
