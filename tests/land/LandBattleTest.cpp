#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <land/ZRKNpcSim.h>
#include "LandTestKit.h"

namespace landtest {

namespace {
/// Plays a bot battle to its end at a frame rate; false when it did not end.
bool playToTheEnd(LandFixture* f, ZRKLand& land, float dt)
{
    for (long n = 0; n < 10000000 && land.getLoadState() != LOAD_OVER; ++n) {
        land.update(dt);
        if (land.getTimeFighting() > DollConstants::BATTLE_SECONDS + 10.0f)
            return false;
    }
    return land.getLoadState() == LOAD_OVER;
}
} // namespace

// A seed replays a battle: the same state at the end whatever the frame rate.
TEST_F(LandFixture, OneSeedOneBattleAt30And144FramesASecond)
{
    std::uint64_t hashes[2];
    std::uint64_t steps[2];
    int i = 0;
    for (float fps : {30.0f, 144.0f}) {
        auto land = makeLand(room(42, 4));
        ASSERT_TRUE(land->create());
        begin(*land, 1.0f / fps);
        ASSERT_TRUE(playToTheEnd(this, *land, 1.0f / fps));
        hashes[i] = land->stateHash();
        steps[i] = land->getSteps();
        ++i;
    }
    EXPECT_EQ(hashes[0], hashes[1]);
    EXPECT_EQ(steps[0], steps[1]);

    auto other = makeLand(room(43, 4));
    ASSERT_TRUE(other->create());
    begin(*other);
    ASSERT_TRUE(playToTheEnd(this, *other, 1.0f / 60.0f));
    EXPECT_NE(other->stateHash(), hashes[0]);
}

// Forty seeds on the canyon, where bots walk: each battle's state is the same at 30 and at
// 144 frames a second, step by step, and the bots did walk.
TEST_F(LandFixture, FortySeedsOnAWalkingMapAgreeAt30And144FramesASecond)
{
    int walked = 0;
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        std::uint64_t hashes[2] = {0, 0};
        int i = 0;
        for (float fps : {30.0f, 144.0f}) {
            auto land = makeLand(room(seed, 4));
            ASSERT_TRUE(land->create());
            begin(*land, 1.0f / fps);
            float moved = 0.0f;
            for (long n = 0; n < 10000000 && land->getLoadState() != LOAD_OVER; ++n) {
                land->update(1.0f / fps);
                for (const auto& d : land->getAllDoll())
                    moved += d.second->isMoving() ? 1.0f : 0.0f;
            }
            ASSERT_EQ(land->getLoadState(), LOAD_OVER) << "seed " << seed;
            hashes[i++] = land->stateHash();
            if (fps < 100.0f && moved > 0.0f)
                ++walked;
            mEvents.dispatch();
        }
        EXPECT_EQ(hashes[0], hashes[1]) << "seed " << seed;
    }
    EXPECT_GE(walked, 10) << "bots hardly walk on this map";
}

// Twenty bot battles: each ends, nobody is lost in space, health stays in bounds.
TEST_F(LandFixture, TwentyBotBattlesEachEnd)
{
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        auto land = makeLand(room(seed, 4));
        ASSERT_TRUE(land->create());
        begin(*land, 0.25f);
        ASSERT_TRUE(playToTheEnd(this, *land, 0.25f)) << "seed " << seed;
        for (const auto& d : land->getAllDoll()) {
            EXPECT_TRUE(d.second->getPosition().isFinite()) << seed;
            EXPECT_GE(d.second->getBattle().hp, 0) << seed;
            EXPECT_LE(d.second->getBattle().hp, d.second->getBattle().xhp) << seed;
        }
        mEvents.dispatch();
    }
}

// Every data product a battle asks the scene for (each effect that is no Flash) is in the
// game's data and in the file server's manifest: none is asked of the server in vain.
TEST_F(LandFixture, EveryProductABattleAsksForIsPublished)
{
    auto land = makeLand(room(5, 4));
    ASSERT_TRUE(land->create());
    begin(*land, 0.25f);
    ASSERT_TRUE(playToTheEnd(this, *land, 0.25f));
    mEvents.dispatch();
    std::set<std::string> asked;
    for (const Seen& s : seen(LandEventId::Effect))
        if (!s.attrs.getAttrAs<bool>("flash", true) && !s.attrs.hasAttr("revoke"))
            asked.insert(s.attrs.getAttrAs<std::string>("pid", ""));
    ASSERT_FALSE(asked.empty());
    std::ifstream in("kavri.manifest");
    ASSERT_TRUE(in) << "the build writes the manifest beside the program";
    std::stringstream manifest;
    manifest << in.rdbuf();
    for (const std::string& product : asked) {
        EXPECT_TRUE(std::filesystem::is_regular_file("res/data/" + product + ".ss1")) << product;
        EXPECT_NE(manifest.str().find("path=\"/files/data/" + product + ".ss1\""), std::string::npos) << product;
    }
}

