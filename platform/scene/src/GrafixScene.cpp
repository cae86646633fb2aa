#include "scene/GrafixScene.h"

#include <Ogre.h>

namespace kavri3D {
namespace core {

GrafixScene::GrafixScene(Ogre::SceneManager* scene, const std::string& name) : SceneInstance(name), mScene(scene)
{
    if (scene)
        mNode = scene->getRootSceneNode()->createChildSceneNode();
    mSite.reset(new BasicSite(scene, mNode, name + "/site"));
}

GrafixScene::~GrafixScene()
{
    // Players and the site hold nodes under ours: they go first. A role may still hold its
    // player; it keeps a figure without a scene.
    for (auto& p : mPlayers)
        p.second->releaseScene();
    mPlayers.clear();
    mSite.reset();
    if (mNode && mScene)
        mScene->destroySceneNode(mNode);
}

BasicPlayerPtr GrafixScene::createPlayer(const std::string& name, bool visible)
{
    removePlayer(name);
    BasicPlayerPtr player(new BasicPlayer(mScene, mNode, name));
    if (Ogre::SceneNode* node = player->getMovable())
        node->setVisible(visible);
    mPlayers[name] = player;
    return player;
}

bool GrafixScene::removePlayer(const std::string& name)
{
    auto it = mPlayers.find(name);
    if (it == mPlayers.end())
        return false;
    it->second->releaseScene();
    mPlayers.erase(it);
    return true;
}

BasicPlayerPtr GrafixScene::getPlayer(const std::string& name) const
{
    auto it = mPlayers.find(name);
    return it == mPlayers.end() ? BasicPlayerPtr() : it->second;
}

void GrafixScene::update(float dt)
{
    for (auto& p : mPlayers)
        p.second->update(dt);
}

} // namespace core
} // namespace kavri3D
