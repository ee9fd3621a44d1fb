// Draws the editor's images.
// Usage: orvan_make_artwork OUTDIR           writes the twelve PNG images into OUTDIR
//        orvan_make_artwork --preview FILE   writes the whole window with every widget
//                                            drawn at a sample value, for judging them
// The images are drawn from code alone, so every run writes the same bytes; only the
// font could change them, so the run fails unless "Arial" resolves to Liberation Sans,
// the face they were drawn with. It also fails when a label of the background would
// lie under a widget.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/artwork/artwork.h"
#include "tools/artwork/faceplate.h"
#include "tools/artwork/layout.h"
#include "tools/artwork/preview.h"

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "orvan_make_artwork: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool preview = argc == 3 && std::string(argv[1]) == "--preview";
    if (argc != 2 && !preview) {
        std::fprintf(stderr, "usage: %s OUTDIR\n       %s --preview FILE\n", argv[0], argv[0]);
        return 2;
    }
    std::string family;
    if (!artwork::editorFontIsAvailable(family))
        return fail("\"Arial\" resolves to \"" + family + "\", not Liberation Sans (install fonts-liberation)");
    const std::vector<std::string> clashes = artwork::printUnderWidgets(artwork::drawFaceplate());
    for (const std::string& clash : clashes) fail("the background's print " + clash);
    if (!clashes.empty()) return 1;

    std::string error;
    if (preview) {
        const artwork::Surface window = artwork::drawPreview();
        return artwork::writePng(window.get(), argv[2], error) ? 0 : fail(error);
    }
    const std::string dir = argv[1];
    for (int i = 0; i < artwork::kImageCount; ++i) {
        const artwork::ImageEntry& entry = artwork::kImages[i];
        const artwork::Surface image = artwork::drawImage(entry);
        if (cairo_image_surface_get_width(image.get()) != entry.width ||
            cairo_image_surface_get_height(image.get()) != entry.height)
            return fail(std::string(entry.name) + " came out at the wrong size");
        if (!artwork::writePng(image.get(), dir + "/" + entry.name, error)) return fail(error);
    }
    return 0;
}
