#include <cmath>
#include <limits>
#include <yake/Logger.h>
#include "LandTestKit.h"

namespace landtest {

namespace {
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

bool logged(const std::string& part)
{
    for (const auto& r : yake::logging::logger::instance().captured())
        if (r.channel == "land" && r.text.find(part) != std::string::npos)
            return true;
    return false;
}

struct Capture {
    Capture() { yake::logging::logger::instance().startCapture(); }
    ~Capture() { yake::logging::logger::instance().stopCapture(); }
};
} // namespace

// Aiming arguments that are not numbers, endless or absurd are refused and change nothing.
TEST_F(LandFixture, BadAimingArgumentsAreRefused)
{
    auto land = myTurn(duel(31));
    ZRKPlayerSim* me = land->getMyDoll();
    const Vector3 gun = me->getPosition() + Vector3(0, 3, 0), target = land->getDoll("foe")->getPosition();
    const Vector3 untouched(1, 2, 3);
    Vector3 v = untouched;
    EXPECT_FALSE(land->_calcProjectileV(me, "1", kNaN, 5.0f, gun, target, true, v));
    EXPECT_FALSE(land->_calcProjectileV(me, "1", 0.7f, kInf, gun, target, true, v));
    EXPECT_FALSE(land->_calcProjectileV(me, "1", 0.7f, 5.0f, Vector3(kNaN, 0, 0), target, true, v));
    EXPECT_FALSE(land->_calcProjectileV(me, "1", 0.7f, 5.0f, gun, Vector3(1e30f, 0, 0), true, v));
    EXPECT_FALSE(land->_calcProjectileV(me, "1", 40.0f, 5.0f, gun, target, true, v));
    EXPECT_EQ(v, untouched);
    EXPECT_EQ(land->_targetUnderTrajectory(gun, target, kNaN, 120.0f), TRAJECTORY_TOO_FAR);
    EXPECT_EQ(land->_targetUnderTrajectory(gun, target, 0.7f, kInf), TRAJECTORY_TOO_FAR);
    EXPECT_EQ(land->_targetUnderTrajectory(gun, Vector3(kInf, 0, 0), 0.7f, 120.0f), TRAJECTORY_TOO_FAR);

    const float heading = me->getHeading();
    EXPECT_FALSE(me->lookAt(Vector3(kNaN, 0, 0)));
    EXPECT_FALSE(me->lookAt(Vector3(1e30f, 0, 0)));
    EXPECT_FALSE(me->yaw(kInf));
    EXPECT_FALSE(me->yaw(1e20f));
    EXPECT_EQ(me->getHeading(), heading);
    EXPECT_FALSE(me->pitching2(91));
    EXPECT_FALSE(me->pitching2(-1));
    EXPECT_EQ(me->getPlayerBattle().pitch, 45);
    me->promptForce(0.5f);
    EXPECT_FALSE(me->promptForce(kNaN));
    EXPECT_EQ(me->getPlayerBattle().markForce, 500);
    EXPECT_TRUE(me->promptForce(7.0f)); // a share above 1 is a full charge
    EXPECT_EQ(me->getPlayerBattle().markForce, static_cast<int>(DollConstants::CTRL_FORCE_MAX));
    EXPECT_EQ(land->launchShell("me", Vector3(kNaN, 0, 0), Vector3()), 0);
    me->setEnergyConsumeFactor(kNaN);
    EXPECT_EQ(me->getEnergyConsumeFactor(), 1.0f);
}

// A frame time that is not a number, negative or huge runs no step or at most 25.
TEST_F(LandFixture, BadFrameTimesAreClamped)
{
    auto land = myTurn(duel(32));
    const std::uint64_t steps = land->getSteps();
    const std::uint64_t hash = land->stateHash();
    frame(*land, kNaN);
    frame(*land, -5.0f);
    frame(*land, -kInf);
    frame(*land, kInf);
    EXPECT_EQ(land->getSteps(), steps);
    EXPECT_EQ(land->stateHash(), hash);
    frame(*land, 1e9f);
    EXPECT_EQ(land->getSteps(), steps + DollConstants::MAX_STEPS_PER_FRAME);
    frame(*land, 0.0f);
    EXPECT_EQ(land->getSteps(), steps + DollConstants::MAX_STEPS_PER_FRAME); // the excess was dropped
}

// Health stays within 0 and its maximum whatever hits, heals or writes it.
TEST_F(LandFixture, HealthStaysInBounds)
{
    auto land = myTurn(duel(33));
    ZRKPlayerSim* me = land->getMyDoll();
    ZRKPlayerSim* foe = land->getDoll("foe");
    me->getBattle().hp = 100000;
    foe->getBattle().hp = -50;
    frame(*land, 0.01f);
    EXPECT_EQ(me->getBattle().hp, me->getBattle().xhp);
    EXPECT_EQ(foe->getBattle().hp, 0);
    me->getBattle().hp = 10;
    ASSERT_TRUE(me->useProp(0));
    ASSERT_TRUE(me->useSkill(1));
    EXPECT_LE(me->getBattle().hp, me->getBattle().xhp);
    ZRKBattleState b;
    b.xhp = -3;
    b.hp = 7;
    b.sp = -1;
    b.clamp();
    EXPECT_EQ(b.xhp, 0);
    EXPECT_EQ(b.hp, 0);
    EXPECT_EQ(b.sp, 0);
}

// Map and item records missing, mistyped or absurd: the defaults, and a log line each.
TEST_F(LandFixture, BadRecordsGiveDefaultsAndALogLine)
{
    Capture capture;
    auto r = duel(34, "77"); // no such map
    Json::Value broken(Json::objectValue);
    broken["i_speed"] = "fast";
    broken["i_damage"] = 1e12;
    broken["i_radius"] = Json::Value(Json::arrayValue);
    r->setItem("1", broken);
    r->setItem("2", Json::Value("not a record"));
    auto land = makeLand(r);
    ASSERT_TRUE(land->create());
    EXPECT_TRUE(logged("no map record for place \"77\""));
    EXPECT_TRUE(logged("i_speed"));
    EXPECT_TRUE(logged("i_damage"));
    EXPECT_TRUE(logged("item 2 has no record"));
    const WeaponState* w = land->getMyDoll()->getCurrentWeaponState();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->speed, 120.0f);
    EXPECT_EQ(w->damage, 300);
    EXPECT_EQ(w->radius, 20.0f);
    EXPECT_EQ(land->getHeightField().getSize(), 480.0f);
    EXPECT_EQ(land->getMapInfo().getStringVal("music", "music_bg0.mp3"), "music_bg0.mp3");

