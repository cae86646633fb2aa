// The room base: pop-ups over 3D positions on the framework clock, timed scene effects, the
// session's room callback while the scene exists, and the GUI pumping each frame.
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <cstdio>
#include <data/ZRKSession.h>
#include <server/ZRKGameServer.h>
#include <gui/IGuiAnimator.h>
#include <gui/IGuiControl.h>
#include <gui/IGuiManager.h>
#include <scene/BasicSite.h>
#include <scene/GrafixScene.h>
#include <scene/ProductManager.h>

#include "RoomTestKit.h"
#include "shell/ZRKGuiLoader.h"

using namespace kavri3D;
using roomtest::RecordingRoom;

namespace {

struct RoomFixture : ::testing::Test {
    roomtest::ManualClock clock;
    roomtest::HeadlessGraphics gfx;
    RecordingRoom room;

    RoomFixture()
    {
        core::ProductManager::instance().clear();
        core::ProductManager::instance().addDocument("eff_boom", "");
        room.onEnter("");
    }
    ~RoomFixture() override { room.onExit(); }

    void advance(double seconds)
    {
        yake::native::advanceTime(seconds);
        room.onFrame(static_cast<float>(seconds));
    }
    std::string labelOf(std::size_t i) const
    {
        CEGUI::Window* outer = room.popupWindow(i);
        return outer && outer->getChildCount() > 0 ? outer->getChildAtIdx(0)->getText().c_str() : "";
    }
    CEGUI::UVector2 positionOf(std::size_t i) const { return room.popupWindow(i)->getPosition(); }
    core::BasicSite& site() const { return *room.getDefaultSite(); }
    /// Where the item's shapes are in the world (empty for no such item).
    Ogre::AxisAlignedBox itemBox(long id) const
    {
        Ogre::AxisAlignedBox box;
        Ogre::SceneNode* item = site().getItemNode(id, "");
        if (!item)
            return box;
        item->_update(true, false);
        for (Ogre::Node* child : item->getChildren())
            box.merge(static_cast<Ogre::SceneNode*>(child)->_getWorldAABB());
        return box;
    }
};

} // namespace

TEST_F(RoomFixture, NumbersCarryTheirSignAndRiseFromTheScreenCentreUntilTheyExpire)
{
    room.showNumber(5);
    room.showNumber(0);
    room.showNumber(-5, std::string("tl:FFFF0000 tr:FFFF0000 bl:FFFF0000 br:FFFF0000"));
    ASSERT_EQ(room.popupCount(), 3u);
    EXPECT_EQ(labelOf(0), "+5");
    EXPECT_EQ(labelOf(1), "0");
    EXPECT_EQ(labelOf(2), "-5");
    EXPECT_EQ(room.popupWindow(2)->getChildAtIdx(0)->getProperty("TextColours"),
              "tl:FFFF0000 tr:FFFF0000 bl:FFFF0000 br:FFFF0000");
    // Under the number a dark copy of it, a little off: it reads on a red blast too.
    ASSERT_EQ(room.popupWindow(2)->getChildCount(), 2u);
    CEGUI::Window* shadow = room.popupWindow(2)->getChildAtIdx(1);
    EXPECT_EQ(shadow->getText(), "-5");
    EXPECT_EQ(shadow->getProperty("TextColours"), "tl:E0000000 tr:E0000000 bl:E0000000 br:E0000000");
    EXPECT_GT(shadow->getXPosition().d_offset, 0.0f);
    EXPECT_GT(shadow->getYPosition().d_offset, 0.0f);
    EXPECT_GT(room.popupWindow(2)->getChildAtIdx(0)->getZIndex(), shadow->getZIndex()); // drawn over it
    EXPECT_EQ(room.popupWindow(0)->getParent(), core::GuiSystem::getSingleton().getRootWindow());

    advance(0.5);
    CEGUI::Window* w = room.popupWindow(0);
    const float wr = w->getWidth().d_offset / 1024.f, hr = w->getHeight().d_offset / 768.f;
    EXPECT_NEAR(positionOf(0).d_x.d_scale, 0.5f - wr / 2, 1e-4);
    EXPECT_NEAR(positionOf(0).d_y.d_scale, 1 - (0.5f + hr + 0.05f), 1e-4); // risen a tenth of the screen per second
    advance(1.0);
    EXPECT_NEAR(positionOf(0).d_y.d_scale, 1 - (0.5f + hr + 0.15f), 1e-4);

    advance(0.6); // 2.1 s after they appeared
    EXPECT_EQ(room.popupCount(), 0u);
    EXPECT_EQ(core::GuiSystem::getSingleton().getRootWindow()->getChildCount(), 0u);
}

