#include "eq/orvaneq_control.h"

#include <cmath>

namespace {

using Law = QB_DSP_OrvanEq_Control;

// Base width W of each band, Bass to Highs.
constexpr float kBaseWidth[Law::kBands] = {0.7f, 0.55f, 0.5f, 0.45f, 0.4f};

// Highs band frequency for Mixing, Mastering and A.I.R (graph units).
constexpr float kHighsFrequency[3] = {800.0f, 1200.0f, 2000.0f};

// Detection ranges handed to the detectors on inputs 15..19 (graph units).
struct DetectorRange {
    float minimum;
    float maximum;
};
constexpr DetectorRange kDetectorRange[Law::kBands] = {
    {4.0f, 12.0f},    // Bass
    {12.0f, 150.0f},  // Basic
    {12.0f, 150.0f},  // Basic, second detector
    {24.0f, 350.0f},  // 2nd Harmonic
    {36.0f, 610.0f},  // High Harmonic
};

// How each Style forms widths and gains. Bands 0..3 send clip(B x width); the Highs band
// sends its width unscaled. Gains that follow the level are evaluated every call (and
// scaled by the Dynamic factor); the others only when the band has changed.
struct StyleLaw {
    Law::WidthKind width;
    Law::GainKind gain;
    bool followsLevel;
};
constexpr StyleLaw kStyleLaw[3] = {
    {Law::kWidthBase, Law::kGainA, true},  // American
    {Law::kWidthA, Law::kGainA, true},     // German
    {Law::kWidthB, Law::kGainB, false},    // British
};

// Display ranges of the sliders (-5..5) and of the Bandwidth knob (0.5..1), in the units
// the law uses: a value from outside them (or NaN) is brought back at the input.
inline float clampOr(float x, float lo, float hi, float fallback) {
    if (std::isnan(x)) return fallback;
    return x < lo ? lo : (x > hi ? hi : x);
}

inline float clip(float x) { return x < 1.0f ? x : 1.0f; }

}  // namespace

QB_DSP_OrvanEq_Control::QB_DSP_OrvanEq_Control(QB_GraphHost* owner_, bool createDisabled)
    : QB_ModuleBase(owner_, createDisabled) {
    for (int k = 0; k < kBands; ++k) setBandSlider(k, 0.0f);
}

void QB_DSP_OrvanEq_Control::setInput(int32_t port, const float* pointer) {
    QB_ModuleBase::setInput(port, pointer);
    if (port < kInPitch0 || port > kInLevel) return;
    Stream& s = port == kInLevel ? levelIn : pitchIn[port - kInPitch0];
    s.data = pointer;
    s.perSample = pointer != nullptr && sources[port] != nullptr &&
                  ringLength <= static_cast<uint32_t>(QB_GraphHost::kMaxRing);
}

void QB_DSP_OrvanEq_Control::prepare() {
    setRoutine(&QB_DSP_OrvanEq_Control::runLaw);
    for (float& v : lastSent) v = 0.0f;
    for (int32_t& c : bandChanged) c = 0;
    const float hold = owner->samplesPerMs * 35.0f;
    holdLength = hold > 0.0f && hold < 1.0e9f ? static_cast<int32_t>(hold) : 0;
    topFrequency = static_cast<float>(owner->sampleRateInt) * (kTopFrequencyOfRate * 0.1f);
    deadline = 0x7FFFFFFFu;
    perSampleOpen = 0;
    for (int i = 0; i < kBands; ++i) {
        QB_ModuleBase* detector = sources[kInPitch0 + i];
        if (detector == nullptr) continue;
        const QB_RangeRecord range{kDetectorRange[i].minimum, kDetectorRange[i].maximum, kInPitch0 + i};
        detector->applyRange(range);
    }
}

void QB_DSP_OrvanEq_Control::setBandSlider(int k, float value) {
    const float v = clampOr(value, -0.5f, 0.5f, 0.0f);
    const float a = v * 0.3333333f;
    const float w = kBaseWidth[k];
    BandValues& b = band[k];
    b.width[kWidthBase] = w;
    b.gain[kGainA] = a;
    b.width[kWidthA] = 0.2f * a + w;
    b.gain[kGainB] = 0.6f * a;
    b.width[kWidthB] = w - 0.6f * std::fabs(a);
}

