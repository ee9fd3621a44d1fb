#include "dsp/framework/lookup_tables.h"

#include <cmath>

void QB_LookupTables::build(int32_t sampleRateInt, int32_t pitchCeiling) {
    const double pi = 3.14159265358979323846;
    for (int j = 0; j < kSize; ++j) {
        const double x = (j < 1 ? 1 : j) / 4096.0;
        linSin[j] = static_cast<float>(std::sin(2.0 * pi * x));
        linCos[j] = static_cast<float>(std::cos(2.0 * pi * x));
        linTan[j] = static_cast<float>(std::tan(pi * x));
        linInvTan[j] = static_cast<float>(1.0 / std::tan(pi * x));

        double f = 13.75 * std::pow(2.0, j * 23.0 / 2048.0 - 10.0);
        if (f >= pitchCeiling) f = 0.99 * pitchCeiling;
        const double w = pi * f / sampleRateInt;
        pitchSin[j] = static_cast<float>(std::sin(2.0 * w));
        pitchCos[j] = static_cast<float>(std::cos(2.0 * w));
        pitchTan[j] = static_cast<float>(std::tan(w));
        pitchInvTan[j] = 1.0f / pitchTan[j];
    }
}
