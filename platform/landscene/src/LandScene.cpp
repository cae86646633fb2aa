#include "landscene/LandScene.h"

#include <Ogre.h>
#include <OgrePlugin.h>
#include <Terrain/OgreTerrain.h>
#include <Terrain/OgreTerrainMaterialGeneratorA.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <land/HeightField.h>
#include <land/ZRKLand.h>
#include <land/ZRKNpcSim.h>
#include <land/ZRKPlayerSim.h>
#include <scene/GrafixScene.h>
#include <scene/PartShapes.h>
#include <yake/Logger.h>

namespace kavri3D {
namespace zrk {

namespace {

using yake::logging::Severity;

const yake::logging::Channel sceneLog("land");

Ogre::Vector3 ogre(const yake::math::Vector3& v) { return Ogre::Vector3(v.x, v.y, v.z); }
Ogre::Quaternion ogre(const yake::math::Quaternion& q) { return Ogre::Quaternion(q.w, q.x, q.y, q.z); }

const char* const kGroup = Ogre::RGN_DEFAULT;
constexpr float kPartsHeight = 85.0f; // the height of a figure dressed from part shapes
constexpr float kEffectSeconds = 3.0f;

/// Lets the battle's ground go with what the engine made for it. The terrain names its
/// material and shaders after its own address and leaves the shaders behind when it goes:
/// each battle's new ground would add its own pair, compiled and linked by the driver and
/// kept until the game ends.
void dropTerrain(std::unique_ptr<Ogre::Terrain>& terrain)
{
    if (!terrain)
        return;
    const std::string name = terrain->getMaterialName();
    terrain.reset();
    for (Ogre::ResourceManager* manager :
         {static_cast<Ogre::ResourceManager*>(Ogre::HighLevelGpuProgramManager::getSingletonPtr()),
          static_cast<Ogre::ResourceManager*>(Ogre::MaterialManager::getSingletonPtr())}) {
        if (!manager)
            continue;
        std::vector<Ogre::ResourceHandle> made;
        for (const auto& r : manager->getResourceIterator()) {
            const std::string& n = r.second->getName();
            if (n.compare(0, name.size(), name) == 0 && (n.size() == name.size() || n[name.size()] == '/'))
                made.push_back(r.first);
        }
        for (Ogre::ResourceHandle h : made) {
            manager->unload(h);
            manager->remove(h);
        }
    }
}

// Names of entities and particle systems are global to a scene manager, which a battle's
// next scene may share with this one's leftovers: one count for all.
unsigned long theObjectCount = 0;
std::string nextName(const char* kind)
{
    return std::string("kavri/land/") + kind + "/" + std::to_string(++theObjectCount);
}

std::string pluginFolder()
{
    const char* env = std::getenv("ZRK_OGRE_PLUGINS");
    return env && *env ? env : ZRK_OGRE_PLUGIN_DIR;
}

// A texture painted here: the ground's grain and the soft puff of a particle.
void paintTexture(const std::string& name, int size, bool puff)
{
    Ogre::TextureManager& tm = Ogre::TextureManager::getSingleton();
    if (tm.resourceExists(name, kGroup))
        return;
    std::vector<unsigned char> px(static_cast<std::size_t>(size) * size * 4);
    unsigned seed = 12345;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            unsigned char* p = &px[(static_cast<std::size_t>(y) * size + x) * 4];
            seed = seed * 1103515245u + 12345u;
            const int grain = static_cast<int>((seed >> 16) % 40);
            if (puff) {
                const float dx = (x + 0.5f) / size - 0.5f, dy = (y + 0.5f) / size - 0.5f;
                const float a = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy) * 2.0f);
                p[0] = p[1] = p[2] = 255;
                p[3] = static_cast<unsigned char>(255.0f * a * a);
            } else {
                p[0] = static_cast<unsigned char>(180 + grain);
                p[1] = static_cast<unsigned char>(180 + grain);
                p[2] = static_cast<unsigned char>(170 + grain);
                p[3] = 255;
            }
        }
    Ogre::TexturePtr tex = tm.createManual(name, kGroup, Ogre::TEX_TYPE_2D, size, size, 0, Ogre::PF_BYTE_RGBA);
    tex->getBuffer()->blitFromMemory(Ogre::PixelBox(size, size, 1, Ogre::PF_BYTE_RGBA, px.data()));
}

