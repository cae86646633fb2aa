#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kavri3D {
namespace core {

/// A sound file (WAV, OGG, FLAC, MP3, ...) decoded whole into 16-bit samples, mono or stereo,
/// ready for the sound card. Music files come with the game or its downloads and may be
/// broken: a file too large, empty, cut short or not a sound at all is refused with the reason,
/// never half-played.
class SoundFile {
public:
    /// Largest file read (before decoding) and largest decoded sound (samples, all channels).
    static const std::size_t kFileLimit = 32 * 1024 * 1024;
    static const std::size_t kSampleLimit = 32 * 1024 * 1024;

    /// Reads and decodes the file at `path`; false with `error` saying why.
    bool load(const std::string& path, std::string& error);
    /// Decodes a whole file held in memory; false with `error` saying why.
    bool decode(const std::string& bytes, std::string& error);

    int channels() const { return mChannels; }
    int sampleRate() const { return mRate; }
    std::size_t frames() const { return mChannels ? mSamples.size() / static_cast<std::size_t>(mChannels) : 0; }
    /// Interleaved samples, frames() * channels() of them.
    const std::vector<std::int16_t>& samples() const { return mSamples; }

private:
    std::vector<std::int16_t> mSamples;
    int mChannels = 0;
    int mRate = 0;
};

} // namespace core
} // namespace kavri3D
