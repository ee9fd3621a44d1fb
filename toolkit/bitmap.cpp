#include "toolkit/bitmap.h"

#include "platform/resources.h"

namespace VSTGUI {

CBitmap::CBitmap(const char* resourceName) {
    const QB_Resource* r = qbFindResource("PNG", resourceName);
    if (r != nullptr) image_ = QB_Image::decodePng(r->data, r->size);
}

}  // namespace VSTGUI
