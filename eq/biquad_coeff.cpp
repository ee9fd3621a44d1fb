#include "eq/biquad_coeff.h"

QB_DSP_BiQuad_Coeff::QB_DSP_BiQuad_Coeff(QB_GraphHost* owner, bool createDisabled)
    : QB_ModuleBase(owner, createDisabled) {
    buffersReady_ = true;
    for (int k = 0; k < kCoefficientOutputs; ++k) {
        coefficients_[k] = allocateOutput(k);
        if (coefficients_[k] == nullptr) buffersReady_ = false;
    }
    zeros_ = allocateBuffer(ringLength + 4u);
    if (zeros_ == nullptr) buffersReady_ = false;
    frequency_ = width_ = gain_ = zeros_;
}

QB_DSP_BiQuad_Coeff::~QB_DSP_BiQuad_Coeff() { freeBuffer(zeros_); }

void QB_DSP_BiQuad_Coeff::setInput(int32_t port, const float* pointer) {
    QB_ModuleBase::setInput(port, pointer);
    const float* stream = pointer != nullptr ? pointer : zeros_;
    if (port == kFrequencyIn) frequency_ = stream;
    else if (port == kWidthIn) width_ = stream;
    else if (port == kGainIn) gain_ = stream;
}

void QB_DSP_BiQuad_Coeff::prepare() {
    // Without its buffers the module stays asleep: nothing may write through them.
    if (!buffersReady_) return;
    setRoutine(&QB_DSP_BiQuad_Coeff::designCoefficients);
    indexScale_ = qbIndexScale(owner->sampleRateInt);
    simdLevel_ = qbSimdLevel();
    countdown_ = 0;
    inputRates_[0] = inputRates_[1] = inputRates_[2] = 0;
    wantedRate_ = -2;
    announcedRate_ = -1;
    perSample_ = 0;
    linearMode_ = 1;
    type_ = 9;
    enabled_ = 1;
    sectionIndex_ = 0;
    sendEvent(time, kBandActiveOut, 0, 1, 1.0f, 0);
}

void QB_DSP_BiQuad_Coeff::handleEvent(QB_Event* event, uint32_t offset) {
    if (!buffersReady_) return;
    countdown_ = static_cast<int32_t>(ringLength);
    const int16_t value = static_cast<int16_t>(event->intValue);
    switch (event->port) {
        case kFrequencyIn:
        case kWidthIn:
        case kGainIn:
            inputRates_[event->port] = event->rateFlag;
            break;
        case kTypeIn:
        case kSectionIn:
        case kLinearModeIn:
            if (event->port == kTypeIn) type_ = qbValidBiquadType(event->intValue);
            else if (event->port == kSectionIn) sectionIndex_ = qbValidSectionIndex(event->intValue);
            else linearMode_ = value;
            // A static design announces again, which wakes the engines downstream.
            if (announcedRate_ == 0) announcedRate_ = -1;
            break;
        case kPerSampleIn:
            perSample_ = value;
            break;
        case kEnabledIn:
            enabled_ = value;
            if (enabled_ == 0) {
                setRoutine(&QB_DSP_BiQuad_Coeff::zeroCoefficients);
                announcedRate_ = -1;
            }
            break;
        default:
            break;
    }
    if (enabled_ == 0) return;
    if (type_ == 0) {
        setRoutine(&QB_DSP_BiQuad_Coeff::zeroCoefficients);
        if (announcedRate_ == 0) announcedRate_ = -1;
        return;
    }
    wantedRate_ = (inputRates_[1] | (type_ == 9 ? inputRates_[2] : 0)) | inputRates_[0];
    // A new static value on a design input changes the design: announce it again so that
    // settled engines wake up. A perSample change alone leaves the design as it is.
    if (wantedRate_ == 0 && event->port >= kFrequencyIn && event->port <= kGainIn) announcedRate_ = -1;
    setRoutine(&QB_DSP_BiQuad_Coeff::designCoefficients);
}

void QB_DSP_BiQuad_Coeff::announceRate(int32_t rate) {
    announcedRate_ = rate;
    sendEvent(time, 0, static_cast<uint16_t>(rate), 0, 0.0f, 0);
}

void QB_DSP_BiQuad_Coeff::sendBandActive() {
    const bool active = type_ != 0;
    sendEvent(time, kBandActiveOut, 0, active ? 1 : 0, active ? 1.0f : 0.0f, 0);
}

void QB_DSP_BiQuad_Coeff::runCountdown(uint32_t count) {
    countdown_ -= static_cast<int32_t>(count);
    if (countdown_ < 0) {
        setRoutine(&QB_ModuleBase::sleepRoutine);
        flags |= kAsleep;
    }
}

void QB_DSP_BiQuad_Coeff::writeSet(uint32_t offset, const QB_BiquadCoefficients& c) {
    coefficients_[0][offset] = c.b0;
    coefficients_[1][offset] = c.b1;
    coefficients_[2][offset] = c.b2;
    coefficients_[3][offset] = c.a1;
    coefficients_[4][offset] = c.a2;
}

void QB_DSP_BiQuad_Coeff::designCoefficients(uint32_t offset, uint32_t count) {
    if (wantedRate_ != announcedRate_) {
        announceRate(wantedRate_);
        sendBandActive();
    }
    if (announcedRate_ == 0) runCountdown(count);

    if (perSample_ != 0) {
        const QB_BiquadDesign d =
            qbBeginDesign(owner->tables, indexScale_, type_, sectionIndex_, linearMode_ != 0, width_[offset]);
        float* const out[kCoefficientOutputs] = {coefficients_[0] + offset, coefficients_[1] + offset,
                                                 coefficients_[2] + offset, coefficients_[3] + offset,
                                                 coefficients_[4] + offset};
        qbDesignRun(simdLevel_, d, frequency_ + offset, gain_ + offset, out, count);
        return;
    }

    // One set per call, from the inputs at ring offset 0. It is stored at offset 0 and
    // over the range being run, so that an engine reading per sample, or once at the
    // call's offset, finds the current set whatever the ring length and sub-block split.
    const QB_BiquadDesign d =
        qbBeginDesign(owner->tables, indexScale_, type_, sectionIndex_, linearMode_ != 0, width_[0]);
    const QB_BiquadCoefficients c = qbDesignAt(d, frequency_[0], gain_[0]);
    writeSet(0, c);
    const uint32_t end = offset + qbRoundUp4(count);
    for (uint32_t i = offset; i < end; ++i) writeSet(i, c);
}

void QB_DSP_BiQuad_Coeff::zeroCoefficients(uint32_t offset, uint32_t count) {
    if (announcedRate_ != 0) {
        announceRate(0);
        sendEvent(time, kBandActiveOut, 0, 0, 0.0f, 0);
    }
    runCountdown(count);
    const uint32_t end = offset + qbRoundUp4(count);
    for (int k = 0; k < kCoefficientOutputs; ++k)
        for (uint32_t i = offset; i < end; ++i) coefficients_[k][i] = 0.0f;
}
