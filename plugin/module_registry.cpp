#include "plugin/module_registry.h"

#include <new>

#include "dsp/framework/module_base.h"

namespace {

using Factory = QB_ModuleBase* (*)(QB_GraphHost*, bool);

template <class Module>
QB_ModuleBase* make(QB_GraphHost* owner, bool createDisabled) {
    return new (std::nothrow) Module(owner, createDisabled);
}

struct CodeRange {
    int32_t first;
    int32_t last;
    Factory create;
};

// Code ranges and their classes. A code outside every range creates nothing.
const CodeRange kCodeRanges[] = {
    {0, -1, nullptr},  // placeholder so the table is never empty
};

}  // namespace

QB_ModuleBase* qbCreateModule(int32_t code, QB_GraphHost* owner, bool createDisabled) {
    for (const CodeRange& r : kCodeRanges) {
        if (code >= r.first && code <= r.last && r.create != nullptr) return r.create(owner, createDisabled);
    }
    return nullptr;
}
