#pragma once
#include <core/ScopedEventConnection.h>
#include <gui/EventId.h>

namespace CEGUI {
class EventArgs;
class Window;
} // namespace CEGUI

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;
class ParamStore;

/// The Music and Sound sliders a page carries (the log-in and area pages). A slider sets its
/// channel of the engine's audio (music 0, sound 1) and calls the audio event, so that the music
/// playing follows at once and the volumes are saved. The sliders show the channels' volumes
/// each time their page comes up.
class VolumeSliders {
public:
    static constexpr int kAudioEventId = EventId::AudioSettingChanged;
    static constexpr int kMusicChannel = 0;
    static constexpr int kSoundChannel = 1;

    /// `kind`: the page whose values the event's call carries.
    VolumeSliders(int kind, ParamStore& params, EventDispatcher& dispatcher);
    ~VolumeSliders();
    VolumeSliders(const VolumeSliders&) = delete;
    VolumeSliders& operator=(const VolumeSliders&) = delete;

    /// Adds "MusicLabel", "Music", "SoundLabel" and "Sound" under the frame, in the area given as
    /// fractions of the frame's client area (music on the left, sound on the right).
    void build(CEGUI::Window& frame, float x, float y, float w, float h);
    /// Sets the sliders under the frame to the channels' volumes (the saved ones may come after
    /// the page was made and shown); no event is called.
    void showVolumes(CEGUI::Window& frame);
    /// Sets a channel's volume (0 to 1) as its slider does; false for another channel.
    bool setVolume(int channel, float volume);

private:
    bool onChanged(int channel, const CEGUI::EventArgs& args);
    bool onShown(const CEGUI::EventArgs& args);

    const int mKind;
    ParamStore& mParams;
    EventDispatcher& mDispatcher;
    bool mSyncing = false; ///< the sliders are being set from the channels: no event call
    bool mWarned = false;
    core::ScopedEventConnection mConnections[3];
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
