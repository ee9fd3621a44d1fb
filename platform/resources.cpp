#include "platform/resources.h"

#include <strings.h>

// The generated table (embedded_resources.cpp), ended by a record with a null name.
extern const QB_Resource kQBEmbeddedResources[];

const QB_Resource* qbFindResource(const char* type, const char* name) {
    if (type == nullptr || name == nullptr) return nullptr;
    for (const QB_Resource* r = kQBEmbeddedResources; r->name != nullptr; ++r) {
        if (strcasecmp(r->type, type) == 0 && strcasecmp(r->name, name) == 0) return r;
    }
    return nullptr;
}
