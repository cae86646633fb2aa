#include <Ogre.h>
#include <cmath>
#include <core/GraphicsSystem.h>
#include <land/LandScene.h>
#include <scene/GrafixScene.h>
#include "LandTestKit.h"

namespace landtest {

// Headless: figures for the dolls (their player objects), nodes for the shells, no terrain
// and no particles; a scene that outlives its land stops reading it.
TEST_F(LandFixture, HeadlessSceneKeepsFiguresAndShells)
{
    core::GraphicsSystem::WindowSpec spec;
    auto gfx = core::GraphicsSystem::create(true, spec);
    ASSERT_TRUE(gfx);
    core::GrafixScene scene(gfx->getSceneManager(), "battle");
    auto r = duel(41);
    auto land = myTurn(r);
    {
        LandScene view(*land, scene, true);
        view.update(0.0f);
        EXPECT_FALSE(view.hasTerrain());
        for (const auto& d : land->getAllDoll()) {
            core::BasicPlayerPtr figure = view.getFigure(d.first);
            ASSERT_TRUE(figure) << d.first;
            EXPECT_EQ(d.second->getPlayerRef(), figure);
            ASSERT_TRUE(figure->getMovable());
            EXPECT_LT(figure->getMovable()->getPosition().distance(
                          Ogre::Vector3(d.second->getPosition().x, d.second->getPosition().y, d.second->getPosition().z)),
                      1e-3);
            EXPECT_GT(figure->shownParts(), 0u);
        }
        ZRKPlayerSim* foe = land->getDoll("foe");
        land->launchShell("me", foe->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
        land->update(0.1f);
        view.update(0.1f);
        EXPECT_EQ(view.getShellNodes(), 1u);
        ASSERT_TRUE(runUntil(*land, [&] { view.update(0.02f); return view.getBlastsShown() > 0; }, 5.0f, 0.02f));
        EXPECT_EQ(view.getShellNodes(), 0u);
        EXPECT_EQ(view.getLiveEffects(), 0u); // no particles headless

        // The camera follows the acting doll from behind and above.
        if (gfx->getCamera()->getParentSceneNode()) {
            view.setCamera(gfx->getCamera());
            view.update(0.1f);
            const Vector3 me = land->getMyDoll()->getPosition();
            const Ogre::Vector3 eye = gfx->getCamera()->getParentSceneNode()->getPosition();
            EXPECT_NEAR(eye.distance(Ogre::Vector3(me.x, me.y, me.z)), std::sqrt(45.0f * 45.0f + 22.0f * 22.0f), 1.0f);
            EXPECT_GT(eye.y, me.y);
            view.setCamera(nullptr);
        }
        // A doll gone from the battle loses its figure; the winners stand on the podium.
        r->unseat(0);
        frame(*land, 0.25f);
        frame(*land, 0.25f);
        view.update(0.1f);
        EXPECT_EQ(foe->getAngelSeq(), -2);
        EXPECT_FALSE(view.getFigure("foe"));
        EXPECT_FALSE(foe->getPlayerRef());
        ASSERT_TRUE(land->isFinished());
        land->createPodium();
        view.update(0.1f);
        ASSERT_TRUE(view.getPodium());
        const Ogre::Vector3 top = view.getFigure("me")->getMovable()->getPosition();
        EXPECT_GT(top.y, view.getPodium()->getPosition().y);
        land.reset();
        view.update(0.1f); // the land is gone: nothing to read, nothing breaks
    }
    EXPECT_EQ(scene.playerCount(), 0u);
}

} // namespace landtest
