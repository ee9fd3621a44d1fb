// orvan-render's audio against the same material processed in-process through the
// same plug-in with the same block size: the two must agree to the bit.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>

#include "support/host_test_support.h"

namespace {

void expectSameRender(const StereoBuffer& expected, const AudioFileContents& actual) {
    EXPECT_EQ(actual.audio.sampleRate, expected.sampleRate);
    EXPECT_EQ(actual.channels, 2);
    ASSERT_EQ(actual.audio.left.size(), expected.left.size());
    EXPECT_TRUE(bitIdentical(actual.audio.left, expected.left));
    EXPECT_TRUE(bitIdentical(actual.audio.right, expected.right));
}

TEST(RenderedFile, MatchesInProcessProcessingSampleForSampleWithProgramAndSettings) {
    ScratchDir dir;
    const StereoBuffer input = testMaterial(48000, 4.0);
    writeWav(dir / "in.wav", input, 2);
    const ToolResult r = runTool({"--program", "bass enhancer", "--set", "Bass=3", "--set", "Style=German",
                                  "--set", "Response=200", "--set", "Highs Mode=Mastering", "--quiet",
                                  dir / "in.wav", dir / "out.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");

    // Display units map linearly onto the normalised range, reversed ranges included.
    const StereoBuffer expected = renderInProcess(input, 512, [](VstHost& host) {
        host.dispatch(effSetProgram, 0, 1);
        host.setParameter(10, 0.8f);
        host.setParameter(2, 0.5f);
        host.setParameter(4, static_cast<float>((200.0 - 1000.0) / (5.0 - 1000.0)));
        host.setParameter(3, 0.5f);
    });
    expectSameRender(expected, readAudio(dir / "out.wav"));
}

TEST(RenderedFile, MonoInputIsProcessedAsTwoEqualChannelsAtAnOddBlockSize) {
    ScratchDir dir;
    StereoBuffer input = testMaterial(44100, 2.0);
    input.right = input.left;
    writeWav(dir / "mono.wav", input, 1);
    const ToolResult r = runTool({"--block", "100", "--program", "2", dir / "mono.wav", dir / "out.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    const StereoBuffer expected =
        renderInProcess(input, 100, [](VstHost& host) { host.dispatch(effSetProgram, 0, 2); });
    expectSameRender(expected, readAudio(dir / "out.wav"));
}

TEST(RenderedFile, EveryOutputFormatKeepsTheSampleRateAndLength) {
    ScratchDir dir;
    const StereoBuffer input = testMaterial(32000, 1.0);
    writeWav(dir / "in.wav", input, 2);
    ASSERT_EQ(runTool({dir / "in.wav", dir / "ref.wav"}).status, 0);
    const AudioFileContents reference = readAudio(dir / "ref.wav");
    struct Case {
        const char* name;
        int major;
    };
    for (const Case& c : {Case{"out.flac", SF_FORMAT_FLAC}, Case{"out.aiff", SF_FORMAT_AIFF},
                          Case{"out.ogg", SF_FORMAT_OGG}}) {
        const ToolResult r = runTool({dir / "in.wav", dir / c.name});
        ASSERT_EQ(r.status, 0) << c.name << ": " << r.err;
        const AudioFileContents out = readAudio(dir / c.name);
        EXPECT_EQ(out.format & SF_FORMAT_TYPEMASK, c.major) << c.name;
        EXPECT_EQ(out.audio.sampleRate, 32000) << c.name;
        EXPECT_EQ(out.channels, 2) << c.name;
        EXPECT_EQ(out.audio.left.size(), input.left.size()) << c.name;
        if (c.major == SF_FORMAT_OGG) continue;  // lossy
        // AIFF holds the floats exactly; FLAC holds them to 24 bits.
        const float tolerance = c.major == SF_FORMAT_FLAC ? std::ldexp(1.f, -22) : 0.f;
        float worst = 0;
        for (size_t i = 0; i < out.audio.left.size(); ++i)
            worst = std::max(worst, std::fabs(out.audio.left[i] - reference.audio.left[i]));
        EXPECT_LE(worst, tolerance) << c.name;
    }
}

TEST(Demo, WritesAudioDryMaterialAndAPlotThatAgreeWithInProcessProcessing) {
    ScratchDir dir;
    const ToolResult r =
        runTool({"--demo", "--dry", dir / "dry.wav", "--plot", dir / "demo.png", dir / "demo.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    const AudioFileContents dry = readAudio(dir / "dry.wav");
    EXPECT_NEAR(static_cast<double>(dry.audio.left.size()) / dry.audio.sampleRate, 10.0, 0.5);
    const StereoBuffer expected = renderInProcess(dry.audio, 512, [](VstHost& host) {
        host.dispatch(effSetProgram, 0, 1);  // the demo's factory program, "Bass Enhancer"
    });
    expectSameRender(expected, readAudio(dir / "demo.wav"));

    cairo_surface_t* png = cairo_image_surface_create_from_png((dir / "demo.png").c_str());
    EXPECT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_GT(cairo_image_surface_get_width(png), 600);
    EXPECT_GT(cairo_image_surface_get_height(png), 400);
    cairo_surface_destroy(png);
}

TEST(RenderedFile, InterruptedRenderLeavesNoFileBehind) {
    ScratchDir dir;
    const StereoBuffer input = testMaterial(44100, 10.0);
    StereoBuffer longInput = input;
    for (int k = 0; k < 5; ++k) {
        longInput.left.insert(longInput.left.end(), input.left.begin(), input.left.end());
        longInput.right.insert(longInput.right.end(), input.right.begin(), input.right.end());
    }
    writeWav(dir / "in.wav", longInput, 2);
    const pid_t pid = startTool({"--block", "32", dir / "in.wav", dir / "out.wav"});
    // Interrupt once the render has started writing.
    for (int wait = 0; wait < 2000 && dir.files().size() < 2; ++wait) usleep(5000);
    ASSERT_EQ(dir.files().size(), 2u) << "the render never started writing";
    kill(pid, SIGINT);
    EXPECT_EQ(waitTool(pid), 128 + SIGINT);
    EXPECT_EQ(dir.files(), std::vector<std::string>{"in.wav"});
}

}  // namespace