Ogre::MaterialPtr solidMaterial(const std::string& name, const Ogre::ColourValue& colour)
{
    Ogre::MaterialManager& mm = Ogre::MaterialManager::getSingleton();
    if (mm.resourceExists(name, kGroup))
        return mm.getByName(name, kGroup);
    Ogre::MaterialPtr m = mm.create(name, kGroup);
    Ogre::Pass* pass = m->getTechnique(0)->getPass(0);
    pass->setDiffuse(colour);
    pass->setAmbient(colour * 0.6f);
    pass->setSelfIllumination(colour * 0.3f);
    return m;
}

} // namespace

LandScene::LandScene(ZRKLand& land, core::GrafixScene& scene, bool headless)
    : mLand(land), mLandLife(land.getLife()), mScene(scene), mSm(scene.getSceneManager()), mHeadless(headless || !mSm),
      mFigurePrefix(nextName("figure") + "/")
{
    if (mSm && scene.getRootNode())
        mNode = scene.getRootNode()->createChildSceneNode();
    makeMaterials();
    if (!mHeadless) {
        makeTerrain();
        makeWater();
    }
    registerWithUpdatableManager();
}

LandScene::~LandScene()
{
    unregisterWithUpdatableManager();
    for (Effect& e : mEffects)
        destroyEffect(e);
    mEffects.clear();
    for (auto& s : mShells) {
        if (s.second.trail)
            mSm->destroyParticleSystem(s.second.trail);
        core::PartShapes::detach(mSm, s.second.node);
    }
    mShells.clear();
    if (!mLandLife.expired())
        for (const auto& d : mLand.getAllDoll())
            d.second->setPlayerRef(core::BasicPlayerPtr());
    for (const auto& f : mFigures)
        mScene.removePlayer(f.second->getName());
    mFigures.clear();
    dropTerrain(mTerrain);
    mTerrainOptions.reset();
    if (mPodium)
        core::PartShapes::detach(mSm, mPodium);
    for (Ogre::SceneNode* item : mMapItems)
        if (item)
            core::PartShapes::detach(mSm, item);
    for (auto& crate : mCrates)
        core::PartShapes::detach(mSm, crate.second);
    mCrates.clear();
    if (mWater)
        core::PartShapes::detach(mSm, mWater);
    if (mNode && mSm)
        mSm->destroySceneNode(mNode);
}

