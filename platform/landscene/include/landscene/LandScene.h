#pragma once
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include <core/Updatable.h>
#include <land/HeightField.h>
#include <scene/BasicPlayer.h>

namespace Ogre {
class Camera;
class ParticleSystem;
class SceneManager;
class SceneNode;
class Terrain;
class TerrainGlobalOptions;
} // namespace Ogre

namespace kavri3D {
namespace core {
class GrafixScene;
}
namespace zrk {

class ZRKLand;

/// Draws a land in the owner's scene, frame by frame after the land's own update: the
/// ground by OGRE's Terrain component (its heights follow the craters) with the water, the
/// dolls and NPCs as dressed figures of the scene (each sim's player object), shells with
/// smoke trails, explosions and smoke by the ParticleFX plug-in, the podium, and a camera
/// that follows the acting doll, or the own shell while the camera roams. Headless it keeps
/// nodes, figures and shells only: no terrain, textures or particle systems. The land never
/// needs it; it stops reading a land that has gone.
class LandScene : public core::Updatable {
public:
    /// Figures are about this tall in world units.
    static constexpr float kFigureHeight = 6.0f;

    LandScene(ZRKLand& land, core::GrafixScene& scene, bool headless);
    ~LandScene() override;
    LandScene(const LandScene&) = delete;
    LandScene& operator=(const LandScene&) = delete;

    void update(float dt) override;

    /// Terrain points, inclusive, a side of them from 0 to `points` - 1.
    struct PointRect {
        int i0, j0, i1, j1;
    };
    /// The points of a terrain of `points` a side that follow a changed area of the field: the
    /// area and one sample around it, clipped to the terrain. A terrain of more than 129 points
    /// a side is drawn in four vertex blocks, and OGRE 1.12 aborts on a change that misses one
    /// of them: its rectangle then reaches the centre point the four share.
    static PointRect terrainPoints(const HeightField& field, int points, const HeightField::Area& area);
    /// The field's height at terrain point (i, j); the edge points are the field's edge, never a
    /// rounding error outside it.
    static float pointHeight(const HeightField& field, int points, int i, int j);
    /// The camera to move (none: the owner moves its own).
    void setCamera(Ogre::Camera* camera) { mCamera = camera; }

    bool hasTerrain() const { return mTerrain != nullptr; }
    Ogre::Terrain* getTerrain() const { return mTerrain.get(); }
    /// Why there is no terrain (empty when there is one).
    const std::string& getTerrainProblem() const { return mTerrainProblem; }
    core::BasicPlayerPtr getFigure(const std::string& simId) const;
    std::size_t getShellNodes() const { return mShells.size(); }
    std::size_t getLiveEffects() const { return mEffects.size(); }
    std::size_t getBlastsShown() const { return mBlastsShown; }
    Ogre::SceneNode* getPodium() const { return mPodium; }
    /// The post drawn for the map's item `index`, null when none is drawn.
    Ogre::SceneNode* getMapItemNode(std::size_t index) const
    {
        return index < mMapItems.size() ? mMapItems[index] : nullptr;
    }
    /// The box of the crate of that name; null while none lies there.
    Ogre::SceneNode* getCrateNode(const std::string& name) const
    {
        auto it = mCrates.find(name);
        return it == mCrates.end() ? nullptr : it->second;
    }

private:
    struct ShellView {
        Ogre::SceneNode* node = nullptr;
        Ogre::ParticleSystem* trail = nullptr;
    };
    struct Effect {
        Ogre::SceneNode* node = nullptr;
        std::vector<Ogre::ParticleSystem*> systems;
        float left = 0.0f;
    };

    void makeTerrain();
    void makeWater();
    void makeMaterials();
    void syncFigures();
    void syncFigure(const std::string& id, class ZRKBasicSim& sim, bool npc);
    /// The parts the doll's figure wears.
    core::EquipmentList dollLook(const std::string& id) const;
    void syncShells();
    void syncBlasts();
    void syncTerrain();
    void syncCamera(float dt);
    void syncPodium();
    /// The map's items stand as posts till shells wear them down.
    void syncMapItems();
    /// A box stands where each crate lies, till it is picked up.
    void syncCrates();
    void ageEffects(float dt);
    void destroyEffect(Effect& effect);
    Ogre::ParticleSystem* makeParticles(const std::string& templateName, Ogre::SceneNode* node);

    ZRKLand& mLand;
    std::weak_ptr<void> mLandLife;
    core::GrafixScene& mScene;
    Ogre::SceneManager* mSm;
    bool mHeadless;
    std::string mFigurePrefix; ///< figures of two scenes of one room never share a name
    Ogre::SceneNode* mNode = nullptr;
    std::map<std::string, core::BasicPlayerPtr> mFigures;
    std::map<int, ShellView> mShells;
    std::vector<Effect> mEffects;
    std::size_t mBlastsShown = 0;
    std::unique_ptr<Ogre::Terrain> mTerrain;
    std::unique_ptr<Ogre::TerrainGlobalOptions> mTerrainOptions;
    std::string mTerrainProblem;
    Ogre::SceneNode* mWater = nullptr;
    Ogre::SceneNode* mPodium = nullptr;
    std::vector<Ogre::SceneNode*> mMapItems;         ///< by the land's item index
    std::map<std::string, Ogre::SceneNode*> mCrates; ///< by the crate's name
    std::set<std::string> mOnPodium;                 ///< sims whose figures stand on the podium
    bool mParticles = false;
    Ogre::Camera* mCamera = nullptr;
    bool mCameraPlaced = false;
};

} // namespace zrk
} // namespace kavri3D