TEST_F(RoomFixture, DelayedPopupStaysHiddenAndAnExpiredOneWaitsBehindALiveOne)
{
    room.showNumberEx(1, zrk::BasicRoom::kDefaultColours, Ogre::Vector3::ZERO, 0.f, 1.0f); // shown from 1.0 s
    room.showNumberEx(2, zrk::BasicRoom::kDefaultColours, Ogre::Vector3::ZERO, 0.f, 0.f);  // from 0 s
    room.showNumberEx(3, zrk::BasicRoom::kDefaultColours, Ogre::Vector3::ZERO, 0.f, 1.5f); // from 1.5 s
    EXPECT_FALSE(room.popupWindow(0)->isVisible());
    EXPECT_TRUE(room.popupWindow(1)->isVisible());
    advance(0.5);
    EXPECT_FALSE(room.popupWindow(0)->isVisible());
    advance(0.6);
    EXPECT_TRUE(room.popupWindow(0)->isVisible());
    EXPECT_FALSE(room.popupWindow(2)->isVisible());

    advance(1.4); // 2.5 s: only the middle one is over; its window goes, its record waits
    ASSERT_EQ(room.popupCount(), 3u);
    EXPECT_NE(room.popupWindow(0), nullptr);
    EXPECT_EQ(room.popupWindow(1), nullptr);
    EXPECT_TRUE(room.popupWindow(2)->isVisible());
    advance(0.6); // 3.1 s: the first is over too; both leave together
    ASSERT_EQ(room.popupCount(), 1u);
    EXPECT_EQ(labelOf(0), "+3");
}

TEST_F(RoomFixture, AnchoredPopupFollowsTheCameraProjectionAndHidesBehindIt)
{
    Ogre::Camera* camera = room.getCamera();
    ASSERT_NE(camera, nullptr);
    const Ogre::Vector3 target(0, 30, 0); // where the window's camera looks
    room.showNumber(7, target);
    room.showNumber(8, Ogre::Vector3(0, 60, 1000)); // behind the camera
    advance(0.1);
    CEGUI::Window* w = room.popupWindow(0);
    const float wr = w->getWidth().d_offset / 1024.f, hr = w->getHeight().d_offset / 768.f;
    EXPECT_NEAR(positionOf(0).d_x.d_scale, 0.5f - wr / 2, 1e-3);
    EXPECT_NEAR(positionOf(0).d_y.d_scale, 1 - (0.5f + hr + 0.01f), 1e-3);
    EXPECT_EQ(positionOf(1), CEGUI::UVector2(CEGUI::UDim(-1, 0), CEGUI::UDim(-1, 0)));

    // Turn round: the second anchor comes into view, the first leaves it.
    camera->getParentSceneNode()->lookAt(Ogre::Vector3(0, 60, 1000), Ogre::Node::TS_WORLD);
    advance(0.1);
    EXPECT_EQ(positionOf(0), CEGUI::UVector2(CEGUI::UDim(-1, 0), CEGUI::UDim(-1, 0)));
    EXPECT_GT(positionOf(1).d_x.d_scale, 0.f);
    EXPECT_LT(positionOf(1).d_x.d_scale, 1.f);
    camera->getParentSceneNode()->lookAt(target, Ogre::Node::TS_WORLD);
}

