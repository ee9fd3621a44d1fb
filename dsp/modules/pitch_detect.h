// Zero-crossing pitch tracker: turns the time between sign changes of its input into a
// frequency estimate (graph units, 10 Hz each), clamps it to a range and glides a
// smoothed value towards it, linearly or exponentially, at a rate set by the response
// input. Output 0 is the smoothed value as a stream, output 1 the same value as events.
//
// Audio thread only (construction and wiring happen while the host is not processing).
#pragma once

#include <cstdint>

#include "dsp/framework/joint_run.h"
#include "dsp/framework/module_base.h"
#include "platform/cpu_features.h"

class QB_DSP_Pitch_Detect : public QB_ModuleBase {
public:
    enum InPort : int32_t {
        kInSignal = 0,
        kInResponse = 1,  // floatValue, graph units of 10 ms
        kInFreeze = 2,    // intValue, non-zero holds
        kInMode = 3,      // intValue low 16 bits: 0 linear slew, else exponential
        kInMinimum = 4,   // floatValue
        kInMaximum = 5,   // floatValue
        kInEnable = 9,    // intValue low 16 bits: 0 holds
    };
    enum OutPort : int32_t { kOutStream = 0, kOutEvents = 1 };

    // Smallest response used for either coefficient: keeps both finite.
    static constexpr float kMinResponse = 0.0001f;

    QB_DSP_Pitch_Detect(QB_GraphHost* owner, bool createDisabled);

    void applyRange(const QB_RangeRecord& range) override;
    void prepare() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;
    void onOutputConnected(int32_t outPort, int16_t targetIndex) override;
    void setInput(int32_t port, const float* pointer) override;

    // Routines.
    virtual void trackExponential(uint32_t offset, uint32_t count);
    virtual void trackExponentialSilent(uint32_t offset, uint32_t count);
    virtual void trackLinear(uint32_t offset, uint32_t count);
    virtual void trackLinearSilent(uint32_t offset, uint32_t count);
    virtual void hold(uint32_t offset, uint32_t count);

    const float* audioIn = nullptr;
    float* out = nullptr;
    float lastSentValue = 0.0f;
    float current = 10.0f;
    float target = 10.0f;
    float minimum = 2.0f;
    float maximum = 800.0f;
    float coefficient = 0.0f;
    float crossingScale = 0.0f;
    float sampleRate = 0.0f;
    float rateScale = 0.0f;
    float response = 100.0f;
    int32_t countdown = 0;
    int32_t coefficientDirty = -1;
    int32_t lastSampleBits = 0;
    int32_t freeze = 0;
    uint32_t lastCrossingTime = 0;
    int16_t output0Listened = 0;
    int16_t output1Listened = 0;
    int16_t enable = 1;
    int16_t announced = -1;
    int16_t mode = 0;
    QB_SimdLevel simdLevel = QB_SimdLevel::kScalar;

    // Trackers that track together (joint_run.h), side by side in the lanes of a vector
    // (pitch_detect_lanes.h); they run at the place of the last of them.
    static const QB_JointKind kJointKind;
    static bool readyTogether(const QB_ModuleBase& module);
    static void trackTogether(QB_ModuleBase* const* members, int count, uint32_t offset, uint32_t n);

private:
    struct Lane;
    template <bool WriteOutput>
    Lane beginTrack(uint32_t offset);
    void endTrack(const Lane& lane);
    template <bool Exponential, bool WriteOutput>
    void track(uint32_t offset, uint32_t count);

    void updateCoefficient();
    void selectRoutine();
};
