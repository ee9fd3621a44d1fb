// The whole editor window as it will look: the background with every widget drawn
// over it at a sample value, at the widget's place in the layout. For judging the
// artwork; it is not one of the editor's images.
#pragma once

#include "tools/artwork/paint.h"

namespace artwork {

Surface drawPreview();

}  // namespace artwork
