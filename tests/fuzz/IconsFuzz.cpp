// "res/GUI/zrk.icons", the items' icons and models.
#include <cstdint>
#include <json/value.h>
#include <util/JsonText.h>

#include "FuzzSupport.h"
#include "rooms/EquipRes.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    zrk::EquipRes res;
    res.load(zrkfuzz::FuzzSupport::write("zrk.icons", data, size));
    // Ask for every id the file names, and a few it does not.
    Json::Value document;
    std::string error;
    core::JsonText::parse(zrkfuzz::FuzzSupport::text(data, size), document, error);
    const Json::Value& items = document.isObject() ? document["data"] : Json::Value::nullSingleton();
    for (Json::ArrayIndex i = 0; items.isArray() && i < items.size(); ++i) {
        const Json::Value& id = items[i].isObject() ? items[i]["id"] : Json::Value::nullSingleton();
        const int itemId = id.isInt() ? id.asInt() : static_cast<int>(i);
        (void)res.getIcon(itemId);
        (void)res.getModel(itemId);
        (void)res.getAltModel(itemId);
        (void)res.getSfName(itemId);
    }
    (void)res.getIcon(-1);
    (void)res.getDefaultEquipment();
    return 0;
}
