#pragma once
#include "scene/PhysicalAvatar.h"
#include <boost/shared_ptr.hpp>
#include <map>
#include <string>
#include <vector>
#include <core/RtObjectAttrMap.h>
#include <util/XmlConfigHelper.h>
#include <misc/Equipment.h>

namespace Ogre {
class SceneManager;
class SceneNode;
} // namespace Ogre

namespace kavri3D {
namespace core {

/// A figure in a scene, dressed from named parts: one scene node (its movable) with one
/// entity per loaded item. It loops its mood animation and plays an action now and then,
/// after which it falls back to the mood. Its attribute map carries what others hang on it.
class BasicPlayer : public RtObjectAttrMap {
public:
    /// How long an action plays before the figure falls back to its mood.
    static constexpr float kActionSeconds = 1.5f;

    BasicPlayer(Ogre::SceneManager* scene, Ogre::SceneNode* parent, const std::string& name);
    ~BasicPlayer();
    BasicPlayer(const BasicPlayer&) = delete;
    BasicPlayer& operator=(const BasicPlayer&) = delete;

    const std::string& getName() const { return mName; }
    /// What the figure is made of, by key ("graphical/focus.y": where its head bubble sits
    /// above its feet, "physical/home": where shots aim at it); empty unless its maker fills it.
    XmlConfigHelper& getDesc() { return mDesc; }
    const XmlConfigHelper& getDesc() const { return mDesc; }
    /// The figure's node: move and turn it to move and turn the figure. Null when OGRE had
    /// no scene for it.
    Ogre::SceneNode* getMovable() const { return mNode; }

    /// Shows or hides the whole figure.
    void setAvatarVisible(bool visible);
    bool isAvatarVisible() const { return mVisible; }

    /// Dresses the figure in exactly these items, in order (the first is drawn first).
    void loadItems(const EquipmentList& items, bool replace);
    const EquipmentList& getItems() const { return mItems; }
    /// How many parts are shown (items OGRE refused are not).
    std::size_t shownParts() const { return mParts.size(); }

    /// The default items (hair, face...) of a look.
    void setDefaultItem(const std::string& look, const std::vector<std::string>& items) { mDefaults[look] = items; }
    std::vector<std::string> getDefaultItems(const std::string& look) const;

    void setMood(const std::string& mood);
    const std::string& getMoodUri() const { return mMood; }
    /// The animation playing now: the running action, else the mood.
    const std::string& getAnimationUri() const { return mActionLeft > 0 ? mAction : mMood; }
    void execAction(const std::string& action, const std::string& params);

    /// Runs the action clock.
    void update(float dt);
    /// The figure's body (its jump state); every figure has one.
    PhysicalAvatar* getPhysicalAvatar() { return &mAvatar; }
    /// The scene goes before the figure: its nodes go now, later dressing shows nothing.
    void releaseScene();
    /// False once its scene let it go (or when it never had one).
    bool isInScene() const { return mNode != nullptr; }

private:
    void clearParts();

    Ogre::SceneManager* mScene;
    Ogre::SceneNode* mNode = nullptr;
    std::string mName;
    EquipmentList mItems;
    std::vector<Ogre::SceneNode*> mParts;
    unsigned mPartCounter = 0;
    std::map<std::string, std::vector<std::string>> mDefaults;
    std::string mMood;
    std::string mAction;
    float mActionLeft = 0;
    bool mVisible = true;
    XmlConfigHelper mDesc;
    PhysicalAvatar mAvatar;
};

typedef boost::shared_ptr<BasicPlayer> BasicPlayerPtr;

} // namespace core
} // namespace kavri3D
