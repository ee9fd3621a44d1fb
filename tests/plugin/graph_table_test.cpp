#include "plugin/graph_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

constexpr int kModules = 45;

// A plain copy of one connection (the packed fields cannot be bound by reference).
struct Conn {
    int input;
    int output;
    int source;
};

std::vector<Conn> connectionsOf(const QB_GraphRecord& r) {
    std::vector<Conn> list;
    for (int k = 0; k < 64 && r.connections[k].input != kGraphEndOfConnections; ++k)
        list.push_back({r.connections[k].input, r.connections[k].output, r.connections[k].source});
    return list;
}

// The connection feeding `input` of record `rec`; fails the test when there is none.
Conn inputOf(int rec, int input) {
    for (const Conn& c : connectionsOf(kGraphTable[rec]))
        if (c.input == input) return c;
    ADD_FAILURE() << "record " << rec << " has no input " << input;
    return {input, -1, -1};
}

void expectModuleSource(int rec, int input, int code, int output) {
    const Conn c = inputOf(rec, input);
    EXPECT_EQ(c.source, code) << "record " << rec << " in" << input;
    EXPECT_EQ(c.output, output) << "record " << rec << " in" << input;
}

TEST(GraphTable, HoldsFortyFiveModulesInTheListedOrderFollowedByOneEndRecord) {
    const int codes[kModules] = {6003, 6005, 6009, 6361, 6363, 6317, 6194, 6197, 6284, 6355, 6285, 6286,
                                 6356, 6357, 6287, 6288, 6358, 6289, 6290, 6359, 6362, 6207, 6023, 6024,
                                 6016, 6293, 6025, 6026, 6017, 6294, 6027, 6028, 6018, 6295, 6029, 6030,
                                 6019, 6296, 6031, 6032, 6020, 6297, 6307, 6308, 6320};
    ASSERT_EQ(kGraphTableLength, kModules + 1);
    for (int i = 0; i < kModules; ++i) EXPECT_EQ(kGraphTable[i].code, codes[i]) << "record " << i;
    EXPECT_GT(kGraphTable[kModules].code, kGraphEndCode);
}

TEST(GraphTable, RecordsAreLaidOutAsLittleEndianBytes) {
    static_assert(sizeof(kGraphTable[0]) == 258, "record size");
    uint8_t bytes[258];
    std::memcpy(bytes, &kGraphTable[1], sizeof bytes);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 6005);
    // in1 <- constant 5: input 1, output 0, source 5505.
    EXPECT_EQ(bytes[2 + 4], 1);
    EXPECT_EQ(bytes[3 + 4], 0);
    EXPECT_EQ(bytes[4 + 4] | bytes[5 + 4] << 8, 5505);
    // Sixteen connections, then the end marker.
    EXPECT_EQ(bytes[2 + 4 * 16], kGraphEndOfConnections);
}

TEST(GraphTable, EveryListEndsWithinSixtyFourConnectionsAndFeedsEachInputOnce) {
    for (int i = 0; i < kGraphTableLength; ++i) {
        const std::vector<Conn> list = connectionsOf(kGraphTable[i]);
        ASSERT_LT(list.size(), 64u) << "record " << i << " has no end marker";
        std::set<int> inputs;
        for (const Conn& c : list) {
            EXPECT_LT(c.input, 64) << "record " << i;
            EXPECT_TRUE(inputs.insert(c.input).second) << "record " << i << " feeds in" << c.input << " twice";
        }
    }
}

TEST(GraphTable, EverySourceIsAControlAListedConstantOrAnEarlierModule) {
    std::set<int> built;
    for (int i = 0; i < kModules; ++i) {
        for (const Conn& c : connectionsOf(kGraphTable[i])) {
            if (c.source >= kGraphFirstModuleCode) {
                EXPECT_EQ(built.count(c.source), 1u) << "record " << i << " reads " << c.source;
            } else if (c.source >= kGraphFirstConstant) {
                EXPECT_LE(c.source, kGraphFirstConstant + 144) << "record " << i;
                EXPECT_EQ(c.output, 0) << "record " << i;
            } else {
                EXPECT_GE(c.source, 0) << "record " << i;
                EXPECT_LE(c.source, 40) << "record " << i;
                EXPECT_EQ(c.output, 0) << "record " << i;
            }
        }
        EXPECT_TRUE(built.insert(kGraphTable[i].code).second) << "code " << kGraphTable[i].code << " twice";
    }
}

