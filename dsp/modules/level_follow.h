// The peak follower and the level meter that reads it, run in one loop: the meter's
// envelope is a recursion of three dependent operations a sample, the peak's a shorter
// one, and side by side the peak's work fits in the time the envelope waits for itself.
// Each module computes exactly what it computes alone, sample after sample; only the two
// loops become one (joint_run.h).
//
// Audio thread only, like the modules.
#pragma once

#include "dsp/framework/joint_run.h"

// The kind both modules take: the pair runs together where the meter reads the peak's
// output and both are in the routines that run in steps; anything else runs one after
// the other in graph order.
extern const QB_JointKind kQbLevelFollow;
