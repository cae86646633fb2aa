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
    mSites.clear();
    mSite.reset();
    if (mNode && mScene)
        mScene->destroySceneNode(mNode);
}

BasicPlayerPtr GrafixScene::createPlayer(const std::string& name, bool visible)
{
    removePlayer(name);
    BasicPlayerPtr player(new BasicPlayer(mScene, mNode, name));
    player->setAvatarVisible(visible);
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

BasicSite* GrafixScene::getSite(const std::string& name) const
{
    auto it = mSites.find(name);
    if (it != mSites.end())
        return it->second.get();
    return mSite && mSite->getName() == name ? mSite.get() : nullptr;
}

BasicSite* GrafixScene::createSite(const std::string& name, bool create)
{
    if (BasicSite* site = getSite(name))
        return site;
    if (!create || name.empty())
        return nullptr;
    std::unique_ptr<BasicSite>& site = mSites[name];
    site.reset(new BasicSite(mScene, mNode, name));
    return site.get();
}

bool GrafixScene::removeSite(const std::string& name) { return mSites.erase(name) > 0; }

bool GrafixScene::showSiteEntites(const std::string& name, bool visible)
{
    BasicSite* site = getSite(name);
    if (!site)
        return false;
    if (Ogre::SceneNode* node = site->getMovable())
        node->setVisible(visible, true);
    return true;
}

void GrafixScene::update(float dt)
{
    if (mSite)
        mSite->update();
    for (auto& site : mSites)
        site.second->update();
    for (auto& p : mPlayers)
        p.second->update(dt);
}

} // namespace core
} // namespace kavri3D
