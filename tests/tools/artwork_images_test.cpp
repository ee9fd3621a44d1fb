// The committed images against what the editor reads from them: sizes, frame layouts,
// the alpha its hit tests use, and a background whose print no widget hides.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "plugin/control_kinds.h"
#include "tools/artwork/faceplate.h"
#include "tools/artwork/layout.h"
#include "tools/artwork/paint.h"

namespace {

using artwork::Surface;

constexpr int kHitAlpha = 143;  // a pixel is hit when its alpha is above this

Surface loadResource(const std::string& name) {
    const std::string path = std::string(ORVAN_SOURCE_DIR) + "/resources/" + name;
    return Surface(cairo_image_surface_create_from_png(path.c_str()));
}

uint32_t pixel(cairo_surface_t* s, int x, int y) {
    const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    return reinterpret_cast<const uint32_t*>(row)[x];
}
int alpha(cairo_surface_t* s, int x, int y) { return pixel(s, x, y) >> 24; }
// Premultiplied brightness, so transparent pixels count as dark.
double brightness(cairo_surface_t* s, int x, int y) {
    const uint32_t p = pixel(s, x, y);
    return (((p >> 16) & 0xff) + ((p >> 8) & 0xff) + (p & 0xff)) / 3.0;
}
double meanBrightness(cairo_surface_t* s, int x0, int y0, int w, int h) {
    double sum = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) sum += brightness(s, x, y);
    return sum / (w * h);
}

TEST(ArtworkImages, EveryImageIsCommittedAtTheSizeTheEditorExpects) {
    struct Expected {
        const char* name;
        int width, height;
    };
    const Expected images[] = {
        {"orvanD.png", 540, 529},   {"Knob.png", 40, 2400},      {"sliderhead.png", 44, 52},
        {"AnimOnOff.png", 80, 208}, {"AnimBypass.png", 80, 208}, {"TriButton.png", 20, 40},
        {"american.png", 80, 52},   {"german.png", 80, 52},      {"british.png", 80, 52},
        {"mixing.png", 80, 52},     {"mastering.png", 80, 52},   {"air.png", 80, 52},
    };
    for (const Expected& e : images) {
        const Surface image = loadResource(e.name);
        ASSERT_EQ(cairo_surface_status(image.get()), CAIRO_STATUS_SUCCESS) << e.name;
        EXPECT_EQ(cairo_image_surface_get_width(image.get()), e.width) << e.name;
        EXPECT_EQ(cairo_image_surface_get_height(image.get()), e.height) << e.name;
    }
}

TEST(ArtworkImages, TheBackgroundIsOpaqueEverywhere) {
    const Surface image = loadResource("orvanD.png");
    ASSERT_EQ(cairo_surface_status(image.get()), CAIRO_STATUS_SUCCESS);
    for (int y = 0; y < 529; ++y)
        for (int x = 0; x < 540; ++x) ASSERT_EQ(alpha(image.get(), x, y), 255) << x << "," << y;
}

TEST(ArtworkImages, EveryKnobFrameTakesClicksOnTheKnobAndNotInItsCorners) {
    const Surface strip = loadResource("Knob.png");
    ASSERT_EQ(cairo_image_surface_get_height(strip.get()), 2400);
    for (int k = 0; k < 60; ++k) {
        const int top = 40 * k;
        for (int dx : {-14, 0, 14}) EXPECT_GT(alpha(strip.get(), 20 + dx, top + 20), kHitAlpha) << "frame " << k;
        EXPECT_GT(alpha(strip.get(), 20, top + 6), kHitAlpha) << "frame " << k;
        for (int x : {0, 2, 37, 39})
            for (int y : {0, 2, 37, 39}) EXPECT_LE(alpha(strip.get(), x, top + y), kHitAlpha) << "frame " << k;
    }
}

// The pointer's direction in a frame: the brightness-weighted mean direction of the
// pixels on a ring inside the cap, in degrees clockwise from straight up.
double pointerAngle(cairo_surface_t* strip, int frame) {
    double sx = 0, sy = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const double dx = x + 0.5 - 20, dy = y + 0.5 - 20, r = std::hypot(dx, dy);
            const double b = brightness(strip, x, 40 * frame + y);
            if (r < 7 || r > 12 || b < 180) continue;
            sx += b * dx / r;
            sy += b * dy / r;
        }
    return std::atan2(sx, -sy) * 180 / M_PI;
}

