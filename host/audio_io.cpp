#include "host/audio_io.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "host/options.h"
#include "host/tool_error.h"

namespace {

constexpr int64_t kIoFrames = 4096;

int formatFor(const std::string& path) {
    const std::string name = audioFormatName(path);
    if (name == "WAV") return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    if (name == "AIFF") return SF_FORMAT_AIFF | SF_FORMAT_FLOAT;
    if (name == "FLAC") return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
}

}  // namespace

int64_t MemorySource::read(float* left, float* right, int64_t maxFrames) {
    const int64_t n = std::min(maxFrames, frames() - position_);
    std::copy_n(buffer_.left.data() + position_, n, left);
    std::copy_n(buffer_.right.data() + position_, n, right);
    position_ += n;
    return n;
}

FileSource::FileSource(const std::string& path) : path_(path) {
    // libsndfile's own words for a missing file are clumsy; say it plainly.
    if (access(path.c_str(), R_OK) != 0) throw ToolError("cannot open " + path + ": " + std::strerror(errno));
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    file_ = sf_open(path.c_str(), SFM_READ, &info);
    if (file_ == nullptr) throw ToolError("cannot read audio file " + path + ": " + sf_strerror(nullptr));
    if (info.channels < 1 || info.channels > 2) {
        sf_close(file_);
        throw ToolError(path + " has " + std::to_string(info.channels) +
                        " channels; orvan-render takes mono or stereo files only");
    }
    if (info.samplerate < 1) {
        sf_close(file_);
        throw ToolError(path + " has no valid sample rate");
    }
    sampleRate_ = info.samplerate;
    channels_ = info.channels;
    frames_ = info.frames;
    interleaved_.resize(static_cast<size_t>(kIoFrames) * 2);
}

FileSource::~FileSource() { sf_close(file_); }

int64_t FileSource::read(float* left, float* right, int64_t maxFrames) {
    int64_t done = 0;
    while (done < maxFrames) {
        const int64_t want = std::min(maxFrames - done, kIoFrames);
        const sf_count_t got = sf_readf_float(file_, interleaved_.data(), want);
        if (sf_error(file_) != SF_ERR_NO_ERROR)
            throw ToolError("cannot read audio file " + path_ + ": " + sf_strerror(file_));
        if (got <= 0) break;
        for (sf_count_t i = 0; i < got; ++i) {
            left[done + i] = interleaved_[static_cast<size_t>(i * channels_)];
            right[done + i] = interleaved_[static_cast<size_t>(i * channels_ + channels_ - 1)];
        }
        done += got;
        if (got < want) break;
    }
    return done;
}

AudioFileWriter::AudioFileWriter(const std::string& path, int sampleRate) : file_(path) {
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = formatFor(path);
    if (!sf_format_check(&info))
        throw ToolError("cannot write " + path + ": libsndfile cannot write " + audioFormatName(path) + " at " +
                        std::to_string(sampleRate) + " Hz");
    sndfile_ = sf_open_fd(file_.releaseFd(), SFM_WRITE, &info, SF_TRUE);
    if (sndfile_ == nullptr) throw ToolError("cannot write " + path + ": " + sf_strerror(nullptr));
    // Integer formats clip overs instead of wrapping them around.
    sf_command(sndfile_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    interleaved_.resize(static_cast<size_t>(kIoFrames) * 2);
}

AudioFileWriter::~AudioFileWriter() { close(); }

void AudioFileWriter::close() {
    if (sndfile_ != nullptr) sf_close(sndfile_);
    sndfile_ = nullptr;
}

void AudioFileWriter::write(const float* left, const float* right, int64_t frames) {
    for (int64_t done = 0; done < frames;) {
        const int64_t n = std::min(frames - done, kIoFrames);
        for (int64_t i = 0; i < n; ++i) {
            interleaved_[static_cast<size_t>(2 * i)] = left[done + i];
            interleaved_[static_cast<size_t>(2 * i + 1)] = right[done + i];
        }
        if (sf_writef_float(sndfile_, interleaved_.data(), n) != n)
            throw ToolError("cannot write " + file_.path() + ": " + sf_strerror(sndfile_));
        done += n;
    }
}

void AudioFileWriter::finish() {
    const int status = sf_close(sndfile_);
    sndfile_ = nullptr;
    if (status != 0) throw ToolError("cannot write " + file_.path() + ": " + sf_error_number(status));
}

void AudioFileWriter::commit() {
    if (sndfile_ != nullptr) finish();
    file_.commit();
}

StereoBuffer readWholeAudioFile(const std::string& path) {
    FileSource source(path);
    StereoBuffer buffer;
    buffer.sampleRate = source.sampleRate();
    const int64_t chunk = 65536;
    int64_t total = 0;
    for (;;) {
        buffer.left.resize(static_cast<size_t>(total + chunk));
        buffer.right.resize(static_cast<size_t>(total + chunk));
        const int64_t got = source.read(buffer.left.data() + total, buffer.right.data() + total, chunk);
        total += got;
        if (got < chunk) break;
    }
    buffer.left.resize(static_cast<size_t>(total));
    buffer.right.resize(static_cast<size_t>(total));
    return buffer;
}
