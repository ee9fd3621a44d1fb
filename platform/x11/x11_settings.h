// Desktop settings published through the XSETTINGS convention: a manager owns the
// selection _XSETTINGS_S<screen> and keeps the settings in a property of its window.
#pragma once

#include <X11/Xlib.h>

#include <cstddef>
#include <cstdint>

// The integer setting name of an _XSETTINGS_SETTINGS property's bytes; false when the
// data lacks it or is malformed.
bool qbXSettingsInteger(const unsigned char* data, size_t size, const char* name, int32_t* value);

// The desktop's double-click time in milliseconds ("Net/DoubleClickTime"), or fallback
// when no manager runs or its value is out of reason. Errors go to the display's hooks.
uint32_t qbX11DoubleClickTime(Display* display, uint32_t fallback);
