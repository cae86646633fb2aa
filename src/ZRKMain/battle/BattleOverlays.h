#pragma once
#include <memory>
#include <string>

namespace CEGUI {
class Window;
}
namespace Ogre {
class SceneNode;
}

namespace kavri3D {
namespace zrk {

class BattlePrompts;
class BattleRoom;
class ZRKFlashPanel;

/// What pops up over the fight: the prompts (one picture each, growing and pulsing for its time)
/// and the layer of Flash overlays, fixed on the screen or pinned to a point of the scene.
class BattleOverlays {
public:
    explicit BattleOverlays(BattleRoom& room);
    ~BattleOverlays();
    BattleOverlays(const BattleOverlays&) = delete;
    BattleOverlays& operator=(const BattleOverlays&) = delete;

    void showPrompt(const std::string& image, bool pulse, float x, float y, float duration);
    /// Near the screen's centre, a little off at random.
    void showPromptScattered(const std::string& image, float duration);
    CEGUI::Window* showFlash(const std::string& name, const std::string& key, int width, int height,
                             Ogre::SceneNode* node, float duration);
    void revokeFlash(const std::string& name, const std::string& key);
    void removeFlashByWindow(CEGUI::Window* window);
    bool hasFlash(const std::string& name, const std::string& key) const;
    /// Every frame: the Flash overlays, then the prompts.
    void update();
    /// The battle is reset: no Flash overlay and no prompt is left.
    void clear();
    void destroyPrompts();
    void createFlashPanel();
    void destroyFlashPanel();

    ZRKFlashPanel* getFlashPanel() const { return mFlashPanel.get(); }
    BattlePrompts* getPrompts() const { return mPrompts.get(); }

private:
    BattleRoom& mRoom;
    std::unique_ptr<BattlePrompts> mPrompts;
    std::unique_ptr<ZRKFlashPanel> mFlashPanel;
};

} // namespace zrk
} // namespace kavri3D
