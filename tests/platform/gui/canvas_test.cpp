// The 2-D graphics backend (cairo on Linux, GDI+ on Windows) through the portable canvas
// interface: PNG decoding and alpha reads, which pixels boxes, frames, clips, images and
// text cover, and PNG files written back.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/gui/canvas.h"
#include "support/scratch_folder.h"

namespace {

// A 2 x 2 RGBA PNG: opaque red, green at alpha 128 / blue at alpha 0, white at alpha 64.
const unsigned char kTinyPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x72, 0xb6, 0x0d, 0x24, 0x00, 0x00, 0x00,
    0x15, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0xf8, 0xcf, 0xc0, 0xf0, 0x1f, 0x08, 0x1b, 0x18, 0xc0, 0xf4,
    0xff, 0xff, 0x0e, 0x00, 0x3f, 0x18, 0x07, 0xba, 0x92, 0xa4, 0x5f, 0x25, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45,
    0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

// An 8 x 8 RGBA PNG: the top-left 4 x 4 quarter opaque red, the rest transparent.
const unsigned char kQuarterPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x08, 0x00, 0x00, 0x00, 0x08, 0x08, 0x06, 0x00, 0x00, 0x00, 0xc4, 0x0f, 0xbe, 0x8b, 0x00, 0x00, 0x00,
    0x16, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0xf8, 0xcf, 0xc0, 0xf0, 0x1f, 0x19, 0x33, 0xa0, 0x03, 0x3a,
    0x28, 0x18, 0x04, 0x00, 0x00, 0xa8, 0xbf, 0x1f, 0xe1, 0x0b, 0xbb, 0x8a, 0x8f, 0x00, 0x00, 0x00, 0x00, 0x49,
    0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

constexpr QB_Rgba kRed{255, 0, 0, 255};
constexpr QB_Rgba kBlue{0, 0, 255, 255};

uint32_t at(const std::vector<uint32_t>& pixels, int32_t width, int32_t x, int32_t y) {
    return pixels[static_cast<size_t>(y) * width + x];
}
int channel(uint32_t argb, int shift) { return static_cast<int>((argb >> shift) & 255u); }
bool inside(const QB_Box& b, int32_t x, int32_t y) { return x >= b.left && x < b.right && y >= b.top && y < b.bottom; }

std::unique_ptr<QB_Image> tinyImage() { return QB_Image::decodePng(kTinyPng, sizeof kTinyPng); }

TEST(Canvas, DecodesAPngWithItsSizeAndAlphaAndRefusesOtherBytes) {
    const std::unique_ptr<QB_Image> image = tinyImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width(), 2);
    EXPECT_EQ(image->height(), 2);
    EXPECT_EQ(image->alphaAt(0, 0), 255);
    EXPECT_EQ(image->alphaAt(1, 0), 128);
    EXPECT_EQ(image->alphaAt(0, 1), 0);
    EXPECT_EQ(image->alphaAt(1, 1), 64);
    EXPECT_EQ(image->alphaAt(-1, 0), 0);
    EXPECT_EQ(image->alphaAt(2, 0), 0);
    EXPECT_EQ(image->alphaAt(0, 2), 0);

    const unsigned char notPng[] = "GIF89a, say, or anything else at all";
    EXPECT_EQ(QB_Image::decodePng(notPng, sizeof notPng), nullptr);
    EXPECT_EQ(QB_Image::decodePng(kTinyPng, 40), nullptr) << "cut short";
    EXPECT_EQ(QB_Image::decodePng(nullptr, 10), nullptr);
}

TEST(Canvas, StartsTransparentAndBoxesAndFramesCoverExactlyTheirPixels) {
    EXPECT_EQ(QB_Canvas::create(0, 5), nullptr);
    EXPECT_EQ(QB_Canvas::create(5, -1), nullptr);
    const std::unique_ptr<QB_Canvas> canvas = QB_Canvas::create(9, 7);
    ASSERT_NE(canvas, nullptr);
    ASSERT_EQ(canvas->width(), 9);
    ASSERT_EQ(canvas->height(), 7);
    for (uint32_t p : canvas->pixels()) ASSERT_EQ(p, 0u);

    const QB_Box fill{2, 1, 6, 5};
    canvas->fillBox(fill, kRed);
    const QB_Box frame{0, 0, 9, 7};
    canvas->frameBox(frame, kBlue, 1);
    const std::vector<uint32_t> pixels = canvas->pixels();
    for (int32_t y = 0; y < 7; ++y) {
        for (int32_t x = 0; x < 9; ++x) {
            const bool border = x == 0 || y == 0 || x == 8 || y == 6;
            const uint32_t expected = border ? 0xff0000ffu : inside(fill, x, y) ? 0xffff0000u : 0u;
            EXPECT_EQ(at(pixels, 9, x, y), expected) << x << "," << y;
        }
    }
}

TEST(Canvas, AClipLimitsDrawingUntilItIsReset) {
    const std::unique_ptr<QB_Canvas> canvas = QB_Canvas::create(8, 8);
    ASSERT_NE(canvas, nullptr);
    const QB_Box clip{2, 2, 5, 6};
    canvas->setClip(clip);
    canvas->fillBox({0, 0, 8, 8}, kRed);
    std::vector<uint32_t> pixels = canvas->pixels();
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(at(pixels, 8, x, y), inside(clip, x, y) ? 0xffff0000u : 0u);
    canvas->resetClip();
    canvas->fillBox({0, 0, 8, 8}, kBlue);
    pixels = canvas->pixels();
    for (uint32_t p : pixels) EXPECT_EQ(p, 0xff0000ffu);
}

