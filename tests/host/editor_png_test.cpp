// --editor-png: the plug-in's window drawn off-screen at the settings given, as a user
// would look at it without a host.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstring>

#include "support/host_test_support.h"

namespace {

TEST(EditorPng, DrawsTheWholeWindowAtTheSettingsGivenAndShowsThem) {
    ScratchDir dir;
    const ToolResult flat = runTool({"--editor-png", dir / "flat.png"});
    ASSERT_EQ(flat.status, 0) << flat.err;
    const ToolResult set = runTool({"--set", "Bass=5", "--editor-png", dir / "bass.png"});
    ASSERT_EQ(set.status, 0) << set.err;
    cairo_surface_t* a = cairo_image_surface_create_from_png((dir / "flat.png").c_str());
    cairo_surface_t* b = cairo_image_surface_create_from_png((dir / "bass.png").c_str());
    ASSERT_EQ(cairo_surface_status(a), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_surface_status(b), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(a), 540);
    EXPECT_EQ(cairo_image_surface_get_height(a), 529);
    // The Bass slider's column differs (its head moved to the top), the Highs column not.
    auto columnDiffers = [&](int x0, int x1) {
        const int stride = cairo_image_surface_get_stride(a);
        const unsigned char* pa = cairo_image_surface_get_data(a);
        const unsigned char* pb = cairo_image_surface_get_data(b);
        for (int y = 130; y < 354; ++y)
            for (int x = x0; x < x1; ++x)
                if (std::memcmp(pa + y * stride + 4 * x, pb + y * stride + 4 * x, 4) != 0) return true;
        return false;
    };
    EXPECT_TRUE(columnDiffers(48, 98));
    EXPECT_FALSE(columnDiffers(441, 491));
    cairo_surface_destroy(a);
    cairo_surface_destroy(b);
}

TEST(EditorPng, RefusesANameThatIsNoPngAndAPluginThatCannotDraw) {
    ScratchDir dir;
    const ToolResult wrong = runTool({"--editor-png", dir / "window.jpg"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("must end in .png"), std::string::npos) << wrong.err;
    const ToolResult other = runTool({"--plugin", ORVAN_REFUSING_PLUGIN, "--editor-png", dir / "x.png"});
    EXPECT_NE(other.status, 0);
    EXPECT_TRUE(dir.files().empty());
}

}  // namespace
