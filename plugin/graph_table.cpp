#include "plugin/graph_table.h"

#include <initializer_list>

#include "plugin/module_registry.h"

// Constant inputs read these values through their index (source - 5500). The tenths
// are the float literals 0.1f .. 0.9f, not multiples of 0.1f.
constexpr float kGraphConstants[kGraphNumConstants] = {
    // 0..50
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25,
    26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48,
    49, 50,
    // 51..55
    60, 70, 80, 90, 100,
    // 56..91: 125 to 1000 in steps of 25
    125, 150, 175, 200, 225, 250, 275, 300, 325, 350, 375, 400, 425, 450, 475, 500, 525, 550,
    575, 600, 625, 650, 675, 700, 725, 750, 775, 800, 825, 850, 875, 900, 925, 950, 975, 1000,
    // 92..126: 1250 to 9750 in steps of 250
    1250, 1500, 1750, 2000, 2250, 2500, 2750, 3000, 3250, 3500, 3750, 4000, 4250, 4500, 4750,
    5000, 5250, 5500, 5750, 6000, 6250, 6500, 6750, 7000, 7250, 7500, 7750, 8000, 8250, 8500,
    8750, 9000, 9250, 9500, 9750,
    // 127..129
    -1, -5, -10,
    // 130..138
    0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f,
    // 139..144
    2200, 2400, 4100, 4200, 6100, 12000,
    // 145..255 stay 0
};

namespace {

// One input's source: a module output, a constant or a control.
struct Source {
    int16_t source;
    uint8_t output;
};

// Output `output` of the module built with `code`.
constexpr Source mod(int code, int output) {
    return {static_cast<int16_t>(code), static_cast<uint8_t>(output)};
}

// Control number `control`.
constexpr Source ctl(int control) { return {static_cast<int16_t>(control), 0}; }

// The constant with this value; its first index in kGraphConstants. A value missing from
// the constants gives an invalid source, which the check below rejects at compile time.
constexpr Source k(float value) {
    for (int i = 0; i < kGraphNumConstants; ++i)
        if (kGraphConstants[i] == value) return {static_cast<int16_t>(kGraphFirstConstant + i), 0};
    return {-1, 0};
}

struct In {
    int input;
    Source from;
};

constexpr void append(QB_GraphRecord& r, int& count, int input, Source from) {
    r.connections[count].input = static_cast<uint8_t>(input);
    r.connections[count].output = from.output;
    r.connections[count].source = from.source;
    ++count;
    if (count < kGraphConnectionsPerRecord) r.connections[count].input = kGraphEndOfConnections;
}

constexpr int connectionCount(const QB_GraphRecord& r) {
    int n = 0;
    while (n < kGraphConnectionsPerRecord && r.connections[n].input != kGraphEndOfConnections) ++n;
    return n;
}

// A record: the module code and its inputs in the order given.
constexpr QB_GraphRecord rec(int code, std::initializer_list<In> inputs) {
    QB_GraphRecord r{};
    r.code = static_cast<int16_t>(code);
    r.connections[0].input = kGraphEndOfConnections;
    int count = 0;
    for (const In& in : inputs) append(r, count, in.input, in.from);
    return r;
}

// Adds the coefficient streams of the five bands to a multi-band engine: band b reads
// outputs 0..5 of coefficient designer 6293 + b on inputs 9 + 10b .. 14 + 10b.
constexpr QB_GraphRecord withBandCoefficients(QB_GraphRecord r) {
    int count = connectionCount(r);
    for (int b = 0; b < 5; ++b)
        for (int j = 0; j < 6; ++j) append(r, count, 9 + 10 * b + j, mod(6293 + b, j));
    return r;
}

}  // namespace

