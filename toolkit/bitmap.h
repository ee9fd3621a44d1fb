// A picture decoded from one of the library's embedded PNG images, shared by reference.
#pragma once

#include <memory>

#include "platform/gui/canvas.h"
#include "toolkit/geometry.h"
#include "toolkit/reference.h"

namespace VSTGUI {

class CBitmap : public CBaseObject {
public:
    // Decodes the "PNG" resource of that name (compared without regard to case). A name
    // that finds nothing, or data that is no PNG, gives a bitmap of size 0 x 0.
    explicit CBitmap(const char* resourceName);

    CCoord getWidth() const { return image_ != nullptr ? image_->width() : 0; }
    CCoord getHeight() const { return image_ != nullptr ? image_->height() : 0; }
    bool isLoaded() const { return image_ != nullptr; }
    // Alpha 0..255 of the pixel at (x, y) of the picture; 0 outside it.
    uint8_t alphaAt(CCoord x, CCoord y) const { return image_ != nullptr ? image_->alphaAt(x, y) : 0; }
    const QB_Image* image() const { return image_.get(); }

private:
    ~CBitmap() override = default;
    std::unique_ptr<QB_Image> image_;
};

}  // namespace VSTGUI
