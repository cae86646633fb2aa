#pragma once
#include <map>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The volume sliders' event: applies channel 0's volume to every sound the scenes registered
/// here (their music) and saves the volumes. The live one is the game's register of those sounds.
class AudioSettingChangedCallbackEvent : public BaseEvent {
public:
    AudioSettingChangedCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~AudioSettingChangedCallbackEvent() override;

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::AudioSettingChanged; }

    /// Follows a sound; the all-ones id (a sound that did not start) is ignored.
    void addSoundSource(unsigned int id);
    void removeSoundSource(unsigned int id);
    const std::map<unsigned int, unsigned int>& soundSources() const { return mSources; }

private:
    std::map<unsigned int, unsigned int> mSources;
};

/// The live audio event; null before the log-in screen made it and after it went.
AudioSettingChangedCallbackEvent* getAudioSettingEvent();

} // namespace zrk
} // namespace kavri3D
