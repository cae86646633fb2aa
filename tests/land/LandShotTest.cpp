#include <cmath>
#include <land/Ballistics.h>
#include "LandTestKit.h"

namespace landtest {

namespace {
float radians(int degrees) { return degrees * 3.14159265f / 180.0f; }
} // namespace

// The velocity the land works out, fired the way a player fires (whole degrees of pitch, a
// force word), comes down on the target, in the wind.
TEST_F(LandFixture, CalculatedVelocityFiredHitsItsTarget)
{
    auto r = duel(11);
    r->setValue("wind", "5 0 -3");
    auto land = myTurn(r);
    ZRKPlayerSim* me = land->getMyDoll();
    ZRKPlayerSim* foe = land->getDoll("foe");
    ASSERT_GT(land->getWindPower(), 5.0f);
    Vector3 gun;
    yake::math::Quaternion orientation;
    me->getGunPoint(gun, orientation);
    const Vector3 target = foe->getPosition();
    const float speed = 120.0f * DollConstants::HIT_FACTOR_BULLET_SPEED;
    Vector3 v;
    int pitch = -1;
    for (int p = 30; p <= 80 && pitch < 0; p += 5)
        if (land->_targetUnderTrajectory(gun, target, radians(p), speed) == TRAJECTORY_REACHABLE &&
            land->_calcProjectileV(me, "1", radians(p), DollConstants::GUN_MUZZLE, gun, target, true, v))
            pitch = p;
    ASSERT_GE(pitch, 0);
    EXPECT_NEAR(std::atan2(v.y, std::sqrt(v.x * v.x + v.z * v.z)), radians(pitch), 1e-3);
    const float share =
        (v.length() / speed - DollConstants::CTRL_FORCE_F_V_MIN) / (1 - DollConstants::CTRL_FORCE_F_V_MIN);
    ASSERT_TRUE(me->pitching2(pitch));
    ASSERT_TRUE(me->lookAt(me->getPosition() + Vector3(v.x, 0, v.z)));
    me->getPlayerBattle().force = static_cast<int>(std::lround(share * DollConstants::CTRL_FORCE_MAX));
    land->takeBlasts();
    ASSERT_TRUE(me->fireNow());
    EXPECT_FALSE(me->fireNow()); // one shot a turn
    std::vector<ZRKLand::Blast> blasts;
    ASSERT_TRUE(runUntil(
        *land,
        [&] {
            blasts = land->takeBlasts();
            return !blasts.empty();
        },
        20.0f));
    // It came down on the foe: on its body or at its feet.
    EXPECT_LT(blasts[0].position.distance(target), DollConstants::HIT_ACTOR_OFFSET + DollConstants::HIT_ACTOR_RADIUS);
    EXPECT_LT(foe->getBattle().hp, foe->getBattle().xhp);
    EXPECT_EQ(me->getPlayerBattle().hits, 1);

    // Beyond the weapon's full force there is no velocity to give.
    EXPECT_FALSE(land->_calcProjectileV(me, "1", radians(10), 5.0f, gun, gun + Vector3(5000, 0, 0), false, v));
}

// Damage falls off linearly from the blast's centre to its radius; a direct hit is perfect.
TEST_F(LandFixture, DamageFallsOffLinearlyOverTheRadius)
{
    for (float offset : {0.0f, 6.0f, 12.0f, 18.0f, 26.0f}) {
        // A fresh field each time: an earlier crater would let the foe sink towards the next.
        auto land = myTurn(duel(3));
        ZRKPlayerSim* foe = land->getDoll("foe");
        const Vector3 centre = foe->getPosition() + Vector3(0, DollConstants::HIT_ACTOR_OFFSET, 0);
        const WeaponState* cannon = land->getMyDoll()->getCurrentWeaponState();
        ASSERT_TRUE(cannon);
        mSeen.clear();
        ASSERT_GT(land->launchShell("me", centre + Vector3(offset, 40, 0), Vector3(0, -30, 0)), 0);
        std::vector<ZRKLand::Blast> blasts;
        ASSERT_TRUE(runUntil(
            *land,
            [&] {
                blasts = land->takeBlasts();
                return !blasts.empty();
            },
            10.0f));
        const float d = offset == 0.0f ? 0.0f : blasts[0].position.distance(centre);
        const int lost = foe->getBattle().xhp - foe->getBattle().hp;
        if (d >= cannon->radius) {
            EXPECT_EQ(lost, 0) << offset;
            continue;
        }
        auto hits = seen(LandEventId::Hit);
        ASSERT_EQ(hits.size(), 1u) << offset;
        const int flags = hits[0].params.getIntVal("hit", 0);
        const float expected = cannon->damage * (1 - d / cannon->radius) * ((flags & HIT_CRITICAL) ? 1.5f : 1.0f);
        EXPECT_NEAR(lost, expected, 1.0) << offset;
        EXPECT_EQ(hits[0].params.getIntVal("health", 0), -lost);
        EXPECT_EQ(offset == 0.0f, (flags & HIT_PERFECT) != 0) << offset;
        EXPECT_TRUE(flags & HIT_GOOD);
        EXPECT_EQ(hits[0].params.getStringVal("hitter", ""), "me");
    }
}

// Holding Space charges, letting go fires at the charged force; W walks for energy; A/D and
// Up/Down turn and pitch; 1-9 take weapons.
TEST_F(LandFixture, KeysDriveTheOwnDoll)
{
    auto land = myTurn(duel(5));
    ZRKPlayerSim* me = land->getMyDoll();
    const Vector3 start = me->getPosition();
    const int sp = me->getBattle().sp;
    const float heading = me->getHeading();
    mKeys.injectKeyDown(core::KeyInput::KC_A);
    mKeys.injectKeyDown(core::KeyInput::KC_UP);
    frame(*land, 0.25f);
    mKeys.injectKeyUp(core::KeyInput::KC_A);
    mKeys.injectKeyUp(core::KeyInput::KC_UP);
    EXPECT_NEAR(me->getHeading() - heading, 0.25f * DollConstants::TURN_SPEED, 0.05);
    EXPECT_EQ(me->getPlayerBattle().pitch, 45 + 10);
    mKeys.injectKeyDown(core::KeyInput::KC_W);
    frame(*land, 0.25f);
    frame(*land, 0.25f);
    EXPECT_TRUE(me->isMoving());
    mKeys.injectKeyUp(core::KeyInput::KC_W);
    frame(*land, 0.01f);
    EXPECT_FALSE(me->isMoving());
    EXPECT_GT(me->getPosition().distance(start), 4.0f);
    EXPECT_LT(me->getBattle().sp, sp);

    mKeys.injectKeyDown(core::KeyInput::KC_1 + 1); // weapon 2: the mortar
    frame(*land, 0.01f);
    EXPECT_EQ(me->getPlayerBattle().weapon, 1);
    mKeys.injectKeyUp(core::KeyInput::KC_1 + 1);
    mKeys.injectKeyDown(core::KeyInput::KC_SPACE);
    frame(*land, 0.01f);
    EXPECT_TRUE(me->isCharging());
    frame(*land, 0.25f);
    frame(*land, 0.25f);
    mKeys.injectKeyUp(core::KeyInput::KC_SPACE);
    frame(*land, 0.01f);
    EXPECT_FALSE(me->isCharging());
    EXPECT_NEAR(me->getPlayerBattle().force, DollConstants::CTRL_FORCE_MAX * 0.26f, 15);
    EXPECT_EQ(land->getShells().size(), 1u);
    EXPECT_EQ(me->getCurrentWeaponState()->getCount(), 2);
    EXPECT_TRUE(land->_cameraIsRoaming());

    // Keys while the controller is off go nowhere, and are not kept for later.
    ASSERT_TRUE(runUntil(
        *land, [&] { return land->getActingDoll() == land->getDoll("foe"); }, 30.0f));
    ASSERT_TRUE(runUntil(
        *land, [&] { return land->getActingDoll() == me; }, 90.0f, 0.25f));
    me->getController().enable(false);
    mKeys.injectKeyDown(core::KeyInput::KC_SPACE);
    frame(*land, 0.1f);
    EXPECT_FALSE(me->isCharging());
    me->getController().enable(true);
    frame(*land, 0.1f);
    EXPECT_FALSE(me->isCharging());
}

// Shells of a limited weapon run out; a cool-down keeps it quiet; props and skills work
// once each and are counted.
TEST_F(LandFixture, ShellCountsCoolDownsPropsAndSkills)
{
    auto land = myTurn(duel(9));
    ZRKPlayerSim* me = land->getMyDoll();
    ASSERT_TRUE(me->changeWeapon(1, false)); // the mortar: 3 shells, 10 s cool-down
    WeaponState* mortar = me->getCurrentWeaponState();
    ASSERT_TRUE(mortar && mortar->limited);
    EXPECT_EQ(mortar->getCount(), 3);
    EXPECT_FALSE(me->changeWeapon(7, false)); // an empty slot

    // Props: first aid heals (and is used up), energy refills; the prop event names the slot.
    me->getBattle().hp = 200;
    me->getBattle().sp = 0;
    ASSERT_TRUE(me->useProp(0));
    EXPECT_EQ(me->getBattle().hp, 500);
    EXPECT_FALSE(me->useProp(0));
    ASSERT_TRUE(me->useProp(1));
    EXPECT_EQ(me->getBattle().sp, 500);
    EXPECT_EQ(me->getCurrentPropBag()->findItemByName("First Aid"), PropBag::kNotFound);
    EXPECT_EQ(me->getCurrentPropBag()->findItemByName("Energy Drink"), PropBag::kNotFound);
    EXPECT_EQ(me->getCurrentPropBag()->findItemByName("Ammo Box"), 2u);
    EXPECT_EQ(me->getCurrentPropBag()->addLocalItem(51), 0);
    EXPECT_EQ(me->getCurrentPropBag()->addLocalItem(999), -1);
    frame(*land, 0.01f);
    ASSERT_EQ(seen(LandEventId::PropUsed).size(), 2u);
    EXPECT_EQ(seen(LandEventId::PropUsed)[1].attrs.getAttrAs<int>("prop", -1), 1);
    ASSERT_EQ(seen(LandEventId::Gains).size(), 2u);
    const Seen gains = seen(LandEventId::Gains)[0];
    EXPECT_EQ(gains.attrs.getAttrAs<std::string>("playerId", ""), "me");
    EXPECT_EQ(gains.params.getIntVal("hp", 0), 300);
    EXPECT_EQ(gains.params.getIntVal("sp", -1), 0);
    EXPECT_FALSE(gains.params.getBoolVal("combo", true));
    EXPECT_EQ(seen(LandEventId::Gains)[1].params.getIntVal("sp", 0), 500);

    // Skills: the fury shot needs full fury; the triple shot splits in three.
    EXPECT_FALSE(me->useSkill(3));
    ASSERT_TRUE(me->useSkill(0));
    EXPECT_EQ(me->getSkillStates()[0].num_cur, 1);
    EXPECT_EQ(me->getSkillStates()[0].state, 1);
    EXPECT_FALSE(me->useSkill(0)); // working
    me->getPlayerBattle().force = 500;
    ASSERT_TRUE(me->fireNow());
    EXPECT_EQ(land->getShells().size(), 3u);
    EXPECT_EQ(mortar->getCount(), 2);
    EXPECT_EQ(mortar->shared->busy, 3);
    EXPECT_TRUE(land->getShells()[0].flags & HIT_SPLIT);

    // Next turn of mine: the cool-down still runs: no charging, a "cd_wanted" notice.
    ASSERT_TRUE(runUntil(
        *land, [&] { return land->getActingDoll() == land->getDoll("foe"); }, 30.0f));
    EXPECT_EQ(mortar->shared->busy, 0);
    land->getDoll("foe")->getPlayerBattle().delay = 100000;
    ASSERT_TRUE(runUntil(
        *land, [&] { return land->getActingDoll() == me; }, 30.0f));
    EXPECT_EQ(me->getSkillStates()[0].state, 0);
    if (me->getCurrentWeaponBag()->getCD() > 0) {
        mSeen.clear();
        EXPECT_FALSE(me->holdFire());
        frame(*land, 0.01f);
        ASSERT_FALSE(seen(LandEventId::OwnStatus).empty());
        EXPECT_TRUE(seen(LandEventId::OwnStatus).back().attrs.hasAttr("cd_wanted"));
    }
    // Used up: three shells, then "bullet_wanted".
    mortar->setCount(0);
    mSeen.clear();
    EXPECT_FALSE(me->isArmed());
    EXPECT_FALSE(me->holdFire());
    frame(*land, 0.01f);
    EXPECT_TRUE(seen(LandEventId::OwnStatus).back().attrs.hasAttr("bullet_wanted"));
    mortar->setCount(50);
    EXPECT_EQ(mortar->getCount(), 3); // never above the weapon's number
}

// A full fury bar offers the rage; R starts it (flag SIM_FURY_READY), spending the bar, and the
// next shot is the fury shot. R on a bar not full, or a second R, starts nothing.
TEST_F(LandFixture, TheRageStartsOnRAndNotWhenTheBarFills)
{
    auto land = myTurn(duel(31));
    ZRKPlayerSim* me = land->getMyDoll();
    ZRKBattleState& b = me->getBattle();
    ASSERT_GT(b.xfury, 0);
    b.fury = b.xfury / 2;
    mKeys.injectKeyDown(core::KeyInput::KC_R);
    mKeys.injectKeyUp(core::KeyInput::KC_R);
    frame(*land, 0.01f);
    EXPECT_FALSE(me->isFlagSet(SIM_FURY_READY)); // half a bar: no rage
    b.fury = b.xfury;
    frame(*land, 0.25f);
    EXPECT_FALSE(me->isFlagSet(SIM_FURY_READY)); // full, and still waiting for R
    mSeen.clear();
    mKeys.injectKeyDown(core::KeyInput::KC_R);
    mKeys.injectKeyUp(core::KeyInput::KC_R);
    frame(*land, 0.01f);
    EXPECT_TRUE(me->isFlagSet(SIM_FURY_READY));
    EXPECT_EQ(b.fury, 0);
    EXPECT_FALSE(seen(LandEventId::OwnStatus).empty()); // the bar hears the fury spent
    EXPECT_FALSE(me->startRage());                      // on already
    me->getPlayerBattle().force = 500;
    ASSERT_TRUE(me->fireNow());
    EXPECT_FALSE(me->isFlagSet(SIM_FURY_READY)); // spent on the shot
    // A rage a lesson's script armed starts on R too, whatever the bar holds.
    me->getSimEvent().setAttr("fury", true);
    EXPECT_TRUE(me->startRage());
    EXPECT_FALSE(me->getSimEvent().hasAttr("fury"));
}

} // namespace landtest
