#include <Ogre.h>
#include <Terrain/OgreTerrain.h>
#include <core/GraphicsSystem.h>
#include <cstdlib>
#include <land/HeightField.h>
#include <land/LandScene.h>
#include <scene/GrafixScene.h>
#include "LandTestKit.h"

namespace landtest {

// In a window: OGRE's terrain follows the field and a crater, the dolls stand on it, a
// blast makes fire and smoke; the picture is saved under the build folder.
TEST_F(LandFixture, CraterAndDollsInAWindow)
{
    ASSERT_TRUE(core::GraphicsSystem::displayAvailable()) << "render tests run under Xvfb";
    core::GraphicsSystem::WindowSpec spec;
    spec.title = "land render test";
    spec.width = 800;
    spec.height = 600;
    auto gfx = core::GraphicsSystem::create(false, spec);
    ASSERT_TRUE(gfx);
    Ogre::SceneManager* sm = gfx->getSceneManager();
    sm->setAmbientLight(Ogre::ColourValue(0.5f, 0.5f, 0.5f));
    Ogre::Light* sun = sm->createLight("land/sun");
    sun->setType(Ogre::Light::LT_DIRECTIONAL);
    sm->getRootSceneNode()->createChildSceneNode()->attachObject(sun);
    sun->getParentSceneNode()->setDirection(Ogre::Vector3(0.5f, -1.0f, 0.3f).normalisedCopy());
    gfx->getCamera()->setNearClipDistance(0.5f);
    gfx->getCamera()->setFarClipDistance(3000.0f);
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
