#include "host/audio_io.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "host/options.h"
#include "host/settings.h"
#include "host/tool_error.h"

namespace {

constexpr int64_t kIoFrames = 4096;

int formatFor(const std::string& path) {
    const std::string name = audioFormatName(path);
    if (name == "WAV") return SF_FORMAT_WAVEX | SF_FORMAT_FLOAT;
    if (name == "AIFF") return SF_FORMAT_AIFF | SF_FORMAT_FLOAT;
    if (name == "FLAC") return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
}

// Stereo 32-bit float WAV: RIFF, an 18-byte format chunk (IEEE float, extension size
// 0), the fact chunk non-PCM formats carry, and the data chunk's header.
constexpr int64_t kWavHeaderBytes = 12 + 26 + 12 + 8;
constexpr int64_t kMaxWavFrames = (INT64_C(0xFFFFFFFF) - kWavHeaderBytes) / 8;

std::vector<uint8_t> wavFloatHeader(int sampleRate, int64_t frames) {
    std::vector<uint8_t> h(static_cast<size_t>(kWavHeaderBytes));
    size_t at = 0;
    const auto text = [&](const char* s) {
        for (int k = 0; k < 4; ++k) h[at++] = static_cast<uint8_t>(s[k]);
    };
    const auto le = [&](uint32_t v, int bytes) {
        for (int k = 0; k < bytes; ++k) h[at++] = static_cast<uint8_t>(v >> (8 * k));
    };
    const auto dataBytes = static_cast<uint32_t>(frames * 8);
    text("RIFF");
    le(static_cast<uint32_t>(kWavHeaderBytes - 8) + dataBytes, 4);
    text("WAVE");
    text("fmt ");
    le(18, 4);
    le(3, 2);  // WAVE_FORMAT_IEEE_FLOAT
    le(2, 2);  // channels
    le(static_cast<uint32_t>(sampleRate), 4);
    le(static_cast<uint32_t>(sampleRate) * 8, 4);  // bytes per second
    le(8, 2);                                      // bytes per frame
    le(32, 2);                                     // bits per sample
    le(0, 2);                                      // extension size
    text("fact");
    le(4, 4);
    le(static_cast<uint32_t>(frames), 4);
    text("data");
    le(dataBytes, 4);
    return h;
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
    if (info.frames <= 0) {
        sf_close(file_);
        throw ToolError(path + " holds no audio (0 frames): nothing to render");
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

AudioFileWriter::AudioFileWriter(const std::string& path, int sampleRate) : file_(path), sampleRate_(sampleRate) {
    interleaved_.resize(static_cast<size_t>(kIoFrames) * 2);
    if (audioFormatName(path) == "WAV") {
        // Written here: libsndfile's float WAV has a format chunk without the size field
        // that readers expect of non-PCM formats.
        const std::vector<uint8_t> header = wavFloatHeader(sampleRate, 0);
        file_.write(header.data(), header.size());
        return;
    }
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
    // The PEAK chunk of float files carries the time of writing: leave it out.
    sf_command(sndfile_, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    clips_ = (info.format & SF_FORMAT_SUBMASK) != SF_FORMAT_FLOAT;
    ogg_ = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG;
}

AudioFileWriter::~AudioFileWriter() { close(); }

void AudioFileWriter::close() {
    if (sndfile_ != nullptr) sf_close(sndfile_);
    sndfile_ = nullptr;
}

void AudioFileWriter::write(const float* left, const float* right, int64_t frames) {
    for (int64_t done = 0; done < frames;) {
        const int64_t n = std::min(frames - done, kIoFrames);
        float peak = peak_;
        int64_t overs = 0;
        for (int64_t i = 0; i < n; ++i) {
            const float l = left[done + i];
            const float r = right[done + i];
            interleaved_[static_cast<size_t>(2 * i)] = l;
            interleaved_[static_cast<size_t>(2 * i + 1)] = r;
            const float a = std::fabs(l), b = std::fabs(r);
            overs += (a > 1.f ? 1 : 0) + (b > 1.f ? 1 : 0);
            peak = std::max(peak, std::max(a, b));
        }
        peak_ = peak;
        overs_ += overs;
        if (sndfile_ == nullptr) {
            writeWavSamples(n);
        } else if (sf_writef_float(sndfile_, interleaved_.data(), n) != n) {
            throw ToolError("cannot write " + file_.path() + ": " + sf_strerror(sndfile_));
        }
        frames_ += n;
        done += n;
    }
}

void AudioFileWriter::writeWavSamples(int64_t frames) {
    if (frames_ + frames > kMaxWavFrames)
        throw ToolError("cannot write " + file_.path() + ": a WAV file holds at most 4 GiB; write .flac instead");
    bytes_.resize(static_cast<size_t>(frames) * 8);
    for (size_t i = 0; i < static_cast<size_t>(frames) * 2; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &interleaved_[i], 4);
        for (int k = 0; k < 4; ++k) bytes_[4 * i + static_cast<size_t>(k)] = static_cast<uint8_t>(bits >> (8 * k));
    }
    file_.write(bytes_.data(), bytes_.size());
}

void AudioFileWriter::finish() {
    if (finished_) return;
    finished_ = true;
    if (sndfile_ == nullptr) {
        const std::vector<uint8_t> header = wavFloatHeader(sampleRate_, frames_);
        if (pwrite(file_.fd(), header.data(), header.size(), 0) != static_cast<ssize_t>(header.size()))
            throw ToolError("cannot write " + file_.path() + ": " + std::strerror(errno));
        return;
    }
    const int status = sf_close(sndfile_);
    sndfile_ = nullptr;
    if (status != 0) throw ToolError("cannot write " + file_.path() + ": " + sf_error_number(status));
    if (ogg_) fixOggSerialNumber(file_.tempPath());
}

void AudioFileWriter::commit() {
    finish();
    file_.commit();
}

namespace {

// The OGG page checksum: CRC-32 with polynomial 0x04C11DB7, not reflected, start 0.
uint32_t oggCrc(const uint8_t* data, size_t size, uint32_t crc) {
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<uint32_t>(data[i]) << 24;
        for (int k = 0; k < 8; ++k) crc = (crc << 1) ^ ((crc & 0x80000000u) != 0 ? 0x04C11DB7u : 0u);
    }
    return crc;
}

void putLittleEndian(uint8_t* at, uint32_t v) {
    for (int k = 0; k < 4; ++k) at[k] = static_cast<uint8_t>(v >> (8 * k));
}

}  // namespace

void fixOggSerialNumber(const std::string& path) {
    std::vector<uint8_t> bytes = readWholeFile(path);
    // Pages: "OggS", version, flags, granule (8), serial (4) at 14, sequence (4),
    // checksum (4) at 22, segment count at 26, the segment sizes, then the body.
    std::vector<size_t> pages;
    for (size_t at = 0; at + 27 <= bytes.size();) {
        if (std::memcmp(&bytes[at], "OggS", 4) != 0) throw ToolError("cannot write " + path + ": bad OGG page");
        const size_t segments = bytes[at + 26];
        if (at + 27 + segments > bytes.size()) throw ToolError("cannot write " + path + ": truncated OGG page");
        size_t body = 0;
        for (size_t k = 0; k < segments; ++k) body += bytes[at + 27 + k];
        pages.push_back(at);
        at += 27 + segments + body;
        if (at > bytes.size()) throw ToolError("cannot write " + path + ": truncated OGG page");
    }
    // The serial number comes from the content, so different files still differ.
    uint32_t serial = 0;
    for (size_t k = 0; k < pages.size(); ++k) {
        const size_t end = k + 1 < pages.size() ? pages[k + 1] : bytes.size();
        serial = oggCrc(&bytes[pages[k] + 26], end - pages[k] - 26, serial);
    }
    for (size_t k = 0; k < pages.size(); ++k) {
        const size_t at = pages[k];
        const size_t end = k + 1 < pages.size() ? pages[k + 1] : bytes.size();
        putLittleEndian(&bytes[at + 14], serial);
        putLittleEndian(&bytes[at + 22], 0);
        putLittleEndian(&bytes[at + 22], oggCrc(&bytes[at], end - at, 0));
    }
    FILE* f = std::fopen(path.c_str(), "r+b");
    const bool written = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f == nullptr || std::fclose(f) != 0 || !written)
        throw ToolError("cannot write " + path + ": " + std::strerror(errno));
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
