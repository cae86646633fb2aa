#pragma once
#include <boost/shared_ptr.hpp>
#include <map>
#include <string>
#include <util/Singleton.h>
#include <yake/audio/ISource.h>

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
    /// The sound's own volume (its source's gain); false for an id that is not playing.
    bool setSoundVolume(int id, float volume);
    /// The sound's own volume; -1 for an id that is not playing.
    float getSoundVolume(int id) const;
    /// Stops the sound and forgets its id; false for an id that is not playing.
    bool destroySound(int id) { return mPlaying.erase(id) > 0; }
    std::size_t playingCount() const { return mPlaying.size(); }
    bool isPlaying(int id) const { return mPlaying.count(id) > 0; }

private:
    float mMaster = 1.0f;
    std::map<int, float> mChannels;
    struct Sound {
        std::string file;
        int kind = 0;
        float volume = 1.0f;
    };
    std::map<int, Sound> mPlaying;
    int mNextSound = 1;
};

/// Per-channel volumes of the engine's audio manager (0 when there is none).
class DefaultAudioHelper {
public:
    static void setVolume(int channel, float v);
    static float getVolume(int channel);
    /// The playing sound of that id; empty once it stopped (or for an id never started).
    static boost::shared_ptr<yake::audio::ISource> getSoundSource(long id);
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::AudioManager);