constexpr QB_GraphRecord kGraphTable[] = {
    /* 0 */ rec(6003, {}),  // Host_AudioIn
    /* 1 */ rec(6005, {{0, k(0)}, {1, k(5)}, {2, k(10)}, {3, k(1)}, {4, k(20)}, {5, k(6)},
                       {6, k(0.1f)}, {7, k(3)}, {8, k(4)}, {9, k(100)}, {10, k(2200)},
                       {11, k(2400)}, {12, k(4100)}, {13, k(4200)}, {14, k(6100)},
                       {15, k(12000)}}),  // FixedValueToVolt
    /* 2 */ rec(6009, {{0, k(0)}, {1, k(1)}, {2, k(2)}, {3, k(3)}, {4, k(4)}, {5, k(5)},
                       {6, k(6)}, {7, k(7)}, {8, k(8)}, {9, k(9)}, {10, k(10)}, {11, k(11)},
                       {12, k(50)}, {13, k(100)}, {14, k(300)}}),  // FixedValueToINT_FLOAT
    /* 3 */ rec(6361, {{0, ctl(38)}}),  // OS_Command
    /* 4 */ rec(6363, {{0, ctl(4)}, {1, ctl(36)}, {9, ctl(37)}, {10, ctl(1)}}),  // OrvanEq_Response
    /* 5 */ rec(6317, {{0, mod(6003, 0)}, {1, mod(6003, 1)}, {2, mod(6363, 14)}}),  // SumDiff_Encode
    /* 6 */ rec(6194, {{0, mod(6317, 0)}, {1, mod(6317, 1)}, {2, mod(6009, 13)}, {3, mod(6009, 12)},
                       {4, ctl(6)}}),  // Peak_Hold
    /* 7 */ rec(6197, {{0, mod(6194, 0)}, {3, mod(6009, 14)}, {4, ctl(6)}}),  // Metering
    /* 8 */ rec(6284, {{0, mod(6317, 0)}, {2, mod(6005, 9)}, {3, mod(6005, 0)}, {4, mod(6005, 0)},
                       {5, mod(6009, 1)}, {6, mod(6009, 4)}}),  // BiQuad_Static
    /* 9 */ rec(6355, {{0, mod(6284, 0)}, {1, mod(6363, 0)}, {2, ctl(7)}}),  // Pitch_Detect
    /* 10 */ rec(6285, {{0, mod(6317, 0)}, {2, mod(6005, 9)}, {3, mod(6005, 0)}, {4, mod(6005, 0)},
                        {5, mod(6009, 4)}, {6, mod(6009, 4)}}),  // BiQuad_Static
    /* 11 */ rec(6286, {{0, mod(6285, 0)}, {2, mod(6005, 11)}, {3, mod(6005, 0)}, {4, mod(6005, 0)},
                        {5, mod(6009, 1)}, {6, mod(6009, 4)}}),  // BiQuad_Static
    /* 12 */ rec(6356, {{0, mod(6286, 0)}, {1, mod(6363, 1)}, {2, ctl(7)}}),  // Pitch_Detect
    /* 13 */ rec(6357, {{0, mod(6286, 0)}, {1, mod(6363, 2)}, {6, ctl(7)}}),  // Pitch_Detect
    /* 14 */ rec(6287, {{0, mod(6317, 0)}, {2, mod(6005, 10)}, {3, mod(6005, 0)}, {4, mod(6005, 0)},
                        {5, mod(6009, 4)}, {6, mod(6009, 4)}}),  // BiQuad_Static
    /* 15 */ rec(6288, {{0, mod(6287, 0)}, {2, mod(6005, 13)}, {3, mod(6005, 0)}, {4, mod(6005, 0)},
                        {5, mod(6009, 1)}, {6, mod(6009, 4)}}),  // BiQuad_Static
    /* 16 */ rec(6358, {{0, mod(6288, 0)}, {1, mod(6363, 2)}, {2, ctl(7)}}),  // Pitch_Detect
    /* 17 */ rec(6289, {{0, mod(6317, 0)}, {2, mod(6005, 12)}, {3, mod(6005, 0)}, {4, mod(6005, 0)},
                        {5, mod(6009, 4)}, {6, mod(6009, 4)}}),  // BiQuad_Static
    /* 18 */ rec(6290, {{0, mod(6289, 0)}, {2, mod(6005, 14)}, {3, mod(6005, 0)}, {4, mod(6005, 0)},
                        {5, mod(6009, 1)}, {6, mod(6009, 4)}}),  // BiQuad_Static
    /* 19 */ rec(6359, {{0, mod(6290, 0)}, {1, mod(6363, 2)}, {2, ctl(7)}}),  // Pitch_Detect
    /* 20 */ rec(6362, {{1, ctl(2)}, {3, ctl(3)}, {4, ctl(6)}, {5, ctl(8)}, {6, ctl(9)}, {7, ctl(7)},
                        {9, ctl(5)}, {10, ctl(10)}, {11, ctl(11)}, {12, ctl(12)}, {13, ctl(13)},
                        {14, ctl(14)}, {15, mod(6355, 0)}, {16, mod(6356, 0)}, {17, mod(6357, 0)},
                        {18, mod(6358, 0)}, {19, mod(6359, 0)}, {20, mod(6197, 0)},
                        {29, ctl(36)}}),  // OrvanEq_Control
    /* 21 */ rec(6207, {{0, mod(6317, 0)}, {1, mod(6317, 1)}}),  // Delay_ST
    /* 22 */ rec(6023, {{0, mod(6362, 0)}}),  // Float_to_Volt
    /* 23 */ rec(6024, {{0, mod(6362, 1)}}),  // Float_to_Volt
    /* 24 */ rec(6016, {{0, mod(6362, 2)}}),  // GUItoV_Glide
    /* 25 */ rec(6293, {{0, mod(6023, 0)}, {1, mod(6024, 0)}, {2, mod(6016, 0)}, {3, mod(6009, 9)},
                        {5, mod(6362, 15)}}),  // BiQuad_Coeff
    /* 26 */ rec(6025, {{0, mod(6362, 3)}}),  // Float_to_Volt
    /* 27 */ rec(6026, {{0, mod(6362, 4)}}),  // Float_to_Volt
    /* 28 */ rec(6017, {{0, mod(6362, 5)}}),  // GUItoV_Glide
    /* 29 */ rec(6294, {{0, mod(6025, 0)}, {1, mod(6026, 0)}, {2, mod(6017, 0)}, {3, mod(6009, 9)},
                        {5, mod(6362, 16)}}),  // BiQuad_Coeff
    /* 30 */ rec(6027, {{0, mod(6362, 6)}}),  // Float_to_Volt
    /* 31 */ rec(6028, {{0, mod(6362, 7)}}),  // Float_to_Volt
    /* 32 */ rec(6018, {{0, mod(6362, 8)}}),  // GUItoV_Glide
    /* 33 */ rec(6295, {{0, mod(6027, 0)}, {1, mod(6028, 0)}, {2, mod(6018, 0)}, {3, mod(6009, 9)},
                        {5, mod(6362, 17)}}),  // BiQuad_Coeff
    /* 34 */ rec(6029, {{0, mod(6362, 9)}}),  // Float_to_Volt
    /* 35 */ rec(6030, {{0, mod(6362, 10)}}),  // Float_to_Volt
    /* 36 */ rec(6019, {{0, mod(6362, 11)}}),  // GUItoV_Glide
    /* 37 */ rec(6296, {{0, mod(6029, 0)}, {1, mod(6030, 0)}, {2, mod(6019, 0)}, {3, mod(6009, 9)},
                        {5, mod(6362, 18)}}),  // BiQuad_Coeff
    /* 38 */ rec(6031, {{0, mod(6362, 12)}}),  // Float_to_Volt
    /* 39 */ rec(6032, {{0, mod(6362, 13)}}),  // Float_to_Volt
    /* 40 */ rec(6020, {{0, mod(6362, 14)}}),  // GUItoV_Glide
    /* 41 */ rec(6297, {{0, mod(6031, 0)}, {1, mod(6032, 0)}, {2, mod(6020, 0)}, {3, mod(6009, 9)},
                        {5, mod(6362, 19)}}),  // BiQuad_Coeff
    /* 42 */ withBandCoefficients(rec(6307, {{0, mod(6207, 0)}, {1, mod(6009, 1)},
                                             {3, mod(6363, 15)}})),  // BiQuad_Multi_Engine, left
    /* 43 */ withBandCoefficients(rec(6308, {{0, mod(6207, 1)}, {1, mod(6009, 1)},
                                             {3, mod(6363, 16)}})),  // BiQuad_Multi_Engine, right
    /* 44 */ rec(6320, {{0, mod(6307, 0)}, {1, mod(6308, 0)}, {2, mod(6363, 14)}}),  // SumDiff_Decode
    rec(kGraphEndCode + 1, {}),
};

constexpr int kGraphTableLength = static_cast<int>(sizeof(kGraphTable) / sizeof(kGraphTable[0]));

namespace {

// Every source is a control, a listed constant or a module built by an earlier record.
constexpr bool sourcesAreValid() {
    for (int i = 0; i + 1 < kGraphTableLength; ++i) {
        const QB_GraphRecord& r = kGraphTable[i];
        for (int c = 0; c < connectionCount(r); ++c) {
            const int s = r.connections[c].source;
            if (s < 0) return false;
            if (s >= kGraphFirstModuleCode) {
                bool earlier = false;
                for (int j = 0; j < i; ++j) earlier = earlier || kGraphTable[j].code == s;
                if (!earlier) return false;
            }
        }
    }
    return true;
}
static_assert(sourcesAreValid(), "a graph input names a missing constant or a later module");

}  // namespace

const QB_GraphDefinition kShippedGraph = {kGraphTable, kGraphConstants, qbCreateModule};
