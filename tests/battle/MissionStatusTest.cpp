// A mission's battle on the client against the embedded server: the battle bar's wave status
// (told when it changes: the wave of how many, the crews standing), and the crews under the
// sight as the waves come.
#include <gtest/gtest.h>
#include <gui/IBattlePanel.h>
#include <land/DollConstants.h>
#include <land/ZRKNpcSim.h>
#include <land/ZRKPlayerSim.h>
#include <util/MissionRule.h>

#include "BattleServerFixture.h"
#include "DisplaysFixture.h"
#include "battle/hud/BattleStatusProvider.h"
#include "battle/hud/ZRKSightingPanel.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// Hero's battle on the Training Fort fought as a mission (its crews in three waves).
Json::Value fortMission()
{
    Json::Value mission;
    mission["place"] = "201";
    mission["tactic"] = core::MissionRule::kTactic;
    mission["d_id"] = 2;
    mission["ds_id"] = 1;
    return mission;
}

struct MissionStatusTest : zrktest::BattleServerFixture {
    void enterMission() { enterAndLoad("prev=room", fortMission()); }
    /// What the bar is told in one pull: whether a wave status came, and which.
    bool pull(gui::IBattleStatus::PVEStatus& stat)
    {
        gui::IBattleStatus::BattleStatus status;
        room->getStatusProvider()->getBattleStatus(status);
        EXPECT_EQ(status.tactic, core::MissionRule::kTactic);
        const boost::any* told = status.extra.getAttr("stat");
        const auto* s = told ? boost::any_cast<gui::IBattleStatus::PVEStatus>(told) : nullptr;
        if (s)
            stat = *s;
        return s != nullptr;
    }
};

/// The same with the battle's screens (the sight among them).
struct MissionSightTest : zrktest::DisplaysFixture {
    void enterMission() { enterAndLoad("prev=room", fortMission()); }
};

} // namespace

TEST_F(MissionStatusTest, TheWaveStatusIsToldWhenItChangesWithTheWavesOfTheMapAndTheCrewsStanding)
{
    enterMission();
    ZRKLand& land = *room->getLand();
    ASSERT_EQ(land.getTacticId(), core::MissionRule::kTactic);
    ASSERT_TRUE(room->getStatusProvider());
    const int crews = static_cast<int>(land.getAllNpc().size());
    ASSERT_GT(crews, 1);

    // The first pull tells it: the first wave of one plus the map's further waves.
    gui::IBattleStatus::PVEStatus stat;
    ASSERT_TRUE(pull(stat));
    EXPECT_EQ(stat.scenario, 1);
    EXPECT_EQ(stat.scenarioTotal, 1 + static_cast<int>(land.getMapConfig().hasKey("scenario/0")) +
                                      static_cast<int>(land.getMapConfig().hasKey("scenario/1")));
    EXPECT_EQ(stat.scenarioTotal, land.getScenarioCount());
    EXPECT_EQ(stat.alive, crews);
    // Then nothing while nothing changes.
    gui::IBattleStatus::PVEStatus again;
    EXPECT_FALSE(pull(again));
    EXPECT_FALSE(pull(again));

    // A crew falls: the count drops, told once.
    ZRKNpcSim* first = land.getAllNpc().begin()->second;
    first->setFlag(SIM_OUT);
    ASSERT_TRUE(pull(stat));
    EXPECT_EQ(stat.scenario, 1);
    EXPECT_EQ(stat.alive, crews - 1);
    EXPECT_FALSE(pull(again));

    // The wave is down: the next comes into the field, and the bar hears of it.
    for (const auto& n : land.getAllNpc())
        n.second->setFlag(SIM_OUT);
    ASSERT_TRUE(until([&] { return land.getCurrentScenario() == 1; }, 200, 0.05f, "the second wave"));
    ASSERT_TRUE(pull(stat));
    EXPECT_EQ(stat.scenario, 2);
    int standing = 0; // the fallen of the first wave stay among the NPCs
    for (const auto& n : land.getAllNpc())
        standing += n.second->isDead() ? 0 : 1;
    EXPECT_EQ(stat.alive, standing);
    EXPECT_GT(stat.alive, 0);
}

TEST_F(MissionSightTest, TheCrewInTheFieldComesUnderTheSightAndTheFallenOfTheWaveBeforeNot)
{
    enterMission();
    ZRKLand& land = *room->getLand();
    ZRKPlayerSim* me = land.getMyDoll();
    BattleRoom::ZRKSightingPanel* sight = room->getSightingPanel();
    ASSERT_TRUE(me && sight);
    const auto sightOn = [&](const yake::math::Vector3& at) {
        sight->setMode(2); // the direct sight: whoever stands on the gun's ray
        me->lookAt(at);
        me->pitching2(0);
        sight->update(0);
        return sight->isNpcUnderSight();
    };
    ZRKNpcSim* first = land.getAllNpc().begin()->second;
    const yake::math::Vector3 firstAt = first->getPosition();
    EXPECT_TRUE(sightOn(firstAt));
    EXPECT_FALSE(sight->isPlayerUnderSight()); // a crew, not a player

    // The first wave down, the next in the field: the fallen are out of the sight, a crew of
    // the new wave standing where they stood is in it.
    for (const auto& n : land.getAllNpc())
        n.second->setFlag(SIM_OUT);
    ASSERT_TRUE(until([&] { return land.getCurrentScenario() == 1; }, 200, 0.05f, "the second wave"));
    EXPECT_FALSE(sightOn(firstAt));
    ZRKNpcSim* next = nullptr;
    for (const auto& n : land.getAllNpc())
        if (!n.second->isDead())
            next = n.second;
    ASSERT_NE(next, nullptr);
    next->getMovable().setPosition(firstAt);
    EXPECT_TRUE(sightOn(firstAt));
}
