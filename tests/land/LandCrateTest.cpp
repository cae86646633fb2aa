// Crates that fall at turn changes as the map's record says, alike on every client of the
// battle, and what picking one up gives: health, or the limited weapons' shells back.
#include <algorithm>
#include <sstream>

#include <land/Ballistics.h>
#include <land/WeaponState.h>

#include "LandTestKit.h"

using namespace landtest;

namespace {

/// The crates on the ground, as a client would list them: name and place.
std::string cratesOf(const ZRKLand& land)
{
    std::ostringstream out;
    for (const ZRKLand::CrateMark& c : land.getCrateMarks())
        out << c.name << "@" << c.position.x << "," << c.position.z << " ";
    return out.str();
}

/// The maps with map "1" dropping crates as `crates` says.
Json::Value mapsWithCrates(const Json::Value& crates)
{
    Json::Value maps = LandBotRoom::readMaps("res/server/maps.json");
    maps["1"]["crates"] = crates;
    return maps;
}

Json::Value sureCrates(int most)
{
    Json::Value crates;
    crates["most"] = most;
    crates["area"]["x0"] = -60;
    crates["area"]["x1"] = 60;
    crates["area"]["z0"] = -40;
    crates["area"]["z1"] = 40;
    Json::Value health;
    health["kind"] = 1;
    health["value"] = 200;
    health["odds"] = 1.0;
    Json::Value ammo;
    ammo["kind"] = 2;
    ammo["odds"] = 1.0;
    crates["kinds"].append(health);
    crates["kinds"].append(ammo);
    return crates;
}

class LandCrateTest : public LandFixture {
protected:
    /// A bot battle on map "1", the maps given.
    std::unique_ptr<ZRKLand> botLand(std::uint64_t seed, const Json::Value& maps)
    {
        auto r = boost::make_shared<LandBotRoom>(LandBotRoom::battle(seed, 2, "1", true, 60));
        r->setMaps(maps);
        auto land = makeLand(r);
        EXPECT_TRUE(land->create());
        return land;
    }
    /// The crates on the ground at each turn change, until the turn `last` or the end.
    std::vector<std::string> cratesByTurn(ZRKLand& land, int last)
    {
        std::vector<std::string> out;
        begin(land, 0.1f);
        int turn = 0;
        for (int frames = 0; frames < 20000 && turn < last && !land.isFinished(); ++frames) {
            frame(land, 0.1f);
            if (land.getTurnNumber() != turn) {
                turn = land.getTurnNumber();
                out.push_back(std::to_string(turn) + ": " + cratesOf(land));
            }
        }
        return out;
    }
};

} // namespace

