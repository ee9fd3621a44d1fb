#include "plugin/control_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string text(const char* s) { return s == nullptr ? "<none>" : s; }

const QB_ControlDescriptor& entryOf(int control) { return kControlTable[qbControlMaps().parameterEntry[control]]; }

TEST(ControlTable, HasFortyFiveRecordsOfWhichOnlyTheLastEndsTheTable) {
    ASSERT_EQ(kControlTableLength, 45);
    for (int r = 0; r < 44; ++r) EXPECT_LT(kControlTable[r].kind, QB_Kind::kEndOfTable) << "record " << r;
    EXPECT_EQ(kControlTable[44].kind, 76);
    EXPECT_EQ(text(kControlTable[0].bitmap), "orvanD.png");
    EXPECT_EQ(text(kControlTable[0].name), "orvanD.png");
    EXPECT_EQ(kControlTable[1].kind, 72);
    EXPECT_EQ(text(kControlTable[1].bitmap), "Arial");
}

TEST(ControlMaps, ParameterEntryNamesTheLastControlRecordOfEachControl) {
    const int expected[kNumControls] = {0,  0,  30, 37, 3,  4,  9,  10, 11, 12, 14, 15, 16, 17,
                                        18, 0,  0,  0,  0,  0,  0,  31, 32, 33, 0,  0,  0,  38,
                                        39, 40, 0,  20, 21, 22, 23, 24, 7,  5,  0,  0,  0};
    for (int c = 0; c < kNumControls; ++c) EXPECT_EQ(qbControlMaps().parameterEntry[c], expected[c]) << "control " << c;
}

TEST(ControlTable, HostParametersHaveTheListedNamesRangesAndKinds) {
    struct Parameter {
        const char* name;
        float min, max;
        int kind;
    };
    const Parameter expected[kNumParams] = {
        {"orvanD.png", 0, 0, 0},      {"orvanD.png", 0, 0, 0},     {"Style", 0, 2, 14},
        {"Highs Mode", 0, 2, 14},     {"Response", 1000, 5, 0},    {"Bandwidth", 0.5f, 1, 0},
        {"Dynamic", 0, 1, 8},         {"Freeze", 0, 1, 8},         {"Multi 2nd", 1, 0, 8},
        {"Multi High", 1, 0, 8},      {"Bass", -5, 5, 4},          {"Basic", -5, 5, 4},
        {"2nd Harmonic", -5, 5, 4},   {"High Harmonic", -5, 5, 4}, {"Highs", -5, 5, 4},
        {"orvanD.png", 0, 0, 0},      {"orvanD.png", 0, 0, 0},     {"orvanD.png", 0, 0, 0},
    };
    for (int p = 0; p < kNumParams; ++p) {
        const QB_ControlDescriptor& d = entryOf(p);
        EXPECT_EQ(text(d.name), expected[p].name) << "parameter " << p;
        EXPECT_EQ(d.min, expected[p].min) << "parameter " << p;
        EXPECT_EQ(d.max, expected[p].max) << "parameter " << p;
        EXPECT_EQ(d.kind, expected[p].kind) << "parameter " << p;
    }
}

TEST(ControlTable, NoRecordIsGlobalAndNoParameterHasADefaultMidiController) {
    for (int r = 0; r < kControlTableLength; ++r) {
        const QB_ControlDescriptor& d = kControlTable[r];
        EXPECT_FALSE(d.isGlobal()) << "record " << r;
        EXPECT_LE(d.controlNumber(), 40) << "record " << r;
        if (r > 0 && d.kind < 50 && d.controlNumber() < kNumParams) {
            EXPECT_EQ(d.aux, -1) << "record " << r;
        }
    }
}

TEST(ControlTable, SelectorsListTheirOptionsCommaTerminated) {
    EXPECT_EQ(text(entryOf(2).options), "American,German,British,");
    EXPECT_EQ(text(entryOf(3).options), "Mixing,Mastering,A.I.R,");
    EXPECT_EQ(text(entryOf(21).bitmap), "american.png");
    EXPECT_EQ(text(entryOf(23).bitmap), "british.png");
    EXPECT_EQ(text(entryOf(28).bitmap), "mastering.png");
    // Each selector's buttons are linked to it by kind 65 records: aux = option, x = selector.
    for (int i = 0; i < 3; ++i) {
        const QB_ControlDescriptor& style = kControlTable[34 + i];
        const QB_ControlDescriptor& mode = kControlTable[41 + i];
        EXPECT_EQ(style.kind, 65);
        EXPECT_EQ(style.controlNumber(), 21 + i);
        EXPECT_EQ(style.aux, i);
        EXPECT_EQ(style.x, 2);
        EXPECT_EQ(mode.kind, 65);
        EXPECT_EQ(mode.controlNumber(), 27 + i);
        EXPECT_EQ(mode.aux, i);
        EXPECT_EQ(mode.x, 3);
    }
}