void LandScene::makeMaterials()
{
    if (!mSm)
        return;
    // Side 1 sat in the room's red seats, side 0 in its blue ones.
    solidMaterial("kavri/land/team0", Ogre::ColourValue(0.1f, 0.3f, 0.95f));
    solidMaterial("kavri/land/team1", Ogre::ColourValue(0.9f, 0.15f, 0.1f));
    solidMaterial("kavri/land/team2", Ogre::ColourValue(0.5f, 0.5f, 0.5f));
    solidMaterial("kavri/land/shell", Ogre::ColourValue(0.15f, 0.15f, 0.15f));
    solidMaterial("kavri/land/podium", Ogre::ColourValue(0.85f, 0.7f, 0.2f));
    solidMaterial("kavri/land/rope", Ogre::ColourValue(0.75f, 0.55f, 0.3f));
    solidMaterial("kavri/land/crate", Ogre::ColourValue(0.95f, 0.8f, 0.1f));
    if (mHeadless)
        return;
    try {
        paintTexture("kavri/land/ground", 64, false);
        paintTexture("kavri/land/puff", 32, true);
        Ogre::MaterialManager& mm = Ogre::MaterialManager::getSingleton();
        if (!mm.resourceExists("kavri/land/particle", kGroup)) {
            Ogre::MaterialPtr m = mm.create("kavri/land/particle", kGroup);
            Ogre::Pass* pass = m->getTechnique(0)->getPass(0);
            pass->setLightingEnabled(false);
            pass->setDepthWriteEnabled(false);
            pass->setSceneBlending(Ogre::SBT_TRANSPARENT_ALPHA);
            pass->setVertexColourTracking(Ogre::TVC_DIFFUSE);
            pass->createTextureUnitState("kavri/land/puff");
        }
        if (!mm.resourceExists("kavri/land/water", kGroup)) {
            Ogre::MaterialPtr m = mm.create("kavri/land/water", kGroup);
            Ogre::Pass* pass = m->getTechnique(0)->getPass(0);
            pass->setDiffuse(Ogre::ColourValue(0.1f, 0.35f, 0.7f, 0.65f));
            pass->setAmbient(Ogre::ColourValue(0.1f, 0.3f, 0.6f));
            pass->setSceneBlending(Ogre::SBT_TRANSPARENT_ALPHA);
            pass->setDepthWriteEnabled(false);
        }
        // Smoke and fire come from the engine's own particle plug-in.
        Ogre::Root& root = Ogre::Root::getSingleton();
        bool loaded = false;
        for (Ogre::Plugin* p : root.getInstalledPlugins())
            loaded = loaded || p->getName() == "ParticleFX";
        if (!loaded)
            root.loadPlugin(pluginFolder() + "/Plugin_ParticleFX");
        Ogre::ParticleSystemManager& pm = Ogre::ParticleSystemManager::getSingleton();
        if (!pm.getTemplate("kavri/land/explosion")) {
            Ogre::ParticleSystem* t = pm.createTemplate("kavri/land/explosion", kGroup);
            t->setMaterialName("kavri/land/particle");
            t->setDefaultDimensions(4, 4);
            t->setParticleQuota(120);
            Ogre::ParticleEmitter* e = t->addEmitter("Point");
            e->setDirection(Ogre::Vector3::UNIT_Y);
            e->setAngle(Ogre::Degree(90));
            e->setEmissionRate(800);
            e->setDuration(0.12f);
            e->setParticleVelocity(6, 22);
            e->setTimeToLive(0.5f, 1.0f);
            e->setColour(Ogre::ColourValue(1, 0.85f, 0.3f), Ogre::ColourValue(1, 0.35f, 0.05f));
            Ogre::ParticleAffector* fade = t->addAffector("ColourFader");
            fade->setParameter("red", "-0.6");
            fade->setParameter("green", "-1.2");
            fade->setParameter("blue", "-0.5");
            fade->setParameter("alpha", "-1.0");
            t->addAffector("Scaler")->setParameter("rate", "6");
        }
        if (!pm.getTemplate("kavri/land/smoke")) {
            Ogre::ParticleSystem* t = pm.createTemplate("kavri/land/smoke", kGroup);
            t->setMaterialName("kavri/land/particle");
            t->setDefaultDimensions(5, 5);
            t->setParticleQuota(60);
            Ogre::ParticleEmitter* e = t->addEmitter("Point");
            e->setDirection(Ogre::Vector3::UNIT_Y);
            e->setAngle(Ogre::Degree(25));
            e->setEmissionRate(25);
            e->setDuration(1.2f);
            e->setParticleVelocity(3, 6);
            e->setTimeToLive(1.5f, 2.5f);
            e->setColour(Ogre::ColourValue(0.35f, 0.33f, 0.3f, 0.8f));
            t->addAffector("ColourFader")->setParameter("alpha", "-0.35");
            t->addAffector("Scaler")->setParameter("rate", "3");
        }
        if (!pm.getTemplate("kavri/land/trail")) {
            Ogre::ParticleSystem* t = pm.createTemplate("kavri/land/trail", kGroup);
            t->setMaterialName("kavri/land/particle");
            t->setDefaultDimensions(1.5f, 1.5f);
            t->setParticleQuota(80);
            Ogre::ParticleEmitter* e = t->addEmitter("Point");
            e->setEmissionRate(60);
            e->setParticleVelocity(0, 0.5f);
            e->setTimeToLive(0.8f, 1.2f);
            e->setColour(Ogre::ColourValue(0.8f, 0.8f, 0.8f, 0.7f));
            t->addAffector("ColourFader")->setParameter("alpha", "-0.7");
            t->addAffector("Scaler")->setParameter("rate", "2");
        }
        mParticles = true;
    } catch (const std::exception& e) {
        sceneLog(Severity::Error, std::string("no smoke or fire in the battle: ") + e.what());
    }
}

