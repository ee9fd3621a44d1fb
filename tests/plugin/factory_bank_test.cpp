// The generated factory bank resource, and the generator's handling of bad sources.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/process.h"
#include "support/scratch_folder.h"

namespace {

constexpr size_t kRecordSize = 390;
constexpr int kRecords = 32;

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One streamed record built byte by byte: values at 0, MIDI controllers (all none) at 72,
// reserved zeros at 108, name at 364, terminator and unused byte zero.
void putRecord(std::vector<uint8_t>& image, int k, const char* name, const float (&values)[18]) {
    uint8_t* r = image.data() + k * kRecordSize;
    for (int i = 0; i < 18; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &values[i], 4);
        for (int b = 0; b < 4; ++b) r[4 * i + b] = static_cast<uint8_t>(bits >> (8 * b));
    }
    for (int i = 0; i < 36; ++i) r[72 + i] = 0xff;
    std::memcpy(r + 364, name, std::strlen(name));
}

TEST(FactoryBank, HoldsTheFactoryProgramsThenEmptyRecordsByteForByte) {
    struct Program {
        const char* name;
        float values[18];
    };
    const Program factory[12] = {
        {"Default Flat", {0, 0, 0, 0, 0.5f, 0.5f, 0, 0, 1, 1, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0, 0}},
        {"Bass Enhancer", {0, 0, 0, 0, 0.20000002f, 0.53333336f, 0, 0, 0, 0, 0.7f, 0.55f, 0.5f, 0.4f, 0.5f, 0, 0, 0}},
        {"Basic", {0, 0, 0, 0.5f, 0.6166667f, 0.31666666f, 0, 0, 0, 0, 0.5f, 0.7f, 0.6f, 0.475f, 0.5f, 0, 0, 0}},
        {"Light Weight", {0, 0, 0, 0, 0.65f, 0.36666667f, 0, 0, 0, 0, 0.32999998f, 0.5f, 0.5f, 0.5f, 0.5f, 0, 0, 0}},
        {"Bright", {0, 0, 0, 1, 0.36666667f, 0, 0, 0, 1, 1, 0.5f, 0.5f, 0.6f, 0.7f, 0.9f, 0, 0, 0}},
        {"Dynamic EQ", {0, 0, 0.5f, 0.5f, 0.21666667f, 0, 1, 0, 1, 1, 0.4f, 0.575f, 0.5f, 0.6f, 0.5f, 0.5f, 0, 0}},
        {"British Gentle",
         {0, 0, 1, 1, 0.13333334f, 0.16666667f, 1, 0, 1, 1, 0.3875f, 0.5f, 0.5375f, 0.425f, 0.425f, 0.21666667f, 0,
          0}},
        {"M/S Mono",
         {0, 0, 0.5f, 0.5f, 0.6f, 0.31666666f, 1, 0, 1, 1, 0.55f, 0.45f, 0.5f, 0.5f, 0.6f, 0.36666667f, 0, 0.5f}},
        {"M/S Side",
         {0, 0, 1, 0.5f, 0.6666667f, 0.33333334f, 1, 0, 0, 0, 0.4f, 0.6f, 0.5f, 0.6f, 0.5f, 0.5833333f, 0, 1}},
        {"Look Ahead", {0, 0, 0.5f, 0.5f, 0, 0, 0, 0, 0, 0, 0.5f, 0.5f, 0.6f, 0.4f, 0.5f, 0, 0.5f, 0}},
        {"Warm", {0, 0, 1, 1, 0.16666667f, 0.16666667f, 0, 0, 0, 0, 0.5f, 0.5f, 0.5f, 0.5f, 0.2f, 0, 0, 0}},
        {"Exciter", {0, 0, 0, 0.5f, 0.26666668f, 0.28333333f, 0, 0, 0, 0, 0.5f, 0.5f, 0.7f, 0.5f, 0.5f, 0, 0, 0}},
    };
    std::vector<uint8_t> expected(kRecords * kRecordSize, 0);
    for (int k = 0; k < 12; ++k) putRecord(expected, k, factory[k].name, factory[k].values);
    const float zeros[18] = {};
    for (int k = 12; k < kRecords; ++k) putRecord(expected, k, ("Empty " + std::to_string(k + 1)).c_str(), zeros);

    const std::vector<uint8_t> bank = readFile(ORVAN_BANK_FILE);
    ASSERT_EQ(bank.size(), 12480u);
    for (size_t i = 0; i < bank.size(); ++i)
        ASSERT_EQ(bank[i], expected[i]) << "record " << i / kRecordSize << ", byte " << i % kRecordSize;
}