TEST_F(RoomFixture, LeavingTheSceneTakesPopupsLightsAndEffectsDown)
{
    Ogre::SceneManager* sm = room.getSceneManager();
    ASSERT_NE(room.getMainLight(), nullptr);
    EXPECT_EQ(room.getMainLight()->getType(), Ogre::Light::LT_DIRECTIONAL);
    EXPECT_EQ(room.getMainLight()->getDerivedDirection(), Ogre::Vector3(0, 0, -1));
    EXPECT_EQ(room.getBackLight()->getDerivedDirection(), Ogre::Vector3(0, 0, 1));
    EXPECT_EQ(sm->getAmbientLight(), Ogre::ColourValue(1, 1, 0.8f, 1));
    room.showNumber(3);
    ASSERT_NE(
        room.addSceneEffect("eff_boom", -1, Ogre::Quaternion::IDENTITY, Ogre::Vector3::UNIT_SCALE, Ogre::Vector3::ZERO),
        -1);

    room.onExit();
    EXPECT_EQ(room.popupCount(), 0u);
    EXPECT_EQ(room.sceneEffectCount(), 0u);
    EXPECT_EQ(room.getMainLight(), nullptr);
    EXPECT_FALSE(sm->hasLight("testroom/mainLight"));
    EXPECT_EQ(room.getScene(), nullptr);
    EXPECT_EQ(core::GuiSystem::getSingleton().getRootWindow()->getChildCount(), 0u);
    room.onEnter(""); // the fixture leaves again
}

TEST_F(RoomFixture, EffectsExpireOnTheClockAndGoByIdAndByTag)
{
    const Ogre::Quaternion q = Ogre::Quaternion::IDENTITY;
    const Ogre::Vector3 one = Ogre::Vector3::UNIT_SCALE;
    const long timed = room.addSceneEffect("eff_boom", 5.f, q, one, Ogre::Vector3(1, 2, 3));
    const long lasting = room.addSceneEffect("eff_boom", -1.f, q, one, Ogre::Vector3::ZERO);
    const long hitA = room.addSceneEffect("hit", "eff_boom", -1.f, q, one, Ogre::Vector3::ZERO);
    const long hitB = room.addSceneEffect("hit", "eff_boom", 0.f, q, one, Ogre::Vector3::ZERO);
    for (long id : {timed, lasting, hitA, hitB})
        ASSERT_NE(id, -1);
    EXPECT_EQ(site().size(), 4u);
    EXPECT_EQ(site().getItemNode(timed, "")->getPosition(), Ogre::Vector3(1, 2, 3));

    advance(5.0);
    EXPECT_EQ(room.sceneEffectCount(), 4u); // not yet past its time
    advance(0.1);
    EXPECT_EQ(room.sceneEffectCount(), 3u);
    EXPECT_EQ(site().getItemNode(timed, ""), nullptr);

    room.removeSceneEffectsByTag("hit");
    EXPECT_EQ(room.sceneEffectCount(), 1u);
    EXPECT_EQ(site().size(), 1u);
    room.removeSceneEffect(hitA);     // already gone: nothing happens
    room.removeSceneEffectsByTag(""); // the untagged one
    EXPECT_EQ(room.sceneEffectCount(), 0u);
    EXPECT_EQ(site().size(), 0u);
    (void)lasting;
}

TEST_F(RoomFixture, MissingDocumentFailsWithoutUsingAnItemNumber)
{
    const Ogre::Quaternion q = Ogre::Quaternion::IDENTITY;
    const long first = room.addSceneEffect("eff_boom", -1, q, Ogre::Vector3::UNIT_SCALE, Ogre::Vector3::ZERO);
    EXPECT_EQ(room.addSceneEffect("eff_not_fetched", -1, q, Ogre::Vector3::UNIT_SCALE, Ogre::Vector3::ZERO), -1);
    const long second = room.addSceneEffect("eff_boom", -1, q, Ogre::Vector3::UNIT_SCALE, Ogre::Vector3::ZERO);
    const std::string a = site().getItemName(first), b = site().getItemName(second);
    ASSERT_EQ(a.size(), std::string("__event_eff00000000").size());
    EXPECT_EQ(a.substr(0, 11), "__event_eff");
    EXPECT_EQ(std::stoul(b.substr(11), nullptr, 16), std::stoul(a.substr(11), nullptr, 16) + 1);
    EXPECT_EQ(room.sceneEffectCount(), 2u);
}

