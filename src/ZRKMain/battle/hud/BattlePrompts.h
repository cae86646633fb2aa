#pragma once
#include <list>
#include <string>

namespace CEGUI {
class Window;
}

namespace kavri3D {
namespace zrk {

/// The battle's prompts: one picture each ("KillOne", "hpWanted", "critical"...) that pops up
/// over the screen, grows to its full size by doubling each frame, may pulse between 80 % and
/// 100 % and goes when its time is up.
class BattlePrompts {
public:
    enum State { Grow = 0, GrowThenPulse = 1, Shrinking = 2, Regrowing = 3 };
    struct Prompt {
        CEGUI::Window* window = nullptr;
        float x = 0.5f, y = 0.5f; ///< the centre, relative to the screen
        float w = 0.0f, h = 0.0f; ///< full size in pixels: the picture's own
        int state = Grow;
        float endTime = 0.0f; ///< engine seconds
    };

    BattlePrompts() = default;
    ~BattlePrompts();
    BattlePrompts(const BattlePrompts&) = delete;
    BattlePrompts& operator=(const BattlePrompts&) = delete;

    /// Shows the picture ("Set/Image") centred on (x, y) for `duration` seconds; nothing for a
    /// picture no imageset has, without the prompt layout or without the main frame's window.
    void show(const std::string& image, bool pulse, float x, float y, float duration);
    /// One frame of growth and pulse; expired prompts go.
    void update();
    /// Every prompt goes.
    void destroy();
    const std::list<Prompt>& getPrompts() const { return mPrompts; }

private:
    std::list<Prompt> mPrompts;
};

} // namespace zrk
} // namespace kavri3D
