// The texts and settings of "res/lan" as the text library reads them, each text formatted
// the way a message box fills it; and the input itself as a text's pattern.
#include <cstdint>
#include <json/value.h>
#include <lan/ZRKLan.h>
#include <util/JsonText.h>
#include <yake/TextFormat.h>

#include "FuzzSupport.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    const std::string text = zrkfuzz::FuzzSupport::text(data, size);
    const std::vector<std::string> args{"hero", "3"};
    (void)yake::TextFormat::format(text, args);
    (void)yake::TextFormat::format(text, {});

    zrkfuzz::FuzzSupport::write("texts.json", data, size);
    zrkfuzz::FuzzSupport::write("settings.json", data, size);
    zrk::ZRKLan lan(zrkfuzz::FuzzSupport::folder());
    Json::Value document;
    std::string error;
    if (core::JsonText::parse(text, document, error) && document.isObject())
        for (const std::string& key : document.getMemberNames()) {
            (void)yake::TextFormat::format(zrk::ZRKLan::getMsg(key), args);
            (void)zrk::ZRKLan::getConfig().getIntVal(key, 0);
        }
    return 0;
}
