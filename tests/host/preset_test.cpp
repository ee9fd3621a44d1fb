// Preset files: saved and loaded back they reproduce a render to the bit; their
// layout is the big-endian one hosts exchange; damaged files are refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "host/preset_file.h"
#include "host/tool_error.h"
#include "support/host_test_support.h"

namespace {

constexpr int32_t kOrvanId = vstFourCC('Z', 'w', 'M', 't');

int32_t bigEndian(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<int32_t>((uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) |
                                b[at + 3]);
}

void putBigEndian(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + static_cast<size_t>(k)] = static_cast<uint8_t>(v >> (24 - 8 * k));
}

class PresetRoundTrip : public ::testing::Test {
protected:
    void SetUp() override { writeWav(dir / "in.wav", testMaterial(44100, 2.0), 2); }
    AudioFileContents render(std::vector<std::string> args, const std::string& out) {
        args.push_back(dir / "in.wav");
        args.push_back(dir / out);
        const ToolResult r = runTool(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return readAudio(dir / out);
    }
    ScratchDir dir;
};

TEST_F(PresetRoundTrip, ProgramFileSavedThenLoadedRendersBitIdentically) {
    const AudioFileContents saved =
        render({"--program", "Basic", "--set", "Bass=-2", "--set", "Style=British", "--save", dir / "p.fxp"}, "a.wav");
    const AudioFileContents loaded = render({"--load", dir / "p.fxp"}, "b.wav");
    const AudioFileContents plain = render({}, "c.wav");
    EXPECT_TRUE(bitIdentical(saved.audio.left, loaded.audio.left));
    EXPECT_TRUE(bitIdentical(saved.audio.right, loaded.audio.right));
    EXPECT_FALSE(bitIdentical(saved.audio.left, plain.audio.left)) << "the preset changed nothing audible";
}

TEST_F(PresetRoundTrip, BankFileSavedThenLoadedRestoresTheCurrentProgram) {
    const AudioFileContents saved =
        render({"--program", "Exciter", "--set", "Basic=4", "--save", dir / "b.fxb"}, "a.wav");
    const AudioFileContents loaded = render({"--load", dir / "b.fxb"}, "b.wav");
    EXPECT_TRUE(bitIdentical(saved.audio.left, loaded.audio.left));
    EXPECT_TRUE(bitIdentical(saved.audio.right, loaded.audio.right));
}

TEST_F(PresetRoundTrip, SavedFilesCarryTheChunkFormLayout) {
    ASSERT_EQ(runTool({"--program", "2", "--save", dir / "p.fxp"}).status, 0);
    ASSERT_EQ(runTool({"--program", "3", "--save", dir / "b.fxb"}).status, 0);
    const std::vector<uint8_t> p = fileBytes(dir / "p.fxp");
    ASSERT_EQ(p.size(), 60u + 390u);
    EXPECT_EQ(std::memcmp(p.data(), "CcnK", 4), 0);
    EXPECT_EQ(bigEndian(p, 4), static_cast<int32_t>(p.size() - 8));
    EXPECT_EQ(std::memcmp(p.data() + 8, "FPCh", 4), 0);
    EXPECT_EQ(bigEndian(p, 12), 1);
    EXPECT_EQ(bigEndian(p, 16), kOrvanId);
    EXPECT_EQ(bigEndian(p, 20), 1);
    EXPECT_EQ(bigEndian(p, 24), 18);
    EXPECT_STREQ(reinterpret_cast<const char*>(p.data() + 28), "Basic");
    EXPECT_EQ(bigEndian(p, 56), 390);

    const std::vector<uint8_t> b = fileBytes(dir / "b.fxb");
    ASSERT_EQ(b.size(), 160u + 6272u);
    EXPECT_EQ(std::memcmp(b.data() + 8, "FBCh", 4), 0);
    EXPECT_EQ(bigEndian(b, 4), static_cast<int32_t>(b.size() - 8));
    EXPECT_EQ(bigEndian(b, 12), 2);
    EXPECT_EQ(bigEndian(b, 24), 16);
    EXPECT_EQ(bigEndian(b, 28), 3);  // the current program
    for (size_t i = 32; i < 156; ++i) ASSERT_EQ(b[i], 0) << i;
    EXPECT_EQ(bigEndian(b, 156), 6272);
}

TEST_F(PresetRoundTrip, ParameterFormFilesAreReadAsACourtesy) {
    // An 'FxCk' program: Bass at 0.8 shows 3 in display units.
    std::vector<uint8_t> fxp(56 + 4 * 18, 0);
    std::memcpy(fxp.data(), "CcnK", 4);
    putBigEndian(fxp, 4, static_cast<uint32_t>(fxp.size() - 8));
    std::memcpy(fxp.data() + 8, "FxCk", 4);
    putBigEndian(fxp, 12, 1);
    putBigEndian(fxp, 16, static_cast<uint32_t>(kOrvanId));
    putBigEndian(fxp, 24, 18);
    std::memcpy(fxp.data() + 28, "Handmade", 8);
    float bass = 0.8f;
    uint32_t bits;
    std::memcpy(&bits, &bass, 4);
    putBigEndian(fxp, 56 + 4 * 10, bits);
    writeBytes(dir / "params.fxp", fxp);
    const ToolResult r = runTool({"--load", dir / "params.fxp", "--info"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Bass             3.000000"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("0  Handmade  (current)"), std::string::npos) << r.out;

    // The same record twice inside an 'FxBk' bank names programs 0 and 1.
    std::vector<uint8_t> fxb(156 + 2 * fxp.size(), 0);
    std::memcpy(fxb.data(), "CcnK", 4);
    putBigEndian(fxb, 4, static_cast<uint32_t>(fxb.size() - 8));
    std::memcpy(fxb.data() + 8, "FxBk", 4);
    putBigEndian(fxb, 12, 1);
    putBigEndian(fxb, 16, static_cast<uint32_t>(kOrvanId));
    putBigEndian(fxb, 24, 2);
    std::copy(fxp.begin(), fxp.end(), fxb.begin() + 156);
    std::copy(fxp.begin(), fxp.end(), fxb.begin() + 156 + static_cast<ptrdiff_t>(fxp.size()));
    writeBytes(dir / "params.fxb", fxb);
    const ToolResult bank = runTool({"--load", dir / "params.fxb", "--info"});
    ASSERT_EQ(bank.status, 0) << bank.err;
    EXPECT_NE(bank.out.find("1  Handmade"), std::string::npos) << bank.out;
}

// The parser on its own: each kind of damage is refused with a message that says so.
TEST(PresetParser, RefusesWrongMagicFormUniqueIdVersionAndSizes) {
    const std::vector<uint8_t> good = writeProgramFile(kOrvanId, 1, 18, "Name", std::vector<uint8_t>(390, 7));
    EXPECT_EQ(parsePreset(good, kOrvanId).chunk, std::vector<uint8_t>(390, 7));

    const auto refusal = [](std::vector<uint8_t> bytes, int32_t id) -> std::string {
        try {
            parsePreset(bytes, id);
        } catch (const ToolError& e) {
            return e.what();
        }
        return "accepted";
    };
    std::vector<uint8_t> b = good;
    b[0] = 'X';
    EXPECT_NE(refusal(b, kOrvanId).find("magic"), std::string::npos);
    b = good;
    std::memcpy(b.data() + 8, "QQQQ", 4);
    EXPECT_NE(refusal(b, kOrvanId).find("form 'QQQQ'"), std::string::npos);
    EXPECT_NE(refusal(good, vstFourCC('A', 'b', 'c', 'd')).find("'ZwMt', not 'Abcd'"), std::string::npos);
    b = good;
    putBigEndian(b, 12, 3);
    EXPECT_NE(refusal(b, kOrvanId).find("version 3"), std::string::npos);
    b = good;
    b.pop_back();  // one byte short
    EXPECT_NE(refusal(b, kOrvanId).find("size"), std::string::npos);
    b = good;
    putBigEndian(b, 56, 391);  // chunk size beyond the file
    EXPECT_NE(refusal(b, kOrvanId).find("size"), std::string::npos);
    b = good;
    putBigEndian(b, 56, 0x80000000u);  // negative chunk size
    EXPECT_NE(refusal(b, kOrvanId).find("size"), std::string::npos);
    EXPECT_NE(refusal({}, kOrvanId).find("magic"), std::string::npos);
    EXPECT_NE(refusal(std::vector<uint8_t>(good.begin(), good.begin() + 20), kOrvanId).find("size"),
              std::string::npos);

    const std::vector<uint8_t> bank = writeBankFile(kOrvanId, 1, 16, 5, std::vector<uint8_t>(100, 1));
    const Preset parsed = parsePreset(bank, kOrvanId);
    EXPECT_EQ(parsed.kind, Preset::BankChunk);
    EXPECT_EQ(parsed.currentProgram, 5);
    b = bank;
    putBigEndian(b, 156, 99);
    EXPECT_NE(refusal(b, kOrvanId).find("size"), std::string::npos);
}

}  // namespace
