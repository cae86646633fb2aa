#pragma once
#include <boost/shared_ptr.hpp>
#include <map>
#include <memory>
#include <string>
#include <util/Singleton.h>
#include <vector>
#include <yake/audio/ISource.h>

#include "core/AudioOutput.h"

namespace kavri3D {
namespace core {

/// The engine's audio: a master volume (the listener's gain), per-channel volumes, and the
/// sounds playing, each decoded whole into its own buffer and played by its own source. The
/// output opens with the first sound; without a sound device the game plays into OpenAL's
/// loopback device, silently (one log line says so). Music (kind 6) loops until stopped.
class AudioManager : public Singleton<AudioManager> {
public:
    static const int kMusic = 6;

    /// `output` Loopback keeps the game silent whatever the machine has (so does the
    /// ZRK_AUDIO_OUTPUT=loopback setting, which the test programs set).
    explicit AudioManager(AudioOutput::Kind output = AudioOutput::Kind::Device);
    ~AudioManager();

    /// The master volume as set (also when out of range); the listener hears it limited to 0..1,
    /// NaN as 0.
    void setVolume(float v);
    float getVolume() const { return mMaster; }
    void setChannelVolume(int channel, float v) { mChannels[channel] = v; }
    float getChannelVolume(int channel) const;

    /// Starts a sound of a kind at a volume; returns its id (positive), -1 with one log line
    /// when the file cannot be played (missing, too large, empty, cut short, not a sound).
    int playSound(const std::string& file, int kind, float volume);
    void stopSound(int id) { destroySound(id); }
    /// The sound's own volume (its source's gain); false for an id that is not playing.
    bool setSoundVolume(int id, float volume);
    /// The sound's own volume (its source's gain); -1 for an id that is not playing.
    float getSoundVolume(int id) const;
    /// Stops the sound and frees its source and buffer; false for an id that is not playing.
    bool destroySound(int id);
    std::size_t playingCount() const;
    /// False once the sound is destroyed or, not looping, has played to its end.
    bool isPlaying(int id) const;

    /// The output the sounds go to; null until the first sound (or when none could open).
    const AudioOutput* output() const { return mOutput.get(); }
    /// Test surface: mixes `frames` stereo frames of the loopback device into `out`; false
    /// when the sounds go to a real device or nowhere.
    bool renderLoopback(std::vector<float>& out, int frames);

private:
    struct Sound {
        unsigned source = 0;
        unsigned buffer = 0;
        bool loop = false;
    };
    bool openOutput();
    void free(Sound& sound);
    void dropFinished();
    const Sound* find(int id) const;

    float mMaster = 1.0f;
    std::map<int, float> mChannels;
    std::map<int, Sound> mPlaying;
    AudioOutput::Kind mWanted;
    std::unique_ptr<AudioOutput> mOutput;
    bool mOutputTried = false;
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
