#pragma once
#include <boost/shared_ptr.hpp>
#include <map>
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {

class BattleRoomNewbie;
class TutorialCond;
class TutorialTask;
class ZRKPlayerAI;
class ZRKPlayerSim;

/// The tutorial's tasks, conditions and opponent by keyword, as the lesson script names them.
class TutorialParts {
public:
    typedef std::map<std::string, boost::shared_ptr<TutorialTask>> Tasks;
    typedef std::map<std::string, boost::shared_ptr<TutorialCond>> Conds;
    /// Every task and condition of the script, each bound to the room.
    static void fill(BattleRoomNewbie* room, Tasks& tasks, Conds& conds);
    /// The scripted opponent "ai0".
    static boost::shared_ptr<ZRKPlayerAI> makeOpponent();
    /// A script's argument list: the parts between commas, empty ones kept.
    static std::vector<std::string> splitArgs(const std::string& args);
    /// The own doll; null without land or doll.
    static ZRKPlayerSim* myDoll(BattleRoomNewbie* room);
    /// The doll of a seat (0-7); null for an empty seat or one outside.
    static ZRKPlayerSim* seatDoll(BattleRoomNewbie* room, int seat);
    /// A part read as a whole number (0 when missing or not a number).
    static int intArg(const std::vector<std::string>& parts, std::size_t index);
};

} // namespace zrk
} // namespace kavri3D
