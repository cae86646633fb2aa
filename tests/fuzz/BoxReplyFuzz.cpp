// A reply's data as the bag box reads it: the views of a reply (JSON, as the server sends them)
// turned into the XML document of the running completion, and the award lines read from it.
#include <cstdint>
#include <data/ZRKRequestBroker.h>
#include <json/json.h>
#include <util/JsonText.h>

#include "FuzzSupport.h"
#include "callbacks/EvtBagOpenBoxCallback.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    Json::Value views;
    std::string why;
    if (size > 1024 * 1024 ||
        !core::JsonText::parse(std::string(reinterpret_cast<const char*>(data), size), views, why) || !views.isObject())
        return 0;
    zrk::ZRKRequestBroker broker;
    const long handle =
        broker.send("ZRKUserRequest", "queryBagOpenBox", zrk::ZRKParams("[81]"), [](bool, const std::string&) {
            (void)zrk::EvtBagOpenBoxCallback::awardLines(zrk::reqCurrentData());
        });
    broker.complete(handle, false, std::string(), views);
    broker.update();
    return 0;
}
