// Roles dressed in a headless scene, their registry, idle actions and the one-off effect.
#include <Ogre.h>
#include <random>
#include <scene/BasicPlayer.h>
#include <scene/GrafixScene.h>
#include <scene/ProductManager.h>
#include <yake/Math.h>

#include "RoomTestKit.h"
#include "rooms/RoleManager.h"

using namespace kavri3D;
using zrk::RoleManager;
using zrk::ZRKRole;

namespace {

std::vector<std::string> itemsOf(const core::EquipmentList& list)
{
    std::vector<std::string> names;
    for (const core::Equipment& e : list)
        names.push_back(e.getItem());
    return names;
}

struct RoleFixture : ::testing::Test {
    roomtest::HeadlessGraphics gfx;
    core::GrafixScene scene{gfx.graphics->getSceneManager(), "roles"};
    std::mt19937 draws{7};
    ~RoleFixture() override
    {
        RoleManager::destroyInstance();
        yake::math::Math::setRandomSource(nullptr);
    }
    RoleManager& roles() { return RoleManager::instance(); }
};

/// Ticks one second at a time and returns the seconds at which idle actions started.
std::vector<int> idleStarts(core::GrafixScene& scene, ZRKRole& role, float maxTimeSpan, int seconds)
{
    std::vector<int> starts;
    for (int t = 1; t <= seconds; ++t) {
        scene.update(1.0f); // the figures' animation clocks, as the room's frame runs them
        role.tick(1.0f, maxTimeSpan);
        if (role.getIdleTime() == 0.0f)
            starts.push_back(t);
    }
    return starts;
}

} // namespace

TEST(ZRKRoleSlots, SeventeenKindsWithTheEmptyTail)
{
    EXPECT_EQ(ZRKRole::getSlotName(1), "suite");
    EXPECT_EQ(ZRKRole::getSlotName(12), "looks");
    for (int i : {0, 13, 16, 17, -1})
        EXPECT_EQ(ZRKRole::getSlotName(i), "") << i;
}

TEST_F(RoleFixture, ABareRoleWearsItsLookAndASuiteCoversTheCoat)
{
    zrk::ZRKRolePtr role = roles().createRole("hero", &scene);
    boost::shared_ptr<core::BasicPlayer> player = role->getPlayer();
    ASSERT_TRUE(player);
    EXPECT_EQ(role->getLook(), "boy");
    EXPECT_EQ(player->getMoodUri(), "boy_continue");
    role->loadEquipment();
    EXPECT_EQ(itemsOf(player->getItems()), std::vector<std::string>{"boy"});
    EXPECT_EQ(player->shownParts(), 1u);

    role->setDefaultItems({"boy_hair_01", "", "boy_face_01"});
    role->setAttr("coat", "boy_coat_01");
    role->setAttr("shoes", "boy_shoes_01");
    role->loadEquipment();
    EXPECT_EQ(itemsOf(player->getItems()),
              (std::vector<std::string>{"boy_coat_01", "boy_shoes_01", "boy_hair_01", "boy_face_01"}));
    EXPECT_EQ(player->shownParts(), 4u);
    role->setAttr("suite", "boy_suite_01");
    EXPECT_EQ(itemsOf(role->getEquipment()),
              (std::vector<std::string>{"boy_suite_01", "boy_shoes_01", "boy_hair_01", "boy_face_01"}));
    role->setEquipment({{"back", "back_wings_01"}}); // the default items stay
    EXPECT_EQ(itemsOf(role->getEquipment()), (std::vector<std::string>{"back_wings_01", "boy_hair_01", "boy_face_01"}));
    EXPECT_EQ(itemsOf(role->buildDefaultEquipment()), (std::vector<std::string>{"boy_hair_01", "boy_face_01"}));
    // The outfit came before the default look (the bag before the player page): the face and
    // the gloves set afterwards are worn with it at the next dressing.
    role->setDefaultItems({"boy_face_02", "boy_glove_01"});
    role->loadEquipment();
    EXPECT_EQ(itemsOf(player->getItems()), (std::vector<std::string>{"back_wings_01", "boy_face_02", "boy_glove_01"}));

    zrk::ZRKRolePtr twin = roles().createRole("twin", &scene);
    twin->copyFrom(*role);
    EXPECT_EQ(itemsOf(twin->getPlayer()->getItems()), itemsOf(role->getEquipment()));
}

TEST_F(RoleFixture, ReplacingARoleRemovesTheOldFigureAndUnknownNamesAddNothing)
{
    zrk::ZRKRolePtr old = roles().createRole("red1", &scene);
    old->loadEquipment();
    boost::shared_ptr<core::BasicPlayer> oldPlayer = old->getPlayer();
    zrk::ZRKRolePtr fresh = roles().createRole("red1", &scene);
    EXPECT_NE(fresh, old);
    EXPECT_EQ(scene.playerCount(), 1u);
    EXPECT_EQ(scene.getPlayer("red1"), fresh->getPlayer());
    EXPECT_EQ(oldPlayer->getMovable(), nullptr); // its figure left the scene
    old->loadEquipment();                        // a role kept elsewhere dresses nothing, safely

    EXPECT_FALSE(roles().getRole("blue4"));
    EXPECT_EQ(roles().roleCount(), 1u);
    roles().update(1.0f);
    roles().removeRole("red1");
    roles().removeRole("red1");
    EXPECT_EQ(scene.playerCount(), 0u);
}

