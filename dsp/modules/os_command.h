// The command module: button events that act outside the audio path. Ports 0..3 each
// open one entry of the owner's table of web addresses when pressed; port 9 saves the
// bank file on the event after a non-zero one, that is on a button's release. The owner
// does both later, off the audio thread (QB_GraphHost::openAddress, writeBankFile).
//
// Always asleep: it handles events only. Audio thread only.
#pragma once

#include <cstdint>

#include "dsp/framework/module_base.h"

class QB_DSP_OS_Command : public QB_ModuleBase {
public:
    enum InPort : int32_t {
        kInFirstAddress = 0,  // 0..3: intValue non-zero opens that address
        kInLastAddress = 3,
        kInSave = 9,  // intValue: a press (non-zero) then a release saves the bank
    };

    QB_DSP_OS_Command(QB_GraphHost* owner, bool createDisabled) : QB_ModuleBase(owner, createDisabled) {}

    void prepare() override;
    void handleEvent(QB_Event* event, uint32_t offset) override;

    int32_t saveArmed = 0;  // intValue of the last event on port 9
};
