// The sight's choices in a headless GUI, a battle of four (hero, a teammate and two enemies)
// whose figures the test stands where it wants and films with its own camera from above: the
// aim assist's ties, teammates, hold time and four-frame cadence; the direct sight's ray and
// the close sight's fan.
#include <gtest/gtest.h>
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <OgreDefaultHardwareBufferManager.h>
#include <text/CeguiText.h>
#include <land/DollConstants.h>
#include <land/ZRKPlayerSim.h>
#include <scene/BasicPlayer.h>
#include <yake/Quaternion.h>

#include "DisplaysFixture.h"
#include "battle/hud/ZRKBubblePanel.h"
#include "battle/hud/ZRKSightingPanel.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

typedef yake::math::Vector3 V3;

class SightAssistTest : public zrktest::DisplaysFixture {
protected:
    void SetUp() override
    {
        enterAndLoad("bag=1&prev=zrk_personalroom", Json::Value(), 3);
        land = room->getLand();
        ASSERT_NE(land, nullptr);
        me = land->getMyDoll();
        ASSERT_NE(me, nullptr);
        ASSERT_EQ(land->getAllDoll().size(), 4u);
        for (const auto& d : land->getAllDoll()) {
            ZRKPlayerSim* doll = d.second;
            if (doll == me)
                continue;
            if (doll->getColour() == me->getColour())
                mate = doll;
            else
                (first ? second : first) = doll; // map order: the first enemy's id sorts first
        }
        ASSERT_TRUE(mate && first && second);
        // Figures for every doll in a scene graph of the test's own (the headless land has
        // none), the bubbles over them.
        Ogre::MaterialManager::getSingleton().initialise();
        scene = root.createSceneManager();
        for (const auto& d : land->getAllDoll())
            d.second->setPlayerRef(boost::shared_ptr<core::BasicPlayer>(
                new core::BasicPlayer(scene, scene->getRootSceneNode(), "fig_" + d.first)));
        eye = scene->createCamera("assist_eye");
        eyeNode = scene->getRootSceneNode()->createChildSceneNode();
        eyeNode->attachObject(eye);
        eye->setAspectRatio(1280.0f / 720.0f);
        eye->setNearClipDistance(0.1f);
        eye->setFarClipDistance(5000.0f);
        room->updateBubbles();
        for (const auto& d : land->getAllDoll())
            if (auto bubble = BattleRoom::getBubble(*d.second->getPlayerRef()))
                bubble->setCamera(eye);
        sight = room->getSightingPanel();
        ASSERT_NE(sight, nullptr);
        ASSERT_NE(sight->getWindow(), nullptr);
        at = me->getMovable().getPosition();
    }
    void TearDown() override
    {
        // The bubbles and figures go before the scene graph they stand in.
        if (room)
            room->destroyBubbles();
        if (land)
            for (const auto& d : land->getAllDoll())
                d.second->setPlayerRef(boost::shared_ptr<core::BasicPlayer>());
        if (scene)
            root.destroySceneManager(scene);
    }

    /// Stands the doll (and its figure) at the point.
    void stand(ZRKPlayerSim* doll, const V3& p)
    {
        doll->getMovable().setPosition(p);
        doll->getPlayerRef()->getMovable()->setPosition(p.x, p.y, p.z);
    }
    /// The camera high over the point, looking down on it; the bubbles placed anew for it.
    void filmFromAbove(const V3& p)
    {
        eyeNode->setPosition(p.x, p.y + 2000.0f, p.z + 1.0f);
        eyeNode->lookAt(Ogre::Vector3(p.x, p.y, p.z), Ogre::Node::TS_WORLD);
        for (int i = 0; i < 8; ++i) // past any throttle
            for (const auto& d : land->getAllDoll())
                if (auto bubble = BattleRoom::getBubble(*d.second->getPlayerRef()))
                    bubble->update(d.second->getPlayerRef());
    }
    bool locked(ZRKPlayerSim* doll) const { return BattleRoom::getBubble(*doll->getPlayerRef())->isLocked(); }
    /// Land time passes (before the fight it only counts).
    void wait(float seconds)
    {
        for (; seconds > 0.0f; seconds -= 0.5f)
            land->update(std::min(seconds, 0.5f));
    }
    /// Sight updates until the frame count is a multiple of four (the assist may choose again).
    void toCadence()
    {
        while (sight->getFrameCount() % 4 != 0)
            sight->update(0);
    }

