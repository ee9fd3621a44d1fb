// The DLL's own resources: the factory bank comes from its "DATA" resource and the
// editor's images are its "PNG" resources, found through the DLL's module handle. This
// test program carries no resources of its own, so nothing can come from the program.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/dynamic_library.h"
#include "platform/gui/canvas.h"
#include "platform/resources.h"
#include "platform/win32/module_resources.h"
#include "support/vst_host.h"

namespace {

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<unsigned char> resourceOf(void* library, const char* type, const std::string& name) {
    const unsigned char* data = nullptr;
    size_t size = 0;
    if (!qbModuleResource(library, type, name.c_str(), &data, &size)) return {};
    return std::vector<unsigned char>(data, data + size);
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Width and height from a PNG file's header.
std::pair<int32_t, int32_t> pngSize(const std::vector<unsigned char>& png) {
    auto be32 = [&](size_t at) {
        return static_cast<int32_t>((png[at] << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3]);
    };
    return png.size() >= 24 ? std::make_pair(be32(16), be32(20)) : std::make_pair(0, 0);
}

TEST(DllResources, TheFactoryProgramsComeFromTheDllsDataResource) {
    ASSERT_EQ(qbFindResource("DATA", "VST_PatchMemoryBanks.mem"), nullptr) << "the test program has its own bank";
    const std::vector<unsigned char> bank = readFile(ORVAN_BANK_FILE);
    ASSERT_EQ(bank.size(), 32u * 390u);
    VstHost host(ORVAN_PLUGIN_PATH);
    ASSERT_TRUE(host.loaded()) << host.error();
    ASSERT_NE(host.instantiate(), nullptr);
    for (VstInt32 k = 0; k < 16; ++k) {
        const std::string expected(reinterpret_cast<const char*>(bank.data() + 390 * k + 364));
        EXPECT_EQ(host.getString(effGetProgramNameIndexed, k), expected) << k;
    }
    EXPECT_EQ(host.getString(effGetProgramName), "Default Flat");
}

TEST(DllResources, TheDllHoldsTheBankAndEveryImageByteForByteNamedWithoutRegardToCase) {
    void* library = qbOpenLibrary(ORVAN_PLUGIN_PATH, nullptr);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(resourceOf(library, "data", "vst_patchmemorybanks.mem"), readFile(ORVAN_BANK_FILE));
    EXPECT_TRUE(resourceOf(library, "PNG", "VST_PatchMemoryBanks.mem").empty()) << "the bank is no image";
    EXPECT_TRUE(resourceOf(library, "DATA", "orvanD.png").empty()) << "an image is no bank";
    EXPECT_TRUE(resourceOf(library, "PNG", "missing.png").empty());

    int images = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(ORVAN_SOURCE_DIR) + "/resources")) {
        if (entry.path().extension() != ".png") continue;
        ++images;
        const std::string name = entry.path().filename().string();
        const std::vector<unsigned char> file = readFile(entry.path().string());
        ASSERT_FALSE(file.empty()) << name;
        EXPECT_EQ(resourceOf(library, "PNG", name), file) << name;
        EXPECT_EQ(resourceOf(library, "png", lower(name)), file) << name;
        // And the bytes decode as the picture the editor will draw.
        const std::vector<unsigned char> bytes = resourceOf(library, "PNG", name);
        const std::unique_ptr<QB_Image> image = QB_Image::decodePng(bytes.data(), bytes.size());
        ASSERT_NE(image, nullptr) << name;
        EXPECT_EQ(std::make_pair(image->width(), image->height()), pngSize(file)) << name;
    }
    EXPECT_EQ(images, 12);
    qbCloseLibrary(library);
}

}  // namespace