void QB_DSP_OrvanEq_Control::handleEvent(QB_Event* event, uint32_t offset) {
    const int32_t port = event->port;
    if (port >= kInGain0 && port < kInGain0 + kBands) {
        setBandSlider(port - kInGain0, event->floatValue);
        ++bandChanged[port - kInGain0];
        return;
    }
    switch (port) {
        case kInStyle:
            style = event->intValue;
            break;
        case kInHighsMode:
            highsMode = event->intValue;
            highsFrequency = kHighsFrequency[highsMode < 0 ? 0 : (highsMode > 2 ? 2 : highsMode)];
            break;
        case kInDynamic:
            dynamic = event->intValue;
            break;
        case kInMulti2nd:
            multi2nd = event->intValue;
            break;
        case kInMultiHigh:
            multiHigh = event->intValue;
            break;
        case kInBandwidth:
            bandwidth = clampOr(event->floatValue * 10.0f, 0.5f, 1.0f, 1.0f);
            break;
        default:
            return;  // Freeze, Bypass, rate announcements: no effect here
    }
    for (int32_t& c : bandChanged) c = 1;
}

bool QB_DSP_OrvanEq_Control::sendIfChanged(int32_t port, float value) {
    float& last = lastSent[port];
    if (!(value < last || value > last)) return false;  // equal or unordered
    last = value;
    sendEvent(time, port, 0, 0, value, 0);
    return true;
}

float QB_DSP_OrvanEq_Control::limitFrequency(float f) const {
    if (!(f >= kLowestFrequency)) return kLowestFrequency;  // also no pitch, NaN
    return f < topFrequency ? f : topFrequency;
}

float QB_DSP_OrvanEq_Control::levelFactor(uint32_t offset) const {
    if (dynamic == 0) return 1.0f;
    const float g = levelIn.at(offset) + 0.5f;
    if (!(g >= 0.5f)) return 0.5f;  // a level is a magnitude; NaN counts as silence
    return g < kMaxLevelFactor ? g : kMaxLevelFactor;
}

void QB_DSP_OrvanEq_Control::sendFrequencies() {
    const float basic = pitchIn[1].at(0);
    const float f[kBands] = {
        pitchIn[0].at(0),
        basic,
        multi2nd != 0 ? 2.0f * basic : pitchIn[3].at(0),
        multiHigh != 0 ? 3.0f * basic : pitchIn[4].at(0),
        highsFrequency,
    };
    for (int k = 0; k < kBands; ++k) sendIfChanged(3 * k, limitFrequency(f[k]));
}

void QB_DSP_OrvanEq_Control::runLaw(uint32_t offset, uint32_t count) {
    if (offset == 0) sendFrequencies();
    bool gainSent[kBands] = {};
    if (style >= 0 && style <= 2) {
        const StyleLaw& law = kStyleLaw[style];
        const float g = law.followsLevel ? levelFactor(offset) : 1.0f;
        for (int k = 0; k < kBands; ++k) {
            const bool highs = k == kBands - 1;
            if (bandChanged[k] != 0) {
                const float w = band[k].width[law.width];
                sendIfChanged(3 * k + 1, highs ? w : clip(bandwidth * w));
            }
            if (law.followsLevel || bandChanged[k] != 0) {
                const float gain = band[k].gain[law.gain];
                gainSent[k] = sendIfChanged(3 * k + 2, law.followsLevel ? g * gain : gain);
            }
        }
    }

    // Designers design per sample while a gain moves and for the hold length after.
    for (int k = 0; k < kBands; ++k) {
        if (!gainSent[k]) continue;
        sendEvent(time, kOutPerSample0 + k, 0, 1, 1.0f, 0);
        deadline = time + static_cast<uint32_t>(holdLength);
        perSampleOpen = 1;
    }
    // Only an open window can close, and the difference keeps the test right across the
    // wrap of the sample clock.
    if (perSampleOpen != 0 && static_cast<int32_t>(time - deadline) >= 0) {
        for (int k = 0; k < kBands; ++k) sendEvent(time, kOutPerSample0 + k, 0, 0, 0.0f, 0);
        deadline = 0x7FFFFFFFu;
        perSampleOpen = 0;
    }
    for (int32_t& c : bandChanged) c = 0;
}
