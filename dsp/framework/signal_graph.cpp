#include "dsp/framework/signal_graph.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "dsp/framework/module_base.h"
#include "platform/cpu_features.h"

int32_t qbDisplayRound(float graphValue) {
    double d = static_cast<double>(graphValue * 10.0f) + 1000.5;
    if (!(d == d)) return 0;  // NaN
    if (d > 2147483647.0) d = 2147483647.0;
    if (d < -2147483648.0) d = -2147483648.0;
    const int64_t r = static_cast<int64_t>(d) - 1000;
    return r < INT32_MIN ? INT32_MIN : static_cast<int32_t>(r);
}

QB_SignalGraph::QB_SignalGraph() {
    for (auto& i : moduleIndexOfCode) i = -1;
    for (auto& g : jointGroupOf) g = -1;
}

QB_SignalGraph::~QB_SignalGraph() { destroyGraph(); }

void QB_SignalGraph::destroyGraph() {
    for (int32_t i = moduleCount; i-- > 0;) {
        QB_ModuleBase* m = moduleTable[i];
        if (m != nullptr) {
            m->release();
            delete m;
        }
        moduleTable[i] = nullptr;
    }
    moduleCount = 0;
    outputModule = -1;
    graphRing = 0;
    for (auto& i : moduleIndexOfCode) i = -1;
    for (auto& n : controlLinkCount) n = 0;
    voiceBlockCount = 0;
    jointGroupCount = 0;
    for (auto& g : jointGroupOf) g = -1;
    for (auto& r : ranJointly) r = false;
    for (auto& w : jointWaiting) w = 0;
}

namespace {

bool isDirective(int16_t code) {
    return code == kGraphVoiceSources || code == kGraphOpenBlock || code == kGraphCloseBlock || code == kGraphReenter;
}

int32_t connectionCount(const QB_GraphRecord& r) {
    int32_t n = 0;
    while (n < kGraphConnectionsPerRecord && r.connections[n].input != kGraphEndOfConnections) ++n;
    return n;
}

}  // namespace

int16_t QB_SignalGraph::indexOfCode(int16_t code) const {
    if (code < kGraphFirstModuleCode || code > kGraphLastIndexedCode) return -1;
    return moduleIndexOfCode[code - kGraphFirstModuleCode];
}

const QB_VoiceBlock* QB_SignalGraph::blockHolding(int32_t index) const {
    for (int32_t b = 0; b < voiceBlockCount; ++b) {
        const QB_VoiceBlock& k = voiceBlocks[b];
        if (index >= k.firstModule && index < k.firstModule + k.voices * k.modulesPerVoice) return &k;
    }
    return nullptr;
}

int32_t QB_SignalGraph::buildGraph(const QB_GraphDefinition& graph) {
    destroyGraph();
    const QB_GraphRecord* r = graph.records;
    while (r->code <= kGraphEndCode && moduleCount < kMaxModules) {
        const WireContext outside{nullptr, 0};
        switch (r->code) {
        case kGraphOpenBlock:
            r = buildVoiceBlock(graph, r);
            continue;
        case kGraphVoiceSources:
            attachVoiceSources(*r);
            break;
        case kGraphReenter:
            reenter(graph, *r, outside);
            break;
        case kGraphCloseBlock:  // without an open block: nothing to close
            break;
        default:
            outputModule = buildRecord(graph, *r) ? moduleCount - 1 : -1;
        }
        ++r;
    }
    graphRing = static_cast<uint32_t>(internalBlockSize);
    // The scalar level is the reference: every module alone, in graph order.
    if (qbSimdLevel() != QB_SimdLevel::kScalar)
        jointGroupCount = qbFormJointGroups(
            moduleTable, moduleCount,
            [](const void* g, int32_t i) { return static_cast<const QB_SignalGraph*>(g)->blockHolding(i) != nullptr; },
            this, jointGroups, kMaxJointGroups, jointGroupOf);
    return moduleCount;
}

