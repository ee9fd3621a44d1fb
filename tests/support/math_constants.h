// Constants the C++17 standard library does not name.
#pragma once

constexpr double kPi = 3.14159265358979323846;
