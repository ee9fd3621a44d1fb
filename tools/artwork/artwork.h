// The editor's twelve images, drawn by name.
#pragma once

#include "tools/artwork/layout.h"
#include "tools/artwork/paint.h"

namespace artwork {

// Draws the image at the size its entry gives.
Surface drawImage(const ImageEntry& image);

}  // namespace artwork
