// What the written files hold beyond the samples: clipping reports for formats that
// cannot keep overs, identical bytes for identical renders, a WAV header standard
// readers take without complaint, and a plot that says what made it.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstring>

#include "host/plot.h"
#include "support/host_test_support.h"

namespace {

// The demo's music normalised to a peak of `peak`: with the bass boosted it goes over.
StereoBuffer loudMaterial(float peak) {
    StereoBuffer audio = testMaterial(44100, 3.0);
    float top = 0;
    for (size_t i = 0; i < audio.left.size(); ++i) top = std::max({top, std::fabs(audio.left[i]), std::fabs(audio.right[i])});
    for (size_t i = 0; i < audio.left.size(); ++i) {
        audio.left[i] *= peak / top;
        audio.right[i] *= peak / top;
    }
    return audio;
}

const std::vector<std::string> kBoost{"--program", "Bass Enhancer", "--set", "Bass=5", "--quiet"};

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

TEST(Clipping, IntegerFormatsReportTheClippedSamplesAndThePeakOrFailWithClipError) {
    ScratchDir dir;
    writeWav(dir / "loud.wav", loudMaterial(0.95f), 2);
    // The float render keeps the overs: count them there.
    const ToolResult exact = runTool(with(kBoost, {dir / "loud.wav", dir / "exact.wav"}));
    ASSERT_EQ(exact.status, 0) << exact.err;
    EXPECT_EQ(exact.err, "") << "32-bit float keeps overs: nothing to report";
    const StereoBuffer floats = readAudio(dir / "exact.wav").audio;
    long overs = 0;
    float peak = 0;
    for (const std::vector<float>* channel : {&floats.left, &floats.right})
        for (float v : *channel) {
            overs += std::fabs(v) > 1.f ? 1 : 0;
            peak = std::max(peak, std::fabs(v));
        }
    ASSERT_GT(overs, 0) << "the material must go over full scale";

    const ToolResult flac = runTool(with(kBoost, {dir / "loud.wav", dir / "out.flac"}));
    ASSERT_EQ(flac.status, 0) << flac.err;
    char figures[64];
    std::snprintf(figures, sizeof figures, "%ld samples beyond full scale (peak %.3g, %+.1f dBFS)", overs,
                  static_cast<double>(peak), 20 * std::log10(static_cast<double>(peak)));
    EXPECT_EQ(flac.err, "orvan-render: warning: " + dir / "out.flac" + ": " + figures +
                            " clipped in this format; .wav keeps 32-bit float with no clipping\n");
    const StereoBuffer clipped = readAudio(dir / "out.flac").audio;
    EXPECT_LE(*std::max_element(clipped.left.begin(), clipped.left.end()), 1.f);

    // Vorbis keeps the overs, but players clip them.
    const ToolResult ogg = runTool(with(kBoost, {dir / "loud.wav", dir / "out.ogg"}));
    EXPECT_EQ(ogg.err, "orvan-render: warning: " + dir / "out.ogg" + ": " + figures +
                           " that players clip; .wav keeps 32-bit float with no clipping\n");

    // An unprocessed copy is checked too.
    const ToolResult dry = runTool(with(kBoost, {"--dry", dir / "dry.flac", dir / "loud.wav", dir / "out2.wav"}));
    EXPECT_EQ(dry.status, 0);
    EXPECT_EQ(dry.err, "") << "the input itself stays below full scale";

    const std::vector<std::string> before = dir.files();
    const ToolResult strict = runTool(with(kBoost, {"--clip", "error", dir / "loud.wav", dir / "strict.flac"}));
    EXPECT_EQ(strict.status, 1);
    EXPECT_EQ(strict.err, "orvan-render: " + dir / "strict.flac" + ": " + figures +
                              " would be clipped in this format; .wav keeps 32-bit float with no clipping (--clip error)\n");
    EXPECT_EQ(dir.files(), before) << "a failed render leaves no file";
    EXPECT_EQ(runTool(with(kBoost, {"--clip", "error", dir / "loud.wav", dir / "strict.wav"})).status, 0)
        << "float output never clips";
    EXPECT_EQ(runTool({"--clip", "never", dir / "loud.wav", dir / "x.flac"}).status, 2);
}

// The chunks of a RIFF file: id and body.
std::vector<std::pair<std::string, std::vector<uint8_t>>> riffChunks(const std::vector<uint8_t>& file) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> chunks;
    for (size_t at = 12; at + 8 <= file.size();) {
        uint32_t size;
        std::memcpy(&size, &file[at + 4], 4);
        const size_t end = std::min(file.size(), at + 8 + size);
        chunks.emplace_back(std::string(file.begin() + static_cast<ptrdiff_t>(at), file.begin() + static_cast<ptrdiff_t>(at) + 4),
                            std::vector<uint8_t>(file.begin() + static_cast<ptrdiff_t>(at) + 8, file.begin() + static_cast<ptrdiff_t>(end)));
        at = at + 8 + size + (size & 1);
    }
    return chunks;
}

