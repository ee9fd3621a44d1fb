#include "dsp/modules/os_command.h"

void QB_DSP_OS_Command::prepare() {
    setRoutine(&QB_ModuleBase::sleepRoutine);
    flags |= kAsleep;
    saveArmed = 0;
}

void QB_DSP_OS_Command::handleEvent(QB_Event* e, uint32_t offset) {
    if (e->port == kInSave) {
        if (saveArmed != 0) owner->writeBankFile();
        saveArmed = e->intValue;
    } else if (e->port >= kInFirstAddress && e->port <= kInLastAddress && e->intValue != 0) {
        owner->openAddress(e->port - kInFirstAddress);
    }
}
