#include "core/AudioManager.h"

#include <AL/al.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <yake/Logger.h>

#include "core/SoundFile.h"

KAVRI_SINGLETON_DEFINE(kavri3D::core::AudioManager);

namespace kavri3D {
namespace core {

namespace {
using yake::logging::Severity;

const yake::logging::Channel logAudio("audio");

/// What OpenAL takes as a gain: 0..1, anything else (NaN too) limited to it.
float gainOf(float v) { return v > 0 ? (v < 1 ? v : 1.0f) : 0.0f; }

} // namespace

AudioManager::AudioManager(AudioOutput::Kind output) : mWanted(output)
{
    const char* forced = std::getenv("ZRK_AUDIO_OUTPUT");
    if (forced && std::strcmp(forced, "loopback") == 0)
        mWanted = AudioOutput::Kind::Loopback;
}

AudioManager::~AudioManager()
{
    if (mOutput) {
        mOutput->makeCurrent();
        for (auto& entry : mPlaying)
            free(entry.second);
    }
    mPlaying.clear();
}

float AudioManager::getChannelVolume(int channel) const
{
    auto it = mChannels.find(channel);
    return it == mChannels.end() ? 1.0f : it->second;
}

void AudioManager::setVolume(float v)
{
    mMaster = v;
    if (mOutput) {
        mOutput->makeCurrent();
        alListenerf(AL_GAIN, gainOf(v));
    }
}

bool AudioManager::openOutput()
{
    if (mOutputTried)
        return mOutput != nullptr;
    mOutputTried = true;
    std::string note;
    mOutput = AudioOutput::open(mWanted, note);
    if (!mOutput) {
        logAudio(Severity::Error, note + ": no sound is played");
        return false;
    }
    if (mOutput->kind() == AudioOutput::Kind::Loopback)
        logAudio(Severity::Notice, (note.empty() ? std::string("sound kept off") : note) + ": the game plays silently");
    mOutput->makeCurrent();
    alListenerf(AL_GAIN, gainOf(mMaster));
    return true;
}

int AudioManager::playSound(const std::string& file, int kind, float volume)
{
    SoundFile sound;
    std::string error;
    if (!sound.load(file, error)) {
        logAudio(Severity::Warning, "sound " + file + " cannot be played: " + error);
        return -1;
    }
    if (!openOutput())
        return -1;
    mOutput->makeCurrent();
    dropFinished();
    alGetError();
    Sound s;
    alGenBuffers(1, &s.buffer);
    if (alGetError() != AL_NO_ERROR) {
        logAudio(Severity::Warning, "sound " + file + " cannot be played: no buffer left");
        return -1;
    }
    alBufferData(s.buffer, sound.channels() == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, sound.samples().data(),
                 static_cast<ALsizei>(sound.samples().size() * sizeof(std::int16_t)), sound.sampleRate());
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &s.buffer);
        logAudio(Severity::Warning, "sound " + file + " cannot be played: the sound card does not take it");
        return -1;
    }
    alGenSources(1, &s.source);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &s.buffer);
        logAudio(Severity::Warning, "sound " + file + " cannot be played: no source left");
        return -1;
    }
    s.loop = kind == kMusic;
    alSourcei(s.source, AL_BUFFER, static_cast<ALint>(s.buffer));
    alSourcei(s.source, AL_LOOPING, s.loop ? AL_TRUE : AL_FALSE);
    // The game's sounds are not placed in the world: they play where the listener is.
    alSourcei(s.source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSourcef(s.source, AL_GAIN, gainOf(volume));
    alSourcePlay(s.source);
    // Ids never repeat in a run, so a source handed out for a sound of an earlier manager
    // never reaches a sound of a later one.
    static int nextSound = 1;
    const int id = nextSound++;
    mPlaying[id] = s;
    return id;
}

void AudioManager::free(Sound& sound)
{
    alSourceStop(sound.source);
    alSourcei(sound.source, AL_BUFFER, 0);
    alDeleteSources(1, &sound.source);
    alDeleteBuffers(1, &sound.buffer);
}

void AudioManager::dropFinished()
{
    for (auto it = mPlaying.begin(); it != mPlaying.end();) {
        if (isPlaying(it->first)) {
            ++it;
            continue;
        }
        free(it->second);
        it = mPlaying.erase(it);
    }
}

const AudioManager::Sound* AudioManager::find(int id) const
{
    auto it = mPlaying.find(id);
    if (it == mPlaying.end())
        return nullptr;
    mOutput->makeCurrent();
    return &it->second;
}

bool AudioManager::isPlaying(int id) const
{
    const Sound* s = find(id);
    if (!s)
        return false;
    ALint state = AL_STOPPED;
    alGetSourcei(s->source, AL_SOURCE_STATE, &state);
    return state != AL_STOPPED;
}

std::size_t AudioManager::playingCount() const
{
    std::size_t n = 0;
    for (const auto& entry : mPlaying)
        n += isPlaying(entry.first) ? 1 : 0;
    return n;
}

bool AudioManager::destroySound(int id)
{
    auto it = mPlaying.find(id);
    if (it == mPlaying.end())
        return false;
    mOutput->makeCurrent();
    free(it->second);
    mPlaying.erase(it);
    return true;
}

bool AudioManager::setSoundVolume(int id, float volume)
{
    const Sound* s = isPlaying(id) ? find(id) : nullptr;
    if (!s)
        return false;
    alSourcef(s->source, AL_GAIN, gainOf(volume));
    return true;
}

float AudioManager::getSoundVolume(int id) const
{
    const Sound* s = isPlaying(id) ? find(id) : nullptr;
    if (!s)
        return -1.0f;
    ALfloat gain = -1.0f;
    alGetSourcef(s->source, AL_GAIN, &gain);
    return gain;
}

bool AudioManager::renderLoopback(std::vector<float>& out, int frames)
{
    if (!mOutput || frames < 0)
        return false;
    out.assign(static_cast<std::size_t>(frames) * 2, 0.0f);
    mOutput->makeCurrent();
    return mOutput->render(out.data(), frames);
}

namespace {

/// A playing sound seen through the manager: it reads and sets that sound's volume for as long
/// as the sound plays and does nothing after.
class TrackedSource : public yake::audio::ISource {
public:
    explicit TrackedSource(int id) : mId(id) {}
    void setVolume(float volume) override
    {
        if (AudioManager* a = AudioManager::getSingletonPtr())
            a->setSoundVolume(mId, volume);
    }
    float getVolume() const override
    {
        AudioManager* a = AudioManager::getSingletonPtr();
        return a ? a->getSoundVolume(mId) : -1.0f;
    }

private:
    int mId;
};

} // namespace

void DefaultAudioHelper::setVolume(int channel, float v)
{
    if (AudioManager* a = AudioManager::getSingletonPtr())
        a->setChannelVolume(channel, v);
}

float DefaultAudioHelper::getVolume(int channel)
{
    AudioManager* a = AudioManager::getSingletonPtr();
    return a ? a->getChannelVolume(channel) : 0.0f;
}

boost::shared_ptr<yake::audio::ISource> DefaultAudioHelper::getSoundSource(long id)
{
    AudioManager* a = AudioManager::getSingletonPtr();
    if (!a || id <= 0 || id > 0x7fffffffL || !a->isPlaying(static_cast<int>(id)))
        return boost::shared_ptr<yake::audio::ISource>();
    return boost::shared_ptr<yake::audio::ISource>(new TrackedSource(static_cast<int>(id)));
}

} // namespace core
} // namespace kavri3D
