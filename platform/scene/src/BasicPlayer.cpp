#include "scene/BasicPlayer.h"

#include <Ogre.h>
#include <yake/Logger.h>

#include "scene/PartShapes.h"

namespace kavri3D {
namespace core {

BasicPlayer::BasicPlayer(Ogre::SceneManager* scene, Ogre::SceneNode* parent, const std::string& name)
    : mScene(scene), mName(name)
{
    if (scene && parent)
        mNode = parent->createChildSceneNode(PartShapes::uniqueName("player/" + name));
}

BasicPlayer::~BasicPlayer() { releaseScene(); }

void BasicPlayer::releaseScene()
{
    clearParts();
    // With what others hung on the figure (the battle's team ball): destroying the node alone
    // would leave them in the scene for the whole run.
    PartShapes::detach(mScene, mNode);
    mNode = nullptr;
    mScene = nullptr;
}

void BasicPlayer::clearParts()
{
    for (Ogre::SceneNode* part : mParts)
        PartShapes::detach(mScene, part);
    mParts.clear();
}

void BasicPlayer::setAvatarVisible(bool visible)
{
    mVisible = visible;
    if (mNode)
        mNode->setVisible(visible);
}

void BasicPlayer::loadItems(const EquipmentList& items, bool)
{
    clearParts();
    mItems = items;
    if (!mNode)
        return;
    for (const Equipment& e : items) {
        // An unset default slot has nothing to wear; an action item picks the animation.
        if (e.getItem().empty() || e.getKind() == "action")
            continue;
        // Entity names are global to the scene manager: the node's own name keeps them apart.
        const std::string entity = mNode->getName() + "/" + e.getItem() + "/" + std::to_string(mPartCounter++);
        if (Ogre::SceneNode* part = PartShapes::attach(mScene, mNode, entity, e.getItem(), e.getKind()))
            mParts.push_back(part);
    }
    // New parts show by default: a hidden figure stays hidden when it is dressed.
    if (!mVisible)
        mNode->setVisible(false);
}

std::vector<std::string> BasicPlayer::getDefaultItems(const std::string& look) const
{
    auto it = mDefaults.find(look);
    return it == mDefaults.end() ? std::vector<std::string>() : it->second;
}

void BasicPlayer::setMood(const std::string& mood) { mMood = mood; }

void BasicPlayer::execAction(const std::string& action, const std::string&)
{
    mAction = action;
    mActionLeft = action.empty() ? 0.f : kActionSeconds;
}

void BasicPlayer::update(float dt)
{
    if (mActionLeft > 0 && dt > 0)
        mActionLeft -= dt;
}

} // namespace core
} // namespace kavri3D