    Ogre::LogManager logs;
    Ogre::Log* log = logs.createLog("assist-ogre.log", true, false, true);
    Ogre::Root root{"", "", ""};
    Ogre::DefaultHardwareBufferManager buffers;
    Ogre::SceneManager* scene = nullptr;
    ZRKLand* land = nullptr;
    ZRKPlayerSim* me = nullptr;
    ZRKPlayerSim* mate = nullptr;
    ZRKPlayerSim* first = nullptr;
    ZRKPlayerSim* second = nullptr;
    BattleRoom::ZRKSightingPanel* sight = nullptr;
    Ogre::Camera* eye = nullptr;
    Ogre::SceneNode* eyeNode = nullptr;
    V3 at;
};

} // namespace

TEST_F(SightAssistTest, AnEqualDistanceKeepsTheEarlierEnemyAndATeammateIsNeverChosen)
{
    sight->setMode(1);
    ASSERT_GT(sight->getAssistAllowed(), 0);
    // Both enemies sixty units away on either side, the teammate nearer: all under the sight.
    stand(second, at + V3(-60, 0, 0));
    stand(first, at + V3(60, 0, 0));
    stand(mate, at + V3(0, 0, 5));
    filmFromAbove(at);
    ASSERT_EQ(sight->getFrameCount(), 0);
    sight->update(0);
    EXPECT_TRUE(sight->isPlayerUnderSight());
    for (ZRKPlayerSim* doll : {first, second, mate}) // each one's distance shown: all under the sight
        EXPECT_TRUE(BattleRoom::getBubble(*doll->getPlayerRef())->part("arrow")->isVisible()) << doll->getId();
    EXPECT_EQ(sight->getAutoChargeTarget(), first);
    EXPECT_TRUE(locked(first));
    EXPECT_FALSE(locked(second));
    EXPECT_FALSE(locked(mate));
    EXPECT_GT(me->getPlayerBattle().markForce, 0); // the force that reaches him is prompted
    EXPECT_TRUE(sight->part("bottom/auto")->isVisible());
    EXPECT_EQ(gui::fromCeguiString(sight->part("status")->getProperty("Image")), "chars/sighting_range");

    // Only the teammate under the sight: the look stays active, nobody is chosen.
    stand(first, at + V3(2000, 0, 0));
    stand(second, at + V3(-2000, 0, 0));
    filmFromAbove(at);
    wait(1.5f);
    toCadence();
    sight->update(0);
    EXPECT_TRUE(sight->isPlayerUnderSight());
    EXPECT_EQ(sight->getAutoChargeTarget(), nullptr);
    EXPECT_FALSE(sight->part("bottom/auto")->isVisible());
    EXPECT_FALSE(locked(first) || locked(second) || locked(mate));
    EXPECT_EQ(gui::fromCeguiString(sight->getWindow()->getProperty("Image")), "sighting/active12");
}

