#pragma once
#include <OgreQuaternion.h>
#include <OgreVector.h>
#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>
#include <list>
#include <string>
#include <vector>
#include <core/GrafixClientState.h>
#include <data/MsgRoomCallback.h>

namespace CEGUI {
class Window;
}
namespace Ogre {
class Light;
class SceneNode;
} // namespace Ogre

namespace kavri3D {
namespace core {
class BasicSite;
class GrafixScene;
class ISession;
} // namespace core

namespace zrk {
class ZRKSession;
namespace gui {
class IGuiAnimator;
class IGuiManager;
} // namespace gui

/// The base of every room of the game: a client state with a 3D scene that is also the
/// session's room-scene callback while its scene exists. It lights the scene, floats damage
/// and score texts over 3D positions, shows timed scene effects, and pumps the GUI plug-in's
/// animator and queued event ids every frame.
class BasicRoom : public core::GrafixClientState, public core::MsgRoomCallback {
public:
    /// Opaque green, the colour of a plain number.
    static const char* const kDefaultColours;
    /// How long a pop-up floats before it goes, in seconds.
    static constexpr float kPopupSeconds = 2.0f;

    BasicRoom();
    ~BasicRoom() override;

    void onFrame(float dt) override;
    void createScene() override;
    void destroyScene() override;

    virtual bool queryFlag() { return true; }
    /// The session's connection changed (0 connected, else lost); rooms may react.
    virtual void onConnectionChanged(core::ISession* session, int state) {}

    // Number and text pop-ups; an anchor of Vector3::ZERO centres the text on the screen.
    void showNumber(int value);
    void showNumber(int value, const Ogre::Vector3& anchor);
    void showNumber(int value, const std::string& colours);
    void showNumber(int value, const std::string& colours, float yOffset);
    void showNumber(int value, const std::string& colours, const Ogre::Vector3& anchor);
    void showNumberEx(int value, const std::string& colours, const Ogre::Vector3& anchor, float yOffset, float delay);
    /// With an image (may be null) shown left of the number.
    void showNumberEx(CEGUI::Window* image, int value, const std::string& colours, const Ogre::Vector3& anchor,
                      float yOffset, float delay);
    void showText(CEGUI::Window* image, const std::string& text, const std::string& colours,
                  const Ogre::Vector3& anchor, float yOffset, float delay);

    // Timed scene effects in the default site; a lifetime <= 0 lasts until removed.
    /// The effect's item id, or -1 (the document is then fetched: try again later).
    long addSceneEffect(const std::string& tag, const std::string& resource, float lifetime,
                        const Ogre::Quaternion& orientation, const Ogre::Vector3& scale, const Ogre::Vector3& position);
    long addSceneEffect(const std::string& resource, float lifetime, const Ogre::Quaternion& orientation,
                        const Ogre::Vector3& scale, const Ogre::Vector3& position);
    /// At the named node's place; with `follow` the effect moves with the node every frame.
    long addSceneEffectAtNode(const std::string& tag, const std::string& resource, float lifetime,
                              const std::string& nodeName, bool follow);
    void removeSceneEffect(long itemId);
    void removeSceneEffectsByTag(const std::string& tag);

    /// The room's players and default site; null outside a scene.
    core::GrafixScene* getScene() const { return mScene.get(); }
    core::BasicSite* getDefaultSite() const;
    gui::IGuiManager* getGuiManager() const { return mGuiManager; }
    gui::IGuiAnimator* getGuiFrameObject() const { return mGuiFrameObject; }
    Ogre::Light* getMainLight() const { return mMainLight; }
    Ogre::Light* getBackLight() const { return mBackLight; }
    std::size_t popupCount() const { return mPopups.size(); }
    /// The outer window of a pop-up record; null once it expired.
    CEGUI::Window* popupWindow(std::size_t index) const;
    /// A pop-up's text, anchor and the time it shows at; false past the last one.
    bool popupInfo(std::size_t index, std::string& text, Ogre::Vector3& anchor, float& showAt) const;
    std::size_t sceneEffectCount() const { return mSceneEffects.size(); }

protected:
    /// The game's session, null when there is none.
    static ZRKSession* session();

    bool mMainLightsEnabled = true;
    bool mPrefetchSuspended = false;

private:
    struct TextPopup {
        CEGUI::Window* window;
        Ogre::Vector3 anchor;
        bool anchored;
        float showAt;
        float yOffset;
        std::string text;
    };
    struct SceneEffect {
        Ogre::Quaternion orientation = Ogre::Quaternion::IDENTITY;
        Ogre::Vector3 position = Ogre::Vector3::ZERO;
        Ogre::Vector3 scale = Ogre::Vector3::UNIT_SCALE;
        std::string followNode;
        float expiry = 0;
        std::string resource;
        std::string itemName;
        std::string tag;
        long itemId = -1;
    };

    void createLights();
    void destroyLights();
    void updatePopups(float now);
    void clearPopups();
    long addEffect(SceneEffect effect, float lifetime);
    bool placeEffect(SceneEffect& effect);
    bool applyTransform(SceneEffect& effect, bool follow);
    void removeEffectItem(SceneEffect& effect);
    void updateEffects(float now);
    void clearEffects();
    void pumpGui(float dt);
    Ogre::SceneNode* findNode(const std::string& name) const;

    Ogre::Light* mMainLight = nullptr;
    Ogre::Light* mBackLight = nullptr;
    // The lights shine along their nodes' -Z: the nodes turn them.
    Ogre::SceneNode* mMainLightNode = nullptr;
    Ogre::SceneNode* mBackLightNode = nullptr;
    boost::signals2::scoped_connection mConnectionSignal;
    gui::IGuiManager* mGuiManager = nullptr;
    gui::IGuiAnimator* mGuiFrameObject = nullptr;
    std::vector<TextPopup> mPopups;
    std::list<SceneEffect> mSceneEffects;
    boost::shared_ptr<core::GrafixScene> mScene;
};

} // namespace zrk
} // namespace kavri3D
