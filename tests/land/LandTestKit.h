#pragma once
#include <boost/make_shared.hpp>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include <core/EventManager.h>
#include <core/KeyInput.h>
#include <land/LandBotRoom.h>
#include <land/LandEventId.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>

namespace landtest {

using namespace kavri3D;
using namespace kavri3D::zrk;
using yake::math::Vector3;

/// One event as the land posted it.
struct Seen {
    int type;
    core::RtObjectAttrMap attrs;
    core::XmlConfigHelper params;
};

/// An event manager that keeps every land event delivered, keys of our own, and helpers to
/// bring a land from creation to the fight and on by frames.
class LandFixture : public ::testing::Test {
protected:
    LandFixture()
    {
        mConnection = mEvents.subscribeAll([this](const core::Event& e) {
            mSeen.push_back({e.getType(), e.attrs(), e.getParams()});
        });
    }

    static Json::Value maps() { return LandBotRoom::readMaps("res/server/maps.json"); }

    /// A bot battle room on the map ("3" by default: the sides start out of a cannon's reach,
    /// so bots walk before they shoot).
    static boost::shared_ptr<LandBotRoom> room(std::uint64_t seed, int dolls, bool meBot = true, int skill = 50,
                                               const std::string& place = "3")
    {
        auto r = boost::make_shared<LandBotRoom>(LandBotRoom::battle(seed, dolls, place, meBot, skill));
        r->setMaps(maps());
        return r;
    }

    /// Two players who only do what the test tells them: "me" (seat 4) and "foe" (seat 0).
    static boost::shared_ptr<LandBotRoom> duel(std::uint64_t seed = 1, const std::string& place = "1")
    {
        auto r = boost::make_shared<LandBotRoom>();
        r->setMaps(maps());
        r->setValue("seed", std::to_string(seed));
        r->setValue("place", place);
        LandBotRoom::Player p;
        p.bot = false;
        p.weapons = {"1", "2", "3", "4"};
        p.props = {"51", "52", "54"};
        p.nickname = "Me";
        r->seat(4, "me", p);
        p.nickname = "Foe";
        r->seat(0, "foe", p);
        r->setMyPlayerId("me");
        return r;
    }

    /// A duel in which "me" has the first turn.
    std::unique_ptr<ZRKLand> myTurn(const boost::shared_ptr<LandBotRoom>& r)
    {
        auto land = makeLand(r);
        EXPECT_TRUE(land->create());
        land->getMyDoll()->getPlayerBattle().delay = -1;
        begin(*land);
        frame(*land, 0.01f);
        EXPECT_EQ(land->getActingDoll(), land->getMyDoll());
        return land;
    }

    std::unique_ptr<ZRKLand> makeLand(const boost::shared_ptr<LandBotRoom>& r)
    {
        std::unique_ptr<ZRKLand> land(new ZRKLand(nullptr));
        land->useRoom(r);
        land->setKeyInput(&mKeys);
        return land;
    }

    /// Frames until the land is ready, then the fight begins.
    void begin(ZRKLand& land, float dt = 1.0f / 60.0f)
    {
        for (int i = 0; i < 100 && land.getLoadState() != LOAD_READY; ++i)
            frame(land, dt);
        ASSERT_EQ(land.getLoadState(), LOAD_READY);
        ASSERT_TRUE(land.beginSimulator());
    }

    void frame(ZRKLand& land, float dt)
    {
        land.update(dt);
        mEvents.dispatch();
    }

    /// Frames of dt until the predicate holds or the land time passed `seconds`.
    bool runUntil(ZRKLand& land, const std::function<bool()>& done, float seconds, float dt = 1.0f / 60.0f)
    {
        // Land time stops once the battle is over: frames are counted as well.
        const float end = land.getTimeFighting() + seconds;
        const long most = static_cast<long>(seconds / dt) + 100;
        for (long n = 0; !done(); ++n) {
            if (land.getTimeFighting() > end || n > most)
                return false;
            frame(land, dt);
        }
        return true;
    }

    std::vector<Seen> seen(int type) const
    {
        std::vector<Seen> out;
        for (const Seen& s : mSeen)
            if (s.type == type)
                out.push_back(s);
        return out;
    }

    core::EventManager mEvents;
    core::KeyInput mKeys;
    std::vector<Seen> mSeen;
    boost::signals2::scoped_connection mConnection;
};

} // namespace landtest
