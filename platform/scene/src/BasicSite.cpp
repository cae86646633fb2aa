#include "scene/BasicSite.h"

#include <Ogre.h>
#include <algorithm>
#include <cmath>
#include <yake/Logger.h>

#include "scene/PartShapes.h"

namespace kavri3D {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("scene");
} // namespace
namespace core {

BasicSite::BasicSite(Ogre::SceneManager* scene, Ogre::SceneNode* parent, const std::string& name)
    : mScene(scene), mName(name)
{
    if (scene && parent)
        mNode = parent->createChildSceneNode(PartShapes::uniqueName("site/" + name));
}

BasicSite::~BasicSite()
{
    mLoadSignal.disconnect_all_slots();
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
    // The item's own node is the one callers place, turn and scale; the shape's size and
    // centring stay on its child, so placing the item never undoes them.
    Ogre::SceneNode* holder = nullptr;
    try {
        holder = mNode->createChildSceneNode();
    } catch (const std::exception& e) {
        logLine(Severity::Error, "item " + itemName + " not placed: " + e.what());
        return -1;
    }
    Ogre::SceneNode* node = nullptr;
    bool isPlaceholder = false;
    if (document->mesh.empty() && !document->shape.empty()) {
        node = PartShapes::attachShape(mScene, holder, entity, *document);
    } else if (document->mesh.empty()) {
        // A product nobody has (its file missing or broken): a small orange ball, a unit across
        // at the effect's own scale, marks the place without hiding the battle behind it.
        SceneDocument placeholder;
        placeholder.name = "placeholder";
        placeholder.shape = "sphere";
        placeholder.size[0] = placeholder.size[1] = placeholder.size[2] = kPlaceholderSize / 100.0f;
        placeholder.colour[0] = 1.0f;
        placeholder.colour[1] = 0.6f;
        placeholder.colour[2] = 0.1f;
        node = PartShapes::attachShape(mScene, holder, entity, placeholder);
        isPlaceholder = true;
    } else {
        // A mesh the engine does not hold: the effect's shape in its place.
        node = PartShapes::attach(mScene, holder, entity, document->mesh.substr(0, document->mesh.rfind(".mesh")),
                                  "effect");
    }
    if (!node) {
        PartShapes::detach(mScene, holder);
        return -1;
    }
    const long id = mNextId++;
    mItems[id] = Item{itemName, holder, true};
    if (isPlaceholder) {
        mItems[id].mark = node;
        mItems[id].markSize = kPlaceholderSize / 100.0f;
    }
    return id;
}

void BasicSite::loadItems(const EquipmentList& items)
{
    for (const Equipment& item : items) {
        const std::string& name = item.getItem();
        if (name.empty() || hasItemNamed(name))
            continue;
        ProductManager::DocumentPtr document = ProductManager::instance().lookup(name, false);
        if (!document) {
            // Nothing known of it: a plain floor to stand on.
            document.reset(new SceneDocument);
            document->name = name;
            document->shape = "cube";
            document->size[0] = document->size[2] = 12.0f;
            document->size[1] = 0.02f;
            document->colour[0] = 0.45f;
            document->colour[1] = 0.50f;
            document->colour[2] = 0.55f;
        }
        if (addRoomOrFurnish(name, document, std::string(), true) == -1)
            logLine(Severity::Warning, "item " + name + " could not be placed in " + mName);
        // Reported either way: whoever waits for the scene must not wait for ever.
        mLoaded.push_back(name);
    }
}

boost::signals2::connection BasicSite::subscribeToLoadSignal(const LoadSignal::slot_type& slot)
{
    return mLoadSignal.connect(slot);
}

void BasicSite::update()
{
    // A handler may load more: those wait for the next update.
    std::deque<std::string> loaded;
    loaded.swap(mLoaded);
    for (const std::string& name : loaded)
        mLoadSignal(name);
}

int BasicSite::fitPlaceholders(const Ogre::Camera& camera, float viewHeight)
{
    int fitted = 0;
    const float halfFov = camera.getFOVy().valueRadians() * 0.5f;
    const float perUnit = std::tan(halfFov) > 0.0f ? viewHeight / (2.0f * std::tan(halfFov)) : 0.0f;
    for (auto& entry : mItems) {
        Item& item = entry.second;
        if (!item.mark)
            continue;
        // The prefab sphere is 100 units across: the mark's width in the world at its own size.
        const Ogre::Vector3 scale = item.node->_getDerivedScale();
        const float across =
            100.0f * item.markSize * std::max(std::abs(scale.x), std::max(std::abs(scale.y), std::abs(scale.z)));
        const float depth = -(camera.getViewMatrix(true) * item.node->_getDerivedPosition()).z;
        float share = 1.0f;
        if (perUnit > 0.0f && depth > 0.0f && across * perUnit / depth > kPlaceholderMostPixels)
            share = kPlaceholderMostPixels * depth / (across * perUnit);
        if (share < 1.0f)
            ++fitted;
        const float size = item.markSize * share;
        item.mark->setScale(size, size, size);
        item.mark->setPosition(0, 50 * size, 0); // still standing on the place it marks
    }
    return fitted;
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
