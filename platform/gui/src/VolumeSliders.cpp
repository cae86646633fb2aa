#include "VolumeSliders.h"

#include <CEGUI/CEGUI.h>
#include <algorithm>
#include <cmath>
#include <core/AudioManager.h>

#include <text/CeguiText.h>
#include "EventDispatcher.h"
#include "GuiLog.h"
#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const char* const kSliderNames[2] = {"Music", "Sound"};
const char* const kLabelNames[2] = {"MusicLabel", "SoundLabel"};
const float kFaderWidth = 16.0f; // pixels: the look's fader images are drawn for it

// A channel's volume as a slider shows it: a muted channel (below 0) stands at 0.
float shown(float volume) { return std::isfinite(volume) ? std::min(std::max(volume, 0.0f), 1.0f) : 0.0f; }
} // namespace

VolumeSliders::VolumeSliders(int kind, ParamStore& params, EventDispatcher& dispatcher)
    : mKind(kind), mParams(params), mDispatcher(dispatcher)
{
}

VolumeSliders::~VolumeSliders() = default;

void VolumeSliders::build(CEGUI::Window& frame, float x, float y, float w, float h)
{
    CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
    // Two upright faders side by side, each under its name; the loudest at the top.
    const float column = w / 2, labelHeight = h * 0.22f;
    for (int channel = 0; channel < 2; ++channel) {
        const float left = x + column * static_cast<float>(channel), centre = left + column / 2;
        // A plain label (centred): a static text would bring two hidden scroll bars of eight
        // windows along, for a one-word name.
        CEGUI::Window* label = wm.createWindow("TaharezLook/Label", kLabelNames[channel]);
        label->setArea(CEGUI::URect(CEGUI::UDim(left, 0), CEGUI::UDim(y, 0), CEGUI::UDim(left + column, 0),
                                    CEGUI::UDim(y + labelHeight, 0)));
        label->setText(kSliderNames[channel]);
        frame.addChild(label);
        auto* slider = static_cast<CEGUI::Slider*>(wm.createWindow("TaharezLook/Slider", kSliderNames[channel]));
        slider->setArea(CEGUI::URect(CEGUI::UDim(centre, -kFaderWidth / 2), CEGUI::UDim(y + labelHeight, 0),
                                     CEGUI::UDim(centre, kFaderWidth / 2), CEGUI::UDim(y + h, 0)));
        slider->setMaxValue(1.0f);
        slider->setClickStep(0.1f);
        slider->setCurrentValue(shown(core::DefaultAudioHelper::getVolume(channel)));
        frame.addChild(slider);
        mConnections[channel] = slider->subscribeEvent(
            CEGUI::Slider::EventValueChanged, CEGUI::Event::Subscriber([this, channel](const CEGUI::EventArgs& args) {
                return onChanged(channel, args);
            }));
    }
    // The volumes may have changed on another page since this one was last up.
    mConnections[2] =
        frame.subscribeEvent(CEGUI::Window::EventShown, CEGUI::Event::Subscriber(&VolumeSliders::onShown, this));
}

bool VolumeSliders::onShown(const CEGUI::EventArgs& args)
{
    showVolumes(*static_cast<const CEGUI::WindowEventArgs&>(args).window);
    return false;
}

void VolumeSliders::showVolumes(CEGUI::Window& frame)
{
    mSyncing = true;
    for (int channel = 0; channel < 2; ++channel)
        if (frame.isChild(kSliderNames[channel]))
            static_cast<CEGUI::Slider*>(frame.getChild(kSliderNames[channel]))
                ->setCurrentValue(shown(core::DefaultAudioHelper::getVolume(channel)));
    mSyncing = false;
}

bool VolumeSliders::onChanged(int channel, const CEGUI::EventArgs& args)
{
    if (mSyncing)
        return true;
    try {
        setVolume(channel, static_cast<const CEGUI::Slider*>(static_cast<const CEGUI::WindowEventArgs&>(args).window)
                               ->getCurrentValue());
    } catch (const std::exception& e) {
        guiLog(Severity::Error, "volume not changed: ", e.what());
    }
    return true;
}

bool VolumeSliders::setVolume(int channel, float volume)
{
    if (channel != kMusicChannel && channel != kSoundChannel)
        return false;
    core::DefaultAudioHelper::setVolume(channel, shown(volume));
    if (!mDispatcher.callback(kAudioEventId, mParams.handle(mKind)) && !mWarned) {
        // Only a GUI without the game's events gets here: the volume is set, nothing follows it.
        mWarned = true;
        guiLog(Severity::Warning, "no audio event: the volume is set but neither applied to the music nor saved");
    }
    return true;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
