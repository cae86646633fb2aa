#pragma once
#include <boost/signals2/connection.hpp>
#include <boost/signals2/signal.hpp>
#include <deque>
#include <map>
#include <string>
#include <vector>
#include <util/XmlConfigHelper.h>
#include <misc/Equipment.h>
#include "scene/ProductManager.h"

namespace Ogre {
class Camera;
class SceneManager;
class SceneNode;
} // namespace Ogre

namespace kavri3D {
namespace core {

/// A place in a scene that holds items made from scene documents (furniture, effects, prize
/// boxes), each under its own node and known by an id. Moving the site moves its items.
class BasicSite {
public:
    /// How wide (world units at scale 1) the mark of a product nobody has is drawn.
    static constexpr float kPlaceholderSize = 1.0f;
    /// The most a mark of a product nobody has is drawn across on screen, in pixels.
    static constexpr float kPlaceholderMostPixels = 64.0f;

    /// What was asked of an item's animation, kept in order (nothing is animated here).
    struct AnimationRequest {
        long itemId;
        std::string animation;
        int mode;
    };

    BasicSite(Ogre::SceneManager* scene, Ogre::SceneNode* parent, const std::string& name);
    ~BasicSite();
    BasicSite(const BasicSite&) = delete;
    BasicSite& operator=(const BasicSite&) = delete;

    const std::string& getName() const { return mName; }
    /// The site's node; null when OGRE had no scene for it.
    Ogre::SceneNode* getMovable() const { return mNode; }
    /// The site's description: settings of how it is loaded ("loader/physix").
    XmlConfigHelper& getDesc() { return mDesc; }

    /// Told the name of each item loadItems placed, from a later update, never inside the call.
    typedef boost::signals2::signal<void(const std::string&)> LoadSignal;

    /// Places each item: its document when one is known, otherwise a plain floor. Their load
    /// reports follow from the next update.
    void loadItems(const EquipmentList& items);
    boost::signals2::connection subscribeToLoadSignal(const LoadSignal::slot_type& slot);
    /// Reports the items placed since the last update.
    void update();
    std::size_t pendingLoadReports() const { return mLoaded.size(); }

    /// Places the document under a new item node; the item's id, or -1 when nothing could be
    /// placed (no document, no scene, a taken name).
    long addRoomOrFurnish(const std::string& itemName, const ProductManager::DocumentPtr& document,
                          const std::string& customisation, bool asRoom);
    /// False when there is no such item.
    bool remove(long itemId);
    /// The item's node, null when there is no such item.
    Ogre::SceneNode* getItemNode(long itemId, const std::string& part) const;
    std::size_t size() const { return mItems.size(); }
    bool hasItemNamed(const std::string& itemName) const { return findItem(itemName) != -1; }
    /// The id of the item of that name, -1 when there is none.
    long findItem(const std::string& itemName) const;
    /// The item's name, empty when there is no such item.
    std::string getItemName(long itemId) const;

    /// Keeps each mark of a product nobody has at most kPlaceholderMostPixels across as the
    /// camera shows it on a view `viewHeight` pixels high (near the camera it is drawn
    /// smaller, never larger than its own size). Returns how many marks were made smaller.
    int fitPlaceholders(const Ogre::Camera& camera, float viewHeight);

    /// Shows or hides an item; false when there is no such item.
    bool setItemVisible(long itemId, bool visible);
    bool isItemVisible(long itemId) const;
    /// Plays (mode 2: once) the item's animation; an empty name is its own animation.
    /// False when there is no such item.
    bool controlAnimation(long itemId, const std::string& animation, int mode);
    const std::vector<AnimationRequest>& getAnimationRequests() const { return mAnimations; }

private:
    struct Item {
        std::string name;
        Ogre::SceneNode* node;
        bool visible;
        Ogre::SceneNode* mark = nullptr; ///< the placeholder's own shape node, for one
        float markSize = 0.0f;           ///< its own scale
    };
    Ogre::SceneManager* mScene;
    Ogre::SceneNode* mNode = nullptr;
    std::string mName;
    XmlConfigHelper mDesc;
    std::map<long, Item> mItems;
    std::vector<AnimationRequest> mAnimations;
    long mNextId = 1;
    std::deque<std::string> mLoaded;
    LoadSignal mLoadSignal;
};

} // namespace core
} // namespace kavri3D
