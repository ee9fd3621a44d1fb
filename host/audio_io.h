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

// A file libsndfile reads; throws ToolError when it is missing, unreadable or has more
// than two channels.
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
// 32-bit float (exact, no clipping), FLAC as 24-bit, OGG as Vorbis.
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

private:
    void close();

    AtomicFile file_;
    sf_private_tag* sndfile_ = nullptr;
    std::vector<float> interleaved_;
};

// A whole file in memory, for benchmarks.
StereoBuffer readWholeAudioFile(const std::string& path);
