// Timer resolution requests, in milliseconds. Both calls answer 0 on success, as the
// multimedia timer calls do. On Windows they raise and restore the system timer's
// resolution; Linux timers need no raising, so there both report success and the
// processor's bookkeeping stays the same on every platform.
#pragma once

#include <cstdint>

int32_t qbTimeBeginPeriod(uint32_t milliseconds);
int32_t qbTimeEndPeriod(uint32_t milliseconds);
