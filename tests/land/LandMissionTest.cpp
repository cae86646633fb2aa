// A mission's land: the crews of the map in waves, the next wave when the last of the one in the
// field is down, won after the last wave; the result held for the server's answer; the rebuild
// for the next stage.
#include "LandTestKit.h"
#include "support/MissionWorld.h"
#include <land/ZRKNpcSim.h>

namespace landtest {

namespace {

Json::Value crew(const std::string& name, float x, float z, int hp = 300)
{
    Json::Value npc(Json::objectValue);
    npc["name"] = name;
    npc["npc_name"] = "Crew " + name;
    npc["hp"] = hp;
    npc["skill"] = 0;
    npc["pos"].append(x);
    npc["pos"].append(z);
    return npc;
}

/// "me" (seat 0, played by the test) on the flat test yard, against a first wave of one crew and
/// a "scenario" of two more waves: a mission (tactic 9) when `mission`, else a players' battle
/// in which "foe" (seat 4) stands on the other side.
boost::shared_ptr<LandBotRoom> waveRoom(bool mission, std::uint64_t seed = 3)
{
    zrktest::MissionWorld world;
    Json::Value map = world.mapRecord();
    map["npcs"] = Json::Value(Json::arrayValue);
    map["npcs"].append(crew("a", 40, -40));
    Json::Value second(Json::arrayValue), third(Json::arrayValue);
    second.append(crew("b", 40, 0));
    second.append(crew("c", 40, 40));
    second.append(crew("a", 0, 60)); // a name the first wave holds: left out
    third.append(crew("d", 60, 0));
    map["scenario"].append(second);
    map["scenario"].append(third);
    Json::Value maps(Json::objectValue);
    maps[world.place] = map;
    auto r = boost::make_shared<LandBotRoom>();
    r->setMaps(maps);
    r->setValue("seed", std::to_string(seed));
    r->setValue("place", world.place);
    if (mission)
        r->setValue("tactic", "9");
    LandBotRoom::Player p;
    p.bot = false;
    p.weapons = {"1"};
    p.nickname = "Me";
    r->seat(0, "me", p);
    r->setMyPlayerId("me");
    if (!mission) {
        p.nickname = "Foe";
        r->seat(4, "foe", p);
    }
    return r;
}

/// The crews the land shows in the field (the fallen of waves gone are ended).
std::vector<std::string> namesOf(const ZRKLand& land)
{
    std::vector<std::string> out;
    for (const auto& n : land.getAllNpc())
        if (!n.second->isEnded())
            out.push_back(n.first);
    return out;
}

} // namespace

// The waves of a mission: only the wave in the field is seen (the crews, their turns, the
// sight), the next comes when the last of the field is down, and the battle is won after the
// last one; the same map fought as a players' battle has its first crews only, standing still.
TEST_F(LandFixture, AMissionsCrewsComeWaveByWaveAndTheLastWaveWinsIt)
{
    auto land = makeLand(waveRoom(true));
    ASSERT_TRUE(land->create());
    EXPECT_EQ(land->getTacticId(), 9);
    EXPECT_EQ(land->getScenarioCount(), 3);
    EXPECT_EQ(land->getCurrentScenario(), 0);
    EXPECT_EQ(namesOf(*land), std::vector<std::string>({"npc#a"}));
    EXPECT_EQ(land->getNpc("npc#b"), nullptr); // built, not yet in the field
    begin(*land);
    ZRKPlayerSim* me = land->getMyDoll();

    // Wave by wave: a shell on each crew of the field, until the last is down.
    std::vector<std::vector<std::string>> fields;
    for (int wave = 0; wave < 3; ++wave) {
        ASSERT_EQ(land->getCurrentScenario(), wave);
        fields.push_back(namesOf(*land));
        mSeen.clear();
        std::vector<ZRKNpcSim*> crews;
        for (const auto& n : land->getAllNpc())
            if (!n.second->isEnded())
                crews.push_back(n.second);
        me->getPlayerBattle().delay = 500 * (wave + 1); // the player has taken turns meanwhile
        for (ZRKNpcSim* npc : crews) {
            npc->getBattle().hp = 1;
            land->launchShell("me", npc->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
            ASSERT_TRUE(runUntil(
                *land, [&] { return npc->isDead(); }, 10.0f))
                << npc->getId();
        }
        ASSERT_TRUE(runUntil(
            *land, [&] { return land->getCurrentScenario() > wave || land->isFinished(); }, 2.0f));
        if (wave < 2) {
            EXPECT_FALSE(land->isFinished()) << "won with a wave still to come";
            // The crews coming in are drawn, each with its bubble, and take their turns after
            // the player's next, not all before it.
            for (const auto& n : land->getAllNpc()) {
                if (n.second->isEnded())
                    continue; // a fallen crew of the wave before
                EXPECT_GT(n.second->getDelay(), me->getPlayerBattle().delay) << n.first;
                bool drawn = false;
                for (const Seen& s : seen(LandEventId::NpcBubble))
                    drawn = drawn || s.attrs.getAttrAs<std::string>("name", "") == n.first;
                EXPECT_TRUE(drawn) << n.first;
            }
        }
    }
    EXPECT_EQ(fields, std::vector<std::vector<std::string>>({{"npc#a"}, {"npc#b", "npc#c"}, {"npc#d"}}));
    EXPECT_EQ(land->getAllNpc().size(), 4u); // every wave has come
    for (const char* fallen : {"npc#a", "npc#b", "npc#c"})
        EXPECT_TRUE(land->getNpc(fallen)->isEnded()) << fallen;
    ASSERT_TRUE(runUntil(
        *land, [&] { return land->getLoadState() >= LOAD_RESULT; }, 1.0f));
    EXPECT_TRUE(me->getPlayerBattle().flags & BATTLE_WON);
    EXPECT_EQ(land->getSummary().winner, me->getColour());

    // Not a mission: the first crews only, passive, and the scenario means nothing.
    auto plain = makeLand(waveRoom(false));
    ASSERT_TRUE(plain->create());
    EXPECT_EQ(plain->getScenarioCount(), 1);
    EXPECT_EQ(namesOf(*plain), std::vector<std::string>({"npc#a"}));
    EXPECT_TRUE(plain->getNpc("npc#a")->isFlagSet(SIM_PASSIVE));
}

// The crews of a wave to come are nobody's target: a shell through where they stand hurts
// nobody, and the own doll's sight passes them by; the crew in the field is sighted.
TEST_F(LandFixture, ACrewOfAWaveToComeIsNeitherHitNorSighted)
{
    auto land = makeLand(waveRoom(true));
    ASSERT_TRUE(land->create());
    land->getMyDoll()->getPlayerBattle().delay = -1;
    begin(*land);
    frame(*land, 0.01f);
    ASSERT_EQ(land->getActingDoll(), land->getMyDoll());
    // The wave to come stands at (40, 0) and (40, 40): a shell falling on one hits nobody.
    mSeen.clear();
    land->launchShell("me", Vector3(40, 60, 0), Vector3(0, -30, 0));
    ASSERT_TRUE(runUntil(
        *land, [&] { return land->getShells().empty(); }, 5.0f));
    EXPECT_EQ(land->getCurrentScenario(), 0);
    EXPECT_EQ(land->getNpc("npc#a")->getBattle().hp, 300);
    EXPECT_TRUE(seen(LandEventId::Hit).empty());

    // The sight along the doll's aim: the crew in the field answers, one of a wave to come not.
    ZRKPlayerSim* me = land->getMyDoll();
    auto sightTo = [&](const Vector3& at) {
        me->lookAt(at);
        me->pitching2(0);
        return land->_hitPlayerByRay();
    };
    ZRKNpcSim* first = land->getNpc("npc#a");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(sightTo(first->getPosition()), "npc#a");
    EXPECT_EQ(sightTo(Vector3(40, me->getPosition().y, 0)), "");
}

// The result of a mission waits for the server's answer (its boxes or its next stage) before
// the end, at most ten seconds; a players' battle ends two seconds after its result.
TEST_F(LandFixture, AMissionsResultStaysUntilTheServerAnswers)
{
    struct Case {
        bool mission;
        const char* answer; // the room's state key the server sets, or none
        float answerAt;     // land seconds after the result
        float overAfter;    // when the end comes, after the result
    };
    for (const Case c : {Case{true, "boxes", 3.0f, 3.0f}, Case{true, "ds_next", 0.5f, 0.5f},
                         Case{true, nullptr, 0.0f, DollConstants::MISSION_RESULT_SECONDS},
                         Case{false, nullptr, 0.0f, DollConstants::RESULT_SECONDS},
                         Case{false, "boxes", 0.1f, DollConstants::RESULT_SECONDS}}) {
        auto r = waveRoom(c.mission);
        auto land = makeLand(r);
        ASSERT_TRUE(land->create());
        begin(*land);
        ZRKPlayerSim* me = land->getMyDoll();
        me->getBattle().hp = 1;
        land->launchShell("npc#a", me->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
        ASSERT_TRUE(runUntil(
            *land, [&] { return land->getLoadState() == LOAD_RESULT; }, 20.0f))
            << land->getLoadState() << " flags " << me->getFlags() << " hp " << me->getBattle().hp << " t "
            << land->getTimeFighting();
        const float result = land->getTimeFighting();
        bool told = false;
        ASSERT_TRUE(runUntil(
            *land,
            [&] {
                if (c.answer && !told && land->getTimeFighting() - result >= c.answerAt) {
                    r->setValue(c.answer, "2");
                    told = true;
                }
                return land->getLoadState() == LOAD_OVER;
            },
            15.0f, 0.01f));
        EXPECT_NEAR(land->getTimeFighting() - result, c.overAfter, 0.26f)
            << (c.mission ? "mission" : "players") << " " << (c.answer ? c.answer : "silent");
        EXPECT_FALSE(me->getPlayerBattle().flags & BATTLE_WON);
    }
}

// The next stage: the finished land sees the room rebuilding (state 5) and asks for the sync
// once. The land made for the next stage meanwhile is built from the next stage's values (the
// room holds them from the rebuild on), neither follows that rebuild nor tells the server it
// loaded before the stage has started, then goes on as any land once it has.
TEST_F(LandFixture, TheNextStagesLandIsBuiltForItAndReportsOnceTheStageHasStarted)
{
    auto r = waveRoom(true, 11);
    auto old = makeLand(r);
    ASSERT_TRUE(old->create());
    begin(*old);
    // The stage ends (lost, which is quicker to bring about); the server answers with half time.
    ZRKPlayerSim* me = old->getMyDoll();
    me->getBattle().hp = 1;
    old->launchShell("npc#a", me->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
    ASSERT_TRUE(runUntil(
        *old, [&] { return old->getLoadState() == LOAD_RESULT; }, 20.0f));
    r->setValue("ds_next", "1");
    ASSERT_TRUE(runUntil(
        *old, [&] { return old->getLoadState() == LOAD_OVER; }, 2.0f));
    EXPECT_EQ(r->getLoadReports(), 1);

    // The room turns to the next stage: rebuilding, with that stage's values.
    mSeen.clear();
    r->setValue("state", std::to_string(ROOM_RESYNC));
    r->setValue("seed", "12");
    r->setValue("ds_id", "2");
    for (int i = 0; i < 8; ++i)
        frame(*old, 0.1f);
    ASSERT_EQ(seen(LandEventId::SyncOrAbort).size(), 1u);
    EXPECT_TRUE(seen(LandEventId::SyncOrAbort)[0].attrs.getAttrAs<bool>("sync", false));

    mSeen.clear();
    auto next = makeLand(r);
    std::vector<int> states;
    boost::signals2::scoped_connection c = next->subscribeToLoadSignal([&](int, int s) { states.push_back(s); });
    ASSERT_TRUE(next->create());
    EXPECT_EQ(next->getSetup().seed, 12u);
    EXPECT_EQ(next->getZRKDs().getIntVal("ds_id", -1), 2);
    ASSERT_NE(next->getMyDoll(), nullptr);
    for (int i = 0; i < 20; ++i)
        frame(*next, 0.05f);
    EXPECT_EQ(next->getLoadState(), LOAD_LOADED);
    EXPECT_EQ(r->getLoadReports(), 1); // not yet: the stage has not started
    EXPECT_TRUE(seen(LandEventId::SyncOrAbort).empty());

    // The server starts the stage: the load is told, the room fights, the land is ready.
    r->setValue("state", "0");
    r->setValue("ds_next", "");
    begin(*next);
    EXPECT_EQ(states.front(), LOAD_LOADOUT);
    EXPECT_EQ(r->getLoadReports(), 2);
    EXPECT_EQ(next->getCurrentScenario(), 0);
    EXPECT_TRUE(seen(LandEventId::SyncOrAbort).empty());

    // A finished land that missed the rebuild: the room's start on another seed syncs it.
    auto missed = makeLand(waveRoom(true, 11));
    ASSERT_TRUE(missed->create());
    begin(*missed);
    ZRKPlayerSim* alone = missed->getMyDoll();
    alone->getBattle().hp = 1;
    missed->launchShell("npc#a", alone->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
    ASSERT_TRUE(runUntil(
        *missed, [&] { return missed->isFinished(); }, 30.0f));
    mSeen.clear();
    r->setValue("state", "0"); // its room has gone on to the next stage: starting, seed 12
    missed->useRoom(r);
    for (int i = 0; i < 8; ++i)
        frame(*missed, 0.1f);
    ASSERT_EQ(seen(LandEventId::SyncOrAbort).size(), 1u);
    EXPECT_TRUE(seen(LandEventId::SyncOrAbort)[0].attrs.getAttrAs<bool>("sync", false));
}

// A mission the crews hold out to the time limit is lost by every player together.
TEST_F(LandFixture, AMissionAtItsTimeLimitIsLostByAll)
{
    auto land = makeLand(waveRoom(true));
    ASSERT_TRUE(land->create());
    begin(*land);
    land->getMyDoll()->setImmune(IMMUNE_DAMAGE | IMMUNE_WATER); // the crew cannot put him down either
    ASSERT_TRUE(runUntil(
        *land, [&] { return land->isFinished(); }, DollConstants::BATTLE_SECONDS + 5.0f, 0.25f));
    EXPECT_TRUE(land->getSummary().timeUp) << "over at " << land->getTimeFighting() << " wave "
                                           << land->getCurrentScenario() << " winner " << land->getSummary().winner;
    EXPECT_EQ(land->getSummary().winner, -1);
    EXPECT_FALSE(land->getMyDoll()->getPlayerBattle().flags & BATTLE_WON);
}

// The test world's crew stands where a shot let go at once lands: it falls to hero's first shot.
TEST_F(LandFixture, TheTestWorldsCrewFallsToAShotLetGoAtOnce)
{
    zrktest::MissionWorld world;
    Json::Value maps(Json::objectValue);
    maps[world.place] = world.mapRecord();
    for (float held : {0.0f, 0.05f, 0.2f}) {
        auto r = boost::make_shared<LandBotRoom>();
        r->setMaps(maps);
        r->setValue("seed", "5");
        r->setValue("place", world.place);
        r->setValue("tactic", "9");
        r->setValue("wind", "0 0 0");
        LandBotRoom::Player p;
        p.bot = false;
        p.weapons = {"1"};
        r->seat(0, "me", p);
        r->setMyPlayerId("me");
        auto land = makeLand(r);
        ASSERT_TRUE(land->create());
        land->getMyDoll()->getPlayerBattle().delay = -1;
        begin(*land);
        frame(*land, 0.01f);
        ASSERT_EQ(land->getActingDoll(), land->getMyDoll());
        ZRKPlayerSim* me = land->getMyDoll();
        EXPECT_EQ(me->getPlayerBattle().pitch, 45);
        mKeys.injectKeyDown(core::KeyInput::KC_SPACE);
        frame(*land, std::max(held, 0.01f));
        mKeys.injectKeyUp(core::KeyInput::KC_SPACE);
        ASSERT_TRUE(runUntil(
            *land, [&] { return land->isFinished(); }, 10.0f))
            << "held " << held;
        EXPECT_TRUE(me->getPlayerBattle().flags & BATTLE_WON) << "held " << held;
    }
}

} // namespace landtest
