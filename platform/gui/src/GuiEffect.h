#pragma once
#include <functional>
#include <string>
#include <gui/IGuiEffect.h>

namespace CEGUI {
class Window;
}

namespace kavri3D {
namespace zrk {
namespace gui {

class CallCounter;

/// The GUI's screen effects. "halldropout" lowers a dark curtain over the screen the player
/// leaves, which then thins out over the effect's seconds; it never takes a click. Other names
/// play nothing.
class GuiEffect : public IGuiEffect {
public:
    typedef std::function<CEGUI::Window*()> ParentSource;
    static constexpr const char* kCurtainName = "EffectCurtain";
    /// How long the curtain takes to fall before it thins out.
    static constexpr float kFallSeconds = 0.5f;

    GuiEffect(CallCounter& calls, ParentSource parent);
    ~GuiEffect() override;
    GuiEffect(const GuiEffect&) = delete;
    GuiEffect& operator=(const GuiEffect&) = delete;

    void stop() override;
    void load(const std::string& name) override;
    void rewind() override;
    void setSeconds(float seconds) override;
    void play() override;
    /// Moves the effect on to the clock's `now` (seconds); ends it when its time is up.
    void update(double now);

    bool isPlaying() const { return mStart >= 0.0; }
    const std::string& name() const { return mName; }
    float seconds() const { return mSeconds; }

private:
    /// The curtain under the parent; made when `make` and there is none.
    CEGUI::Window* curtain(bool make);
    void place(double elapsed);

    CallCounter& mCalls;
    ParentSource mParent;
    std::string mName;
    float mSeconds = 0.0f;
    double mStart = -1.0; ///< when the effect started playing; -1 while none plays
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
