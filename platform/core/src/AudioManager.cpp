#include "core/AudioManager.h"

#include <filesystem>

KAVRI_SINGLETON_DEFINE(kavri3D::core::AudioManager);

namespace kavri3D {
namespace core {

float AudioManager::getChannelVolume(int channel) const
{
    auto it = mChannels.find(channel);
    return it == mChannels.end() ? 1.0f : it->second;
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

int AudioManager::playSound(const std::string& file, int kind, float volume)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return -1;
    int id = mNextSound++;
    Sound& sound = mPlaying[id];
    sound.file = file;
    sound.kind = kind;
    sound.volume = volume;
    return id;
}

bool AudioManager::setSoundVolume(int id, float volume)
{
    auto it = mPlaying.find(id);
    if (it == mPlaying.end())
        return false;
    it->second.volume = volume;
    return true;
}

float AudioManager::getSoundVolume(int id) const
{
    auto it = mPlaying.find(id);
    return it == mPlaying.end() ? -1.0f : it->second.volume;
}

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

} // namespace core
} // namespace kavri3D

namespace kavri3D {
namespace core {

boost::shared_ptr<yake::audio::ISource> DefaultAudioHelper::getSoundSource(long id)
{
    AudioManager* a = AudioManager::getSingletonPtr();
    if (!a || id <= 0 || id > 0x7fffffffL || !a->isPlaying(static_cast<int>(id)))
        return boost::shared_ptr<yake::audio::ISource>();
    return boost::shared_ptr<yake::audio::ISource>(new TrackedSource(static_cast<int>(id)));
}

} // namespace core
} // namespace kavri3D
