#include <set>
#include <utility>
#include <land/ZRKNpcSim.h>
#include <land/ZRKNpcState.h>
#include "LandTestKit.h"

namespace landtest {

namespace {
class CountingHandler : public core::IEventHandler {
public:
    std::string getName() const override { return "counting"; }
    bool handle(const core::Event& e) override
    {
        types.push_back(e.getType());
        return true;
    }
    std::vector<int> types;
};
} // namespace

// Loading: 4, a progress event per player up to 101, 5; then 7 once the room's "state" is
// 2 (its wind taken), with the guide text; the fight waits for beginSimulator.
TEST_F(LandFixture, LoadingReportsItsStatesAndWaitsForTheRoom)
{
    auto r = duel(2);
    r->setAutoStart(false);
    auto land = makeLand(r);
    std::vector<int> states;
    boost::signals2::scoped_connection c = land->subscribeToLoadSignal([&](int, int s) { states.push_back(s); });
    ASSERT_TRUE(land->create());
    EXPECT_FALSE(land->beginSimulator());
    for (int i = 0; i < 20; ++i)
        frame(*land, 1 / 60.0f);
    EXPECT_EQ(states, (std::vector<int>{LOAD_LOADOUT, LOAD_LOADED}));
    EXPECT_EQ(r->getLoadReports(), 1);
    EXPECT_FALSE(land->isLoaded());
    for (const char* player : {"me", "foe"}) {
        std::vector<int> lower;
        for (const Seen& s : seen(LandEventId::LoadProgress))
            if (s.attrs.getAttrAs<std::string>("playerId", "") == player) {
                lower.push_back(s.attrs.getAttrAs<int>("lower", -1));
                EXPECT_GE(s.attrs.getAttrAs<int>("upper", -1), lower.back());
                EXPECT_GT(s.attrs.getAttrAs<float>("speed", 0.0f), 0.0f);
            }
        ASSERT_FALSE(lower.empty());
        EXPECT_TRUE(std::is_sorted(lower.begin(), lower.end()));
        EXPECT_EQ(lower.back(), 101);
    }
    r->setValue("wind", "3 0 4");
    r->setValue("state", "2");
    frame(*land, 1 / 60.0f);
    frame(*land, 1 / 60.0f);
    EXPECT_EQ(states.back(), LOAD_READY);
    EXPECT_TRUE(land->isLoaded());
    EXPECT_FLOAT_EQ(land->getWindPower(), 5.0f);
    EXPECT_FLOAT_EQ(land->getWindPowerHUD(), 5.0f);
    ASSERT_EQ(seen(LandEventId::GuideText).size(), 1u);
    EXPECT_FALSE(seen(LandEventId::GuideText)[0].attrs.getAttrAs<std::string>("prompt", "").empty());
    EXPECT_FLOAT_EQ(seen(LandEventId::GuideText)[0].attrs.getAttrAs<float>("timeout", 0), 3.0f);
    frame(*land, 1.0f);
    EXPECT_EQ(land->getTimeFighting(), 0.0f); // nothing moves before the fight begins
    EXPECT_TRUE(land->beginSimulator());
    EXPECT_GT(land->getTimeBegin(), 0.0f);
    frame(*land, 0.5f);
    EXPECT_NEAR(land->getTimeFighting(), 0.25f, 1e-4); // at most 25 steps a frame
}

// One shell on the foe: one hit event with its parameters, one bubble event, one effect,
// and the own doll's status events carry what changed. Handlers added per type get them.
TEST_F(LandFixture, AHitIsToldOnceWithItsAttributes)
{
    auto land = myTurn(duel(4));
    auto handler = boost::make_shared<CountingHandler>();
    mEvents.addEventHandler(LandEventId::Hit, handler);
    mEvents.addEventHandler(LandEventId::Effect, handler);
    ZRKPlayerSim* foe = land->getDoll("foe");
    mSeen.clear();
    land->launchShell("me", foe->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
    ASSERT_TRUE(runUntil(
        *land, [&] { return !seen(LandEventId::Hit).empty(); }, 5.0f));
    frame(*land, 0.01f);
    ASSERT_EQ(seen(LandEventId::Hit).size(), 1u);
    const Seen hit = seen(LandEventId::Hit)[0];
    EXPECT_EQ(hit.attrs.getAttrAs<std::string>("playerId", ""), "foe");
    EXPECT_EQ(hit.params.getStringVal("type", "?"), "");
    EXPECT_EQ(hit.params.getIntVal("level", 0), 1);
    EXPECT_EQ(hit.params.getIntVal("health", 0), foe->getBattle().hp - foe->getBattle().xhp);
    EXPECT_EQ(hit.params.getStringVal("hitter", ""), "me");
    ASSERT_EQ(seen(LandEventId::Effect).size(), 1u);
    EXPECT_EQ(seen(LandEventId::Effect)[0].attrs.getAttrAs<std::string>("pid", ""), "explosion");
    EXPECT_FALSE(seen(LandEventId::Effect)[0].attrs.getAttrAs<bool>("flash", true));
    EXPECT_GT(seen(LandEventId::Effect)[0].attrs.getAttrAs<float>("duration", 0), 0.0f);
    const auto placement = seen(LandEventId::Effect)[0].attrs.getAttrAs<ZRKLand::EffectPlacement>("mi", {});
    EXPECT_LT(placement.position.distance(foe->getPosition()), 6.0f);
    int bubbles = 0;
    for (const Seen& s : seen(LandEventId::DollBubble))
        bubbles += s.attrs.getAttrAs<std::string>("playerId", "") == "foe";
    EXPECT_EQ(bubbles, 1);
    EXPECT_EQ(handler->types, (std::vector<int>{6506, 6501}));
    mEvents.removeEventHandler(handler);
    EXPECT_EQ(mEvents.handlerCount(LandEventId::Hit), 0u);

    // The own doll hurt: its status carries "hp".
    mSeen.clear();
    ZRKPlayerSim* me = land->getMyDoll();
    land->launchShell("foe", me->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
    ASSERT_TRUE(runUntil(
        *land, [&] { return !seen(LandEventId::Hit).empty(); }, 5.0f));
    bool hp = false;
    for (const Seen& s : seen(LandEventId::OwnStatus))
        hp = hp || s.attrs.getAttrAs<int>("hp", -1) == me->getBattle().hp;
    EXPECT_TRUE(hp);
}

// Down, dying and killed: previews run first; what they let through reaches the manager
// once; a killer scores; a revive brings the doll back.
TEST_F(LandFixture, DownThenKilledThroughThePreviews)
{
    auto land = myTurn(duel(6));
    std::vector<std::string> previewed;
    land->addEventPreview(LandEventId::DollDying, [&](ZRKLand*, core::Event& e) {
        previewed.push_back("dying " + e.attrs().getAttrAs<std::string>("uid", ""));
        return 0;
    });
    land->addEventPreview(LandEventId::DollKilled, [&](ZRKLand*, core::Event& e) {
        previewed.push_back("killed " + e.attrs().getAttrAs<std::string>("uid", "") + " by " +
                            e.attrs().getAttrAs<std::string>("killer", ""));
        return 1; // kept from the manager
    });
    ZRKPlayerSim* foe = land->getDoll("foe");
    foe->getBattle().hp = 5;
    mSeen.clear();
    land->launchShell("me", foe->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
    ASSERT_TRUE(runUntil(
        *land, [&] { return foe->isFlagSet(SIM_DOWN); }, 5.0f));
    EXPECT_EQ(foe->getBattle().hp, 0);
    EXPECT_EQ(foe->getPhase(), PHASE_DOWN);
    EXPECT_FALSE(foe->isFlagSet(SIM_OUT));
    frame(*land, 0.01f);
    EXPECT_EQ(seen(LandEventId::DollDying).size(), 1u);
    EXPECT_FALSE(land->isFinished()); // down is not out: there is time for a revive

    // A revive in time brings it back; down again, it is killed once its time is up.
    EXPECT_TRUE(land->reviveDoll("foe", false, true));
    EXPECT_EQ(foe->getBattle().hp, foe->getBattle().xhp / 2);
    EXPECT_FALSE(land->reviveDoll("foe", false, true));
    foe->getBattle().hp = 5;
    foe->dying(true);
    land->launchShell("me", foe->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
    ASSERT_TRUE(runUntil(
        *land, [&] { return foe->isFlagSet(SIM_DOWN); }, 5.0f));
    EXPECT_EQ(foe->getPhase(), PHASE_AGONAL);
    ASSERT_TRUE(runUntil(
        *land, [&] { return foe->isFlagSet(SIM_OUT); }, DollConstants::AGONAL_SECONDS + 1.0f));
    EXPECT_EQ(foe->getPlayerBattle().state, BATTLE_KILLED);
    EXPECT_EQ(land->getMyDoll()->getPlayerBattle().kills, 1);
    EXPECT_EQ(land->getTeamScore(0), 1);
    frame(*land, 0.01f);
    EXPECT_EQ(previewed, (std::vector<std::string>{"dying foe", "dying foe", "killed foe by me"}));
    EXPECT_TRUE(seen(LandEventId::DollKilled).empty());
    bool killCount = false;
    for (const Seen& s : seen(LandEventId::OwnStatus))
        killCount = killCount || s.attrs.hasAttr("killCount");
    EXPECT_TRUE(killCount);
}

// A lesson's dummy counts no death throes: its last health puts it out at once, so whoever
// waits for its end goes on; one that may not die lies down to be rescued instead.
TEST_F(LandFixture, ADollWithoutDeathThroesIsOutAtItsLastHealth)
{
    auto land = myTurn(duel(6));
    ZRKPlayerSim* foe = land->getDoll("foe");
    foe->setCountingAgonal(false);

    // Undying: down, not out, and a rescue brings it up.
    foe->invincible(INVINCIBLE_UNDYING, -1.0f);
    foe->getBattle().hp = 5;
    land->launchShell("me", foe->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
    ASSERT_TRUE(runUntil(
        *land, [&] { return foe->isDead(); }, 5.0f));
    EXPECT_FALSE(foe->isFlagSet(SIM_OUT));
    EXPECT_EQ(foe->getPlayerBattle().state, BATTLE_FIGHTING);
    ASSERT_TRUE(land->reviveDoll("foe", true, true));

    // Mortal: its last health puts it out at once.
    foe->invincible(INVINCIBLE_NONE, -1.0f);
    foe->getBattle().hp = 5;
    land->launchShell("me", foe->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
    ASSERT_TRUE(runUntil(
        *land, [&] { return foe->isDead(); }, 5.0f));
    EXPECT_TRUE(foe->isFlagSet(SIM_OUT));
    EXPECT_EQ(foe->getPlayerBattle().state, BATTLE_KILLED);
    EXPECT_EQ(land->getMyDoll()->getPlayerBattle().kills, 1);
}

// A paid revive: the notice counts the revives done, so a late or repeated one changes nothing.
TEST_F(LandFixture, PacemakerNoticeRevivesTheOwnDollOnce)
{
    auto land = myTurn(duel(16));
    ZRKPlayerSim* me = land->getMyDoll();
    me->getBattle().hp = 3;
    land->launchShell("foe", me->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
    ASSERT_TRUE(runUntil(
        *land, [&] { return me->isFlagSet(SIM_DOWN); }, 5.0f));
    core::XmlConfigHelper stale(yake::ConfigurationPtr(new yake::Configuration), "use_pacemaker");
    stale.setIntVal("num", 3);
    land->_notifyEvent(stale);
    EXPECT_TRUE(me->isFlagSet(SIM_DOWN));
    core::XmlConfigHelper notice(yake::ConfigurationPtr(new yake::Configuration), "use_pacemaker");
    notice.setIntVal("num", land->getMyReviveNum());
    land->_notifyEvent(notice);
    EXPECT_FALSE(me->isDead());
    EXPECT_EQ(me->getBattle().hp, me->getBattle().xhp / 2);
    EXPECT_EQ(land->getMyReviveNum(), 1);
    land->_notifyEvent(notice); // the same notice again
    EXPECT_EQ(land->getMyReviveNum(), 1);
}

// The water takes whoever falls in: killed at once, told as DollLost.
TEST_F(LandFixture, TheWaterKills)
{
    auto land = myTurn(duel(8));
    ZRKPlayerSim* foe = land->getDoll("foe");
    mSeen.clear();
    foe->getMovable().setPosition(Vector3(0.0f, 0.0f, land->getHeightField().getHalfSize() - 1.0f));
    frame(*land, 0.05f);
    EXPECT_TRUE(foe->isFlagSet(SIM_OUT));
    ASSERT_EQ(seen(LandEventId::DollLost).size(), 1u);
    EXPECT_EQ(seen(LandEventId::DollLost)[0].attrs.getAttrAs<std::string>("uid", ""), "foe");
    // One side is left: the battle is decided.
    EXPECT_EQ(land->getLoadState(), LOAD_RESULT);
}

// Messages, notices, crates and the room's turns.
TEST_F(LandFixture, MessagesNoticesCratesAndTheRoomsTurns)
{
    auto r = duel(12);
    auto land = myTurn(r);
    mSeen.clear();
    land->_reportMsg2("foe", "msg/bf_dying", {"Foe"}, 1, 0, 1);
    frame(*land, 0.01f);
    ASSERT_EQ(seen(LandEventId::BattleMessage).size(), 1u);
    const Seen chat = seen(LandEventId::BattleMessage)[0];
    EXPECT_EQ(chat.attrs.getAttrAs<std::string>("uid", ""), "foe");
    EXPECT_EQ(chat.attrs.getAttrAs<int>("team", -5), 1);
    EXPECT_EQ(chat.attrs.getAttrAs<std::string>("msg", ""), "msg/bf_dying");
    EXPECT_TRUE(chat.attrs.hasAttr("res"));
    EXPECT_FALSE(chat.attrs.hasAttr("local"));
    EXPECT_EQ(chat.attrs.getAttrAs<std::vector<std::string>>("argv", {}), (std::vector<std::string>{"Foe"}));

    core::XmlConfigHelper killer(yake::ConfigurationPtr(new yake::Configuration), "Notify_killer");
    killer.setStringVal("killer", "me");
    killer.setStringVal("deadPerson", "Foe");
    land->_notifyEvent(killer);
    frame(*land, 0.01f);
    ASSERT_EQ(seen(LandEventId::BattleMessage).size(), 2u);
    EXPECT_EQ(seen(LandEventId::BattleMessage)[1].attrs.getAttrAs<std::vector<std::string>>("argv", {}),
              (std::vector<std::string>{"Me", "Foe"}));

    // A crate at the own doll's feet is picked up at once.
    ZRKPlayerSim* me = land->getMyDoll();
    me->getBattle().hp = 100;
    ZRKSceneItem item;
    item.kind = 1;
    item.value = 250;
    const Vector3 p = me->getPosition();
    ASSERT_TRUE(land->_addCrate("c1", item, std::to_string(p.x) + " 0 " + std::to_string(p.z)));
    land->_updateCrateMarks();
    ASSERT_TRUE(land->getCrateMark("c1"));
    EXPECT_TRUE(land->_hasCrate("c1"));
    frame(*land, 0.01f);
    EXPECT_FALSE(land->_hasCrate("c1"));
    EXPECT_EQ(me->getBattle().hp, 350);
    ASSERT_EQ(seen(LandEventId::ItemGained).size(), 1u);
    EXPECT_EQ(seen(LandEventId::ItemGained)[0].attrs.getAttrAs<std::string>("id", ""), "si_1");
    EXPECT_FALSE(land->_addCrate("c2", item, "no such node"));

    // The server aborts: once, with "sabort".
    r->setValue("state", std::to_string(ROOM_ABORTED));
    for (int i = 0; i < 60; ++i)
        frame(*land, 0.02f);
    ASSERT_EQ(seen(LandEventId::SyncOrAbort).size(), 1u);
    EXPECT_FALSE(seen(LandEventId::SyncOrAbort)[0].attrs.getAttrAs<bool>("sync", true));
    EXPECT_TRUE(seen(LandEventId::SyncOrAbort)[0].attrs.hasAttr("sabort"));
}

// The own doll's status notices: combo titles hidden, the charge at the suggested force,
// low health with a healing prop at hand at the start of its turn.
TEST_F(LandFixture, StatusNoticesOfTheOwnDoll)
{
    auto land = myTurn(duel(14));
    ZRKPlayerSim* me = land->getMyDoll();
    auto told = [&](const char* attr) {
        int n = 0;
        for (const Seen& s : seen(LandEventId::OwnStatus))
            n += s.attrs.hasAttr(attr) ? 1 : 0;
        return n;
    };
    mSeen.clear();
    land->setComboHide(true);
    land->setComboHide(true);
    EXPECT_FALSE(land->getComboState());
    ASSERT_TRUE(me->promptForce(0.3f));
    ASSERT_TRUE(me->holdFire());
    ASSERT_TRUE(runUntil(
        *land, [&] { return told("hold_ok") > 0; }, 2.0f));
    EXPECT_NEAR(me->getPlayerBattle().force, 300, 10);
    EXPECT_EQ(told("carom_hide"), 1);
    // The script's own attributes ride on the next status.
    me->getSimEvent().setAttr("fury", true);
    frame(*land, 0.01f);
    EXPECT_EQ(told("fury"), 1);
    EXPECT_EQ(me->getSimEvent().size(), 0u);

    me->releaseFire();
    me->getBattle().hp = 100;
    ASSERT_TRUE(runUntil(
        *land, [&] { return land->getActingDoll() == land->getDoll("foe"); }, 30.0f));
    mSeen.clear();
    ASSERT_TRUE(runUntil(
        *land, [&] { return land->getActingDoll() == me; }, 90.0f, 0.25f));
    frame(*land, 0.01f);
    EXPECT_EQ(told("hp_wanted"), 1);
}

// NPCs of the map take hits (NpcBubble) and die (NpcKilled); a PVE battle ends with the last of them.
TEST_F(LandFixture, NpcsOfTheMap)
{
    auto r = duel(13);
    Json::Value maps = LandFixture::maps();
    Json::Value npc(Json::objectValue);
    npc["name"] = "turret";
    npc["npc_name"] = "Turret";
    npc["hp"] = 50;
    npc["pos"] = Json::Value(Json::arrayValue);
    npc["pos"].append(0);
    npc["pos"].append(0);
    maps["1"]["npcs"].append(npc);
    r->setMaps(maps);
    r->setValue("tactic", "9");
    auto land = myTurn(r);
    ZRKNpcSim* turret = land->getNpc("npc#turret");
    ASSERT_TRUE(turret);
    EXPECT_TRUE(ZRKNpcState::isNpcName(turret->getId()));
    EXPECT_FALSE(ZRKNpcState::isNpcName("foe"));
    EXPECT_EQ(turret->getInfo().getStringVal("npc_name", ""), "Turret");
    mSeen.clear();
    land->launchShell("me", turret->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
    ASSERT_TRUE(runUntil(
        *land, [&] { return turret->isDead(); }, 5.0f));
    frame(*land, 0.01f);
    EXPECT_EQ(seen(LandEventId::NpcBubble).size(), 1u);
    ASSERT_EQ(seen(LandEventId::NpcKilled).size(), 1u);
    EXPECT_EQ(seen(LandEventId::NpcKilled)[0].attrs.getAttrAs<std::string>("name", ""), "npc#turret");
    EXPECT_EQ(turret->getState().getBattleState().state, BATTLE_KILLED);
    EXPECT_EQ(land->getLoadState(), LOAD_RESULT);
}

// The battle's event numbers are what the land, the battle room and the lesson agree on:
// written out here apart from the table, so a renumbered, renamed, lost or repeated row fails.
TEST(LandEventIdTable, HoldsEachOfTheBattlesNumbersOnceUnderItsName)
{
    const std::vector<std::pair<int, std::string>> expected = {
        {6112, "DollDying"},     {6113, "DollKilled"},   {6114, "DollLost"},    {6201, "PropUsed"},
        {6501, "Hit"},           {6502, "ItemGained"},   {6503, "Gains"},       {6504, "Reserved1"},
        {6505, "BattleMessage"}, {6506, "Effect"},       {6507, "GuideText"},   {6508, "SyncOrAbort"},
        {6509, "Reserved2"},     {6510, "OwnStatus"},    {6511, "DollBubble"},  {6512, "NpcBubble"},
        {6513, "NpcKilled"},     {6514, "LoadProgress"}, {7000, "LessonReady"},
    };
    std::vector<std::pair<int, std::string>> rows;
    std::set<int> ids;
    for (const LandEventId::Named& row : LandEventId::kAll) {
        rows.emplace_back(row.id, row.name);
        EXPECT_TRUE(ids.insert(row.id).second) << row.name << " repeats " << row.id;
    }
    EXPECT_EQ(rows, expected);
    for (const auto& row : expected)
        EXPECT_STREQ(LandEventId::nameOf(row.first), row.second.c_str());
    EXPECT_EQ(LandEventId::nameOf(6500), nullptr);
    EXPECT_EQ(LandEventId::nameOf(6515), nullptr);
}

} // namespace landtest
