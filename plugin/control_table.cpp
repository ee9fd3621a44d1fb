#include "plugin/control_table.h"

// Kinds are QB_Kind numbers (control_kinds.h), written as numbers so each record stays
// one line.

// The editor's text font travels in the bitmap field of the kind 72 record.
// clang-format off
const QB_ControlDescriptor kControlTable[] = {
//   control kind aux   x    y    bitmap             min       max       name             options                     tooltip
    {0,      0,   1,    0,   0,   "orvanD.png",      0,        0,        "orvanD.png",    "",                         ""},
    {0,      72,  -1,   0,   0,   "Arial",           0,        0,        nullptr,         nullptr,                    nullptr},
    {0,      68,  -1,   0,   0,   nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
    {4,      0,   -1,   151, 396, "Knob.png",        1000,     5,        "Response",      "",
        "Rate of pitch detection\nNote: Too fast may cause distortion"},
    {5,      0,   -1,   249, 396, "Knob.png",        0.5f,     1,        "Bandwidth",     "",
        "The overall bandwidth setting"},
    {37,     12,  -1,   21,  225, "TriButton.png",   0,        1,        "",              "",
        "Resets all Sliders to Zero"},
    {0,      69,  8,    0,   0,   nullptr,           0.5f,     0,        nullptr,         nullptr,                    nullptr},
    {36,     10,  -1,   428, 480, "AnimBypass.png",  0,        1,        "Bypass",        "",
        "Bypass the Orvan EQ\nAllows you to do A/B comparison"},
    {0,      69,  8,    0,   0,   nullptr,           1,        0,        nullptr,         nullptr,                    nullptr},
    {6,      8,   -1,   177, 480, "AnimOnOff.png",   0,        1,        "Dynamic",       "",
        "When On, Peak Levels will be utilised"},
    {7,      8,   -1,   279, 480, "AnimOnOff.png",   0,        1,        "Freeze",        "",
        "Locks the pitch detected values.\nAllows you to apply EQ from one source to another"},
    {8,      8,   -1,   228, 84,  "AnimOnOff.png",   1,        0,        "Multi 2nd",     "",
        "When On a separate pitch detector will be used for this band"},
    {9,      8,   -1,   324, 84,  "AnimOnOff.png",   1,        0,        "Multi High",    "",
        "When On a separate pitch detector will be used for this band"},
    {0,      70,  1,    44,  212, nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
    {10,     4,   -1,   50,  130, "sliderhead.png",  -5,       5,        "Bass",          "",
        "Boost or Cut Bass range.\n40-120hz depending on the input signal"},
    {11,     4,   -1,   147, 130, "sliderhead.png",  -5,       5,        "Basic",         "",
        "Boost or Cut Fundamental range.\n200-1500hz depending on the input signal.\n"
        "This control affects the overall sound very much"},
    {12,     4,   -1,   244, 130, "sliderhead.png",  -5,       5,        "2nd Harmonic",  "",
        "Boost or Cut the 2nd harmonic.\nThis control also affects the overall sound very much"},
    {13,     4,   -1,   342, 130, "sliderhead.png",  -5,       5,        "High Harmonic", "",
        "Boost or Cut the Higher harmonics.\nGenerally the 3rd or 4th harmonic.\n"
        "3000-7000Hz depending on the input signal"},
    {14,     4,   -1,   444, 130, "sliderhead.png",  -5,       5,        "Highs",         "",
        "Boost or Cut frequencies above 8000Hz"},
    {0,      67,  9,    50,  16,  nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
    {31,     29,  -1,   48,  337, "",                -5,       5,        "",              "",                         "Bass Gain"},
    {32,     29,  -1,   144, 337, "",                -5,       5,        "",              "",                         "Basic Gain"},
    {33,     29,  -1,   240, 337, "",                -5,       5,        "",              "",                         "Second Gain"},
    {34,     29,  -1,   339, 337, "",                -5,       5,        "",              "",                         "High Harmonic Gain"},
    {35,     29,  -1,   441, 337, "",                -5,       5,        "",              "",                         "Highs Gain"},
    {31,     66,  10,   0,   0,   nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
    {32,     66,  11,   0,   0,   nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
    {33,     66,  12,   0,   0,   nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
    {34,     66,  13,   0,   0,   nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
    {35,     66,  14,   0,   0,   nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
    {2,      14,  -1,   0,   0,   "",                0,        2,        "Style",         "American,German,British,", nullptr},
    {21,     13,  -1,   30,  380, "american.png",    0,        1,        nullptr,         nullptr,
        "Select American Orvan EQ style"},
    {22,     13,  -1,   30,  406, "german.png",      0,        1,        nullptr,         nullptr,
        "Select German Orvan EQ style"},
    {23,     13,  -1,   30,  432, "british.png",     0,        1,        nullptr,         nullptr,
        "Select British Orvan EQ style"},
    {21,     65,  0,    2,   0,   nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
    {22,     65,  1,    2,   0,   nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
    {23,     65,  2,    2,   0,   nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
    {3,      14,  -1,   0,   0,   "",                0,        2,        "Highs Mode",    "Mixing,Mastering,A.I.R,",  nullptr},
    {27,     13,  -1,   426, 32,  "mixing.png",      0,        1,        nullptr,         nullptr,
        "Mixing adjusts at 8kHz"},
    {28,     13,  -1,   426, 58,  "mastering.png",   0,        1,        nullptr,         nullptr,
        "Mastering adjusts at 12kHz"},
    {29,     13,  -1,   426, 84,  "air.png",         0,        1,        nullptr,         nullptr,
        "AIR is special mastering technology for high frequencies"},
    {27,     65,  0,    3,   0,   nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
    {28,     65,  1,    3,   0,   nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
    {29,     65,  2,    3,   0,   nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
    {0,      76,  0,    0,   0,   nullptr,           0,        0,        nullptr,         nullptr,                    nullptr},
};
// clang-format on

const int kControlTableLength = static_cast<int>(sizeof(kControlTable) / sizeof(kControlTable[0]));

// Colours of the text-style directive, indexed by its aux.
const uint8_t kControlColours[16][4] = {
    {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0},
    {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0},
    {255, 255, 255, 255},  // 9: white
    {0, 0, 0, 255},        // 10: black
    {127, 127, 127, 255},  // 11: grey
    {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0},
};

QB_ControlMaps::QB_ControlMaps() {
    // Every control starts at record 0, every option count at 0.
    for (int32_t c = 0; c < kNumControls; ++c) {
        parameterEntry[c] = 0;
        optionCounts_[c].store(0, std::memory_order_relaxed);
    }
    for (int r = 1; r < kControlTableLength && kControlTable[r].kind < QB_Kind::kEndOfTable; ++r) {
        const QB_ControlDescriptor& d = kControlTable[r];
        const int32_t control = d.controlNumber();
        if (d.kind < QB_Kind::kFirstDirective && control < kNumControls) parameterEntry[control] = r;
    }
}

QB_ControlMaps& qbControlMaps() {
    // Built on first use; the language makes this initialisation thread-safe.
    static QB_ControlMaps maps;
    return maps;
}