TEST(Canvas, ImagesAreCopiedPixelForPixelFromTheirSourceCornerAndFadedByAlpha) {
    const std::unique_ptr<QB_Image> image = tinyImage();
    const std::unique_ptr<QB_Canvas> canvas = QB_Canvas::create(8, 4);
    ASSERT_NE(image, nullptr);
    ASSERT_NE(canvas, nullptr);
    canvas->drawImage(*image, {3, 1, 5, 3}, 0, 0, 255);
    canvas->drawImage(*image, {0, 0, 1, 1}, 1, 1, 255);  // the white pixel alone
    canvas->drawImage(*image, {6, 0, 8, 2}, 0, 0, 128);
    const std::vector<uint32_t> p = canvas->pixels();
    EXPECT_EQ(at(p, 8, 3, 1), 0xffff0000u);
    EXPECT_NEAR(channel(at(p, 8, 4, 1), 24), 128, 1);
    EXPECT_NEAR(channel(at(p, 8, 4, 1), 8), 255, 2) << "green stays green";
    EXPECT_EQ(at(p, 8, 3, 2), 0u);
    EXPECT_NEAR(channel(at(p, 8, 4, 2), 24), 64, 1);
    EXPECT_NEAR(channel(at(p, 8, 0, 0), 24), 64, 1);
    EXPECT_NEAR(channel(at(p, 8, 0, 0), 16), 255, 4) << "white";
    EXPECT_EQ(at(p, 8, 1, 0), 0u) << "nothing beyond the destination";
    EXPECT_EQ(at(p, 8, 5, 1), 0u);
    EXPECT_NEAR(channel(at(p, 8, 6, 0), 24), 128, 1) << "opaque red at half opacity";
    EXPECT_NEAR(channel(at(p, 8, 6, 0), 16), 255, 2);
}

TEST(Canvas, ARotatedImageTurnsClockwiseAboutTheDestinationCentre) {
    const std::unique_ptr<QB_Image> image = QB_Image::decodePng(kQuarterPng, sizeof kQuarterPng);
    const std::unique_ptr<QB_Canvas> canvas = QB_Canvas::create(12, 8);
    ASSERT_NE(image, nullptr);
    ASSERT_NE(canvas, nullptr);
    canvas->drawImageRotated(*image, {0, 0, 8, 8}, 0, 0, 90.0, 255);
    const std::vector<uint32_t> p = canvas->pixels();
    // The red top-left quarter turns to the top right; the middle of each quarter is
    // clear of the smoothing at its edges.
    EXPECT_EQ(at(p, 12, 5, 2), 0xffff0000u);
    for (auto [x, y] : {std::pair{2, 2}, std::pair{2, 5}, std::pair{5, 5}}) EXPECT_EQ(at(p, 12, x, y), 0u) << x << "," << y;
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 8; x < 12; ++x) EXPECT_EQ(at(p, 12, x, y), 0u) << "outside the destination " << x << "," << y;
}

TEST(Canvas, TextDrawsInsideItsBoxOnlyAndWiderTextMeasuresWider) {
    const std::unique_ptr<QB_Canvas> canvas = QB_Canvas::create(80, 40);
    ASSERT_NE(canvas, nullptr);
    const QB_Font font{"Arial", 12.0, false};
    const double narrow = canvas->textWidth("i", font), wide = canvas->textWidth("WWW", font);
    EXPECT_GT(narrow, 0.0);
    EXPECT_GT(wide, 3 * narrow);
    EXPECT_GT(canvas->textWidth("i ", font), narrow) << "trailing spaces count";
    EXPECT_GT(canvas->textWidth("WWW", {"Arial", 12.0, true}), wide * 0.99) << "bold is not narrower";

    const QB_Box box{10, 12, 70, 28};
    canvas->drawText("Hg 42", box, font, {0, 0, 0, 255}, QB_TextAlign::centre);
    const std::vector<uint32_t> p = canvas->pixels();
    int inked = 0;
    for (int32_t y = 0; y < 40; ++y) {
        for (int32_t x = 0; x < 80; ++x) {
            if (channel(at(p, 80, x, y), 24) == 0) continue;
            EXPECT_TRUE(inside(box, x, y)) << x << "," << y;
            ++inked;
        }
    }
    EXPECT_GT(inked, 20);
}

TEST(Canvas, AWrittenPngReadsBackAsTheSamePicture) {
    const std::string dir = makeScratchFolder("orvan_canvas_");
    ASSERT_FALSE(dir.empty());
    const std::string path = dir + "/picture.png";
    const std::unique_ptr<QB_Canvas> canvas = QB_Canvas::create(5, 3);
    ASSERT_NE(canvas, nullptr);
    canvas->fillBox({1, 0, 4, 2}, kRed);
    canvas->fillBox({0, 2, 5, 3}, {0, 0, 255, 128});
    ASSERT_TRUE(canvas->writePng(path.c_str()));
    EXPECT_FALSE(canvas->writePng((dir + "/no/such/folder.png").c_str()));

    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    const std::unique_ptr<QB_Image> image = QB_Image::decodePng(bytes.data(), bytes.size());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width(), 5);
    EXPECT_EQ(image->height(), 3);
    const std::vector<uint32_t> p = canvas->pixels();
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(image->alphaAt(x, y), channel(at(p, 5, x, y), 24)) << x << "," << y;
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

}  // namespace
