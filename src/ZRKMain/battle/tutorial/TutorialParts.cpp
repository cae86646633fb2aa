#include "battle/tutorial/TutorialParts.h"

#include <boost/make_shared.hpp>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <yake/StringUtil.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/NewbieAI0.h"
#include "battle/tutorial/TutorialMoveTask.h"
#include "battle/tutorial/TutorialJumpTask.h"
#include "battle/tutorial/TutorialPickTask.h"
#include "battle/tutorial/TutorialAimTask.h"
#include "battle/tutorial/TutorialHitTask.h"
#include "battle/tutorial/TutorialPitchTask.h"
#include "battle/tutorial/TutorialRoamTask.h"
#include "battle/tutorial/TutorialPropTask.h"
#include "battle/tutorial/TutorialFuryTask.h"
#include "battle/tutorial/TutorialRescureTask.h"
#include "battle/tutorial/TutorialChatTask.h"
#include "battle/tutorial/TutorialArmTask.h"
#include "battle/tutorial/TutorialBopTask.h"
#include "battle/tutorial/TutorialXCond.h"
#include "battle/tutorial/TutorialArmCond.h"
#include "battle/tutorial/TutorialPropCond.h"
#include "battle/tutorial/TutorialArm2Cond.h"
#include "battle/tutorial/TutorialNpcCond.h"
#include "battle/tutorial/TutorialAniCond.h"
#include "battle/tutorial/TutorialFacingCond.h"
#include "battle/tutorial/TutorialEnergyCond.h"
#include "battle/tutorial/TutorialFuryCond.h"
#include "battle/tutorial/TutorialPitchCond.h"
#include "battle/tutorial/TutorialAICond.h"
#include "battle/tutorial/TutorialReviveCond.h"
#include "battle/tutorial/TutorialAgonalCond.h"
#include "battle/tutorial/TutorialPerfectCond.h"

namespace kavri3D {
namespace zrk {

void TutorialParts::fill(BattleRoomNewbie* room, Tasks& tasks, Conds& conds)
{
    tasks.clear();
    conds.clear();
    tasks["move"] = boost::make_shared<TutorialMoveTask>(room);
    tasks["jump"] = boost::make_shared<TutorialJumpTask>(room);
    tasks["pick"] = boost::make_shared<TutorialPickTask>(room);
    tasks["aim"] = boost::make_shared<TutorialAimTask>(room);
    tasks["hit"] = boost::make_shared<TutorialHitTask>(room);
    tasks["pitch"] = boost::make_shared<TutorialPitchTask>(room);
    tasks["roam"] = boost::make_shared<TutorialRoamTask>(room);
    tasks["prop"] = boost::make_shared<TutorialPropTask>(room);
    tasks["fury"] = boost::make_shared<TutorialFuryTask>(room);
    tasks["rescure"] = boost::make_shared<TutorialRescureTask>(room);
    tasks["chat"] = boost::make_shared<TutorialChatTask>(room);
    tasks["arm"] = boost::make_shared<TutorialArmTask>(room);
    tasks["bop"] = boost::make_shared<TutorialBopTask>(room);
    conds["x"] = boost::make_shared<TutorialXCond>(room);
    conds["arm"] = boost::make_shared<TutorialArmCond>(room);
    conds["prop"] = boost::make_shared<TutorialPropCond>(room);
    conds["arm2"] = boost::make_shared<TutorialArm2Cond>(room);
    conds["npc"] = boost::make_shared<TutorialNpcCond>(room);
    conds["ani"] = boost::make_shared<TutorialAniCond>(room);
    conds["facing"] = boost::make_shared<TutorialFacingCond>(room);
    conds["energy"] = boost::make_shared<TutorialEnergyCond>(room);
    conds["fury"] = boost::make_shared<TutorialFuryCond>(room);
    conds["pitch"] = boost::make_shared<TutorialPitchCond>(room);
    conds["ai"] = boost::make_shared<TutorialAICond>(room);
    conds["revive"] = boost::make_shared<TutorialReviveCond>(room);
    conds["agonal"] = boost::make_shared<TutorialAgonalCond>(room);
    conds["perfect"] = boost::make_shared<TutorialPerfectCond>(room);
}

boost::shared_ptr<ZRKPlayerAI> TutorialParts::makeOpponent() { return boost::make_shared<NewbieAI0>(); }

ZRKPlayerSim* TutorialParts::myDoll(BattleRoomNewbie* room)
{
    ZRKLand* land = room ? room->getLand() : nullptr;
    return land ? land->getMyDoll() : nullptr;
}

ZRKPlayerSim* TutorialParts::seatDoll(BattleRoomNewbie* room, int seat)
{
    ZRKLand* land = room && seat >= 0 && seat < 8 ? room->getLand() : nullptr;
    const std::string id = land ? room->seatName(seat) : std::string();
    return id.empty() ? nullptr : land->getDoll(id);
}

std::vector<std::string> TutorialParts::splitArgs(const std::string& args)
{
    std::vector<std::string> parts;
    if (args.empty())
        return parts;
    std::string::size_type from = 0;
    for (;;) {
        const std::string::size_type comma = args.find(',', from);
        parts.push_back(args.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    return parts;
}

int TutorialParts::intArg(const std::vector<std::string>& parts, std::size_t index)
{
    return index < parts.size() ? yake::StringUtil::parseInt(parts[index]) : 0;
}

} // namespace zrk
} // namespace kavri3D