TEST_F(SightAssistTest, AChoiceHoldsForASecondOfLandTimeAndIsMadeAgainOnlyEveryFourthFrame)
{
    sight->setMode(1);
    stand(first, at + V3(10, 0, 0));
    stand(second, at + V3(-20, 0, 0));
    stand(mate, at + V3(0, 0, 2000));
    filmFromAbove(at);
    sight->update(0);
    ASSERT_EQ(sight->getAutoChargeTarget(), first);

    // The other enemy comes nearer: within the hold, every frame keeps the first choice.
    stand(second, at + V3(-5, 0, 0));
    filmFromAbove(at);
    for (int i = 0; i < 8; ++i) {
        sight->update(0);
        EXPECT_EQ(sight->getAutoChargeTarget(), first) << "frame " << i;
    }
    EXPECT_TRUE(locked(first));
    // The hold is over, but the assist chooses only on a frame count that is a multiple of four.
    wait(1.1f);
    sight->update(0); // frame 9: not yet
    EXPECT_EQ(sight->getAutoChargeTarget(), first);
    toCadence();
    EXPECT_EQ(sight->getFrameCount(), 12);
    EXPECT_EQ(sight->getAutoChargeTarget(), first);
    sight->update(0);
    EXPECT_EQ(sight->getAutoChargeTarget(), second);
    EXPECT_TRUE(locked(second));
    EXPECT_FALSE(locked(first));

    // Nobody under the sight when the next choice comes: the lock goes, the look is normal.
    stand(second, at + V3(-2000, 0, 0));
    stand(first, at + V3(2000, 0, 0));
    filmFromAbove(at);
    wait(1.1f);
    toCadence();
    sight->update(0);
    EXPECT_FALSE(sight->isPlayerUnderSight());
    EXPECT_EQ(sight->getAutoChargeTarget(), nullptr);
    EXPECT_FALSE(locked(first) || locked(second));
    EXPECT_FALSE(sight->part("bottom")->isVisible());
}

TEST_F(SightAssistTest, TheDirectSightSeesWhoStandsOnTheGunsRayAndChoosesNobody)
{
    sight->setMode(2);
    EXPECT_FLOAT_EQ(sight->getWindow()->getWidth().d_offset, 64.0f);
    for (ZRKPlayerSim* doll : {first, second, mate})
        stand(doll, at + V3(0, 0, 3000));
    sight->update(0);
    EXPECT_FALSE(sight->isPlayerUnderSight());
    EXPECT_EQ(gui::fromCeguiString(sight->getWindow()->getProperty("Image")), "sighting/normal22");

    // An enemy whose body's middle is on the ray, twenty units out.
    V3 gun;
    yake::math::Quaternion turn;
    me->getGunPoint(gun, turn);
    stand(second, gun + turn * V3::UNIT_Z * 20.0f - V3(0, DollConstants::HIT_ACTOR_OFFSET, 0));
    sight->update(0);
    EXPECT_TRUE(sight->isPlayerUnderSight());
    EXPECT_FALSE(sight->isNpcUnderSight());
    EXPECT_EQ(gui::fromCeguiString(sight->getWindow()->getProperty("Image")), "sighting/active22");
    // The direct sight never chooses: no lock, no automatic charge.
    EXPECT_EQ(sight->getAutoChargeTarget(), nullptr);
    EXPECT_FALSE(locked(second));
    me->setAutoCharging(true);
    sight->update(0);
    EXPECT_FALSE(me->isAutoCharging());
}

TEST_F(SightAssistTest, TheCloseSightSeesWhoStandsInTheFanWithinTheWeaponsRange)
{
    sight->setMode(3);
    EXPECT_FLOAT_EQ(sight->getWindow()->getWidth().d_offset, 64.0f);
    const float range = me->getCurrentWeaponSetting().getRealVal("i_shot_range", 0.001f);
    ASSERT_GT(range, 4.0f);
    const V3 ahead = me->getMovable().getFacing();
    const V3 side(ahead.z, 0, -ahead.x); // a right angle off the facing: outside any fan narrower than 180 degrees
    for (ZRKPlayerSim* doll : {first, second, mate})
        stand(doll, at + side * (range / 2));
    sight->update(0);
    EXPECT_FALSE(sight->isPlayerUnderSight());

    // Straight ahead but out of range: not seen; within range: seen, a teammate too.
    stand(mate, at + ahead * (range + 2.0f));
    sight->update(0);
    EXPECT_FALSE(sight->isPlayerUnderSight());
    stand(mate, at + ahead * (range / 2));
    sight->update(0);
    EXPECT_TRUE(sight->isPlayerUnderSight());
    EXPECT_EQ(gui::fromCeguiString(sight->getWindow()->getProperty("Image")), "sighting/active32");
    EXPECT_EQ(sight->getAutoChargeTarget(), nullptr);
    EXPECT_FALSE(locked(mate));
}
