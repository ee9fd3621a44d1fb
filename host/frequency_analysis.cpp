#include "host/frequency_analysis.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kPi = 3.14159265358979323846;
// Input quieter than this (per bin, relative to full scale) has no meaningful gain.
constexpr double kQuietDb = -110.0;

int fftSizeFor(int sampleRate) {
    // About 90 ms: resolves bass notes while keeping up with a melody.
    int n = 1024;
    while (n < sampleRate * 0.09 && n < (1 << 16)) n *= 2;
    return n;
}

}  // namespace

SpectrumAnalyser::SpectrumAnalyser(int sampleRate, int64_t totalFrames, int columns, int rows, double fMin, double fMax)
    : sampleRate_(sampleRate),
      fftSize_(fftSizeFor(sampleRate)),
      hop_(fftSize_ / 8),
      rows_(std::max(rows, 1)),
      fMin_(fMin),
      fMax_(std::min(fMax, 0.5 * sampleRate)),
      totalFrames_(std::max<int64_t>(totalFrames, 1)) {
    const int64_t frames = totalFrames_ / hop_ + 1;
    columns_ = static_cast<int>(std::clamp<int64_t>(frames, 1, std::max(columns, 1)));
    seconds_ = static_cast<double>(totalFrames_) / sampleRate_;
    if (fMax_ <= fMin_) fMax_ = fMin_ * 2;

    window_.resize(static_cast<size_t>(fftSize_));
    double windowSum = 0;
    for (int i = 0; i < fftSize_; ++i) {
        window_[static_cast<size_t>(i)] = static_cast<float>(0.5 - 0.5 * std::cos(2 * kPi * i / fftSize_));
        windowSum += window_[static_cast<size_t>(i)];
    }
    fullScale_ = 0.25 * windowSum * windowSum;

    const double binHz = static_cast<double>(sampleRate_) / fftSize_;
    const int lastBin = fftSize_ / 2;
    for (int r = 0; r < rows_; ++r) {
        const double lo = fMin_ * std::pow(fMax_ / fMin_, static_cast<double>(r) / rows_);
        const double hi = fMin_ * std::pow(fMax_ / fMin_, static_cast<double>(r + 1) / rows_);
        rowFirstBin_.push_back(std::min(static_cast<int>(std::ceil(lo / binHz)), lastBin));
        rowLastBin_.push_back(std::min(static_cast<int>(std::ceil(hi / binHz)) - 1, lastBin));
        rowCentreBin_.push_back(std::sqrt(lo * hi) / binHz);
    }

    fftIn_ = fftwf_alloc_real(static_cast<size_t>(fftSize_));
    fftOut_ = fftwf_alloc_complex(static_cast<size_t>(lastBin + 1));
    plan_ = fftwf_plan_dft_r2c_1d(fftSize_, fftIn_, static_cast<fftwf_complex*>(fftOut_), FFTW_ESTIMATE);
    power_.resize(static_cast<size_t>(lastBin + 1));

    for (Stream* s : {&input_, &output_}) {
        s->historyL.assign(static_cast<size_t>(fftSize_), 0.f);
        s->historyR.assign(static_cast<size_t>(fftSize_), 0.f);
        s->sum.assign(static_cast<size_t>(columns_) * rows_, 0.f);
        s->framesIn.assign(static_cast<size_t>(columns_), 0);
    }
    input_.peak.assign(static_cast<size_t>(columns_) * rows_, 0.f);
}

SpectrumAnalyser::~SpectrumAnalyser() {
    fftwf_destroy_plan(plan_);
    fftwf_free(fftIn_);
    fftwf_free(fftOut_);
}

void SpectrumAnalyser::Stream::add(SpectrumAnalyser& owner, const float* left, const float* right, int frames) {
    const auto n = static_cast<size_t>(owner.fftSize_);
    int done = 0;
    while (done < frames) {
        const int take = std::min(frames - done, owner.hop_ - filled);
        // Slide the history and append: the newest samples sit at the end.
        const auto t = static_cast<size_t>(take);
        std::copy(historyL.begin() + static_cast<ptrdiff_t>(t), historyL.end(), historyL.begin());
        std::copy(historyR.begin() + static_cast<ptrdiff_t>(t), historyR.end(), historyR.begin());
        std::copy(left + done, left + done + take, historyL.begin() + static_cast<ptrdiff_t>(n - t));
        std::copy(right + done, right + done + take, historyR.begin() + static_cast<ptrdiff_t>(n - t));
        filled += take;
        done += take;
        if (filled == owner.hop_) {
            owner.transform(*this);
            filled = 0;
        }
    }
}

