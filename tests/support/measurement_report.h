// Measured figures for a person reading a test run. Each figure is recorded as a test
// property (it appears in the --gtest_output=xml report) and is printed only when the
// environment variable ORVAN_REPORT is set, so a normal run prints nothing of its own.
#pragma once

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

inline void reportFigure(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    static int counter = 0;
    ::testing::Test::RecordProperty("figure" + std::to_string(++counter), text);
    if (std::getenv("ORVAN_REPORT") != nullptr) {
        std::printf("[figure] %s\n", text);
        std::fflush(stdout);
    }
}
