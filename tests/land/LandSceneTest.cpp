#include <Ogre.h>
#include <cmath>
#include <set>
#include <string>
#include <core/GraphicsSystem.h>
#include <land/HeightField.h>
#include <landscene/LandScene.h>
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
    const std::size_t entities = gfx->getSceneManager()->getMovableObjects("Entity").size();
    {
        LandScene view(*land, scene, true);
        view.update(0.0f);
        EXPECT_FALSE(view.hasTerrain());
        for (const auto& d : land->getAllDoll()) {
            core::BasicPlayerPtr figure = view.getFigure(d.first);
            ASSERT_TRUE(figure) << d.first;
            EXPECT_EQ(d.second->getPlayerRef(), figure);
            ASSERT_TRUE(figure->getMovable());
            EXPECT_LT(figure->getMovable()->getPosition().distance(Ogre::Vector3(
                          d.second->getPosition().x, d.second->getPosition().y, d.second->getPosition().z)),
                      1e-3);
            EXPECT_GT(figure->shownParts(), 0u);
        }
        ZRKPlayerSim* foe = land->getDoll("foe");
        land->launchShell("me", foe->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
        land->update(0.1f);
        view.update(0.1f);
        EXPECT_EQ(view.getShellNodes(), 1u);
        ASSERT_TRUE(runUntil(
            *land,
            [&] {
                view.update(0.02f);
                return view.getBlastsShown() > 0;
            },
            5.0f, 0.02f));
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
        // The winner stays up there, frame after frame, until the scene goes.
        for (int i = 0; i < 300; ++i) {
            frame(*land, 1.0f / 60.0f);
            view.update(1.0f / 60.0f);
        }
        EXPECT_LT(view.getFigure("me")->getMovable()->getPosition().distance(top), 1e-4f);
        EXPECT_TRUE(view.getFigure("me")->getMovable()->isInSceneGraph());
        land.reset();
        view.update(0.1f); // the land is gone: nothing to read, nothing breaks
    }
    EXPECT_EQ(scene.playerCount(), 0u);
    // Nothing of the battle stays in the scene: the team balls go with their figures.
    EXPECT_EQ(gfx->getSceneManager()->getMovableObjects("Entity").size(), entities);
}

} // namespace landtest

namespace landtest {

// Each figure wears its player's look as the room gives it, with the gun in hand; a player
// the room gives no look fights in the plain outfit.
// The map's rope stands as a post a player can see and aim at; shot through, it is gone.
TEST_F(LandFixture, TheMapsRopeStandsAsAPostTillItIsShotThrough)
{
    core::GraphicsSystem::WindowSpec spec;
    auto gfx = core::GraphicsSystem::create(true, spec);
    ASSERT_TRUE(gfx);
    core::GrafixScene scene(gfx->getSceneManager(), "battle");
    auto land = myTurn(duel(41, "1004"));
    ASSERT_EQ(land->getMapItems().size(), 1u);
    const ZRKLand::MapItem& rope = land->getMapItems()[0];
    LandScene view(*land, scene, true);
    view.update(0.0f);
    Ogre::SceneNode* post = view.getMapItemNode(0);
    ASSERT_NE(post, nullptr);
    EXPECT_EQ(view.getMapItemNode(1), nullptr);
    EXPECT_LT(post->getPosition().distance(Ogre::Vector3(rope.position.x, rope.position.y, rope.position.z)), 1e-3);
    auto* body = static_cast<Ogre::SceneNode*>(post->getChild(0));
    ASSERT_EQ(body->numAttachedObjects(), 1u);
    EXPECT_TRUE(body->getAttachedObject(0)->isVisible());

    land->launchShell("me", rope.position + Vector3(0, 30, 0), Vector3(0, -30, 0));
    ASSERT_TRUE(runUntil(
        *land, [&] { return land->getMapItems()[0].hp <= 0; }, 5.0f));
    EXPECT_EQ(land->_countLoadedItem(rope.name), 0);
    view.update(0.1f);
    EXPECT_FALSE(body->getAttachedObject(0)->isVisible());
}

// A crate stands as a box where it lies, and goes once it is picked up.
TEST_F(LandFixture, ACrateStandsAsABoxTillItIsPickedUp)
{
    core::GraphicsSystem::WindowSpec spec;
    auto gfx = core::GraphicsSystem::create(true, spec);
    ASSERT_TRUE(gfx);
    core::GrafixScene scene(gfx->getSceneManager(), "battle");
    auto land = myTurn(duel(41));
    LandScene view(*land, scene, true);
    const Vector3 foe = land->getDoll("foe")->getPosition() + Vector3(30, 0, 0);
    ZRKSceneItem item;
    ASSERT_TRUE(land->_addCrate("c", item, std::to_string(foe.x) + " 0 " + std::to_string(foe.z)));
    land->_updateCrateMarks();
    view.update(0.0f);
    Ogre::SceneNode* box = view.getCrateNode("c");
    ASSERT_NE(box, nullptr);
    EXPECT_NEAR(box->getPosition().x, foe.x, 1e-3);
    EXPECT_NEAR(box->getPosition().z, foe.z, 1e-3);
    // The own doll put on it picks it up: the box goes.
    land->getMyDoll()->getMovable().setPosition(land->getCrateMark("c")->position);
    frame(*land, 0.05f);
    ASSERT_FALSE(land->_hasCrate("c"));
    view.update(0.05f);
    EXPECT_EQ(view.getCrateNode("c"), nullptr);
}

TEST_F(LandFixture, FiguresWearTheirPlayersLooks)
{
    core::GraphicsSystem::WindowSpec spec;
    auto gfx = core::GraphicsSystem::create(true, spec);
    ASSERT_TRUE(gfx);
    core::GrafixScene scene(gfx->getSceneManager(), "battle");
    auto r = room(3, 4);
    LandBotRoom::Player plain;
    plain.weapons = {"1"};
    r->seat(1, "plain", plain);
    auto land = makeLand(r);
    ASSERT_TRUE(land->create());
    LandScene view(*land, scene, true);
    view.update(0.0f);
    auto worn = [&](const std::string& id, const std::string& kind) {
        core::BasicPlayerPtr figure = view.getFigure(id);
        if (!figure)
            return std::string("no figure");
        for (const core::Equipment& e : figure->getItems())
            if (e.getKind() == kind)
                return e.getItem();
        return std::string();
    };
    std::set<std::string> coats;
    for (const auto& d : land->getAllDoll()) {
        if (d.first == "plain")
            continue;
        const auto look = r->getPlayerLook(d.first);
        ASSERT_FALSE(look.empty());
        for (const auto& part : look)
            EXPECT_EQ(worn(d.first, part.first), part.second) << d.first << " " << part.first;
        EXPECT_EQ(worn(d.first, "hand"), "gun");
        coats.insert(worn(d.first, "coat"));
    }
    EXPECT_GE(coats.size(), 2u); // not one outfit for all
    EXPECT_EQ(worn("plain", "body"), "boy");
    EXPECT_EQ(worn("plain", "coat"), "coat");
}

} // namespace landtest

