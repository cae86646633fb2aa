// "res/GUI/defstate.json", the figures' default looks and idle actions.
#include <cstdint>
#include <json/value.h>

#include "FuzzSupport.h"
#include "rooms/ZRKRoleRes.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    zrk::ZRKRoleRes res;
    res.load(zrkfuzz::FuzzSupport::write("defstate.json", data, size));
    const Json::Value& document = res.getDefState();
    if (document.isObject())
        for (const std::string& look : document.getMemberNames()) {
            (void)res.getIdleActions(look);
            (void)res.getNumber(look, 0.f);
        }
    (void)res.getIdleActions("boy");
    (void)res.getNumber("MaxTimeSpan", 5.f);
    return 0;
}