void SpectrumAnalyser::powerSpectrum(const std::vector<float>& history, bool first) {
    for (int i = 0; i < fftSize_; ++i) fftIn_[i] = history[static_cast<size_t>(i)] * window_[static_cast<size_t>(i)];
    fftwf_execute(plan_);
    const auto* bins = static_cast<const fftwf_complex*>(fftOut_);
    for (size_t k = 0; k < power_.size(); ++k) {
        const float p = 0.5f * (bins[k][0] * bins[k][0] + bins[k][1] * bins[k][1]);
        power_[k] = first ? p : power_[k] + p;
    }
}

int SpectrumAnalyser::columnOf(int64_t frameIndex) const {
    // The frame's centre, in samples from the start.
    const double centre = static_cast<double>((frameIndex + 1) * hop_) - 0.5 * fftSize_;
    const auto c = static_cast<int64_t>(std::floor(centre / static_cast<double>(totalFrames_) * columns_));
    return static_cast<int>(std::clamp<int64_t>(c, 0, columns_ - 1));
}

void SpectrumAnalyser::transform(Stream& stream) {
    powerSpectrum(stream.historyL, true);
    powerSpectrum(stream.historyR, false);
    const int column = columnOf(stream.framesDone++);
    ++stream.framesIn[static_cast<size_t>(column)];
    const int lastBin = static_cast<int>(power_.size()) - 1;
    for (int r = 0; r < rows_; ++r) {
        const int first = rowFirstBin_[static_cast<size_t>(r)];
        const int last = rowLastBin_[static_cast<size_t>(r)];
        float sum = 0;
        float peak = 0;
        if (first <= last) {
            for (int k = first; k <= last; ++k) {
                sum += power_[static_cast<size_t>(k)];
                peak = std::max(peak, power_[static_cast<size_t>(k)]);
            }
        } else {
            // A row narrower than a bin: interpolate between its neighbours.
            const double b = std::min(rowCentreBin_[static_cast<size_t>(r)], static_cast<double>(lastBin));
            const int k0 = std::min(static_cast<int>(b), lastBin - 1);
            const auto frac = static_cast<float>(b - k0);
            sum = peak = (1 - frac) * power_[static_cast<size_t>(k0)] + frac * power_[static_cast<size_t>(k0 + 1)];
        }
        stream.sum[cell(column, r)] += sum;
        if (!stream.peak.empty()) stream.peak[cell(column, r)] = std::max(stream.peak[cell(column, r)], peak);
    }
}

int SpectrumAnalyser::filledColumn(int column) const {
    for (int c = column; c >= 0; --c)
        if (input_.framesIn[static_cast<size_t>(c)] > 0) return c;
    for (int c = column + 1; c < columns_; ++c)
        if (input_.framesIn[static_cast<size_t>(c)] > 0) return c;
    return column;
}

float SpectrumAnalyser::levelDb(int column, int row) const {
    column = filledColumn(column);
    const float p = input_.peak[cell(column, row)];
    return static_cast<float>(10.0 * std::log10(std::max(static_cast<double>(p) / fullScale_, 1e-30)));
}

float SpectrumAnalyser::gainDb(int column, int row) const {
    column = filledColumn(column);
    const double in = input_.sum[cell(column, row)];
    const double out = output_.sum[cell(column, row)];
    const int first = rowFirstBin_[static_cast<size_t>(row)];
    const int bins = std::max(rowLastBin_[static_cast<size_t>(row)] - first + 1, 1);
    const double perBin = in / bins / fullScale_;
    if (!(perBin > std::pow(10.0, kQuietDb / 10)) || !(out > 0)) return std::numeric_limits<float>::quiet_NaN();
    return static_cast<float>(10.0 * std::log10(out / in));
}