uint32_t le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int k = bytes - 1; k >= 0; --k) v = (v << 8) | b[at + static_cast<size_t>(k)];
    return v;
}

TEST(Reproducible, TheSameRenderGivesTheSameBytesInEveryFormat) {
    ScratchDir dir;
    writeWav(dir / "in.wav", testMaterial(44100, 1.5), 2);
    for (const char* extension : {".wav", ".aiff", ".flac", ".ogg"}) {
        ASSERT_EQ(runTool({"--set", "Bass=2", dir / "in.wav", dir / (std::string("one") + extension)}).status, 0);
        sleep(1);  // time stamps, if any, would differ
        ASSERT_EQ(runTool({"--set", "Bass=2", dir / "in.wav", dir / (std::string("two") + extension)}).status, 0);
        EXPECT_EQ(fileBytes(dir / (std::string("one") + extension)), fileBytes(dir / (std::string("two") + extension)))
            << extension;
    }
    // The OGG stream serial number follows the content.
    ASSERT_EQ(runTool({"--set", "Bass=-2", dir / "in.wav", dir / "other.ogg"}).status, 0);
    const std::vector<uint8_t> a = fileBytes(dir / "one.ogg"), b = fileBytes(dir / "other.ogg");
    EXPECT_NE(le(a, 14, 4), le(b, 14, 4));
    EXPECT_EQ(readAudio(dir / "other.ogg").audio.left.size(), readAudio(dir / "one.ogg").audio.left.size());
}

TEST(Reproducible, WavIsPlainIeeeFloatWithAFullFormatChunkAndNoTimeStamp) {
    ScratchDir dir;
    const StereoBuffer input = testMaterial(48000, 1.0);
    writeWav(dir / "in.wav", input, 2);
    ASSERT_EQ(runTool({dir / "in.wav", dir / "out.wav"}).status, 0);
    const std::vector<uint8_t> file = fileBytes(dir / "out.wav");
    ASSERT_GT(file.size(), 12u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(le(file, 4, 4), file.size() - 8);
    const auto chunks = riffChunks(file);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].first, "fmt ");
    const std::vector<uint8_t>& fmt = chunks[0].second;
    ASSERT_EQ(fmt.size(), 18u) << "float needs the extension size field";
    EXPECT_EQ(le(fmt, 0, 2), 3u);  // IEEE float
    EXPECT_EQ(le(fmt, 16, 2), 0u);
    EXPECT_EQ(chunks[1].first, "fact");
    EXPECT_EQ(le(chunks[1].second, 0, 4), input.left.size());
    EXPECT_EQ(chunks[2].first, "data");
    EXPECT_EQ(chunks[2].second.size(), input.left.size() * 8);

    const ToolResult sox = runProgram("sh", {"-c", "command -v sox >/dev/null || exit 77; sox \"$0\" -n stat", dir / "out.wav"});
    if (sox.status == 77) GTEST_SKIP() << "sox is not installed";
    EXPECT_EQ(sox.status, 0);
    EXPECT_EQ(sox.err.find("WARN"), std::string::npos) << sox.err;
}