namespace landtest {

// The terrain points a crater's area changes: clipped to the terrain at every edge and corner,
// and on a terrain of four vertex blocks reaching the centre point they share, so that OGRE
// updates each block; the edge points take the field's edge height, never the depth outside.
TEST(LandScenePoints, CratersAtTheEdgesClipToTheTerrainAndReachEveryBlock)
{
    for (int cells : {80, 120, 140}) {
        HeightField field;
        field.buildFlat(cells * 4.0f, cells, 12.0f, 2.0f);
        const int points = cells > 128 ? 257 : 129, last = points - 1, centre = last / 2;
        const int n = cells;
        const HeightField::Area areas[] = {{0, 0, 3, 3},          {n - 3, 0, n, 3},         {0, n - 3, 3, n},
                                           {n - 3, n - 3, n, n},  {n / 2, 0, n / 2 + 2, 2}, {0, n / 2, 2, n / 2 + 2},
                                           {-5, -5, n + 5, n + 5}};
        for (const HeightField::Area& a : areas) {
            SCOPED_TRACE(std::to_string(cells) + " cells, area " + std::to_string(a.x0) + "," + std::to_string(a.z0));
            const LandScene::PointRect r = LandScene::terrainPoints(field, points, a);
            ASSERT_LE(r.i0, r.i1);
            ASSERT_LE(r.j0, r.j1);
            EXPECT_GE(r.i0, 0);
            EXPECT_GE(r.j0, 0);
            EXPECT_LE(r.i1, last);
            EXPECT_LE(r.j1, last);
            if (points > 129) {
                EXPECT_TRUE(r.i0 <= centre && centre <= r.i1 && r.j0 <= centre && centre <= r.j1);
            } else if (a.x1 - a.x0 < 10) {
                EXPECT_LT(r.i1 - r.i0, points / 2); // a small terrain updates only around the crater
            }
        }
        // A corner area covers the terrain's own corner point.
        const LandScene::PointRect corner = LandScene::terrainPoints(field, points, {n - 2, 0, n, 2});
        EXPECT_EQ(corner.i1, last);
        EXPECT_EQ(corner.j1, last); // the field's z grows where the terrain's rows fall
        for (int k : {0, centre, last}) {
            EXPECT_FLOAT_EQ(LandScene::pointHeight(field, points, k, last), 12.0f);
            EXPECT_FLOAT_EQ(LandScene::pointHeight(field, points, last, k), 12.0f);
            EXPECT_FLOAT_EQ(LandScene::pointHeight(field, points, 0, k), 12.0f);
        }
    }
}

} // namespace landtest
