#include "scene/BasicSite.h"

#include <Ogre.h>

#include "scene/PartShapes.h"

namespace kavri3D {
namespace core {

BasicSite::BasicSite(Ogre::SceneManager* scene, Ogre::SceneNode* parent, const std::string& name)
    : mScene(scene), mName(name)
{
    if (scene && parent)
        mNode = parent->createChildSceneNode(PartShapes::uniqueName("site/" + name));
}

BasicSite::~BasicSite()
{
    while (!mItems.empty())
        remove(mItems.begin()->first);
    if (mNode && mScene)
        mScene->destroySceneNode(mNode);
}

long BasicSite::findItem(const std::string& itemName) const
{
    for (const auto& item : mItems)
        if (item.second.name == itemName)
            return item.first;
    return -1;
}

long BasicSite::addRoomOrFurnish(const std::string& itemName, const ProductManager::DocumentPtr& document,
                                 const std::string&, bool)
{
    if (!document || !mNode || itemName.empty() || hasItemNamed(itemName))
        return -1;
    const std::string entity = mNode->getName() + "/" + itemName;
    Ogre::SceneNode* node = nullptr;
    if (document->mesh.empty() && !document->shape.empty()) {
        node = PartShapes::attachShape(mScene, mNode, entity, *document);
    } else {
        // A document without a mesh or shape of its own shows as the effect placeholder.
        const std::string item =
            document->mesh.empty() ? std::string() : document->mesh.substr(0, document->mesh.rfind(".mesh"));
        node = PartShapes::attach(mScene, mNode, entity, item, "effect");
    }
    if (!node)
        return -1;
    const long id = mNextId++;
    mItems[id] = Item{itemName, node, true};
    return id;
}

bool BasicSite::remove(long itemId)
{
    auto it = mItems.find(itemId);
    if (it == mItems.end())
        return false;
    PartShapes::detach(mScene, it->second.node);
    mItems.erase(it);
    return true;
}

std::string BasicSite::getItemName(long itemId) const
{
    auto it = mItems.find(itemId);
    return it == mItems.end() ? std::string() : it->second.name;
}

Ogre::SceneNode* BasicSite::getItemNode(long itemId, const std::string&) const
{
    auto it = mItems.find(itemId);
    return it == mItems.end() ? nullptr : it->second.node;
}


bool BasicSite::setItemVisible(long itemId, bool visible)
{
    auto it = mItems.find(itemId);
    if (it == mItems.end())
        return false;
    it->second.visible = visible;
    if (it->second.node)
        it->second.node->setVisible(visible);
    return true;
}

bool BasicSite::isItemVisible(long itemId) const
{
    auto it = mItems.find(itemId);
    return it != mItems.end() && it->second.visible;
}

bool BasicSite::controlAnimation(long itemId, const std::string& animation, int mode)
{
    if (!mItems.count(itemId))
        return false;
    mAnimations.push_back(AnimationRequest{itemId, animation, mode});
    return true;
}

} // namespace core
} // namespace kavri3D
