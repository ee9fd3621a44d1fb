// The graph builder's voice blocks: a run of records built once per voice, wired to the
// block's manager, to modules outside the block and to controls through repeated routes.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "dsp/framework/signal_graph.h"
#include "support/test_graph.h"
#include "support/voice_graph.h"

namespace {

// Records what the builder tells a voice input manager.
struct FakeManager : RecordingModule {
    using RecordingModule::RecordingModule;
    struct Attach {
        QB_ModuleBase* module;
        int32_t kind, port, voice;
        QB_VoiceBlock block;
    };
    std::vector<Attach> attaches;
    void attachVoiceTarget(QB_ModuleBase* module, int32_t kind, int32_t port, int32_t voice,
                           const QB_VoiceBlock& block) override {
        attaches.push_back({module, kind, port, voice, block});
    }
};

// Records what the builder tells a voice mixer.
struct FakeMixer : RecordingModule {
    using RecordingModule::RecordingModule;
    struct Source {
        QB_ModuleBase* manager;
        int32_t first, voices, stride, sourcePort, outPort;
    };
    std::vector<Source> sources;
    void attachVoiceSource(QB_ModuleBase* manager, int32_t first, int32_t voices, int32_t stride, int32_t sourcePort,
                           int32_t outPort) override {
        sources.push_back({manager, first, voices, stride, sourcePort, outPort});
    }
};

constexpr int kManager = 6100, kMixer = 6101, kVoiceA = 6110, kVoiceB = 6111, kOuter = 6120, kOuter2 = 6121,
              kNoClass = 6200;

QB_ModuleBase* create(int32_t code, QB_GraphHost* owner, bool disabled) {
    switch (code) {
    case kManager:
        return new FakeManager(owner, disabled);
    case kMixer:
        return new FakeMixer(owner, disabled);
    case kVoiceA:
    case kVoiceB:
    case kOuter:
    case kOuter2:
        return new RecordingModule(owner, disabled);
    default:
        return nullptr;
    }
}

QB_GraphRecord rec(int code, std::initializer_list<TestInput> inputs = {}) { return testRecord(code, inputs); }

QB_GraphRecord open(int voices, int manager) { return rec(kGraphOpenBlock, {{voices, 0, manager}}); }

const float kConstants[kGraphNumConstants] = {0.f, 1.f, 2.f};

struct Built {
    explicit Built(std::vector<QB_GraphRecord> table) : records(std::move(table)) {
        records.push_back(rec(kGraphEndCode + 1));
        graph.buildGraph(QB_GraphDefinition{records.data(), kConstants, create});
    }
    QB_ModuleBase* at(int i) const { return graph.moduleTable[i]; }
    std::vector<QB_GraphRecord> records;
    TestGraph graph;
};

// One route of an output: {target, port, count, stride}.
std::vector<std::vector<int>> routes(const QB_ModuleBase* m, int outPort) {
    std::vector<std::vector<int>> list;
    for (const QB_Connection* c = m->connections[outPort]; c != nullptr; c = c->next)
        list.push_back({c->targetModule, c->targetPort, c->voiceCount, c->voiceStride});
    return list;
}

using Routes = std::vector<std::vector<int>>;

TEST(VoiceBlocks, ABlockOfThreeVoicesIsBuiltThreeTimesDisabledAndEveryCopyIsWiredAlike) {
    Built b({
        rec(kOuter, {{0, 0, 5}}),
        rec(kManager, {{0, 0, 20}}),
        open(3, kManager),
        rec(kVoiceA, {{0, 1, kManager}, {1, 0, kManager}, {2, 0, kOuter}, {3, 0, 7}, {4, 0, 5502}}),
        rec(kNoClass, {{0, 0, kVoiceA}}),
        rec(kVoiceB, {{0, 0, kVoiceA}}),
        rec(kGraphCloseBlock),
        rec(kMixer),
        rec(kGraphVoiceSources, {{0, 0, kMixer}, {0, 0, kVoiceB}, {1, 0, kVoiceA}}),
    });
    const TestGraph& g = b.graph;
    ASSERT_EQ(g.moduleCount, 9);  // outer, manager, 3 x (A, B), mixer
    EXPECT_EQ(g.outputModule, 8);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ((b.at(i)->flags & QB_ModuleBase::kDisabled) != 0, i >= 2 && i <= 7) << "module " << i;

    auto* manager = static_cast<FakeManager*>(b.at(1));
    ASSERT_EQ(manager->attaches.size(), 7u);
    const QB_VoiceBlock& block = manager->attaches[0].block;
    EXPECT_EQ(manager->attaches[0].module, nullptr);  // first the block itself
    EXPECT_EQ(block.manager, 1);
    EXPECT_EQ(block.firstModule, 2);
    EXPECT_EQ(block.voices, 3);
    EXPECT_EQ(block.modulesPerVoice, 2);
    for (int v = 0; v < 3; ++v) {
        const auto& pitch = manager->attaches[1 + 2 * v];
        const auto& gate = manager->attaches[2 + 2 * v];
        EXPECT_EQ(pitch.module, b.at(2 + 2 * v));
        EXPECT_EQ(pitch.kind, 1);
        EXPECT_EQ(pitch.port, 0);
        EXPECT_EQ(pitch.voice, v);
        EXPECT_EQ(gate.module, b.at(2 + 2 * v));
        EXPECT_EQ(gate.kind, 0);
        EXPECT_EQ(gate.port, 1);
        EXPECT_EQ(gate.voice, v);
    }
    // One route per manager output, outer output and control reaches all three copies.
    EXPECT_EQ(routes(manager, 1), (Routes{{2, 0, 3, 2}}));
    EXPECT_EQ(routes(manager, 0), (Routes{{2, 1, 3, 2}}));
    EXPECT_EQ(routes(b.at(0), 0), (Routes{{2, 2, 3, 2}}));
    ASSERT_EQ(g.controlLinkCount[7], 1);
    EXPECT_EQ(g.controlLinks[7][0].moduleIndex, 2);
    EXPECT_EQ(g.controlLinks[7][0].count, 3);
    EXPECT_EQ(g.controlLinks[7][0].stride, 2);
    for (int v = 0; v < 3; ++v) {
        QB_ModuleBase* a = b.at(2 + 2 * v);
        QB_ModuleBase* bm = b.at(3 + 2 * v);
        EXPECT_EQ(a->inputs[2], b.at(0)->outputs[0]) << v;
        EXPECT_EQ(a->inputs[3], &g.graphControlValues[7]) << v;
        EXPECT_EQ(a->inputs[4], &kConstants[2]) << v;
        EXPECT_EQ(bm->inputs[0], a->outputs[0]) << "copy " << v << " reads its own A";
        EXPECT_EQ(bm->sources[0], a) << v;
        EXPECT_EQ(routes(a, 0), (Routes{{static_cast<int>(3 + 2 * v), 0, 0, 0}})) << v;
    }

    auto* mixer = static_cast<FakeMixer*>(b.at(8));
    ASSERT_EQ(mixer->sources.size(), 2u);
    EXPECT_EQ(mixer->sources[0].manager, manager);
    EXPECT_EQ(mixer->sources[0].first, 3);  // B of the first copy
    EXPECT_EQ(mixer->sources[0].voices, 3);
    EXPECT_EQ(mixer->sources[0].stride, 2);
    EXPECT_EQ(mixer->sources[0].outPort, 0);
    EXPECT_EQ(mixer->sources[1].first, 2);
    EXPECT_EQ(mixer->sources[1].outPort, 1);
}

TEST(VoiceBlocks, ACopyThatDoesNotFitTheModuleTableIsDroppedWithTheBlockShortened) {
    Built b({
        rec(kManager),
        open(150, kManager),
        rec(kVoiceA),
        rec(kVoiceB, {{0, 0, kVoiceA}}),
        rec(kGraphCloseBlock),
        rec(kOuter),
    });
    const TestGraph& g = b.graph;
    // 1 + 99 * 2 modules fill 199 slots; the 100th copy would need two and is dropped,
    // which leaves room for the record after the block.
    EXPECT_EQ(g.moduleCount, 200);
    auto* manager = static_cast<FakeManager*>(b.at(0));
    ASSERT_FALSE(manager->attaches.empty());
    EXPECT_EQ(manager->attaches[0].block.voices, 99);
    ASSERT_EQ(g.voiceBlockCount, 1);
    EXPECT_EQ(g.voiceBlocks[0].voices, 99);
    EXPECT_EQ(b.at(199)->flags & QB_ModuleBase::kDisabled, 0u);  // kOuter, built after the block
}

TEST(VoiceBlocks, ABlockWithoutAManagerOrAVoiceCountOrWithABusyManagerBuildsNothing) {
    Built b({
        rec(kManager),
        open(2, kOuter),  // no module has that code yet
        rec(kVoiceA),
        rec(kGraphCloseBlock),
        open(0, kManager),
        rec(kVoiceA),
        rec(kGraphCloseBlock),
        open(2, kManager),
        rec(kVoiceA),
        rec(kGraphCloseBlock),
        open(2, kManager),  // the manager serves the block above already
        rec(kVoiceA),
        rec(kGraphCloseBlock),
        rec(kOuter, {{0, 0, kVoiceA}}),
    });
    const TestGraph& g = b.graph;
    ASSERT_EQ(g.moduleCount, 4);  // manager, the one block's 2 copies, outer
    EXPECT_EQ(g.voiceBlockCount, 1);
    EXPECT_EQ(g.outputModule, 3);
    // Outside the block, a voice module's code names its last copy.
    EXPECT_EQ(b.at(3)->sources[0], b.at(2));
}

TEST(VoiceBlocks, AReenteredModuleReadsAModuleBuiltAfterItInsideAndOutsideABlock) {
    Built b({
        rec(kOuter),
        rec(kOuter2, {{0, 0, kOuter}}),
        rec(kGraphReenter, {{0, 0, kOuter}, {1, 0, kOuter2}, {2, 0, 9}}),
        rec(kManager),
        open(2, kManager),
        rec(kVoiceA),
        rec(kVoiceB, {{0, 0, kVoiceA}}),
        rec(kGraphReenter, {{0, 0, kVoiceA}, {1, 0, kVoiceB}}),
        rec(kGraphReenter, {{0, 0, kOuter}, {3, 0, kVoiceB}}),  // not of this copy: ignored
        rec(kGraphCloseBlock),
    });
    const TestGraph& g = b.graph;
    ASSERT_EQ(g.moduleCount, 7);
    EXPECT_EQ(b.at(0)->inputs[1], b.at(1)->outputs[0]);
    EXPECT_EQ(b.at(0)->inputs[2], &g.graphControlValues[9]);
    EXPECT_EQ(routes(b.at(1), 0), (Routes{{0, 1, 0, 0}}));
    for (int v = 0; v < 2; ++v) EXPECT_EQ(b.at(3 + 2 * v)->inputs[1], b.at(4 + 2 * v)->outputs[0]) << v;
    EXPECT_EQ(b.at(0)->inputs[3], nullptr);
}

}  // namespace
