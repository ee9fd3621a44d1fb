// A text on a coloured ground: a value turned into text, or a text set directly, drawn
// with a font, a font colour, a back colour and a frame colour.
#pragma once

#include <string>

#include "toolkit/control.h"
#include "toolkit/font.h"

namespace VSTGUI {

enum CParamDisplayStyle : int32_t {
    kNoFrame = 1 << 0,
    kNoTextStyle = 1 << 1,
    kNoDrawStyle = 1 << 2,
};

class CParamDisplay : public CControl {
public:
    // Turns a value into the text shown (at most 255 bytes).
    using StringConvert = void (*)(float value, char* text, void* user);

    CParamDisplay(const CRect& size, CBitmap* background = nullptr, int32_t style = 0);

    void setFont(CFontDesc* font);
    CFontDesc* getFont() const { return font_; }
    void setFontColor(const CColor& c) { fontColor_ = c; invalid(); }
    const CColor& getFontColor() const { return fontColor_; }
    void setBackColor(const CColor& c) { backColor_ = c; invalid(); }
    const CColor& getBackColor() const { return backColor_; }
    void setFrameColor(const CColor& c) { frameColor_ = c; invalid(); }
    const CColor& getFrameColor() const { return frameColor_; }
    void setHoriAlign(CHoriTxtAlign a) { align_ = a; invalid(); }
    void setStyle(int32_t style) { style_ = style; invalid(); }
    int32_t getStyle() const { return style_; }
    void setStringConvert(StringConvert convert, void* user = nullptr) {
        convert_ = convert;
        user_ = user;
    }

    void draw(CDrawContext* context) override;

protected:
    ~CParamDisplay() override;
    // The text to draw: the converted value, or text_ when there is no converter.
    virtual std::string displayText() const;
    // Back, frame and text, with the text given.
    void drawWithText(CDrawContext* context, const char* text);

    CFontDesc* font_ = nullptr;
    CColor fontColor_ = kWhiteCColor;
    CColor backColor_ = kBlackCColor;
    CColor frameColor_ = kGreyCColor;
    CHoriTxtAlign align_ = kCenterText;
    int32_t style_;
    StringConvert convert_ = nullptr;
    void* user_ = nullptr;
    std::string text_;
};

}  // namespace VSTGUI
