// Short-time spectra of the render's input and output, reduced on the fly to a grid of
// plot cells (time columns by log-frequency rows), so memory stays fixed however long
// the file is. Input and output are framed identically, which makes their power ratio
// per cell the equaliser's gain.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct fftwf_plan_s;

class SpectrumAnalyser {
public:
    // columns and rows: the plot's cells; frequencies from fMin to fMax (clipped to
    // the Nyquist frequency).
    SpectrumAnalyser(int sampleRate, int64_t totalFrames, int columns, int rows, double fMin, double fMax);
    ~SpectrumAnalyser();
    SpectrumAnalyser(const SpectrumAnalyser&) = delete;
    SpectrumAnalyser& operator=(const SpectrumAnalyser&) = delete;

    void addInput(const float* left, const float* right, int frames) { input_.add(*this, left, right, frames); }
    void addOutput(const float* left, const float* right, int frames) { output_.add(*this, left, right, frames); }

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    double fMin() const { return fMin_; }
    double fMax() const { return fMax_; }
    double seconds() const { return seconds_; }
    // Input level of a cell in dB relative to a full-scale sine (the loudest bin of
    // its frequency span); row 0 is the lowest frequency.
    float levelDb(int column, int row) const;
    // Output over input power of a cell in dB; NaN where the input is too quiet to say.
    float gainDb(int column, int row) const;

private:
    // Frames one stream: keeps the last fftSize samples and transforms every hop.
    struct Stream {
        std::vector<float> historyL, historyR;
        int filled = 0;  // samples since the last frame
        int64_t framesDone = 0;
        std::vector<float> sum;   // power per cell
        std::vector<float> peak;  // loudest bin per cell (input only)
        std::vector<int> framesIn;  // frames per column
        void add(SpectrumAnalyser& owner, const float* left, const float* right, int frames);
    };
    void transform(Stream& stream);
    void powerSpectrum(const std::vector<float>& history, bool first);
    int columnOf(int64_t frameIndex) const;
    // The nearest column at or before this one that received a frame: when frames
    // are a little sparser than columns, a column may get none.
    int filledColumn(int column) const;
    size_t cell(int column, int row) const { return static_cast<size_t>(column) * static_cast<size_t>(rows_) + static_cast<size_t>(row); }

    int sampleRate_;
    int fftSize_;
    int hop_;
    int columns_;
    int rows_;
    double fMin_, fMax_;
    double seconds_;
    int64_t totalFrames_;
    double fullScale_;  // power of a full-scale sine's bin
    std::vector<int> rowFirstBin_, rowLastBin_;  // bins inside a row; first > last: interpolate
    std::vector<double> rowCentreBin_;
    std::vector<float> window_;
    std::vector<float> power_;
    float* fftIn_ = nullptr;
    void* fftOut_ = nullptr;
    fftwf_plan_s* plan_ = nullptr;
    Stream input_, output_;
};
