// The program's embedded resources (a table on Linux, real resources on Windows): the
// factory bank and every image, byte for byte, found by type and name without regard
// to case.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/resources.h"

namespace {

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<unsigned char> bytesOf(const QB_Resource* r) {
    return r != nullptr ? std::vector<unsigned char>(r->data, r->data + r->size) : std::vector<unsigned char>{};
}

TEST(Resources, HoldTheBankAndEveryImageByteForByteUnderAnyCaseOfTheirNames) {
    const QB_Resource* bank = qbFindResource("DATA", "VST_PatchMemoryBanks.mem");
    ASSERT_NE(bank, nullptr);
    EXPECT_EQ(bytesOf(bank), readFile(ORVAN_BANK_FILE));
    EXPECT_EQ(qbFindResource("data", "vst_patchmemorybanks.MEM"), bank) << "one record, however it is asked for";

    int images = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(ORVAN_SOURCE_DIR) + "/resources")) {
        if (entry.path().extension() != ".png") continue;
        ++images;
        std::string name = entry.path().filename().string();
        const QB_Resource* image = qbFindResource("PNG", name.c_str());
        ASSERT_NE(image, nullptr) << name;
        EXPECT_EQ(bytesOf(image), readFile(entry.path().string())) << name;
        for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        EXPECT_EQ(qbFindResource("png", name.c_str()), image) << name;
    }
    EXPECT_EQ(images, 12);
}

TEST(Resources, AnswerNothingForAnotherTypeAnUnknownNameOrNoName) {
    EXPECT_EQ(qbFindResource("PNG", "VST_PatchMemoryBanks.mem"), nullptr);
    EXPECT_EQ(qbFindResource("DATA", "orvanD.png"), nullptr);
    EXPECT_EQ(qbFindResource("PNG", "orvanD"), nullptr);
    EXPECT_EQ(qbFindResource("PNG", "orvanD.png.old"), nullptr);
    EXPECT_EQ(qbFindResource("PNG", ""), nullptr);
    EXPECT_EQ(qbFindResource("PNG", "#1"), nullptr);
    EXPECT_EQ(qbFindResource(nullptr, "orvanD.png"), nullptr);
    EXPECT_EQ(qbFindResource("PNG", nullptr), nullptr);
}

}  // namespace