    Json::Value maps(Json::objectValue);
    maps["5"]["terrain"]["size"] = "huge";
    maps["5"]["terrain"]["cells"] = -4;
    maps["5"]["spawns"] = "everywhere";
    maps["5"]["nodes"]["T1"] = "here";
    auto r2 = duel(35, "5");
    r2->setMaps(maps);
    auto land2 = makeLand(r2);
    ASSERT_TRUE(land2->create());
    EXPECT_TRUE(logged("terrain/size"));
    EXPECT_TRUE(logged("terrain/cells"));
    EXPECT_TRUE(logged("spawns is not a record"));
    EXPECT_TRUE(logged("node T1"));
    EXPECT_EQ(land2->_getNodeMovable("T1"), nullptr);
    for (const auto& d : land2->getAllDoll())
        EXPECT_GE(d.second->getPosition().y, land2->getHeightField().getWater());
}

// No room, no seats, a player with no seat, a broken seed: no battle, or a default.
TEST_F(LandFixture, CreateNeedsARoomAndASeat)
{
    Capture capture;
    ZRKLand none(nullptr);
    EXPECT_FALSE(none.create());
    EXPECT_TRUE(logged("no room state"));

    auto empty = boost::make_shared<LandBotRoom>();
    empty->setMyPlayerId("me");
    auto land = makeLand(empty);
    EXPECT_FALSE(land->create());
    EXPECT_TRUE(logged("no seated players"));

    auto stranger = duel(36);
    stranger->setMyPlayerId("stranger");
    EXPECT_FALSE(makeLand(stranger)->create());
    EXPECT_TRUE(logged("\"stranger\" has no seat"));

    auto badSeed = duel(37);
    badSeed->setValue("seed", "twelve");
    badSeed->setValue("wind", "a lot");
    auto seeded = makeLand(badSeed);
    ASSERT_TRUE(seeded->create());
    EXPECT_EQ(seeded->getSetup().seed, 1u);
    EXPECT_EQ(seeded->getWindPower(), 0.0f);
    EXPECT_TRUE(logged("seed \"twelve\""));
    EXPECT_FALSE(seeded->create()); // once only
}

} // namespace landtest
