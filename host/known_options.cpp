#include <strings.h>

#include <string>

#include "host/param_values.h"
#include "platform/vst2.h"

namespace {

struct KnownSelector {
    int uniqueId;
    const char* parameter;
    const char* options;
};

// Orvan EQ shows its selector texts only once its editor has built the selector, which
// an offline host never opens; the option lists come from its control table.
const KnownSelector kKnownSelectors[] = {
    {vstFourCC('Z', 'w', 'M', 't'), "Style", "American,German,British"},
    {vstFourCC('Z', 'w', 'M', 't'), "Highs Mode", "Mixing,Mastering,A.I.R"},
};

}  // namespace

const char* knownOptions(int uniqueId, const std::string& parameterName) {
    for (const KnownSelector& k : kKnownSelectors)
        if (k.uniqueId == uniqueId && strcasecmp(k.parameter, parameterName.c_str()) == 0) return k.options;
    return nullptr;
}