TEST(ArtworkImages, TheKnobPointerTurnsClockwiseThroughAbout300Degrees) {
    const Surface strip = loadResource("Knob.png");
    ASSERT_EQ(cairo_image_surface_get_height(strip.get()), 2400);
    EXPECT_NEAR(pointerAngle(strip.get(), 0), -150, 6);
    EXPECT_NEAR(pointerAngle(strip.get(), 59), 150, 6);
    EXPECT_NEAR(pointerAngle(strip.get(), 29), -2.5, 6);  // half way, just short of the top
    for (int k = 1; k < 60; ++k)
        EXPECT_GT(pointerAngle(strip.get(), k), pointerAngle(strip.get(), k - 1)) << "frame " << k;
}

TEST(ArtworkImages, TheSliderHeadIsGrabbedOnItsCapAndMarksItsCentreRow) {
    const Surface head = loadResource("sliderhead.png");
    ASSERT_EQ(cairo_surface_status(head.get()), CAIRO_STATUS_SUCCESS);
    for (int y = 8; y <= 44; ++y) EXPECT_GT(alpha(head.get(), 22, y), kHitAlpha) << "row " << y;
    for (int y = 0; y < 52; ++y) EXPECT_LE(alpha(head.get(), 0, y), kHitAlpha) << "row " << y;
    EXPECT_LE(alpha(head.get(), 22, 0), kHitAlpha);
    // The scale beside the track is drawn for the head's centre row: the index line.
    int brightest = 0;
    for (int y = 0; y < 52; ++y)
        if (brightness(head.get(), 22, y) > brightness(head.get(), 22, brightest)) brightest = y;
    EXPECT_EQ(brightest, 26);
}

TEST(ArtworkImages, AnimatedButtonsLightUpFrameByFrameFromFrameZero) {
    for (const char* name : {"AnimOnOff.png", "AnimBypass.png"}) {
        const Surface strip = loadResource(name);
        ASSERT_EQ(cairo_image_surface_get_height(strip.get()), 208) << name;
        double previous = -1;
        for (int k = 0; k < 8; ++k) {
            const double level = meanBrightness(strip.get(), 0, 26 * k, 80, 26);
            EXPECT_GT(level, previous) << name << " frame " << k;
            previous = level;
        }
        // Bypass pulses down to frame 1, which must still read as lit.
        EXPECT_GT(meanBrightness(strip.get(), 20, 26 + 8, 40, 8), 1.5 * meanBrightness(strip.get(), 20, 8, 40, 8))
            << name;
        for (int k : {0, 7}) EXPECT_GT(alpha(strip.get(), 40, 26 * k + 13), kHitAlpha) << name << " frame " << k;
    }
}

TEST(ArtworkImages, TwoStateButtonsShowTwoDifferentStatesThatBothTakeClicks) {
    struct Button {
        const char* name;
        int width, height;  // of one state
    };
    const Button buttons[] = {{"TriButton.png", 20, 20},  {"american.png", 80, 26}, {"german.png", 80, 26},
                              {"british.png", 80, 26},    {"mixing.png", 80, 26},   {"mastering.png", 80, 26},
                              {"air.png", 80, 26}};
    for (const Button& b : buttons) {
        const Surface image = loadResource(b.name);
        ASSERT_EQ(cairo_image_surface_get_height(image.get()), 2 * b.height) << b.name;
        double difference = 0;
        for (int y = 0; y < b.height; ++y)
            for (int x = 0; x < b.width; ++x)
                difference += std::fabs(brightness(image.get(), x, y) - brightness(image.get(), x, y + b.height));
        EXPECT_GT(difference / (b.width * b.height), 2.0) << b.name;
        for (int state = 0; state < 2; ++state)
            EXPECT_GT(alpha(image.get(), 3, state * b.height + b.height / 2), kHitAlpha) << b.name;
    }
}

