#include "server/ZRKDataOps.h"

#include "server/ZRKServerCall.h"
#include "server/ZRKServerOps.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {

void queryMaster(ZRKServerCall& call) { call.views["master"] = call.world().document("master"); }

void queryItemClasses(ZRKServerCall& call)
{
    call.views["itemClasses"] = call.world().document("itemClasses");
    call.views["lib/item"] = call.world().document("lib/item");
}

void refreshLib(ZRKServerCall& call)
{
    std::string name;
    if (!ZRKServerCall::readText(call.arg(0), name) || name.empty())
        return call.refuse("error/srv_bad_request", "no library named");
    const Json::Value& records = call.world().document("lib/" + name);
    if (records.isNull())
        return call.refuse("error/unknow_wrong", "no library " + name);
    call.views["lib/" + name] = records;
}

} // namespace

void ZRKDataOps::addTo(ZRKServerOps& ops)
{
    ops.add("queryMaster", &queryMaster, 0);
    ops.add("queryItemClasses", &queryItemClasses, 0);
    ops.add("refreshLib", &refreshLib, 0);
}

} // namespace zrk
} // namespace kavri3D