TEST_F(RoleFixture, IdleActionsStartEveryFiveToNineSecondsAndAZeroSpanAddsNothing)
{
    yake::math::Math::setRandomSource([this] { return std::uniform_real_distribution<float>(0.f, 1.f)(draws); });
    zrk::ZRKRolePtr role = roles().createRole("hero", &scene);
    idleStarts(scene, *role, 5.f, 20); // no idle actions: the clock does not run
    EXPECT_EQ(role->getPlayer()->getAnimationUri(), "boy_continue");
    EXPECT_EQ(role->getIdleIndex(), -1);
    role->addItem("boy_wave");
    role->addItem("boy_stretch");
    const std::vector<int> starts = idleStarts(scene, *role, 5.f, 200);
    ASSERT_GT(starts.size(), 20u);
    for (std::size_t i = 1; i < starts.size(); ++i) {
        EXPECT_GE(starts[i] - starts[i - 1], 5);
        EXPECT_LE(starts[i] - starts[i - 1], 9);
    }
    EXPECT_NE(role->getIdleIndex(), -1);

    role->setFloatSpan(0);
    const std::vector<int> even = idleStarts(scene, *role, 5.f, 40);
    for (std::size_t i = 2; i < even.size(); ++i)
        EXPECT_EQ(even[i] - even[i - 1], 5);

    role->holdMood("boy_sad"); // locked: no idle action runs
    role->clearItems();
    role->addItem("boy_wave");
    idleStarts(scene, *role, 5.f, 30);
    EXPECT_EQ(role->getPlayer()->getAnimationUri(), "boy_sad");
}

TEST_F(RoleFixture, APendingActionIsWornOverTheRebuiltEquipmentAndShownAgainAfterAnIdleAction)
{
    zrk::ZRKRolePtr role = roles().createRole("hero", &scene);
    role->setAttr("coat", "boy_coat_01");
    role->playMood("boy_flag", "boy_happy", false);
    role->loadEquipment();
    EXPECT_EQ(itemsOf(role->getPlayer()->getItems()), (std::vector<std::string>{"boy_flag", "boy_coat_01"}));
    EXPECT_EQ(role->getPlayer()->shownParts(), 1u); // the action item is an animation, not a part
    role->addItem("boy_wave");
    role->setFloatSpan(0);
    for (int guard = 0; idleStarts(scene, *role, 2.f, 1).empty() && guard < 10; ++guard) {
    }
    // The idle action runs with the equipment alone.
    EXPECT_EQ(itemsOf(role->getPlayer()->getItems()), (std::vector<std::string>{"boy_coat_01"}));
    idleStarts(scene, *role, 100.f, 2); // over: the pending action is worn again
    EXPECT_EQ(itemsOf(role->getPlayer()->getItems()), (std::vector<std::string>{"boy_flag", "boy_coat_01"}));
    EXPECT_EQ(role->getIdleIndex(), -1);
}

TEST_F(RoleFixture, TurnHandlerTurnsTheFigureTwoDegreesAFrame)
{
    zrk::ZRKRolePtr role = roles().createRole("hero", &scene);
    role->setPosition(1, 2, 3);
    EXPECT_EQ(role->getPosition(), Ogre::Vector3(1, 2, 3));
    role->update(); // no handler: nothing
    bool turning = true;
    role->setTurnHandler([&](bool& turn, bool& left) {
        turn = turning;
        left = false;
    });
    role->update();
    role->update();
    const Ogre::Radian yaw = role->getPlayer()->getMovable()->getOrientation().getYaw();
    EXPECT_NEAR(yaw.valueDegrees(), -4.0f, 1e-3);
}

TEST(RoleManagerEffect, NothingWithoutARoomAndOnlyTheLatestEffectWithOne)
{
    roomtest::ManualClock clock;
    roomtest::HeadlessGraphics gfx;
    RoleManager& roles = RoleManager::instance();
    roles.playEffect("eff_boom", Ogre::Vector3::ZERO); // no room yet: nothing, no crash
    EXPECT_EQ(roles.getEffectId(), -1);
    core::ProductManager::instance().addDocument("eff_boom", "");
    roomtest::RecordingRoom room;
    room.onEnter("");
    roles.setRoom(&room);
    roles.playEffect("eff_boom", Ogre::Vector3(0, 10, 0));
    const long first = roles.getEffectId();
    roles.playEffect("eff_boom", Ogre::Vector3(0, 20, 0));
    EXPECT_NE(roles.getEffectId(), first);
    EXPECT_EQ(room.sceneEffectCount(), 1u);
    yake::native::advanceTime(5.1);
    room.onFrame(0.1f);
    EXPECT_EQ(room.sceneEffectCount(), 0u);
    zrk::ZRKRolePtr guest = roles.createRole("guest", room.getScene());
    room.onExit(); // the room's scene goes before the role
    EXPECT_FALSE(guest->getPlayer()->isInScene());
    RoleManager::destroyInstance(); // and the role goes after it, safely
}