void LandScene::makeTerrain()
{
    const HeightField& field = mLand.getHeightField();
    if (field.getCells() <= 0)
        return;
    try {
        // The terrain's shaders and their includes come with the engine.
        Ogre::ResourceGroupManager& rgm = Ogre::ResourceGroupManager::getSingleton();
        for (const char* folder : {"/usr/share/OGRE/Media/Terrain", "/usr/share/OGRE/Media/ShadowVolume",
                                   "/usr/share/OGRE/Media/RTShaderLib/GLSL"})
            if (!rgm.resourceLocationExists(folder, kGroup))
                rgm.addResourceLocation(folder, "FileSystem", kGroup);
        if (!Ogre::TerrainGlobalOptions::getSingletonPtr())
            mTerrainOptions.reset(new Ogre::TerrainGlobalOptions);
        Ogre::TerrainGlobalOptions& opts = Ogre::TerrainGlobalOptions::getSingleton();
        opts.setMaxPixelError(3);
        opts.setCompositeMapDistance(3000);
        opts.setLightMapDirection(Ogre::Vector3(0.55f, -0.7f, 0.45f).normalisedCopy());
        opts.setLightMapSize(256);
        opts.setCompositeMapAmbient(Ogre::ColourValue(0.45f, 0.45f, 0.45f));
        // The whole field is near: no distant composite map (whose rendering also leaks in
        // this OGRE).
        if (auto* profile = dynamic_cast<Ogre::TerrainMaterialGeneratorA::SM2Profile*>(
                opts.getDefaultMaterialGenerator()->getActiveProfile()))
            profile->setCompositeMapEnabled(false);

        // The terrain takes 2^n + 1 samples a side: the field is sampled at those points.
        const Ogre::uint16 size = field.getCells() > 128 ? 257 : 129;
        const float world = field.getSize();
        float* heights = OGRE_ALLOC_T(float, size* size, Ogre::MEMCATEGORY_GEOMETRY);
        for (int j = 0; j < size; ++j)
            for (int i = 0; i < size; ++i)
                heights[j * size + i] = pointHeight(field, size, i, j);
        Ogre::Terrain::ImportData data;
        data.terrainSize = size;
        data.worldSize = world;
        data.inputFloat = heights;
        data.deleteInputData = true;
        data.inputScale = 1.0f;
        data.minBatchSize = 17;
        data.maxBatchSize = 65;
        data.pos = Ogre::Vector3::ZERO;
        data.layerList.resize(1);
        data.layerList[0].worldSize = 24.0f;
        data.layerList[0].textureNames = {"kavri/land/ground", "kavri/land/ground"};
        mTerrain.reset(new Ogre::Terrain(mSm));
        mTerrain->prepare(data);
        mTerrain->load();
        mTerrain->updateDerivedData(true); // the light map now, not from a background queue

        // Colour by height: sand at the water, grass, earth, rock.
        mTerrain->setGlobalColourMapEnabled(true, 128);
        std::vector<unsigned char> colours(128 * 128 * 4);
        for (int j = 0; j < 128; ++j)
            for (int i = 0; i < 128; ++i) {
                const float x = -world * 0.5f + (i + 0.5f) * world / 128, z = world * 0.5f - (j + 0.5f) * world / 128;
                const float h = field.getHeight(x, z) - field.getWater();
                Ogre::ColourValue c = h < 1.5f    ? Ogre::ColourValue(0.78f, 0.72f, 0.5f)
                                      : h < 22.0f ? Ogre::ColourValue(0.3f, 0.58f, 0.22f)
                                      : h < 40.0f ? Ogre::ColourValue(0.5f, 0.4f, 0.25f)
                                                  : Ogre::ColourValue(0.6f, 0.6f, 0.62f);
                unsigned char* p = &colours[(j * 128 + i) * 4];
                p[0] = static_cast<unsigned char>(c.r * 255);
                p[1] = static_cast<unsigned char>(c.g * 255);
                p[2] = static_cast<unsigned char>(c.b * 255);
                p[3] = 255;
            }
        mTerrain->getGlobalColourMap()->getBuffer()->blitFromMemory(
            Ogre::PixelBox(128, 128, 1, Ogre::PF_BYTE_RGBA, colours.data()));
    } catch (const std::exception& e) {
        mTerrainProblem = e.what();
        dropTerrain(mTerrain);
        sceneLog(Severity::Error, "the battle's ground is not drawn: " + mTerrainProblem);
    }
}

