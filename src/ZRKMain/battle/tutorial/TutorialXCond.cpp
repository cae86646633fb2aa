#include "battle/tutorial/TutorialXCond.h"

#include <json/json.h>
#include <util/JsonText.h>
#include "battle/tutorial/BattleRoomNewbie.h"

namespace kavri3D {
namespace zrk {

namespace {
const std::size_t kMaxText = 16 * 1024; // the script's longest is far shorter
}

void TutorialXCond::apply(const std::string& args)
{
    Json::Value list;
    std::string error;
    if (args.size() > kMaxText || !core::JsonText::parse(args, list, error) || !list.isArray())
        return;
    for (const Json::Value& pair : list) {
        if (!pair.isArray() || pair.size() != 2 || !pair[0].isString() || !pair[1].isString())
            continue;
        if (TutorialCond* cond = mRoom->findCond(pair[0].asCString()))
            cond->apply(pair[1].asString());
    }
}

} // namespace zrk
} // namespace kavri3D
