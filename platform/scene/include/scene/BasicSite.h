#pragma once
#include <map>
#include <string>
#include "scene/ProductManager.h"

namespace Ogre {
class SceneManager;
class SceneNode;
} // namespace Ogre

namespace kavri3D {
namespace core {

/// A place in a scene that holds items made from scene documents (furniture, effects), each
/// under its own node and known by an id.
class BasicSite {
public:
    BasicSite(Ogre::SceneManager* scene, Ogre::SceneNode* parent, const std::string& name);
    ~BasicSite();
    BasicSite(const BasicSite&) = delete;
    BasicSite& operator=(const BasicSite&) = delete;

    /// Places the document under a new item node; the item's id, or -1 when nothing could be
    /// placed (no document, no scene, a taken name).
    long addRoomOrFurnish(const std::string& itemName, const ProductManager::DocumentPtr& document,
                          const std::string& customisation, bool asRoom);
    /// False when there is no such item.
    bool remove(long itemId);
    /// The item's node, null when there is no such item.
    Ogre::SceneNode* getItemNode(long itemId, const std::string& part) const;
    std::size_t size() const { return mItems.size(); }
    bool hasItemNamed(const std::string& itemName) const;
    /// The item's name, empty when there is no such item.
    std::string getItemName(long itemId) const;

private:
    struct Item {
        std::string name;
        Ogre::SceneNode* node;
    };
    Ogre::SceneManager* mScene;
    Ogre::SceneNode* mNode = nullptr;
    std::string mName;
    std::map<long, Item> mItems;
    long mNextId = 1;
};

} // namespace core
} // namespace kavri3D
