#include "dsp/framework/signal_graph.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "dsp/framework/module_base.h"

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
}

int32_t QB_SignalGraph::buildGraph(const QB_GraphDefinition& graph) {
    destroyGraph();
    int32_t g = 0;
    for (const QB_GraphRecord* r = graph.records; r->code <= kGraphEndCode; ++r) {
        if (g >= kMaxModules) break;
        const int16_t code = r->code;
        const bool indexed = code >= kGraphFirstModuleCode && code <= kGraphLastIndexedCode;
        if (indexed) moduleIndexOfCode[code - kGraphFirstModuleCode] = -1;
        outputModule = -1;
        QB_ModuleBase* m = graph.createModule(code, this, false);
        // A record that creates nothing takes no module index, so no later record can
        // be wired to the wrong module through its code.
        if (m == nullptr) continue;
        if (indexed) moduleIndexOfCode[code - kGraphFirstModuleCode] = static_cast<int16_t>(g);
        moduleTable[g] = m;
        for (int k = 0; k < kGraphConnectionsPerRecord; ++k) {
            const QB_GraphConnection& c = r->connections[k];
            if (c.input == kGraphEndOfConnections) break;
            if (c.input >= QB_ModuleBase::kMaxPorts) continue;
            if (c.source >= kGraphFirstModuleCode) {
                if (c.source > kGraphLastIndexedCode) continue;
                const int16_t src = moduleIndexOfCode[c.source - kGraphFirstModuleCode];
                if (src < 0 || src >= g) continue;
                moduleTable[src]->connect(m, static_cast<int16_t>(g), c.output, c.input, 0, 0, 0);
            } else if (c.source >= kGraphFirstConstant) {
                const int constant = c.source - kGraphFirstConstant;
                if (constant < kGraphNumConstants) m->setInput(c.input, &graph.constants[constant]);
            } else if (c.source >= 0 && c.source < kGraphNumControls) {
                linkControl(m, static_cast<int16_t>(g), c.source, c.input, 0, 0, 0);
            }
        }
        outputModule = g;
        ++g;
    }
    moduleCount = g;
    graphRing = static_cast<uint32_t>(internalBlockSize);
    return g;
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
