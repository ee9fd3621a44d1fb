#include "tools/artwork/artwork.h"

#include <string>

#include "tools/artwork/controls.h"
#include "tools/artwork/faceplate.h"
#include "tools/artwork/palette.h"

namespace artwork {

Surface drawImage(const ImageEntry& image) {
    const std::string name = image.name;
    if (name == "orvanD.png") return drawFaceplate().image;
    if (name == "Knob.png") return drawKnobStrip();
    if (name == "sliderhead.png") return drawSliderHead();
    if (name == "AnimOnOff.png") return drawAnimStrip(kAccent);
    if (name == "AnimBypass.png") return drawAnimStrip(kBypassLit);
    if (name == "TriButton.png") return drawResetButton();
    if (name == "american.png") return drawNamedButton("American");
    if (name == "german.png") return drawNamedButton("German");
    if (name == "british.png") return drawNamedButton("British");
    if (name == "mixing.png") return drawNamedButton("Mixing");
    if (name == "mastering.png") return drawNamedButton("Mastering");
    if (name == "air.png") return drawNamedButton("A.I.R");
    return newImage(image.width, image.height);
}

}  // namespace artwork
