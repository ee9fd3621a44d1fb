#include "dsp/modules/stream_helpers.h"

namespace qb {

alignas(16) const float kSilentStream[QB_GraphHost::kMaxRing + 4] = {};

}  // namespace qb