// Bots of middling skill hit with some of their shots and miss with others.
TEST_F(LandFixture, BotsHitWithSomeOfTheirShots)
{
    int shots = 0, hits = 0;
    for (std::uint64_t seed = 100; shots < 200 && seed < 150; ++seed) {
        auto land = makeLand(room(seed, 8, true, 50));
        ASSERT_TRUE(land->create());
        begin(*land, 0.25f);
        playToTheEnd(this, *land, 0.25f);
        shots += land->getBotShots();
        hits += land->getBotHits();
        mEvents.dispatch();
    }
    ASSERT_GE(shots, 200);
    EXPECT_GE(hits, shots * 20 / 100) << hits << " of " << shots;
    EXPECT_LE(hits, shots * 80 / 100) << hits << " of " << shots;
}

} // namespace landtest

namespace landtest {

namespace {
/// Two bots on the hills against two NPCs of the map; a PVE battle when `pve`.
boost::shared_ptr<LandBotRoom> npcRoom(std::uint64_t seed, bool pve)
{
    auto r = boost::make_shared<LandBotRoom>(LandBotRoom::battle(seed, 2, "1", true, 70));
    Json::Value maps = LandBotRoom::readMaps("res/server/maps.json");
    for (int i = 0; i < 2; ++i) {
        Json::Value npc(Json::objectValue);
        npc["name"] = "turret" + std::to_string(i);
        npc["hp"] = 600;
        npc["skill"] = 80;
        npc["pos"] = Json::Value(Json::arrayValue);
        npc["pos"].append(i == 0 ? -40 : 40);
        npc["pos"].append(60);
        maps["1"]["npcs"].append(npc);
    }
    r->setMaps(maps);
    if (pve)
        r->setValue("tactic", "9");
    return r;
}
} // namespace

// A PVE battle's NPCs take their turns as the players do, the lowest delay first, and shoot
// through the bot AI; the same NPCs in a battle of two sides stand and take no turn.
TEST_F(LandFixture, NpcsTakeTurnsByDelayInAPveBattle)
{
    auto land = makeLand(npcRoom(5, true));
    ASSERT_TRUE(land->create());
    begin(*land);
    int npcTurns = 0, dollTurns = 0;
    const void* actor = nullptr;
    for (long n = 0; n < 200000 && !land->isFinished() && land->getTimeFighting() < 300.0f; ++n) {
        land->update(0.01f);
        ZRKPlayerSim* doll = land->getActingDoll();
        ZRKNpcSim* npc = land->getActingNpc();
        ASSERT_FALSE(doll && npc) << "two at once";
        const void* now = doll ? static_cast<const void*>(doll) : static_cast<const void*>(npc);
        if (!now || now == actor) {
            actor = now;
            continue;
        }
        actor = now;
        // The one acting had the lowest delay of all who may act.
        const int delay = doll ? doll->getPlayerBattle().delay : npc->getDelay();
        for (const auto& d : land->getAllDoll()) {
            if (!d.second->isDead()) {
                EXPECT_LE(delay, d.second->getPlayerBattle().delay) << "turn " << land->getTurnNumber();
            }
        }
        for (const auto& o : land->getAllNpc()) {
            if (!o.second->isDead() && o.second != npc) {
                EXPECT_LE(delay, o.second->getDelay()) << "turn " << land->getTurnNumber();
            }
        }
        (npc ? npcTurns : dollTurns)++;
    }
    EXPECT_GE(npcTurns, 2);
    EXPECT_GE(dollTurns, 2);
    // The NPCs shot at the players, never at each other.
    int hurtPlayers = 0;
    for (const auto& d : land->getAllDoll())
        hurtPlayers += d.second->getBattle().hp < d.second->getBattle().xhp ? 1 : 0;
    EXPECT_GE(hurtPlayers, 1);
    EXPECT_GT(land->getBotShots(), dollTurns / 2);

    auto calm = makeLand(npcRoom(5, false));
    ASSERT_TRUE(calm->create());
    begin(*calm);
    for (int n = 0; n < 6000 && !calm->isFinished(); ++n) {
        calm->update(0.01f);
        ASSERT_EQ(calm->getActingNpc(), nullptr);
    }
    for (const auto& o : calm->getAllNpc())
        EXPECT_FALSE(o.second->hasFired());
}

// On an NPC's turn the state is the same whatever the frame rate.
TEST_F(LandFixture, APveBattleIsOneBattleAt30And144FramesASecond)
{
    std::uint64_t hashes[2];
    int i = 0;
    for (float fps : {30.0f, 144.0f}) {
        auto land = makeLand(npcRoom(9, true));
        ASSERT_TRUE(land->create());
        begin(*land, 1.0f / fps);
        ASSERT_TRUE(playToTheEnd(this, *land, 1.0f / fps));
        hashes[i++] = land->stateHash();
    }
    EXPECT_EQ(hashes[0], hashes[1]);
}

} // namespace landtest
