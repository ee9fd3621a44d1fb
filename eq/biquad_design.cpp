#include "eq/biquad_design.h"

#include "eq/biquad_cascade_kernels.h"

namespace {

// Section compensation: the engine cascades sectionIndex + 1 identical sections, and
// these factors scale the width so that the cascade keeps roughly the width of one
// section. One row per type 1..6; types 7, 8 and 9 use none.
const float kCompensation[6][8] = {
    {0.985f, 0.902f, 0.812f, 0.7415f, 0.687f, 0.645f, 0.6115f, 0.5845f},
    {1.0f, 0.48f, 0.34f, 0.275f, 0.237f, 0.213f, 0.196f, 0.184f},
    {0.85f, 0.61f, 0.5195f, 0.4715f, 0.4413f, 0.4203f, 0.405f, 0.3931f},
    {0.985f, 0.907f, 0.817f, 0.746f, 0.688f, 0.649f, 0.617f, 0.59f},
    {1.0f, 0.488f, 0.344f, 0.277f, 0.228f, 0.213f, 0.199f, 0.182f},
    {0.85f, 0.612f, 0.5215f, 0.473f, 0.44f, 0.4204f, 0.4057f, 0.3937f},
};

float widthTerm(int16_t type, int16_t sectionIndex, float w) {
    const float R = (type >= 1 && type <= 6) ? kCompensation[type - 1][sectionIndex] : 0.0f;
    switch (type) {
        case 1:
        case 4:  // M, in double precision
            return static_cast<float>((1.01 - static_cast<double>(R) * static_cast<double>(w)) * 1.5);
        case 2:
        case 5: {  // B = 1 / (R*w + 0.9)^4
            const float t = R * w + 0.9f, t2 = t * t;
            return 1.0f / (t2 * t2);
        }
        case 3:
        case 6: {  // G = 1 / (R*w + 1)^8
            const float t = R * w + 1.0f, t2 = t * t, t4 = t2 * t2;
            return 1.0f / (t4 * t4);
        }
        case 7: {  // pole radius control r = -(1 - (1 - w)^2)
            const float a = 1.0f - w;
            return -(1.0f - a * a);
        }
        case 8: {  // G = 1 / ((2w)^6 + 0.001)
            const float t = 2.0f * w, t2 = t * t;
            return 1.0f / (t2 * t2 * t2 + 0.001f);
        }
        case 9: {  // H = 1 / (10 (w^4 + 0.001))
            const float w2 = w * w;
            return 1.0f / (10.0f * (w2 * w2 + 0.001f));
        }
        default:
            return 0.0f;
    }
}

}  // namespace

int16_t qbValidBiquadType(int32_t intValue) {
    const int16_t t = static_cast<int16_t>(intValue);
    return (t >= 0 && t <= 9) ? t : int16_t{0};
}

int16_t qbValidSectionIndex(int32_t intValue) {
    const int16_t n = static_cast<int16_t>(intValue);
    return n < 0 ? int16_t{0} : (n > 7 ? int16_t{7} : n);
}

float qbIndexScale(int32_t sampleRateInt) {
    const float fs = static_cast<float>(sampleRateInt);
    return static_cast<float>(2048.0 / (static_cast<double>(fs) * 0.05));
}

QB_BiquadDesign qbBeginDesign(const QB_LookupTables& tables, float indexScale, int16_t type, int16_t sectionIndex,
                              bool linearMode, float width) {
    QB_BiquadDesign d;
    d.type = qbValidBiquadType(type);
    d.linearMode = linearMode;
    d.indexScale = indexScale;
    d.term = widthTerm(d.type, qbValidSectionIndex(sectionIndex), width);
    d.sinTable = linearMode ? tables.linSin : tables.pitchSin;
    d.cosTable = linearMode ? tables.linCos : tables.pitchCos;
    d.tanTable = linearMode ? tables.linTan : tables.pitchTan;
    d.invTanTable = linearMode ? tables.linInvTan : tables.pitchInvTan;
    return d;
}

void qbDesignRun(QB_SimdLevel level, const QB_BiquadDesign& d, const float* f, const float* u, float* const* out,
                 uint32_t n) {
#if QB_HAVE_AVX512_KERNELS
    if (d.type == 9 && level == QB_SimdLevel::kAvx512) {
        qbDesignPeakingAvx512(d, f, u, out, n);
        return;
    }
#endif
#if QB_HAVE_AVX2_KERNELS
    if (d.type == 9 && qbSimdAtLeast(level, QB_SimdLevel::kAvx2)) {
        qbDesignPeakingAvx2(d, f, u, out, n);
        return;
    }
#endif
#if QB_HAVE_SSE2_KERNELS
    if (d.type == 9 && level != QB_SimdLevel::kScalar) {
        qbDesignPeakingSse2(d, f, u, out, n);
        return;
    }
#endif
    for (uint32_t i = 0; i < n; ++i) {
        const QB_BiquadCoefficients c = qbDesignAt(d, f[i], u[i]);
        out[0][i] = c.b0, out[1][i] = c.b1, out[2][i] = c.b2, out[3][i] = c.a1, out[4][i] = c.a2;
    }
}
