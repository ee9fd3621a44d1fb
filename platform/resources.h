// Resources embedded in the library at build time (the factory bank, the images),
// looked up by type ("DATA", "PNG") and name, both compared without regard to case.
#pragma once

#include <cstddef>

struct QB_Resource {
    const char* type;
    const char* name;
    const unsigned char* data;
    size_t size;
};

// Finds an embedded resource. Answers nullptr when there is none of that type and name
// (callers then keep their defaults).
const QB_Resource* qbFindResource(const char* type, const char* name);