void LandScene::makeWater()
{
    try {
        const HeightField& field = mLand.getHeightField();
        const std::string mesh = "kavri/land/water/" + std::to_string(static_cast<int>(field.getSize()));
        Ogre::MeshManager& meshes = Ogre::MeshManager::getSingleton();
        if (!meshes.resourceExists(mesh, kGroup))
            meshes.createPlane(mesh, kGroup, Ogre::Plane(Ogre::Vector3::UNIT_Y, 0), field.getSize() * 3,
                               field.getSize() * 3, 1, 1, true, 1, 1, 1, Ogre::Vector3::UNIT_Z);
        Ogre::Entity* water = mSm->createEntity(mesh);
        water->setMaterialName("kavri/land/water");
        mWater = mNode->createChildSceneNode(Ogre::Vector3(0, field.getWater(), 0));
        mWater->attachObject(water);
    } catch (const std::exception& e) {
        sceneLog(Severity::Error, std::string("no water drawn: ") + e.what());
    }
}

Ogre::ParticleSystem* LandScene::makeParticles(const std::string& templateName, Ogre::SceneNode* node)
{
    if (!mParticles || mHeadless || !node)
        return nullptr;
    try {
        Ogre::ParticleSystem* ps = mSm->createParticleSystem(nextName("ps"), templateName);
        node->attachObject(ps);
        return ps;
    } catch (const std::exception& e) {
        sceneLog(Severity::Warning, "particles " + templateName + " not made: " + e.what());
        return nullptr;
    }
}

void LandScene::update(float dt)
{
    if (mLandLife.expired() || !mNode)
        return;
    if (!std::isfinite(dt) || dt < 0.0f)
        dt = 0.0f;
    syncFigures();
    syncShells();
    syncBlasts();
    syncTerrain();
    syncPodium();
    syncMapItems();
    syncCrates();
    syncCamera(dt);
    ageEffects(dt);
}

core::BasicPlayerPtr LandScene::getFigure(const std::string& simId) const
{
    auto it = mFigures.find(simId);
    return it == mFigures.end() ? core::BasicPlayerPtr() : it->second;
}

void LandScene::syncFigures()
{
    for (const auto& d : mLand.getAllDoll()) {
        ZRKPlayerSim* doll = d.second;
        if (doll->getAngelSeq() == -2) {
            // Gone from the battle: its figure goes too.
            auto it = mFigures.find(d.first);
            if (it != mFigures.end()) {
                doll->setPlayerRef(core::BasicPlayerPtr());
                mScene.removePlayer(it->second->getName());
                mFigures.erase(it);
            }
            continue;
        }
        syncFigure(d.first, *doll, false);
    }
    for (const auto& n : mLand.getAllNpc())
        if (!n.second->isEnded())
            syncFigure(n.first, *n.second, true);
}

void LandScene::syncFigure(const std::string& id, ZRKBasicSim& sim, bool npc)
{
    core::BasicPlayerPtr& figure = mFigures[id];
    if (!figure) {
        figure = mScene.createPlayer(mFigurePrefix + id, true);
        figure->loadItems(
            npc ? core::EquipmentList{core::Equipment("npc_body", "body"), core::Equipment("npc_back", "back")}
                : dollLook(id),
            true);
        if (Ogre::SceneNode* node = figure->getMovable()) {
            node->setScale(Ogre::Vector3::UNIT_SCALE * (kFigureHeight / kPartsHeight));
            try {
                // A ball over the head in the side's colour.
                Ogre::Entity* marker = mSm->createEntity(node->getName() + "/team", Ogre::SceneManager::PT_SPHERE);
                marker->setMaterialName("kavri/land/team" + std::to_string(std::min(std::max(sim.getColour(), 0), 2)));
                Ogre::SceneNode* m = node->createChildSceneNode(Ogre::Vector3(0, 100, 0));
                m->setScale(Ogre::Vector3::UNIT_SCALE * 0.12f);
                m->attachObject(marker);
            } catch (const std::exception& e) {
                sceneLog(Severity::Warning, "no team mark for " + id + ": " + e.what());
            }
        }
        // The head bubble floats over the figure; shots aim at its body.
        figure->getDesc().setRealVal("graphical/focus.y", kFigureHeight + 0.6f);
        figure->getDesc().setRealVal("physical/home", DollConstants::HIT_ACTOR_OFFSET);
        sim.setPlayerRef(figure);
    }
    Ogre::SceneNode* node = figure->getMovable();
    if (!node || mOnPodium.count(id))
        return; // a winner on the podium stays there until the scene goes
    node->setPosition(ogre(sim.getPosition()));
    if (const ZRKPlayerSim* doll = dynamic_cast<const ZRKPlayerSim*>(&sim))
        figure->getPhysicalAvatar()->setJumping(doll->isJumping());
    Ogre::Quaternion q = ogre(sim.getMovable().getOrientation());
    if (sim.isFlagSet(SIM_DOWN))
        q = q * Ogre::Quaternion(Ogre::Degree(90), Ogre::Vector3::UNIT_Z); // lying on its side
    node->setOrientation(q);
    node->setVisible(!sim.isFlagSet(SIM_OUT) && !sim.isFlagSet(SIM_HIDE_BUBBLE));
}