TEST_F(RoomFixture, FollowingEffectMovesWithItsNodeAndGoesWithIt)
{
    Ogre::SceneManager* sm = room.getSceneManager();
    Ogre::SceneNode* hero = sm->getRootSceneNode()->createChildSceneNode("hero_node", Ogre::Vector3(10, 0, 0));
    EXPECT_EQ(room.addSceneEffectAtNode("t", "eff_boom", -1, "no_such_node", true), -1);
    const long fixed = room.addSceneEffectAtNode("t", "eff_boom", -1, "hero_node", false);
    const long follow = room.addSceneEffectAtNode("t", "eff_boom", -1, "hero_node", true);
    ASSERT_NE(follow, -1);
    hero->setPosition(20, 5, 0);
    advance(0.1);
    EXPECT_EQ(site().getItemNode(follow, "")->getPosition(), Ogre::Vector3(20, 5, 0));
    EXPECT_EQ(site().getItemNode(fixed, "")->getPosition(), Ogre::Vector3(10, 0, 0));

    sm->destroySceneNode(hero);
    advance(0.1);
    EXPECT_EQ(room.sceneEffectCount(), 1u); // the fixed one stays
    EXPECT_EQ(site().getItemNode(follow, ""), nullptr);
    EXPECT_EQ(site().size(), 1u);
}

TEST(BasicRoomSession, RoomMessagesAndConnectionReachTheRoomOnlyWhileItsSceneExists)
{
    roomtest::HeadlessGraphics gfx;
    zrk::ZRKSession session(zrk::ZRKGameServer::start("res/server"));
    RecordingRoom room;
    room.onEnter("");
    session.login("hero", "hero123", [](core::ISession*, int) {});
    session.update(0);
    ASSERT_TRUE(session.isOnline());
    const std::string r1 = session.decorateRoom("r1");
    session.getMsgClient()->receiveRoomMessage(r1, "hello");
    session.update(0);
    session.dropConnection(2);
    room.onExit();
    session.getMsgClient()->receiveRoomMessage(r1, "too late");
    session.update(0);
    const std::vector<std::string> expected = {r1 + ": hello", "connection 2"};
    EXPECT_EQ(room.seen, expected);
}

TEST(BasicRoomGui, EachFrameDrainsTheEventIdQueueAndStepsTheAnimator)
{
    roomtest::ManualClock clock;
    roomtest::HeadlessGraphics gfx;
    RecordingRoom room;
    {
        roomtest::LogCapture log;
        room.onEnter("");
        EXPECT_EQ(room.getGuiManager(), nullptr);
        EXPECT_EQ(log.count("room", "no GUI manager: the GUI is not stepped in testroom"), 1u);
        room.onFrame(0.1f); // nothing to pump, nothing breaks
        room.onExit();
    }
    zrk::ZRKGuiLoader loader;
    loader.loadFrom((zrktest::binFolder() + "/libZRK_Gui.so").c_str());
    ASSERT_FALSE(loader.isNull());
    room.onEnter("");
    zrk::gui::IGuiManager* manager = room.getGuiManager();
    ASSERT_NE(manager, nullptr);
    ASSERT_EQ(room.getGuiFrameObject(), manager->getAnimator());
    zrk::gui::IGuiControl* control = manager->getControl();
    const int updatesBefore = control->callCount("animator.update");
    manager->getEventIdQueue()->push(17, 0.f);
    manager->getEventIdQueue()->push(18, 0.f);
    manager->getEventIdQueue()->push(19, 1.f);
    room.onFrame(0.1f);
    EXPECT_EQ(control->handledIds(), (std::vector<int>{17, 18}));
    EXPECT_EQ(control->callCount("animator.update"), updatesBefore + 1);
    room.onFrame(1.0f);
    EXPECT_EQ(control->handledIds(), (std::vector<int>{17, 18, 19}));
    room.onExit();
    EXPECT_EQ(room.getGuiManager(), nullptr);
    manager->shutdown();
}

