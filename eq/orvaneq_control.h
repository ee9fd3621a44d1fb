// The harmonic EQ control law: places the five peaking bands (Bass, Basic, 2nd Harmonic,
// High Harmonic, Highs) on the detected pitches and turns the user's settings into each
// band's frequency, width and gain, sent as events to the coefficient designers' feeds.
// Also narrows the detectors' ranges and opens a per-sample design window while gains move.
//
// Audio thread only (construction, wiring and prepare happen while the host is not
// processing).
#pragma once

#include <cstdint>

#include "dsp/framework/module_base.h"

class QB_DSP_OrvanEq_Control : public QB_ModuleBase {
public:
    static constexpr int kBands = 5;

    enum InPort : int32_t {
        kInStyle = 1,       // intValue: 0 American, 1 German, 2 British
        kInHighsMode = 3,   // intValue: 0 Mixing, 1 Mastering, 2 A.I.R
        kInDynamic = 4,     // intValue: non-zero scales gains by the level
        kInMulti2nd = 5,    // intValue: 0 own detector, else twice the Basic frequency
        kInMultiHigh = 6,   // intValue: 0 own detector, else three times the Basic frequency
        kInFreeze = 7,      // acts in the detectors; ignored here
        kInBandwidth = 9,   // floatValue v: bandwidth factor 10 v
        kInGain0 = 10,      // 10..14: the five gain sliders, floatValue -0.5..0.5
        kInPitch0 = 15,     // 15..19: detector streams, read at ring offset 0
        kInLevel = 20,      // metering level stream, read at each call's offset
        kInBypass = 29,     // acts in the response module; ignored here
    };
    // Band k sends its frequency on 3k, width on 3k + 1, gain on 3k + 2 and the
    // per-sample design switch on kOutPerSample0 + k.
    static constexpr int32_t kOutPerSample0 = 15;
    static constexpr int kValueOutputs = 3 * kBands;

    // Frequencies (graph units, 10 Hz) stay within [kLowestFrequency, fs x this / 10]:
    // 0.475 fs keeps A.I.R at 20 kHz from 44.1 kHz up and everything below Nyquist.
    static constexpr float kTopFrequencyOfRate = 0.475f;
    static constexpr float kLowestFrequency = 4.0f;
    // Upper bound of the Dynamic level factor: with a full boost (u = 1/6) the designers'
    // gain input stays at most 1/3, well below their limit of 0.501.
    static constexpr float kMaxLevelFactor = 2.0f;

    QB_DSP_OrvanEq_Control(QB_GraphHost* owner, bool createDisabled);

    void prepare() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;
    void setInput(int32_t port, const float* pointer) override;

    // Routine: the law; it stays current and never sleeps.
    virtual void runLaw(uint32_t offset, uint32_t count);

    // Values computed from a band's slider.
    struct BandValues {
        float width[3];  // indexed by WidthKind
        float gain[2];   // indexed by GainKind
    };
    enum WidthKind : int { kWidthBase = 0, kWidthA = 1, kWidthB = 2 };
    enum GainKind : int { kGainA = 0, kGainB = 1 };

    BandValues band[kBands];
    float lastSent[kValueOutputs] = {};
    int32_t bandChanged[kBands] = {};
    int32_t style = 0;
    int32_t highsMode = 0;
    float highsFrequency = 800.0f;
    int32_t dynamic = 0;
    int32_t multi2nd = 1;
    int32_t multiHigh = 1;
    float bandwidth = 1.0f;
    float topFrequency = 0.0f;
    uint32_t deadline = 0x7FFFFFFFu;
    int32_t perSampleOpen = 0;
    int32_t holdLength = 0;

private:
    struct Stream {
        const float* data = nullptr;
        bool perSample = false;  // a module's ring, readable at every offset
        float at(uint32_t offset) const { return data == nullptr ? 0.0f : data[perSample ? offset : 0]; }
    };
    Stream pitchIn[kBands];
    Stream levelIn;

    void setBandSlider(int k, float value);
    bool sendIfChanged(int32_t port, float value);
    float limitFrequency(float f) const;
    float levelFactor(uint32_t offset) const;
    void sendFrequencies();
};