core::EquipmentList LandScene::dollLook(const std::string& id) const
{
    // The player's own look, as its portrait wears it, with the battle's gun in hand; a
    // player the room gives no look fights in the plain outfit.
    core::EquipmentList look;
    const LandSetup::Seat* seat = mLand.getSetup().findSeat(id);
    if (seat)
        for (const auto& part : seat->look)
            if (!part.first.empty() && !part.second.empty())
                look.push_back(core::Equipment(part.second, part.first));
    if (look.empty())
        look = {core::Equipment("boy", "body"), core::Equipment("coat", "coat"), core::Equipment("shoes", "shoes"),
                core::Equipment("face", "face"), core::Equipment("hair", "hair")};
    look.push_back(core::Equipment("gun", "hand"));
    return look;
}

void LandScene::syncShells()
{
    const std::vector<ZRKLand::Shell>& shells = mLand.getShells();
    std::map<int, ShellView> next;
    for (const ZRKLand::Shell& s : shells) {
        auto it = mShells.find(s.id);
        ShellView view;
        if (it != mShells.end()) {
            view = it->second;
            mShells.erase(it);
        } else {
            view.node = mNode->createChildSceneNode();
            try {
                Ogre::Entity* ball = mSm->createEntity(nextName("shell"), Ogre::SceneManager::PT_SPHERE);
                ball->setMaterialName("kavri/land/shell");
                Ogre::SceneNode* b = view.node->createChildSceneNode();
                b->setScale(Ogre::Vector3::UNIT_SCALE * 0.012f);
                b->attachObject(ball);
            } catch (const std::exception& e) {
                sceneLog(Severity::Warning, std::string("shell not shown: ") + e.what());
            }
            view.trail = makeParticles("kavri/land/trail", view.node);
        }
        view.node->setPosition(ogre(s.position));
        next[s.id] = view;
    }
    // Landed shells: the node goes; its trail stops and thins out as an effect.
    for (auto& gone : mShells) {
        if (gone.second.trail) {
            gone.second.trail->setEmitting(false);
            Effect e;
            e.node = mNode->createChildSceneNode(gone.second.node->_getDerivedPosition());
            gone.second.node->detachObject(gone.second.trail);
            e.node->attachObject(gone.second.trail);
            e.systems.push_back(gone.second.trail);
            e.left = 1.5f;
            mEffects.push_back(e);
        }
        core::PartShapes::detach(mSm, gone.second.node);
    }
    mShells.swap(next);
}

void LandScene::syncBlasts()
{
    for (const ZRKLand::Blast& b : mLand.takeBlasts()) {
        ++mBlastsShown;
        if (mHeadless || !mParticles)
            continue;
        Effect e;
        e.node = mNode->createChildSceneNode(ogre(b.position));
        for (const char* name : {"kavri/land/explosion", "kavri/land/smoke"})
            if (Ogre::ParticleSystem* ps = makeParticles(name, e.node))
                e.systems.push_back(ps);
        e.left = kEffectSeconds;
        mEffects.push_back(e);
    }
}

void LandScene::ageEffects(float dt)
{
    for (Effect& e : mEffects)
        e.left -= dt;
    auto done = std::partition(mEffects.begin(), mEffects.end(), [](const Effect& e) { return e.left > 0.0f; });
    for (auto it = done; it != mEffects.end(); ++it)
        destroyEffect(*it);
    mEffects.erase(done, mEffects.end());
}

void LandScene::destroyEffect(Effect& effect)
{
    for (Ogre::ParticleSystem* ps : effect.systems) {
        if (ps->isAttached())
            ps->detachFromParent();
        mSm->destroyParticleSystem(ps);
    }
    effect.systems.clear();
    if (effect.node)
        mSm->destroySceneNode(effect.node);
    effect.node = nullptr;
}