// Runs the generator in a scratch folder of its own.
class BankGenerator : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = makeScratchFolder("orvan_bank_");
        ASSERT_FALSE(dir_.empty());
        source_ = dir_ + "/bank.txt";
        output_ = dir_ + "/bank.mem";
    }
    void TearDown() override {
        std::error_code ignored;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    }

    static std::vector<std::string> validLines() {
        std::vector<std::string> lines = {"# comment", ""};
        for (int k = 1; k <= 16; ++k)
            lines.push_back("\"" + (k == 1 ? std::string(24, 'n') : "P" + std::to_string(k)) +
                            "\" 0 0 0 0 0.5 0.5 0 0 1 1 0.5 0.5 0.5 0.5 0.5 0.5 0 1");
        return lines;
    }

    // Writes the source, runs the generator and answers its exit status; stderr goes to errors_.
    int run(const std::vector<std::string>& lines) {
        {
            std::ofstream out(source_);
            for (const std::string& l : lines) out << l << "\n";
        }
        const std::string errPath = dir_ + "/stderr.txt";
        const int status = qbRunAndWait({ORVAN_MAKE_BANK, source_, output_}, errPath);
        const std::vector<uint8_t> err = readFile(errPath);
        errors_.assign(err.begin(), err.end());
        return status;
    }

    std::string dir_, source_, output_, errors_;
};

TEST_F(BankGenerator, WritesThirtyTwoRecordsFromAValidSource) {
    ASSERT_EQ(run(validLines()), 0) << errors_;
    const std::vector<uint8_t> bank = readFile(output_);
    ASSERT_EQ(bank.size(), 12480u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bank.data() + 364)), std::string(24, 'n'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bank.data() + 15 * 390 + 364)), "P16");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bank.data() + 31 * 390 + 364)), "Empty 32");
    EXPECT_FALSE(std::filesystem::exists(output_ + ".tmp"));
}

TEST_F(BankGenerator, RejectsEachMalformedLineNamingItAndLeavesThePreviousOutputUntouched) {
    struct Case {
        const char* line;  // replaces the fifth program (line 7 of the source)
        const char* why;
    };
    const Case cases[] = {
        {"\"P5\" 0 0 0 0 0.5 0.5 0 0 1 1 0.5 0.5 0.5 0.5 0.5 0.5 0", "17 values"},
        {"\"P5\" 0 0 0 0 0.5 0.5 0 0 1 1 0.5 0.5 0.5 0.5 0.5 0.5 0 1 0", "19 values"},
        {"\"P5\" 0 0 0 0 0.5 0.5 0 0 1 1 0.5 0.5 0.5 0.5 0.5 0.5 0 x", "not a number"},
        {"\"P5\" 0 0 0 0 0.5 0.5 0 0 1 1 0.5 0.5 0.5 0.5 0.5 0.5 0 0.5x", "trailing characters"},
        {"\"P5\" 0 0 0 0 0.5 0.5 0 0 1 1 0.5 0.5 0.5 0.5 0.5 0.5 0 1.5", "above 1"},
        {"\"P5\" 0 0 0 0 0.5 0.5 0 0 1 1 0.5 0.5 0.5 0.5 0.5 0.5 0 nan", "not finite"},
        {"\"P5 0 0 0 0 0.5 0.5 0 0 1 1 0.5 0.5 0.5 0.5 0.5 0.5 0 1", "unclosed name"},
        {"P5 0 0 0 0 0.5 0.5 0 0 1 1 0.5 0.5 0.5 0.5 0.5 0.5 0 1", "unquoted name"},
        {"\"nnnnnnnnnnnnnnnnnnnnnnnnn\" 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0", "25-character name"},
    };
    for (const Case& c : cases) {
        {
            std::ofstream previous(output_, std::ios::binary);
            previous << "previous";
        }
        std::vector<std::string> lines = validLines();
        lines[6] = c.line;
        const int status = run(lines);
        EXPECT_NE(status, 0) << c.why;
        EXPECT_NE(errors_.find("bank.txt:7:"), std::string::npos) << c.why << " (status " << status << "): " << errors_;
        const std::vector<uint8_t> left = readFile(output_);
        EXPECT_EQ(std::string(left.begin(), left.end()), "previous") << c.why;
        EXPECT_FALSE(std::filesystem::exists(output_ + ".tmp")) << c.why;
    }
}

TEST_F(BankGenerator, RejectsASourceWithoutExactlySixteenPrograms) {
    std::vector<std::string> lines = validLines();
    lines.pop_back();
    EXPECT_NE(run(lines), 0);
    EXPECT_NE(errors_.find("found 15"), std::string::npos) << errors_;
    lines = validLines();
    lines.push_back(lines.back());
    EXPECT_NE(run(lines), 0);
    EXPECT_NE(errors_.find("bank.txt:19:"), std::string::npos) << errors_;
    EXPECT_FALSE(std::filesystem::exists(output_));
}

}  // namespace