TEST_F(RoomFixture, PlacingAShapedEffectKeepsTheShapesOwnSize)
{
    // A post of 1.2 x 8 units standing on the place it marks, whatever the effect's scale.
    core::ProductManager::DocumentPtr post(new core::SceneDocument);
    post->name = "post";
    post->shape = "cube";
    post->size[0] = post->size[2] = 0.012f;
    post->size[1] = 0.08f;
    core::ProductManager::instance().addDocument(post);
    const long id = room.addSceneEffect("post", -1.f, Ogre::Quaternion::IDENTITY, Ogre::Vector3::UNIT_SCALE,
                                        Ogre::Vector3(10, 2, 0));
    ASSERT_NE(id, -1);
    const Ogre::AxisAlignedBox box = itemBox(id);
    Ogre::SceneNode* item = site().getItemNode(id, "");
    ASSERT_NE(item, nullptr);
    // (the engine pads a shape's bounds by a few hundredths)
    EXPECT_NEAR(box.getSize().y, 8.0f, 0.2f);
    EXPECT_NEAR(box.getSize().x, 1.2f, 0.05f);
    EXPECT_NEAR(box.getMinimum().y, 2.0f, 0.1f); // it stands on the place, not half under it
    EXPECT_EQ(item->getPosition(), Ogre::Vector3(10, 2, 0));
}

TEST_F(RoomFixture, AProductNobodyHasShowsAMarkSmallerThanTheEffectItStandsFor)
{
    // "eff_boom" has neither mesh nor shape, as a product whose file was missing: a blast of
    // radius 20 (scale 2) is marked by a ball two units across, standing on the place.
    const long id = room.addSceneEffect("eff_boom", -1.f, Ogre::Quaternion::IDENTITY, Ogre::Vector3(2, 2, 2),
                                        Ogre::Vector3(0, 5, 0));
    ASSERT_NE(id, -1);
    const Ogre::AxisAlignedBox box = itemBox(id);
    ASSERT_FALSE(box.isNull());
    EXPECT_LE(box.getSize().x, 2.0f * core::BasicSite::kPlaceholderSize + 0.2f);
    EXPECT_LE(box.getSize().y, 2.0f * core::BasicSite::kPlaceholderSize + 0.2f);
    EXPECT_NEAR(box.getMinimum().y, 5.0f, 0.2f);
}

TEST_F(RoomFixture, AMarkOfAProductNobodyHasIsNeverWiderThan64PixelsOnScreen)
{
    // A blast of radius 200 (scale 20) marked 20 units across, 40 units before a camera of
    // 45 degrees on a view 768 pixels high: drawn at its own size it would be ~450 pixels.
    const long id = room.addSceneEffect("eff_boom", -1.f, Ogre::Quaternion::IDENTITY, Ogre::Vector3(20, 20, 20),
                                        Ogre::Vector3(0, 0, 0));
    ASSERT_NE(id, -1);
    Ogre::SceneManager* sm = room.getSceneManager();
    ASSERT_NE(sm, nullptr);
    Ogre::Camera* camera = sm->createCamera("mark_camera");
    Ogre::SceneNode* eye = sm->getRootSceneNode()->createChildSceneNode(Ogre::Vector3(0, 10, 40));
    eye->attachObject(camera);
    camera->setFOVy(Ogre::Degree(45));
    eye->_update(true, false);
    const float perUnit = 768.0f / (2.0f * std::tan(Ogre::Degree(22.5f).valueRadians()));
    const auto pixelsAcross = [&] {
        const Ogre::AxisAlignedBox box = itemBox(id);
        const float depth = -(camera->getViewMatrix(true) * box.getCenter()).z;
        return box.getSize().x * perUnit / depth;
    };
    EXPECT_EQ(site().fitPlaceholders(*camera, 768.0f), 1);
    EXPECT_LE(pixelsAcross(), core::BasicSite::kPlaceholderMostPixels + 1.0f);
    EXPECT_GT(pixelsAcross(), core::BasicSite::kPlaceholderMostPixels - 8.0f); // still seen
    EXPECT_NEAR(itemBox(id).getMinimum().y, 0.0f, 0.2f);                       // standing on its place
    // Far away the mark keeps its own size: 20 units, within the blast it stands for.
    eye->setPosition(0, 10, 4000);
    eye->_update(true, false);
    EXPECT_EQ(site().fitPlaceholders(*camera, 768.0f), 0);
    EXPECT_NEAR(itemBox(id).getSize().x, 20.0f, 0.5f);
    sm->destroySceneNode(eye);
    sm->destroyCamera(camera);
}