// The text of a PNG's iTXt or tEXt chunk with this keyword.
std::string pngText(const std::vector<uint8_t>& png, const std::string& keyword) {
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t size = (uint32_t{png[at]} << 24) | (uint32_t{png[at + 1]} << 16) | (uint32_t{png[at + 2]} << 8) | png[at + 3];
        const std::string type(png.begin() + static_cast<ptrdiff_t>(at) + 4, png.begin() + static_cast<ptrdiff_t>(at) + 8);
        const std::string body(png.begin() + static_cast<ptrdiff_t>(at) + 8,
                               png.begin() + static_cast<ptrdiff_t>(std::min(png.size(), at + 8 + size)));
        if ((type == "iTXt" || type == "tEXt") && body.compare(0, keyword.size() + 1, keyword + '\0') == 0) {
            if (type == "tEXt") return body.substr(keyword.size() + 1);
            // keyword, compression flag and method, language tag, translated keyword
            size_t text = keyword.size() + 3;
            text = body.find('\0', text) + 1;
            text = body.find('\0', text) + 1;
            return body.substr(text);
        }
        at += 12 + size;
    }
    return "";
}

// The pixels of the gain panel's colour scale.
std::vector<uint32_t> gainScalePixels(const std::string& path) {
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    std::vector<uint32_t> pixels;
    if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS) {
        const PlotRect r = gainScaleArea();
        const unsigned char* data = cairo_image_surface_get_data(png);
        const int stride = cairo_image_surface_get_stride(png);
        for (int y = r.y; y < r.y + r.height; ++y)
            for (int x = r.x; x < r.x + r.width; ++x)
                pixels.push_back(reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xFFFFFFu);
    }
    cairo_surface_destroy(png);
    return pixels;
}

TEST(Plot, TitleNamesTheProgramAndEverySettingInOrder) {
    ScratchDir dir;
    writeWav(dir / "in song.wav", testMaterial(44100, 1.0), 2);
    ASSERT_EQ(runTool({"--program", "Warm", "--set", "Highs=-2", "--save", dir / "dark.fxp"}).status, 0);
    const ToolResult r = runTool({"--set", "Bass=5", "--load", dir / "dark.fxp", "--set", "Style=German", "--plot",
                                  dir / "p.png", dir / "in song.wav"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<uint8_t> png = fileBytes(dir / "p.png");
    EXPECT_EQ(pngText(png, "Title"),
              "Orvan EQ, program \"Warm\" (--set Bass=5 --load dark.fxp --set Style=German): in song.wav");
    EXPECT_EQ(pngText(png, "Software"), "orvan-render");

    ASSERT_EQ(runTool({"--demo", "--plot", dir / "demo.png"}).status, 0);
    EXPECT_EQ(pngText(fileBytes(dir / "demo.png"), "Title"), "Orvan EQ, program \"Bass Enhancer\": demo material");
}

TEST(Plot, GainScaleIsTheSameForEveryRenderUntilPlotRangeChangesIt) {
    ScratchDir dir;
    writeWav(dir / "in.wav", testMaterial(44100, 1.5), 2);
    ASSERT_EQ(runTool({"--plot", dir / "flat.png", dir / "in.wav"}).status, 0);
    ASSERT_EQ(runTool({"--program", "Bass Enhancer", "--set", "Bass=5", "--plot", dir / "boost.png", dir / "in.wav"}).status, 0);
    ASSERT_EQ(runTool({"--plot-range", "6", "--set", "Highs=-5", "--plot", dir / "six.png", dir / "in.wav"}).status,
              0);
    ASSERT_EQ(runTool({"--plot-range=12", "--plot", dir / "wide.png", dir / "in.wav"}).status, 0);
    const std::vector<uint32_t> flat = gainScalePixels(dir / "flat.png");
    ASSERT_FALSE(flat.empty());
    EXPECT_EQ(flat, gainScalePixels(dir / "boost.png")) << "a flat and a boosted render share one scale";
    EXPECT_EQ(flat, gainScalePixels(dir / "six.png")) << "the default scale is 6 dB";
    EXPECT_NE(flat, gainScalePixels(dir / "wide.png"));

    EXPECT_EQ(runTool({"--plot-range", "12", dir / "in.wav", dir / "out.wav"}).status, 2) << "needs --plot";
    for (const char* bad : {"0", "-3", "x", "100"})
        EXPECT_EQ(runTool({"--plot-range", bad, "--plot", dir / "bad.png", dir / "in.wav"}).status, 2) << bad;
}

}  // namespace