bool QB_SignalGraph::buildRecord(const QB_GraphDefinition& graph, const QB_GraphRecord& r) {
    const int16_t g = static_cast<int16_t>(moduleCount);
    const bool indexed = r.code >= kGraphFirstModuleCode && r.code <= kGraphLastIndexedCode;
    if (indexed) moduleIndexOfCode[r.code - kGraphFirstModuleCode] = -1;
    QB_ModuleBase* m = graph.createModule(r.code, this, false);
    // A record that creates nothing takes no module index, so no later record can be
    // wired to the wrong module through its code.
    if (m == nullptr) return false;
    if (indexed) moduleIndexOfCode[r.code - kGraphFirstModuleCode] = g;
    moduleTable[g] = m;
    ++moduleCount;
    wireInputs(graph, r.connections, connectionCount(r), m, g, WireContext{nullptr, 0});
    return true;
}

const QB_GraphRecord* QB_SignalGraph::buildVoiceBlock(const QB_GraphDefinition& graph, const QB_GraphRecord* open) {
    const QB_GraphRecord* body = open + 1;
    const QB_GraphRecord* close = body;
    while (close->code <= kGraphEndCode && close->code != kGraphCloseBlock) ++close;
    const QB_GraphRecord* after = close->code == kGraphCloseBlock ? close + 1 : close;

    const int32_t count = open->connections[0].input;
    const int16_t manager = indexOfCode(open->connections[0].source);
    bool managerFree = manager >= 0 && blockHolding(manager) == nullptr;
    for (int32_t b = 0; b < voiceBlockCount; ++b) managerFree = managerFree && voiceBlocks[b].manager != manager;
    if (count < 1 || count >= kGraphEndOfConnections || !managerFree || voiceBlockCount >= kMaxVoiceBlocks)
        return after;

    // Create every copy first: the stride of the routes is the size of one copy, known
    // only once the first copy exists. A copy must hold a module for exactly the records
    // that made one in the first copy.
    const int32_t first = moduleCount;
    std::vector<int32_t> made;  // records of the first copy that created a module
    std::vector<int32_t> copy;
    int32_t voices = 0;
    for (; voices < count; ++voices) {
        const int32_t copyStart = moduleCount;
        copy.clear();
        bool full = false;
        for (const QB_GraphRecord* r = body; r != close && !full; ++r) {
            if (isDirective(r->code)) continue;
            QB_ModuleBase* m = graph.createModule(r->code, this, true);
            if (m == nullptr) continue;
            if (moduleCount >= kMaxModules) {
                delete m;
                full = true;
            } else {
                moduleTable[moduleCount++] = m;
                copy.push_back(static_cast<int32_t>(r - body));
            }
        }
        if (voices == 0) made = copy;
        if (full || copy.empty() || copy != made) {
            for (int32_t i = copyStart; i < moduleCount; ++i) {
                delete moduleTable[i];
                moduleTable[i] = nullptr;
            }
            moduleCount = copyStart;
            break;
        }
    }
    if (voices == 0) return after;
    const int32_t perVoice = static_cast<int32_t>(made.size());

    QB_VoiceBlock& block = voiceBlocks[voiceBlockCount++];
    block = QB_VoiceBlock{manager, static_cast<int16_t>(first), static_cast<int16_t>(voices),
                          static_cast<int16_t>(perVoice)};
    moduleTable[manager]->attachVoiceTarget(nullptr, 0, 0, -1, block);
    // Wire the copies in record order, each against its own modules.
    for (int32_t v = 0; v < voices; ++v) {
        const WireContext context{&block, v};
        size_t next = 0;  // the copy's next module, in made's order
        for (const QB_GraphRecord* r = body; r != close; ++r) {
            if (r->code == kGraphReenter) reenter(graph, *r, context);
            if (isDirective(r->code)) continue;
            const bool indexed = r->code >= kGraphFirstModuleCode && r->code <= kGraphLastIndexedCode;
            if (next >= made.size() || made[next] != static_cast<int32_t>(r - body)) {
                if (indexed) moduleIndexOfCode[r->code - kGraphFirstModuleCode] = -1;
                continue;
            }
            const int16_t index = static_cast<int16_t>(first + v * perVoice + static_cast<int32_t>(next++));
            if (indexed) moduleIndexOfCode[r->code - kGraphFirstModuleCode] = index;
            wireInputs(graph, r->connections, connectionCount(*r), moduleTable[index], index, context);
        }
    }
    outputModule = moduleCount - 1;
    return after;
}
void QB_SignalGraph::wireInputs(const QB_GraphDefinition& graph, const QB_GraphConnection* list, int32_t count,
                                QB_ModuleBase* m, int16_t index, const WireContext& context) {
    const QB_VoiceBlock* block = context.block;
    const int16_t voices = block != nullptr ? block->voices : 0;
    const int16_t stride = block != nullptr ? block->modulesPerVoice : 0;
    // The first copy records the route or link that reaches every copy.
    const int32_t repeated = block != nullptr && context.voice > 0 ? 1 : 0;
    for (int32_t k = 0; k < count; ++k) {
        const QB_GraphConnection& c = list[k];
        if (c.input >= QB_ModuleBase::kMaxPorts) continue;
        if (c.source >= kGraphFirstModuleCode) {
            const int16_t src = indexOfCode(c.source);
            if (src < 0 || src >= moduleCount || src == index) continue;
            QB_ModuleBase* from = moduleTable[src];
            if (block == nullptr || blockHolding(src) == block) {
                from->connect(m, index, c.output, c.input, 0, 0, 0);
            } else {
                from->connect(m, index, c.output, c.input, voices, stride, repeated);
                if (src == block->manager) from->attachVoiceTarget(m, c.output, c.input, context.voice, *block);
            }
        } else if (c.source >= kGraphFirstConstant) {
            const int constant = c.source - kGraphFirstConstant;
            if (constant < kGraphNumConstants) m->setInput(c.input, &graph.constants[constant]);
        } else if (c.source >= 0 && c.source < kGraphNumControls) {
            linkControl(m, index, c.source, c.input, voices, stride, repeated);
        }
    }
}

