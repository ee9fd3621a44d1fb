#include "platform/timer_resolution.h"

int32_t qbTimeBeginPeriod(uint32_t milliseconds) { return 0; }
int32_t qbTimeEndPeriod(uint32_t milliseconds) { return 0; }
