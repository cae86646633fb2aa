#pragma once
#include <map>
#include <string>
#include <util/Singleton.h>

namespace kavri3D {
namespace core {

/// The engine's audio: a master volume and per-channel volumes. There is no sound output
/// on this platform; sounds are tracked by id so that callers can stop them. A sound whose
/// file cannot be opened does not start.
class AudioManager : public Singleton<AudioManager> {
public:
    void setVolume(float v) { mMaster = v; }
    float getVolume() const { return mMaster; }
    void setChannelVolume(int channel, float v) { mChannels[channel] = v; }
    float getChannelVolume(int channel) const;

    /// Starts a sound of a kind at a volume; returns its id (positive), -1 when the file
    /// cannot be opened.
    int playSound(const std::string& file, int kind, float volume);
    void stopSound(int id) { mPlaying.erase(id); }
    /// Stops the sound and forgets its id; false for an id that is not playing.
    bool destroySound(int id) { return mPlaying.erase(id) > 0; }
    std::size_t playingCount() const { return mPlaying.size(); }
    bool isPlaying(int id) const { return mPlaying.count(id) > 0; }

private:
    float mMaster = 1.0f;
    std::map<int, float> mChannels;
    std::map<int, std::string> mPlaying;
    int mNextSound = 1;
};

/// Per-channel volumes of the engine's audio manager (0 when there is none).
class DefaultAudioHelper {
public:
    static void setVolume(int channel, float v);
    static float getVolume(int channel);
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::AudioManager);
