// A picture of an editor window as a test host reads it off the screen, and what the
// editor window tests look for in one. writePng is defined by each platform's test host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// 0xAARRGGBB (opaque), row after row.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Writes it as a PNG file; false when it could not.
    bool writePng(const std::string& path) const;
};

// The pixels of one rectangle, row after row (empty when it does not fit).
inline std::vector<uint32_t> area(const Screenshot& s, int left, int top, int right, int bottom) {
    std::vector<uint32_t> a;
    if (s.width < right || s.height < bottom) return a;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) a.push_back(s.at(x, y));
    return a;
}

// How many pixels differ from expected (opaque 0xAARRGGBB of the same size); -1 when the
// sizes differ.
inline int differingPixels(const Screenshot& shot, const std::vector<uint32_t>& expected) {
    if (expected.empty() || expected.size() != shot.pixels.size()) return -1;
    int n = 0;
    for (size_t i = 0; i < expected.size(); ++i) n += (shot.pixels[i] | 0xFF000000u) != expected[i];
    return n;
}

// The MIDI-learn menu's left edge on row y, found by its light ground; -1 when none.
inline int menuLeftEdge(const Screenshot& s, int y) {
    if (y < 0 || y >= s.height) return -1;
    for (int x = 0; x < s.width; ++x) {
        const uint32_t p = s.at(x, y);
        if (((p >> 16) & 255) >= 240 && ((p >> 8) & 255) >= 240 && (p & 255) >= 240) return x;
    }
    return -1;
}
