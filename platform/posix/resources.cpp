#include "platform/resources.h"

// The generated table (embedded_resources.cpp), ended by a record with a null name.
extern const QB_Resource kQBEmbeddedResources[];

namespace {

// ASCII comparison without regard to case, as resource names are compared.
bool sameName(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
        if (x == '\0') return true;
    }
}

}  // namespace

const QB_Resource* qbFindResource(const char* type, const char* name) {
    if (type == nullptr || name == nullptr) return nullptr;
    for (const QB_Resource* r = kQBEmbeddedResources; r->name != nullptr; ++r) {
        if (sameName(r->type, type) && sameName(r->name, name)) return r;
    }
    return nullptr;
}
