// The --plot picture: the input spectrogram on top and, under it, the equaliser's gain
// over time on the same log-frequency axis, each with its dB colour scale.
#pragma once

#include <string>

class AtomicFile;
class SpectrumAnalyser;

// Plot cells for the analyser: one column per pixel of the panels' width.
constexpr int kPlotColumns = 900;
constexpr int kPlotRows = 240;
constexpr double kPlotMinHz = 30.0;
constexpr double kPlotMaxHz = 20000.0;

// Draws the analysis into a PNG written to out; throws ToolError when cairo fails.
void drawPlot(const SpectrumAnalyser& analysis, const std::string& title, AtomicFile& out);
