#pragma once
// The way of a whole-game test from the areas straight into a battle of hero against the
// server's players, as the battle tests start theirs.
#include <boost/pointer_cast.hpp>
#include <boost/shared_ptr.hpp>
#include <core/BlackBoard.h>
#include <data/ZRKSession.h>
#include <gtest/gtest.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <string>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "support/GameRun.h"
#include "support/StatePlacement.h"

namespace zrktest {

/// Once the game stands in the areas ("room"), sets its clock by hand at `fps` frames a second
/// and sends hero into a battle against `bots` of the server's players (`seed`: the battle's
/// draws, `prev`: the state the battle goes back to, `zone`: the zone the battle's room counts
/// as opened in). `room`: the battle's room, entered; null when the way failed, the failure said.
inline void enterBotBattle(GameRun& game, kavri3D::zrk::ZRKSession& session, int bots, int seed,
                           boost::shared_ptr<kavri3D::zrk::BattleRoom>& room,
                           const std::string& prev = "zrk_personalroom", int fps = 4,
                           const std::string& zone = std::string())
{
    room.reset();
    ASSERT_TRUE(game.framesUntil([&] { return game.stateName() == "room"; }, 400, "the areas"));
    yake::native::setManualClock(true);
    kavri3D::core::BlackBoard::getSingleton().setInt("kavri3D/win32FPS", fps);
    ASSERT_EQ(session.getGameServer()->core().startBotBattle("hero", bots, "1", seed, zone), "battle_hero");
    game.frames(2);
    {
        StatePlacement placed; // from the areas straight into a battle
        ASSERT_TRUE(session.teleport("battle_hero", "battle", "bag=1&set=ca1&prev=" + prev));
    }
    room = boost::dynamic_pointer_cast<kavri3D::zrk::BattleRoom>(game.stateMachine()->getState("battle"));
    ASSERT_TRUE(room) << "no battle room";
}

} // namespace zrktest