LandScene::PointRect LandScene::terrainPoints(const HeightField& field, int points, const HeightField::Area& a)
{
    PointRect r{0, 0, -1, -1};
    if (points < 2 || field.getCells() <= 0)
        return r;
    const float half = field.getHalfSize(), cell = field.getCellSize();
    const float step = field.getSize() / (points - 1);
    // The field's area in world units, a sample wider each way, then the points inside it.
    const float x0 = -half + (a.x0 - 1) * cell, x1 = -half + (a.x1 + 1) * cell;
    const float z0 = -half + (a.z0 - 1) * cell, z1 = -half + (a.z1 + 1) * cell;
    auto clip = [points](float v) {
        return static_cast<int>(std::min(std::max(v, 0.0f), static_cast<float>(points - 1)));
    };
    r.i0 = clip(std::floor((x0 + half) / step));
    r.i1 = clip(std::ceil((x1 + half) / step));
    r.j0 = clip(std::floor((half - z1) / step));
    r.j1 = clip(std::ceil((half - z0) / step));
    if (r.i0 > r.i1 || r.j0 > r.j1)
        return PointRect{0, 0, -1, -1};
    if (points > 129) {
        const int centre = (points - 1) / 2;
        r.i0 = std::min(r.i0, centre);
        r.i1 = std::max(r.i1, centre);
        r.j0 = std::min(r.j0, centre);
        r.j1 = std::max(r.j1, centre);
    }
    return r;
}

float LandScene::pointHeight(const HeightField& field, int points, int i, int j)
{
    const float half = field.getHalfSize();
    const float step = points > 1 ? field.getSize() / (points - 1) : 0.0f;
    const float x = std::min(std::max(-half + i * step, -half), half);
    const float z = std::min(std::max(half - j * step, -half), half);
    return field.getHeight(x, z);
}

void LandScene::syncTerrain()
{
    HeightField& field = mLand.getHeightField();
    std::vector<HeightField::Area> areas = field.takeChangedAreas();
    if (!mTerrain || areas.empty())
        return;
    const int size = mTerrain->getSize();
    for (const HeightField::Area& a : areas) {
        const PointRect r = terrainPoints(field, size, a);
        for (int j = r.j0; j <= r.j1; ++j)
            for (int i = r.i0; i <= r.i1; ++i)
                mTerrain->setHeightAtPoint(static_cast<long>(i), static_cast<long>(j), pointHeight(field, size, i, j));
    }
    mTerrain->update(true);
}

void LandScene::syncPodium()
{
    if (!mLand.hasPodium() || mPodium)
        return;
    const float ground = std::max(mLand.getHeightField().getHeight(0, 0), mLand.getHeightField().getWater());
    mPodium = mNode->createChildSceneNode(Ogre::Vector3(0, ground + 2.0f, 0));
    try {
        Ogre::Entity* box = mSm->createEntity(nextName("podium"), Ogre::SceneManager::PT_CUBE);
        box->setMaterialName("kavri/land/podium");
        Ogre::SceneNode* b = mPodium->createChildSceneNode();
        b->setScale(0.3f, 0.04f, 0.1f);
        b->attachObject(box);
    } catch (const std::exception& e) {
        sceneLog(Severity::Warning, std::string("podium not shown: ") + e.what());
    }
    // The winners stand on it in a row, facing the camera's side.
    int n = 0;
    const int winner = mLand.getSummary().winner;
    for (const auto& d : mLand.getAllDoll()) {
        core::BasicPlayerPtr figure = getFigure(d.first);
        if (!figure || !figure->getMovable() || d.second->getColour() != winner)
            continue;
        Ogre::SceneNode* node = figure->getMovable();
        mOnPodium.insert(d.first);
        node->setPosition(Ogre::Vector3(-9.0f + 6.0f * n++, ground + 4.0f, 0));
        node->setOrientation(Ogre::Quaternion::IDENTITY);
        node->setVisible(true);
    }
}

