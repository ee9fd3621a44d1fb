#include "eq/orvaneq_response.h"

QB_DSP_OrvanEq_Response::QB_DSP_OrvanEq_Response(QB_GraphHost* owner_, bool createDisabled)
    : QB_ModuleBase(owner_, createDisabled) {}

void QB_DSP_OrvanEq_Response::prepare() { setRoutine(&QB_DSP_OrvanEq_Response::applyBypass); }

void QB_DSP_OrvanEq_Response::handleEvent(QB_Event* event, uint32_t offset) {
    switch (event->port) {
        case kInResponse: {
            const float r = event->floatValue;
            sendEvent(time, kOutBassResponse, 0, 0, 20.0f * r, 0);
            sendEvent(time, kOutBasicResponse, 0, 0, 10.0f * r, 0);
            sendEvent(time, kOutOtherResponse, 0, 0, r, 0);
            break;
        }
        case kInBypass:
            bypass = event->intValue;
            break;
        case kInReset:
            if (event->intValue == 0) break;
            for (int32_t c = 0; c < kGainControls; ++c) owner->setControlFromModule(kFirstGainControl + c, 0.0f, 1);
            break;
        default:
            break;
    }
}

void QB_DSP_OrvanEq_Response::applyBypass(uint32_t offset, uint32_t count) {
    bypassInForce = bypass;
    if (bypassInForce != 0) {
        sendEvent(time, kOutSumActive, 0, 0, 0.0f, 0);
        sendEvent(time, kOutDiffActive, 0, 0, 0.0f, 0);
    }
    sendEvent(time, kOutCoderMode, 0, 0, 0.0f, 0);
    if (bypassInForce == 0) {
        sendEvent(time, kOutSumActive, 0, 1, 0.0f, 0);
        sendEvent(time, kOutDiffActive, 0, 1, 0.0f, 0);
    }
    flags |= kAsleep;
}
