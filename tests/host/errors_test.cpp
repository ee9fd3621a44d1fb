// Every failure prints one line naming the problem, exits non-zero and leaves no
// output behind: no audio, no plot, no preset, no temporary file.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "support/host_test_support.h"

namespace {

class ToolErrors : public ::testing::Test {
protected:
    void SetUp() override {
        writeWav(dir / "in.wav", testMaterial(44100, 0.5), 2);
        before = dir.files();
    }

    // Runs with every kind of output requested, so any leftover shows.
    void expectFailure(std::vector<std::string> args, const std::string& message, int status = 1,
                       bool withOutputs = true) {
        if (withOutputs) {
            for (const char* option : {"--plot", "--save", "--dry"}) {
                args.insert(args.begin(), option == std::string("--plot") ? dir / "out.png"
                                          : option == std::string("--save") ? dir / "out.fxp"
                                                                            : dir / "dry.wav");
                args.insert(args.begin(), option);
            }
        }
        const ToolResult r = runTool(args);
        EXPECT_EQ(r.status, status) << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << "stderr: " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "not one line: " << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(dir.files(), before) << "output left behind";
    }

    ScratchDir dir;
    std::vector<std::string> before;
};

TEST_F(ToolErrors, MissingUnreadableOrWideInputFilesAreRefused) {
    expectFailure({dir / "nothing.wav", dir / "out.wav"}, "cannot open " + dir / "nothing.wav" + ": No such file");
    writeBytes(dir / "junk.wav", std::vector<uint8_t>(1000, 'x'));
    before = dir.files();
    expectFailure({dir / "junk.wav", dir / "out.wav"}, "cannot read audio file " + dir / "junk.wav");
    writeWav(dir / "three.wav", testMaterial(44100, 0.1), 3);
    before = dir.files();
    expectFailure({dir / "three.wav", dir / "out.wav"}, "has 3 channels; orvan-render takes mono or stereo");
}

TEST_F(ToolErrors, EmptyInputIsRefused) {
    writeWav(dir / "empty.wav", StereoBuffer{}, 2);
    before = dir.files();
    expectFailure({dir / "empty.wav", dir / "out.wav"}, dir / "empty.wav" + " holds no audio (0 frames)");
    expectFailure({"--bench", "2", dir / "empty.wav"}, "holds no audio", 1, false);
}

TEST_F(ToolErrors, OutputsThatAreTheInputFileAreRefusedThroughAnyLinkAndSpelling) {
    const std::vector<uint8_t> original = fileBytes(dir / "in.wav");
    std::filesystem::create_symlink(dir / "in.wav", dir / "soft.wav");
    std::filesystem::create_hard_link(dir / "in.wav", dir / "hard.wav");
    std::filesystem::create_directory(dir / "sub");
    before = dir.files();
    const std::string refusal = ": refusing to overwrite it, choose another name";
    expectFailure({dir / "in.wav", dir / "in.wav"}, "OUTPUT " + dir / "in.wav" + " is the INPUT file " + dir / "in.wav" + refusal, 2);
    expectFailure({dir / "in.wav", dir / "sub/../in.wav"}, "is the INPUT file", 2);
    expectFailure({dir / "in.wav", dir / "soft.wav"}, "OUTPUT " + dir / "soft.wav" + " is the INPUT file", 2);
    expectFailure({dir / "soft.wav", dir / "in.wav"}, "is the INPUT file " + dir / "soft.wav", 2);
    expectFailure({dir / "hard.wav", dir / "in.wav"}, "is the INPUT file", 2);
    expectFailure({"--dry", dir / "hard.wav", dir / "in.wav", dir / "out.wav"}, "--dry " + dir / "hard.wav" + " is the INPUT file", 2, false);
    expectFailure({"--dry", dir / "out.wav", dir / "in.wav", dir / "sub/../out.wav"}, "OUTPUT and --dry both write", 2, false);
    EXPECT_EQ(fileBytes(dir / "in.wav"), original);
}

TEST_F(ToolErrors, BenchNamesAMistypedRunCount) {
    expectFailure({"--bench", "abc", "--demo"}, "--bench expects a whole number of runs from 1 to 1000, not 'abc'", 2, false);
    expectFailure({"--bench", "abc", dir / "in.wav"}, "--bench expects a whole number of runs", 2, false);
    expectFailure({"--bench", "--demo", dir / "out.wav"}, "--bench writes no audio: drop the OUTPUT", 2, false);
}

TEST_F(ToolErrors, PlugInsThatCannotBeLoadedAreNamed) {
    expectFailure({"--plugin", dir / "missing.so", dir / "in.wav", dir / "out.wav"}, "plug-in " + dir / "missing.so" + " not found");
    expectFailure({"--plugin", dir / "in.wav", dir / "in.wav", dir / "out.wav"}, "cannot load plug-in");
    expectFailure({"--plugin", ORVAN_NO_ENTRY_PLUGIN, dir / "in.wav", dir / "out.wav"},
                  "has no VST 2.4 entry point (VSTPluginMain or main)");
    expectFailure({"--plugin", ORVAN_REFUSING_PLUGIN, dir / "in.wav", dir / "out.wav"}, "refused to load");
}

TEST_F(ToolErrors, UnknownProgramsAndParametersAreRefused) {
    expectFailure({"--program", "Loudness War", dir / "in.wav", dir / "out.wav"}, "unknown program 'Loudness War'");
    expectFailure({"--program", "16", dir / "in.wav", dir / "out.wav"}, "program 16 does not exist");
    expectFailure({"--program", "-1", dir / "in.wav", dir / "out.wav"}, "program -1 does not exist");
    expectFailure({"--set", "Treble=2", dir / "in.wav", dir / "out.wav"}, "unknown parameter 'Treble'");
}

TEST_F(ToolErrors, ValuesOutsideTheRangeOrOptionsAreRefused) {
    expectFailure({"--set", "Bass=5.5", dir / "in.wav", dir / "out.wav"}, "value 5.5 is outside Bass's range -5 to 5");
    expectFailure({"--set", "Response=1", dir / "in.wav", dir / "out.wav"}, "outside Response's range 5 to 1000");
    expectFailure({"--set", "Bass=nan", dir / "in.wav", dir / "out.wav"}, "Bass takes a number from -5 to 5");
    expectFailure({"--set", "Bass=loud", dir / "in.wav", dir / "out.wav"}, "Bass takes a number from -5 to 5");
    expectFailure({"--set", "Style=Swiss", dir / "in.wav", dir / "out.wav"},
                  "'Swiss' is not one of Style's options (American, German, British)");
    expectFailure({"--set", "Style=3", dir / "in.wav", dir / "out.wav"}, "not one of Style's options");
}

TEST_F(ToolErrors, CorruptOrForeignPresetFilesAreRefused) {
    ASSERT_EQ(runTool({"--save", dir / "good.fxp"}).status, 0);
    const std::vector<uint8_t> good = fileBytes(dir / "good.fxp");
    std::vector<uint8_t> bad = good;
    bad[1] = 'X';
    writeBytes(dir / "magic.fxp", bad);
    bad = good;
    bad[19] = 'x';  // unique ID 'ZwMx'
    writeBytes(dir / "foreign.fxp", bad);
    bad.assign(good.begin(), good.end() - 10);
    writeBytes(dir / "short.fxp", bad);
    before = dir.files();
    expectFailure({"--load", dir / "magic.fxp", dir / "in.wav", dir / "out.wav"}, "magic.fxp: not a VST preset file");
    expectFailure({"--load", dir / "foreign.fxp", dir / "in.wav", dir / "out.wav"},
                  "foreign.fxp: the preset belongs to plug-in 'ZwMx', not 'ZwMt'");
    expectFailure({"--load", dir / "short.fxp", dir / "in.wav", dir / "out.wav"},
                  "short.fxp: its size fields disagree with the file's length");
    expectFailure({"--load", dir / "absent.fxp", dir / "in.wav", dir / "out.wav"}, "cannot open " + dir / "absent.fxp");
}

TEST_F(ToolErrors, UnwritableOutputsAndBadCommandLinesAreRefused) {
    expectFailure({dir / "in.wav", dir / "no-such-folder/out.wav"}, "cannot write " + dir / "no-such-folder/out.wav");
    expectFailure({dir / "in.wav", dir / "out.mp3"}, "cannot tell the audio format", 2);
    expectFailure({"--block", "0", dir / "in.wav", dir / "out.wav"}, "--block expects a whole number from 1 to 65536",
                  2);
    expectFailure({"--set", "Bass", dir / "in.wav", dir / "out.wav"}, "--set expects NAME=VALUE", 2);
    expectFailure({"--vs-set", "Bass=1", dir / "in.wav", dir / "out.wav"}, "--vs-set only works with --vs", 2);
    expectFailure({"--frobnicate", dir / "in.wav", dir / "out.wav"}, "unknown option --frobnicate", 2);
    expectFailure({"--save", dir / "p.txt"}, "--save writes .fxp (program) or .fxb (bank) files", 2, false);
    expectFailure({dir / "in.wav"}, "missing OUTPUT", 2, false);
}

}  // namespace
