// --info, value mapping and --bench, as a user reads them.
#include <gtest/gtest.h>

#include <sstream>

#include "host/param_values.h"
#include "host/plugin_instance.h"
#include "host/tool_error.h"
#include "support/host_test_support.h"

namespace {

// The indented "  N  text" lines that follow a heading such as "parameters  18".
std::vector<std::string> listAfter(const std::string& text, const std::string& heading) {
    std::istringstream in(text);
    std::string line;
    std::vector<std::string> items;
    bool inside = false;
    while (std::getline(in, line)) {
        if (line.rfind(heading, 0) == 0) {
            inside = true;
            continue;
        }
        if (inside && line.rfind("  ", 0) != 0) break;
        if (inside) items.push_back(line);
    }
    return items;
}

TEST(Info, ListsIdentityEighteenParametersAndSixteenProgramNames) {
    const ToolResult r = runTool({"--info"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("name        Orvan EQ\n"), std::string::npos);
    EXPECT_NE(r.out.find("vendor      Lumetra (Ostrin)\n"), std::string::npos);
    EXPECT_NE(r.out.find("unique ID   'ZwMt' (0x5A774D74)\n"), std::string::npos);
    const std::vector<std::string> params = listAfter(r.out, "parameters  18");
    ASSERT_EQ(params.size(), 18u) << r.out;
    EXPECT_NE(params[10].find("Bass"), std::string::npos);
    EXPECT_NE(params[10].find("number -5 .. 5"), std::string::npos);
    EXPECT_NE(params[2].find("one of American, German, British"), std::string::npos);
    const std::vector<std::string> programs = listAfter(r.out, "programs    16");
    ASSERT_EQ(programs.size(), 16u) << r.out;
    EXPECT_EQ(programs[0], "    0  Default Flat  (current)");
    EXPECT_EQ(programs[11], "   11  Exciter");
    EXPECT_EQ(programs[15], "   15  Empty 16");
}

TEST(Info, ShowsSettingsAppliedInCommandLineOrder) {
    const ToolResult r = runTool({"--set", "Bass=3", "--program", "Warm", "--set", "Highs=-2.5", "--info"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> params = listAfter(r.out, "parameters  18");
    ASSERT_EQ(params.size(), 18u);
    EXPECT_NE(params[10].find("0.000000"), std::string::npos) << "Warm's Bass replaces the earlier setting";
    EXPECT_NE(params[14].find("-2.50000"), std::string::npos) << params[14];
    EXPECT_NE(r.out.find("10  Warm  (current)"), std::string::npos);
}

// Value mapping straight against the plug-in, through the tool's own library.
TEST(ParameterValues, MapDisplayUnitsAndOptionNamesToNormalisedValues) {
    PluginLibrary library(ORVAN_PLUGIN_PATH);
    PluginInstance plugin(library, 44100, 512);
    const auto x = [&plugin](const char* name, const char* value) {
        const int index = findParameter(plugin, name);
        return normalisedValue(plugin, index, probeScale(plugin, index), value);
    };
    EXPECT_EQ(x("Bass", "3"), 0.8f);
    EXPECT_EQ(x("bass", "-5"), 0.f);
    EXPECT_EQ(x("Bass", "5"), 1.f);
    EXPECT_EQ(x("Response", "1000"), 0.f);
    EXPECT_EQ(x("Response", "5"), 1.f);
    EXPECT_EQ(x("Multi 2nd", "0"), 1.f);
    EXPECT_EQ(x("Bandwidth", "0.75"), 0.5f);
    EXPECT_EQ(x("Style", "American"), 0.f);
    EXPECT_EQ(x("Style", "german"), 0.5f);
    EXPECT_EQ(x("Style", "2"), 1.f);
    EXPECT_EQ(x("Highs Mode", "A.I.R"), 1.f);
    EXPECT_THROW(x("Bass", "5.01"), ToolError);
    EXPECT_THROW(x("Bass", "inf"), ToolError);
    EXPECT_THROW(x("Style", "1.5"), ToolError);
    // Probing leaves the value where it was.
    EXPECT_EQ(plugin.param(findParameter(plugin, "Response")), 0.5f);
}

TEST(Bench, ReportsMinMedianAndMaxForBothPlugInsAndTheirRatio) {
    ScratchDir dir;
    writeWav(dir / "in.wav", testMaterial(44100, 1.0), 2);
    const ToolResult r = runTool({"--bench", "3", "--vs", ORVAN_PLUGIN_PATH, "--block", "64", dir / "in.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("bench: 3 renders of 1.00 s at 44100 Hz, block 64"), std::string::npos) << r.out;
    std::istringstream in(r.out);
    std::string line;
    int figureLines = 0;
    while (std::getline(in, line)) {
        double lo = 0, mid = 0, hi = 0;
        const size_t at = line.find("min ");
        if (at == std::string::npos) continue;
        ASSERT_EQ(std::sscanf(line.c_str() + at, "min %lf median %lf max %lf", &lo, &mid, &hi), 3) << line;
        EXPECT_GT(lo, 0);
        EXPECT_LE(lo, mid);
        EXPECT_LE(mid, hi);
        ++figureLines;
    }
    EXPECT_EQ(figureLines, 2);
    EXPECT_NE(r.out.find("ratio "), std::string::npos);
}

TEST(Bench, VsSetConfiguresTheSecondPlugInAndTheOtherSettingsOnlyTheFirst) {
    ScratchDir dir;
    writeWav(dir / "in.wav", testMaterial(44100, 0.2), 2);
    // "Treble" is no parameter: the second plug-in refuses it, so --vs-set reached it.
    const ToolResult wrong = runTool({"--bench", "1", "--vs", ORVAN_PLUGIN_PATH, "--set", "Bass=3", "--vs-set",
                                      "Treble=2", dir / "in.wav"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("unknown parameter 'Treble'"), std::string::npos) << wrong.err;
    // With a --vs-set, the first plug-in's settings no longer reach the second.
    const ToolResult split = runTool({"--bench", "1", "--vs", ORVAN_PLUGIN_PATH, "--program", "Dynamic EQ",
                                      "--vs-set", "Bass=-2", dir / "in.wav"});
    EXPECT_EQ(split.status, 0) << split.err;
}

}  // namespace
