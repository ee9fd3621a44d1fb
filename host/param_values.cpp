#include "host/param_values.h"

#include <strings.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "host/plugin_instance.h"
#include "host/tool_error.h"

namespace {

// Steps at which a selector's displays are read: fine enough for any practical
// option count, and exact at halves, quarters and fifths.
constexpr int kOptionScanSteps = 1000;

std::string trim(const std::string& s) {
    size_t a = 0;
    size_t b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return s.substr(a, b - a);
}

bool parseWholeNumber(const std::string& text, double& value) {
    const std::string t = trim(text);
    if (t.empty()) return false;
    char* end = nullptr;
    value = std::strtod(t.c_str(), &end);
    return *end == '\0' && std::isfinite(value);
}

std::vector<std::string> splitOptions(const char* list) {
    std::vector<std::string> out;
    std::stringstream ss(list);
    std::string item;
    while (std::getline(ss, item, ','))
        if (!item.empty()) out.push_back(item);
    return out;
}

std::string joinOptions(const std::vector<std::string>& options) {
    std::string out;
    for (const std::string& o : options) out += (out.empty() ? "" : ", ") + o;
    return out;
}

// A display cut to the VST limit of 8 characters matches a value it begins.
bool optionMatches(const std::string& option, const std::string& value) {
    if (strcasecmp(option.c_str(), value.c_str()) == 0) return true;
    return option.size() == static_cast<size_t>(kVstMaxParamStrLen) && value.size() > option.size() &&
           strncasecmp(option.c_str(), value.c_str(), option.size()) == 0;
}

double displayAt(PluginInstance& plugin, int index, float x, bool& ok) {
    plugin.setParam(index, x);
    double v = 0;
    ok = parseDisplayNumber(plugin.paramDisplay(index), v);
    return v;
}

std::string formatNumber(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

}  // namespace

bool parseDisplayNumber(const std::string& text, double& value) {
    const std::string t = trim(text);
    if (t.empty()) return false;
    char* end = nullptr;
    value = std::strtod(t.c_str(), &end);
    if (end == t.c_str() || !std::isfinite(value)) return false;
    // Only a unit may follow: letters, '%' or spaces ("dB", "Hz", "ms").
    for (const char* p = end; *p != '\0'; ++p)
        if (!std::isalpha(static_cast<unsigned char>(*p)) && *p != '%' && *p != ' ') return false;
    return true;
}

int findParameter(PluginInstance& plugin, const std::string& name) {
    for (int i = 0; i < plugin.numParams(); ++i)
        if (strcasecmp(plugin.paramName(i).c_str(), name.c_str()) == 0) return i;
    throw ToolError("unknown parameter '" + name + "' (--info lists them)");
}

ParamScale probeScale(PluginInstance& plugin, int index) {
    ParamScale scale;
    const float saved = plugin.param(index);
    bool ok0 = false;
    bool ok1 = false;
    const double d0 = displayAt(plugin, index, 0.f, ok0);
    const double d1 = displayAt(plugin, index, 1.f, ok1);
    if (ok0 && ok1) {
        scale.kind = ParamScale::Number;
        scale.displayAt0 = d0;
        scale.displayAt1 = d1;
    } else {
        // A selector: the texts in the order they appear as the value rises.
        for (int k = 0; k <= kOptionScanSteps; ++k) {
            const float x = static_cast<float>(k) / kOptionScanSteps;
            plugin.setParam(index, x);
            const std::string text = trim(plugin.paramDisplay(index));
            if (text.empty() || (!scale.options.empty() && scale.options.back() == text)) continue;
            bool seen = false;
            for (const std::string& o : scale.options) seen = seen || o == text;
            if (seen) continue;
            scale.options.push_back(text);
            scale.optionValues.push_back(x);
        }
        if (scale.options.empty()) {
            if (const char* list = knownOptions(plugin.uniqueId(), plugin.paramName(index))) {
                scale.options = splitOptions(list);
                const size_t n = scale.options.size();
                for (size_t k = 0; k < n; ++k)
                    scale.optionValues.push_back(n > 1 ? static_cast<float>(k) / static_cast<float>(n - 1) : 0.f);
            }
        }
        scale.kind = scale.options.empty() ? ParamScale::Opaque : ParamScale::Options;
    }
    plugin.setParam(index, saved);
    return scale;
}

float normalisedValue(PluginInstance& plugin, int index, const ParamScale& scale, const std::string& value) {
    const std::string name = plugin.paramName(index);
    double number = 0;
    const bool isNumber = parseWholeNumber(value, number);
    switch (scale.kind) {
    case ParamScale::Options: {
        for (size_t k = 0; k < scale.options.size(); ++k)
            if (optionMatches(scale.options[k], trim(value))) return scale.optionValues[k];
        // An option's position also names it: Style=1 is the second style.
        if (isNumber && number >= 0 && number < static_cast<double>(scale.options.size()) &&
            number == std::floor(number))
            return scale.optionValues[static_cast<size_t>(number)];
        throw ToolError("value '" + value + "' is not one of " + name + "'s options (" +
                        joinOptions(scale.options) + ")");
    }
    case ParamScale::Number: {
        const double lo = std::fmin(scale.displayAt0, scale.displayAt1);
        const double hi = std::fmax(scale.displayAt0, scale.displayAt1);
        if (!isNumber)
            throw ToolError(name + " takes a number from " + formatNumber(lo) + " to " + formatNumber(hi) +
                            ", not '" + value + "'");
        // Displays are cut, not rounded, to their digits: allow that much at the ends.
        const double slack = std::fmax((hi - lo) * 1e-6, 1e-6);
        if (number < lo - slack || number > hi + slack)
            throw ToolError("value " + value + " is outside " + name + "'s range " + formatNumber(lo) + " to " +
                            formatNumber(hi));
        if (hi == lo) return 0.f;
        const double x = (number - scale.displayAt0) / (scale.displayAt1 - scale.displayAt0);
        float linear = static_cast<float>(std::fmin(std::fmax(x, 0.0), 1.0));
        // Displays of most plug-ins are linear in the value; check, and search the
        // (monotonic) display otherwise.
        const float saved = plugin.param(index);
        bool ok = false;
        const double shown = displayAt(plugin, index, linear, ok);
        const double tolerance = std::fmax((hi - lo) * 1e-4, 1e-6);
        if (!ok || std::fabs(shown - number) > tolerance) {
            const bool rising = scale.displayAt1 > scale.displayAt0;
            float a = 0.f;
            float b = 1.f;
            for (int step = 0; step < 40; ++step) {
                const float m = 0.5f * (a + b);
                const double d = displayAt(plugin, index, m, ok);
                if ((d < number) == rising) a = m;
                else b = m;
            }
            linear = 0.5f * (a + b);
        }
        plugin.setParam(index, saved);
        return linear;
    }
    case ParamScale::Opaque:
        break;
    }
    throw ToolError(name + " shows no value text, so '" + value + "' cannot be mapped to it");
}

void applySetting(PluginInstance& plugin, const std::string& setting) {
    const size_t eq = setting.find('=');
    const std::string name = trim(setting.substr(0, eq));
    const std::string value = setting.substr(eq + 1);
    const int index = findParameter(plugin, name);
    const ParamScale scale = probeScale(plugin, index);
    plugin.setParam(index, normalisedValue(plugin, index, scale, value));
}