void LandScene::syncMapItems()
{
    const std::vector<ZRKLand::MapItem>& items = mLand.getMapItems();
    while (mMapItems.size() < items.size()) {
        // A post as tall as a figure, plain to see from the far side of the field.
        const ZRKLand::MapItem& item = items[mMapItems.size()];
        Ogre::SceneNode* node = mNode->createChildSceneNode(ogre(item.position));
        try {
            Ogre::Entity* post = mSm->createEntity(nextName("item"), Ogre::SceneManager::PT_CUBE);
            post->setMaterialName("kavri/land/rope");
            Ogre::SceneNode* body = node->createChildSceneNode(Ogre::Vector3(0, kFigureHeight * 0.75f, 0));
            body->setScale(0.015f, kFigureHeight * 1.5f / 100.0f, 0.015f);
            body->attachObject(post);
        } catch (const std::exception& e) {
            sceneLog(Severity::Warning, "map item " + item.name + " not shown: " + e.what());
        }
        mMapItems.push_back(node);
    }
    for (std::size_t i = 0; i < items.size(); ++i)
        if (mMapItems[i])
            mMapItems[i]->setVisible(items[i].hp > 0);
}

void LandScene::syncCrates()
{
    const std::vector<ZRKLand::CrateMark>& marks = mLand.getCrateMarks();
    std::map<std::string, Ogre::SceneNode*> next;
    for (const ZRKLand::CrateMark& m : marks) {
        auto it = mCrates.find(m.name);
        if (it != mCrates.end()) {
            next[m.name] = it->second;
            mCrates.erase(it);
            continue;
        }
        // A bright box half a figure high, sitting on the ground.
        Ogre::SceneNode* node = mNode->createChildSceneNode(ogre(m.position));
        try {
            Ogre::Entity* box = mSm->createEntity(nextName("crate"), Ogre::SceneManager::PT_CUBE);
            box->setMaterialName("kavri/land/crate");
            Ogre::SceneNode* body = node->createChildSceneNode(Ogre::Vector3(0, kFigureHeight * 0.25f, 0));
            body->setScale(kFigureHeight * 0.005f, kFigureHeight * 0.005f, kFigureHeight * 0.005f);
            body->attachObject(box);
        } catch (const std::exception& e) {
            sceneLog(Severity::Warning, "crate " + m.name + " not shown: " + e.what());
        }
        next[m.name] = node;
    }
    for (auto& gone : mCrates) // picked up
        core::PartShapes::detach(mSm, gone.second);
    mCrates.swap(next);
}

void LandScene::syncCamera(float dt)
{
    if (!mCamera)
        return;
    const ZRKBasicSim* focus = mLand.getActingDoll()  ? static_cast<ZRKBasicSim*>(mLand.getActingDoll())
                               : mLand.getActingNpc() ? static_cast<ZRKBasicSim*>(mLand.getActingNpc())
                                                      : static_cast<ZRKBasicSim*>(mLand.getMyDoll());
    Ogre::Vector3 target = focus ? ogre(focus->getPosition()) : Ogre::Vector3::ZERO;
    Ogre::Vector3 facing = focus ? ogre(focus->getMovable().getFacing()) : Ogre::Vector3::UNIT_Z;
    if (mLand._cameraIsRoaming()) {
        // Roaming: the camera flies with the own newest shell.
        const ZRKLand::Shell* own = nullptr;
        for (const ZRKLand::Shell& s : mLand.getShells())
            if (s.owner == mLand.getMyUID() && (!own || s.id > own->id))
                own = &s;
        if (own) {
            target = ogre(own->position);
            Ogre::Vector3 v = ogre(own->velocity);
            v.y = 0;
            if (v.squaredLength() > 1e-4f)
                facing = v.normalisedCopy();
        }
    }
    facing.y = 0;
    if (facing.squaredLength() < 1e-6f)
        facing = Ogre::Vector3::UNIT_Z;
    facing.normalise();
    const Ogre::Vector3 eye = target - facing * 45.0f + Ogre::Vector3(0, 22, 0);
    Ogre::SceneNode* node = mCamera->getParentSceneNode();
    Ogre::Vector3 now = node ? node->getPosition() : eye;
    const float blend = mCameraPlaced ? std::min(1.0f, dt * 4.0f) : 1.0f;
    now += (eye - now) * blend;
    mCameraPlaced = true;
    if (node) {
        node->setFixedYawAxis(true, Ogre::Vector3::UNIT_Y);
        node->setPosition(now);
        node->lookAt(target + Ogre::Vector3(0, 3, 0), Ogre::Node::TS_WORLD);
    }
}

} // namespace zrk
} // namespace kavri3D