// Brightness range of the background over a rectangle.
double spread(cairo_surface_t* s, const artwork::Box& r) {
    double lo = 255, hi = 0;
    for (int y = static_cast<int>(r.y0); y < r.y1; ++y)
        for (int x = static_cast<int>(r.x0); x < r.x1; ++x) {
            lo = std::fmin(lo, brightness(s, x, y));
            hi = std::fmax(hi, brightness(s, x, y));
        }
    return hi - lo;
}

TEST(ArtworkImages, TheBackgroundIsPlainUnderEveryWidgetBesideTheSliderGrooves) {
    const Surface background = loadResource("orvanD.png");
    ASSERT_EQ(cairo_surface_status(background.get()), CAIRO_STATUS_SUCCESS);
    for (const artwork::Widget& w : artwork::widgetLayout()) {
        const artwork::Box& r = w.rect;
        if (w.kind == QB_Kind::kSlider) {  // a slider: its groove runs down the middle, the sides stay plain
            EXPECT_LE(spread(background.get(), {r.x0, r.y0, r.x0 + 16, r.y1}), 3) << "control " << w.control;
            EXPECT_LE(spread(background.get(), {r.x1 - 16, r.y0, r.x1, r.y1}), 3) << "control " << w.control;
        } else {
            EXPECT_LE(spread(background.get(), r), 3) << "control " << w.control;
        }
    }
}

TEST(ArtworkImages, TheGainScaleMarksTheRowsTheSliderHeadsIndexLineCrosses) {
    const Surface background = loadResource("orvanD.png");
    ASSERT_EQ(cairo_surface_status(background.get()), CAIRO_STATUS_SUCCESS);
    for (int control = 10; control <= 14; ++control) {
        const artwork::Box track = artwork::widgetFor(control).rect;
        const double travel = track.y1 - track.y0 - 52;  // track height less the head's
        for (int g = -5; g <= 5; ++g) {
            // Gain g puts the head's top at (1 - d) x travel below the track's top, d = (g + 5) / 10.
            const int row = static_cast<int>(track.y0 + (1 - (g + 5) / 10.0) * travel) + 26;
            for (int x : {static_cast<int>(track.x0) - 4, static_cast<int>(track.x1) + 3}) {
                EXPECT_GT(brightness(background.get(), x, row), brightness(background.get(), x, row - 1) + 40)
                    << "control " << control << " gain " << g;
                EXPECT_GT(brightness(background.get(), x, row), brightness(background.get(), x, row + 1) + 40)
                    << "control " << control << " gain " << g;
            }
        }
    }
}

TEST(ArtworkLayout, WidgetsGetTheRectanglesTheEditorsBuilderGivesThem) {
    struct Expected {
        int control;
        artwork::Box rect;
    };
    const Expected expected[] = {
        {4, {151, 396, 191, 436}}, {5, {249, 396, 289, 436}},  {37, {21, 225, 41, 245}},
        {36, {428, 480, 508, 506}}, {8, {228, 84, 308, 110}},  {10, {50, 130, 94, 342}},
        {14, {444, 130, 488, 342}}, {31, {48, 337, 98, 353}},  {35, {441, 337, 491, 353}},
        {23, {30, 432, 110, 458}},  {27, {426, 32, 506, 58}},  {29, {426, 84, 506, 110}},
    };
    for (const Expected& e : expected) {
        const artwork::Box r = artwork::widgetFor(e.control).rect;
        EXPECT_EQ(r.x0, e.rect.x0) << "control " << e.control;
        EXPECT_EQ(r.y0, e.rect.y0) << "control " << e.control;
        EXPECT_EQ(r.x1, e.rect.x1) << "control " << e.control;
        EXPECT_EQ(r.y1, e.rect.y1) << "control " << e.control;
    }
    EXPECT_EQ(artwork::widgetFor(4).frames, 60);
    EXPECT_EQ(artwork::widgetFor(6).frames, 8);
}

TEST(ArtworkLayout, NoLabelOfTheBackgroundLiesUnderAWidget) {
    std::string family;
    if (!artwork::editorFontIsAvailable(family)) GTEST_SKIP() << "\"Arial\" resolves to " << family;
    const artwork::Faceplate faceplate = artwork::drawFaceplate();
    EXPECT_GT(faceplate.print.size(), 20u);
    for (const std::string& clash : artwork::printUnderWidgets(faceplate)) ADD_FAILURE() << clash;
}

}  // namespace
