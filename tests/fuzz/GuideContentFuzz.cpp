// "res/GUI/guildContent.json", the guide's texts and the battle's weapon sets.
#include <cstdint>
#include <json/value.h>

#include "FuzzSupport.h"
#include "shell/GuideContent.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    zrk::GuideContent guide;
    guide.load(zrkfuzz::FuzzSupport::write("guildContent.json", data, size));
    for (const char* key : {"ca1", "ca2", "ca3", "hint", "npc", ""})
        for (int index = -1; index < 4; ++index) {
            (void)guide.getString(key, index);
            const Json::Value& value = guide.getValue(key, index);
            (void)value.isString();
        }
    return 0;
}