TEST(ControlTable, GainReadoutsArePairedWithTheirSliders) {
    const char* tooltips[] = {"Bass Gain", "Basic Gain", "Second Gain", "High Harmonic Gain", "Highs Gain"};
    for (int i = 0; i < 5; ++i) {
        const QB_ControlDescriptor& readout = entryOf(31 + i);
        EXPECT_EQ(readout.kind, 29);
        EXPECT_EQ(text(readout.tooltip), tooltips[i]);
        EXPECT_EQ(readout.min, -5);
        EXPECT_EQ(readout.max, 5);
        const QB_ControlDescriptor& pair = kControlTable[25 + i];
        EXPECT_EQ(pair.kind, 66);
        EXPECT_EQ(pair.controlNumber(), 31 + i);
        EXPECT_EQ(pair.aux, 10 + i);
    }
}

TEST(ControlTable, WidgetsUseExactlyTheShippedImages) {
    std::set<std::string> used;
    for (int r = 0; r < kControlTableLength; ++r)
        if (kControlTable[r].kind != 72 && kControlTable[r].bitmap != nullptr && kControlTable[r].bitmap[0] != '\0')
            used.insert(kControlTable[r].bitmap);
    const std::set<std::string> shipped = {"orvanD.png", "Knob.png",     "sliderhead.png", "AnimOnOff.png",
                                           "AnimBypass.png", "TriButton.png", "american.png", "german.png",
                                           "british.png", "mixing.png",   "mastering.png", "air.png"};
    EXPECT_EQ(used, shipped);
}

TEST(ControlTable, WidgetsSitAtTheirPositionsWithTheirTooltips) {
    struct Spot {
        int control, x, y;
        const char* tooltip;
    };
    const Spot spots[] = {
        {4, 151, 396, "Rate of pitch detection\nNote: Too fast may cause distortion"},
        {36, 428, 480, "Bypass the Orvan EQ\nAllows you to do A/B comparison"},
        {11, 147, 130,
         "Boost or Cut Fundamental range.\n200-1500hz depending on the input signal.\n"
         "This control affects the overall sound very much"},
        {13, 342, 130,
         "Boost or Cut the Higher harmonics.\nGenerally the 3rd or 4th harmonic.\n"
         "3000-7000Hz depending on the input signal"},
        {37, 21, 225, "Resets all Sliders to Zero"},
        {9, 324, 84, "When On a separate pitch detector will be used for this band"},
        {29, 426, 84, "AIR is special mastering technology for high frequencies"},
        {35, 441, 337, "Highs Gain"},
    };
    for (const Spot& s : spots) {
        const QB_ControlDescriptor& d = entryOf(s.control);
        EXPECT_EQ(d.x, s.x) << "control " << s.control;
        EXPECT_EQ(d.y, s.y) << "control " << s.control;
        EXPECT_EQ(text(d.tooltip), s.tooltip) << "control " << s.control;
    }
    // The directives carry their arguments.
    EXPECT_EQ(kControlTable[6].min, 0.5f);
    EXPECT_EQ(kControlTable[8].min, 1.0f);
    EXPECT_EQ(kControlTable[13].x, 44);
    EXPECT_EQ(kControlTable[13].y, 212);
    EXPECT_EQ(kControlTable[19].aux, 9);
}

TEST(ControlColours, TextStyleEntriesAreWhiteBlackAndGreyAndTheRestZero) {
    const uint8_t white[4] = {255, 255, 255, 255}, black[4] = {0, 0, 0, 255}, grey[4] = {127, 127, 127, 255};
    for (int i = 0; i < 16; ++i) {
        const uint8_t* want = i == 9 ? white : i == 10 ? black : i == 11 ? grey : nullptr;
        for (int c = 0; c < 4; ++c) EXPECT_EQ(kControlColours[i][c], want ? want[c] : 0) << i << "," << c;
    }
}

TEST(ControlMaps, AreOneObjectForEveryCallerOnEveryThread) {
    std::vector<QB_ControlMaps*> seen(4, nullptr);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back([&seen, t] { seen[t] = &qbControlMaps(); });
    for (std::thread& t : threads) t.join();
    for (QB_ControlMaps* m : seen) EXPECT_EQ(m, &qbControlMaps());
}

}  // namespace
