#include "plugin/float2string.h"

#include <cmath>

#include "plugin/text_copy.h"

void float2string(float value, char* text, int32_t maxLen) {
    if (text == nullptr) return;
    const double signedValue = value;
    const bool negative = signedValue < 0.0;
    const double v = negative ? -signedValue : signedValue;
    // The '-' costs a digit, so negative values have one digit less of room. NaN fails
    // the comparison as well.
    if (!(v <= (negative ? 9999999.0 : 99999999.0))) {
        qbCopyText(text, "", maxLen);
        return;
    }

    char out[24];
    int pos = 0;
    if (negative) out[pos++] = '-';

    // Integer part, collected least significant first. Every digit is kept: the limits
    // above allow eight (seven when negative), and dropping the leading one would show
    // a different number.
    char integerDigits[8];
    int k = 0;
    double integ = std::floor(v);
    do {
        integerDigits[k++] = static_cast<char>('0' + static_cast<int>(std::fmod(integ, 10.0)));
        integ = std::floor(integ / 10.0);
    } while (integ >= 1.0 && k < 8);
    for (int i = k; i-- > 0;) out[pos++] = integerDigits[i];
    out[pos++] = '.';

    // Fraction digits fill the text to 8 characters. They are cut, never rounded, so
    // the text shows the binary value's own digits (0.7f reads 0.699999).
    const int n = (negative ? 6 : 7) - k;
    if (n > 0) {
        double L = std::pow(10.0, n) * std::fmod(v, 1.0);
        for (int i = n; i-- > 0;) {
            if (L <= 0.0) {
                out[pos + i] = '0';
            } else {
                out[pos + i] = static_cast<char>('0' + static_cast<int>(std::fmod(L, 10.0)));
                L *= 0.1;
            }
        }
        pos += n;
    }
    out[pos] = '\0';
    qbCopyText(text, out, maxLen);
}
