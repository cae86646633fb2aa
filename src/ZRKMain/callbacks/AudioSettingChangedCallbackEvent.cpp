#include "callbacks/AudioSettingChangedCallbackEvent.h"

#include <core/AudioManager.h>
#include <vector>

#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
AudioSettingChangedCallbackEvent* gLive = nullptr;
}

AudioSettingChangedCallbackEvent* getAudioSettingEvent() { return gLive; }

AudioSettingChangedCallbackEvent::AudioSettingChangedCallbackEvent(gui::IGuiPage* page,
                                                                   gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
    gLive = this;
    GameServices::hooks().followSound = [](unsigned int id, bool follow) {
        if (!gLive)
            return;
        if (follow)
            gLive->addSoundSource(id);
        else
            gLive->removeSoundSource(id);
    };
}

AudioSettingChangedCallbackEvent::~AudioSettingChangedCallbackEvent()
{
    // A newer event may have taken the register over; it stays.
    if (gLive == this) {
        gLive = nullptr;
        GameServices::hooks().followSound = nullptr;
    }
}

void AudioSettingChangedCallbackEvent::addSoundSource(unsigned int id)
{
    if (id != 0xffffffffu)
        mSources[id] = id;
}

void AudioSettingChangedCallbackEvent::removeSoundSource(unsigned int id) { mSources.erase(id); }

void AudioSettingChangedCallbackEvent::callback(gui::ParamHandle)
{
    const float volume = core::DefaultAudioHelper::getVolume(0);
    const float level = volume > 0 ? volume : 0.0f; // below 0 and NaN alike are silence
    for (auto it = mSources.begin(); it != mSources.end();) {
        boost::shared_ptr<yake::audio::ISource> source = core::DefaultAudioHelper::getSoundSource(it->first);
        if (!source) {
            it = mSources.erase(it); // its sound has stopped
            continue;
        }
        source->setVolume(level);
        ++it;
    }
    const std::function<void()>& save = GameServices::hooks().saveVolumes;
    if (save)
        save();
    else
        log(kLogWarning, "no running application: the volumes are not saved");
}

} // namespace zrk
} // namespace kavri3D
