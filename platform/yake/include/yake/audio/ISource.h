#pragma once

namespace yake {
namespace audio {

/// One playing sound as the audio library hands it out: its own volume over the channel's.
class ISource {
public:
    virtual ~ISource() = default;
    virtual void setVolume(float volume) = 0;
    virtual float getVolume() const = 0;
};

} // namespace audio
} // namespace yake
