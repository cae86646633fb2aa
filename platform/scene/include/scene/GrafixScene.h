#pragma once
#include <boost/shared_ptr.hpp>
#include <map>
#include <memory>
#include <string>
#include <core/SceneInstance.h>
#include "scene/BasicPlayer.h"
#include "scene/BasicSite.h"

namespace Ogre {
class SceneManager;
class SceneNode;
} // namespace Ogre

namespace kavri3D {
namespace core {

/// The 3D content of one room's scene: its players by name, its default site and further
/// sites by name, all under one node of the OGRE scene, which goes with the object.
class GrafixScene : public SceneInstance {
public:
    GrafixScene(Ogre::SceneManager* scene, const std::string& name);
    ~GrafixScene() override;

    Ogre::SceneManager* getSceneManager() const { return mScene; }
    Ogre::SceneNode* getRootNode() const { return mNode; }
    BasicSite* getDefaultSite() const { return mSite.get(); }

    /// A new player under the name; a player already of that name is removed first.
    BasicPlayerPtr createPlayer(const std::string& name, bool visible);
    /// False when there is no player of that name.
    bool removePlayer(const std::string& name);
    BasicPlayerPtr getPlayer(const std::string& name) const;
    std::size_t playerCount() const { return mPlayers.size(); }

    /// The site of that name (the default site too); null when there is none.
    BasicSite* getSite(const std::string& name) const;
    /// The site of that name; with `create` a new one is made when there is none.
    BasicSite* createSite(const std::string& name, bool create);
    std::size_t siteCount() const { return mSites.size(); }
    /// Removes a named site with its items (never the default site); false when there is none.
    bool removeSite(const std::string& name);
    /// Shows or hides everything of a named site; false when there is no such site.
    bool showSiteEntites(const std::string& name, bool visible);

    /// Runs the players' animation clocks.
    void update(float dt);

private:
    Ogre::SceneManager* mScene;
    Ogre::SceneNode* mNode = nullptr;
    std::map<std::string, BasicPlayerPtr> mPlayers;
    std::unique_ptr<BasicSite> mSite;
    std::map<std::string, std::unique_ptr<BasicSite>> mSites;
};

typedef boost::shared_ptr<GrafixScene> GrafixScenePtr;

} // namespace core
} // namespace kavri3D