void QB_SignalGraph::reenter(const QB_GraphDefinition& graph, const QB_GraphRecord& r, const WireContext& context) {
    const int32_t n = connectionCount(r);
    if (n < 1) return;
    const int16_t target = indexOfCode(r.connections[0].source);
    if (target < 0 || target >= moduleCount) return;
    if (context.block != nullptr) {
        const int32_t copyStart = context.block->firstModule + context.voice * context.block->modulesPerVoice;
        if (target < copyStart || target >= copyStart + context.block->modulesPerVoice) return;
    } else if (blockHolding(target) != nullptr) {
        return;
    }
    wireInputs(graph, r.connections + 1, n - 1, moduleTable[target], target, context);
}

void QB_SignalGraph::attachVoiceSources(const QB_GraphRecord& r) {
    const int32_t n = connectionCount(r);
    if (n < 1) return;
    const int16_t consumer = indexOfCode(r.connections[0].source);
    if (consumer < 0 || consumer >= moduleCount || blockHolding(consumer) != nullptr) return;
    for (int32_t k = 1; k < n; ++k) {
        const QB_GraphConnection& c = r.connections[k];
        const int16_t src = indexOfCode(c.source);
        const QB_VoiceBlock* b = blockHolding(src);
        if (b == nullptr || c.input >= QB_ModuleBase::kMaxPorts) continue;
        const int32_t firstCopy = b->firstModule + (src - b->firstModule) % b->modulesPerVoice;
        moduleTable[consumer]->attachVoiceSource(moduleTable[b->manager], firstCopy, b->voices, b->modulesPerVoice,
                                                 c.output, c.input);
    }
}

void QB_SignalGraph::linkControl(QB_ModuleBase* module, int16_t moduleIndex, int32_t control, int32_t input,
                                 int16_t count, int16_t stride, int32_t routeRecorded) {
    if (control < 0 || control >= kGraphNumControls || module == nullptr) return;
    module->setInput(input, &graphControlValues[control]);
    if (count != 0 && routeRecorded != 0) return;
    int32_t& n = controlLinkCount[control];
    if (n >= kMaxLinksPerControl) return;  // the shipped table needs at most 6
    controlLinks[control][n++] = QB_ControlLink{moduleIndex, static_cast<uint16_t>(input), count, stride};
}

void QB_SignalGraph::sendControlEvent(uint32_t t, int32_t control, int32_t state, int32_t intValue,
                                      float floatValue) {
    if (control < 0 || control >= kGraphNumControls) return;
    const uint64_t extra = reinterpret_cast<uintptr_t>(&graphControlValues[control]);
    for (int32_t l = 0; l < controlLinkCount[control]; ++l) {
        const QB_ControlLink& link = controlLinks[control][l];
        const int32_t n = link.count > 0 ? link.count : 1;
        for (int32_t k = 0; k < n; ++k) {
            const int32_t index = link.moduleIndex + k * link.stride;
            if (index < 0 || index >= moduleCount || moduleTable[index] == nullptr) continue;
            moduleTable[index]->postEvent(t, link.input, static_cast<uint16_t>(state), intValue, floatValue, extra);
        }
    }
}

