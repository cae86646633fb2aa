#include "battle/TutorialParts.h"

#include <yake/StringUtil.h>
#include <land/ZRKPlayerAI.h>
#include "battle/TutorialCond.h"
#include "battle/TutorialTask.h"

namespace kavri3D {
namespace zrk {

void TutorialParts::fill(BattleRoomNewbie* room, Tasks& tasks, Conds& conds)
{
    (void)room;
    tasks.clear();
    conds.clear();
}

boost::shared_ptr<ZRKPlayerAI> TutorialParts::makeOpponent() { return boost::shared_ptr<ZRKPlayerAI>(); }

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
