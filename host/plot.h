// The --plot picture: the input spectrogram on top and, under it, the equaliser's gain
// over time on the same log-frequency axis, each with its dB colour scale.
#pragma once

#include <string>
#include <vector>

#include "host/options.h"

class AtomicFile;
class SpectrumAnalyser;

// Plot cells for the analyser: one column per pixel of the panels' width.
constexpr int kPlotColumns = 900;
constexpr int kPlotRows = 240;
constexpr double kPlotMinHz = 30.0;
constexpr double kPlotMaxHz = 20000.0;

// The gain panel's colour bar, in pixels of the PNG: the scale is fixed by --plot-range,
// so plots of different renders compare by eye.
struct PlotRect {
    int x, y, width, height;
};
PlotRect gainScaleArea();

// What made the plot: the effect, the program in force and the material, and every
// --program, --set and --load in command-line order.
struct PlotTitle {
    std::string plugin;    // Orvan EQ, program "Warm"
    std::string settings;  // --set Bass=3 --load dark.fxp (empty without any)
    std::string material;  // song.wav
    // Orvan EQ, program "Warm": song.wav
    std::string headline() const { return plugin + ": " + material; }
    // Orvan EQ, program "Warm" (--set Bass=3 --load dark.fxp): song.wav
    std::string text() const { return plugin + (settings.empty() ? "" : " (" + settings + ")") + ": " + material; }
};
PlotTitle plotTitle(const std::string& effect, const std::string& program, const std::vector<SettingAction>& actions,
                    const std::string& material);

// Draws the analysis into a PNG written to out, gains coloured from -rangeDb to +rangeDb;
// the title's text also goes into the PNG's Title. Throws ToolError when cairo fails.
void drawPlot(const SpectrumAnalyser& analysis, const PlotTitle& title, double rangeDb, AtomicFile& out);