TEST(GraphTable, RecordsHaveTheListedNumberOfConnections) {
    const size_t counts[kModules] = {0, 16, 15, 1, 4, 3, 5, 3, 6, 3, 6, 6, 3, 3, 6, 6, 3, 6, 6, 3, 19, 2, 1,
                                     1, 1, 5, 1, 1, 1, 5, 1, 1, 1, 5, 1, 1, 1, 5, 1, 1, 1, 5, 33, 33, 3};
    for (int i = 0; i < kModules; ++i) EXPECT_EQ(connectionsOf(kGraphTable[i]).size(), counts[i]) << "record " << i;
}

TEST(GraphConstants, HoldTheListedValuesAtTheirIndices) {
    const std::pair<int, float> spots[] = {{0, 0},       {1, 1},       {50, 50},      {51, 60},
                                           {55, 100},    {56, 125},    {63, 300},     {91, 1000},
                                           {92, 1250},   {126, 9750},  {127, -1},     {128, -5},
                                           {129, -10},   {130, 0.1f},  {133, 0.4f},   {138, 0.9f},
                                           {139, 2200},  {140, 2400},  {143, 6100},   {144, 12000}};
    for (const auto& s : spots) EXPECT_EQ(kGraphConstants[s.first], s.second) << "index " << s.first;
    // The stepped runs have no gap or repeat.
    for (int i = 0; i <= 50; ++i) EXPECT_EQ(kGraphConstants[i], i);
    for (int i = 56; i <= 91; ++i) EXPECT_EQ(kGraphConstants[i], 125 + 25 * (i - 56)) << i;
    for (int i = 92; i <= 126; ++i) EXPECT_EQ(kGraphConstants[i], 1250 + 250 * (i - 92)) << i;
    for (int i = 145; i < 256; ++i) EXPECT_EQ(kGraphConstants[i], 0.0f) << i;
}

TEST(GraphTable, OnlyTheFixedValueModulesReadConstantsAndTheyReadTheListedValues) {
    const float fixedVolt[] = {0, 5, 10, 1, 20, 6, 0.1f, 3, 4, 100, 2200, 2400, 4100, 4200, 6100, 12000};
    const float fixedInt[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 50, 100, 300};
    const std::vector<float> expected[] = {{std::begin(fixedVolt), std::end(fixedVolt)},
                                           {std::begin(fixedInt), std::end(fixedInt)}};
    for (int rec = 1; rec <= 2; ++rec) {
        const std::vector<Conn> list = connectionsOf(kGraphTable[rec]);
        ASSERT_EQ(list.size(), expected[rec - 1].size());
        for (size_t n = 0; n < list.size(); ++n) {
            const Conn c = inputOf(rec, static_cast<int>(n));
            ASSERT_GE(c.source, kGraphFirstConstant);
            ASSERT_LT(c.source, kGraphFirstModuleCode);
            EXPECT_EQ(kGraphConstants[c.source - kGraphFirstConstant], expected[rec - 1][n])
                << "record " << rec << " in" << n;
        }
    }
    EXPECT_EQ(inputOf(1, 9).source, 5555);    // 100
    EXPECT_EQ(inputOf(1, 10).source, 5639);   // 2200
    EXPECT_EQ(inputOf(1, 6).source, 5630);    // 0.1
    EXPECT_EQ(inputOf(2, 14).source, 5563);   // 300
    for (int i = 3; i < kModules; ++i)
        for (const Conn& c : connectionsOf(kGraphTable[i]))
            EXPECT_FALSE(c.source >= kGraphFirstConstant && c.source < kGraphFirstModuleCode) << "record " << i;
}

TEST(GraphTable, ControlsReachTheModuleInputsTheParametersDrive) {
    using Target = std::pair<int, int>;  // module code, input
    std::map<int, std::set<Target>> links;
    for (int i = 0; i < kModules; ++i)
        for (const Conn& c : connectionsOf(kGraphTable[i]))
            if (c.source < kGraphFirstConstant) links[c.source].insert({kGraphTable[i].code, c.input});
    const std::map<int, std::set<Target>> expected = {
        {1, {{6363, 10}}},
        {2, {{6362, 1}}},
        {3, {{6362, 3}}},
        {4, {{6363, 0}}},
        {5, {{6362, 9}}},
        {6, {{6194, 4}, {6197, 4}, {6362, 4}}},
        {7, {{6355, 2}, {6356, 2}, {6357, 6}, {6358, 2}, {6359, 2}, {6362, 7}}},
        {8, {{6362, 5}}},
        {9, {{6362, 6}}},
        {10, {{6362, 10}}},
        {11, {{6362, 11}}},
        {12, {{6362, 12}}},
        {13, {{6362, 13}}},
        {14, {{6362, 14}}},
        {36, {{6363, 1}, {6362, 29}}},
        {37, {{6363, 9}}},
        {38, {{6361, 0}}},
    };
    EXPECT_EQ(links, expected);
}

