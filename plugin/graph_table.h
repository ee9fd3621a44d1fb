// The shipped graph table: the product's modules and how they are wired.
#pragma once

#include "dsp/framework/graph_record.h"

// The 256 constants an input may read (entries 0..144 used).
extern const float kGraphConstants[kGraphNumConstants];

// The shipped table: 45 records and the end record.
extern const QB_GraphRecord kGraphTable[];
extern const int kGraphTableLength;  // records including the end record

// The shipped table with its constants and the product's module classes.
extern const QB_GraphDefinition kShippedGraph;
