// Which module class each graph-table code creates.
#pragma once

#include <cstdint>

class QB_ModuleBase;
class QB_GraphHost;

// Creates the module of the class that code names, or answers nullptr for a code with
// no class (and when memory is short). A QB_ModuleFactory.
QB_ModuleBase* qbCreateModule(int32_t code, QB_GraphHost* owner, bool createDisabled);