TEST_F(LandCrateTest, CratesFallFromTheBattlesSeedAlikeOnTwoLandsWithinTheMapsAreaAndMost)
{
    const Json::Value maps = LandBotRoom::readMaps("res/server/maps.json");
    ASSERT_TRUE(maps["1"]["crates"].isObject()); // the ordinary maps drop crates
    auto first = botLand(31, maps);
    auto second = botLand(31, maps);
    const std::vector<std::string> a = cratesByTurn(*first, 24);
    const std::vector<std::string> b = cratesByTurn(*second, 24);
    EXPECT_EQ(a, b); // every client of the battle sees the same crates at the same turns
    EXPECT_EQ(first->stateHash(), second->stateHash());
    EXPECT_TRUE(std::any_of(a.begin(), a.end(), [](const std::string& s) { return s.find("crate") != s.npos; }))
        << "no crate fell in " << a.size() << " turns";
    // Another battle, other crates.
    auto other = botLand(32, maps);
    EXPECT_NE(cratesByTurn(*other, 24), a);

    // Sure odds: at the second turn the map's most fall at once, one of each kind in its order,
    // within its area on dry ground; none before, and never more than the most.
    auto sure = botLand(5, mapsWithCrates(sureCrates(1)));
    begin(*sure, 0.1f);
    EXPECT_TRUE(sure->getCrateMarks().empty());
    ASSERT_TRUE(runUntil(
        *sure, [&] { return sure->getTurnNumber() >= 2; }, 60.0f, 0.1f));
    ASSERT_EQ(sure->getCrateMarks().size(), 1u);
    EXPECT_EQ(sure->getCrateMarks()[0].name, "crate2_0");
    auto two = botLand(5, mapsWithCrates(sureCrates(2)));
    begin(*two, 0.1f);
    ASSERT_TRUE(runUntil(
        *two, [&] { return two->getTurnNumber() >= 4; }, 120.0f, 0.1f));
    EXPECT_LE(two->getCrateMarks().size(), 2u);
    for (const ZRKLand::CrateMark& c : two->getCrateMarks()) {
        EXPECT_GE(c.position.x, -60.0f);
        EXPECT_LE(c.position.x, 60.0f);
        EXPECT_GE(c.position.z, -40.0f);
        EXPECT_LE(c.position.z, 40.0f);
        EXPECT_GT(two->getHeightField().getHeight(c.position.x, c.position.z), two->getHeightField().getWater());
    }
    // A map without a crates record, or one that says nothing sensible, drops none.
    Json::Value bad;
    bad["most"] = "many";
    bad["kinds"] = "all";
    for (const Json::Value& crates : {Json::Value(), bad}) {
        auto none = botLand(5, mapsWithCrates(crates));
        begin(*none, 0.1f);
        ASSERT_TRUE(runUntil(
            *none, [&] { return none->getTurnNumber() >= 3; }, 90.0f, 0.1f));
        EXPECT_TRUE(none->getCrateMarks().empty());
    }
}

TEST_F(LandCrateTest, WalkingOntoAnAmmoCrateRefillsTheLimitedShellsAndTellsOnlyTheOwnDoll)
{
    auto land = myTurn(duel(12));
    ZRKPlayerSim* me = land->getMyDoll();
    ZRKPlayerSim* foe = land->getDoll("foe");
    WeaponState& mortar = me->getWeaponBag()->getSlots()[1];
    ASSERT_TRUE(mortar.limited);
    mortar.setCount(0);
    // An ammo crate ten paces ahead: hero walks onto it.
    const Vector3 ahead = me->getPosition() + Ballistics::direction(me->getHeading(), 0.0f) * 10.0f;
    ZRKSceneItem ammo;
    ammo.kind = 2;
    ASSERT_TRUE(land->_addCrate("ammo", ammo, std::to_string(ahead.x) + " 0 " + std::to_string(ahead.z)));
    land->_updateCrateMarks();
    mSeen.clear();
    frame(*land, 0.05f);
    EXPECT_TRUE(land->_hasCrate("ammo")); // not at his feet yet
    mKeys.injectKeyDown(core::KeyInput::KC_W);
    EXPECT_TRUE(runUntil(
        *land, [&] { return !land->_hasCrate("ammo"); }, 8.0f, 0.05f));
    mKeys.injectKeyUp(core::KeyInput::KC_W);
    EXPECT_EQ(mortar.getCount(), mortar.shellMax);
    EXPECT_EQ(mortar.getCount(), 3);
    EXPECT_TRUE(land->getCrateMarks().empty());
    ASSERT_EQ(seen(LandEventId::ItemGained).size(), 1u);
    EXPECT_EQ(seen(LandEventId::ItemGained)[0].attrs.getAttrAs<std::string>("id", ""), "si_2");

    // The foe's pick-up heals him without telling this client.
    foe->getBattle().hp = 100;
    ZRKSceneItem health;
    health.kind = 1;
    health.value = 200;
    const Vector3 f = foe->getPosition();
    ASSERT_TRUE(land->_addCrate("health", health, std::to_string(f.x) + " 0 " + std::to_string(f.z)));
    frame(*land, 0.05f);
    EXPECT_FALSE(land->_hasCrate("health"));
    EXPECT_EQ(foe->getBattle().hp, 300);
    EXPECT_EQ(seen(LandEventId::ItemGained).size(), 1u);
}
