// The picture of a render: the waveform above a spectrogram on a logarithmic frequency axis.
#pragma once

#include <span>
#include <string>

#include "tools/qvt/PlotRaster.h"

namespace qvt {

struct TPlotLayout {
  int Width = 1200;
  int WaveHeight = 160;
  int SpectrumHeight = 400;
  double LowestHz = 20.0;
};

// `mono` is the signal to draw (for example the mean of the channels).
TRaster DrawPlot(std::span<const float> mono, double sampleRate, const TPlotLayout& layout = {});

// Frequency that a spectrogram row stands for (row 0 at the top) and back.
double PlotRowHz(int row, double sampleRate, const TPlotLayout& layout);
int PlotHzRow(double hz, double sampleRate, const TPlotLayout& layout);

} // namespace qvt
