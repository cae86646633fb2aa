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

int AudioManager::playSound(const std::string& file, int, float)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return -1;
    int id = mNextSound++;
    mPlaying[id] = file;
    return id;
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
