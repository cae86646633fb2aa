#pragma once
#include <list>
#include <memory>
#include <string>
#include <core/CEGUIPanel.h>
#include <hikari/CEGUIFlash.h>
#include <yake/Vector3.h>

namespace Ogre {
class SceneNode;
}

namespace kavri3D {
namespace zrk {

class BattleRoom;

/// The transparent layer over the battle that holds its Flash overlays: fixed on the screen or
/// pinned to a point of the scene, each until its time is up, it is revoked or the layer is
/// cleared. The layer is shown while it holds an overlay.
class ZRKFlashPanel : public core::CEGUIPanel {
public:
    struct Entry {
        std::unique_ptr<core::CEGUIFlash> flash;
        CEGUI::Window* window = nullptr; ///< identifies the entry
        std::string name;
        std::string key;
        bool follow = false;
        yake::math::Vector3 point;
        float endTime = -1.0f; ///< engine seconds; the largest float for none
        int width = 400, height = 300;
    };

    explicit ZRKFlashPanel(BattleRoom* room);
    ~ZRKFlashPanel() override;

    /// The layer's window over the whole main frame; false without its top window.
    bool createWindow() override;
    /// Clears the overlays and destroys the layer's window.
    void destroyWindow() override;
    CEGUI::Window* getWindow() override { return mWindow; }

    /// Shows the movie `width` x `height` pixels, centred on the screen or, with a scene node,
    /// pinned 2.5 above it; for `duration` seconds (0 or less: until revoked). Returns the
    /// movie's window; null when overlays are switched off, the name is empty, there is no
    /// layer or the movie could not be made.
    CEGUI::Window* addFlash(const std::string& name, const std::string& key, int width, int height,
                            Ogre::SceneNode* node, float duration);
    /// Removes every overlay of that name and key.
    void revokeFlash(const std::string& name, const std::string& key);
    /// Removes the overlay of that window.
    void removeFlashByWindow(CEGUI::Window* window);
    /// Expires overlays and moves the pinned ones (every frame while the layer is shown).
    void update();
    /// Removes every overlay and hides the layer.
    void clearFlashes();
    const std::list<Entry>& getEntries() const { return mEntries; }

private:
    /// Centres the window on the scene point's place on the screen, or parks it in the
    /// bottom-right corner while the point is not in front of the camera.
    void place(Entry& entry);

    BattleRoom* mRoom;
    CEGUI::Window* mWindow = nullptr;
    std::list<Entry> mEntries;
    int mNextNumber = 1;
    int mSkip = -1; ///< -1 not read yet, 0 show, 1 skip
};

} // namespace zrk
} // namespace kavri3D