TEST(GraphTable, TheControlLawHearsTheFiveDetectorsAndTheLevelMeter) {
    for (int d = 0; d < 5; ++d) expectModuleSource(20, 15 + d, 6355 + d, 0);
    expectModuleSource(20, 20, 6197, 0);
    // The level path it reads: encoder -> peak hold -> metering.
    expectModuleSource(5, 0, 6003, 0);
    expectModuleSource(5, 1, 6003, 1);
    expectModuleSource(5, 2, 6363, 14);
    expectModuleSource(6, 0, 6317, 0);
    expectModuleSource(6, 1, 6317, 1);
    expectModuleSource(6, 2, 6009, 13);
    expectModuleSource(6, 3, 6009, 12);
    expectModuleSource(7, 0, 6194, 0);
    expectModuleSource(7, 3, 6009, 14);
    expectModuleSource(21, 0, 6317, 0);
    expectModuleSource(21, 1, 6317, 1);
}

TEST(GraphTable, EachBandChainFeedsItsCoefficientDesignerFromTheControlLaw) {
    for (int b = 0; b < 5; ++b) {
        const int rec = 22 + 4 * b;
        EXPECT_EQ(kGraphTable[rec].code, 6023 + 2 * b);
        expectModuleSource(rec, 0, 6362, 3 * b);
        expectModuleSource(rec + 1, 0, 6362, 3 * b + 1);
        expectModuleSource(rec + 2, 0, 6362, 3 * b + 2);
        EXPECT_EQ(kGraphTable[rec + 3].code, 6293 + b);
        expectModuleSource(rec + 3, 0, 6023 + 2 * b, 0);
        expectModuleSource(rec + 3, 1, 6024 + 2 * b, 0);
        expectModuleSource(rec + 3, 2, 6016 + b, 0);
        expectModuleSource(rec + 3, 3, 6009, 9);
        expectModuleSource(rec + 3, 5, 6362, 15 + b);
    }
}

TEST(GraphTable, EachMultiBandEngineReadsAllSixStreamsOfTheFiveDesigners) {
    for (int ch = 0; ch < 2; ++ch) {
        const int rec = 42 + ch;
        expectModuleSource(rec, 0, 6207, ch);
        expectModuleSource(rec, 1, 6009, 1);
        expectModuleSource(rec, 3, 6363, 15 + ch);
        for (int b = 0; b < 5; ++b)
            for (int j = 0; j < 6; ++j) expectModuleSource(rec, 9 + 10 * b + j, 6293 + b, j);
    }
    expectModuleSource(44, 0, 6307, 0);
    expectModuleSource(44, 1, 6308, 0);
    expectModuleSource(44, 2, 6363, 14);
}

TEST(GraphTable, DetectorsListenThroughTheirPrefilterChains) {
    // {prefilter code, its audio source, its frequency (output of 6005), its in5 (output of 6009)}
    const int prefilters[][4] = {{6284, 6317, 9, 1},  {6285, 6317, 9, 4},  {6286, 6285, 11, 1},
                                 {6287, 6317, 10, 4}, {6288, 6287, 13, 1}, {6289, 6317, 12, 4},
                                 {6290, 6289, 14, 1}};
    for (const auto& p : prefilters) {
        int rec = 0;
        while (rec < kModules && kGraphTable[rec].code != p[0]) ++rec;
        ASSERT_LT(rec, kModules) << p[0];
        expectModuleSource(rec, 0, p[1], 0);
        expectModuleSource(rec, 2, 6005, p[2]);
        expectModuleSource(rec, 3, 6005, 0);
        expectModuleSource(rec, 4, 6005, 0);
        expectModuleSource(rec, 5, 6009, p[3]);
        expectModuleSource(rec, 6, 6009, 4);
    }
    // {detector record, prefilter, rate output of the response module}
    const int detectors[][3] = {{9, 6284, 0}, {12, 6286, 1}, {13, 6286, 2}, {16, 6288, 2}, {19, 6290, 2}};
    for (const auto& d : detectors) {
        expectModuleSource(d[0], 0, d[1], 0);
        expectModuleSource(d[0], 1, 6363, d[2]);
    }
}

}  // namespace
