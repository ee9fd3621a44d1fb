#include "platform/timer_resolution.h"

#include <windows.h>
#include <mmsystem.h>

int32_t qbTimeBeginPeriod(uint32_t milliseconds) { return static_cast<int32_t>(timeBeginPeriod(milliseconds)); }
int32_t qbTimeEndPeriod(uint32_t milliseconds) { return static_cast<int32_t>(timeEndPeriod(milliseconds)); }
