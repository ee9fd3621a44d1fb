// A font description: family and size in pixels, shared by reference.
#pragma once

#include <string>

#include "platform/gui/canvas.h"
#include "toolkit/reference.h"

namespace VSTGUI {

class CFontDesc : public CBaseObject {
public:
    CFontDesc(const char* family, double size, bool bold = false)
        : family_(family != nullptr ? family : "Arial"), size_(size), bold_(bold) {}

    const char* getName() const { return family_.c_str(); }
    double getSize() const { return size_; }
    QB_Font font() const { return QB_Font{family_.c_str(), size_, bold_}; }

private:
    ~CFontDesc() override = default;
    std::string family_;
    double size_;
    bool bold_;
};

}  // namespace VSTGUI
