// A roster as a reply or notice brings it: the views (JSON) taken into the game data, where the
// roster is read into its entries, and the friends screen's three lists filled from them.
#include <cstdint>
#include <data/ZRKGameData.h>
#include <data/ZRKRosterRequest.h>
#include <json/json.h>
#include <util/JsonText.h>

#include "FuzzSupport.h"
#include "callbacks/MyFriendCallbackEvent.h"

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
    zrk::ZRKGameData game;
    zrk::MyFriendCallbackEvent friends(nullptr, nullptr);
    game.applyViews(views);
    (void)friends.fillParams();
    if (const zrk::ZRKRosterIQ* roster = zrk::ZRKRosterRequest::getIQ(false))
        for (const auto& entry : roster->getRosterMap())
            (void)zrk::MyFriendCallbackEvent::friendOf(roster->getRosterItem(entry.first), 0);
    return 0;
}
