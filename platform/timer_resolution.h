// Timer resolution requests. Linux timers need no raising: both calls report success so
// the processor's bookkeeping stays the same on every platform.
#pragma once

#include <cstdint>

inline int32_t qbTimeBeginPeriod(uint32_t milliseconds) { return 0; }
inline int32_t qbTimeEndPeriod(uint32_t milliseconds) { return 0; }