void QB_SignalGraph::applyControl(int32_t control, float value) {
    if (control < 0 || control >= kGraphNumControls) return;
    graphControlValues[control] = value;
    sendControlEvent(samplePosition, control, 0, qbDisplayRound(value), value);
}

void QB_SignalGraph::prepareModules() {
    for (int32_t i = 0; i < moduleCount; ++i) moduleTable[i]->prepare();
}

void QB_SignalGraph::suspendModules() {
    for (int32_t i = 0; i < moduleCount; ++i) moduleTable[i]->suspend();
}

void QB_SignalGraph::resumeModules() {
    for (int32_t i = 0; i < moduleCount; ++i) moduleTable[i]->resume();
}

void QB_SignalGraph::runSubBlock(uint32_t n) {
    for (int32_t i = 0; i < moduleCount; ++i) {
        if (ranJointly[i]) {
            ranJointly[i] = false;
            continue;
        }
        const int16_t g = jointGroupOf[i];
        if (g >= 0 && jointGroups[g].kind->atLast) {
            if (qbRunJointGroupAtLast(jointGroups[g], i, moduleTable, jointWaiting[g], samplePosition, ringPosition, n))
                continue;
        }
        const uint32_t ran = g >= 0 && !jointGroups[g].kind->atLast
                                 ? qbRunJointGroup(jointGroups[g], moduleTable, samplePosition, ringPosition, n)
                                 : 0;
        for (int k = 1; k < (ran != 0 ? jointGroups[g].count : 0); ++k)
            ranJointly[jointGroups[g].members[k]] = (ran & (1u << k)) != 0;
        if (ran & 1u) continue;
        QB_ModuleBase* m = moduleTable[i];
        if (m->flags == 0 || m->hasEvents()) m->processBlock(ringPosition, n);
    }
    ringPosition += n;
    if (ringPosition >= graphRing) ringPosition = 0;
    glideSuppressed[0] = glideSuppressed[1] = 0;
    samplePosition += n;
}

void QB_SignalGraph::process(const float* const* inputs, float* const* outputs, int32_t frames) {
    if (frames <= 0) return;
    float* outL = outputs != nullptr ? outputs[0] : nullptr;
    float* outR = outputs != nullptr ? outputs[1] : nullptr;
    const float* inL = inputs != nullptr ? inputs[0] : nullptr;
    const float* inR = inputs != nullptr ? inputs[1] : nullptr;
    const size_t bytes = static_cast<size_t>(frames) * sizeof(float);
    if (moduleCount == 0 || outputModule < 0 || graphRing == 0) {
        if (outL != nullptr) std::memset(outL, 0, bytes);
        if (outR != nullptr) std::memset(outR, 0, bytes);
        return;
    }
    QB_ModuleBase* out = moduleTable[outputModule];
    const float* srcL = out->outputBuffer(0);
    const float* srcR = out->outputBuffer(1);
    const uint32_t ring = graphRing;
    int32_t done = 0;
    while (done < frames) {
        uint32_t n = static_cast<uint32_t>(frames - done);
        if (n > static_cast<uint32_t>(kMaxRing)) n = static_cast<uint32_t>(kMaxRing);
        if (ringPosition + n > ring) n = ring - ringPosition;
        const size_t nb = n * sizeof(float);
        const float* channelIn[2] = {inL, inR};
        for (int c = 0; c < 2; ++c) {
            float* target = inputCopyTarget[c];
            if (target == nullptr) continue;
            if (channelIn[c] != nullptr) std::memcpy(target + ringPosition, channelIn[c] + done, nb);
            else std::memset(target + ringPosition, 0, nb);
        }
        beforeSubBlock();
        const uint32_t at = ringPosition;
        runSubBlock(n);
        if (outL != nullptr) {
            if (srcL != nullptr) std::memcpy(outL + done, srcL + at, nb);
            else std::memset(outL + done, 0, nb);
        }
        if (outR != nullptr) {
            if (srcR != nullptr) std::memcpy(outR + done, srcR + at, nb);
            else std::memset(outR + done, 0, nb);
        }
        done += static_cast<int32_t>(n);
    }
}
