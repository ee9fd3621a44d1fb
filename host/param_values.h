// Host-side meaning of parameter values: finding a parameter by name and turning a
// value in display units ("3", "German") into the normalised value the plug-in takes.
#pragma once

#include <string>
#include <vector>

class PluginInstance;

// How a parameter's display relates to its normalised value.
struct ParamScale {
    enum Kind { Number, Options, Opaque };
    Kind kind = Opaque;
    double displayAt0 = 0;  // Number: the display at 0 and at 1
    double displayAt1 = 0;
    std::vector<std::string> options;  // Options: texts in rising order
    std::vector<float> optionValues;   // the lowest normalised value that shows each
};

// Index of the parameter of that name (case ignored); throws ToolError when none.
int findParameter(PluginInstance& plugin, const std::string& name);

// Probes the displays (restoring the value afterwards). Plug-ins that show no text
// for a selector until their editor has opened fall back to known option lists.
ParamScale probeScale(PluginInstance& plugin, int index);

// The normalised value for a value text; throws ToolError when the text is not a
// value of this parameter or lies outside its range.
float normalisedValue(PluginInstance& plugin, int index, const ParamScale& scale, const std::string& value);

// "NAME=VALUE" applied to the plug-in.
void applySetting(PluginInstance& plugin, const std::string& setting);

// Option texts of selectors whose display stays empty, by plug-in and parameter name
// (comma-separated); nullptr when not known.
const char* knownOptions(int uniqueId, const std::string& parameterName);

// A display text read as a number, allowing a trailing unit ("-3.5 dB"); false when
// the text does not start with a number.
bool parseDisplayNumber(const std::string& text, double& value);
