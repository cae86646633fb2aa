#include <Ogre.h>
#include <Terrain/OgreTerrain.h>
#include <core/GraphicsSystem.h>
#include <cstdlib>
#include <json/writer.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include <land/HeightField.h>
#include <landscene/LandScene.h>
#include <scene/GrafixScene.h>
#include "LandTestKit.h"

namespace landtest {

namespace {
/// A game window of that size whose camera sees the whole battle.
std::unique_ptr<core::GraphicsSystem> landWindow(const char* title, int width, int height)
{
    core::GraphicsSystem::WindowSpec spec;
    spec.title = title;
    spec.width = width;
    spec.height = height;
    auto gfx = core::GraphicsSystem::create(false, spec);
    if (gfx) {
        gfx->getCamera()->setNearClipDistance(0.5f);
        gfx->getCamera()->setFarClipDistance(3000.0f);
    }
    return gfx;
}
} // namespace

// In a window: OGRE's terrain follows the field and a crater, the dolls stand on it, a
// blast makes fire and smoke; the picture is saved under the build folder.
TEST_F(LandFixture, CraterAndDollsInAWindow)
{
    ASSERT_TRUE(core::GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    auto gfx = landWindow("land render test", 800, 600);
    ASSERT_TRUE(gfx);
    Ogre::SceneManager* sm = gfx->getSceneManager();
    sm->setAmbientLight(Ogre::ColourValue(0.5f, 0.5f, 0.5f));
    Ogre::Light* sun = sm->createLight("land/sun");
    sun->setType(Ogre::Light::LT_DIRECTIONAL);
    sm->getRootSceneNode()->createChildSceneNode()->attachObject(sun);
    sun->getParentSceneNode()->setDirection(Ogre::Vector3(0.5f, -1.0f, 0.3f).normalisedCopy());
    gfx->getViewport()->setBackgroundColour(Ogre::ColourValue(0.45f, 0.65f, 0.9f));

    core::GrafixScene scene(sm, "battle");
    auto r = duel(51);
    auto land = myTurn(r);
    LandScene view(*land, scene, false);
    view.setCamera(gfx->getCamera());
    ASSERT_TRUE(view.hasTerrain()) << view.getTerrainProblem();
    Ogre::Terrain* terrain = view.getTerrain();
    const HeightField& field = land->getHeightField();
    for (float x : {-100.0f, 0.0f, 57.0f})
        for (float z : {-80.0f, 13.0f, 100.0f})
            EXPECT_NEAR(terrain->getHeightAtWorldPosition(x, 0, z), field.getHeight(x, z), 1.0f) << x << "," << z;

    // A shell next to the foe: a crater in the ground, fire and smoke.
    ZRKPlayerSim* foe = land->getDoll("foe");
    const Vector3 at = foe->getPosition() + Vector3(8, 0, 0);
    const float before = field.getHeight(at.x, at.z);
    land->launchShell("me", at + Vector3(0, 30, 0), Vector3(0, -30, 0));
    for (int i = 0; i < 90 && view.getBlastsShown() == 0; ++i) {
        frame(*land, 1.0f / 30);
        view.update(1.0f / 30);
        gfx->renderOneFrame(1.0f / 30);
    }
    ASSERT_EQ(view.getBlastsShown(), 1u);
    EXPECT_LT(field.getHeight(at.x, at.z), before - 2.0f);
    EXPECT_NEAR(terrain->getHeightAtWorldPosition(at.x, 0, at.z), field.getHeight(at.x, at.z), 1.5f);
    EXPECT_GT(view.getLiveEffects(), 0u);
    // For the picture: the crater, the foe and the smoke from the side.
    view.setCamera(nullptr);
    Ogre::SceneNode* eye = gfx->getCamera()->getParentSceneNode();
    ASSERT_TRUE(eye);
    eye->setFixedYawAxis(true, Ogre::Vector3::UNIT_Y);
    eye->setPosition(at.x - 30, at.y + 18, at.z + 30);
    eye->lookAt(Ogre::Vector3(at.x, at.y, at.z), Ogre::Node::TS_WORLD);
    for (int i = 0; i < 8; ++i) {
        frame(*land, 1.0f / 30);
        view.update(1.0f / 30);
        gfx->renderOneFrame(1.0f / 30);
    }
    EXPECT_GT(gfx->nonBlackShare(), 0.95);
    const std::string shot = std::string(ZRK_SHOTS_DIR) + "/land-crater.png";
    EXPECT_TRUE(gfx->writeScreenshot(shot));
}

} // namespace landtest

namespace landtest {

namespace {
/// The colour's direction: how it is mixed, whatever the light's strength.
Ogre::Vector3 chroma(const Ogre::ColourValue& c)
{
    Ogre::Vector3 v(c.r, c.g, c.b);
    return v.normalisedCopy();
}
} // namespace

// Each battle figure wears its player's coat: drawn in a window, the middle of each figure's
// body has the colour of its own coat, not the other's.
TEST_F(LandFixture, BattleFiguresWearTheirPlayersCoatColours)
{
    ASSERT_TRUE(core::GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    core::GraphicsSystem::WindowSpec spec;
    spec.title = "land coat test";
    spec.width = 640;
    spec.height = 480;
    auto gfx = core::GraphicsSystem::create(false, spec);
    ASSERT_TRUE(gfx);
    Ogre::SceneManager* sm = gfx->getSceneManager();
    sm->setAmbientLight(Ogre::ColourValue(0.6f, 0.6f, 0.6f));
    gfx->getCamera()->setNearClipDistance(0.5f);
    gfx->getCamera()->setFarClipDistance(3000.0f);
    gfx->getViewport()->setBackgroundColour(Ogre::ColourValue(0, 0, 0));

    auto r = duel(52);
    const std::map<std::string, std::string> coats = {{"me", "boy_coat_03"}, {"foe", "girl_coat_02"}};
    LandBotRoom::Player p;
    p.bot = false;
    p.weapons = {"1"};
    p.look = {{"body", "boy"}, {"coat", coats.at("me")}};
    r->seat(4, "me", p);
    p.look = {{"body", "girl"}, {"coat", coats.at("foe")}};
    r->seat(0, "foe", p);
    auto land = myTurn(r);
    core::GrafixScene scene(sm, "battle");
    LandScene view(*land, scene, false);
    view.update(0.0f);

    std::map<std::string, Ogre::Vector3> drawn;
    Ogre::SceneNode* eye = gfx->getCamera()->getParentSceneNode();
    ASSERT_TRUE(eye);
    eye->setFixedYawAxis(true, Ogre::Vector3::UNIT_Y);
    for (const auto& coat : coats) {
        ZRKPlayerSim* doll = land->getDoll(coat.first);
        ASSERT_TRUE(doll);
        // In front of the figure, at the height of its coat.
        const Vector3 at = doll->getPosition();
        const Vector3 facing = doll->getMovable().getFacing();
        const Ogre::Vector3 chest(at.x, at.y + LandScene::kFigureHeight * 46.0f / 85.0f, at.z);
        eye->setPosition(chest + Ogre::Vector3(facing.x, 0, facing.z).normalisedCopy() * 8.0f);
        eye->lookAt(chest, Ogre::Node::TS_WORLD);
        // A window just made may show its first frames late: a few before the one read.
        for (int i = 0; i < 10; ++i)
            gfx->renderOneFrame(1.0f / 30);
        Ogre::RenderWindow* window = gfx->getRenderWindow();
        const std::size_t w = window->getWidth(), h = window->getHeight();
        std::vector<unsigned char> pixels(w * h * 4);
        Ogre::PixelBox box(static_cast<Ogre::uint32>(w), static_cast<Ogre::uint32>(h), 1, Ogre::PF_BYTE_RGBA,
                           pixels.data());
        window->copyContentsToMemory(box, box);
        // A patch beside the middle, where no pointer is drawn over it.
        Ogre::ColourValue sum(0, 0, 0);
        for (std::size_t y = h / 2 - 40; y < h / 2 - 20; ++y)
            for (std::size_t x = w / 2 - 60; x < w / 2 - 40; ++x) {
                const unsigned char* px = &pixels[(y * w + x) * 4];
                sum += Ogre::ColourValue(px[0] / 255.f, px[1] / 255.f, px[2] / 255.f);
            }
        drawn[coat.first] = chroma(sum);
        gfx->writeScreenshot(std::string(ZRK_SHOTS_DIR) + "/land-coat-" + coat.first + ".png");
    }
    auto material = [](const std::string& coat) {
        Ogre::MaterialPtr m = Ogre::MaterialManager::getSingleton().getByName("kavri/part/coat/" + coat);
        return m ? chroma(m->getTechnique(0)->getPass(0)->getDiffuse()) : Ogre::Vector3::ZERO;
    };
    const Ogre::Vector3 mine = material(coats.at("me")), theirs = material(coats.at("foe"));
    ASSERT_NE(mine, Ogre::Vector3::ZERO);
    ASSERT_NE(theirs, Ogre::Vector3::ZERO);
    ASSERT_GT(mine.distance(theirs), 0.02f) << "two coats of one colour prove nothing";
    EXPECT_LT(drawn["me"].distance(mine), drawn["me"].distance(theirs)) << drawn["me"];
    EXPECT_LT(drawn["foe"].distance(theirs), drawn["foe"].distance(mine)) << drawn["foe"];
    EXPECT_LT(drawn["me"].distance(mine), 0.1f) << drawn["me"] << " against " << mine;
}

} // namespace landtest

namespace landtest {

// Shells at the four corners and the middles of the four edges of every ground the maps hold:
// the drawn terrain follows each crater, its edge stays the field's edge, and the game goes on
// (the bigger grounds, drawn in four vertex blocks, used to abort in OGRE at the first crater).
TEST_F(LandFixture, ShellsAtTheEdgesOfEveryGroundKeepTheGameRunning)
{
    ASSERT_TRUE(core::GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    auto gfx = landWindow("land edge test", 320, 240);
    ASSERT_TRUE(gfx);

    const Json::Value all = maps();
    std::set<std::string> grounds;
    Json::StreamWriterBuilder writer;
    int tried = 0;
    for (const std::string& place : all.getMemberNames()) {
        if (!grounds.insert(Json::writeString(writer, all[place]["terrain"])).second)
            continue; // a ground already shot at
        SCOPED_TRACE("map " + place);
        core::GrafixScene scene(gfx->getSceneManager(), "battle" + place);
        auto land = myTurn(duel(11, place));
        LandScene view(*land, scene, false);
        view.setCamera(gfx->getCamera());
        ASSERT_TRUE(view.hasTerrain()) << view.getTerrainProblem();
        Ogre::Terrain* terrain = view.getTerrain();
        const HeightField& field = land->getHeightField();
        const float half = field.getHalfSize(), in = 3.0f;
        for (float x : {-half + in, 0.0f, half - in})
            for (float z : {-half + in, 0.0f, half - in}) {
                if (x == 0.0f && z == 0.0f)
                    continue;
                const std::size_t blasts = view.getBlastsShown();
                const Vector3 at(x, field.getHeight(x, z), z);
                land->launchShell("me", at + Vector3(0, 20, 0), Vector3(0, -30, 0));
                for (int i = 0; i < 60 && view.getBlastsShown() == blasts; ++i) {
                    frame(*land, 1.0f / 30);
                    view.update(1.0f / 30);
                }
                ASSERT_EQ(view.getBlastsShown(), blasts + 1) << x << "," << z;
                gfx->renderOneFrame(1.0f / 30);
                ++tried;
                EXPECT_NEAR(terrain->getHeightAtWorldPosition(x, 0, z), field.getHeight(x, z), 1.5f) << x << "," << z;
            }
        // The drawn edge is the field's edge, not the depth the field gives outside itself.
        const long last = terrain->getSize() - 1;
        for (long k : {0L, last / 2, last})
            for (const std::pair<long, long>& p :
                 {std::make_pair(k, 0L), std::make_pair(k, last), std::make_pair(0L, k), std::make_pair(last, k)})
                EXPECT_GE(terrain->getHeightAtPoint(p.first, p.second), field.getBottom() - 0.01f)
                    << p.first << "," << p.second;
    }
    EXPECT_GE(grounds.size(), 3u);
    EXPECT_EQ(tried, static_cast<int>(grounds.size()) * 8);
}

} // namespace landtest

namespace landtest {

namespace {
/// The shaders the engine holds whose names begin so ("" counts them all).
std::size_t shadersNamed(const std::string& start)
{
    std::size_t n = 0;
    for (const auto& r : Ogre::HighLevelGpuProgramManager::getSingleton().getResourceIterator())
        if (r.second->getName().compare(0, start.size(), start) == 0)
            ++n;
    return n;
}
} // namespace

// Battle after battle in one run: each battle's ground is drawn with shaders made for it, and
// they go with the ground, so the engine holds no more shaders after the third battle than
// after the first.
TEST_F(LandFixture, EachBattlesGroundTakesItsShadersAlongWhenItGoes)
{
    ASSERT_TRUE(core::GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    auto gfx = landWindow("land shaders test", 320, 240);
    ASSERT_TRUE(gfx);
    std::vector<std::size_t> held;
    for (int battle = 0; battle < 3; ++battle) {
        auto land = myTurn(duel(60 + battle));
        core::GrafixScene scene(gfx->getSceneManager(), "battle");
        auto view = std::make_unique<LandScene>(*land, scene, false);
        view->setCamera(gfx->getCamera());
        ASSERT_TRUE(view->hasTerrain()) << view->getTerrainProblem();
        const std::string own = view->getTerrain()->getMaterialName() + "/";
        for (int i = 0; i < 3; ++i) {
            view->update(1.0f / 30);
            gfx->renderOneFrame(1.0f / 30);
        }
        EXPECT_GT(shadersNamed(own), 0u) << "the ground is drawn with shaders of its own";
        view.reset();
        EXPECT_EQ(shadersNamed(own), 0u) << "battle " << battle + 1;
        held.push_back(shadersNamed(""));
    }
    EXPECT_EQ(held.front(), held.back());
}

} // namespace landtest
