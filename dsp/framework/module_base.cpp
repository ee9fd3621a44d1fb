#include "dsp/framework/module_base.h"

#include <cstring>
#include <new>

#include "platform/aligned_memory.h"

QB_ModuleBase::QB_ModuleBase(QB_GraphHost* owner_, bool createDisabled)
    : eventHead(nullptr), eventTail(nullptr), owner(owner_) {
    flags = createDisabled ? kDisabled : 0u;
    time = owner->samplePosition;
    ringLength = static_cast<uint32_t>(owner->internalBlockSize);
    stopRoutine = &QB_ModuleBase::sleepRoutine;
    routine = &QB_ModuleBase::sleepRoutine;
    for (int i = 0; i < kMaxPorts; ++i) {
        outputs[i] = nullptr;
        connections[i] = nullptr;
        inputs[i] = nullptr;
        sources[i] = nullptr;
    }
}

QB_ModuleBase::~QB_ModuleBase() {
    while (eventHead != nullptr) {
        QB_Event* e = eventHead;
        eventHead = e->next;
        owner->eventPool.give(e);
    }
    eventTail = nullptr;
    for (int i = 0; i < kMaxPorts; ++i) {
        QB_Connection* c = connections[i];
        while (c != nullptr) {
            QB_Connection* next = c->next;
            delete c;
            c = next;
        }
        connections[i] = nullptr;
        freeBuffer(outputs[i]);
        outputs[i] = nullptr;
    }
}

float* QB_ModuleBase::allocateBuffer(uint32_t n) {
    size_t bytes = (static_cast<size_t>(n) * sizeof(float) + 15u) & ~static_cast<size_t>(15u);
    if (bytes == 0) bytes = 16;
    void* p = qbAlignedAlloc(16, bytes);
    if (p != nullptr) std::memset(p, 0, bytes);
    return static_cast<float*>(p);
}

void QB_ModuleBase::freeBuffer(float* buffer) { qbAlignedFree(buffer); }

float* QB_ModuleBase::allocateOutput(int32_t port) {
    if (port < 0 || port >= kMaxPorts) return nullptr;
    if (outputs[port] == nullptr) outputs[port] = allocateBuffer(ringLength + 4u);
    return outputs[port];
}

float* QB_ModuleBase::outputBuffer(int32_t port) {
    if (port < 0 || port >= kMaxPorts) return nullptr;
    return outputs[port];
}

void QB_ModuleBase::setInput(int32_t port, const float* pointer) {
    if (port < 0 || port >= kMaxPorts) return;
    inputs[port] = pointer;
}

void QB_ModuleBase::handleDueEvents(uint32_t offset) {
    while (eventHead != nullptr && static_cast<int32_t>(eventHead->time - time) <= 0) {
        QB_Event* e = eventHead;
        eventHead = e->next;
        if (eventHead != nullptr) eventHead->prev = nullptr;
        else eventTail = nullptr;
        flags &= ~kAsleep;
        handleEvent(e, offset);
        owner->eventPool.give(e);
    }
}

bool QB_ModuleBase::eventDueWithin(uint32_t count) const {
    // As processBlock tells the events it leaves queued, across the wrap of the clock.
    return eventHead != nullptr && !(static_cast<int32_t>(eventHead->time - time) >= 0 && eventHead->time - time >= count);
}

void QB_ModuleBase::processBlock(uint32_t offset, uint32_t count) {
    time = owner->samplePosition;
    uint32_t remaining = count;
    while (eventHead != nullptr) {
        QB_Event* e = eventHead;
        // At or after the end of the sub-block: stays queued. Differences rather than
        // plain comparisons keep this right across the wrap of the sample counter; time
        // has moved on to the last event handled, so what is left of the sub-block is
        // remaining, not count.
        if (static_cast<int32_t>(e->time - time) >= 0 && e->time - time >= remaining) {
            if (flags == 0 && remaining > 0) runRoutine(offset, remaining);
            e->prev = nullptr;
            return;
        }
        const int32_t delta = static_cast<int32_t>(e->time - time);
        if (delta > 0) {
            if (flags == 0) runRoutine(offset, static_cast<uint32_t>(delta));
            time += static_cast<uint32_t>(delta);
            offset += static_cast<uint32_t>(delta);
            remaining -= static_cast<uint32_t>(delta);
        }
        eventHead = e->next;
        if (eventHead != nullptr) eventHead->prev = nullptr;
        flags &= ~kAsleep;
        handleEvent(e, offset);
        owner->eventPool.give(e);
    }
    eventTail = nullptr;
    if (remaining > 0 && flags == 0) runRoutine(offset, remaining);
}

void QB_ModuleBase::postEvent(uint32_t t, int32_t port, uint16_t rateFlag, int32_t intValue, float floatValue,
                              uint64_t extra) {
    QB_Event* e = owner->eventPool.take();
    if (e == nullptr) return;  // pool exhausted: the event is dropped and counted
    e->time = t;
    e->port = static_cast<int16_t>(port);
    e->rateFlag = rateFlag;
    e->intValue = intValue;
    e->floatValue = floatValue;
    e->extra = extra;
    e->next = nullptr;
    e->prev = nullptr;
    if (eventHead == nullptr) {
        eventHead = eventTail = e;
        return;
    }
    // Search from the tail for the last event not later than the new one.
    QB_Event* after = eventTail;
    while (after != nullptr && static_cast<int32_t>(after->time - t) > 0) after = after->prev;
    if (after == nullptr) {
        e->next = eventHead;
        eventHead->prev = e;
        eventHead = e;
    } else {
        e->prev = after;
        e->next = after->next;
        if (after->next != nullptr) after->next->prev = e;
        else eventTail = e;
        after->next = e;
    }
}

void QB_ModuleBase::sendEvent(uint32_t t, int32_t outPort, uint16_t rateFlag, int32_t intValue, float floatValue,
                              uint64_t extra) {
    if (outPort < 0 || outPort >= kMaxPorts) return;
    for (const QB_Connection* c = connections[outPort]; c != nullptr; c = c->next) {
        const int n = c->voiceCount > 0 ? c->voiceCount : 1;
        for (int k = 0; k < n; ++k) {
            const int index = c->targetModule + k * c->voiceStride;
            if (index < 0 || index >= QB_GraphHost::kMaxModules) continue;
            QB_ModuleBase* target = owner->moduleTable[index];
            if (target != nullptr) target->postEvent(t, c->targetPort, rateFlag, intValue, floatValue, extra);
        }
    }
}

void QB_ModuleBase::connect(QB_ModuleBase* target, int16_t targetIndex, int32_t outPort, int32_t inPort,
                            int16_t voiceCount, int16_t voiceStride, int32_t routeRecorded) {
    if (target == nullptr || outPort < 0 || outPort >= kMaxPorts || inPort < 0 || inPort >= kMaxPorts) return;
    target->sources[inPort] = this;
    onOutputConnected(outPort, targetIndex);
    if (!(voiceCount != 0 && routeRecorded != 0)) {
        QB_Connection* c = new (std::nothrow) QB_Connection{targetIndex, static_cast<uint16_t>(inPort), voiceCount,
                                                            voiceStride, nullptr};
        if (c != nullptr) {
            QB_Connection** tail = &connections[outPort];
            while (*tail != nullptr) tail = &(*tail)->next;
            *tail = c;
        }
    }
    target->setInput(inPort, outputs[outPort]);
}
