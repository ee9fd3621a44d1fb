// Audio in and out of the render: sources deliver stereo frames (mono repeated on both
// channels), writers stream them into a file that appears only on commit().
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/atomic_file.h"

struct sf_private_tag;

class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual int sampleRate() const = 0;
    virtual int64_t frames() const = 0;
    // Up to maxFrames frames into left and right; 0 at the end.
    virtual int64_t read(float* left, float* right, int64_t maxFrames) = 0;
};

// Stereo material held in memory (the demo, and inputs loaded for benchmarks).
struct StereoBuffer {
    int sampleRate = 44100;
    std::vector<float> left;
    std::vector<float> right;
};

class MemorySource : public AudioSource {
public:
    explicit MemorySource(const StereoBuffer& buffer) : buffer_(buffer) {}
    int sampleRate() const override { return buffer_.sampleRate; }
    int64_t frames() const override { return static_cast<int64_t>(buffer_.left.size()); }
    int64_t read(float* left, float* right, int64_t maxFrames) override;

private:
    const StereoBuffer& buffer_;
    int64_t position_ = 0;
};

// A file libsndfile reads; throws ToolError when it is missing, unreadable, empty or has
// more than two channels.
class FileSource : public AudioSource {
public:
    explicit FileSource(const std::string& path);
    ~FileSource() override;
    int sampleRate() const override { return sampleRate_; }
    int64_t frames() const override { return frames_; }
    int64_t read(float* left, float* right, int64_t maxFrames) override;

private:
    std::string path_;
    sf_private_tag* file_ = nullptr;
    int sampleRate_ = 0;
    int channels_ = 0;
    int64_t frames_ = 0;
    std::vector<float> interleaved_;
};

// Writes stereo audio in the format the file name's extension picks: WAV and AIFF as
// 32-bit float (exact, no clipping), FLAC as 24-bit, OGG as Vorbis. The same audio
// always gives the same bytes: no time-stamped chunks, a fixed OGG stream serial number.
class AudioFileWriter {
public:
    AudioFileWriter(const std::string& path, int sampleRate);
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    void write(const float* left, const float* right, int64_t frames);
    // Completes the file (headers, encoder flush); throws ToolError when that fails.
    void finish();
    // Renames the finished file into place.
    void commit();

    const std::string& path() const { return file_.path(); }
    // False for the formats that keep samples beyond full scale (32-bit float).
    bool clips() const { return clips_; }
    // True when the file itself holds the overs clipped (integer samples); Vorbis keeps
    // them, but players clip them.
    bool clipsInFile() const { return clips_ && !ogg_; }
    // Samples beyond full scale so far.
    int64_t oversCount() const { return overs_; }
    // The largest sample magnitude written so far.
    float peak() const { return peak_; }

private:
    void close();
    void writeWavSamples(int64_t frames);

    AtomicFile file_;
    int sampleRate_;
    sf_private_tag* sndfile_ = nullptr;  // null for WAV, which is written here
    bool finished_ = false;
    bool ogg_ = false;
    int64_t frames_ = 0;
    std::vector<uint8_t> bytes_;
    bool clips_ = false;
    int64_t overs_ = 0;
    float peak_ = 0;
    std::vector<float> interleaved_;
};

// Rewrites the stream serial number of every page of an OGG file to a fixed one (and
// each page's checksum): libsndfile picks it from the clock.
void fixOggSerialNumber(const std::string& path);

// A whole file in memory, for benchmarks.
StereoBuffer readWholeAudioFile(const std::string& path);
