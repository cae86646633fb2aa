#include "LandTestKit.h"

namespace landtest {

// One side left: the result (8), two seconds of land time later the end (9); the winners
// flagged, the summary and the awards filled.
TEST_F(LandFixture, OneSideLeftEndsTheBattle)
{
    auto r = duel(21);
    auto land = myTurn(r);
    std::vector<std::pair<int, float>> states;
    boost::signals2::scoped_connection c = land->subscribeToLoadSignal([&](int, int s) {
        states.push_back({s, land->getTimeFighting()});
    });
    ZRKPlayerSim* foe = land->getDoll("foe");
    ZRKPlayerSim* me = land->getMyDoll();
    foe->getBattle().hp = 1;
    land->launchShell("me", foe->getPosition() + Vector3(0, 30, 0), Vector3(0, -30, 0));
    ASSERT_TRUE(runUntil(
        *land, [&] { return land->getLoadState() == LOAD_OVER; }, 20.0f));
    ASSERT_EQ(states.size(), 2u);
    EXPECT_EQ(states[0].first, LOAD_RESULT);
    EXPECT_EQ(states[1].first, LOAD_OVER);
    EXPECT_NEAR(states[1].second - states[0].second, DollConstants::RESULT_SECONDS, 0.011);
    EXPECT_TRUE(land->isFinished());
    const float over = land->getTimeFighting();
    frame(*land, 0.25f);
    EXPECT_EQ(land->getTimeFighting(), over); // nothing moves after the end

    EXPECT_TRUE(me->getPlayerBattle().flags & BATTLE_WON);
    EXPECT_FALSE(foe->getPlayerBattle().flags & BATTLE_WON);
    const GameSummary& summary = land->getSummary();
    EXPECT_EQ(summary.winner, me->getColour());
    EXPECT_FALSE(summary.timeUp);
    ASSERT_TRUE(summary.find("me"));
    EXPECT_EQ(summary.find("me")->kills, 1);
    EXPECT_EQ(summary.find("me")->text, "mvp");
    EXPECT_EQ(summary.find("foe")->deaths, 1);
    EXPECT_EQ(summary.find("nobody"), nullptr);

    // Awards: experience and coins, more for the winner.
    auto award = [](const ZRKPlayerSim* d, int type) {
        for (const core::XmlConfigHelper& a : d->getPlayerBattle().awards)
            if (a.getIntVal("bi_type", -1) == type)
                return a.getIntVal("bi_num", 0);
        return -1;
    };
    EXPECT_EQ(award(me, 1), 100);
    EXPECT_EQ(award(foe, 1), 30); // as the server books it: the one award rule
    EXPECT_GT(award(me, 5), award(foe, 5));
    EXPECT_EQ(me->getPlayerBattle().count, 1);
    EXPECT_EQ(foe->getPlayerBattle().count, 1); // the loser stayed: he opens a box of his side

    // The server closes the finished battle: told once, without "sabort".
    mSeen.clear();
    r->setValue("state", std::to_string(ROOM_CLOSED));
    for (int i = 0; i < 10; ++i)
        frame(*land, 0.1f);
    ASSERT_EQ(seen(LandEventId::SyncOrAbort).size(), 1u);
    EXPECT_FALSE(seen(LandEventId::SyncOrAbort)[0].attrs.getAttrAs<bool>("sync", true));
    EXPECT_FALSE(seen(LandEventId::SyncOrAbort)[0].attrs.hasAttr("sabort"));
}

// At the time limit the side with more health wins; equal health is a draw.
TEST_F(LandFixture, TimeUpGoesToMoreHealth)
{
    for (int foeHp : {400, 900}) {
        auto land = myTurn(duel(22));
        land->getMyDoll()->getBattle().hp = 900;
        land->getDoll("foe")->getBattle().hp = foeHp;
        ASSERT_TRUE(runUntil(
            *land, [&] { return land->isFinished(); }, DollConstants::BATTLE_SECONDS + 5.0f, 0.25f));
        EXPECT_NEAR(land->getTimeFighting(), DollConstants::BATTLE_SECONDS, 0.02);
        EXPECT_TRUE(land->getSummary().timeUp);
        EXPECT_EQ(land->getSummary().winner, foeHp == 400 ? 0 : -1);
        EXPECT_EQ((land->getMyDoll()->getPlayerBattle().flags & BATTLE_WON) != 0, foeHp == 400);
    }
}

// A practice room (the tutorial's) never ends by itself.
TEST_F(LandFixture, PracticeNeverEndsByItself)
{
    auto r = duel(23);
    r->setValue("mode", std::to_string(ROOM_MODE_PRACTICE));
    auto land = myTurn(r);
    ZRKPlayerSim* foe = land->getDoll("foe");
    foe->getMovable().setPosition(Vector3(0.0f, 0.0f, land->getHeightField().getHalfSize() - 1.0f));
    frame(*land, 0.05f);
    EXPECT_TRUE(foe->isFlagSet(SIM_OUT));
    frame(*land, 0.25f);
    EXPECT_FALSE(land->isFinished());
    // The tutorial may bring it back into play.
    EXPECT_TRUE(land->reviveDoll("foe", true, true));
    EXPECT_EQ(foe->getBattle().hp, foe->getBattle().xhp);
    EXPECT_TRUE(land->spawnPlayerNode("foe", "no node") == false);
}

// A player who leaves the room leaves the battle: the doll is gone (-2), not killed.
TEST_F(LandFixture, APlayerLeavingTheRoomLeavesTheBattle)
{
    auto r = duel(24);
    auto land = myTurn(r);
    ZRKPlayerSim* foe = land->getDoll("foe");
    r->unseat(0);
    frame(*land, 0.25f);
    frame(*land, 0.25f);
    EXPECT_EQ(foe->getAngelSeq(), -2);
    EXPECT_EQ(land->getDoll("foe"), foe); // the pointer stays good
    EXPECT_EQ(foe->getPlayerBattle().deaths, 0);
    EXPECT_EQ(land->getLoadState(), LOAD_RESULT);
    EXPECT_EQ(land->getSummary().winner, land->getMyDoll()->getColour());
    // Everyone reads that he left, and the victory says why it came.
    const std::vector<Seen> lines = seen(LandEventId::BattleMessage);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].attrs.getAttrAs<std::string>("uid", ""), "foe");
    EXPECT_EQ(lines[0].attrs.getAttrAs<std::string>("msg", ""), "msg/bf_left");
    EXPECT_TRUE(lines[0].attrs.hasAttr("res"));
    EXPECT_EQ(lines[0].attrs.getAttrAs<std::vector<std::string>>("argv", {}), std::vector<std::string>({"Foe"}));
    EXPECT_TRUE(land->getSummary().othersLeft);
}

// A side beaten in the fight was not handed over: no note of leaving.
TEST_F(LandFixture, AVictoryByFightingSaysNothingOfLeaving)
{
    auto r = duel(24);
    auto land = myTurn(r);
    land->getDoll("foe")->setFlag(SIM_OUT);
    frame(*land, 0.25f);
    frame(*land, 0.25f);
    EXPECT_EQ(land->getLoadState(), LOAD_RESULT);
    EXPECT_FALSE(land->getSummary().othersLeft);
    EXPECT_TRUE(seen(LandEventId::BattleMessage).empty());
}

} // namespace landtest
